#pragma once

// A window of the program, as the window handlers see it: loaded before it
// is first shown, shown modeless or modal, hidden, unloaded, printed. Sizes
// and positions are those of the client area, in twips.

#include "toolkit/Appearance.h"

#include <QPointer>
#include <QWidget>

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <optional>
#include <string>
#include <vector>

class QEventLoop;

namespace tk {

class Form : public QWidget {
public:
    enum class Modality { Modeless, Modal };

    struct Frame {
        bool minimizeButton = false;
        // Where the client area's top-left corner opens, in twips from the
        // screen's top-left corner; when absent, the window with its frame
        // opens in the middle of the screen.
        std::optional<QPoint> positionTwips;
    };

    Form(const char* name, const std::string& caption, int widthTwips, int heightTwips,
         const FontSpec& font, const Frame& frame);
    ~Form() override;

    // Loads the window if it is not loaded (its Form_Load runs to its end),
    // then shows and activates it. Modal: returns only when the window is
    // hidden or unloaded, and no other window takes input meanwhile.
    void Show(Modality modality = Modality::Modeless);

    // The window disappears but stays loaded; a modal showing of it ends.
    void Hide();

    // Runs Form_Unload; unless it cancels, the window is hidden and no longer
    // loaded. Unloading the last window on screen ends the program.
    void Unload();

    bool IsLoaded() const { return m_loaded; }

    // An image of the client area, as it stands, on the default printer.
    // False when there is no printer or printing failed.
    bool PrintForm();

    // The modal message box with the program's title and an OK button only.
    void MsgBox(const std::string& prompt);

    static std::vector<Form*> LoadedForms();

    // For the end of the program (see Program).
    static void UnloadAllForEnd();
    static void DestroyAll();

protected:
    virtual void Form_Load() {}
    virtual void Form_Unload(std::int16_t& Cancel) { (void)Cancel; }

    // The controls that can take the focus, in TabIndex order.
    void SetTabOrder(std::initializer_list<QWidget*> controls);

    void closeEvent(QCloseEvent* event) override;
    bool event(QEvent* event) override;

private:
    void Load();
    void PlaceOnScreen();
    void CentreFrameOnScreen();
    void ActivateAndFocus();
    void EndModalShowing();

    Frame m_frame;
    std::vector<QWidget*> m_tabOrder;
    bool m_loaded = false;
    bool m_placed = false;
    bool m_frameToCentre = false;
    bool m_focusGiven = false;
    QPointer<QEventLoop> m_modalLoop;
};

// Gives a window back its activation after a modal window over it closed, so
// that the agent's keys reach the control the handler left the focus on.
void Reactivate(QWidget* window);

// How many message boxes the program has shown so far; lets a control tell
// whether one of its handlers showed a message.
int MessageBoxesShown();

// Answers every message box in place of the agent, for tests: it is handed
// the box's caption and text, and MsgBox goes on at once without showing the
// box; everything else MsgBox does stays the same. Empty: the real modal box.
using MessageBoxAnswer = std::function<void(const QString& caption, const QString& text)>;
void SetMessageBoxAnswer(MessageBoxAnswer answer);

} // namespace tk
