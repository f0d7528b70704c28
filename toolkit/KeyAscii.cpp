#include "toolkit/KeyAscii.h"

#include <QKeyEvent>
#include <QPointer>
#include <QWidget>

namespace tk {
namespace {

QPointer<QWidget> g_interruptedClick;

} // namespace

std::optional<std::int16_t> KeyAsciiOf(const QKeyEvent* event)
{
    const auto modifiers = event->modifiers() & ~(Qt::KeypadModifier | Qt::ShiftModifier);
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)
        return modifiers == Qt::NoModifier ? std::optional<std::int16_t>(kEnter) : std::nullopt;
    // Ctrl and Meta make shortcuts (copy, paste, select all); Ctrl with Alt is
    // how AltGr types a character on some keyboards, and Alt alone still types.
    const bool shortcut = (modifiers & Qt::MetaModifier)
                          || ((modifiers & Qt::ControlModifier) && !(modifiers & Qt::AltModifier));
    if (shortcut)
        return std::nullopt;
    if (event->key() == Qt::Key_Backspace)
        return kBackspace;
    const QString text = event->text();
    if (text.isEmpty())
        return std::nullopt;
    const char16_t code = text.at(0).unicode();
    if (code < 32 || code == 127)
        return std::nullopt;
    return static_cast<std::int16_t>(code);
}

void NoteClickInterruptedByMessage(QWidget* target)
{
    g_interruptedClick = target;
}

bool TakeClickInterruptedByMessage(QWidget* target)
{
    const bool interrupted = g_interruptedClick && g_interruptedClick == target;
    g_interruptedClick = nullptr;
    return interrupted;
}

} // namespace tk
