#pragma once

// The charge of one catalogue line and the part of it remitted to the
// underwriter: the one place where a rate code's rule (its schedule, factor
// and minimum, its credit, its fixed charge) is turned into figures. The rate
// window and the closing quote both price their lines here.

#include "engine/Schedules.h"

#include <optional>
#include <string>
#include <string_view>

namespace StateCalcs {

// Reissue and refinance credit: 40% of the premium on the prior liability;
// with the prior liability covering the whole new one the charge is 60%.
inline constexpr double kPriorCredit = 0.4;
inline constexpr double kFullyCoveredShare = 0.6;
// The simultaneous loan policy above the owner's (402) adds a flat 35 to the
// premium on the excess.
inline constexpr double kSimultaneousLoanFee = 35;

// The amounts a line is priced on, each as the agent sees it (to the cent).
struct LineAmounts {
    double first = 0;  // the liability, or the charge for the endorsed policy
    double second = 0; // two-amount lines: owner's or prior liability; capped at the first
};

// How the remittance of a line is reached.
enum class RemitRule {
    AtSplit, // the split percentage of the charge
    Whole,   // the whole charge, whatever the split
    Nothing, // no charge, nothing remitted
};

// The steps behind a line's figures, for showing the agent the math.
struct LineWorking {
    std::optional<PremiumWorking> premium; // the schedule on the first amount
    // Two-amount lines: the schedule on the second amount as shown, which
    // gives the credit (901, 903) or the owner's policy's share (402).
    std::optional<PremiumWorking> secondPremium;
    double secondAmount = 0;   // after the cap
    bool secondCapped = false; // the second amount was above the first
    bool fullyCovered = false; // 901/903: the prior liability covers the new one
    double factor = 1;         // the surcharge or the zoning share
    double beforeMinimum = 0;  // the charge before the minimum was applied
    double minimum = 0;        // 0: none
    bool minimumApplied = false;
    RemitRule remitRule = RemitRule::AtSplit;
    double remitBase = 0; // the charge the split is taken of
};

struct LinePricing {
    // Each member starts as written below; nothing else is cleared first, a
    // line being priced for every figure the window shows and every line of
    // every closing.
    LinePricing() noexcept {}

    double total = 0;             // the charge, unrounded (402 rounded to the cent)
    std::optional<double> remit;  // unrounded; none when the split is not known
    bool noCharge = false;        // shows "No Charge"
    std::optional<double> credit; // taken off the full premium (402, 901, 903)
    LineWorking working;
};

// How much of a line's pricing is written out. The figures are what the
// window, the closing quote and the batch show; the working is asked for by
// what shows the agent the math. With Figures the working stays as a fresh
// LineWorking has it, but for the second amount after the cap and whether it
// was capped, which every output shows. The figures are the same either way.
enum class LineDetail { Figures, Working };

// Prices one line of a code. Amount entries use `amounts` (the second only
// for 402, 901 and 903); fixed entries ignore them. The split is the
// agency's percentage; without it a split remittance stays unknown. Nothing
// for a code of no class, or when the figures are not finite numbers (an
// amount beyond what the arithmetic can price).
std::optional<LinePricing> PriceLine(std::string_view code, const LineAmounts& amounts,
                                     std::optional<double> splitPercent,
                                     LineDetail detail = LineDetail::Figures);

// The charge of a line as the agent sees it: "No Charge", or the "Standard"
// text of the total.
std::string ChargeText(const LinePricing& line);

// The part of a charge remitted to the underwriter at a split percentage.
double Remittance(double splitPercent, double totalCharge);

// A figure as the agent sees it, to the cent: its "Standard" text read back.
double ToTheCent(double amount);

} // namespace StateCalcs
