// The agent types the liability (or the charge of the endorsed policy, or a
// second liability) and presses <ENTER>: the window shows the gross charge and
// the share to remit, and moves on to Continue.

#include "tests/gui/WindowDriver.h"

#include <string>
#include <vector>

namespace {

constexpr const char* kEnterAmount = "Please enter the appropriate amount or charge...";

const auto kByName = [](const auto& info) { return std::string(info.param.name); };

class AmountTest : public RatesTest {
protected:
    std::string Read(const char* control) const { return agent->Text(control).toStdString(); }

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

    // Clicks into a field and selects its whole text, so that what is typed next replaces it.
    void SelectAllIn(const char* field)
    {
        agent->Click(field);
        agent->Press(Qt::Key_A, Qt::ControlModifier);
    }

    void ExpectResults(const char* total, const char* remit) const
    {
        EXPECT_EQ(Read("txtTotalCharge"), total);
        EXPECT_EQ(Read("txtRemit"), remit);
    }
};

// ---- Pricing through the keyboard, split 20 ----

// Row: catalogue line − 1; first typed in txt1, second in txt2 (nullptr for one-amount entries).
struct Calculation {
    const char* name;
    int row;
    const char *first, *second, *shownFirst, *shownSecond, *total, *remit;
};

const Calculation kCalculations[] = {
    {"Owners101_100000", 0, "100000", nullptr, "100,000.00", nullptr, "350.00", "70.00"},
    {"Owners101_Zero", 1, "0", nullptr, "0.00", nullptr, "70.00", "14.00"},
    {"Owners403_100000", 7, "100000", nullptr, "100,000.00", nullptr, "350.00", "70.00"},
    {"Expanded106_100000", 2, "100000", nullptr, "100,000.00", nullptr, "385.00", "77.00"},
    {"Expanded106_10000_Minimum", 2, "10000", nullptr, "10,000.00", nullptr, "77.00", "15.40"},
    {"Loan201_10000_Minimum", 3, "10000", nullptr, "10,000.00", nullptr, "50.00", "10.00"},
    {"ExpandedLoan242_200000", 4, "200000", nullptr, "200,000.00", nullptr, "467.50", "93.50"},
    {"Zoning520_3000_Minimum", 13, "3000", nullptr, "3,000.00", nullptr, "500.00", "500.00"},
    {"Zoning520_7500", 14, "7500", nullptr, "7,500.00", nullptr, "750.00", "750.00"},
    {"Simultaneous402_Owners100000", 6, "250000", "100000", "250,000.00", "100,000.00", "297.50", "59.50"},
    {"Simultaneous402_OwnersCapped", 6, "250000", "300000", "250,000.00", "250,000.00", "35.00", "7.00"},
    {"Reissue901_Prior100000", 8, "250000", "100000", "250,000.00", "100,000.00", "510.00", "102.00"},
    {"Reissue901_PriorCapped", 8, "100000", "150000", "100,000.00", "100,000.00", "210.00", "42.00"},
    {"Reissue901_Minimum", 8, "10000", "10000", "10,000.00", "10,000.00", "70.00", "14.00"},
    {"Refinance903_Prior100000", 9, "250000", "100000", "250,000.00", "100,000.00", "412.50", "82.50"},
    {"Refinance903_PriorEqual", 9, "100000", "100000", "100,000.00", "100,000.00", "150.00", "30.00"},
    // 251.75 × 1.1 = 276.925 shows 276.93; 20 % of it is 55.385, shown 55.39.
    {"ExpandedLoan242_101000", 4, "101000", nullptr, "101,000.00", nullptr, "276.93", "55.39"},
    // Priced as shown, to the cent: 1,000.01 rounds up to 2,000, below the minimum.
    {"Owners101_1000_005", 0, "1000.005", nullptr, "1,000.01", nullptr, "70.00", "14.00"},
    // 50,000.01 is priced on 51,000: 51 × 3.50.
    {"Owners101_50000_005", 1, "50000.005", nullptr, "50,000.01", nullptr, "178.50", "35.70"},
    // A zero amount gives the entry's minimum.
    {"Expanded106_Zero", 2, "0", nullptr, "0.00", nullptr, "77.00", "15.40"},
    {"Loan201_Zero", 3, "0", nullptr, "0.00", nullptr, "50.00", "10.00"},
    {"ExpandedLoan242_Zero", 4, "0", nullptr, "0.00", nullptr, "55.00", "11.00"},
    {"Zoning520_Zero", 13, "0", nullptr, "0.00", nullptr, "500.00", "500.00"},
    {"Simultaneous402_BothZero", 6, "0", "0", "0.00", "0.00", "35.00", "7.00"},
    // A tenth of 7,777.77 is 777.777: the whole charge is remitted, to the cent.
    {"Zoning520_RemitsWholeCharge", 13, "7777.77", nullptr, "7,777.77", nullptr, "777.78", "777.78"},
    {"Loan201_TopTier", 3, "15000001", nullptr, "15,000,001.00", nullptr, "21,451.00", "4,290.20"},
};

class AmountEntry : public AmountTest, public ::testing::WithParamInterface<Calculation> {};

TEST_P(AmountEntry, EnterPricesTheEntry)
{
    const Calculation& c = GetParam();
    EnterSplit("20");
    ArrowTo(c.row);
    agent->Enter();
    ASSERT_EQ(agent->Focus(), "txt1");
    Keys(std::string(c.first) + "\n");
    if (c.second) {
        // The first amount alone is formatted and the second asked for; nothing is priced.
        EXPECT_EQ(agent->Focus(), "txt2");
        EXPECT_EQ(Read("txt1"), c.shownFirst);
        ExpectResults("", "");
        Keys(std::string(c.second) + "\n");
        EXPECT_EQ(Read("txt2"), c.shownSecond);
    }
    EXPECT_EQ(Read("txt1"), c.shownFirst);
    ExpectResults(c.total, c.remit);
    EXPECT_EQ(agent->Focus(), "cmdContinue");
    EXPECT_TRUE(modals.Texts().isEmpty());
}

INSTANTIATE_TEST_SUITE_P(AmountEntryTable, AmountEntry, ::testing::ValuesIn(kCalculations), kByName);

// ---- The key filter: only digits and points reach an amount field ----

struct Filtered {
    const char* name;
    int row;
    const char *field, *typed, *shown;
};

const Filtered kFiltered[] = {
    {"LettersDiscarded", 0, "txt1", "1a2B3z", "123"},
    {"MinusDiscarded", 3, "txt1", "-2500", "2500"},
    {"BlankAndCommaDiscarded", 13, "txt1", "8 000,5", "80005"},
    {"SignsDiscarded", 4, "txt1", "+$5e3%", "53"},
    {"SeveralPointsAdmitted", 0, "txt1", "12.5.3", "12.5.3"},
    {"SecondFieldLettersAndComma", 8, "txt2", "2x0,0 0-0", "20000"},
    {"SecondFieldSeveralPoints", 6, "txt2", "1..2", "1..2"},
};

class AmountKeyFilter : public AmountTest, public ::testing::WithParamInterface<Filtered> {};

TEST_P(AmountKeyFilter, OnlyDigitsAndPointsReachTheField)
{
    const Filtered& f = GetParam();
    EnterSplit("20");
    ArrowTo(f.row);
    Keys(std::string(f.field) == "txt2" ? "\n500000\n" : "\n");
    ASSERT_EQ(agent->Focus(), f.field);
    agent->Type(f.typed);
    EXPECT_EQ(Read(f.field), f.shown);
    ExpectResults("", "");
    EXPECT_TRUE(modals.Texts().isEmpty());
}

INSTANTIATE_TEST_SUITE_P(AmountEntry, AmountKeyFilter, ::testing::ValuesIn(kFiltered), kByName);

// ---- Texts that are not amounts ask for the amount, refocus the field at fault, change nothing ----

// After the keys of a first calculation, the spoilt field is given the text (pasted: past the key
// filter), <ENTER> is pressed in enterIn, and the focus goes to the faulty field.
struct NotAnAmount {
    const char* name;
    int row;
    const char *keys, *spoilt;
    std::string text;
    bool pasted;
    const char *enterIn, *faulty;
};

const std::vector<NotAnAmount> kNotAmounts = {
    {"EmptyFirstKeepsResults", 0, "\n100000\n", "txt1", "", false, "txt1", "txt1"},
    {"LonePointInFirst", 0, "\n100000\n", "txt1", ".", false, "txt1", "txt1"},
    {"TwoPointsInFirst", 3, "\n50000\n", "txt1", "1.2.3", false, "txt1", "txt1"},
    {"PastedLettersInFirst", 4, "\n200000\n", "txt1", "12abc", true, "txt1", "txt1"},
    {"PastedMinusInFirst", 13, "\n8000\n", "txt1", "-8000", true, "txt1", "txt1"},
    {"TooLargeForADouble", 2, "\n100000\n", "txt1", "1" + std::string(400, '0'), true, "txt1", "txt1"},
    {"EmptySecondAfterFirst", 8, "\n250000\n", "txt2", "", false, "txt2", "txt2"},
    {"LonePointInSecond", 6, "\n250000\n100000\n", "txt2", ".", false, "txt2", "txt2"},
    {"TwoPointsInSecond", 9, "\n250000\n100000\n", "txt2", "1.2.3", false, "txt2", "txt2"},
    {"PastedLettersInSecond", 8, "\n250000\n100000\n", "txt2", "1O0", true, "txt2", "txt2"},
    {"FirstNotANumberAtEnterInSecond", 6, "\n250000\n100000\n", "txt1", "1.2.3", false, "txt2", "txt1"},
    // txt2 reached with the mouse, txt1 still empty.
    {"FirstEmptyAtEnterInSecond", 8, "", "txt2", "100000", false, "txt2", "txt1"},
};

class AmountNotANumber : public AmountTest, public ::testing::WithParamInterface<NotAnAmount> {};

TEST_P(AmountNotANumber, AsksForTheAmountAndChangesNothing)
{
    const NotAnAmount& n = GetParam();
    EnterSplit("20");
    ArrowTo(n.row);
    Keys(n.keys);
    SelectAllIn(n.spoilt);
    if (n.text.empty())
        agent->Press(Qt::Key_Delete);
    else if (n.pasted)
        agent->Paste(QString::fromStdString(n.text));
    else
        agent->Type(n.text);
    ASSERT_EQ(Read(n.spoilt), n.text);
    if (std::string(n.enterIn) != n.spoilt)
        agent->Click(n.enterIn);
    const auto screen = [this] {
        return std::vector{Read("txt1"), Read("txt2"), Read("txtTotalCharge"), Read("txtRemit")};
    };
    const auto before = screen();
    agent->Enter();
    EXPECT_EQ(modals.Texts(), QStringList{kEnterAmount});
    EXPECT_EQ(agent->Focus(), n.faulty);
    EXPECT_EQ(screen(), before);
}

INSTANTIATE_TEST_SUITE_P(AmountEntry, AmountNotANumber, ::testing::ValuesIn(kNotAmounts), kByName);

// ---- Single cases ----

using AmountEntryFlow = AmountTest;

// A fixed entry is priced when picked: a number typed over "N/A" and <ENTER> change nothing.
TEST_F(AmountEntryFlow, EnterOverAFixedChargeDoesNothing)
{
    EnterSplit("20");
    struct Fixed { int row; const char* total; const char* remit; };
    for (const Fixed& f : {Fixed{5, "35.00", "7.00"}, Fixed{60, "1,000.00", "1,000.00"},
                           Fixed{24, "No Charge", "0.00"}}) {
        SCOPED_TRACE(f.row);
        agent->ClickLine("List1", 0);
        Keys("\n100000\n");
        agent->ClickLine("List1", f.row);
        SelectAllIn("txt1");
        Keys("250000\n\n");
        EXPECT_EQ(Read("txt1"), "250000");
        ExpectResults(f.total, f.remit);
        EXPECT_EQ(agent->Focus(), "txt1");
    }
    EXPECT_TRUE(modals.Texts().isEmpty());
}

// <ENTER> again prices the fields as they now stand; a capped second amount stays capped.
TEST_F(AmountEntryFlow, EnterAgainPricesWhatTheFieldsHoldNow)
{
    EnterSplit("20");
    ArrowTo(6);
    Keys("\n250000\n300000\n");
    EXPECT_EQ(Read("txt2"), "250,000.00");
    // 600,000 of loan over the capped 250,000 of owner's: 1,100.00 − 512.50 + 35.
    SelectAllIn("txt1");
    Keys("600000\n\n");
    EXPECT_EQ(Read("txt1"), "600,000.00");
    EXPECT_EQ(Read("txt2"), "250,000.00");
    ExpectResults("622.50", "124.50");
    EXPECT_TRUE(modals.Texts().isEmpty());
}

// A working session at split 15, with Continue between calculations.
TEST_F(AmountEntryFlow, SessionWithOneSplit)
{
    // Row highlighted first with the arrow keys (−1 to stay); '\n' is <ENTER>, on Continue it presses
    // it; lbl2 nullptr: txt2 and lbl2 hidden.
    struct Step {
        const char* what;
        int row;
        const char *keys, *lbl1, *txt1, *lbl2, *txt2, *total, *remit, *focus;
    };
    const char* const kL = "Liability";
    const char* const kPrior = "Prior Policy Liability";
    const char* const kEndorsed = "Charge for Endorsed Policy";
    const Step session[] = {
        // 750.00 less 40 % of 550.00.
        {"901 prior 200,000", 8, "\n300000\n200000\n", kL, "300,000.00", kPrior, "200,000.00", "530.00",
         "79.50", "cmdContinue"},
        {"continue on 901", -1, "\n", kL, "", kPrior, "", "", "", "List1"},
        // Prior capped to 150,000: 60 % of 337.50; 15 % of 202.50 is 30.375.
        {"903 capped", 9, "\n150000\n200000\n", kL, "150,000.00", kPrior, "150,000.00", "202.50", "30.38",
         "cmdContinue"},
        {"continue on 903", -1, "\n", kL, "", kPrior, "", "", "", "List1"},
        {"520 8,000", 13, "\n8000\n", kEndorsed, "8,000.00", nullptr, "", "800.00", "800.00", "cmdContinue"},
        {"continue on 520", -1, "\n", kEndorsed, "", nullptr, "", "", "", "List1"},
        {"520 again 4,000", -1, "\n4000\n", kEndorsed, "4,000.00", nullptr, "", "500.00", "500.00",
         "cmdContinue"},
    };
    EnterSplit("15");
    for (const Step& step : session) {
        SCOPED_TRACE(step.what);
        if (step.row >= 0) {
            ASSERT_EQ(agent->Focus(), "List1");
            ArrowTo(step.row);
        }
        Keys(step.keys);
        EXPECT_EQ(Read("txtSplit"), "15.00");
        EXPECT_EQ(Read("lbl1"), step.lbl1);
        EXPECT_EQ(Read("txt1"), step.txt1);
        EXPECT_EQ(agent->Shown("txt2"), step.lbl2 != nullptr);
        EXPECT_EQ(agent->Shown("lbl2"), step.lbl2 != nullptr);
        if (step.lbl2) {
            EXPECT_EQ(Read("lbl2"), step.lbl2);
            EXPECT_EQ(Read("txt2"), step.txt2);
        }
        ExpectResults(step.total, step.remit);
        EXPECT_EQ(agent->Focus(), step.focus);
    }
    EXPECT_TRUE(modals.Texts().isEmpty());
}

} // namespace
