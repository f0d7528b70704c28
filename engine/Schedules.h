#pragma once

// The two tiered premium schedules of the Arkansas rates effective 2/1/2013,
// and the rounding of a liability to whole thousands that both apply first.
// Pure functions: minimums, surcharges and credits are applied by the caller.
// Defined here, in the header, so that a line is priced without a call or a
// copy of the working: every figure the window shows and every line of every
// closing comes through them.

#include <array>
#include <cmath>
#include <cstddef>
#include <cstdint>

namespace StateCalcs {

enum class PremiumSchedule { None, Owners, Loan };

// Brings a liability up to the next multiple of 1,000. The constant is 999.99,
// not 1000: an amount less than one cent above a multiple stays on it.
inline double RoundUpToThousand(double amount)
{
    const double sum = amount + 999.99;
    // The thousands are the whole part of sum / 1000 as divided, found
    // without the division (the slowest step of a premium) where that is
    // certain. Below 2^32 thousands (every amount a closing takes) sum times
    // 0.001 is within 2^-19 of the quotient, so a product farther than 2^-18
    // from a whole number has the same whole part as the quotient. Only a sum
    // that close to a multiple of 1,000 is divided.
    const double estimate = sum * 0.001;
    if (estimate > 0 && estimate < 0x1p32) {
        const auto whole = static_cast<double>(static_cast<std::int64_t>(estimate));
        const double part = estimate - whole; // exact
        if (part > 0x1p-18 && part < 1 - 0x1p-18)
            return whole * 1000;
    }
    const double thousands = sum / 1000;
    // Below 2^52 the whole part of a positive number is the number converted
    // to an integer and back: the same value as std::floor, without its call.
    if (thousands > 0 && thousands < 0x1p52)
        return static_cast<double>(static_cast<std::int64_t>(thousands)) * 1000;
    return std::floor(thousands) * 1000;
}

// Owner's policy premium for a liability (rounded to thousands first).
double OwnersPremium(double liability);

// Loan policy premium for a liability (rounded to thousands first).
double LoanPremium(double liability);

// How a schedule arrived at a premium, for showing the agent the math.
struct PremiumWorking {
    double liability;  // as handed to the schedule
    double rounded;    // brought up to whole thousands
    int tier;          // 1 to 5
    double base;       // premium at the tier's lower bound
    double lowerBound; // the tier starts above this
    double rate;       // per dollar above the lower bound
    double premium;    // base + (rounded - lowerBound) * rate
};

namespace Tiers {

struct Tier {
    double testBelow; // the tier applies while the rounded liability is below this
    double base;      // premium at the tier's lower bound
    double rate;      // per dollar above the lower bound
    double lowerBound;
};

using Schedule = std::array<Tier, 5>;

// The bases are the filed figures, stored rather than derived, so that a
// change of one rate cannot silently move the tiers above it.
inline constexpr Schedule kOwners{{
    {100'001, 0, 0.0035, 0},
    {5'000'001, 350, 0.002, 100'000},
    {10'000'001, 10'150, 0.00175, 5'000'000},
    {15'000'001, 18'900, 0.0015, 10'000'000},
    {0, 26'400, 0.00125, 15'000'000}, // otherwise
}};

inline constexpr Schedule kLoan{{
    {100'001, 0, 0.0025, 0},
    {500'001, 250, 0.00175, 100'000},
    {10'000'001, 950, 0.0015, 500'000},
    {15'000'001, 15'200, 0.00125, 10'000'000},
    {0, 21'450, 0.001, 15'000'000}, // otherwise
}};

} // namespace Tiers

// The premium of the owner's or the loan schedule with its working; the
// schedule None prices nothing (a zero premium in tier 1).
inline PremiumWorking WorkOutPremium(PremiumSchedule schedule, double liability)
{
    const double x = RoundUpToThousand(liability);
    if (schedule == PremiumSchedule::None)
        return {liability, x, 1, 0, 0, 0, 0};
    const Tiers::Schedule& tiers = schedule == PremiumSchedule::Owners ? Tiers::kOwners
                                                                       : Tiers::kLoan;
    // The first tier whose test holds; a liability that passes none is in the last.
    static_assert(std::tuple_size_v<Tiers::Schedule> == 5);
    const std::size_t i = x < tiers[0].testBelow   ? 0
                          : x < tiers[1].testBelow ? 1
                          : x < tiers[2].testBelow ? 2
                          : x < tiers[3].testBelow ? 3
                                                   : 4;
    const Tiers::Tier& tier = tiers[i];
    return {liability,
            x,
            static_cast<int>(i) + 1,
            tier.base,
            tier.lowerBound,
            tier.rate,
            tier.base + (x - tier.lowerBound) * tier.rate};
}

} // namespace StateCalcs
