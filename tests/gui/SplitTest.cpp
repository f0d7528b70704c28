// The premium split: typed once per run, checked, rewritten with two
// decimals and locked; everything that leads into a calculation waits for it.

#include "tests/gui/WindowDriver.h"
#include "windows/Messages.h"

#include "toolkit/TextBox.h"

namespace {

using Messages::kEnterSplit;
const char* const kInvalid = Messages::kInvalidSplit;

const char* const kGated[] = {"List1", "txt1", "cmdContinue", "cmdInst", "cmdExit"};

struct SplitCase {
    const char* name;
    const char* typed;
    const char* shown; // after <ENTER>; nullptr when rejected
    const char* message;
};

class SplitOnEnter : public RatesTest, public ::testing::WithParamInterface<SplitCase> {};

TEST_P(SplitOnEnter, AcceptedOrRejected)
{
    const SplitCase& c = GetParam();
    agent->Type(c.typed);
    agent->Enter();
    auto* split = rates->findChild<tk::TextBox*>("txtSplit");
    if (c.shown) {
        EXPECT_TRUE(messages.isEmpty());
        EXPECT_EQ(agent->Text("txtSplit"), c.shown);
        EXPECT_EQ(agent->Focus(), "List1");
        EXPECT_TRUE(split->Locked());
        EXPECT_FALSE(split->TabStop());
        for (const char* control : kGated)
            EXPECT_TRUE(agent->Enabled(control)) << control;
        EXPECT_FALSE(agent->Shown("cmdChangeState"));
    } else {
        EXPECT_EQ(messages, QStringList{c.message});
        EXPECT_EQ(agent->Text("txtSplit"), "");
        EXPECT_EQ(agent->Focus(), "txtSplit");
        EXPECT_FALSE(split->Locked());
        for (const char* control : kGated)
            EXPECT_FALSE(agent->Enabled(control)) << control;
    }
}

const SplitCase kSplits[] = {
    {"Fifteen", "15", "15.00", nullptr},
    {"LowestBound", "10", "10.00", nullptr},
    {"HighestBound", "70", "70.00", nullptr},
    {"OneDecimal", "12.5", "12.50", nullptr},
    {"TwoDecimals", "12.34", "12.34", nullptr},
    {"FortyOne", "41", "41.00", nullptr},
    {"SixtyNine", "69.99", "69.99", nullptr},
    {"TrailingPoint", "15.", "15.00", nullptr},
    {"Empty", "", nullptr, kEnterSplit},
    {"JustBelow", "9.99", nullptr, kInvalid},
    {"Five", "5", nullptr, kInvalid},
    {"Zero", "0", nullptr, kInvalid},
    {"LonePoint", ".", nullptr, kInvalid},
    {"JustAbove", "70.01", nullptr, kInvalid},
    {"Hundred", "100", nullptr, kInvalid},
    {"TwoPoints", "12..", nullptr, kInvalid},
    {"PointAfterDecimal", "12.3.", nullptr, kInvalid},
};

INSTANTIATE_TEST_SUITE_P(Split, SplitOnEnter, ::testing::ValuesIn(kSplits),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(RatesTest, SplitKeyFilterDiscardsAllButDigitsAndPoint)
{
    agent->Type("a- ,1x5");
    EXPECT_EQ(agent->Text("txtSplit"), "15");
    agent->Press(Qt::Key_Backspace);
    EXPECT_EQ(agent->Text("txtSplit"), "1");
}

TEST_F(RatesTest, PastedTextThatIsNotAPlainNumberIsRejected)
{
    for (const char* pasted : {"15,0", "ab", "15 "}) {
        agent->Paste(QString::fromLatin1(pasted));
        agent->Enter();
        EXPECT_EQ(agent->Text("txtSplit"), "") << pasted;
        EXPECT_EQ(agent->Focus(), "txtSplit") << pasted;
    }
    EXPECT_EQ(messages, (QStringList{kInvalid, kInvalid, kInvalid}));
}

// Leaving the field checks the split with the same bounds as <ENTER>, so a
// split the field accepted can never end up locked and emptied; a rejected
// one brings the agent back to the field.
TEST_F(RatesTest, LeavingTheFieldChecksTheSplitToo)
{
    agent->Type("40");
    agent->Click("cmdPrintForm");
    EXPECT_EQ(agent->Text("txtSplit"), "40.00");
    EXPECT_EQ(agent->Focus(), "cmdPrintForm");
    EXPECT_TRUE(agent->Enabled("List1"));
}

TEST_F(RatesTest, LeavingTheFieldWithABadSplitRejectsItAndReturns)
{
    agent->Type("71");
    agent->Tab();
    EXPECT_EQ(messages, QStringList{kInvalid});
    EXPECT_EQ(agent->Text("txtSplit"), "");
    EXPECT_EQ(agent->Focus(), "txtSplit");
    EXPECT_FALSE(agent->Enabled("List1"));
    agent->Tab();
    EXPECT_EQ(messages, (QStringList{kInvalid, kEnterSplit}));
    EXPECT_EQ(agent->Focus(), "txtSplit");
    agent->Type("55");
    agent->Click("txtRemit");
    EXPECT_EQ(agent->Text("txtSplit"), "55.00");
    EXPECT_TRUE(agent->Enabled("List1"));
    EXPECT_EQ(messages.size(), 2);
}

TEST_F(RatesTest, AcceptedSplitIsLockedForTheRun)
{
    EnterSplit("15");
    agent->Click("txtSplit");
    agent->Type("9");
    agent->Press(Qt::Key_Backspace);
    EXPECT_EQ(agent->Text("txtSplit"), "15.00");
    agent->Enter(); // the kept split passes again and the agent is back in the list
    EXPECT_EQ(agent->Text("txtSplit"), "15.00");
    EXPECT_EQ(agent->Focus(), "List1");
    EXPECT_TRUE(messages.isEmpty());
}

} // namespace
