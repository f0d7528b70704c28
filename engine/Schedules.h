#pragma once

// The two tiered premium schedules of the Arkansas rates effective 2/1/2013,
// and the rounding of a liability to whole thousands that both apply first.
// Pure functions: minimums, surcharges and credits are applied by the caller.

namespace StateCalcs {

// Brings a liability up to the next multiple of 1,000. The constant is 999.99,
// not 1000: an amount less than one cent above a multiple stays on it.
double RoundUpToThousand(double amount);

// Owner's policy premium for a liability (rounded to thousands first).
double OwnersPremium(double liability);

// Loan policy premium for a liability (rounded to thousands first).
double LoanPremium(double liability);

} // namespace StateCalcs
