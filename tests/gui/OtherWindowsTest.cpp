// The start-up routine, the instructions and the underwriter selection windows.

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

QWidgetList ShownWindows()
{
    QWidgetList shown = QApplication::topLevelWidgets();
    shown.removeIf([](QWidget* window) { return !window->isVisible(); });
    return shown;
}

void ExpectEnded()
{
    EXPECT_TRUE(tk::Program::HasEnded());
    EXPECT_TRUE(tk::Form::LoadedForms().empty());
    EXPECT_TRUE(ShownWindows().empty());
}

// Closing the rate window by its title bar ends the program, even before the split.
TEST_F(ProgramTest, StartUpOpensTheRateWindowAloneAndClosingItEndsTheProgram)
{
    Main();
    Agent::Settle();
    const QWidgetList shown = ShownWindows();
    ASSERT_EQ(shown.size(), 1);
    EXPECT_EQ(shown[0]->objectName(), "frmRates");
    EXPECT_EQ(shown[0]->focusWidget()->objectName(), "txtSplit");
    shown[0]->close();
    ExpectEnded();
}

// The notes alternate magenta and blue.
const std::pair<const char*, const char*> kNotes[] = {
    {"lblInst1",
     "1.  Although you may use the Tab or mouse to move between fields, you will be most efficient "
     "using the <ENTER> key. "},
    {"lblInst2",
     "2.  Each time you start the program, you will need to re-enter your premium split. It is "
     "therefore preferable to minimize the program rather than close it if you are going to "
     "perform additional calculations soon afterward. "},
    {"LBLiNST3",
     "3.  To change the entry made for the premium split, it is necessary to exit and restart the "
     "program. "},
    {"lblInst4",
     "4.  Once you select a premium split, the program will not cycle you through this field "
     "again. "},
    {"lblInst5",
     "5.  The value in the \"Total Charge/All-Inclusive\" field is saved to the Windows Clipboard "
     "when the \"Continue\" button is clicked or pressed. This feature will allow you to "
     "immediately right-click and paste that saved value into a field such as a HUD line in any "
     "other program. "},
    {"LBLiNST6",
     "6.  Please call your QMV Agency Office if you need assistance with this program.   "},
};

TEST_F(ProgramTest, InstructionsShowTheSixNotesWholeAtTheirOwnPlace)
{
    frmInst& inst = frmInst::Instance();
    EXPECT_EQ(inst.windowTitle(), "Instructions");
    EXPECT_EQ(inst.size(), QSize(489, 488));
    for (std::size_t i = 0; i < std::size(kNotes); ++i) {
        auto* label = inst.findChild<tk::Label*>(kNotes[i].first);
        ASSERT_NE(label, nullptr) << kNotes[i].first;
        EXPECT_EQ(label->Caption(), kNotes[i].second);
        const QColor colour = i % 2 ? QColor(0, 0, 255) : QColor(255, 0, 255);
        EXPECT_EQ(label->palette().color(QPalette::WindowText), colour) << kNotes[i].first;
        EXPECT_TRUE(label->wordWrap());
    }
    for (auto* label : inst.findChildren<tk::Label*>())
        EXPECT_TRUE(label->CaptionFits()) << label->objectName().toStdString();
    for (auto* button : inst.findChildren<tk::CommandButton*>())
        EXPECT_TRUE(button->CaptionFits()) << button->objectName().toStdString();
    ShowAndWait(&inst);
    EXPECT_EQ(inst.geometry().topLeft(), QPoint(88, 96));
    EXPECT_FALSE(inst.windowFlags() & Qt::WindowMinimizeButtonHint);
    EXPECT_FALSE(inst.windowFlags() & Qt::WindowMaximizeButtonHint);
}

// <ENTER> on a name records its code and opens the rate window in its start state.
void ExpectPicked(frmSelectState* select, const char* code)
{
    EXPECT_EQ(StateCalcs::UnderwriterCode, code);
    EXPECT_FALSE(select->isVisible());
    EXPECT_TRUE(select->IsLoaded());
    EXPECT_TRUE(frmRates::Instance().isVisible());
    Agent atRates(&frmRates::Instance());
    EXPECT_EQ(atRates.Focus(), "txtSplit");
    EXPECT_FALSE(atRates.Enabled("List1"));
}

TEST_F(ProgramTest, SelectStateListsTwoUnderwritersPicksOneAndExitEndsEveryWindow)
{
    auto* select = new frmSelectState;
    ShowAndWait(select);
    for (const char* name : {"lblList1", "Label2", "Label3", "Label4", "Label5", "Label6"})
        EXPECT_TRUE(select->findChild<tk::Label*>(name)->CaptionFits()) << name;
    EXPECT_TRUE(select->findChild<tk::CommandButton*>("cmdExit")->CaptionFits());
    auto* small = select->findChild<QWidget*>("Label6");
    EXPECT_TRUE(select->findChild<QWidget*>("Label5")->geometry().contains(small->geometry()));
    EXPECT_FALSE(small->autoFillBackground());
    // The name was made smaller than 18 points (24 pixels) until it fit the substitute face.
    EXPECT_LT(select->findChild<QWidget*>("Label4")->font().pixelSize(), 24);
    Agent agent(select);
    auto* list = qobject_cast<QListWidget*>(agent.Control("ListState"));
    ASSERT_EQ(list->count(), 2);
    EXPECT_EQ(list->item(0)->text(), "ZORVEK");
    EXPECT_EQ(list->item(1)->text(), "QMV");
    EXPECT_EQ(agent.Focus(), "ListState");
    EXPECT_EQ(agent.Text("ListState"), "ZORVEK");
    agent.Type("qQz"); // letters are discarded
    EXPECT_EQ(agent.Text("ListState"), "ZORVEK");
    agent.Press(Qt::Key_Down);
    EXPECT_EQ(agent.Text("ListState"), "QMV");
    agent.Enter();
    ExpectPicked(select, "QMV");
    frmRates::Instance().Hide(); // so that the next pick must show it again
    select->Show();
    Agent::Settle();
    agent.Press(Qt::Key_Up);
    agent.Enter();
    ExpectPicked(select, "ZOR");
    EXPECT_TRUE(messages.isEmpty());
    frmInst::Instance().Show(); // loaded and hidden, it too must end
    frmInst::Instance().Hide();
    select->Show();
    Agent::Settle();
    agent.Click("cmdExit");
    ExpectEnded();
}

} // namespace
