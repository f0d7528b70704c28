#include "tests/gui/WindowDriver.h"

#include "engine/SharedStrings.h"
#include "toolkit/Clipboard.h"
#include "toolkit/Form.h"
#include "toolkit/Printing.h"
#include "toolkit/Program.h"
#include "windows/frmRates.h"

#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QTest>

// ---- ModalWatcher ---------------------------------------------------------------

ModalWatcher::ModalWatcher(std::function<void(QWidget*)> action) : m_action(std::move(action))
{
    QObject::connect(&m_timer, &QTimer::timeout, &m_timer, [this] {
        QWidget* modal = QApplication::activeModalWidget();
        if (m_busy || !modal || !modal->isVisible())
            return;
        m_busy = true; // the action's own waiting must not hand the window over again
        m_action(modal);
        m_busy = false;
    });
    m_timer.start(10);
}

// ---- Agent ------------------------------------------------------------------------

void Agent::Settle()
{
    QTest::qWait(5);
    (void)QTest::qWaitFor(
        [] {
            const auto windows = QApplication::topLevelWidgets();
            const bool anyShown = std::any_of(windows.begin(), windows.end(),
                                              [](QWidget* w) { return w->isVisible(); });
            QWidget* modal = QApplication::activeModalWidget();
            QWidget* active = QApplication::activeWindow();
            return !anyShown || (active != nullptr && (!modal || modal == active));
        },
        500);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

QWidget* Agent::KeyTarget() const
{
    Settle();
    if (QWidget* focus = QApplication::focusWidget())
        return focus;
    if (QWidget* modal = QApplication::activeModalWidget())
        return modal->focusWidget() ? modal->focusWidget() : modal;
    return m_window->focusWidget() ? m_window->focusWidget() : m_window;
}

void Agent::Type(const std::string& characters)
{
    for (const char c : characters)
        QTest::keyClick(KeyTarget(), c);
    Settle();
}

// Press and release go to whichever control has the focus at the time, as
// with a real keyboard: a press that moves the focus releases elsewhere.
void Agent::Press(int key, Qt::KeyboardModifiers modifiers)
{
    QTest::keyPress(KeyTarget(), static_cast<Qt::Key>(key), modifiers);
    QTest::keyRelease(KeyTarget(), static_cast<Qt::Key>(key), modifiers);
    Settle();
}

void Agent::Click(const char* control)
{
    QWidget* widget = Control(control);
    QTest::mouseClick(widget, Qt::LeftButton, Qt::NoModifier, widget->rect().center());
    Settle();
}

void Agent::ClickLine(const char* list, int row, Qt::KeyboardModifiers modifiers)
{
    auto* box = qobject_cast<QListWidget*>(Control(list));
    EXPECT_NE(box, nullptr) << list;
    if (!box)
        return;
    box->scrollToItem(box->item(row));
    const QRect line = box->visualItemRect(box->item(row));
    QTest::mouseClick(box->viewport(), Qt::LeftButton, modifiers, line.center());
    Settle();
}

void Agent::Paste(const QString& text)
{
    tk::Clipboard::SetText(text.toStdString());
    Press(Qt::Key_V, Qt::ControlModifier);
}

QWidget* Agent::Control(const char* name) const
{
    auto* widget = m_window->findChild<QWidget*>(QString::fromLatin1(name));
    EXPECT_NE(widget, nullptr) << "no control " << name;
    return widget;
}

QString Agent::Text(const char* control) const
{
    QWidget* widget = Control(control);
    if (auto* edit = qobject_cast<QLineEdit*>(widget))
        return edit->text();
    if (auto* label = qobject_cast<QLabel*>(widget))
        return label->text();
    if (auto* button = qobject_cast<QAbstractButton*>(widget))
        return button->text();
    if (auto* list = qobject_cast<QListWidget*>(widget))
        return list->currentItem() ? list->currentItem()->text() : QString();
    return {};
}

QString Agent::Focus() const
{
    Settle();
    QWidget* focus = m_window->focusWidget();
    return focus ? focus->objectName() : QString();
}

bool Agent::Shown(const char* control) const
{
    return Control(control)->isVisibleTo(m_window);
}

bool Agent::Enabled(const char* control) const
{
    return Control(control)->isEnabled();
}

// ---- Fixtures -----------------------------------------------------------------------

void ProgramTest::SetUp()
{
    tk::Program::Begin();
    StateCalcs::RateCode.clear();
    StateCalcs::UnderwriterCode.clear();
    tk::Clipboard::SetBackend(nullptr);
    tk::SetPrinterFactory({});
    tk::SetMessageBoxAnswer([this](const QString&, const QString& text) { messages << text; });
}

void ProgramTest::TearDown()
{
    tk::Program::DestroyAllForms();
    tk::Clipboard::SetBackend(nullptr);
    tk::SetPrinterFactory({});
    tk::SetMessageBoxAnswer({});
    Agent::Settle();
}

void ProgramTest::ShowAndWait(tk::Form* window)
{
    window->Show();
    window->activateWindow();
    EXPECT_TRUE(QTest::qWaitForWindowActive(window));
}

void RatesTest::SetUp()
{
    ProgramTest::SetUp();
    rates = new frmRates;
    ShowAndWait(rates);
    agent = std::make_unique<Agent>(rates);
}

void RatesTest::EnterSplit(const std::string& split)
{
    agent->Type(split);
    agent->Enter();
    ASSERT_EQ(agent->Focus(), "List1") << "split " << split << " not accepted";
}

void RatesTest::ArrowTo(int row)
{
    auto* list = qobject_cast<QListWidget*>(agent->Control("List1"));
    while (list->currentRow() < row)
        agent->Press(Qt::Key_Down);
    while (list->currentRow() > row)
        agent->Press(Qt::Key_Up);
}
