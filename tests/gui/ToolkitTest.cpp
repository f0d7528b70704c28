// What the windows rely on from the toolkit, checked on real widgets.

#include "tests/gui/WindowDriver.h"

#include "toolkit/Clipboard.h"
#include "toolkit/CommandButton.h"
#include "toolkit/Form.h"
#include "toolkit/Label.h"
#include "toolkit/ListBox.h"
#include "toolkit/Program.h"
#include "toolkit/TextBox.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMessageBox>
#include <QTest>

#include <vector>

namespace {

// A small window with one control of each kind, recording every event.
class Bench : public tk::Form {
public:
    Bench() : tk::Form("Bench", "Bench", 6000, 3000, {}, {})
    {
        first = new tk::TextBox(this, "first", {150, 150, 1500, 300}, {});
        second = new tk::TextBox(this, "second", {150, 600, 1500, 300}, {});
        skipped = new tk::TextBox(this, "skipped", {150, 1050, 1500, 300}, {});
        skipped->SetTabStop(false);
        limited = new tk::TextBox(this, "limited", {150, 1500, 1500, 300}, {});
        limited->SetMaxLength(25);
        list = new tk::ListBox(this, "list", {2000, 150, 1500, 1200}, {});
        button = new tk::CommandButton(this, "button", "Go", {4000, 150, 1200, 450}, {});
        other = new tk::CommandButton(this, "other", "Other", {4000, 750, 1200, 450}, {});
        SetTabOrder({first, second, skipped, limited, list, button, other});

        first->KeyPress = [this](std::int16_t& key) {
            events.push_back("first.KeyPress " + std::to_string(key));
            if (key == 'x')
                key = 0;
            if (key == 13 && first->Text() == "warn") {
                MsgBox("warned");
                second->SetFocus();
            }
        };
        first->LostFocus = [this] {
            events.push_back("first.LostFocus");
            if (first->Text() == "bad") {
                MsgBox("bad text");
                first->SetFocus();
            }
        };
        list->Click = [this] {
            events.push_back("list.Click " + std::to_string(list->ListIndex()));
        };
        button->Click = [this] { events.push_back("button.Click"); };
        other->Click = [this] { events.push_back("other.Click"); };
    }

    void Form_Load() override
    {
        for (const char* line : {"one", "two", "three"})
            list->AddItem(line);
        events.push_back("Load");
    }

    void Form_Unload(std::int16_t& Cancel) override
    {
        events.push_back("Unload");
        Cancel = keepOpen ? 1 : 0;
    }

    tk::TextBox* first;
    tk::TextBox* second;
    tk::TextBox* skipped;
    tk::TextBox* limited;
    tk::ListBox* list;
    tk::CommandButton* button;
    tk::CommandButton* other;
    std::vector<std::string> events;
    bool keepOpen = false;
};

class ToolkitTest : public ProgramTest {
protected:
    void SetUp() override
    {
        ProgramTest::SetUp();
        tk::SetMessageBoxAnswer({}); // the real box, for which the window tests' stand-in stands
        bench = new Bench;
        ShowAndWait(bench);
        agent = std::make_unique<Agent>(bench);
        bench->events.clear();
    }

    int Count(const std::string& event) const
    {
        return static_cast<int>(std::count(bench->events.begin(), bench->events.end(), event));
    }

    Bench* bench = nullptr;
    std::unique_ptr<Agent> agent;
    // Each real message box: modal, plain (no icon, OK alone), with the
    // program's title; its text is recorded and OK clicked.
    ModalWatcher boxes{[this](QWidget* modal) {
        auto* box = qobject_cast<QMessageBox*>(modal);
        if (!box)
            return;
        EXPECT_EQ(box->windowTitle(), "Tarnwell");
        EXPECT_EQ(box->icon(), QMessageBox::NoIcon);
        EXPECT_EQ(box->buttons(), QList<QAbstractButton*>{box->button(QMessageBox::Ok)});
        messages << box->text();
        QTest::mouseClick(box->button(QMessageBox::Ok), Qt::LeftButton);
    }};
};

TEST_F(ToolkitTest, KeyPressSeesCharactersEnterAndBackspaceOnlyAndCanDiscard)
{
    EXPECT_EQ(agent->Focus(), "first"); // the lowest TabIndex, once loaded and shown
    agent->Type("ax1.");
    agent->Press(Qt::Key_Backspace);
    for (const int key : {Qt::Key_Left, Qt::Key_Delete, Qt::Key_Escape})
        agent->Press(key);
    agent->Press(Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(bench->first, 'x', Qt::AltModifier); // Alt and AltGr characters are keys too
    QTest::keyClick(bench->first, Qt::Key_Return, Qt::NoModifier);
    QTest::sendKeyEvent(QTest::KeyAction::Press, bench->first, Qt::Key_Return, '\r',
                        Qt::NoModifier);
    QKeyEvent held(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"), true);
    QApplication::sendEvent(bench->first, &held); // a held <ENTER> counts once
    EXPECT_EQ(bench->events, (std::vector<std::string>{"first.KeyPress 97", "first.KeyPress 120",
                                                       "first.KeyPress 49", "first.KeyPress 46",
                                                       "first.KeyPress 8", "first.KeyPress 120",
                                                       "first.KeyPress 13", "first.KeyPress 13"}));
    EXPECT_EQ(bench->first->Text(), "a");
}

TEST_F(ToolkitTest, TabAndClickRaiseLostFocusButNoKeyPress)
{
    agent->Tab();
    EXPECT_EQ(agent->Focus(), "second");
    agent->Click("first");
    agent->Click("second");
    EXPECT_EQ(bench->events, (std::vector<std::string>{"first.LostFocus", "first.LostFocus"}));
}

// A message box takes the activation, not the focus: only the handler's own
// move to the next field counts, and afterwards the window is active again
// with the focus where the handler put it.
TEST_F(ToolkitTest, MessageBoxFromKeyHandlerRaisesNoLostFocusAndGivesTheWindowBack)
{
    agent->Type("warn");
    agent->Enter();
    EXPECT_EQ(messages, QStringList{"warned"});
    EXPECT_EQ(Count("first.LostFocus"), 1);
    EXPECT_EQ(bench->events.back(), "first.LostFocus");
    EXPECT_EQ(QApplication::activeWindow(), bench);
    EXPECT_EQ(QApplication::focusWidget(), bench->second);
}

// The box a key handler shows does not set off the check on leaving the
// field, even where that check would complain too.
TEST_F(ToolkitTest, MessageFromKeyHandlerSetsOffNoLostFocusCheck)
{
    bench->first->KeyPress = [this](std::int16_t& key) {
        if (key == 13)
            bench->MsgBox("from the key");
    };
    agent->Type("bad");
    agent->Enter();
    EXPECT_EQ(messages, QStringList{"from the key"});
    EXPECT_EQ(Count("first.LostFocus"), 0);
}

TEST_F(ToolkitTest, ClickThatFailsLostFocusCheckShowsMessageThenClicksOnce)
{
    agent->Type("bad");
    agent->Click("button");
    EXPECT_EQ(messages, QStringList{"bad text"});
    EXPECT_EQ(Count("button.Click"), 1);
    const auto message = std::find(bench->events.begin(), bench->events.end(), "first.LostFocus");
    const auto click = std::find(bench->events.begin(), bench->events.end(), "button.Click");
    EXPECT_LT(message, click);
    EXPECT_FALSE(bench->button->isDown());
    EXPECT_EQ(agent->Focus(), "first");
    // A right button press that sets off the message clicks nothing, then or later.
    QTest::mouseClick(bench->other, Qt::RightButton);
    EXPECT_EQ(messages.size(), 2);
    bench->first->SetText("fine");
    QTest::mousePress(bench->other, Qt::LeftButton);
    EXPECT_EQ(Count("other.Click"), 0);
    QTest::mouseRelease(bench->other, Qt::LeftButton);
    EXPECT_EQ(Count("other.Click"), 1);
}

TEST_F(ToolkitTest, ReturnClicksFocusedButtonOnItsPress)
{
    agent->Click("button");
    bench->events.clear();
    QTest::keyPress(bench->button, Qt::Key_Return);
    EXPECT_EQ(bench->events, (std::vector<std::string>{"button.Click"}));
    QTest::keyRelease(bench->button, Qt::Key_Return);
    EXPECT_EQ(Count("button.Click"), 1);
    agent->Press(Qt::Key_Space);
    EXPECT_EQ(Count("button.Click"), 2);
    QKeyEvent held(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"), true);
    QApplication::sendEvent(bench->button, &held); // a held <ENTER> clicks once
    EXPECT_EQ(Count("button.Click"), 2);
}

// The clipboard holds a text exactly as given, blanks included.
TEST_F(ToolkitTest, ClipboardKeepsTheTextAsGiven)
{
    tk::Clipboard::SetText(" 25.00 ");
    EXPECT_EQ(tk::Clipboard::GetText(), " 25.00 ");
}

TEST_F(ToolkitTest, ReturnReleasedOverNewlyFocusedButtonDoesNotClickIt)
{
    bench->first->KeyPress = [this](std::int16_t& key) {
        if (key == 13)
            bench->button->SetFocus();
    };
    agent->Enter(); // pressed in the text box, released on the button
    EXPECT_EQ(agent->Focus(), "button");
    EXPECT_EQ(Count("button.Click"), 0);
}

TEST_F(ToolkitTest, ListClickOnArrowsMouseAndEveryAssignment)
{
    bench->list->SetListIndex(0);
    bench->list->SetListIndex(0); // the same index again
    agent->ClickLine("list", 0);  // the line already highlighted: no change
    agent->Press(Qt::Key_Down);
    agent->ClickLine("list", 2);
    agent->ClickLine("list", 2);
    EXPECT_EQ(bench->events,
              (std::vector<std::string>{"list.Click 0", "list.Click 0", "first.LostFocus",
                                        "list.Click 1", "list.Click 2"}));
}

TEST_F(ToolkitTest, LockedBoxStillRaisesKeyPressButKeepsItsText)
{
    bench->first->SetText("kept");
    bench->first->SetLocked(true);
    agent->Type("9");
    EXPECT_EQ(Count("first.KeyPress 57"), 1);
    EXPECT_EQ(bench->first->Text(), "kept");
}

TEST_F(ToolkitTest, TabSkipsBoxThatIsNoTabStopButClickFocusesIt)
{
    agent->Tab();
    agent->Tab();
    EXPECT_EQ(agent->Focus(), "limited");
    agent->Click("skipped");
    EXPECT_EQ(agent->Focus(), "skipped");
}

TEST_F(ToolkitTest, MaxLengthLimitsTypingButNotTheProgram)
{
    agent->Click("limited");
    const std::string thirty(30, '7');
    agent->Type(thirty);
    EXPECT_EQ(bench->limited->Text(), std::string(25, '7'));
    bench->limited->SetText(thirty);
    EXPECT_EQ(bench->limited->Text(), thirty);
}

// Every way of pasting takes the program's clipboard (the middle button its
// selection), cut to MaxLength; a locked box takes nothing.
TEST_F(ToolkitTest, EveryPasteTakesTheProgramsClipboardCutToMaxLength)
{
    struct : tk::Clipboard::Backend {
        void Clear() override {}
        void SetText(const QString&) override {}
        QString GetText() override { return QString(30, u'5'); }
        QString GetSelectionText() override { return QString(30, u'6'); }
    } fake;
    tk::Clipboard::SetBackend(&fake);
    auto* box = bench->limited;
    const auto byMenu = [box] {
        QTest::mouseClick(box->window()->windowHandle(), Qt::RightButton, {},
                          box->geometry().center());
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        ASSERT_NE(menu, nullptr);
        if (auto* paste = menu->findChild<QAction*>("edit-paste"))
            QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(paste).center());
        menu->close();
    };
    const std::tuple<const char*, std::function<void()>, char> pastes[] = {
        {"Ctrl+V", [this] { agent->Press(Qt::Key_V, Qt::ControlModifier); }, '5'},
        {"Shift+Insert", [this] { agent->Press(Qt::Key_Insert, Qt::ShiftModifier); }, '5'},
        {"menu", byMenu, '5'},
        {"middle button", [box] { QTest::mouseClick(box, Qt::MiddleButton); }, '6'},
    };
    for (const bool locked : {false, true}) {
        for (const auto& [how, paste, digit] : pastes) {
            box->SetText("");
            box->SetLocked(locked);
            agent->Click("limited");
            paste();
            EXPECT_EQ(box->Text(), std::string(locked ? 0 : 25, digit))
                << how << (locked ? ", locked" : "");
        }
    }
}

TEST_F(ToolkitTest, EachEdgeRoundsToTheNearestPixel)
{
    EXPECT_EQ(tk::ToPixels(tk::Twips{3270, 7020, 1455, 375}), QRect(218, 468, 97, 25));
    EXPECT_EQ(tk::ToPixels(tk::Twips{1674, 7, 22, 8}), QRect(112, 0, 1, 1));
}

TEST_F(ToolkitTest, UnloadCanBeCancelledAndUnloadingTheLastWindowEndsTheProgram)
{
    bench->keepOpen = true;
    bench->close();
    EXPECT_TRUE(bench->isVisible());
    EXPECT_FALSE(tk::Program::HasEnded());
    bench->keepOpen = false;
    bench->close();
    EXPECT_FALSE(bench->isVisible());
    EXPECT_TRUE(tk::Program::HasEnded());
    EXPECT_EQ(Count("Unload"), 2);
}

TEST_F(ToolkitTest, ModalShowingReturnsWhenTheWindowIsHidden)
{
    auto* dialog = new Bench;
    ModalWatcher hider([dialog](QWidget* modal) {
        EXPECT_EQ(modal, dialog);
        dialog->Hide();
    });
    dialog->Show(tk::Form::Modality::Modal);
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_TRUE(dialog->IsLoaded());
    EXPECT_FALSE(tk::Program::HasEnded());
}

} // namespace
