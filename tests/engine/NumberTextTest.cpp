#include "engine/NumberText.h"

#include <gtest/gtest.h>

#include <limits>
#include <optional>
#include <string>
#include <utility>

namespace StateCalcs {
namespace {

// "," between thousands, two decimals, a half cent going up; below 1e13 the
// value as it reads to 15 digits, from 1e13 up the exact value.
struct FormatRow {
    double value;
    const char* text;
};

const FormatRow kFormats[] = {
    {0, "0.00"}, {12.5, "12.50"}, {1'000, "1,000.00"}, {1'234'567.891, "1,234,567.89"},
    {276.925, "276.93"}, {1.005, "1.01"}, {0.125, "0.13"}, {4.375, "4.38"}, {55.385, "55.39"},
    {0.1 + 0.2, "0.30"}, {999.995, "1,000.00"}, {12'345'678'901'234.56, "12,345,678,901,234.56"},
    {1e20, "100,000,000,000,000,000,000.00"}, {std::numeric_limits<double>::infinity(), ""},
    {std::numeric_limits<double>::quiet_NaN(), ""},
};

class FormatAmount : public ::testing::TestWithParam<FormatRow> {};

TEST_P(FormatAmount, ShowsTwoDecimalsWithThousandsSeparators)
{
    EXPECT_EQ(FormatStandard(GetParam().value), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(Values, FormatAmount, ::testing::ValuesIn(kFormats));

// A typed text is shown in the "Standard" format if it is a number, else as typed.
TEST(FormatTypedText, RewritesNumbersAndKeepsOtherText)
{
    const std::pair<const char*, const char*> texts[] = {
        {"15", "15.00"}, {"250000", "250,000.00"}, {"50000.005", "50,000.01"},
        {"1,000.00", "1,000.00"}, {"N/A", "N/A"}, {"12..", "12.."}, {".", "."}};
    for (const auto& [text, shown] : texts)
        EXPECT_EQ(FormatStandard(std::string_view(text)), shown) << text;
}

// Each text as the three readers take it: ParseNumber (the whole text, blanks
// around, "," between integer digits, no sign, exponent or symbol; finite),
// LeadingNumber (the longest number at the start, else 0) and IsPlainNumber.
struct ReadRow {
    std::string text;
    std::optional<double> whole;
    double leading;
    bool plain;
};

const std::string kZeros(400, '0');

const ReadRow kReads[] = {
    {"15", 15, 15, true},        {"0", 0, 0, true},           {"12.5", 12.5, 12.5, true},
    {".5", 0.5, 0.5, true},      {"5.", 5, 5, true},          {"9.99", 9.99, 9.99, true},
    {" 15 ", 15, 0, false},      {"1,000", 1'000, 1, false},  {"1,000.50", 1'000.5, 1, false},
    {"1,00", 100, 1, false},     {"", {}, 0, false},          {" ", {}, 0, false},
    {".", {}, 0, false},         {"1.2.3", {}, 1.2, false},   {"12..", {}, 12, false},
    {"12.3.", {}, 12.3, false},  {"-5", {}, 0, false},        {"+5", {}, 0, false},
    {"1e5", {}, 1, false},       {"$5", {}, 0, false},        {",5", {}, 0, false},
    {"5,", {}, 5, false},        {"15,0", 150, 15, false},    {"1,,0", {}, 1, false},
    {"1.000,5", {}, 1, false},   {"abc", {}, 0, false},       {".5x", {}, 0.5, false},
    {"1 000", {}, 1, false},     {"1" + kZeros.substr(100), 1e300, 1e300, true},
    {"0." + kZeros + "1", 0.0, 0, true}, {"1" + kZeros, {}, 0, true}, // too large for a double
};

class ReadText : public ::testing::TestWithParam<ReadRow> {};

TEST_P(ReadText, ReadsAsParseLeadingAndPlainNumber)
{
    const ReadRow& row = GetParam();
    EXPECT_EQ(ParseNumber(row.text), row.whole) << '"' << row.text << '"';
    EXPECT_EQ(LeadingNumber(row.text), row.leading) << '"' << row.text << '"';
    EXPECT_EQ(IsPlainNumber(row.text), row.plain) << '"' << row.text << '"';
}

INSTANTIATE_TEST_SUITE_P(Texts, ReadText, ::testing::ValuesIn(kReads));

} // namespace
} // namespace StateCalcs
