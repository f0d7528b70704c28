#pragma once

// The charge rules of the amount entries: which schedule prices a code, the
// expanded-coverage surcharge, the minimum charges, the reissue and refinance
// credits and the simultaneous-issue charge; and the remittance rule.

#include <optional>
#include <string_view>

namespace StateCalcs {

// Total charge of a one-amount entry (schedule entries and the endorsed
// charge of 520) for the amount typed, minimum applied, unrounded. Nothing
// for any other code, and nothing when the result is not a finite number.
std::optional<double> ChargeForAmount(std::string_view code, double amount);

struct TwoAmountCharge {
    double total;
    // The amount taken off the full premium; absent where the rule leaves the
    // previous credit as it was (prior liability equal to the new one).
    std::optional<double> credit;
};

// Total charge of a two-amount entry (402, 901, 903). The second amount has
// already been capped at the first; whether it is less than the first decides
// between a credit and the fully-covered share, and the credit is priced on
// the second amount as the agent sees it, to the cent.
std::optional<TwoAmountCharge> ChargeForTwoAmounts(std::string_view code, double firstAmount,
                                                   double secondAmount, double secondAsShown);

// The part of a charge remitted to the underwriter at a split percentage.
double Remittance(double splitPercent, double totalCharge);

// A charge as the agent sees it, to the cent: its "Standard" text read back.
double ToTheCent(double charge);

} // namespace StateCalcs
