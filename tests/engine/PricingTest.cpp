#include "engine/Pricing.h"

#include "engine/NumberText.h"

#include <gtest/gtest.h>

#include <limits>
#include <optional>
#include <string>
#include <tuple>

namespace StateCalcs {
namespace {

// The minimums the window tests leave out (403, 242), and either side of 101 reaching 70.
TEST(Pricing, OneAmountChargeIsAtLeastTheMinimum)
{
    for (const auto& [code, amount, total] : {std::tuple{"403", 0.0, "70.00"},
                                              {"242", 0.0, "55.00"},
                                              {"101", 19'000.0, "70.00"},
                                              {"101", 21'000.0, "73.50"}})
        EXPECT_EQ(FormatStandard(ChargeForAmount(code, amount).value_or(-1)), total) << code;
}

// The charge of 402, 901 and 903 with the credit taken off ("" where none is
// given). The second amount is passed as typed and as shown, to the cent; the
// credit is priced on what is shown.
using TwoAmountRow = std::tuple<const char*, double, double, const char*, const char*>;

const TwoAmountRow kTwoAmounts[] = {
    // 402: the loan premium less that on the owner's policy (the credit), plus 35.
    {"402", 250'000, 100'000, "297.50", "250.00"},
    {"402", 250'000, 250'000, "35.00", "512.50"},
    {"402", 250'000, 100'000.005, "295.75", "251.75"}, // credit on 100,000.01
    // 901 and 903: a smaller prior liability takes 40% of its premium off, down
    // to the minimum (70, 50); one as large leaves 60% and gives no credit.
    {"901", 250'000, 100'000, "510.00", "140.00"},
    {"901", 10'000, 5'000, "70.00", "7.00"},
    {"901", 250'000, 100'000.005, "509.20", "140.80"},
    {"901", 100'000, 100'000, "210.00", ""},
    {"903", 250'000, 100'000, "412.50", "100.00"},
    {"903", 10'000, 5'000, "50.00", "5.00"},
    {"903", 250'000, 100'000.005, "411.80", "100.70"},
    {"903", 100'000, 100'000, "150.00", ""},
};

TEST(Pricing, TwoAmountChargeAndCredit)
{
    for (const auto& [code, first, second, total, credit] : kTwoAmounts) {
        SCOPED_TRACE(::testing::Message() << code << ' ' << first << '/' << second);
        const auto charge = ChargeForTwoAmounts(code, first, second, ToTheCent(second));
        ASSERT_TRUE(charge.has_value());
        EXPECT_EQ(FormatStandard(charge->total), total);
        EXPECT_EQ(charge->credit ? FormatStandard(*charge->credit) : "", credit);
    }
}

// The remittance is the split share of the charge, unrounded; shown, a half cent goes up.
TEST(Pricing, RemittanceIsTheSplitShareRoundedOnlyWhenShown)
{
    for (const auto& [split, total, shown] :
         {std::tuple{15.0, 0.3, "0.05"}, {12.5, 100.2, "12.53"}, {12.5, 234.56, "29.32"}})
        EXPECT_EQ(FormatStandard(Remittance(split, total)), shown) << split << "% of " << total;
    EXPECT_DOUBLE_EQ(Remittance(12.5, 25), 3.125);
}

// Only amount entries are priced from amounts, and only to a finite charge.
TEST(Pricing, PricesOnlyAmountEntriesAndFiniteCharges)
{
    for (const char* code :
         {"401", "525", "550", "5100", "5250", "660", "510", "500", "402", "901", "903", ""})
        EXPECT_EQ(ChargeForAmount(code, 100'000), std::nullopt) << code;
    for (const char* code : {"101", "106", "201", "242", "403", "520", "401", ""})
        EXPECT_FALSE(ChargeForTwoAmounts(code, 100'000, 50'000, 50'000).has_value()) << code;
    EXPECT_DOUBLE_EQ(ChargeForAmount("106", 1e308).value_or(0), (26'400 + 1e308 * 0.00125) * 1.1);
    const double infinity = std::numeric_limits<double>::infinity();
    EXPECT_EQ(ChargeForAmount("106", infinity), std::nullopt);
    EXPECT_EQ(ChargeForAmount("201", std::numeric_limits<double>::quiet_NaN()), std::nullopt);
    for (const char* code : {"402", "901", "903"})
        EXPECT_FALSE(ChargeForTwoAmounts(code, infinity, 0, 0).has_value()) << code;
}

} // namespace
} // namespace StateCalcs
