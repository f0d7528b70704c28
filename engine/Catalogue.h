#pragma once

// The catalogue of everything the agent can price: 62 lines, each a rate code
// and a description, in the order the rate window lists them. Only the code
// at the head of a line matters to the calculator; lines sharing a code
// behave alike.

#include <array>
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

// Codes are compared as text, exactly: "510" is not "5100".
EntryClass ClassOf(std::string_view code);

// True for the entries whose charge is shown on selection (split and whole
// fixed charges, and the no-charge entry): the agent types no amount.
bool IsFixedEntry(std::string_view code);

// The fixed charge of a split or whole fixed-charge code; none otherwise.
std::optional<double> FixedCharge(std::string_view code);

} // namespace StateCalcs
