#include "engine/Schedules.h"

namespace StateCalcs {

double OwnersPremium(double liability)
{
    return WorkOutPremium(PremiumSchedule::Owners, liability).premium;
}

double LoanPremium(double liability)
{
    return WorkOutPremium(PremiumSchedule::Loan, liability).premium;
}

} // namespace StateCalcs
