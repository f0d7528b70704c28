#pragma once

// The catalogue of everything the agent can price: 62 lines, each a rate code
// and a description, in the order the rate window lists them. Only the code
// at the head of a line matters to the calculator; lines sharing a code
// behave alike.

#include "engine/Schedules.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace StateCalcs {

inline constexpr std::size_t kRateEntryCount = 62;

extern const std::array<std::string_view, kRateEntryCount> RateEntries;

// The code of a catalogue line: its first five characters, blanks trimmed.
std::string RateCodeOf(std::string_view line);

// What selecting an entry of a code does and where its charge comes from.
enum class EntryClass {
    None,             // a code of no class (the empty code)
    Schedule,         // one liability priced by a premium schedule
    TwoAmount,        // liability plus a second liability (credit or simultaneous issue)
    EndorsedCharge,   // a share of the charge for the endorsed policy
    SplitFixedCharge, // fixed charge, remitted at the agency's split
    WholeFixedCharge, // fixed charge, remitted whole
    NoCharge,         // shows "No Charge", remits nothing
};

// The minimum charges: a policy never costs less than these, whatever the
// liability. The expanded-coverage policies' minimums carry their surcharge.
inline constexpr double kOwnersMinimum = 70;
inline constexpr double kExpandedOwnersMinimum = 77;
inline constexpr double kLoanMinimum = 50;
inline constexpr double kExpandedLoanMinimum = 55;
// ALTA 3-06 and 3.1-06 (zoning) never cost less than this.
inline constexpr double kZoningMinimum = 500;

// What multiplies the schedule premium (or, for the zoning endorsements, the
// charge for the endorsed policy) before the minimum is applied.
inline constexpr double kPlainCoverage = 1;
// The expanded-coverage policies (106, 242) cost 10% more than the plain ones.
inline constexpr double kExpandedCoverage = 1.1;
// The zoning endorsements (520) are a tenth of the charge for the endorsed policy.
inline constexpr double kZoningShare = 0.1;

// How one rate code is priced. Every code of the catalogue has one row.
struct RateCodeRule {
    std::string_view code;
    EntryClass entryClass;
    PremiumSchedule schedule; // None for the fixed and zoning codes
    double factor;            // applied before the minimum
    double minimum;           // 0: none
    std::optional<double> fixedCharge;
};

// The seventeen codes of the catalogue.
extern const std::array<RateCodeRule, 17> RateCodes;

// The look-up of a code's rule, defined here so that the pricing of a line,
// which begins with it, takes it in line.
namespace CodeLookup {

// Every code has three or four characters. A code as one number: its length,
// its first two characters and its last two (the middle one twice in a code
// of three), so that a look-up reads them at once.
constexpr std::uint64_t KeyOf(std::string_view code)
{
    const auto at = [&](std::size_t i) -> std::uint64_t {
        return static_cast<unsigned char>(code[i]);
    };
    const std::size_t last = code.size() - 1;
    return std::uint64_t(code.size()) << 32 | at(0) << 24 | at(1) << 16 | at(last - 1) << 8
           | at(last);
}

// A key's slot among 64: the top six bits of the key times this odd number,
// which leaves no two codes of the catalogue in one slot (checked where the
// slots are filled).
inline constexpr std::uint64_t kMultiplier = 0x5384'5412'7B09'6493;
inline constexpr std::size_t kSlotCount = 64;

constexpr std::size_t SlotOf(std::uint64_t key)
{
    return static_cast<std::size_t>((key * kMultiplier) >> 58);
}

// The index in RateCodes of the code in each slot, or 0xFF; each code's key.
extern const std::array<std::uint8_t, kSlotCount> kSlotRules;
extern const std::array<std::uint64_t, 17> kCodeKeys;

} // namespace CodeLookup

// The rule of a code; nothing for a code of no class. Codes are compared as
// text, exactly: "510" is not "5100".
inline const RateCodeRule* RuleOf(std::string_view code)
{
    using namespace CodeLookup;
    if (code.size() - 3 > 1) // neither three nor four characters
        return nullptr;
    const std::uint64_t key = KeyOf(code);
    const std::size_t rule = kSlotRules[SlotOf(key)];
    return rule < kCodeKeys.size() && kCodeKeys[rule] == key ? &RateCodes[rule] : nullptr;
}

EntryClass ClassOf(std::string_view code);

// True for the entries whose charge is shown on selection (split and whole
// fixed charges, and the no-charge entry): the agent types no amount.
bool IsFixedEntry(std::string_view code);

// The fixed charge of a split or whole fixed-charge code; none otherwise.
std::optional<double> FixedCharge(std::string_view code);

} // namespace StateCalcs
