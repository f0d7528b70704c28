#include "engine/Schedules.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>

namespace StateCalcs {
namespace {

constexpr double kTolerance = 1e-9;

template <typename Row>
std::string NameOf(const ::testing::TestParamInfo<Row>& info)
{
    return info.param.name;
}

// A liability as the agent types it, the whole thousands it is priced on and
// the premium of each schedule.
struct ScheduleRow {
    const char* name;
    double typed;
    double rounded;
    double owners;
    double loan;
};

const ScheduleRow kScheduleRows[] = {
    {"Zero", 0, 0, 0, 0},
    {"OneDollar", 1, 1'000, 3.50, 2.50},
    {"FiftyThousand", 50'000, 50'000, 175.00, 125.00},
    {"HundredThousand", 100'000, 100'000, 350.00, 250.00},
    {"HundredThousandAndOneCent", 100'000.01, 101'000, 352.00, 251.75},
    {"HundredThousandAndOneDollar", 100'001, 101'000, 352.00, 251.75},
    {"TwoHundredFiftyThousand", 250'000, 250'000, 650.00, 512.50},
    {"FiveHundredThousand", 500'000, 500'000, 1'150.00, 950.00},
    {"FiveHundredThousandAndOneDollar", 500'001, 501'000, 1'152.00, 951.50},
    {"FiveMillion", 5'000'000, 5'000'000, 10'150.00, 7'700.00},
    {"FiveMillionAndOneDollar", 5'000'001, 5'001'000, 10'151.75, 7'701.50},
    {"TenMillion", 10'000'000, 10'000'000, 18'900.00, 15'200.00},
    {"FifteenMillion", 15'000'000, 15'000'000, 26'400.00, 21'450.00},
    {"FifteenMillionAndOneDollar", 15'000'001, 15'001'000, 26'401.25, 21'451.00},
    {"TwentyMillion", 20'000'000, 20'000'000, 32'650.00, 26'450.00},
};

class ScheduleTable : public ::testing::TestWithParam<ScheduleRow> {};

TEST_P(ScheduleTable, RoundsToThousandsAndPricesBothSchedules)
{
    const ScheduleRow& row = GetParam();
    EXPECT_EQ(RoundUpToThousand(row.typed), row.rounded);
    EXPECT_NEAR(OwnersPremium(row.typed), row.owners, kTolerance);
    EXPECT_NEAR(LoanPremium(row.typed), row.loan, kTolerance);
}

INSTANTIATE_TEST_SUITE_P(Liabilities, ScheduleTable, ::testing::ValuesIn(kScheduleRows),
                         NameOf<ScheduleRow>);

// Rounding up to whole thousands: an exact multiple stays, anything a cent or
// more above it goes up, and less than a cent above it stays down.
struct RoundingRow {
    const char* name;
    double amount;
    double rounded;
};

const RoundingRow kRoundingRows[] = {
    {"Zero", 0, 0},
    {"LessThanACent", 0.009, 0},
    {"OneCent", 0.01, 1'000},
    {"OneDollar", 1, 1'000},
    {"NineHundredNinetyNine", 999, 1'000},
    {"ExactThousand", 1'000, 1'000},
    {"HalfACentAboveAThousand", 1'000.005, 1'000},
    {"OneCentAboveAThousand", 1'000.01, 2'000},
    {"HundredThousandStays", 100'000, 100'000},
    {"HundredThousandAndOneDollar", 100'001, 101'000},
};

class ThousandRounding : public ::testing::TestWithParam<RoundingRow> {};

TEST_P(ThousandRounding, BringsTheAmountToWholeThousands)
{
    EXPECT_EQ(RoundUpToThousand(GetParam().amount), GetParam().rounded);
}

INSTANTIATE_TEST_SUITE_P(Amounts, ThousandRounding, ::testing::ValuesIn(kRoundingRows),
                         NameOf<RoundingRow>);

// A tier boundary is priced in the lower tier and lands exactly on the base of
// the tier above; a dollar more is priced on the next thousand at the upper
// tier's rate.
struct BoundaryRow {
    const char* name;
    double (*premium)(double);
    double boundary;
    double lowerPerThousand;
    double upperBase;
    double upperPerThousand;
};

const BoundaryRow kBoundaryRows[] = {
    {"Owners100Thousand", OwnersPremium, 100'000, 3.50, 350, 2.00},
    {"Owners5Million", OwnersPremium, 5'000'000, 2.00, 10'150, 1.75},
    {"Owners10Million", OwnersPremium, 10'000'000, 1.75, 18'900, 1.50},
    {"Owners15Million", OwnersPremium, 15'000'000, 1.50, 26'400, 1.25},
    {"Loan100Thousand", LoanPremium, 100'000, 2.50, 250, 1.75},
    {"Loan500Thousand", LoanPremium, 500'000, 1.75, 950, 1.50},
    {"Loan10Million", LoanPremium, 10'000'000, 1.50, 15'200, 1.25},
    {"Loan15Million", LoanPremium, 15'000'000, 1.25, 21'450, 1.00},
};

class TierBoundary : public ::testing::TestWithParam<BoundaryRow> {};

TEST_P(TierBoundary, LowerTierReachesTheUpperBaseAndUpperTierTakesOver)
{
    const BoundaryRow& row = GetParam();
    const double above = row.upperBase + row.upperPerThousand;
    EXPECT_NEAR(row.premium(row.boundary - 1'000), row.upperBase - row.lowerPerThousand,
                kTolerance);
    EXPECT_NEAR(row.premium(row.boundary), row.upperBase, kTolerance);
    EXPECT_NEAR(row.premium(row.boundary + 1), above, kTolerance);
    EXPECT_NEAR(row.premium(row.boundary + 1'000), above, kTolerance);
}

INSTANTIATE_TEST_SUITE_P(BothSchedules, TierBoundary, ::testing::ValuesIn(kBoundaryRows),
                         NameOf<BoundaryRow>);

// Each base is the premium at the top of the tier below: walking up from zero
// tier by tier at each tier's rate meets the schedule at every boundary.
TEST(PremiumSchedules, BasesChainFromTheFirstTierUp)
{
    struct Tier {
        double top;
        double rate;
    };
    const auto walk = [](double (*premium)(double), std::initializer_list<Tier> tiers) {
        double bottom = 0;
        double accumulated = 0;
        for (const Tier& tier : tiers) {
            accumulated += (tier.top - bottom) * tier.rate;
            EXPECT_NEAR(premium(tier.top), accumulated, kTolerance) << "at " << tier.top;
            bottom = tier.top;
        }
    };
    walk(OwnersPremium, {{100'000, 0.0035},
                         {5'000'000, 0.002},
                         {10'000'000, 0.00175},
                         {15'000'000, 0.0015},
                         {20'000'000, 0.00125}});
    walk(LoanPremium, {{100'000, 0.0025},
                       {500'000, 0.00175},
                       {10'000'000, 0.0015},
                       {15'000'000, 0.00125},
                       {20'000'000, 0.001}});
}

} // namespace
} // namespace StateCalcs
