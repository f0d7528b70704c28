#include "engine/Catalogue.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <optional>
#include <string>
#include <utility>

namespace StateCalcs {
namespace {

using enum EntryClass;
constexpr EntryClass Sched = Schedule, Two = TwoAmount, Endorsed = EndorsedCharge,
                     Split = SplitFixedCharge, Whole = WholeFixedCharge, NoCh = NoCharge;

// Every code with its class, whether it is priced on selection, and its fixed
// charge. Codes compare whole: 510 is not 5100, nor 500.
struct CodeRow {
    const char* code;
    EntryClass entryClass;
    bool fixed;
    std::optional<double> charge;
};

const CodeRow kCodes[] = {
    {"101", Sched, false, {}},    {"106", Sched, false, {}},    {"201", Sched, false, {}},
    {"242", Sched, false, {}},    {"403", Sched, false, {}},    {"402", Two, false, {}},
    {"901", Two, false, {}},      {"903", Two, false, {}},      {"520", Endorsed, false, {}},
    {"401", Split, true, 35},     {"525", Split, true, 25},     {"550", Split, true, 50},
    {"5100", Split, true, 100},   {"5250", Split, true, 250},   {"660", Whole, true, 25},
    {"510", Whole, true, 1'000},  {"500", NoCh, true, {}},      {"", None, false, {}},
    {"51", None, false, {}},      {"0101", None, false, {}},    {"5000", None, false, {}},
};

class CodeClass : public ::testing::TestWithParam<CodeRow> {};

TEST_P(CodeClass, HasItsClassAndFixedCharge)
{
    const CodeRow& row = GetParam();
    EXPECT_EQ(ClassOf(row.code), row.entryClass) << row.code;
    EXPECT_EQ(IsFixedEntry(row.code), row.fixed) << row.code;
    EXPECT_EQ(FixedCharge(row.code), row.charge) << row.code;
}

INSTANTIATE_TEST_SUITE_P(EveryCode, CodeClass, ::testing::ValuesIn(kCodes));

// The code at the head of each catalogue line, in order.
const char* const kLineCodes[] = {
    "101",  "101", "106", "201",  "242",  "401",  "402",  "403", "901", "903", // 1-10
    "660",  "525", "5100", "520", "520",  "525",  "525",  "525", "525", "525", // 11-20
    "525",  "550", "550", "550",  "500",  "550",  "550",  "550", "550", "550", // 21-30
    "550",  "550", "525", "550",  "550",  "5100", "525",  "525", "550", "550", // 31-40
    "5100", "550", "5100", "5100", "5100", "5250", "550", "550", "525", "550", // 41-50
    "550",  "550", "5100", "550", "550",  "550",  "550",  "550", "550", "550", // 51-60
    "510",  "5100",                                                            // 61-62
};
static_assert(std::size(kLineCodes) == kRateEntryCount);

class CatalogueLine : public ::testing::TestWithParam<std::size_t> {};

TEST_P(CatalogueLine, CarriesItsCodeAndClass)
{
    const std::string_view text = RateEntries.at(GetParam());
    const std::string code = kLineCodes[GetParam()];
    EXPECT_EQ(RateCodeOf(text), code) << text;
    const auto row = std::find_if(std::begin(kCodes), std::end(kCodes),
                                  [&](const CodeRow& r) { return code == r.code; });
    ASSERT_NE(row, std::end(kCodes)) << text;
    EXPECT_EQ(ClassOf(RateCodeOf(text)), row->entryClass) << text;
    // Three blanks after a three-digit code, one after a four-digit code.
    const std::string head = code + (code.size() == 3 ? "   - " : " - ");
    EXPECT_EQ(text.substr(0, head.size()), head);
    // From line 12 on, endorsements: "ALTA", the form number, two blanks, the title.
    const bool endorsement =
        text.substr(head.size()).starts_with("ALTA ") && text.find("-06  ") != text.npos;
    EXPECT_EQ(endorsement, GetParam() >= 11) << text;
}

INSTANTIATE_TEST_SUITE_P(AllLines, CatalogueLine,
                         ::testing::Range<std::size_t>(0, kRateEntryCount));

TEST(Catalogue, QuotesLinesAndTakesTheCodeFromTheFirstFiveCharacters)
{
    EXPECT_EQ(RateEntries.front(), "101   - Owners or Leasehold Policy - Single Issue");
    EXPECT_EQ(RateEntries[12], "5100 - ALTA 2-06  Truth-in Lending");
    EXPECT_EQ(RateEntries[60], "510   - ALTA 27-06  Usury");
    EXPECT_EQ(RateEntries.back(), "5100 - ALTA 28-06  Easement-Damage or Forced Removal");
    const std::pair<const char*, const char*> texts[] = {
        {"", ""}, {"   ", ""}, {"101", "101"}, {" 42", "42"}, {"5100", "5100"},
        {"123456", "12345"}, {"5 1 0 - x", "5 1 0"}};
    for (const auto& [text, code] : texts)
        EXPECT_EQ(RateCodeOf(text), code) << '"' << text << '"';
}

} // namespace
} // namespace StateCalcs
