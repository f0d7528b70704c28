#include "toolkit/ListBox.h"

#include "toolkit/Form.h"

#include <QKeyEvent>

namespace tk {

ListBox::ListBox(Form* form, const char* name, const Twips& place, const FontSpec& font)
    : QListWidget(form)
{
    setObjectName(QString::fromLatin1(name));
    setGeometry(ToPixels(place));
    setFont(MakeFont(font));
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSortingEnabled(false);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setUniformItemSizes(true);
    setFocusPolicy(Qt::StrongFocus);
    connect(this, &QListWidget::currentRowChanged, this, [this] {
        if (!m_assigning)
            RaiseClick();
    });
}

void ListBox::AddItem(const std::string& line)
{
    addItem(QString::fromStdString(line));
}

std::string ListBox::Text() const
{
    const QListWidgetItem* item = currentItem();
    return item ? item->text().toStdString() : std::string();
}

void ListBox::SetListIndex(int index)
{
    m_assigning = true;
    setCurrentRow(index);
    m_assigning = false;
    if (currentItem())
        scrollToItem(currentItem());
    RaiseClick();
}

void ListBox::keyPressEvent(QKeyEvent* event)
{
    const auto code = KeyAsciiOf(event);
    if (code == kEnter && event->isAutoRepeat()) {
        event->accept(); // a held <ENTER> moves the agent on once
        return;
    }
    if (code && KeyPress) {
        std::int16_t keyAscii = *code;
        KeyPress(keyAscii);
        if (keyAscii == 0) {
            event->accept();
            return;
        }
    }
    if (code == kEnter) {
        event->accept(); // the key handler has dealt with it
        return;
    }
    QListWidget::keyPressEvent(event);
}

// The highlighted line is the one the window shows figures for: Ctrl+click or
// Ctrl+Space on it, which would clear the highlight, selects it again.
QItemSelectionModel::SelectionFlags ListBox::selectionCommand(const QModelIndex& index,
                                                              const QEvent* event) const
{
    const auto command = QListWidget::selectionCommand(index, event);
    if (command & (QItemSelectionModel::Deselect | QItemSelectionModel::Toggle))
        return QItemSelectionModel::ClearAndSelect;
    return command;
}

void ListBox::RaiseClick()
{
    if (Click)
        Click();
}

} // namespace tk
