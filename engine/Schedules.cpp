#include "engine/Schedules.h"

#include <array>
#include <cmath>

namespace StateCalcs {
namespace {

struct Tier {
    double testBelow; // the tier applies while the rounded liability is below this
    double base;      // premium at the tier's lower bound
    double rate;      // per dollar above the lower bound
    double lowerBound;
};

using Schedule = std::array<Tier, 5>;

// The bases are the filed figures, stored rather than derived, so that a
// change of one rate cannot silently move the tiers above it.
constexpr Schedule kOwners{{
    {100'001, 0, 0.0035, 0},
    {5'000'001, 350, 0.002, 100'000},
    {10'000'001, 10'150, 0.00175, 5'000'000},
    {15'000'001, 18'900, 0.0015, 10'000'000},
    {0, 26'400, 0.00125, 15'000'000}, // otherwise
}};

constexpr Schedule kLoan{{
    {100'001, 0, 0.0025, 0},
    {500'001, 250, 0.00175, 100'000},
    {10'000'001, 950, 0.0015, 500'000},
    {15'000'001, 15'200, 0.00125, 10'000'000},
    {0, 21'450, 0.001, 15'000'000}, // otherwise
}};

} // namespace

double RoundUpToThousand(double amount)
{
    return std::floor((amount + 999.99) / 1000) * 1000;
}

PremiumWorking WorkOutPremium(PremiumSchedule schedule, double liability)
{
    const double x = RoundUpToThousand(liability);
    if (schedule == PremiumSchedule::None)
        return {liability, x, 1, 0, 0, 0, 0};
    const Schedule& tiers = schedule == PremiumSchedule::Owners ? kOwners : kLoan;
    // The first tier whose test holds; a liability that passes none is in the last.
    std::size_t i = 0;
    while (i + 1 < tiers.size() && !(x < tiers[i].testBelow))
        ++i;
    const Tier& tier = tiers[i];
    return {liability,
            x,
            static_cast<int>(i) + 1,
            tier.base,
            tier.lowerBound,
            tier.rate,
            tier.base + (x - tier.lowerBound) * tier.rate};
}

double OwnersPremium(double liability)
{
    return WorkOutPremium(PremiumSchedule::Owners, liability).premium;
}

double LoanPremium(double liability)
{
    return WorkOutPremium(PremiumSchedule::Loan, liability).premium;
}

} // namespace StateCalcs
