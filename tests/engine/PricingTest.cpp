#include "engine/Pricing.h"

#include "engine/Catalogue.h"
#include "engine/NumberText.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <limits>
#include <optional>
#include <string>

namespace StateCalcs {
namespace {

constexpr double kTolerance = 1e-9;
constexpr double kSplit = 20;

template <typename Row>
std::string NameOf(const ::testing::TestParamInfo<Row>& info)
{
    return info.param.name;
}

// One calculation as the agent does it at a split of 20: the amounts typed
// (a second amount above the first is brought down to the first), and the
// charge and remittance shown.
struct AmountRow {
    const char* name;
    const char* code;
    double first;
    std::optional<double> second;
    const char* total;
    const char* remit;
};

class AmountEntry : public ::testing::TestWithParam<AmountRow> {};

TEST_P(AmountEntry, ShowsTheChargeAndTheRemittance)
{
    const AmountRow& row = GetParam();
    double total = 0;
    if (row.second) {
        const double second = std::min(*row.second, row.first);
        const auto charge = ChargeForTwoAmounts(row.code, row.first, second, second);
        ASSERT_TRUE(charge.has_value());
        total = charge->total;
    } else {
        const auto charge = ChargeForAmount(row.code, row.first);
        ASSERT_TRUE(charge.has_value());
        total = *charge;
    }
    // The endorsed-charge entry remits its whole charge, to the cent.
    const double remit = ClassOf(row.code) == EntryClass::EndorsedCharge
                             ? ToTheCent(total)
                             : Remittance(kSplit, total);
    EXPECT_EQ(FormatStandard(total), row.total);
    EXPECT_EQ(FormatStandard(remit), row.remit);
}

const AmountRow kCalculations[] = {
    {"Owners100Thousand", "101", 100'000, {}, "350.00", "70.00"},
    {"OwnersZeroAtMinimum", "101", 0, {}, "70.00", "14.00"},
    {"OwnersWithLoan100Thousand", "403", 100'000, {}, "350.00", "70.00"},
    {"ExpandedOwners100Thousand", "106", 100'000, {}, "385.00", "77.00"},
    {"ExpandedOwnersAtMinimum", "106", 10'000, {}, "77.00", "15.40"},
    {"LoanAtMinimum", "201", 10'000, {}, "50.00", "10.00"},
    {"ExpandedLoan200Thousand", "242", 200'000, {}, "467.50", "93.50"},
    {"EndorsementAtMinimum", "520", 3'000, {}, "500.00", "500.00"},
    {"EndorsementTenth", "520", 7'500, {}, "750.00", "750.00"},
    {"SimultaneousLoanExcess", "402", 250'000, 100'000, "297.50", "59.50"},
    {"SimultaneousLoanOwnersCapped", "402", 250'000, 300'000, "35.00", "7.00"},
    {"ReissueCredit", "901", 250'000, 100'000, "510.00", "102.00"},
    {"ReissuePriorCapped", "901", 100'000, 150'000, "210.00", "42.00"},
    {"ReissueAtMinimum", "901", 10'000, 10'000, "70.00", "14.00"},
    {"RefinanceCredit", "903", 250'000, 100'000, "412.50", "82.50"},
    {"RefinanceFullyCovered", "903", 100'000, 100'000, "150.00", "30.00"},
};

INSTANTIATE_TEST_SUITE_P(AtSplitTwenty, AmountEntry, ::testing::ValuesIn(kCalculations),
                         NameOf<AmountRow>);

TEST(Pricing, ExpandedLoanShowsItsHalfCentsRoundedUp)
{
    const auto total = ChargeForAmount("242", 101'000);
    ASSERT_TRUE(total.has_value());
    EXPECT_NEAR(*total, 251.75 * 1.1, kTolerance);
    EXPECT_EQ(FormatStandard(*total), "276.93");
    EXPECT_EQ(FormatStandard(Remittance(kSplit, *total)), "55.39");
}

// The window prices the typed amount as shown, to the cent: half a cent over
// 50,000 shows as 50,000.01, which goes up to 51,000. Unrounded, the same
// amount lies less than a cent above 50,000 and stays on it.
TEST(Pricing, TypedAmountIsPricedAsShownToTheCent)
{
    const std::string shown = FormatStandard(std::string_view("50000.005"));
    EXPECT_EQ(shown, "50,000.01");
    const auto amount = ParseNumber(shown);
    ASSERT_TRUE(amount.has_value());
    EXPECT_EQ(*amount, 50'000.01);
    EXPECT_EQ(FormatStandard(ChargeForAmount("101", *amount).value_or(0)), "178.50");
    EXPECT_EQ(FormatStandard(ChargeForAmount("101", 50'000.005).value_or(0)), "175.00");
}

// A charge below the entry's minimum becomes the minimum; one equal to it or
// above it stays.
struct MinimumRow {
    const char* name;
    const char* code;
    double amount;
    double charge;
};

class MinimumCharge : public ::testing::TestWithParam<MinimumRow> {};

TEST_P(MinimumCharge, AppliesBelowTheMinimumOnly)
{
    const auto charge = ChargeForAmount(GetParam().code, GetParam().amount);
    ASSERT_TRUE(charge.has_value());
    EXPECT_NEAR(*charge, GetParam().charge, kTolerance);
}

const MinimumRow kMinimums[] = {
    {"OwnersZero", "101", 0, 70},
    {"OwnersBelow", "101", 19'000, 70},
    {"OwnersEqual", "101", 20'000, 70},
    {"OwnersAbove", "101", 21'000, 73.5},
    {"OwnersWithLoanZero", "403", 0, 70},
    {"ExpandedOwnersZero", "106", 0, 77},
    {"ExpandedOwnersEqual", "106", 20'000, 77},
    {"ExpandedOwnersAbove", "106", 21'000, 80.85},
    {"LoanZero", "201", 0, 50},
    {"LoanEqual", "201", 20'000, 50},
    {"LoanAbove", "201", 21'000, 52.5},
    {"ExpandedLoanZero", "242", 0, 55},
    {"ExpandedLoanEqual", "242", 20'000, 55},
    {"ExpandedLoanAbove", "242", 21'000, 57.75},
    {"EndorsementZero", "520", 0, 500},
    {"EndorsementEqual", "520", 5'000, 500},
    {"EndorsementAbove", "520", 5'010, 501},
};

INSTANTIATE_TEST_SUITE_P(Entries, MinimumCharge, ::testing::ValuesIn(kMinimums),
                         NameOf<MinimumRow>);

// Simultaneous loan policy: the loan premium on the loan less the loan premium
// on the owner's policy, plus 35, held to the cent; no minimum applies.
struct SimultaneousRow {
    const char* name;
    double loan;
    double owners;
    double total;
    double credit;
};

class SimultaneousLoan : public ::testing::TestWithParam<SimultaneousRow> {};

TEST_P(SimultaneousLoan, ChargesTheExcessPlusThirtyFiveToTheCent)
{
    const SimultaneousRow& row = GetParam();
    const auto charge = ChargeForTwoAmounts("402", row.loan, row.owners, row.owners);
    ASSERT_TRUE(charge.has_value());
    EXPECT_EQ(charge->total, row.total);
    ASSERT_TRUE(charge->credit.has_value());
    EXPECT_NEAR(*charge->credit, row.credit, kTolerance);
}

const SimultaneousRow kSimultaneous[] = {
    {"Excess", 250'000, 100'000, 297.50, 250},
    {"EqualAmountsOnlyTheFee", 250'000, 250'000, 35.00, 512.50},
    {"ZeroAmountsNoMinimum", 0, 0, 35.00, 0},
    {"AcrossTiers", 501'000, 101'000, 734.75, 251.75},
    {"UpperTiers", 12'345'000, 99'000, 17'918.75, 247.50},
    {"CentAmountsGoUpAThousand", 123'456.78, 100'000.01, 75.25, 251.75},
};

INSTANTIATE_TEST_SUITE_P(Amounts, SimultaneousLoan, ::testing::ValuesIn(kSimultaneous),
                         NameOf<SimultaneousRow>);

// Reissue (901, owner's) and refinance (903, loan) credit: 40% of the premium
// on a smaller prior liability comes off the full premium; a prior liability
// as large as the new one leaves 60% of the full premium and no credit.
struct PriorCreditRow {
    const char* name;
    const char* code;
    double liability;
    double prior;
    double total;
    std::optional<double> credit;
};

class PriorPolicyCredit : public ::testing::TestWithParam<PriorCreditRow> {};

TEST_P(PriorPolicyCredit, CreditsOrChargesTheFullyCoveredShare)
{
    const PriorCreditRow& row = GetParam();
    const auto charge = ChargeForTwoAmounts(row.code, row.liability, row.prior, row.prior);
    ASSERT_TRUE(charge.has_value());
    EXPECT_NEAR(charge->total, row.total, kTolerance);
    ASSERT_EQ(charge->credit.has_value(), row.credit.has_value());
    if (row.credit) {
        EXPECT_NEAR(*charge->credit, *row.credit, kTolerance);
    }
}

const PriorCreditRow kPriorCredits[] = {
    {"ReissueCredit", "901", 250'000, 100'000, 510, 140},
    {"ReissueUpperTiers", "901", 5'001'000, 5'000'000, 6'091.75, 4'060},
    {"ReissueCreditBelowMinimum", "901", 10'000, 5'000, 70, 7},
    {"ReissueFullyCovered", "901", 100'000, 100'000, 210, std::nullopt},
    {"ReissueFullyCoveredMinimum", "901", 10'000, 10'000, 70, std::nullopt},
    {"RefinanceCredit", "903", 250'000, 100'000, 412.5, 100},
    {"RefinanceUpperTiers", "903", 600'000, 500'000, 720, 380},
    {"RefinanceCreditBelowMinimum", "903", 10'000, 5'000, 50, 5},
    {"RefinanceFullyCovered", "903", 100'000, 100'000, 150, std::nullopt},
    {"RefinanceFullyCoveredMinimum", "903", 10'000, 10'000, 50, std::nullopt},
};

INSTANTIATE_TEST_SUITE_P(Entries, PriorPolicyCredit, ::testing::ValuesIn(kPriorCredits),
                         NameOf<PriorCreditRow>);

// The remittance is the split percentage of the charge, rounded only when
// shown.
struct RemitRow {
    const char* name;
    double split;
    double total;
    const char* shown;
};

class RemittanceAtSplit : public ::testing::TestWithParam<RemitRow> {};

TEST_P(RemittanceAtSplit, IsTheSplitPercentageOfTheCharge)
{
    EXPECT_EQ(FormatStandard(Remittance(GetParam().split, GetParam().total)), GetParam().shown);
}

const RemitRow kRemittances[] = {
    {"FifteenOfSchedule", 15, 350, "52.50"}, {"FifteenOfFixed35", 15, 35, "5.25"},
    {"FifteenOfFixed250", 15, 250, "37.50"}, {"TwelveAndAHalf", 12.5, 234.56, "29.32"},
    {"HalfCentOf25Up", 12.5, 25, "3.13"},    {"HalfCentOf35Up", 12.5, 35, "4.38"},
};

INSTANTIATE_TEST_SUITE_P(Splits, RemittanceAtSplit, ::testing::ValuesIn(kRemittances),
                         NameOf<RemitRow>);

TEST(Pricing, RemittanceKeepsFullPrecision)
{
    EXPECT_DOUBLE_EQ(Remittance(15, 350), 52.5);
    EXPECT_DOUBLE_EQ(Remittance(12.5, 25), 3.125);
}

// The whole charge of the endorsed-charge entry is remitted as shown: to the
// cent, half a cent going up.
TEST(Pricing, EndorsementRemitsItsWholeChargeToTheCent)
{
    const auto total = ChargeForAmount("520", 5'555.55);
    ASSERT_TRUE(total.has_value());
    EXPECT_NEAR(*total, 555.555, kTolerance);
    EXPECT_EQ(ToTheCent(*total), 555.56);
    EXPECT_EQ(ToTheCent(800), 800);
}

TEST(Pricing, OnlyAmountEntriesArePricedFromAnAmount)
{
    for (const char* code :
         {"401", "525", "550", "5100", "5250", "660", "510", "500", "402", "901", "903", ""})
        EXPECT_EQ(ChargeForAmount(code, 100'000), std::nullopt) << code;
    for (const char* code : {"101", "106", "201", "242", "403", "520", "401", ""})
        EXPECT_FALSE(ChargeForTwoAmounts(code, 100'000, 50'000, 50'000).has_value()) << code;
}

// There is no upper limit on an amount: the largest amounts still give a
// charge. Only an amount that is not a finite number gives none.
TEST(Pricing, HugeAmountsArePricedButNotInfiniteOnes)
{
    const auto huge = ChargeForAmount("106", 1e308);
    ASSERT_TRUE(huge.has_value());
    EXPECT_NEAR(*huge / ((26'400 + (1e308 - 15e6) * 0.00125) * 1.1), 1.0, 1e-12);
    const double infinity = std::numeric_limits<double>::infinity();
    EXPECT_EQ(ChargeForAmount("106", infinity), std::nullopt);
    EXPECT_EQ(ChargeForAmount("201", std::numeric_limits<double>::quiet_NaN()), std::nullopt);
    EXPECT_FALSE(ChargeForTwoAmounts("901", infinity, 0, 0).has_value());
    EXPECT_FALSE(ChargeForTwoAmounts("402", infinity, 0, 0).has_value());
}

} // namespace
} // namespace StateCalcs
