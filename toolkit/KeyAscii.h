#pragma once

// The character code of a key as the window handlers see it: printable
// characters, <ENTER> (13) and Backspace (8). Tab, Delete, Escape, the arrows
// and Ctrl shortcuts have none, and reach the control as usual.

#include <cstdint>
#include <functional>
#include <optional>

class QKeyEvent;
class QWidget;

namespace tk {

inline constexpr std::int16_t kEnter = 13;
inline constexpr std::int16_t kBackspace = 8;

// The code of the first character a key types; a key that types several
// characters at once (a dead key's composition) is dealt with by the control.
std::optional<std::int16_t> KeyAsciiOf(const QKeyEvent* event);

using KeyPressHandler = std::function<void(std::int16_t& KeyAscii)>;

// Remembers a button whose mouse press moved the focus out of a text box
// whose LostFocus check showed a message: the press itself arrives only
// after the message was closed, and the button then clicks at once.
void NoteClickInterruptedByMessage(QWidget* target);
bool TakeClickInterruptedByMessage(QWidget* target);

} // namespace tk
