#include "engine/Catalogue.h"

#include <gtest/gtest.h>

#include <optional>
#include <sstream>
#include <string>
#include <tuple>
#include <utility>

namespace StateCalcs {
namespace {

using enum EntryClass;
constexpr EntryClass Sched = Schedule, Two = TwoAmount, Endorsed = EndorsedCharge,
                     Split = SplitFixedCharge, Whole = WholeFixedCharge, NoCh = NoCharge;

// Every code with its class, whether it is priced on selection, and its fixed
// charge; then codes of no class. Codes compare whole: 510 is not 5100, nor 500.
using CodeRow = std::tuple<const char*, EntryClass, bool, std::optional<double>>;

const CodeRow kCodes[] = {
    {"101", Sched, false, {}},   {"106", Sched, false, {}},  {"201", Sched, false, {}},
    {"242", Sched, false, {}},   {"403", Sched, false, {}},  {"402", Two, false, {}},
    {"901", Two, false, {}},     {"903", Two, false, {}},    {"520", Endorsed, false, {}},
    {"401", Split, true, 35},    {"525", Split, true, 25},   {"550", Split, true, 50},
    {"5100", Split, true, 100},  {"5250", Split, true, 250}, {"660", Whole, true, 25},
    {"510", Whole, true, 1'000}, {"500", NoCh, true, {}},    {"", None, false, {}},
    {"51", None, false, {}},     {"0101", None, false, {}},  {"5000", None, false, {}},
};

TEST(Catalogue, EveryCodeHasItsClassAndFixedCharge)
{
    for (const auto& [code, entryClass, fixed, charge] : kCodes) {
        EXPECT_EQ(ClassOf(code), entryClass) << '"' << code << '"';
        EXPECT_EQ(IsFixedEntry(code), fixed) << '"' << code << '"';
        EXPECT_EQ(FixedCharge(code), charge) << '"' << code << '"';
    }
}

// The code at the head of each of the 62 catalogue lines, in order.
const char* const kLineCodes
    = "101 101 106 201 242 401 402 403 901 903 660 525 5100 520 520 525 525 525 525 525 525 550 "
      "550 "
      "550 500 550 550 550 550 550 550 550 525 550 550 5100 525 525 550 550 5100 550 5100 5100 "
      "5100 "
      "5250 550 550 525 550 550 550 5100 550 550 550 550 550 550 550 510 5100";

TEST(Catalogue, EachLineCarriesItsCode)
{
    std::istringstream codes(kLineCodes);
    std::string code;
    for (const std::string_view line : RateEntries) {
        ASSERT_TRUE(codes >> code) << "no code for " << line;
        EXPECT_EQ(RateCodeOf(line), code) << line;
    }
    EXPECT_FALSE(codes >> code) << "a code left over: " << code;
}

// The code is the first five characters with the blanks around them trimmed.
TEST(Catalogue, CodeIsTheFirstFiveCharactersTrimmed)
{
    for (const auto& [text, code] : {std::pair{"", ""},
                                     {"   ", ""},
                                     {" 42", "42"},
                                     {"123456", "12345"},
                                     {"5 1 0 - x", "5 1 0"}})
        EXPECT_EQ(RateCodeOf(text), code) << '"' << text << '"';
}

} // namespace
} // namespace StateCalcs
