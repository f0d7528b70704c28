#pragma once

// The math behind each figure of a closing quote, as the agent would check it
// with a pencil: the liability brought up to the thousand, the tier of the
// schedule, the surcharge, credit, minimum or share, and the remittance with
// its rounding. Every step is read from the working the engine kept while
// pricing; nothing is priced again here.

#include "engine/Closing.h"

#include <string>
#include <vector>

namespace Quote {

// The steps of one quoted line, one sentence each; the remittance last,
// unless left out (a quote for a customer).
std::vector<std::string> ExplainLine(const StateCalcs::QuotedLine& line, double splitPercent,
                                     bool remittance = true);

// How the lender's and the owner's premiums are disclosed.
struct DisclosureSteps {
    std::vector<std::string> lenders, owners;
};
DisclosureSteps ExplainDisclosure(const StateCalcs::ClosingQuote& quote);

// A figure of the working as it is, to 15 significant digits and at least two
// decimals ("18.375", "650.00"), grouped by thousands.
std::string Figure(double value);

} // namespace Quote
