#pragma once

// A list box of text lines, kept in the order added; once a line is
// highlighted, exactly one always is. Click is raised whenever the highlight
// moves by mouse or arrow key, and on every assignment of ListIndex, even of
// the index it already has.

#include "toolkit/Appearance.h"
#include "toolkit/KeyAscii.h"

#include <QListWidget>

#include <functional>
#include <string>

namespace tk {

class Form;

class ListBox : public QListWidget {
public:
    ListBox(Form* form, const char* name, const Twips& place, const FontSpec& font);

    void AddItem(const std::string& line);
    // The highlighted line; empty when none is.
    std::string Text() const;
    int ListIndex() const { return currentRow(); }
    void SetListIndex(int index);
    int ListCount() const { return count(); }

    void SetFocus() { setFocus(Qt::OtherFocusReason); }

    KeyPressHandler KeyPress;
    std::function<void()> Click;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    QItemSelectionModel::SelectionFlags selectionCommand(const QModelIndex& index,
                                                         const QEvent* event) const override;

private:
    void RaiseClick();

    bool m_assigning = false;
};

} // namespace tk
