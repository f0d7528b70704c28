// The agent types the liability (or the charge of the endorsed policy, or a
// second liability) and presses <ENTER>: the window prices the entry with the
// owner's or loan schedule, applies its minimum, credit or surcharge, shows
// the gross charge and the share to remit, and moves on to Continue.

#include "tests/gui/WindowDriver.h"

#include <ostream>
#include <string>
#include <vector>

namespace {

constexpr const char* kEnterAmount = "Please enter the appropriate amount or charge...";

class AmountFixture : public RatesTest {
protected:
    std::string Read(const char* control) const { return agent->Text(control).toStdString(); }

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

// ---- Pricing through the keyboard flow, split 20 ------------------------------------

struct Calculation {
    const char* name;
    int row;            // catalogue line − 1
    const char* first;  // typed in txt1
    const char* second; // typed in txt2; nullptr for one-amount entries
    const char* shownFirst;
    const char* shownSecond;
    const char* total;
    const char* remit;
};

void PrintTo(const Calculation& c, std::ostream* os) { *os << c.name; }

class AmountEntry : public AmountFixture, public ::testing::WithParamInterface<Calculation> {};

TEST_P(AmountEntry, EnterPricesTheEntry)
{
    const Calculation& c = GetParam();
    EnterSplit("20");
    ArrowTo(c.row);
    agent->Enter();
    ASSERT_EQ(agent->Focus(), "txt1");
    agent->Type(c.first);
    agent->Enter();
    if (c.second) {
        // The first amount alone prices nothing: it is formatted and the
        // second one is asked for.
        EXPECT_EQ(agent->Focus(), "txt2");
        EXPECT_EQ(Read("txt1"), c.shownFirst);
        ExpectResults("", "");
        agent->Type(c.second);
        agent->Enter();
        EXPECT_EQ(Read("txt2"), c.shownSecond);
    }
    EXPECT_EQ(Read("txt1"), c.shownFirst);
    ExpectResults(c.total, c.remit);
    EXPECT_EQ(agent->Focus(), "cmdContinue");
    EXPECT_TRUE(modals.Texts().isEmpty());
}

auto CaseName = [](const ::testing::TestParamInfo<Calculation>& info) {
    return std::string(info.param.name);
};

// Rows: 0 line 1 (101), 1 line 2 (101), 2 (106), 3 (201), 4 (242), 6 (402),
// 7 (403), 8 (901), 9 (903), 13 and 14 (520).
const Calculation kEdgeCases[] = {
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
};

INSTANTIATE_TEST_SUITE_P(AmountEntryTable, AmountEntry, ::testing::ValuesIn(kEdgeCases), CaseName);

// The amount is priced as shown, to the cent; a zero amount gives the
// entry's minimum; a remittance of half a cent goes up.
const Calculation kCentsAndMinimums[] = {
    // 251.75 × 1.1 = 276.925 shows 276.93; 20 % of it is 55.385, shown 55.39.
    {"ExpandedLoan242_101000", 4, "101000", nullptr, "101,000.00", nullptr, "276.93", "55.39"},
    {"Expanded106_101000", 2, "101000", nullptr, "101,000.00", nullptr, "387.20", "77.44"},
    // 1,000.01 rounds up to 2,000: 7.00, below the minimum.
    {"Owners101_1000_005", 0, "1000.005", nullptr, "1,000.01", nullptr, "70.00", "14.00"},
    // 100,000.01 is priced on 101,000: 350 + 2.00.
    {"Owners101_100000_005", 0, "100000.005", nullptr, "100,000.01", nullptr, "352.00", "70.40"},
    // 50,000.01 is priced on 51,000: 51 × 3.50.
    {"Owners101_50000_005", 1, "50000.005", nullptr, "50,000.01", nullptr, "178.50", "35.70"},
    {"Expanded106_Zero", 2, "0", nullptr, "0.00", nullptr, "77.00", "15.40"},
    {"Loan201_Zero", 3, "0", nullptr, "0.00", nullptr, "50.00", "10.00"},
    {"ExpandedLoan242_Zero", 4, "0", nullptr, "0.00", nullptr, "55.00", "11.00"},
    {"Zoning520_Zero", 13, "0", nullptr, "0.00", nullptr, "500.00", "500.00"},
    // A tenth of 7,777.77 is 777.777: the whole charge is remitted, to the cent.
    {"Zoning520_RemitsWholeCharge", 13, "7777.77", nullptr, "7,777.77", nullptr, "777.78", "777.78"},
    {"Simultaneous402_BothZero", 6, "0", "0", "0.00", "0.00", "35.00", "7.00"},
    {"Loan201_TopTier", 3, "15000001", nullptr, "15,000,001.00", nullptr, "21,451.00", "4,290.20"},
};

INSTANTIATE_TEST_SUITE_P(AmountEntryCents, AmountEntry, ::testing::ValuesIn(kCentsAndMinimums),
                         CaseName);

// ---- The key filter ----------------------------------------------------------------

struct Filtered {
    const char* name;
    int row;
    const char* field;
    const char* typed;
    const char* shown;
};

void PrintTo(const Filtered& f, std::ostream* os) { *os << f.name; }

class AmountKeyFilter : public AmountFixture, public ::testing::WithParamInterface<Filtered> {};

TEST_P(AmountKeyFilter, OnlyDigitsAndPointsReachTheField)
{
    const Filtered& f = GetParam();
    EnterSplit("20");
    ArrowTo(f.row);
    agent->Enter();
    if (std::string(f.field) == "txt2")
        Keys("500000\n");
    ASSERT_EQ(agent->Focus(), f.field);
    agent->Type(f.typed);
    EXPECT_EQ(Read(f.field), f.shown);
    ExpectResults("", "");
    EXPECT_TRUE(modals.Texts().isEmpty());
}

const Filtered kFiltered[] = {
    {"LettersDiscarded", 0, "txt1", "1a2B3z", "123"},
    {"MinusDiscarded", 3, "txt1", "-2500", "2500"},
    {"BlankDiscarded", 13, "txt1", "8 000", "8000"},
    {"CommaDiscarded", 2, "txt1", "100,000", "100000"},
    {"SignsDiscarded", 4, "txt1", "+$5e3%", "53"},
    {"SeveralPointsAdmitted", 0, "txt1", "12.5.3", "12.5.3"},
    {"SecondFieldLettersAndComma", 8, "txt2", "2x0,0 0-0", "20000"},
    {"SecondFieldSeveralPoints", 6, "txt2", "1..2", "1..2"},
};

INSTANTIATE_TEST_SUITE_P(AmountEntry, AmountKeyFilter, ::testing::ValuesIn(kFiltered),
                         [](const ::testing::TestParamInfo<Filtered>& info) {
                             return std::string(info.param.name);
                         });

// ---- Texts that are not amounts -------------------------------------------------------

// A first calculation is made, then one field is given a text that is not a
// number and <ENTER> is pressed: the agent is asked for the amount, the focus
// goes to the field at fault, and no text or figure on screen changes.
struct NotAnAmount {
    const char* name;
    int row;
    const char* keys;      // the first calculation, '\n' for <ENTER>
    const char* spoilt;    // field given the bad text
    std::string text;
    bool pasted;           // past the key filter
    const char* enterIn;   // where <ENTER> is pressed
    const char* faulty;    // where the focus goes
};

void PrintTo(const NotAnAmount& n, std::ostream* os) { *os << n.name; }

class AmountNotANumber : public AmountFixture, public ::testing::WithParamInterface<NotAnAmount> {};

TEST_P(AmountNotANumber, AsksForTheAmountAndChangesNothing)
{
    const NotAnAmount& n = GetParam();
    EnterSplit("20");
    ArrowTo(n.row);
    Keys(n.keys);
    SelectAllIn(n.spoilt);
    if (n.pasted)
        agent->Paste(QString::fromStdString(n.text));
    else
        agent->Type(n.text);
    ASSERT_EQ(Read(n.spoilt), n.text);
    if (std::string(n.enterIn) != n.spoilt)
        agent->Click(n.enterIn);
    const char* const fields[] = {"txt1", "txt2", "txtTotalCharge", "txtRemit"};
    std::vector<std::string> before;
    for (const char* field : fields)
        before.push_back(Read(field));

    agent->Enter();

    EXPECT_EQ(modals.Texts(), QStringList{kEnterAmount});
    EXPECT_EQ(agent->Focus(), n.faulty);
    for (std::size_t i = 0; i < before.size(); ++i)
        EXPECT_EQ(Read(fields[i]), before[i]) << fields[i];
}

const std::string kBeyondDouble = "1" + std::string(400, '0');

const std::vector<NotAnAmount> kNotAmounts = {
    {"LonePointInFirst", 0, "\n100000\n", "txt1", ".", false, "txt1", "txt1"},
    {"TwoPointsInFirst", 3, "\n50000\n", "txt1", "1.2.3", false, "txt1", "txt1"},
    {"PastedLettersInFirst", 4, "\n200000\n", "txt1", "12abc", true, "txt1", "txt1"},
    {"PastedMinusInFirst", 13, "\n8000\n", "txt1", "-8000", true, "txt1", "txt1"},
    {"TooLargeForADouble", 2, "\n100000\n", "txt1", kBeyondDouble, true, "txt1", "txt1"},
    {"LonePointInSecond", 6, "\n250000\n100000\n", "txt2", ".", false, "txt2", "txt2"},
    {"TwoPointsInSecond", 9, "\n250000\n100000\n", "txt2", "1.2.3", false, "txt2", "txt2"},
    {"PastedLettersInSecond", 8, "\n250000\n100000\n", "txt2", "1O0", true, "txt2", "txt2"},
    {"FirstNotANumberAtEnterInSecond", 6, "\n250000\n100000\n", "txt1", "1.2.3", false, "txt2", "txt1"},
    // txt2 reached with the mouse, nothing typed in txt1 yet.
    {"FirstEmptyAtEnterInSecond", 8, "", "txt2", "100000", false, "txt2", "txt1"},
};

INSTANTIATE_TEST_SUITE_P(AmountEntry, AmountNotANumber, ::testing::ValuesIn(kNotAmounts),
                         [](const ::testing::TestParamInfo<NotAnAmount>& info) {
                             return std::string(info.param.name);
                         });

// ---- Single cases ----------------------------------------------------------------------

using AmountEntryFlow = AmountFixture;

TEST_F(AmountEntryFlow, EnterInAnEmptyFieldKeepsThePreviousResults)
{
    EnterSplit("20");
    Keys("\n");
    agent->Enter();
    EXPECT_EQ(modals.Texts(), QStringList{kEnterAmount});
    EXPECT_EQ(agent->Focus(), "txt1");
    ExpectResults("", "");

    Keys("100000\n");
    ExpectResults("350.00", "70.00");
    agent->Click("txt1");
    agent->Press(Qt::Key_End);
    for (int i = 0; i < 10; ++i)
        agent->Press(Qt::Key_Backspace);
    ASSERT_EQ(Read("txt1"), "");
    agent->Enter();
    EXPECT_EQ(modals.Texts(), (QStringList{kEnterAmount, kEnterAmount}));
    EXPECT_EQ(agent->Focus(), "txt1");
    EXPECT_EQ(Read("txt1"), "");
    ExpectResults("350.00", "70.00");
}

TEST_F(AmountEntryFlow, ReissueFormatsTheFirstAmountAndAsksForThePrior)
{
    EnterSplit("20");
    ArrowTo(8);
    Keys("\n250000\n");
    EXPECT_EQ(Read("txt1"), "250,000.00");
    EXPECT_EQ(Read("txt2"), "");
    EXPECT_EQ(agent->Focus(), "txt2");
    ExpectResults("", "");
    EXPECT_TRUE(modals.Texts().isEmpty());

    // An empty prior liability is asked for where it belongs.
    agent->Enter();
    EXPECT_EQ(modals.Texts(), QStringList{kEnterAmount});
    EXPECT_EQ(agent->Focus(), "txt2");
    ExpectResults("", "");
}

// Pressing <ENTER> again prices the texts as they then stand; a capped
// second amount stays capped.
TEST_F(AmountEntryFlow, EnterAgainPricesWhatTheFieldsHoldNow)
{
    EnterSplit("20");
    Keys("\n100000\n");
    ExpectResults("350.00", "70.00");
    agent->Click("txt1");
    agent->Enter();
    EXPECT_EQ(Read("txt1"), "100,000.00");
    ExpectResults("350.00", "70.00");
    EXPECT_EQ(agent->Focus(), "cmdContinue");

    SelectAllIn("txt1");
    Keys("250000\n");
    ExpectResults("650.00", "130.00");

    agent->ClickLine("List1", 6);
    Keys("\n250000\n300000\n");
    EXPECT_EQ(Read("txt2"), "250,000.00");
    ExpectResults("35.00", "7.00");
    // 600,000 of loan over the capped 250,000 of owner's: 1,100.00 − 512.50 + 35.
    SelectAllIn("txt1");
    Keys("600000\n\n");
    EXPECT_EQ(Read("txt1"), "600,000.00");
    EXPECT_EQ(Read("txt2"), "250,000.00");
    ExpectResults("622.50", "124.50");
    EXPECT_TRUE(modals.Texts().isEmpty());
}

// A fixed entry is priced when it is picked: a number typed over "N/A" and
// <ENTER> change nothing, and the figures of an earlier calculation never
// come back.
struct Fixed {
    const char* name;
    int row;
    const char* total;
    const char* remit;
};

void PrintTo(const Fixed& f, std::ostream* os) { *os << f.name; }

class AmountOverFixedCharge : public AmountFixture, public ::testing::WithParamInterface<Fixed> {};

TEST_P(AmountOverFixedCharge, EnterInTheFirstFieldDoesNothing)
{
    const Fixed& f = GetParam();
    EnterSplit("20");
    Keys("\n100000\n");
    ExpectResults("350.00", "70.00");
    agent->ClickLine("List1", f.row);
    ExpectResults(f.total, f.remit);

    agent->Click("txt1");
    agent->Press(Qt::Key_End);
    for (int i = 0; i < 3; ++i)
        agent->Press(Qt::Key_Backspace);
    Keys("250000\n");
    EXPECT_EQ(Read("txt1"), "250000");
    ExpectResults(f.total, f.remit);
    SelectAllIn("txt1");
    Keys("1.5\n\n");
    EXPECT_EQ(Read("txt1"), "1.5");
    ExpectResults(f.total, f.remit);
    EXPECT_EQ(agent->Focus(), "txt1");
    EXPECT_TRUE(modals.Texts().isEmpty());
}

INSTANTIATE_TEST_SUITE_P(AmountEntry, AmountOverFixedCharge,
                         ::testing::Values(Fixed{"Loan401", 5, "35.00", "7.00"},
                                           Fixed{"Mezzanine5250", 45, "250.00", "50.00"},
                                           Fixed{"ProtectionLetter660", 10, "25.00", "25.00"},
                                           Fixed{"Usury510", 60, "1,000.00", "1,000.00"},
                                           Fixed{"NoCharge500", 24, "No Charge", "0.00"}),
                         [](const ::testing::TestParamInfo<Fixed>& info) {
                             return std::string(info.param.name);
                         });

// ---- A working session with one split -----------------------------------------------------

// What the agent sees after each step.
struct Step {
    const char* what;
    int row;          // highlighted first with the arrow keys; −1 to stay
    const char* keys; // '\n' for <ENTER>; on Continue it presses Continue
    const char* lbl1;
    const char* txt1;
    const char* lbl2; // nullptr: txt2 and lbl2 hidden
    const char* txt2;
    const char* total;
    const char* remit;
    const char* focus;
};

constexpr const char* kL = "Liability";
constexpr const char* kOwners = "Owners Policy Liability";
constexpr const char* kPrior = "Prior Policy Liability";
constexpr const char* kEndorsed = "Charge for Endorsed Policy";

// Split 15.
const Step kSession[] = {
    {"owner's 250,000", 0, "\n250000\n", kL, "250,000.00", nullptr, "", "650.00", "97.50", "cmdContinue"},
    {"continue", -1, "\n", kL, "", nullptr, "", "", "", "List1"},
    {"401 priced on sight", 5, "", kL, "N/A", nullptr, "", "35.00", "5.25", "List1"},
    {"enter on 401 stays", -1, "\n", kL, "N/A", nullptr, "", "35.00", "5.25", "List1"},
    {"901 first amount", 8, "\n300000\n", kL, "300,000.00", kPrior, "", "", "", "txt2"},
    // 750.00 less 40 % of 550.00.
    {"901 prior 200,000", -1, "200000\n", kL, "300,000.00", kPrior, "200,000.00", "530.00", "79.50",
     "cmdContinue"},
    {"continue on 901", -1, "\n", kL, "", kPrior, "", "", "", "List1"},
    {"520 on 8,000", 13, "\n8000\n", kEndorsed, "8,000.00", nullptr, "", "800.00", "800.00", "cmdContinue"},
    {"continue on 520", -1, "\n", kEndorsed, "", nullptr, "", "", "", "List1"},
    {"520 again on 4,000", -1, "\n4000\n", kEndorsed, "4,000.00", nullptr, "", "500.00", "500.00",
     "cmdContinue"},
    {"continue", -1, "\n", kEndorsed, "", nullptr, "", "", "", "List1"},
    // Prior capped to 150,000: 60 % of 337.50; 15 % of 202.50 is 30.375.
    {"903 prior capped", 9, "\n150000\n200000\n", kL, "150,000.00", kPrior, "150,000.00", "202.50",
     "30.38", "cmdContinue"},
    {"continue", -1, "\n", kL, "", kPrior, "", "", "", "List1"},
    {"242 on 101,000", 4, "\n101000\n", kL, "101,000.00", nullptr, "", "276.93", "41.54", "cmdContinue"},
    {"continue", -1, "\n", kL, "", nullptr, "", "", "", "List1"},
    {"500 no charge", 24, "", kL, "N/A", nullptr, "", "No Charge", "0.00", "List1"},
    {"510 one thousand", 60, "", kL, "N/A", nullptr, "", "1,000.00", "1,000.00", "List1"},
    {"5250 mezzanine", 45, "", kL, "N/A", nullptr, "", "250.00", "37.50", "List1"},
    // 1,100.00 − 425.00 + 35.
    {"402 600,000 over 200,000", 6, "\n600000\n200000\n", kL, "600,000.00", kOwners, "200,000.00",
     "710.00", "106.50", "cmdContinue"},
    {"continue on 402", -1, "\n", kL, "", kOwners, "", "", "", "List1"},
    // 10,150.00 × 1.1.
    {"106 on 5,000,000", 2, "\n5000000\n", kL, "5,000,000.00", nullptr, "", "11,165.00", "1,674.75",
     "cmdContinue"},
    {"continue", -1, "\n", kL, "", nullptr, "", "", "", "List1"},
    // 21,450 + 1.00 for the started thousand above 15,000,000.
    {"201 on 15,000,001", 3, "\n15000001\n", kL, "15,000,001.00", nullptr, "", "21,451.00", "3,217.65",
     "cmdContinue"},
};

TEST_F(AmountEntryFlow, SessionWithOneSplit)
{
    EnterSplit("15");
    for (const Step& step : kSession) {
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
