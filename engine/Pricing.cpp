#include "engine/Pricing.h"

#include "engine/NumberText.h"
#include "engine/Schedules.h"

#include <cmath>

namespace StateCalcs {
namespace {

double AtLeast(double charge, double minimum)
{
    return charge < minimum ? minimum : charge;
}

std::optional<double> Finite(double value)
{
    if (!std::isfinite(value))
        return std::nullopt;
    return value;
}

// The expanded-coverage policies (106, 242) cost 10% more than the plain ones.
constexpr double kExpandedCoverage = 1.1;
// Code 520 is a tenth of the charge for the endorsed policy.
constexpr double kEndorsementShare = 0.1;
// Reissue and refinance credit: 40% of the premium on the prior liability;
// with the prior liability covering the whole new one the charge is 60%.
constexpr double kPriorCredit = 0.4;
constexpr double kFullyCoveredShare = 0.6;
// The simultaneous loan policy (402) adds a flat 35 to the excess premium.
constexpr double kSimultaneousLoanFee = 35;

} // namespace

std::optional<double> ChargeForAmount(std::string_view code, double amount)
{
    if (code == "101" || code == "403")
        return Finite(AtLeast(OwnersPremium(amount), 70));
    if (code == "106")
        return Finite(AtLeast(OwnersPremium(amount) * kExpandedCoverage, 77));
    if (code == "201")
        return Finite(AtLeast(LoanPremium(amount), 50));
    if (code == "242")
        return Finite(AtLeast(LoanPremium(amount) * kExpandedCoverage, 55));
    if (code == "520")
        return Finite(AtLeast(amount * kEndorsementShare, 500));
    return std::nullopt;
}

std::optional<TwoAmountCharge> ChargeForTwoAmounts(std::string_view code, double firstAmount,
                                                   double secondAmount, double secondAsShown)
{
    TwoAmountCharge charge{};
    if (code == "402") {
        charge.credit = LoanPremium(secondAsShown);
        charge.total = LoanPremium(firstAmount) - *charge.credit + kSimultaneousLoanFee;
        // Rounded to the cent here, a half going up; no minimum applies.
        charge.total = std::floor(charge.total * 100 + 0.5) / 100;
    } else if (code == "901" || code == "903") {
        const auto premium = code == "901" ? OwnersPremium : LoanPremium;
        const double minimum = code == "901" ? 70 : 50;
        if (secondAmount < firstAmount) {
            charge.credit = premium(secondAsShown) * kPriorCredit;
            charge.total = premium(firstAmount) - *charge.credit;
        } else {
            charge.total = premium(firstAmount) * kFullyCoveredShare;
        }
        charge.total = AtLeast(charge.total, minimum);
    } else {
        return std::nullopt;
    }
    if (!std::isfinite(charge.total))
        return std::nullopt;
    return charge;
}

double Remittance(double splitPercent, double totalCharge)
{
    return splitPercent * totalCharge / 100;
}

double ToTheCent(double charge)
{
    return ParseNumber(FormatStandard(charge)).value_or(charge);
}

} // namespace StateCalcs
