// The rate window as the agent first sees it.

#include "tests/gui/WindowDriver.h"
#include "windows/Messages.h"

#include "engine/Catalogue.h"
#include "engine/SharedStrings.h"
#include "toolkit/CommandButton.h"
#include "toolkit/Label.h"
#include "toolkit/TextBox.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>

namespace {

struct Placement {
    const char* name;
    int left, top, width, height; // twips
    bool shown;
    bool enabled;
    const char* text;
};

// Every control where the window's layout puts it, in twips, with its state
// at the start of a run.
const Placement kStartState[] = {
    {"txtSplit", 3225, 990, 750, 285, true, true, ""},
    {"List1", 345, 2010, 6435, 2985, true, false, nullptr},
    {"txt1", 3255, 5355, 1455, 375, true, false, ""},
    {"txt2", 3255, 5820, 1455, 375, false, true, ""},
    {"txtTotalCharge", 3255, 6540, 1455, 375, true, true, ""},
    {"txtRemit", 3270, 7020, 1455, 375, true, true, ""},
    {"lbl1", 165, 5415, 2760, 255, true, true, "Liability"},
    {"lbl2", 120, 5895, 2805, 255, false, true, "Prior Liability"},
    {"lblList1", 480, 1530, 4425, 240, true, true,
     " Select with Arrow Keys or Mouse...Then Press <ENTER>"},
    {"lblAllInclusive", 2295, 6615, 630, 240, true, true, "Gross"},
    {"lblSplit", 2040, 1005, 1065, 195, true, true, "Enter Split >"},
    {"lblRemit", 2310, 7095, 615, 255, true, true, "Remit"},
    {"lblSplit2", 4050, 1035, 150, 195, true, true, "%"},
    {"cmdInst", 5505, 6720, 1110, 420, true, false, nullptr},
    {"lblarrowdown2", 2565, 1785, 90, 195, true, true, "v"},
    {"cmdChangeState", 510, 6855, 1110, 540, false, false, nullptr},
    {"cmdExit", 5505, 7185, 1110, 420, true, false, nullptr},
    {"txtHeading", 705, 255, 5820, 540, true, true, "QMV Arkansas Rate Calculations"},
    {"Label1", 5475, 1395, 1185, 435, true, true, "Rates effective  2/1/2013"},
    {"cmdContinue", 5505, 5280, 1110, 615, true, false, nullptr},
    {"cmdPrintForm", 5505, 6075, 1110, 510, true, true, nullptr},
};

class StartStateTest : public RatesTest, public ::testing::WithParamInterface<Placement> {};

TEST_P(StartStateTest, ControlPlacedAndSetAsAtStart)
{
    const Placement& p = GetParam();
    QWidget* control = agent->Control(p.name);
    ASSERT_NE(control, nullptr);
    // Every edge of this window's layout lies on a whole pixel (15 twips).
    EXPECT_EQ(control->geometry(), QRect(p.left / 15, p.top / 15, p.width / 15, p.height / 15));
    EXPECT_EQ(agent->Shown(p.name), p.shown);
    EXPECT_EQ(agent->Enabled(p.name), p.enabled);
    if (p.text) {
        EXPECT_EQ(agent->Text(p.name), QString::fromLatin1(p.text));
    }
}

INSTANTIATE_TEST_SUITE_P(RateWindow, StartStateTest, ::testing::ValuesIn(kStartState),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(RatesTest, WindowIsFixedSizeMinimizableAndCentred)
{
    EXPECT_EQ(rates->windowTitle(), "Arkansas Rates");
    EXPECT_EQ(rates->size(), QSize(476, 515));
    EXPECT_EQ(rates->minimumSize(), rates->maximumSize());
    EXPECT_TRUE(rates->windowFlags() & Qt::WindowMinimizeButtonHint);
    EXPECT_FALSE(rates->windowFlags() & Qt::WindowMaximizeButtonHint);
    const QRect screen = QApplication::primaryScreen()->availableGeometry();
    EXPECT_LE((rates->frameGeometry().center() - screen.center()).manhattanLength(), 2);
}

TEST_F(RatesTest, ListHoldsTheCatalogueWithFirstLineSelected)
{
    auto* list = qobject_cast<QListWidget*>(agent->Control("List1"));
    ASSERT_EQ(list->count(), 62);
    for (int row = 0; row < list->count(); ++row)
        EXPECT_EQ(list->item(row)->text().toStdString(),
                  StateCalcs::RateEntries[static_cast<std::size_t>(row)]);
    EXPECT_EQ(list->currentRow(), 0);
    EXPECT_EQ(StateCalcs::RateCode, "101");
}

TEST_F(RatesTest, OnlyTheSplitFieldTakesInputAtFirst)
{
    EXPECT_EQ(QApplication::focusWidget(), agent->Control("txtSplit"));
    agent->ClickLine("List1", 5);
    agent->Click("txt1");
    agent->Click("cmdExit");
    EXPECT_EQ(agent->Text("List1").left(3), "101");
    EXPECT_TRUE(rates->isVisible());
    agent->Type("1234567"); // five characters at most
    EXPECT_EQ(agent->Text("txtSplit"), "12345");
}

// Once the split is taken, Tab goes round the controls in their order and
// never stops at the split, the heading or the results.
TEST_F(RatesTest, TabFollowsTheControlsOrderAndSkipsHeadingAndResults)
{
    EnterSplit("20");
    QStringList visited;
    for (int i = 0; i < 6; ++i) {
        agent->Tab();
        visited << agent->Focus();
    }
    EXPECT_EQ(visited,
              (QStringList{"txt1", "cmdInst", "cmdExit", "cmdContinue", "cmdPrintForm", "List1"}));
}

// Every caption, heading and catalogue line shows whole in its box in the
// fonts that stand in for the classic ones.
TEST_F(RatesTest, EveryTextFitsItsControl)
{
    for (auto* label : rates->findChildren<tk::Label*>())
        EXPECT_TRUE(label->CaptionFits()) << label->objectName().toStdString();
    for (auto* button : rates->findChildren<tk::CommandButton*>())
        EXPECT_TRUE(button->CaptionFits()) << button->objectName().toStdString();
    auto* heading = rates->findChild<tk::TextBox*>("txtHeading");
    EXPECT_TRUE(heading->TextFits());
    auto* list = qobject_cast<QListWidget*>(agent->Control("List1"));
    const QFontMetrics metrics(list->font());
    for (int row = 0; row < list->count(); ++row) {
        EXPECT_LE(metrics.horizontalAdvance(list->item(row)->text()), list->viewport()->width() - 4)
            << list->item(row)->text().toStdString();
    }
    EXPECT_EQ(agent->Text("cmdContinue"), "Continue\n( Reset )"); // two centred lines
}

// What the program says, word for word; the other tests name these texts.
TEST(Messages, AreWordForWord)
{
    const std::pair<const char*, const char*> said[] = {
        {Messages::kEnterSplit, "Please enter your premium split percentage..."},
        {Messages::kInvalidSplit, "The number appears to be invalid. Please enter your split..."},
        {Messages::kEnterAmount, "Please enter the appropriate amount or charge..."},
        {Messages::kNotCopied, "The total could not be copied to the Clipboard..."},
        {Messages::kNotPrinted, "The form could not be printed. Please check your printer..."},
        {Messages::kStateNotCompleted, "Calculations have not been completed for this state..."},
    };
    for (const auto& [text, words] : said)
        EXPECT_STREQ(text, words);
}

} // namespace
