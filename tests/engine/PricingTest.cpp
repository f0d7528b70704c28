#include "engine/Pricing.h"

#include "engine/NumberText.h"

#include <gtest/gtest.h>

#include <cmath>
#include <iomanip>
#include <limits>
#include <optional>
#include <string>
#include <tuple>
#include <utility>

namespace StateCalcs {
namespace {

// The minimums the window tests leave out (403, 242), and either side of 101 reaching 70.
TEST(Pricing, OneAmountChargeIsAtLeastTheMinimum)
{
    for (const auto& [code, amount, total] : {std::tuple{"403", 0.0, "70.00"},
                                              {"242", 0.0, "55.00"},
                                              {"101", 19'000.0, "70.00"},
                                              {"101", 21'000.0, "73.50"}})
        EXPECT_EQ(ChargeText(*PriceLine(code, {amount, 0}, 20)), total) << code;
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
        const auto charge = PriceLine(code, {first, second}, 20);
        ASSERT_TRUE(charge.has_value());
        EXPECT_EQ(ChargeText(*charge), total);
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
    // A computed charge is remitted unrounded: half of 276.925 is 138.4625.
    EXPECT_EQ(FormatStandard(*PriceLine("242", {101'000, 0}, 50)->remit), "138.46");
}

// Fixed entries ignore the amounts; an unknown code or a charge that is not
// finite prices nothing; without a split only whole remittances are known.
TEST(Pricing, FixedChargesUnknownCodesAndFiniteCharges)
{
    for (const auto& [code, total, remit] : {std::tuple{"401", "35.00", "4.38"},
                                             {"5250", "250.00", "31.25"},
                                             {"510", "1,000.00", "1,000.00"},
                                             {"660", "25.00", "25.00"},
                                             {"500", "No Charge", "0.00"}}) {
        const auto line = PriceLine(code, {100'000, 50'000}, 12.5);
        ASSERT_TRUE(line.has_value()) << code;
        EXPECT_EQ(ChargeText(*line), total) << code;
        EXPECT_EQ(FormatStandard(line->remit.value_or(-1)), remit) << code;
    }
    for (const char* code : {"", "51", "0101", "5000"})
        EXPECT_FALSE(PriceLine(code, {100'000, 0}, 20).has_value()) << code;
    EXPECT_DOUBLE_EQ(PriceLine("106", {1e308, 0}, 20)->total, (26'400 + 1e308 * 0.00125) * 1.1);
    const double infinity = std::numeric_limits<double>::infinity();
    EXPECT_FALSE(PriceLine("106", {infinity, 0}, 20).has_value());
    EXPECT_FALSE(PriceLine("201", {std::numeric_limits<double>::quiet_NaN(), 0}, 20).has_value());
    for (const char* code : {"402", "901", "903"})
        EXPECT_FALSE(PriceLine(code, {infinity, 0}, 20).has_value()) << code;
    EXPECT_FALSE(PriceLine("101", {100'000, 0}, std::nullopt)->remit.has_value());
    EXPECT_EQ(PriceLine("520", {8'000, 0}, std::nullopt)->remit, 800);
}

// A figure to the cent as its text shows it, worked from each double's exact
// value: fifteen digits, then the cent, each half going up. Where seventeen
// digits end in "50" only the exact value tells: 1.004999999999995 is held as
// 1.004999999999995008... (up), 276.9249999999995 as 276.92499999999949977...
// (down). 999,999,999,999.985 is held as ...9849853515625: fifteen digits make
// it .985, which goes up. From 1e13 the exact value is rounded; a negative
// figure is left as it is; -0 comes back 0.
TEST(Pricing, ToTheCentIsTheFigureAsShown)
{
    // clang-format off
    const std::pair<double, double> figures[] = {
        {1.005, 1.01}, {2.675, 2.68}, {0.145, 0.15}, {276.925, 276.93}, {0.005, 0.01},
        {0.0049, 0}, {0.07, 0.07}, {1.004999999999995, 1.01}, {276.9249999999995, 276.92},
        {100'000, 100'000}, {250'000.5, 250'000.5}, {999'999'999'999.99, 999'999'999'999.99},
        {999'999'999'999.985, 999'999'999'999.99}, {999'999'999'999.995, 1e12},
        {12'345'678'901'234.565, 12'345'678'901'234.56}, {-2.675, -2.675}};
    // clang-format on
    for (const auto& [amount, shown] : figures)
        EXPECT_EQ(ToTheCent(amount), shown) << std::setprecision(17) << amount;
    EXPECT_FALSE(std::signbit(ToTheCent(-0.0)));
}

} // namespace
} // namespace StateCalcs
