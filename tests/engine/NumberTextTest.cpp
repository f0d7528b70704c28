#include "engine/NumberText.h"

#include <gtest/gtest.h>

#include <limits>
#include <optional>
#include <string>

namespace StateCalcs {
namespace {

template <typename Row>
std::string NameOf(const ::testing::TestParamInfo<Row>& info)
{
    return info.param.name;
}

// Amounts are shown with thousands separators and two decimals, rounded to
// the cent with a half going up; a value that reads as a half to 15 digits
// counts as a half even when its binary value lies just below it.
struct FormatRow {
    const char* name;
    double value;
    const char* text;
};

class FormatAmount : public ::testing::TestWithParam<FormatRow> {};

TEST_P(FormatAmount, ShowsTwoDecimalsWithThousandsSeparators)
{
    EXPECT_EQ(FormatStandard(GetParam().value), GetParam().text);
}

const FormatRow kAmounts[] = {
    {"Zero", 0, "0.00"},
    {"OneDecimal", 12.5, "12.50"},
    {"OneThousand", 1000, "1,000.00"},
    {"MillionsCutToCents", 1234567.891, "1,234,567.89"},
    {"HalfCentUp", 276.925, "276.93"},
    {"HalfCentStoredJustBelow", 1.005, "1.01"},
    {"ExactEighth", 0.125, "0.13"},
    {"ExactHalfCent", 4.375, "4.38"},
    {"RemitHalfCent", 55.385, "55.39"},
    {"SumNoise", 0.1 + 0.2, "0.30"},
    {"CarryIntoThousands", 999.995, "1,000.00"},
    {"FourteenDigitsKeepCents", 12345678901234.56, "12,345,678,901,234.56"},
    {"HugeExact", 1e20, "100,000,000,000,000,000,000.00"},
    {"Infinity", std::numeric_limits<double>::infinity(), ""},
    {"NotANumber", std::numeric_limits<double>::quiet_NaN(), ""},
};

INSTANTIATE_TEST_SUITE_P(Values, FormatAmount, ::testing::ValuesIn(kAmounts), NameOf<FormatRow>);

// A typed text is rewritten in the display format when it reads as a number,
// and given back unchanged when it does not.
struct FormatTextRow {
    const char* name;
    const char* text;
    const char* shown;
};

class FormatTypedText : public ::testing::TestWithParam<FormatTextRow> {};

TEST_P(FormatTypedText, RewritesNumbersAndKeepsOtherText)
{
    EXPECT_EQ(FormatStandard(std::string_view(GetParam().text)), GetParam().shown);
}

const FormatTextRow kTypedTexts[] = {
    {"Whole", "15", "15.00"},
    {"GroupsAdded", "250000", "250,000.00"},
    {"HalfCentUp", "1000.005", "1,000.01"},
    {"AlreadyFormatted", "1,000.00", "1,000.00"},
    {"NotApplicable", "N/A", "N/A"},
    {"TwoTrailingPoints", "12..", "12.."},
    {"LonePoint", ".", "."},
    {"TwoPoints", "1.2.3", "1.2.3"},
    {"Letters", "abc", "abc"},
};

INSTANTIATE_TEST_SUITE_P(Texts, FormatTypedText, ::testing::ValuesIn(kTypedTexts),
                         NameOf<FormatTextRow>);

// The whole text must be a number: blanks only around it, "," only between
// digits before the point, one point at most, no sign, exponent or symbol.
struct ParseRow {
    std::string name;
    std::string text;
    std::optional<double> value;
};

class ParseWholeText : public ::testing::TestWithParam<ParseRow> {};

TEST_P(ParseWholeText, ReadsOnlyAWholeNumber)
{
    EXPECT_EQ(ParseNumber(GetParam().text), GetParam().value);
}

const ParseRow kParseTexts[] = {
    {"Whole", "15", 15},
    {"BlanksAround", " 15 ", 15},
    {"Grouped", "1,000", 1000},
    {"GroupedWithCents", "1,000.50", 1000.5},
    {"LeadingPoint", ".5", 0.5},
    {"TrailingPoint", "5.", 5},
    {"LooseGrouping", "1,00", 100},
    {"Zero", "0", 0},
    {"HugeButFinite", "1" + std::string(300, '0'), 1e300},
    {"TinyReadsAsZero", "0." + std::string(400, '0') + "1", 0.0},
    {"Empty", "", std::nullopt},
    {"Blank", " ", std::nullopt},
    {"LonePoint", ".", std::nullopt},
    {"TwoPoints", "1.2.3", std::nullopt},
    {"TwoTrailingPoints", "12..", std::nullopt},
    {"Minus", "-5", std::nullopt},
    {"Plus", "+5", std::nullopt},
    {"Exponent", "1e5", std::nullopt},
    {"Dollar", "$5", std::nullopt},
    {"LeadingComma", ",5", std::nullopt},
    {"TrailingComma", "5,", std::nullopt},
    {"DoubleComma", "1,,0", std::nullopt},
    {"CommaAfterPoint", "1.000,5", std::nullopt},
    {"Letters", "abc", std::nullopt},
    {"BlankInside", "1 000", std::nullopt},
    {"TooLargeForADouble", "1" + std::string(400, '0'), std::nullopt},
};

INSTANTIATE_TEST_SUITE_P(Texts, ParseWholeText, ::testing::ValuesIn(kParseTexts), NameOf<ParseRow>);

// The split check reads the longest number at the start of the text and
// never fails: no number at all reads as 0.
struct LeadingRow {
    const char* name;
    const char* text;
    double value;
};

class LeadingNumberOfText : public ::testing::TestWithParam<LeadingRow> {};

TEST_P(LeadingNumberOfText, ReadsTheLongestNumberAtTheStart)
{
    EXPECT_EQ(LeadingNumber(GetParam().text), GetParam().value);
}

const LeadingRow kLeadingTexts[] = {
    {"Whole", "15", 15},
    {"TwoTrailingPoints", "12..", 12},
    {"SecondPointStops", "12.3.", 12.3},
    {"CommaStops", "15,0", 15},
    {"LonePoint", ".", 0},
    {"Empty", "", 0},
    {"Letters", "abc", 0},
    {"BelowTen", "9.99", 9.99},
    {"LeadingPointThenLetter", ".5x", 0.5},
};

INSTANTIATE_TEST_SUITE_P(Texts, LeadingNumberOfText, ::testing::ValuesIn(kLeadingTexts),
                         NameOf<LeadingRow>);

// A plain number: digits and at most one point, nothing else.
struct PlainRow {
    const char* name;
    const char* text;
    bool plain;
};

class PlainNumberText : public ::testing::TestWithParam<PlainRow> {};

TEST_P(PlainNumberText, IsDigitsWithAtMostOnePoint)
{
    EXPECT_EQ(IsPlainNumber(GetParam().text), GetParam().plain);
}

const PlainRow kPlainTexts[] = {
    {"Whole", "15", true},         {"Decimal", "12.5", true},    {"LeadingPoint", ".5", true},
    {"TrailingPoint", "5.", true}, {"Empty", "", false},         {"LonePoint", ".", false},
    {"Comma", "15,0", false},      {"TwoPoints", "12..", false}, {"LeadingBlank", " 15", false},
    {"Exponent", "1e5", false},
};

INSTANTIATE_TEST_SUITE_P(Texts, PlainNumberText, ::testing::ValuesIn(kPlainTexts),
                         NameOf<PlainRow>);

} // namespace
} // namespace StateCalcs
