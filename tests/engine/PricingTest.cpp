#include "engine/Pricing.h"

#include "engine/NumberText.h"

#include <gtest/gtest.h>

#include <limits>
#include <optional>
#include <string>
#include <string_view>
#include <tuple>

namespace StateCalcs {
namespace {

// One calculation at a split of 20: the amounts typed (the second one, never
// above the first, is also passed as shown, to the cent), the charge and
// remittance shown, and the credit of 402, 901 and 903 ("" where none).
// Minimums: 101 and 403 70, 106 77, 201 50, 242 55, 520 500, 901 70, 903 50.
struct AmountRow {
    const char* code;
    double first;
    std::optional<double> second;
    const char* total;
    const char* remit;
    const char* credit = "";
};

const AmountRow kCalculations[] = {
    {"101", 100'000, {}, "350.00", "70.00"},   {"101", 0, {}, "70.00", "14.00"},
    {"101", 19'000, {}, "70.00", "14.00"},     {"101", 21'000, {}, "73.50", "14.70"},
    {"403", 100'000, {}, "350.00", "70.00"},   {"403", 0, {}, "70.00", "14.00"},
    // Expanded coverage (106, 242) costs 10% more.
    {"106", 100'000, {}, "385.00", "77.00"},   {"106", 10'000, {}, "77.00", "15.40"},
    {"106", 21'000, {}, "80.85", "16.17"},     {"201", 10'000, {}, "50.00", "10.00"},
    {"201", 21'000, {}, "52.50", "10.50"},     {"242", 0, {}, "55.00", "11.00"},
    {"242", 21'000, {}, "57.75", "11.55"},     {"242", 200'000, {}, "467.50", "93.50"},
    {"242", 101'000, {}, "276.93", "55.39"},
    // 520 is a tenth of the endorsed policy's charge, remitted whole to the cent.
    {"520", 3'000, {}, "500.00", "500.00"},    {"520", 5'010, {}, "501.00", "501.00"},
    {"520", 7'500, {}, "750.00", "750.00"},    {"520", 5'555.55, {}, "555.56", "555.56"},
    // Simultaneous loan: loan premium on the loan less that on the owner's
    // policy, plus 35, to the cent; no minimum.
    {"402", 250'000, 100'000, "297.50", "59.50", "250.00"},
    {"402", 250'000, 250'000, "35.00", "7.00", "512.50"}, {"402", 0, 0, "35.00", "7.00", "0.00"},
    {"402", 501'000, 101'000, "734.75", "146.95", "251.75"},
    {"402", 12'345'000, 99'000, "17,918.75", "3,583.75", "247.50"},
    {"402", 123'456.78, 100'000.01, "75.25", "15.05", "251.75"},
    {"402", 250'000, 100'000.005, "295.75", "59.15", "251.75"}, // credit on 100,000.01
    // Reissue (901) and refinance (903): 40% of the premium on a smaller prior
    // liability comes off; a prior liability as large leaves 60%, no credit.
    {"901", 250'000, 100'000, "510.00", "102.00", "140.00"},
    {"901", 5'001'000, 5'000'000, "6,091.75", "1,218.35", "4,060.00"},
    {"901", 10'000, 5'000, "70.00", "14.00", "7.00"}, {"901", 10'000, 10'000, "70.00", "14.00"},
    {"901", 100'000, 100'000, "210.00", "42.00"},
    {"903", 250'000, 100'000, "412.50", "82.50", "100.00"},
    {"903", 600'000, 500'000, "720.00", "144.00", "380.00"},
    {"903", 250'000, 100'000.005, "411.80", "82.36", "100.70"},
    {"903", 10'000, 5'000, "50.00", "10.00", "5.00"}, {"903", 10'000, 10'000, "50.00", "10.00"},
    {"903", 100'000, 100'000, "150.00", "30.00"},
};

class AmountEntry : public ::testing::TestWithParam<AmountRow> {};

TEST_P(AmountEntry, ShowsTheChargeTheRemittanceAndTheCredit)
{
    const AmountRow& row = GetParam();
    SCOPED_TRACE(std::string(row.code) + " " + std::to_string(row.first));
    double total = 0;
    if (row.second) {
        const auto charge =
            ChargeForTwoAmounts(row.code, row.first, *row.second, ToTheCent(*row.second));
        ASSERT_TRUE(charge.has_value());
        total = charge->total;
        EXPECT_EQ(charge->credit ? FormatStandard(*charge->credit) : "", row.credit);
    } else {
        const auto charge = ChargeForAmount(row.code, row.first);
        ASSERT_TRUE(charge.has_value());
        total = *charge;
    }
    EXPECT_EQ(FormatStandard(total), row.total);
    const bool whole = std::string_view(row.code) == "520";
    EXPECT_EQ(FormatStandard(whole ? ToTheCent(total) : Remittance(20, total)), row.remit);
}

INSTANTIATE_TEST_SUITE_P(AtSplitTwenty, AmountEntry, ::testing::ValuesIn(kCalculations));

// The remittance is the split percentage of the charge, rounded only when shown.
TEST(Pricing, RemittanceIsTheSplitShareRoundedOnlyWhenShown)
{
    for (const auto& [split, total, shown] :
         {std::tuple{15.0, 350.0, "52.50"}, {15.0, 35.0, "5.25"}, {15.0, 250.0, "37.50"},
          {12.5, 234.56, "29.32"}, {12.5, 25.0, "3.13"}, {12.5, 35.0, "4.38"}})
        EXPECT_EQ(FormatStandard(Remittance(split, total)), shown) << split << "% of " << total;
    EXPECT_DOUBLE_EQ(Remittance(12.5, 25), 3.125);
    EXPECT_EQ(ToTheCent(555.555), 555.56);
    EXPECT_EQ(ToTheCent(800), 800);
}

// Only amount entries are priced from amounts; any amount gives a charge
// unless the charge is not finite.
TEST(Pricing, PricesOnlyAmountEntriesAndFiniteCharges)
{
    for (const char* code :
         {"401", "525", "550", "5100", "5250", "660", "510", "500", "402", "901", "903", ""})
        EXPECT_EQ(ChargeForAmount(code, 100'000), std::nullopt) << code;
    for (const char* code : {"101", "106", "201", "242", "403", "520", "401", ""})
        EXPECT_FALSE(ChargeForTwoAmounts(code, 100'000, 50'000, 50'000).has_value()) << code;
    const double huge = (26'400 + (1e308 - 15e6) * 0.00125) * 1.1;
    EXPECT_NEAR(ChargeForAmount("106", 1e308).value_or(0) / huge, 1, 1e-12);
    const double infinity = std::numeric_limits<double>::infinity();
    EXPECT_EQ(ChargeForAmount("106", infinity), std::nullopt);
    EXPECT_EQ(ChargeForAmount("201", std::numeric_limits<double>::quiet_NaN()), std::nullopt);
    EXPECT_FALSE(ChargeForTwoAmounts("901", infinity, 0, 0).has_value());
    EXPECT_FALSE(ChargeForTwoAmounts("402", infinity, 0, 0).has_value());
}

} // namespace
} // namespace StateCalcs
