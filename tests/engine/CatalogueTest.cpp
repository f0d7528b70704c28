#include "engine/Catalogue.h"

#include <gtest/gtest.h>

#include <optional>
#include <set>
#include <string>
#include <vector>

namespace StateCalcs {
namespace {

using C = EntryClass;

// Every line of the catalogue: its number in the list, the code at its head
// and the class of that code.
struct LineRow {
    int line;
    const char* code;
    EntryClass entryClass;
};

class CatalogueLine : public ::testing::TestWithParam<LineRow> {};

TEST_P(CatalogueLine, CarriesItsCodeAndClass)
{
    const LineRow& row = GetParam();
    const std::string_view text = RateEntries.at(static_cast<std::size_t>(row.line - 1));
    EXPECT_EQ(RateCodeOf(text), row.code) << text;
    EXPECT_EQ(ClassOf(RateCodeOf(text)), row.entryClass) << text;
    // The code, three blanks after a three-digit code or one after a
    // four-digit code (so the first five characters hold the code and blanks
    // only), "- " and the description. An endorsement's description is
    // "ALTA", the form number, two blanks and the title; the others have
    // single blanks between their words.
    const std::string code = row.code;
    const std::string head = code + (code.size() == 3 ? "   " : " ") + "- ";
    EXPECT_EQ(text.substr(0, head.size()), head) << text;
    const std::string_view description = text.substr(head.size());
    if (row.line >= 12) {
        EXPECT_EQ(description.substr(0, 5), "ALTA ") << text;
        EXPECT_NE(description.find("-06  "), std::string_view::npos) << text;
    } else {
        EXPECT_EQ(description.find("  "), std::string_view::npos) << text;
    }
}

// The class names, short so that the table of lines reads as one.
constexpr EntryClass Sched = C::Schedule, Two = C::TwoAmount, Endorsed = C::EndorsedCharge,
                     Split = C::SplitFixedCharge, Whole = C::WholeFixedCharge, NoCh = C::NoCharge;

const LineRow kLines[] = {
    {1, "101", Sched},   {2, "101", Sched},     {3, "106", Sched},     {4, "201", Sched},
    {5, "242", Sched},   {6, "401", Split},     {7, "402", Two},       {8, "403", Sched},
    {9, "901", Two},     {10, "903", Two},      {11, "660", Whole},    {12, "525", Split},
    {13, "5100", Split}, {14, "520", Endorsed}, {15, "520", Endorsed}, {16, "525", Split},
    {17, "525", Split},  {18, "525", Split},    {19, "525", Split},    {20, "525", Split},
    {21, "525", Split},  {22, "550", Split},    {23, "550", Split},    {24, "550", Split},
    {25, "500", NoCh},   {26, "550", Split},    {27, "550", Split},    {28, "550", Split},
    {29, "550", Split},  {30, "550", Split},    {31, "550", Split},    {32, "550", Split},
    {33, "525", Split},  {34, "550", Split},    {35, "550", Split},    {36, "5100", Split},
    {37, "525", Split},  {38, "525", Split},    {39, "550", Split},    {40, "550", Split},
    {41, "5100", Split}, {42, "550", Split},    {43, "5100", Split},   {44, "5100", Split},
    {45, "5100", Split}, {46, "5250", Split},   {47, "550", Split},    {48, "550", Split},
    {49, "525", Split},  {50, "550", Split},    {51, "550", Split},    {52, "550", Split},
    {53, "5100", Split}, {54, "550", Split},    {55, "550", Split},    {56, "550", Split},
    {57, "550", Split},  {58, "550", Split},    {59, "550", Split},    {60, "550", Split},
    {61, "510", Whole},  {62, "5100", Split},
};

INSTANTIATE_TEST_SUITE_P(AllLines, CatalogueLine, ::testing::ValuesIn(kLines),
                         [](const ::testing::TestParamInfo<LineRow>& info) {
                             const int line = info.param.line;
                             return "Line" + std::string(line < 10 ? "0" : "")
                                    + std::to_string(line) + "_Code" + info.param.code;
                         });

TEST(Catalogue, HoldsSixtyTwoLinesWithSeventeenCodes)
{
    EXPECT_EQ(RateEntries.size(), 62u);
    std::set<std::string> codes;
    for (const std::string_view line : RateEntries)
        codes.insert(RateCodeOf(line));
    EXPECT_EQ(codes.size(), 17u);
}

TEST(Catalogue, QuotesLinesExactlyBlanksIncluded)
{
    EXPECT_EQ(RateEntries.front(), "101   - Owners or Leasehold Policy - Single Issue");
    EXPECT_EQ(RateEntries[12], "5100 - ALTA 2-06  Truth-in Lending");
    EXPECT_EQ(RateEntries[60], "510   - ALTA 27-06  Usury");
    EXPECT_EQ(RateEntries.back(), "5100 - ALTA 28-06  Easement-Damage or Forced Removal");
}

// Codes are compared whole, never by prefix or as numbers.
TEST(Catalogue, LookAlikeCodesAreDistinct)
{
    const auto linesOf = [](std::string_view code) {
        std::vector<int> lines;
        for (std::size_t i = 0; i < RateEntries.size(); ++i)
            if (RateCodeOf(RateEntries[i]) == code)
                lines.push_back(static_cast<int>(i) + 1);
        return lines;
    };
    EXPECT_EQ(linesOf("510"), std::vector<int>{61});
    EXPECT_EQ(linesOf("500"), std::vector<int>{25});
    EXPECT_EQ(linesOf("5100"), (std::vector<int>{13, 36, 41, 43, 44, 45, 53, 62}));
    EXPECT_EQ(ClassOf("510"), C::WholeFixedCharge);
    EXPECT_EQ(ClassOf("5100"), C::SplitFixedCharge);
    EXPECT_EQ(ClassOf("500"), C::NoCharge);
    EXPECT_EQ(ClassOf("51"), C::None);
    EXPECT_EQ(ClassOf("0101"), C::None);
    EXPECT_EQ(ClassOf("1010"), C::None);
    EXPECT_EQ(ClassOf("5000"), C::None);
}

// The code of a line is its first five characters without the blanks around.
struct CodeTextRow {
    const char* name;
    const char* text;
    const char* code;
};

class CodeOfText : public ::testing::TestWithParam<CodeTextRow> {};

TEST_P(CodeOfText, TakesTheFirstFiveCharactersTrimmed)
{
    EXPECT_EQ(RateCodeOf(GetParam().text), GetParam().code);
}

const CodeTextRow kCodeTexts[] = {
    {"Empty", "", ""},
    {"BlanksOnly", "   ", ""},
    {"ShortCode", "101", "101"},
    {"ShortWithLeadingBlank", " 42", "42"},
    {"FourDigitsAlone", "5100", "5100"},
    {"SixCharactersCutToFive", "123456", "12345"},
    {"BlanksInsideKept", "5 1 0 - x", "5 1 0"},
};

INSTANTIATE_TEST_SUITE_P(Texts, CodeOfText, ::testing::ValuesIn(kCodeTexts),
                         [](const ::testing::TestParamInfo<CodeTextRow>& info) {
                             return info.param.name;
                         });

TEST(Catalogue, EmptyCodeBelongsToNoClass)
{
    EXPECT_EQ(ClassOf(RateCodeOf("")), C::None);
    EXPECT_FALSE(IsFixedEntry(""));
    EXPECT_EQ(FixedCharge(""), std::nullopt);
}

// Which codes are priced on selection, and at what charge.
struct FixedRow {
    const char* code;
    bool fixed;
    std::optional<double> charge;
};

class FixedEntry : public ::testing::TestWithParam<FixedRow> {};

TEST_P(FixedEntry, IsPricedOnSelectionAtItsFixedCharge)
{
    EXPECT_EQ(IsFixedEntry(GetParam().code), GetParam().fixed);
    EXPECT_EQ(FixedCharge(GetParam().code), GetParam().charge);
}

constexpr std::optional<double> kNone;

const FixedRow kCodes[] = {
    {"401", true, 35},     {"525", true, 25},     {"550", true, 50},     {"5100", true, 100},
    {"5250", true, 250},   {"660", true, 25},     {"510", true, 1000},   {"500", true, kNone},
    {"101", false, kNone}, {"106", false, kNone}, {"201", false, kNone}, {"242", false, kNone},
    {"403", false, kNone}, {"402", false, kNone}, {"901", false, kNone}, {"903", false, kNone},
    {"520", false, kNone},
};

INSTANTIATE_TEST_SUITE_P(EveryCode, FixedEntry, ::testing::ValuesIn(kCodes),
                         [](const ::testing::TestParamInfo<FixedRow>& info) {
                             return std::string("Code") + info.param.code;
                         });

} // namespace
} // namespace StateCalcs
