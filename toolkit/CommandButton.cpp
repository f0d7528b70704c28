#include "toolkit/CommandButton.h"

#include "toolkit/Form.h"
#include "toolkit/KeyAscii.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QRegularExpression>
#include <QStringList>

namespace tk {
namespace {

// What the button's bevel and focus frame leave of its face for text.
constexpr int kHorizontalPadding = 3;
constexpr int kVerticalPadding = 2;

} // namespace

CommandButton::CommandButton(Form* form, const char* name, const std::string& caption,
                             const Twips& place, const FontSpec& font)
    : QPushButton(form)
{
    setObjectName(QString::fromLatin1(name));
    setGeometry(ToPixels(place));
    setFont(MakeFont(font));
    setAutoDefault(false);
    setDefault(false);
    setFocusPolicy(Qt::StrongFocus);
    setAccessibleName(QString::fromStdString(caption).simplified());
    connect(this, &QPushButton::clicked, this, [this] { RaiseClick(); });
    SetCaption(caption);
}

void CommandButton::SetCaption(const std::string& caption)
{
    m_caption = caption;
    setText(WrappedCaption());
    ShrinkFontUntil(this, [this] {
        setText(WrappedCaption());
        return CaptionFits();
    });
}

QSize CommandButton::RoomForText() const
{
    return size() - QSize(2 * kHorizontalPadding, 2 * kVerticalPadding);
}

// Breaks a caption too wide for one line into the fewest lines that fit the
// face, as a classic button does: first where the caption itself leaves a
// wide gap (two blanks or more), then at single blanks. The blanks around
// each line are not drawn.
QString CommandButton::WrappedCaption() const
{
    const QString caption = QString::fromStdString(m_caption);
    const QFontMetrics metrics = fontMetrics();
    const int room = RoomForText().width();
    const auto fits = [&](const QString& line) { return metrics.horizontalAdvance(line) <= room; };

    const QString oneLine = caption.simplified();
    if (fits(oneLine))
        return oneLine;

    static const QRegularExpression kWideGap(QStringLiteral(" {2,}"));
    QStringList lines;
    for (const QString& phrase : caption.trimmed().split(kWideGap, Qt::SkipEmptyParts)) {
        if (fits(phrase)) {
            lines.append(phrase);
            continue;
        }
        QString line;
        for (const QString& word : phrase.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
            const QString longer = line.isEmpty() ? word : line + QLatin1Char(' ') + word;
            if (!line.isEmpty() && !fits(longer)) {
                lines.append(line);
                line = word;
            } else {
                line = longer;
            }
        }
        lines.append(line);
    }
    return lines.join(QLatin1Char('\n'));
}

bool CommandButton::CaptionFits() const
{
    const QRect needed = fontMetrics().boundingRect(QRect(QPoint(0, 0), RoomForText()),
                                                    Qt::AlignCenter, text());
    return needed.width() <= RoomForText().width() && needed.height() <= RoomForText().height();
}

void CommandButton::SetTabStop(bool tabStop)
{
    setFocusPolicy(tabStop ? Qt::StrongFocus : Qt::ClickFocus);
}

void CommandButton::keyPressEvent(QKeyEvent* event)
{
    if (KeyAsciiOf(event) == kEnter) {
        event->accept();
        if (!event->isAutoRepeat())
            RaiseClick();
        return;
    }
    QPushButton::keyPressEvent(event);
}

void CommandButton::keyReleaseEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        event->accept();
        return;
    }
    QPushButton::keyReleaseEvent(event);
}

void CommandButton::mousePressEvent(QMouseEvent* event)
{
    const bool interrupted = TakeClickInterruptedByMessage(this);
    if (interrupted && event->button() == Qt::LeftButton) {
        // The press gave this button the focus, a text box's check on losing
        // it showed a message, and the release went to the message box: the
        // click goes ahead now, without leaving the button drawn down.
        event->accept();
        RaiseClick();
        return;
    }
    QPushButton::mousePressEvent(event);
}

void CommandButton::focusInEvent(QFocusEvent* event)
{
    // The agent works from the keyboard: the button that <ENTER> will press
    // is always marked, not only after the Tab key was used.
    window()->setAttribute(Qt::WA_KeyboardFocusChange);
    QPushButton::focusInEvent(event);
}

void CommandButton::RaiseClick()
{
    if (Click && isEnabled())
        Click();
}

} // namespace tk
