#pragma once

// The two tiered premium schedules of the Arkansas rates effective 2/1/2013,
// and the rounding of a liability to whole thousands that both apply first.
// Pure functions: minimums, surcharges and credits are applied by the caller.

namespace StateCalcs {

enum class PremiumSchedule { None, Owners, Loan };

// Brings a liability up to the next multiple of 1,000. The constant is 999.99,
// not 1000: an amount less than one cent above a multiple stays on it.
double RoundUpToThousand(double amount);

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

// The premium of the owner's or the loan schedule with its working; the
// schedule None prices nothing (a zero premium in tier 1).
PremiumWorking WorkOutPremium(PremiumSchedule schedule, double liability);

} // namespace StateCalcs
