#pragma once

// A command button. Click is raised by the mouse, by Space, and by <ENTER>
// on the key's press while the button has the focus; the release of an
// <ENTER> pressed elsewhere does not click it. A caption too wide for one
// line shows on several centred lines.

#include "toolkit/Appearance.h"

#include <QPushButton>

#include <functional>
#include <string>

namespace tk {

class Form;

class CommandButton : public QPushButton {
public:
    CommandButton(Form* form, const char* name, const std::string& caption, const Twips& place,
                  const FontSpec& font);

    std::string Caption() const { return m_caption; }
    void SetCaption(const std::string& caption);

    // Whether every line of the caption shows within the button.
    bool CaptionFits() const;

    void SetTabStop(bool tabStop);
    void SetFocus() { setFocus(Qt::OtherFocusReason); }

    std::function<void()> Click;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;

private:
    void RaiseClick();
    QString WrappedCaption() const;
    QSize RoomForText() const;

    std::string m_caption;
};

} // namespace tk
