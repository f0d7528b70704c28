#include "toolkit/Form.h"

#include "toolkit/Printing.h"
#include "toolkit/Program.h"

#include <QApplication>
#include <QCloseEvent>
#include <QEventLoop>
#include <QGuiApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QWindow>

#include <algorithm>

namespace tk {
namespace {

std::vector<Form*>& AllForms()
{
    static std::vector<Form*> forms;
    return forms;
}

int g_messageBoxesShown = 0;
MessageBoxAnswer g_messageBoxAnswer;

} // namespace

int MessageBoxesShown()
{
    return g_messageBoxesShown;
}

void SetMessageBoxAnswer(MessageBoxAnswer answer)
{
    g_messageBoxAnswer = std::move(answer);
}

void Reactivate(QWidget* window)
{
    if (window && window->isVisible()) {
        window->raise();
        window->activateWindow();
        // At once, not when the window system gets round to it, so that a
        // handler's next move of the focus is a real move between controls.
        QApplication::setActiveWindow(window);
    }
}

Form::Form(const char* name, const std::string& caption, int widthTwips, int heightTwips,
           const FontSpec& font, const Frame& frame)
    : QWidget(nullptr), m_frame(frame)
{
    setObjectName(QString::fromLatin1(name));
    setWindowTitle(QString::fromStdString(caption));
    setFont(MakeFont(font));
    setAutoFillBackground(true);
    setFixedSize(ToPixels(widthTwips), ToPixels(heightTwips));

    Qt::WindowFlags flags = Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint
                            | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
    if (frame.minimizeButton)
        flags |= Qt::WindowMinimizeButtonHint;
    setWindowFlags(flags);

    AllForms().push_back(this);
}

Form::~Form()
{
    auto& forms = AllForms();
    forms.erase(std::remove(forms.begin(), forms.end(), this), forms.end());
}

void Form::Load()
{
    if (m_loaded)
        return;
    m_loaded = true;
    m_focusGiven = false;
    Form_Load();
}

void Form::Show(Modality modality)
{
    Load();
    const bool modal = modality == Modality::Modal;
    // Whichever window the agent was working in gets the activation back.
    QPointer<QWidget> opener = QApplication::activeWindow();
    for (Form* form : LoadedForms())
        if (!opener && form != this && form->isVisible())
            opener = form;
    if (modal)
        setWindowModality(Qt::ApplicationModal);
    PlaceOnScreen();
    show();
    ActivateAndFocus();
    if (!modal)
        return;

    QEventLoop loop;
    m_modalLoop = &loop;
    if (isVisible() && !Program::HasEnded())
        loop.exec(QEventLoop::DialogExec);
    m_modalLoop = nullptr;
    if (isHidden())
        setWindowModality(Qt::NonModal);
    Reactivate(opener);
}

void Form::Hide()
{
    hide();
    EndModalShowing();
}

void Form::Unload()
{
    if (!m_loaded)
        return;
    std::int16_t cancel = 0;
    Form_Unload(cancel);
    if (cancel != 0)
        return;
    m_loaded = false;
    Hide();
    // A hidden window never keeps the program running.
    const auto forms = LoadedForms();
    const bool anyShown = std::any_of(forms.begin(), forms.end(),
                                      [](Form* form) { return form->isVisible(); });
    if (!anyShown)
        Program::End();
}

bool Form::PrintForm()
{
    return PrintWindowImage(this);
}

void Form::MsgBox(const std::string& prompt)
{
    QMessageBox box(QMessageBox::NoIcon, QStringLiteral("Tarnwell"), QString::fromStdString(prompt),
                    QMessageBox::Ok, this);
    box.setObjectName(QStringLiteral("MsgBox"));
    box.setTextFormat(Qt::PlainText);
    box.setWindowModality(Qt::ApplicationModal);
    box.button(QMessageBox::Ok)->setIcon(QIcon());
    ++g_messageBoxesShown;
    if (g_messageBoxAnswer)
        g_messageBoxAnswer(box.windowTitle(), box.text());
    else
        box.exec();
    Reactivate(this);
}

std::vector<Form*> Form::LoadedForms()
{
    std::vector<Form*> loaded;
    for (Form* form : AllForms())
        if (form->m_loaded)
            loaded.push_back(form);
    return loaded;
}

void Form::UnloadAllForEnd()
{
    for (Form* form : LoadedForms()) {
        form->m_loaded = false;
        form->Hide();
    }
}

void Form::DestroyAll()
{
    while (!AllForms().empty())
        delete AllForms().back();
}

void Form::SetTabOrder(std::initializer_list<QWidget*> controls)
{
    m_tabOrder.assign(controls.begin(), controls.end());
    for (std::size_t i = 1; i < m_tabOrder.size(); ++i)
        QWidget::setTabOrder(m_tabOrder[i - 1], m_tabOrder[i]);
}

void Form::closeEvent(QCloseEvent* event)
{
    // The close button of the title bar unloads the window; the toolkit
    // hides it itself.
    event->ignore();
    Unload();
}

bool Form::event(QEvent* event)
{
    // The first painting on screen follows the window manager's framing of
    // the window, so its title bar and borders are known by then.
    if (m_frameToCentre && event->type() == QEvent::Paint && windowHandle()
        && windowHandle()->isExposed()) {
        m_frameToCentre = false;
        CentreFrameOnScreen();
    }
    return QWidget::event(event);
}

void Form::PlaceOnScreen()
{
    if (m_placed)
        return;
    m_placed = true;
    QRect client(QPoint(0, 0), size());
    if (m_frame.positionTwips) {
        client.moveTopLeft(
            QPoint(ToPixels(m_frame.positionTwips->x()), ToPixels(m_frame.positionTwips->y())));
    } else if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        // The frame is not known before the window is on screen: the client
        // area is centred first, and the frame once it is known.
        client.moveCenter(screen->availableGeometry().center());
        m_frameToCentre = true;
    }
    setGeometry(client);
}

// Moves the window once, on its first showing, so that the frame a window
// manager put round it (title bar and borders) sits in the middle of the
// screen. Without a frame the client area stays where it is, centred.
void Form::CentreFrameOnScreen()
{
    const QMargins frame = windowHandle()->frameMargins();
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (frame.isNull() || !screen)
        return;
    QRect outline = geometry().marginsAdded(frame);
    outline.moveCenter(screen->availableGeometry().center());
    move(outline.topLeft()); // a window's position is that of its frame
}

void Form::ActivateAndFocus()
{
    Reactivate(this);
    if (m_focusGiven)
        return;
    m_focusGiven = true;
    for (QWidget* control : m_tabOrder) {
        if (control->isVisibleTo(this) && control->isEnabled()
            && control->focusPolicy() != Qt::NoFocus) {
            control->setFocus(Qt::OtherFocusReason);
            return;
        }
    }
}

void Form::EndModalShowing()
{
    if (m_modalLoop)
        m_modalLoop->quit();
}

} // namespace tk
