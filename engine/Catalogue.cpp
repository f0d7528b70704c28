#include "engine/Catalogue.h"

#include <algorithm>
#include <cstdint>

namespace StateCalcs {

// Quoted exactly, blanks included: a three-digit code is followed by three
// blanks, a four-digit code by one, so the first five characters hold the code.
const std::array<std::string_view, kRateEntryCount> RateEntries{
    "101   - Owners or Leasehold Policy - Single Issue",
    "101   - Owners Policy - Simultaneous with and greater than Loan Policy",
    "106   - ALTA Expanded Coverage Residential Owners Policy",
    "201   - Loan Policy - Single Issue",
    "242   - ALTA Expanded Coverage Residential Loan Policy (use for Short Form also)",
    "401   - Loan Policy simultaneous with and less than Owners Policy",
    "402   - Loan Policy simultaneous with and greater than Owners Policy",
    "403   - Owners Policy simultaneous with and less than Loan Policy",
    "901   - Owners Policy with Reissue Credit",
    "903   - Loan Policy with Refinance Credit",
    "660   - Closing Protection Letter",
    "525   - ALTA 1-06  Street Assessment",
    "5100 - ALTA 2-06  Truth-in Lending",
    "520   - ALTA 3-06  Zoning Unimproved Land",
    "520   - ALTA 3.1-06  Zoning",
    "525   - ALTA 4-06  Condominium",
    "525   - ALTA 4.1-06  Condominium",
    "525   - ALTA 5-06  PUD",
    "525   - ALTA 5.1-06  PUD",
    "525   - ALTA 6-06  Variable Rate",
    "525   - ALTA 6.2-06  Variable Rate-Negative Amortization",
    "550   - ALTA 7-06  Nonimputation-Manufactured Housing Unit",
    "550   - ALTA 7.1-06  Manufactured Housing-Conversion: Loan",
    "550   - ALTA 7.2-06  Manufactured Housing-Conversion: Owners",
    "500   - ALTA 8.1-06  Environmental Protection Lien",
    "550   - ALTA 8.2-06  Commercial Environmental Protection Lien",
    "550   - ALTA 9-06  Restrictions, Encroachments, Minerals",
    "550   - ALTA 9.1-06  REM - Owners Policy - Unimproved Lands",
    "550   - ALTA 9.2-06  REM - Owners Policy - Improved Lands",
    "550   - ALTA 9.3-06  Restrictions, Encroachments, Minerals",
    "550   - ALTA 9.4-06  REM - Owners Policy - Unimproved Lands",
    "550   - ALTA 9.5-06  REM - Owners Policy - Improved Lands",
    "525   - ALTA 10-06  Assignment",
    "550   - ALTA 10.1-06  Assignment and Date Down",
    "550   - ALTA 11-06  Mortgage Modification",
    "5100 - ALTA 12-06  Aggregation",
    "525   - ALTA 13-06  Leasehold Owners",
    "525   - ALTA 13.1-06  Leasehold Loan",
    "550   - ALTA 14-06  Future Advance-Priority",
    "550   - ALTA 1.1-06  Future Advance-Knowledge",
    "5100 - ALTA 14.2-06  Future Advance-Letter of Credit",
    "550   - ALTA 14.3-06  Future Advance-Reverse Mortgage",
    "5100 - ALTA 15-06  Nonimputation-Full Equity Transfer",
    "5100 - ALTA 15.1-06  Nonimputation-Additional Insured",
    "5100 - ALTA 15.2-06  Nonimputation-Partial Equity Transfer",
    "5250 - ALTA 16-06  Mezzanine Financing",
    "550   - ALTA 17-06  Access and Entry",
    "550   - ALTA 17.1-06  Indirect Access and Entry",
    "525   - ALTA 18-06  Single Tax Parcel",
    "550   - ALTA 18.1-06  Multiple Tax Parcel",
    "550   - ALTA 19-06  Contiguity-Multiple Parcels",
    "550   - ALTA 19.1-06  Contiguity-Single Parcels",
    "5100 - ALTA 20-06  First Loss-Multiple Parcel Transactions",
    "550   - ALTA 22-06  Location",
    "550   - ALTA 22.1-06  Location and Map",
    "550   - ALTA 23-06  Co-insurance-Single Policy",
    "550   - ALTA 24-06  Doing Business",
    "550   - ALTA 25-06  Same as Survey",
    "550   - ALTA 25.1-06  Same as Portion of Survey",
    "550   - ALTA 26-06  Subdivision",
    "510   - ALTA 27-06  Usury",
    "5100 - ALTA 28-06  Easement-Damage or Forced Removal",
};

std::string RateCodeOf(std::string_view line)
{
    std::string_view head = line.substr(0, 5);
    const auto first = head.find_first_not_of(' ');
    if (first == std::string_view::npos)
        return {};
    const auto last = head.find_last_not_of(' ');
    return std::string(head.substr(first, last - first + 1));
}

using enum EntryClass;
constexpr auto Owners = PremiumSchedule::Owners;
constexpr auto Loan = PremiumSchedule::Loan;
constexpr auto NoSchedule = PremiumSchedule::None;

constexpr std::array<RateCodeRule, 17> RateCodes{{
    // Policies priced by a schedule on one liability.
    {"101", Schedule, Owners, kPlainCoverage, kOwnersMinimum, {}},
    {"403", Schedule, Owners, kPlainCoverage, kOwnersMinimum, {}},
    {"106", Schedule, Owners, kExpandedCoverage, kExpandedOwnersMinimum, {}},
    {"201", Schedule, Loan, kPlainCoverage, kLoanMinimum, {}},
    {"242", Schedule, Loan, kExpandedCoverage, kExpandedLoanMinimum, {}},
    // Policies priced on two liabilities: the simultaneous loan policy above
    // the owner's (no minimum), the reissue and the refinance credits.
    {"402", TwoAmount, Loan, kPlainCoverage, 0, {}},
    {"901", TwoAmount, Owners, kPlainCoverage, kOwnersMinimum, {}},
    {"903", TwoAmount, Loan, kPlainCoverage, kLoanMinimum, {}},
    {"520", EndorsedCharge, NoSchedule, kZoningShare, kZoningMinimum, {}},
    // Fixed charges remitted at the split.
    {"401", SplitFixedCharge, NoSchedule, kPlainCoverage, 0, 35},
    {"525", SplitFixedCharge, NoSchedule, kPlainCoverage, 0, 25},
    {"550", SplitFixedCharge, NoSchedule, kPlainCoverage, 0, 50},
    {"5100", SplitFixedCharge, NoSchedule, kPlainCoverage, 0, 100},
    {"5250", SplitFixedCharge, NoSchedule, kPlainCoverage, 0, 250},
    // Fixed charges remitted whole. 510 is one thousand, not ten: unlike 525,
    // 550, 5100 and 5250, the digits of this code do not spell its charge.
    {"660", WholeFixedCharge, NoSchedule, kPlainCoverage, 0, 25},
    {"510", WholeFixedCharge, NoSchedule, kPlainCoverage, 0, 1000},
    {"500", NoCharge, NoSchedule, kPlainCoverage, 0, {}},
}};

static_assert(std::ranges::all_of(RateCodes, [](const RateCodeRule& rule) {
    return rule.code.size() == 3 || rule.code.size() == 4;
}));

constexpr std::array<std::uint64_t, RateCodes.size()> CodeLookup::kCodeKeys = [] {
    std::array<std::uint64_t, RateCodes.size()> keys{};
    for (std::size_t i = 0; i < keys.size(); ++i)
        keys[i] = KeyOf(RateCodes[i].code);
    return keys;
}();

constexpr std::array<std::uint8_t, CodeLookup::kSlotCount> CodeLookup::kSlotRules = [] {
    std::array<std::uint8_t, kSlotCount> rules{};
    rules.fill(0xFF);
    for (std::size_t i = 0; i < kCodeKeys.size(); ++i) {
        auto& slot = rules[SlotOf(kCodeKeys[i])];
        if (slot != 0xFF)
            throw "two codes share a slot"; // not a constant: the build stops
        slot = static_cast<std::uint8_t>(i);
    }
    return rules;
}();

EntryClass ClassOf(std::string_view code)
{
    const RateCodeRule* rule = RuleOf(code);
    return rule ? rule->entryClass : EntryClass::None;
}

bool IsFixedEntry(std::string_view code)
{
    switch (ClassOf(code)) {
    case SplitFixedCharge:
    case WholeFixedCharge:
    case NoCharge:
        return true;
    default:
        return false;
    }
}

std::optional<double> FixedCharge(std::string_view code)
{
    const RateCodeRule* rule = RuleOf(code);
    return rule ? rule->fixedCharge : std::nullopt;
}

} // namespace StateCalcs
