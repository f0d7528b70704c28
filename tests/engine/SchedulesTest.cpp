#include "engine/Schedules.h"

#include <gtest/gtest.h>

#include <string>

namespace StateCalcs {
namespace {

// A liability as typed, the whole thousands it is priced on, and the owner's
// and loan premiums. Every tier boundary of both schedules (100,000; 500,000;
// 5, 10 and 15 million) is priced a thousand below, on it and a dollar above.
struct ScheduleRow {
    double typed, rounded, owners, loan;
};

// clang-format off
const ScheduleRow kScheduleRows[] = {
    {0, 0, 0, 0}, {0.009, 0, 0, 0}, {0.01, 1'000, 3.50, 2.50}, {999, 1'000, 3.50, 2.50},
    // 999.99, not 1000: less than a cent above a multiple stays on it.
    {1'000, 1'000, 3.50, 2.50}, {1'000.005, 1'000, 3.50, 2.50}, {1'000.01, 2'000, 7.00, 5.00},
    {50'000, 50'000, 175.00, 125.00}, {250'000, 250'000, 650.00, 512.50},
    {99'000, 99'000, 346.50, 247.50}, {100'000, 100'000, 350.00, 250.00},
    {100'000.01, 101'000, 352.00, 251.75},
    {499'000, 499'000, 1'148.00, 948.25}, {500'000, 500'000, 1'150.00, 950.00},
    {500'001, 501'000, 1'152.00, 951.50},
    {4'999'000, 4'999'000, 10'148.00, 7'698.50}, {5'000'000, 5'000'000, 10'150.00, 7'700.00},
    {5'000'001, 5'001'000, 10'151.75, 7'701.50},
    {9'999'000, 9'999'000, 18'898.25, 15'198.50}, {10'000'000, 10'000'000, 18'900.00, 15'200.00},
    {10'000'001, 10'001'000, 18'901.50, 15'201.25},
    {14'999'000, 14'999'000, 26'398.50, 21'448.75}, {15'000'000, 15'000'000, 26'400.00, 21'450.00},
    {15'000'001, 15'001'000, 26'401.25, 21'451.00}, {20'000'000, 20'000'000, 32'650.00, 26'450.00},
};
// clang-format on

TEST(Schedules, RoundToThousandsAndPriceBothSchedules)
{
    for (const auto& [typed, rounded, owners, loan] : kScheduleRows) {
        SCOPED_TRACE(std::to_string(typed));
        EXPECT_EQ(RoundUpToThousand(typed), rounded);
        EXPECT_NEAR(OwnersPremium(typed), owners, 1e-9);
        EXPECT_NEAR(LoanPremium(typed), loan, 1e-9);
    }
}

} // namespace
} // namespace StateCalcs
