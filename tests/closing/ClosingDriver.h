#pragma once

// Drives the closing window as an agent does: clicks into a field, types,
// tabs on, checks endorsements with the arrows and Space; and reads back
// what the window shows. Each driver has a window of its own and a settings
// file in a folder of its own, and a book there unless it is given one.

#include "closing/ClosingWindow.h"

#include <QDir>
#include <QSettings>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <deque>
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
    // `book` is a path or a postgresql:// address; empty: book.sqlite in the
    // driver's folder. The window's questions are answered from Answer()'s
    // queue (Cancel when it is empty) unless `dialogs` answers them.
    explicit ClosingDriver(ClosingWindow::Dialogs dialogs = {}, const QString& book = {});
    ~ClosingDriver();

    ClosingWindow& Window() { return *m_window; }
    QSettings& Settings() { return *m_settings; }
    const QString& BookPath() const { return m_book; }
    // The folder of the settings file and of the book the driver makes.
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
    QString BookNote() const;
    // The answer to the window's next question, and the questions asked.
    void Answer(QMessageBox::StandardButton button) { m_answers.push_back(button); }
    const QStringList& Asked() const { return m_asked; }
    // Ctrl+O, the search typed into the file list, and Open.
    void OpenFromList(const QString& find);
    QStringList Marked() const; // object names of the marked controls

private:
    void Open();

    QTemporaryDir m_folder;
    ClosingWindow::Dialogs m_dialogs;
    QString m_book;
    std::deque<QMessageBox::StandardButton> m_answers;
    QStringList m_asked;
    std::unique_ptr<QSettings> m_settings;
    std::unique_ptr<ClosingWindow> m_window;
};

// What pdftotext reads in a PDF, page by page; with `error` why it read nothing.
QStringList PdfPages(const QString& file, QString* error = nullptr);

} // namespace closing::test

// Test messages show texts as text.
inline void PrintTo(const QString& text, std::ostream* out)
{
    *out << '"' << text.toStdString() << '"';
}
