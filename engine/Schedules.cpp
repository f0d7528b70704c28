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

double Premium(const Schedule& schedule, double liability)
{
    const double x = RoundUpToThousand(liability);
    for (std::size_t i = 0; i + 1 < schedule.size(); ++i) {
        const Tier& tier = schedule[i];
        if (x < tier.testBelow)
            return tier.base + (x - tier.lowerBound) * tier.rate;
    }
    const Tier& top = schedule.back();
    return top.base + (x - top.lowerBound) * top.rate;
}

} // namespace

double RoundUpToThousand(double amount)
{
    return std::floor((amount + 999.99) / 1000) * 1000;
}

double OwnersPremium(double liability)
{
    return Premium(kOwners, liability);
}

double LoanPremium(double liability)
{
    return Premium(kLoan, liability);
}

} // namespace StateCalcs
