// Highlighting a line of the rate list prepares the window for that entry;
// <ENTER> in the list then leads to the first amount, or stays put for a fixed entry.

#include "tests/gui/WindowDriver.h"

#include <QAccessible>
#include <QListWidget>

#include <string>
#include <vector>

namespace {

// What the selection decides, as the agent reads it: lbl1, txt1, lbl2 ("" while txt2 and lbl2 are
// hidden), txt2, gross charge, remit.
using Screen = std::vector<std::string>;

const auto kByName = [](const auto& info) { return std::string(info.param.name); };

class SelectionTest : public RatesTest {
protected:
    std::string Read(const char* control) const { return agent->Text(control).toStdString(); }
    int Row() const { return qobject_cast<QListWidget*>(agent->Control("List1"))->currentRow(); }
    // What a screen reader calls the control.
    QString Name(const char* control) const
    {
        return QAccessible::queryAccessibleInterface(agent->Control(control))
            ->text(QAccessible::Name);
    }

    Screen Snapshot() const
    {
        const bool second = agent->Shown("txt2");
        EXPECT_EQ(second, agent->Shown("lbl2")) << "txt2 and its caption go together";
        return {Read("lbl1"), Read("txt1"),           second ? Read("lbl2") : "",
                Read("txt2"), Read("txtTotalCharge"), Read("txtRemit")};
    }
};

// ---- The state after a selection, one line of each class, split 12.5 ----

// Row: catalogue line − 1; txt1 "" asks for an amount, "N/A" is fixed; lbl2 nullptr: txt2 hidden,
// its caption left as it was.
struct Line {
    const char* name;
    int row;
    const char *lbl1, *txt1, *lbl2, *total, *remit;
};

constexpr const char* kL = "Liability";

const Line kLines[] = {
    {"Owners101", 1, kL, "", nullptr, "", ""},
    {"Simultaneous402", 6, kL, "", "Owners Policy Liability", "", ""},
    {"Reissue901", 8, kL, "", "Prior Policy Liability", "", ""},
    {"Zoning520", 13, "Charge for Endorsed Policy", "", nullptr, "", ""},
    // Split fixed charges remit the split share; half a cent goes up.
    {"Loan401", 5, kL, "N/A", nullptr, "35.00", "4.38"},
    {"Street525", 11, kL, "N/A", nullptr, "25.00", "3.13"},
    // Whole fixed charges are remitted in full whatever the split.
    {"Usury510", 60, kL, "N/A", nullptr, "1,000.00", "1,000.00"},
    {"Environmental500", 24, kL, "N/A", nullptr, "No Charge", "0.00"},
};

class SelectedEntry : public SelectionTest, public ::testing::WithParamInterface<Line> {};

TEST_P(SelectedEntry, HighlightPreparesTheEntryAndEnterGoesWhereTheAmountIs)
{
    const Line& line = GetParam();
    EnterSplit("12.5");
    ArrowTo(line.row - 1);
    const std::string captionBefore = Read("lbl2");
    EXPECT_EQ(Name("txt1"), kL);
    agent->Press(Qt::Key_Down);
    ASSERT_EQ(Row(), line.row);
    const Screen expected{line.lbl1, line.txt1,  line.lbl2 ? line.lbl2 : "",
                          "",        line.total, line.remit};
    EXPECT_EQ(Snapshot(), expected);
    EXPECT_EQ(Read("lbl2"), line.lbl2 ? line.lbl2 : captionBefore);
    EXPECT_EQ(agent->Focus(), "List1");
    EXPECT_EQ(Name("lbl1"), line.lbl1);
    EXPECT_EQ(Name("txt1"), line.lbl1);
    EXPECT_EQ(Name("txt2"), line.lbl2 ? line.lbl2 : captionBefore.c_str());
    // Ctrl+Space or Ctrl+click on the highlighted line leaves it highlighted.
    auto* list = qobject_cast<QListWidget*>(agent->Control("List1"));
    for (const bool click : {false, true}) {
        agent->ClickLine("List1", line.row); // highlighted again, should a check have failed
        click ? agent->ClickLine("List1", line.row, Qt::ControlModifier)
              : agent->Press(Qt::Key_Space, Qt::ControlModifier);
        EXPECT_EQ(list->selectedItems(), QList{list->item(line.row)})
            << (click ? "Ctrl+click" : "Ctrl+Space");
        EXPECT_EQ(Snapshot(), expected);
    }

    agent->Enter();
    EXPECT_EQ(agent->Focus(), *line.txt1 ? "List1" : "txt1");
    EXPECT_EQ(Snapshot(), expected);
    EXPECT_EQ(Row(), line.row);
    EXPECT_TRUE(messages.isEmpty());
}

INSTANTIATE_TEST_SUITE_P(Selection, SelectedEntry, ::testing::ValuesIn(kLines), kByName);

// ---- Moving the highlight after a calculation clears what was typed or shown ----

struct Move {
    const char* name;
    int from;
    const char* keys; // typed at the first line, '\n' for <ENTER>
    int to;
    Screen after;
};

const Move kMoves[] = {
    {"From402ToSchedule403", 6, "\n250000\n100000\n", 7, {kL, "", "", "", "", ""}},
    {"From520To402", 14, "\n3000\n", 6, {kL, "", "Owners Policy Liability", "", "", ""}},
    {"SameCode101Line1ToLine2", 0, "\n100000\n", 1, {kL, "", "", "", "", ""}},
};

class HighlightMove : public SelectionTest, public ::testing::WithParamInterface<Move> {};

TEST_P(HighlightMove, NewHighlightClearsWhatWasThere)
{
    const Move& move = GetParam();
    EnterSplit("15");
    ArrowTo(move.from);
    for (const char key : std::string(move.keys))
        key == '\n' ? agent->Enter() : agent->Type(std::string(1, key));
    ASSERT_EQ(agent->Focus(), "cmdContinue");
    agent->ClickLine("List1", move.to);
    ASSERT_EQ(Row(), move.to);
    EXPECT_EQ(Snapshot(), move.after);
    EXPECT_TRUE(messages.isEmpty());
}

INSTANTIATE_TEST_SUITE_P(Selection, HighlightMove, ::testing::ValuesIn(kMoves), kByName);

} // namespace
