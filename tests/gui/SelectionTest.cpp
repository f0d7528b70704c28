// Highlighting a line of the rate list prepares the window for that entry;
// <ENTER> in the list then leads to the first amount, or stays put for a fixed entry.

#include "tests/gui/WindowDriver.h"

#include <QListWidget>

#include <ostream>
#include <string>
#include <tuple>

namespace {

// What the selection decides, as the agent reads it; lbl2 is "" while txt2 and lbl2 are hidden.
struct Screen {
    std::string lbl1, txt1, lbl2, txt2, total, remit;
    bool operator==(const Screen&) const = default;
};

void PrintTo(const Screen& s, std::ostream* os)
{
    *os << "{lbl1 '" << s.lbl1 << "', txt1 '" << s.txt1 << "', lbl2 '" << s.lbl2 << "', txt2 '" << s.txt2
        << "', gross '" << s.total << "', remit '" << s.remit << "'}";
}

const auto kByName = [](const auto& info) { return std::string(info.param.name); };

class SelectionTest : public RatesTest {
protected:
    std::string Read(const char* control) const { return agent->Text(control).toStdString(); }
    int Row() const { return qobject_cast<QListWidget*>(agent->Control("List1"))->currentRow(); }

    Screen Snapshot() const
    {
        const bool second = agent->Shown("txt2");
        EXPECT_EQ(second, agent->Shown("lbl2")) << "txt2 and its caption go together";
        return {Read("lbl1"), Read("txt1"), second ? Read("lbl2") : "", Read("txt2"), Read("txtTotalCharge"),
                Read("txtRemit")};
    }

    // Keys as the agent types them; '\n' stands for <ENTER>.
    void Keys(const std::string& keys)
    {
        std::size_t from = 0;
        for (std::size_t at; (at = keys.find('\n', from)) != std::string::npos; from = at + 1) {
            agent->Type(keys.substr(from, at - from));
            agent->Enter();
        }
        agent->Type(keys.substr(from));
    }
};

// ---- The state after a selection, one line of each class, at splits 15 and 12.5 ----

// Row: catalogue line − 1; txt1 "" asks for an amount, "N/A" is fixed; lbl2 nullptr: txt2 hidden,
// its caption left as it was.
struct Line {
    const char* name;
    int row;
    const char *lbl1, *txt1, *lbl2, *total, *remit15, *remit12_5;
};

constexpr const char* kL = "Liability";
constexpr const char* kEndorsed = "Charge for Endorsed Policy";

const Line kLines[] = {
    {"Owners101", 1, kL, "", nullptr, "", "", ""},
    {"Simultaneous402", 6, kL, "", "Owners Policy Liability", "", "", ""},
    {"Reissue901", 8, kL, "", "Prior Policy Liability", "", "", ""},
    {"Refinance903", 9, kL, "", "Prior Policy Liability", "", "", ""},
    {"Zoning520", 13, kEndorsed, "", nullptr, "", "", ""},
    // Split fixed charges remit the split share; half a cent goes up.
    {"Loan401", 5, kL, "N/A", nullptr, "35.00", "5.25", "4.38"},
    {"Street525", 11, kL, "N/A", nullptr, "25.00", "3.75", "3.13"},
    {"Mezzanine5250", 45, kL, "N/A", nullptr, "250.00", "37.50", "31.25"},
    // Whole fixed charges are remitted in full whatever the split.
    {"ProtectionLetter660", 10, kL, "N/A", nullptr, "25.00", "25.00", "25.00"},
    {"Usury510", 60, kL, "N/A", nullptr, "1,000.00", "1,000.00", "1,000.00"},
    {"Environmental500", 24, kL, "N/A", nullptr, "No Charge", "0.00", "0.00"},
};

class SelectedEntry : public SelectionTest,
                      public ::testing::WithParamInterface<std::tuple<Line, const char*>> {};

TEST_P(SelectedEntry, HighlightPreparesTheEntryAndEnterGoesWhereTheAmountIs)
{
    const auto& [line, split] = GetParam();
    EnterSplit(split);
    ArrowTo(line.row - 1);
    const std::string captionBefore = Read("lbl2");
    agent->Press(Qt::Key_Down);
    ASSERT_EQ(Row(), line.row);
    const Screen expected{line.lbl1, line.txt1, line.lbl2 ? line.lbl2 : "", "", line.total,
                          std::string(split) == "15" ? line.remit15 : line.remit12_5};
    EXPECT_EQ(Snapshot(), expected);
    EXPECT_EQ(Read("lbl2"), line.lbl2 ? line.lbl2 : captionBefore);
    EXPECT_EQ(agent->Focus(), "List1");

    agent->Enter();
    EXPECT_EQ(agent->Focus(), *line.txt1 ? "List1" : "txt1");
    EXPECT_EQ(Snapshot(), expected);
    EXPECT_EQ(Row(), line.row);
    EXPECT_TRUE(modals.Texts().isEmpty());
}

INSTANTIATE_TEST_SUITE_P(Selection, SelectedEntry,
                         ::testing::Combine(::testing::ValuesIn(kLines), ::testing::Values("15", "12.5")),
                         [](const ::testing::TestParamInfo<std::tuple<Line, const char*>>& info) {
                             return std::string(std::get<0>(info.param).name)
                                    + (std::string(std::get<1>(info.param)) == "15" ? "_15" : "_12_5");
                         });

// ---- Moving the highlight clears what was typed or shown, split 15 ----

struct Move {
    const char* name;
    int from;
    const char* keys; // typed at the first line, '\n' for <ENTER>
    int to;
    Screen after;
};

const Screen kEmpty{kL, "", "", "", "", ""};

const Move kMoves[] = {
    {"From402ComputedToSchedule403", 6, "\n250000\n100000\n", 7, kEmpty},
    {"From901HalfTypedToLoan201", 8, "\n300000\n200000", 3, kEmpty},
    {"From903ToFixed550", 9, "\n150000\n", 21, {kL, "N/A", "", "", "50.00", "7.50"}},
    {"From520ComputedToExpanded106", 13, "\n8000\n", 2, kEmpty},
    {"From520ComputedTo402", 14, "\n3000\n", 6, {kL, "", "Owners Policy Liability", "", "", ""}},
    {"From520ToWholeFixed510", 13, "", 60, {kL, "N/A", "", "", "1,000.00", "1,000.00"}},
    {"FromFixed401To901", 5, "\n", 8, {kL, "", "Prior Policy Liability", "", "", ""}},
    {"SameCode101Line1ToLine2Computed", 0, "\n100000\n", 1, kEmpty},
    {"SameCode520Line15ToLine14", 14, "\n8000\n", 13, {kEndorsed, "", "", "", "", ""}},
    {"SameCode525Line16ToLine17", 15, "", 16, {kL, "N/A", "", "", "25.00", "3.75"}},
};

class HighlightMove : public SelectionTest, public ::testing::WithParamInterface<Move> {};

TEST_P(HighlightMove, NewHighlightClearsWhatWasThere)
{
    const Move& move = GetParam();
    EnterSplit("15");
    ArrowTo(move.from);
    Keys(move.keys);
    // Arrow keys while the list has the focus, otherwise a click on the line.
    if (agent->Focus() == "List1")
        ArrowTo(move.to);
    else
        agent->ClickLine("List1", move.to);
    ASSERT_EQ(Row(), move.to);
    EXPECT_EQ(Snapshot(), move.after);
    EXPECT_TRUE(modals.Texts().isEmpty());
}

INSTANTIATE_TEST_SUITE_P(Selection, HighlightMove, ::testing::ValuesIn(kMoves), kByName);

} // namespace
