// The agent types the liability (or the charge of the endorsed policy, or a
// second liability) and presses <ENTER>: the window shows the gross charge and
// the share to remit, and moves on to Continue.

#include "tests/gui/WindowDriver.h"
#include "windows/Messages.h"

#include <string>
#include <vector>

namespace {

const auto kByName = [](const auto& info) { return std::string(info.param.name); };

class AmountTest : public RatesTest {
protected:
    std::string Read(const char* control) const { return agent->Text(control).toStdString(); }

    // Keys as the agent types them; '\n' stands for <ENTER>.
    void Keys(const std::string& keys)
    {
        for (const char key : keys)
            key == '\n' ? agent->Enter() : agent->Type(std::string(1, key));
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
    {"Simultaneous402_Owners100000", 6, "250000", "100000", "250,000.00", "100,000.00", "297.50",
     "59.50"},
    {"Simultaneous402_OwnersCapped", 6, "250000", "300000", "250,000.00", "250,000.00", "35.00",
     "7.00"},
    {"Reissue901_Prior100000", 8, "250000", "100000", "250,000.00", "100,000.00", "510.00",
     "102.00"},
    {"Reissue901_PriorCapped", 8, "100000", "150000", "100,000.00", "100,000.00", "210.00",
     "42.00"},
    {"Reissue901_Minimum", 8, "10000", "10000", "10,000.00", "10,000.00", "70.00", "14.00"},
    {"Refinance903_Prior100000", 9, "250000", "100000", "250,000.00", "100,000.00", "412.50",
     "82.50"},
    {"Refinance903_PriorEqual", 9, "100000", "100000", "100,000.00", "100,000.00", "150.00",
     "30.00"},
    // 251.75 × 1.1 = 276.925 shows 276.93; 20 % of it is 55.385, shown 55.39.
    {"ExpandedLoan242_101000", 4, "101000", nullptr, "101,000.00", nullptr, "276.93", "55.39"},
    // Priced as shown, to the cent: 1,000.01 rounds up to 2,000, below the minimum.
    {"Owners101_1000_005", 0, "1000.005", nullptr, "1,000.01", nullptr, "70.00", "14.00"},
    // 50,000.01 is priced on 51,000: 51 × 3.50.
    {"Owners101_50000_005", 1, "50000.005", nullptr, "50,000.01", nullptr, "178.50", "35.70"},
    // A zero amount is an amount: the entry's minimum.
    {"Zoning520_Zero", 13, "0", nullptr, "0.00", nullptr, "500.00", "500.00"},
    {"Simultaneous402_BothZero", 6, "0", "0", "0.00", "0.00", "35.00", "7.00"},
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
    EXPECT_TRUE(messages.isEmpty());
}

INSTANTIATE_TEST_SUITE_P(AmountEntryTable, AmountEntry, ::testing::ValuesIn(kCalculations),
                         kByName);

// ---- Texts that are not amounts ask for the amount, refocus the field at fault, change nothing ----

// After the keys of a first calculation, the spoilt field is given the text (pasted: past the key
// filter) and <ENTER> is pressed in it; the focus goes to the faulty field.
struct NotAnAmount {
    const char* name;
    int row;
    const char *keys, *spoilt;
    std::string text;
    bool pasted;
    const char* faulty;
};

const std::vector<NotAnAmount> kNotAmounts = {
    {"LonePointInFirst", 0, "\n100000\n", "txt1", ".", false, "txt1"},
    {"TwoPointsInSecond", 9, "\n250000\n100000\n", "txt2", "1.2.3", false, "txt2"},
    {"PastedLettersInFirst", 4, "\n200000\n", "txt1", "12abc", true, "txt1"},
    {"TooLargeForADouble", 2, "\n100000\n", "txt1", "1" + std::string(400, '0'), true, "txt1"},
    // txt2 reached with the mouse, txt1 still empty.
    {"FirstEmptyAtEnterInSecond", 8, "", "txt2", "100000", false, "txt1"},
};

class AmountNotANumber : public AmountTest, public ::testing::WithParamInterface<NotAnAmount> {};

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
    const auto screen = [this] {
        return std::vector{Read("txt1"), Read("txt2"), Read("txtTotalCharge"), Read("txtRemit")};
    };
    const auto before = screen();
    agent->Enter();
    EXPECT_EQ(messages, QStringList{Messages::kEnterAmount});
    EXPECT_EQ(agent->Focus(), n.faulty);
    EXPECT_EQ(screen(), before);
}

INSTANTIATE_TEST_SUITE_P(AmountEntry, AmountNotANumber, ::testing::ValuesIn(kNotAmounts), kByName);

// ---- Single cases ----

using AmountEntryFlow = AmountTest;

// Only digits and points reach an amount field, in txt1 as in txt2; several points are let through.
TEST_F(AmountEntryFlow, KeyFilterLetsOnlyDigitsAndPointsThrough)
{
    EnterSplit("20");
    ArrowTo(8);
    agent->Enter();
    agent->Type("-1a2B 5,0$0+0e%");
    EXPECT_EQ(Read("txt1"), "125000");
    agent->Enter(); // formats the first amount and asks for the second
    EXPECT_EQ(Read("txt1"), "125,000.00");
    ASSERT_EQ(agent->Focus(), "txt2");
    agent->Type("2x0,0 0-0.5.");
    EXPECT_EQ(Read("txt2"), "20000.5.");
    ExpectResults("", "");
    EXPECT_TRUE(messages.isEmpty());
}

// A fixed entry is priced when picked: a number typed over "N/A" and <ENTER> change nothing.
TEST_F(AmountEntryFlow, EnterOverAFixedChargeDoesNothing)
{
    EnterSplit("20");
    ArrowTo(5);
    SelectAllIn("txt1");
    Keys("250000\n\n");
    EXPECT_EQ(Read("txt1"), "250000");
    ExpectResults("35.00", "7.00");
    EXPECT_EQ(agent->Focus(), "txt1");
    EXPECT_TRUE(messages.isEmpty());
}

} // namespace
