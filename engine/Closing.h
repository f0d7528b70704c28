#pragma once

// A closing quote: every title charge of one real-estate closing at once.
// An owner's policy on the sales price, a loan policy on the loan (issued
// simultaneously when both are bought), a reissue or refinance credit,
// endorsements and the closing protection letter, each priced as the rate
// window prices its catalogue line, with the totals and the figures the
// federal Loan Estimate and Closing Disclosure show (TRID).
//
// The programs that quote closings read what the agent gives them with the
// readers below, build a ClosingRequest and call QuoteClosing. A closing the
// catalogue has no line for is refused with one line that says why.

#include "engine/NumberText.h"
#include "engine/Pricing.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace StateCalcs {

// ---- Reading what the agent gives ------------------------------------------

// The largest amount a closing takes. The limit belongs to the closing, not
// to the arithmetic of a line, which the rate window shares.
inline constexpr double kLargestClosingAmount = 999'999'999'999.99;

// What a reader made of a text: the value, or why there is none.
template <typename T>
struct Reading {
    std::optional<T> value;
    std::string error; // one line, naming no option or field; empty when read
};

// A text the agent gave, quoted for a message: control characters and
// invisible format characters show by their code point ("<U+001B>",
// "<U+200B>"), a byte of no UTF-8 character by its value ("<0xFF>"), and a
// long text is cut short, so that the message stays one line and reads as
// written. Every echo of what the agent typed goes through here.
std::string QuotedInput(std::string_view text);

// The first invisible format character of a text by its code point
// ("U+200B": a zero-width space, a direction mark or override, a byte-order
// mark...); nothing when it has none. Such a character makes a figure look
// right yet be refused.
std::optional<std::string> HiddenCharacterIn(std::string_view text);

// An amount: digits, with "," between groups of three if at all, and at most
// one "."; from 0 to 999,999,999,999.99 once taken to the cent. No sign,
// exponent, blank or symbol. Taken to the cent as the rate window shows it.
// The faults that do not show are named: "holds an invisible character,
// U+200B", "has blanks around it", "begins with $".
Reading<double> ReadClosingAmount(std::string_view text);

// The premium split: a plain number (digits and at most one ".") with at
// most two decimals, from 10 to 70 percent, both included. Invisible
// characters and blanks around it are named as for an amount.
Reading<double> ReadSplit(std::string_view text);

enum class Policy { Owners, Loan };

// An endorsement as the agent names it: its ALTA form number as the
// catalogue writes it, with or without "-06" ("8.1", "8.1-06"; line 40's
// "1.1-06", plainly form 14.1-06, answers to "14.1" too), optionally followed
// by the policy it is on ("9:owner", "3.1:loan").
struct EndorsementRequest {
    std::size_t entry = 0; // index of its line in RateEntries
    std::optional<Policy> policy;
};
Reading<EndorsementRequest> ReadEndorsement(std::string_view text);

// ---- The endorsement lines of the catalogue --------------------------------

struct EndorsementLine {
    std::size_t entry;      // index of the line in RateEntries
    std::string_view code;  // its rate code
    std::string_view form;  // as the catalogue writes it: "9-06", "1.1-06"
    std::string_view also;  // another form number it answers to, or empty: "14.1-06"
    std::string_view title; // "Restrictions, Encroachments, Minerals"
};

// The ALTA endorsements (catalogue lines 12 to 62), in catalogue order.
const std::vector<EndorsementLine>& EndorsementLines();

// The endorsement line of a catalogue index; nothing when it is no endorsement.
const EndorsementLine* EndorsementAt(std::size_t entry);

// True for the zoning endorsements (ALTA 3-06 and 3.1-06, code 520), which
// are priced on the charge of the policy they are on.
bool IsPricedOnAPolicy(const EndorsementLine& line);

// ---- The closing ------------------------------------------------------------

enum class Coverage { Standard, Expanded };

struct ClosingRequest {
    double splitPercent = 0;           // read with ReadSplit
    std::optional<double> price;       // the sales price: the owner's liability
    std::optional<double> loan;        // the loan amount: the loan policy's liability
    std::optional<double> priorOwners; // prior owner's policy liability (reissue credit)
    std::optional<double> priorLoan;   // prior loan policy liability (refinance credit)
    Coverage coverage = Coverage::Standard;
    std::vector<EndorsementRequest> endorsements;
    bool closingProtectionLetter = false;
};

// The inputs of a closing, for telling which of them a refusal is about.
enum class ClosingField {
    Split,
    Price,
    Loan,
    PriorOwners,
    PriorLoan,
    Coverage,
    Endorsements,
    Letter,
};

struct ClosingRefusal {
    std::string reason; // one line
    std::vector<ClosingField> fields;
};

enum class LineRole { OwnersPolicy, LoanPolicy, Endorsement, ClosingProtectionLetter };

// An amount a line is priced on, with the name the rate window gives it:
// "Liability", "Owners Policy Liability", "Prior Policy Liability" or
// "Charge for Endorsed Policy".
struct PricedOn {
    std::string_view name;
    double amount; // to the cent
};

// The amounts a line is priced on: none, one, or two (a credit's prior
// liability, a simultaneous loan's owner's liability). Held in the line
// itself, so that a quote of many lines, or a report of many closings,
// takes no storage of its own for them.
class PricedOnAmounts {
public:
    static constexpr std::size_t kMost = 2;

    PricedOnAmounts() = default;
    PricedOnAmounts(std::initializer_list<PricedOn> amounts)
    {
        for (const PricedOn& amount : amounts)
            push_back(amount);
    }

    std::size_t size() const { return m_size; }
    bool empty() const { return m_size == 0; }
    PricedOn& operator[](std::size_t i) { return m_amounts[i]; }
    const PricedOn& operator[](std::size_t i) const { return m_amounts[i]; }
    const PricedOn& at(std::size_t i) const
    {
        if (i >= m_size)
            throw std::out_of_range("no such amount of the line");
        return m_amounts[i];
    }
    PricedOn* begin() { return m_amounts.data(); }
    PricedOn* end() { return m_amounts.data() + m_size; }
    const PricedOn* begin() const { return m_amounts.data(); }
    const PricedOn* end() const { return m_amounts.data() + m_size; }

    // No line is priced on more than two amounts; a third is a fault of the caller.
    void push_back(const PricedOn& amount)
    {
        if (m_size == kMost)
            throw std::length_error("a line is priced on at most two amounts");
        m_amounts[m_size++] = amount;
    }
    void clear() { m_size = 0; }

private:
    std::array<PricedOn, kMost> m_amounts{};
    std::size_t m_size = 0;
};

struct QuotedLine {
    LineRole role;
    std::size_t entry;            // index of the catalogue line in RateEntries
    std::string_view text;        // the catalogue line
    std::string_view code;        // its rate code
    std::optional<Policy> policy; // the policy an endorsement is on, where known
    PricedOnAmounts pricedOn;
    LinePricing pricing;     // the figures unrounded, with their working
    std::int64_t grossCents; // as shown; "No Charge" is 0
    std::int64_t remitCents; // as shown
    std::string grossText;   // "1,234.50" or "No Charge"; empty with QuoteDetail::Figures
    std::string remitText;   // "185.18"; empty with QuoteDetail::Figures
};

inline constexpr std::string_view kLendersTitleInsurance = "Title – Lender's Title Insurance";
inline constexpr std::string_view kOwnersTitleInsurance
    = "Title – Owner's Title Insurance (optional)";

// Where a title charge stands on the Loan Estimate and Closing Disclosure:
// the lender's policy, its endorsements and the closing protection letter
// under Loan Costs; the owner's policy (optional) and its endorsements under
// Other Costs; with no policy in the closing, the endorsements and the letter
// as "Endorsements to an existing policy".
enum class TridSection { LoanCosts, OtherCosts, ExistingPolicy };

inline constexpr std::string_view kEndorsementsToAnExistingPolicy
    = "Endorsements to an existing policy";

// "Loan Costs", "Other Costs" or "Endorsements to an existing policy".
std::string_view TridSectionName(TridSection section);

// One "Title –" line of the disclosure: a policy, an endorsement under the
// policy it is on, or the letter.
struct TridRow {
    TridSection section;
    std::string name;             // "Title – ALTA 9-06 Restrictions, Encroachments, Minerals"
    std::size_t line;             // its line in ClosingQuote::lines
    std::optional<Policy> policy; // the policy the row stands under; none for the letter
    bool policyNamed = true;      // false: an endorsement placed for want of a named policy
    std::int64_t disclosedCents = 0;
    std::int64_t chargedCents = 0;
    std::string note; // one line on how the figure or its place comes about; often empty
};

// The title premiums as the Loan Estimate and Closing Disclosure show them.
// With both policies the lender's policy is disclosed at its full
// stand-alone premium and the owner's policy as the owner's premium plus the
// simultaneous loan premium minus that full loan premium; with one policy
// each is disclosed as charged. Endorsements and the letter are disclosed as
// charged. The disclosed premiums add up to the charged ones to the cent.
struct TridDisclosure {
    bool hasLoanPolicy = false;
    bool hasOwnersPolicy = false;
    std::int64_t lendersChargedCents = 0;
    std::int64_t ownersChargedCents = 0;
    std::int64_t lendersDisclosedCents = 0;
    std::int64_t ownersDisclosedCents = 0;
    std::int64_t otherCents = 0; // endorsements and the letter, as charged
    std::int64_t chargedCents = 0;
    std::int64_t disclosedCents = 0;
    // With both policies: the loan policy as a stand-alone policy (line 4,
    // code 201, on the loan), which the lender's figure is.
    std::optional<LinePricing> standAloneLoan;
    // Every line of the closing as the disclosure itemises it, in the order
    // of the forms: Loan Costs, then Other Costs (or the endorsements to an
    // existing policy). Their disclosed figures add up to the Gross. None
    // with QuoteDetail::Figures.
    std::vector<TridRow> rows;
};

// The policy an endorsement's form is written for, where its title says so:
// ALTA 7.1-06 and 13.1-06 the loan policy; 7.2-06, 9.1-06, 9.2-06, 9.4-06,
// 9.5-06 and 13-06 the owner's.
std::optional<Policy> PolicyOfForm(const EndorsementLine& line);

struct ClosingQuote {
    double splitPercent = 0;
    std::vector<QuotedLine> lines; // owner's, loan, endorsements as asked, the letter
    std::int64_t grossCents = 0;
    std::int64_t remitCents = 0;
    TridDisclosure trid;
};

struct ClosingOutcome {
    std::optional<ClosingQuote> quote; // when the catalogue prices the closing
    ClosingRefusal refusal;            // otherwise, why not
};

// How much of a quote is written out. A report of many closings that shows
// only each closing's codes and figures asks for Figures: every figure is
// the same, but the lines have no grossText or remitText and their pricing
// no working (LineDetail::Figures), and the disclosure no itemised rows, what
// the window and the quote's own outputs show.
enum class QuoteDetail { Full, Figures };

// Prices a closing, or says why the catalogue has no line for it.
ClosingOutcome QuoteClosing(const ClosingRequest& request, QuoteDetail detail = QuoteDetail::Full);

// The same into a quote the caller keeps from closing to closing, whose
// storage is used again: true when the closing is priced, the quote then
// holding it whole; false when refused, `refusal` then saying why and the
// quote holding nothing to show. A report of many closings prices each
// this way.
bool QuoteClosing(const ClosingRequest& request, QuoteDetail detail, ClosingQuote& quote,
                  ClosingRefusal& refusal);

// Whole cents of a figure as the "Standard" format shows it.
std::int64_t CentsAsShown(double amount);

} // namespace StateCalcs
