// The start-up routine, the instructions window and the underwriter
// selection window.

#include "tests/gui/WindowDriver.h"

#include "app/Main.h"
#include "engine/SharedStrings.h"
#include "toolkit/CommandButton.h"
#include "toolkit/Label.h"
#include "toolkit/Program.h"
#include "windows/frmInst.h"
#include "windows/frmRates.h"
#include "windows/frmSelectState.h"

#include <QApplication>
#include <QListWidget>

namespace {

std::vector<QWidget*> ShownWindows()
{
    std::vector<QWidget*> shown;
    for (QWidget* window : QApplication::topLevelWidgets())
        if (window->isVisible())
            shown.push_back(window);
    return shown;
}

using StartUpTest = ProgramTest;

TEST_F(StartUpTest, OpensTheRateWindowAloneAndKeepsNoHoldOnIt)
{
    Main();
    Agent::Settle();
    const auto shown = ShownWindows();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0]->objectName(), "frmRates");
    auto* rates = static_cast<tk::Form*>(shown[0]);
    EXPECT_EQ(rates->focusWidget()->objectName(), "txtSplit");
    rates->close();
    EXPECT_TRUE(tk::Program::HasEnded());
    EXPECT_TRUE(ShownWindows().empty());
}

// ---- Instructions ---------------------------------------------------------------------

struct Note {
    const char* name;
    const char* text;
    QColor colour;
};

const Note kNotes[] = {
    {"lblInst1", "1.  Although you may use the Tab or mouse to move between fields, you will be most "
                 "efficient using the <ENTER> key. ", QColor(255, 0, 255)},
    {"lblInst2", "2.  Each time you start the program, you will need to re-enter your premium split. It "
                 "is therefore preferable to minimize the program rather than close it if you are going "
                 "to perform additional calculations soon afterward. ", QColor(0, 0, 255)},
    {"LBLiNST3", "3.  To change the entry made for the premium split, it is necessary to exit and restart "
                 "the program. ", QColor(255, 0, 255)},
    {"lblInst4", "4.  Once you select a premium split, the program will not cycle you through this field "
                 "again. ", QColor(0, 0, 255)},
    {"lblInst5", "5.  The value in the \"Total Charge/All-Inclusive\" field is saved to the Windows "
                 "Clipboard when the \"Continue\" button is clicked or pressed. This feature will allow you "
                 "to immediately right-click and paste that saved value into a field such as a HUD line in "
                 "any other program. ", QColor(255, 0, 255)},
    {"LBLiNST6", "6.  Please call your QMV Agency Office if you need assistance with this program.   ",
     QColor(0, 0, 255)},
};

TEST_F(ProgramTest, InstructionsShowTheSixNotesWordForWordAndWhole)
{
    frmInst& inst = frmInst::Instance();
    EXPECT_EQ(inst.windowTitle(), "Instructions");
    EXPECT_EQ(inst.size(), QSize(489, 488));
    for (const Note& note : kNotes) {
        auto* label = inst.findChild<tk::Label*>(note.name);
        ASSERT_NE(label, nullptr) << note.name;
        EXPECT_EQ(label->Caption(), note.text);
        EXPECT_EQ(label->palette().color(QPalette::WindowText), note.colour) << note.name;
        EXPECT_TRUE(label->wordWrap());
        EXPECT_TRUE(label->CaptionFits()) << note.name;
    }
    for (auto* button : inst.findChildren<tk::CommandButton*>())
        EXPECT_TRUE(button->CaptionFits()) << button->objectName().toStdString();
    EXPECT_TRUE(inst.findChild<tk::Label*>("Label2")->CaptionFits());
}

TEST_F(ProgramTest, InstructionsOpenAtTheirOwnPlace)
{
    frmInst& inst = frmInst::Instance();
    ShowAndWait(&inst);
    EXPECT_EQ(inst.geometry().topLeft(), QPoint(88, 96));
    EXPECT_FALSE(inst.windowFlags() & Qt::WindowMinimizeButtonHint);
    EXPECT_FALSE(inst.windowFlags() & Qt::WindowMaximizeButtonHint);
}

// ---- Underwriter selection ---------------------------------------------------------------

class SelectStateTest : public ProgramTest {
protected:
    void SetUp() override
    {
        ProgramTest::SetUp();
        select = new frmSelectState;
        ShowAndWait(select);
        agent = std::make_unique<Agent>(select);
    }

    frmSelectState* select = nullptr;
    std::unique_ptr<Agent> agent;
};

TEST_F(SelectStateTest, ListsTheTwoUnderwritersWithTheFirstFocused)
{
    auto* list = qobject_cast<QListWidget*>(agent->Control("ListState"));
    ASSERT_EQ(list->count(), 2);
    EXPECT_EQ(list->item(0)->text(), "ZORVEK");
    EXPECT_EQ(list->item(1)->text(), "QMV");
    EXPECT_EQ(agent->Focus(), "ListState");
    EXPECT_EQ(agent->Text("ListState"), "ZORVEK");
}

TEST_F(SelectStateTest, LettersDoNotMoveTheSelection)
{
    agent->Type("qQz");
    EXPECT_EQ(agent->Text("ListState"), "ZORVEK");
    agent->Press(Qt::Key_Down);
    EXPECT_EQ(agent->Text("ListState"), "QMV");
}

struct Underwriter {
    const char* name;
    int downPresses;
    const char* code;
};

class PickUnderwriter : public SelectStateTest, public ::testing::WithParamInterface<Underwriter> {};

TEST_P(PickUnderwriter, EnterOpensTheRateWindowInItsStartState)
{
    for (int i = 0; i < GetParam().downPresses; ++i)
        agent->Press(Qt::Key_Down);
    agent->Enter();
    EXPECT_EQ(StateCalcs::UnderwriterCode, GetParam().code);
    EXPECT_FALSE(select->isVisible());
    EXPECT_TRUE(select->IsLoaded());
    frmRates& rates = frmRates::Instance();
    EXPECT_TRUE(rates.isVisible());
    Agent atRates(&rates);
    EXPECT_EQ(atRates.Focus(), "txtSplit");
    EXPECT_FALSE(atRates.Enabled("List1"));
    EXPECT_TRUE(modals.Texts().isEmpty());
}

INSTANTIATE_TEST_SUITE_P(Underwriters, PickUnderwriter,
                         ::testing::Values(Underwriter{"Zorvek", 0, "ZOR"}, Underwriter{"Qmv", 1, "QMV"}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(SelectStateTest, ExitProgramEndsEveryWindow)
{
    agent->Enter(); // the rate window opens, this one stays loaded, hidden
    frmInst::Instance().Show();
    frmInst::Instance().Hide();
    select->Show();
    Agent::Settle();
    agent->Click("cmdExit");
    EXPECT_TRUE(tk::Program::HasEnded());
    EXPECT_TRUE(tk::Form::LoadedForms().empty());
    EXPECT_TRUE(ShownWindows().empty());
}

TEST_F(SelectStateTest, CaptionsFitAndTheSmallMarkSitsInsideTheLargeOne)
{
    for (const char* name : {"lblList1", "Label2", "Label3", "Label4", "Label5", "Label6"})
        EXPECT_TRUE(select->findChild<tk::Label*>(name)->CaptionFits()) << name;
    EXPECT_TRUE(select->findChild<tk::CommandButton*>("cmdExit")->CaptionFits());
    auto* big = select->findChild<QWidget*>("Label5");
    auto* small = select->findChild<QWidget*>("Label6");
    EXPECT_TRUE(big->geometry().contains(small->geometry()));
    EXPECT_FALSE(small->autoFillBackground());
    // The name is larger than its box in the substitute face, so it was made
    // smaller than 18 points (24 pixels) until it fit.
    EXPECT_LT(select->findChild<QWidget*>("Label4")->font().pixelSize(), 24);
}

} // namespace
