// Highlighting a line of the rate list prepares the window for that entry:
// the amount fields it needs, their captions, and for a fixed entry the
// charge and the amount to remit at once. <ENTER> in the list then leads to
// the first amount, or stays put when there is nothing to type.

#include "tests/gui/WindowDriver.h"

#include <QListWidget>

#include <ostream>
#include <string>
#include <tuple>

namespace {

// Everything the selection decides, as the agent reads it.
struct Screen {
    std::string lbl1;
    std::string txt1;
    bool second;      // txt2 and its caption lbl2 shown
    std::string lbl2; // "" while hidden
    std::string txt2;
    std::string total;
    std::string remit;

    bool operator==(const Screen&) const = default;
};

void PrintTo(const Screen& s, std::ostream* os)
{
    *os << "{lbl1 \"" << s.lbl1 << "\", txt1 \"" << s.txt1 << "\", second "
        << (s.second ? "shown" : "hidden") << ", lbl2 \"" << s.lbl2 << "\", txt2 \"" << s.txt2
        << "\", gross \"" << s.total << "\", remit \"" << s.remit << "\"}";
}

class SelectionFixture : public RatesTest {
protected:
    std::string Read(const char* control) const { return agent->Text(control).toStdString(); }

    Screen Snapshot() const
    {
        const bool txt2 = agent->Shown("txt2");
        EXPECT_EQ(txt2, agent->Shown("lbl2")) << "txt2 and its caption go together";
        return {Read("lbl1"), Read("txt1"), txt2, txt2 ? Read("lbl2") : "", Read("txt2"),
                Read("txtTotalCharge"), Read("txtRemit")};
    }

    int Row() const { return qobject_cast<QListWidget*>(agent->Control("List1"))->currentRow(); }

    // Keys as the agent types them; '\n' stands for <ENTER>.
    void Keys(const std::string& keys)
    {
        std::string run;
        for (const char c : keys) {
            if (c != '\n') {
                run += c;
                continue;
            }
            agent->Type(run);
            run.clear();
            agent->Enter();
        }
        agent->Type(run);
    }

    // Arrow keys while the list has the focus; otherwise the agent reaches
    // for the mouse and clicks the line.
    void Highlight(int row)
    {
        if (agent->Focus() == "List1")
            ArrowTo(row);
        else
            agent->ClickLine("List1", row);
        ASSERT_EQ(Row(), row);
    }
};

// ---- The state after a selection, for each class of entry --------------------

struct Line {
    const char* name;
    int row;           // catalogue line − 1
    const char* lbl1;
    const char* txt1;  // "" for entries that ask for an amount, "N/A" for fixed ones
    const char* lbl2;  // caption of the second amount; nullptr: hidden, caption left as it was
    const char* total;
    const char* remitAt15;
    const char* remitAt12_50;
};

void PrintTo(const Line& line, std::ostream* os) { *os << line.name; }

constexpr const char* kLiability = "Liability";
constexpr const char* kEndorsed = "Charge for Endorsed Policy";

const Line kLines[] = {
    // Schedule entries: one liability, nothing priced until it is typed.
    {"Line2_Owners101", 1, kLiability, "", nullptr, "", "", ""},
    {"Line3_Expanded106", 2, kLiability, "", nullptr, "", "", ""},
    {"Line4_Loan201", 3, kLiability, "", nullptr, "", "", ""},
    {"Line5_ExpandedLoan242", 4, kLiability, "", nullptr, "", "", ""},
    {"Line8_Owners403", 7, kLiability, "", nullptr, "", "", ""},
    // Two-amount entries: the second field and its own caption appear.
    {"Line7_Simultaneous402", 6, kLiability, "", "Owners Policy Liability", "", "", ""},
    {"Line9_Reissue901", 8, kLiability, "", "Prior Policy Liability", "", "", ""},
    {"Line10_Refinance903", 9, kLiability, "", "Prior Policy Liability", "", "", ""},
    // The endorsed-charge entry asks for the charge of the endorsed policy.
    {"Line14_Zoning520", 13, kEndorsed, "", nullptr, "", "", ""},
    {"Line15_Zoning520", 14, kEndorsed, "", nullptr, "", "", ""},
    // Split fixed charges: the split share of the charge; halves of a cent go up.
    {"Line6_Loan401", 5, kLiability, "N/A", nullptr, "35.00", "5.25", "4.38"},
    {"Line12_Street525", 11, kLiability, "N/A", nullptr, "25.00", "3.75", "3.13"},
    {"Line49_TaxParcel525", 48, kLiability, "N/A", nullptr, "25.00", "3.75", "3.13"},
    {"Line13_Lending5100", 12, kLiability, "N/A", nullptr, "100.00", "15.00", "12.50"},
    {"Line62_Easement5100", 61, kLiability, "N/A", nullptr, "100.00", "15.00", "12.50"},
    {"Line22_Housing550", 21, kLiability, "N/A", nullptr, "50.00", "7.50", "6.25"},
    {"Line60_Subdivision550", 59, kLiability, "N/A", nullptr, "50.00", "7.50", "6.25"},
    {"Line46_Mezzanine5250", 45, kLiability, "N/A", nullptr, "250.00", "37.50", "31.25"},
    // Whole fixed charges are remitted in full whatever the split; 510 is one thousand.
    {"Line11_ProtectionLetter660", 10, kLiability, "N/A", nullptr, "25.00", "25.00", "25.00"},
    {"Line61_Usury510", 60, kLiability, "N/A", nullptr, "1,000.00", "1,000.00", "1,000.00"},
    // The no-charge entry remits nothing.
    {"Line25_Environmental500", 24, kLiability, "N/A", nullptr, "No Charge", "0.00", "0.00"},
};

struct Split {
    const char* name;
    const char* typed;
};

void PrintTo(const Split& split, std::ostream* os) { *os << split.name; }

const Split kSplits[] = {{"Split15", "15"}, {"Split12_50", "12.5"}};

class SelectedEntry : public SelectionFixture,
                       public ::testing::WithParamInterface<std::tuple<Line, Split>> {};

TEST_P(SelectedEntry, HighlightPreparesTheEntryAndEnterGoesWhereTheAmountIs)
{
    const auto& [line, split] = GetParam();
    EnterSplit(split.typed);
    ArrowTo(line.row - 1);
    const std::string captionBefore = Read("lbl2");
    agent->Press(Qt::Key_Down);
    ASSERT_EQ(Row(), line.row);

    const bool halfSplit = std::string(split.typed) == "12.5";
    const Screen expected{line.lbl1, line.txt1, line.lbl2 != nullptr, line.lbl2 ? line.lbl2 : "", "",
                          line.total, halfSplit ? line.remitAt12_50 : line.remitAt15};
    EXPECT_EQ(Snapshot(), expected);
    EXPECT_EQ(Read("lbl2"), line.lbl2 ? line.lbl2 : captionBefore);
    EXPECT_EQ(agent->Focus(), "List1");

    // An amount entry waits for its amount in txt1; a fixed entry is
    // already priced, so the focus stays in the list and nothing changes.
    agent->Enter();
    const bool asksAmount = std::string(line.txt1).empty();
    EXPECT_EQ(agent->Focus(), asksAmount ? "txt1" : "List1");
    EXPECT_EQ(Snapshot(), expected);
    EXPECT_EQ(Row(), line.row);
    EXPECT_TRUE(modals.Texts().isEmpty());
}

INSTANTIATE_TEST_SUITE_P(Selection, SelectedEntry,
                         ::testing::Combine(::testing::ValuesIn(kLines), ::testing::ValuesIn(kSplits)),
                         [](const ::testing::TestParamInfo<std::tuple<Line, Split>>& info) {
                             return std::string(std::get<0>(info.param).name) + "_"
                                    + std::get<1>(info.param).name;
                         });

// ---- Moving the highlight away from what was typed or shown ------------------

struct Move {
    const char* name;
    int from;
    const char* keys; // typed at the first line, '\n' for <ENTER>
    int to;
    Screen after;
};

void PrintTo(const Move& move, std::ostream* os) { *os << move.name; }

const Screen kEmptySchedule{kLiability, "", false, "", "", "", ""};

// The split is 15.00.
const Move kMoves[] = {
    {"From402ComputedToSchedule403", 6, "\n250000\n100000\n", 7, kEmptySchedule},
    {"From901HalfTypedToLoan201", 8, "\n300000\n200000", 3, kEmptySchedule},
    {"From903ToFixed550", 9, "\n150000\n", 21, {kLiability, "N/A", false, "", "", "50.00", "7.50"}},
    {"From520ComputedToExpanded106", 13, "\n8000\n", 2, kEmptySchedule},
    {"From520ComputedTo402", 14, "\n3000\n", 6,
     {kLiability, "", true, "Owners Policy Liability", "", "", ""}},
    {"From520ToWholeFixed510", 13, "", 60, {kLiability, "N/A", false, "", "", "1,000.00", "1,000.00"}},
    {"FromFixed660ToSchedule242", 10, "", 4, kEmptySchedule},
    {"FromNoCharge500To520", 24, "\n", 13, {kEndorsed, "", false, "", "", "", ""}},
    {"FromFixed401To901", 5, "\n", 8, {kLiability, "", true, "Prior Policy Liability", "", "", ""}},
    {"SameCodeLine1ToLine2Computed", 0, "\n100000\n", 1, kEmptySchedule},
    {"SameCodeLine2ToLine1WhileTyping", 1, "\n5000", 0, kEmptySchedule},
    {"SameCode520Line15ToLine14", 14, "\n8000\n", 13, {kEndorsed, "", false, "", "", "", ""}},
    {"SameCode525Line16ToLine17", 15, "", 16, {kLiability, "N/A", false, "", "", "25.00", "3.75"}},
};

class HighlightMove : public SelectionFixture, public ::testing::WithParamInterface<Move> {};

TEST_P(HighlightMove, NewHighlightClearsWhatWasThere)
{
    const Move& move = GetParam();
    EnterSplit("15");
    ArrowTo(move.from);
    Keys(move.keys);
    Highlight(move.to);

    EXPECT_EQ(Snapshot(), move.after);
    EXPECT_TRUE(modals.Texts().isEmpty());
}

INSTANTIATE_TEST_SUITE_P(Selection, HighlightMove, ::testing::ValuesIn(kMoves),
                         [](const ::testing::TestParamInfo<Move>& info) {
                             return std::string(info.param.name);
                         });

// ---- Single cases ----------------------------------------------------------------

using Selection = SelectionFixture;

// Lines 1 and 2 share code 101: the same fields, the same charge.
TEST_F(Selection, LinesOneAndTwoBehaveAlike)
{
    EnterSplit("15");
    ArrowTo(1);
    const Screen line2 = Snapshot();
    Keys("\n250000\n");
    EXPECT_EQ(Read("txtTotalCharge"), "650.00");
    EXPECT_EQ(Read("txtRemit"), "97.50");

    agent->ClickLine("List1", 0);
    EXPECT_EQ(Snapshot(), line2);
    Keys("\n250000\n");
    EXPECT_EQ(Read("txt1"), "250,000.00");
    EXPECT_EQ(Read("txtTotalCharge"), "650.00");
    EXPECT_EQ(Read("txtRemit"), "97.50");
}

// A number typed over "N/A" of a fixed entry is gone when another line of
// the same code is highlighted, which shows its charge again.
TEST_F(Selection, SecondLineOfAFixedCodeShowsItsChargeAgain)
{
    EnterSplit("15");
    ArrowTo(21);
    agent->Click("txt1");
    agent->Press(Qt::Key_A, Qt::ControlModifier);
    agent->Type("5000");
    ASSERT_EQ(Read("txt1"), "5000");

    agent->ClickLine("List1", 22);
    EXPECT_EQ(Snapshot(), (Screen{kLiability, "N/A", false, "", "", "50.00", "7.50"}));
}

// A character other than <ENTER> reaches the list unchanged: a letter that
// starts no line moves nothing, so every field stays as it was.
TEST_F(Selection, LetterTypedInTheListLeavesTheFieldsAlone)
{
    EnterSplit("15");
    for (const int row : {21, 13, 6, 24}) {
        ArrowTo(row);
        const Screen before = Snapshot();
        agent->Type("x");
        agent->Type("Q");
        EXPECT_EQ(Row(), row);
        EXPECT_EQ(Snapshot(), before) << "row " << row;
        EXPECT_EQ(agent->Focus(), "List1");
    }
    EXPECT_TRUE(modals.Texts().isEmpty());
}

// A digit is an ordinary key for the list too: it jumps to the next line that
// begins with it, and that line is prepared like any other selection.
TEST_F(Selection, DigitTypedInTheListJumpsToAMatchingLine)
{
    EnterSplit("15");
    agent->Type("6");
    EXPECT_EQ(Row(), 10);
    EXPECT_EQ(Snapshot(), (Screen{kLiability, "N/A", false, "", "", "25.00", "25.00"}));
    EXPECT_EQ(agent->Focus(), "List1");
}

} // namespace
