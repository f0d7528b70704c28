#pragma once

// A single-line text box. KeyPress sees each character key first and may
// discard it; LostFocus is raised when the focus moves to another control of
// the program, never when a message box, a menu or another program takes the
// activation. MaxLength limits what the agent types or pastes, never what a
// handler writes; every paste takes its text from the program's clipboard
// (toolkit/Clipboard).

#include "toolkit/Appearance.h"
#include "toolkit/KeyAscii.h"

#include <QLineEdit>

#include <functional>
#include <string>

namespace tk {

class Form;

class TextBox : public QLineEdit {
public:
    TextBox(Form* form, const char* name, const Twips& place, const FontSpec& font);

    std::string Text() const;
    void SetText(const std::string& text);

    void SetMaxLength(int characters); // 0: no limit
    int MaxLength() const { return m_maxLength; }

    // Read-only for the agent; key events are still raised.
    void SetLocked(bool locked) { setReadOnly(locked); }
    bool Locked() const { return isReadOnly(); }

    // Off: Tab skips the box; a click still focuses it.
    void SetTabStop(bool tabStop);
    bool TabStop() const;

    void SetColours(const Rgb& text, const QColor& background);
    void SetBorder(bool border) { setFrame(border); }

    void SetFocus() { setFocus(Qt::OtherFocusReason); }

    // Whether the whole text shows within the box's text area.
    bool TextFits() const;
    // Makes the font smaller until the current text fits (for a heading).
    void ShrinkFontToFitText();

    KeyPressHandler KeyPress;
    std::function<void()> LostFocus;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void PasteWithinLimit(const std::string& clipboardText);

    int m_maxLength = 0;
};

} // namespace tk
