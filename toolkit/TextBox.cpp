#include "toolkit/TextBox.h"

#include "toolkit/Clipboard.h"
#include "toolkit/Form.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QStyle>
#include <QStyleOptionFrame>
#include <QValidator>

#include <algorithm>

namespace tk {
namespace {

// Rejects an edit by the agent that would make the text longer than the
// limit. Qt does not apply a validator to text set by the program, so
// handlers can still write a longer text.
class LengthLimit : public QValidator {
public:
    LengthLimit(const TextBox* box, QObject* parent) : QValidator(parent), m_box(box) {}

    State validate(QString& input, int&) const override
    {
        const int limit = m_box->MaxLength();
        return limit > 0 && input.size() > limit ? Invalid : Acceptable;
    }

private:
    const TextBox* m_box;
};

} // namespace

TextBox::TextBox(Form* form, const char* name, const Twips& place, const FontSpec& font)
    : QLineEdit(form)
{
    setObjectName(QString::fromLatin1(name));
    setGeometry(ToPixels(place));
    setFont(MakeFont(font));
    setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    setMaxLength(32767);
    setValidator(new LengthLimit(this, this));
    setFocusPolicy(Qt::StrongFocus);
}

std::string TextBox::Text() const
{
    return text().toStdString();
}

void TextBox::SetText(const std::string& text)
{
    setText(QString::fromStdString(text));
}

void TextBox::SetMaxLength(int characters)
{
    m_maxLength = characters;
}

void TextBox::SetTabStop(bool tabStop)
{
    setFocusPolicy(tabStop ? Qt::StrongFocus : Qt::ClickFocus);
}

bool TextBox::TabStop() const
{
    return (focusPolicy() & Qt::TabFocus) != 0;
}

void TextBox::SetColours(const Rgb& text, const QColor& background)
{
    QPalette p = palette();
    p.setColor(QPalette::Text, text.toColor());
    p.setColor(QPalette::Base, background);
    setPalette(p);
}

bool TextBox::TextFits() const
{
    QStyleOptionFrame option;
    initStyleOption(&option);
    // QLineEdit keeps two pixels clear on either side of its text.
    constexpr int kInnerMargin = 2;
    const QRect area = style()->subElementRect(QStyle::SE_LineEditContents, &option, this);
    const QFontMetrics metrics = fontMetrics();
    return metrics.horizontalAdvance(text()) <= area.width() - 2 * kInnerMargin
           && metrics.height() <= area.height();
}

void TextBox::ShrinkFontToFitText()
{
    ShrinkFontUntil(this, [this] { return TextFits(); });
}

void TextBox::keyPressEvent(QKeyEvent* event)
{
    if (event->matches(QKeySequence::Paste) && !isReadOnly()) {
        PasteWithinLimit(Clipboard::GetText());
        event->accept();
        return;
    }
    const auto code = KeyAsciiOf(event);
    if (!code || !KeyPress) {
        if (code != kEnter)
            QLineEdit::keyPressEvent(event);
        return;
    }
    event->accept();
    if (*code == kEnter || *code == kBackspace) {
        // A held <ENTER> would run the handler over and over, message boxes
        // included; the agent presses it once per step.
        if (*code == kEnter && event->isAutoRepeat())
            return;
        std::int16_t keyAscii = *code;
        KeyPress(keyAscii);
        if (keyAscii == kBackspace)
            QLineEdit::keyPressEvent(event);
        return;
    }
    // Each character the key types goes through the handler on its own, and
    // only those it keeps reach the text.
    QString kept;
    for (const QChar c : event->text()) {
        std::int16_t keyAscii = static_cast<std::int16_t>(c.unicode());
        KeyPress(keyAscii);
        if (keyAscii != 0 && keyAscii != kEnter && keyAscii != kBackspace)
            kept += QChar(static_cast<char16_t>(keyAscii));
    }
    if (!kept.isEmpty() && !isReadOnly())
        insert(kept);
}

void TextBox::focusOutEvent(QFocusEvent* event)
{
    QLineEdit::focusOutEvent(event);
    switch (event->reason()) {
    case Qt::TabFocusReason:
    case Qt::BacktabFocusReason:
    case Qt::MouseFocusReason:
    case Qt::OtherFocusReason:
    case Qt::ShortcutFocusReason:
        break;
    default:
        return; // the activation went elsewhere, or a menu opened
    }
    QWidget* next = QApplication::focusWidget();
    if (!next || next == this || !LostFocus)
        return;
    const int messagesBefore = MessageBoxesShown();
    LostFocus();
    if (event->reason() == Qt::MouseFocusReason && MessageBoxesShown() != messagesBefore)
        NoteClickInterruptedByMessage(next);
}

// Qt's own menu, whose Paste goes the way of Ctrl+V. A locked box's menu has
// no Paste.
void TextBox::contextMenuEvent(QContextMenuEvent* event)
{
    QMenu* menu = createStandardContextMenu();
    for (QAction* action : menu->actions()) {
        // Qt's Paste is the action wired to QLineEdit::paste: by the slot's
        // name in Qt 6.4, which only a disconnect by name finds, by member
        // pointer in newer releases.
        if (!disconnect(action, SIGNAL(triggered()), this, SLOT(paste()))
            && !disconnect(action, &QAction::triggered, this, &QLineEdit::paste))
            continue;
        action->setObjectName(QStringLiteral("edit-paste"));
        action->setEnabled(!Clipboard::GetText().empty());
        connect(action, &QAction::triggered, this,
                [this] { PasteWithinLimit(Clipboard::GetText()); });
    }
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(event->globalPos());
}

// The middle button pastes the desktop's selection (X11) where it was
// pressed, as QLineEdit does, but within the limit.
void TextBox::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::MiddleButton) {
        QLineEdit::mouseReleaseEvent(event);
        return;
    }
    const std::string selection = Clipboard::GetSelectionText();
    if (!isReadOnly() && !selection.empty()) {
        deselect();
        PasteWithinLimit(selection);
    }
}

void TextBox::PasteWithinLimit(const std::string& clipboardText)
{
    QString pasted = QString::fromStdString(clipboardText);
    pasted.remove(QLatin1Char('\n')).remove(QLatin1Char('\r'));
    if (m_maxLength > 0) {
        const int room = m_maxLength
                         - (static_cast<int>(text().size())
                            - static_cast<int>(selectedText().size()));
        pasted.truncate(std::max(room, 0));
    }
    insert(pasted);
}

} // namespace tk
