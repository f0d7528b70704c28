#pragma once

// Drives the closing window as an agent does: clicks into a field, types,
// tabs on, checks endorsements with the arrows and Space; and reads back
// what the window shows. Each driver has a window of its own and a settings
// file in a folder of its own.

#include "closing/ClosingWindow.h"

#include <QDir>
#include <QSettings>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <memory>
#include <ostream>

class QWidget;

namespace closing::test {

// A closing as the agent types it; coverage "Expanded" or standard, the
// endorsements as form numbers with ":owner" or ":loan" for a zoning line's
// policy.
struct TypedClosing {
    QString split, price, loan, priorOwners, priorLoan;
    bool expanded = false;
    QStringList endorsements;
    bool letter = false;
};

class ClosingDriver {
public:
    explicit ClosingDriver(ClosingWindow::Dialogs dialogs = {});
    ~ClosingDriver();

    ClosingWindow& Window() { return *m_window; }
    QSettings& Settings() { return *m_settings; }
    // The folder of the settings file, which holds nothing else.
    QDir Folder() const { return QDir(m_folder.path()); }
    // A second run: the window closes and a new one opens on the same settings.
    void Restart();

    template <typename T = QWidget>
    T* Find(const char* name) const
    {
        return m_window->findChild<T*>(QLatin1String(name));
    }

    void Enter(const TypedClosing& closing);
    // Clicks into the field and types over what it holds.
    void Type(const char* field, const QString& text);
    void Key(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier);
    void Click(const char* name);
    // Filters the list down to the form and checks or unchecks its line.
    void ToggleEndorsement(const QString& form);
    QString FocusName() const;

    QString Text(const char* name) const; // a line edit's text or a label's
    QStringList VisibleEndorsements() const;
    // The figures table, a row a line: "Line | Priced on | Gross | Remit".
    QStringList Figures() const;
    // The TRID disclosure, a row a line: "Name | Disclosed | Charged", a
    // section's title or a note alone.
    QStringList Trid() const;
    // Pastes the text into the field over what it holds, as Ctrl+V does.
    void Paste(const char* field, const QString& text);
    QString Status() const;
    QStringList Marked() const; // object names of the marked controls

private:
    void Open();

    QTemporaryDir m_folder;
    ClosingWindow::Dialogs m_dialogs;
    std::unique_ptr<QSettings> m_settings;
    std::unique_ptr<ClosingWindow> m_window;
};

} // namespace closing::test

// Test messages show texts as text.
inline void PrintTo(const QString& text, std::ostream* out)
{
    *out << '"' << text.toStdString() << '"';
}
