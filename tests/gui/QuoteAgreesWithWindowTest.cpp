// tarnwell-quote and the rate window price a closing's lines alike: each line
// of a quote, typed into the real window as the agent would (its catalogue
// line, then its amounts), shows the same Gross and Remit.

#include "tests/gui/WindowDriver.h"

#include "engine/Closing.h"
#include "engine/NumberText.h"

#include <string>
#include <vector>

namespace {

using namespace StateCalcs;

struct Closing {
    const char* name;
    ClosingRequest request;
    std::vector<const char*> endorsements;
};

const Closing kClosings[] = {
    // 101 and 401, a no-charge and a fixed endorsement, the letter.
    {"PurchaseLoanBelowPrice",
     {15, 250'000, 200'000, {}, {}, Coverage::Standard, {}, true},
     {"8.1", "9"}},
    // 403 and 402, zoning on the loan policy.
    {"PurchaseLoanAbovePrice",
     {15, 200'000, 250'000, {}, {}, Coverage::Standard, {}, false},
     {"3.1:loan"}},
    // 901 with a prior policy above the price, and 401.
    {"ReissueCapped", {12.5, 300'000, 150'000, 400'000, {}, Coverage::Standard, {}, false}, {}},
    // 903 and zoning at a tenth of the loan policy's charge.
    {"Refinance", {20, {}, 5'300'000, {}, 200'000, Coverage::Standard, {}, false}, {"3"}},
    // 242 with the surcharge, and a whole-remitted endorsement.
    {"ExpandedLoan", {20, {}, 101'000, {}, {}, Coverage::Expanded, {}, false}, {"27"}},
    {"ExpandedOwners", {33.33, 100'000, {}, {}, {}, Coverage::Expanded, {}, false}, {}},
};

class QuoteAgreesWithWindow : public RatesTest, public ::testing::WithParamInterface<Closing> {};

TEST_P(QuoteAgreesWithWindow, EachLineShowsTheSameGrossAndRemit)
{
    ClosingRequest request = GetParam().request;
    for (const char* form : GetParam().endorsements)
        request.endorsements.push_back(*ReadEndorsement(form).value);
    const ClosingOutcome outcome = QuoteClosing(request);
    ASSERT_TRUE(outcome.quote) << outcome.refusal.reason;

    EnterSplit(FormatStandard(request.splitPercent));
    for (const QuotedLine& line : outcome.quote->lines) {
        SCOPED_TRACE(std::string(line.text));
        ArrowTo(static_cast<int>(line.entry));
        if (!line.pricedOn.empty()) {
            agent->Enter();
            ASSERT_EQ(agent->Focus(), "txt1");
            for (const PricedOn& amount : line.pricedOn) {
                agent->Type(FormatCents(CentsAsShown(amount.amount), false));
                agent->Enter();
            }
        }
        EXPECT_EQ(agent->Text("txtTotalCharge").toStdString(), line.grossText);
        EXPECT_EQ(agent->Text("txtRemit").toStdString(), line.remitText);
        agent->Click("cmdContinue");
    }
}

INSTANTIATE_TEST_SUITE_P(Closings, QuoteAgreesWithWindow, ::testing::ValuesIn(kClosings),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
