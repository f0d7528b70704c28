#include "engine/Closing.h"

#include "engine/Catalogue.h"
#include "engine/NumberText.h"

#include <algorithm>
#include <cctype>
#include <unordered_map>

namespace StateCalcs {
namespace {

// Catalogue lines (0-based) the policies of a closing are priced by.
constexpr std::size_t kOwnersSingleIssue = 0;        // 101
constexpr std::size_t kOwnersAboveLoan = 1;          // 101, simultaneous with a smaller loan
constexpr std::size_t kExpandedOwners = 2;           // 106
constexpr std::size_t kLoanSingleIssue = 3;          // 201
constexpr std::size_t kExpandedLoan = 4;             // 242
constexpr std::size_t kLoanBelowOwners = 5;          // 401, a fixed 35
constexpr std::size_t kLoanAboveOwners = 6;          // 402
constexpr std::size_t kOwnersBelowLoan = 7;          // 403
constexpr std::size_t kOwnersReissue = 8;            // 901
constexpr std::size_t kLoanRefinance = 9;            // 903
constexpr std::size_t kClosingProtectionLetter = 10; // 660
constexpr std::size_t kFirstEndorsement = 11;

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

// The next character of UTF-8 text at `at`, which moves past it; nothing for
// a byte that begins no well-formed character (it moves past that byte).
std::optional<char32_t> NextCharacter(std::string_view text, std::size_t& at)
{
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(at++);
    if (lead < 0x80)
        return lead;
    const std::size_t more = lead >= 0xF0 && lead < 0xF5 ? 3
                             : lead >= 0xE0              ? 2
                             : lead >= 0xC2              ? 1
                                                         : 0;
    if (more == 0 || lead >= 0xF5 || at + more > text.size())
        return std::nullopt;
    char32_t c = lead & (0x3F >> more);
    for (std::size_t i = 0; i < more; ++i) {
        if ((byte(at + i) & 0xC0) != 0x80)
            return std::nullopt;
        c = (c << 6) | (byte(at + i) & 0x3F);
    }
    constexpr char32_t kSmallest[] = {0, 0x80, 0x800, 0x10000};
    if (c < kSmallest[more] || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF))
        return std::nullopt;
    at += more;
    return c;
}

// Control characters, which a terminal acts on instead of showing: C0, DEL,
// C1, and the line and paragraph separators.
bool IsControl(char32_t c)
{
    return c < 0x20 || (c >= 0x7F && c < 0xA0) || c == 0x2028 || c == 0x2029;
}

// Format characters that show as nothing yet change how text reads: zero-width
// spaces and joiners, the direction marks, embeddings, overrides and isolates,
// the word joiner and invisible operators, the byte-order mark. A right-to-left
// override would turn the rest of a message backwards.
bool IsInvisible(char32_t c)
{
    return c == 0xAD || c == 0x61C || c == 0x180E || (c >= 0x200B && c <= 0x200F)
           || (c >= 0x202A && c <= 0x202E) || (c >= 0x2060 && c <= 0x2064)
           || (c >= 0x2066 && c <= 0x206F) || c == 0xFEFF || (c >= 0xFFF9 && c <= 0xFFFB);
}

std::string Hex(std::uint32_t value, int digits)
{
    constexpr char kDigits[] = "0123456789ABCDEF";
    std::string text(static_cast<std::size_t>(digits), '0');
    for (int i = digits - 1; i >= 0; --i, value >>= 4)
        text[static_cast<std::size_t>(i)] = kDigits[value & 0xF];
    return text;
}

// "<U+200B>": a character that must not be echoed as it is.
std::string CodePointName(char32_t c)
{
    return "<U+" + Hex(c, c > 0xFFFF ? 6 : 4) + '>';
}

// Whole cents of a figure in the "Standard" format ("-1,234.50").
std::int64_t CentsOfText(std::string_view shown)
{
    std::int64_t cents = 0;
    for (const char c : shown)
        if (IsDigit(c))
            cents = cents * 10 + (c - '0');
    return shown.starts_with('-') ? -cents : cents;
}

// Digits with at most one "."; in the whole part, "," only between groups
// of three digits after a first group of one to three.
bool IsPlainAmount(std::string_view text)
{
    const auto point = text.find('.');
    const std::string_view whole = text.substr(0, point);
    const std::string_view fraction = point == std::string_view::npos ? std::string_view()
                                                                      : text.substr(point + 1);
    if (whole.empty() && fraction.empty())
        return false;
    if (!std::all_of(fraction.begin(), fraction.end(), IsDigit))
        return false;
    if (whole.find(',') == std::string_view::npos)
        return std::all_of(whole.begin(), whole.end(), IsDigit);
    std::size_t groupStart = 0;
    for (std::size_t i = 0; i <= whole.size(); ++i) {
        if (i < whole.size() && IsDigit(whole[i]))
            continue;
        if (i < whole.size() && whole[i] != ',')
            return false;
        const std::size_t length = i - groupStart;
        const bool firstGroup = groupStart == 0;
        if (firstGroup ? (length < 1 || length > 3) : length != 3)
            return false;
        groupStart = i + 1;
    }
    return true;
}

std::string_view FormOf(std::string_view entryText)
{
    // "525   - ALTA 1-06  Street Assessment": the form follows "ALTA " up to
    // the two blanks before the title.
    const auto start = entryText.find("ALTA ") + 5;
    return entryText.substr(start, entryText.find("  ", start) - start);
}

std::vector<EndorsementLine> MakeEndorsementLines()
{
    std::vector<EndorsementLine> lines;
    for (std::size_t entry = kFirstEndorsement; entry < RateEntries.size(); ++entry) {
        const std::string_view text = RateEntries[entry];
        const std::string_view form = FormOf(text);
        const auto titleAt = text.find("  ", text.find("ALTA ")) + 2;
        const auto code = text.substr(0, text.find(' '));
        // Line 40 reads "1.1-06" but is the Future Advance family of 14-06:
        // form 14.1-06.
        const std::string_view also = form == "1.1-06" ? "14.1-06" : "";
        lines.push_back({entry, code, form, also, text.substr(titleAt)});
    }
    return lines;
}

// Each name an endorsement answers to (its form, or its other form, with or
// without "-06"), with its catalogue line: found in one look-up
// rather than by asking every line. A name two lines answered to would
// belong to the first in catalogue order.
const std::unordered_map<std::string_view, std::size_t>& FormNames()
{
    static const auto names = [] {
        std::unordered_map<std::string_view, std::size_t> names;
        for (const EndorsementLine& line : EndorsementLines())
            for (const std::string_view form : {line.form, line.also}) {
                if (form.empty())
                    continue;
                names.emplace(form, line.entry);
                if (form.ends_with("-06"))
                    names.emplace(form.substr(0, form.size() - 3), line.entry);
            }
        return names;
    }();
    return names;
}

std::string FormName(std::size_t entry)
{
    return "ALTA " + std::string(EndorsementAt(entry)->form);
}

std::string_view PolicyWord(Policy policy)
{
    return policy == Policy::Owners ? "owner" : "loan";
}

// A figure as the agent sees it: its whole cents, and its "Standard" text
// written from them, or from the exact value where they do not fit.
// Without `withText`, the text is left empty where the cents are found
// without it.
struct Shown {
    Shown(std::int64_t c, std::string t) : cents(c), text(std::move(t)) {}
    Shown(double amount, bool withText)
    {
        cents = StandardCentsOrNone(amount);
        if (cents != kNoCents) {
            if (withText)
                text = FormatCents(cents);
        } else {
            text = FormatStandard(amount);
            cents = CentsOfText(text);
        }
    }

    std::int64_t cents;
    std::string text;
};

// The rate code at the head of a catalogue line ("101   - ..."), as
// RateCodeOf reads it, without a string of its own.
std::string_view CodeOf(std::string_view line)
{
    return line.substr(0, std::min(line.find(' '), std::size_t(5)));
}

// Builds a quoted line: the pricing of its catalogue line on the amounts
// as shown, with the figures as shown.
class LineMaker {
public:
    // A full quote has each line's texts and working; a report's only its figures.
    LineMaker(double splitPercent, bool full)
        : m_split(splitPercent),
          m_texts(full),
          m_detail(full ? LineDetail::Working : LineDetail::Figures)
    {}

    // Adds the line to `lines`; false when the catalogue line cannot price it.
    bool Make(std::vector<QuotedLine>& lines, LineRole role, std::size_t entry,
              PricedOnAmounts pricedOn, std::optional<Policy> policy = std::nullopt) const
    {
        const std::string_view text = RateEntries[entry];
        const std::string_view code = CodeOf(text);
        LineAmounts amounts;
        if (!pricedOn.empty())
            amounts.first = pricedOn[0].amount;
        if (pricedOn.size() > 1)
            amounts.second = pricedOn[1].amount;
        auto pricing = PriceLine(code, amounts, m_split, m_detail);
        if (!pricing || !pricing->remit)
            return false;
        // The second amount shows capped at the first, as the window shows it.
        if (pricedOn.size() > 1)
            pricedOn[1].amount = ToTheCent(pricing->working.secondAmount);
        // Each figure's cents are those its text shows.
        Shown gross = pricing->noCharge ? Shown{0, m_texts ? ChargeText(*pricing) : std::string()}
                                        : Shown(pricing->total, m_texts);
        Shown remit(*pricing->remit, m_texts);
        lines.emplace_back(role, entry, text, text.substr(0, code.size()), policy, pricedOn,
                           *pricing, gross.cents, remit.cents, std::move(gross.text),
                           std::move(remit.text));
        return true;
    }

private:
    double m_split;
    bool m_texts;
    LineDetail m_detail;
};

constexpr std::string_view kLiability = "Liability";
constexpr std::string_view kOwnersPolicyLiability = "Owners Policy Liability";
constexpr std::string_view kPriorPolicyLiability = "Prior Policy Liability";
constexpr std::string_view kChargeForEndorsedPolicy = "Charge for Endorsed Policy";

// What the agent gave, each amount to the cent; a prior liability of zero
// counts as none.
struct Amounts {
    std::optional<double> price, loan, priorOwners, priorLoan;
};

Amounts AsShown(const ClosingRequest& request)
{
    const auto cents = [](std::optional<double> amount) {
        return amount ? std::optional<double>(StateCalcs::ToTheCent(*amount)) : std::nullopt;
    };
    const auto prior = [&](std::optional<double> amount) {
        const auto shown = cents(amount);
        return shown && *shown > 0 ? shown : std::nullopt;
    };
    return {cents(request.price), cents(request.loan), prior(request.priorOwners),
            prior(request.priorLoan)};
}

std::optional<ClosingRefusal> RefusalOf(const ClosingRequest& request, const Amounts& a)
{
    using F = ClosingField;
    const bool expanded = request.coverage == Coverage::Expanded;
    if (request.splitPercent < 10 || request.splitPercent > 70)
        return ClosingRefusal{"the premium split must be from 10 to 70 percent", {F::Split}};
    if (!a.price && !a.loan && request.endorsements.empty() && !request.closingProtectionLetter)
        return ClosingRefusal{"there is nothing to quote: give a sales price, a loan amount, an "
                              "endorsement or the closing protection letter",
                              {F::Price, F::Loan, F::Endorsements, F::Letter}};
    if (a.price && *a.price == 0)
        return ClosingRefusal{"a sales price of zero cannot be insured", {F::Price}};
    if (a.loan && *a.loan == 0)
        return ClosingRefusal{"a loan amount of zero cannot be insured", {F::Loan}};
    if (a.priorLoan && a.price)
        return ClosingRefusal{"the refinance credit (a prior loan liability) is for a refinance, "
                              "which has no sales price",
                              {F::PriorLoan, F::Price}};
    if (a.priorLoan && !a.loan)
        return ClosingRefusal{"the refinance credit (a prior loan liability) needs a loan amount",
                              {F::PriorLoan, F::Loan}};
    if (a.priorOwners && !a.price)
        return ClosingRefusal{"the reissue credit (a prior owner's liability) needs a sales price",
                              {F::PriorOwners, F::Price}};
    if (expanded && a.price && a.loan)
        return ClosingRefusal{"expanded coverage is for an owner's policy alone or a loan policy "
                              "alone, not both",
                              {F::Coverage, F::Price, F::Loan}};
    if (expanded && (a.priorOwners || a.priorLoan))
        return ClosingRefusal{"expanded coverage takes no reissue or refinance credit",
                              {F::Coverage, a.priorOwners ? F::PriorOwners : F::PriorLoan}};

    const auto& wanted = request.endorsements;
    for (std::size_t i = 0; i < wanted.size(); ++i) {
        const EndorsementLine* line = EndorsementAt(wanted[i].entry);
        if (!line)
            return ClosingRefusal{"an endorsement is not in the catalogue", {F::Endorsements}};
        // Named only in a refusal.
        const auto name = [&] { return FormName(wanted[i].entry); };
        if (const auto policy = wanted[i].policy) {
            const bool present = *policy == Policy::Owners ? a.price.has_value()
                                                           : a.loan.has_value();
            if (!present)
                return ClosingRefusal{
                    name() + " is named on the " + std::string(PolicyWord(*policy))
                        + " policy, and this closing has none",
                    {F::Endorsements, *policy == Policy::Owners ? F::Price : F::Loan}};
        }
        if (IsPricedOnAPolicy(*line)) {
            if (!a.price && !a.loan)
                return ClosingRefusal{name()
                                          + " is priced on the charge of a policy, and this "
                                            "closing has none",
                                      {F::Endorsements, F::Price, F::Loan}};
            if (a.price && a.loan && !wanted[i].policy)
                return ClosingRefusal{name()
                                          + " is priced on the charge of one policy, and this "
                                            "closing has both: say which it is on",
                                      {F::Endorsements}};
        }
        for (std::size_t j = 0; j < i; ++j) {
            if (wanted[j].entry != wanted[i].entry)
                continue;
            const bool eachOnItsOwn = wanted[i].policy && wanted[j].policy
                                      && *wanted[i].policy != *wanted[j].policy;
            if (!eachOnItsOwn)
                return ClosingRefusal{name() + " is asked for twice: once, or once on each policy",
                                      {F::Endorsements}};
        }
    }
    return std::nullopt;
}

std::string_view PolicyName(Policy policy)
{
    return policy == Policy::Owners ? "owner's" : "loan";
}

// The disclosure's rows: each line of the quote where the forms put it.
std::vector<TridRow> ItemisedRows(const ClosingQuote& quote, const TridDisclosure& trid)
{
    const bool anyPolicy = trid.hasLoanPolicy || trid.hasOwnersPolicy;
    std::vector<TridRow> loanCosts, otherCosts, letter;
    for (std::size_t i = 0; i < quote.lines.size(); ++i) {
        const QuotedLine& line = quote.lines[i];
        TridRow row{TridSection::ExistingPolicy,
                    {},
                    i,
                    std::nullopt,
                    true,
                    line.grossCents,
                    line.grossCents,
                    {}};
        switch (line.role) {
        case LineRole::LoanPolicy:
            row.name = kLendersTitleInsurance;
            row.policy = Policy::Loan;
            row.disclosedCents = trid.lendersDisclosedCents;
            break;
        case LineRole::OwnersPolicy:
            row.name = kOwnersTitleInsurance;
            row.policy = Policy::Owners;
            row.disclosedCents = trid.ownersDisclosedCents;
            if (row.disclosedCents < 0)
                row.note = "below zero: the owner's " + FormatCents(trid.ownersChargedCents)
                           + " plus the simultaneous loan's "
                           + FormatCents(trid.lendersChargedCents)
                           + " is less than the lender's disclosed "
                           + FormatCents(trid.lendersDisclosedCents);
            break;
        case LineRole::Endorsement: {
            const EndorsementLine& endorsement = *EndorsementAt(line.entry);
            row.name = "Title – ALTA " + std::string(endorsement.form) + ' '
                       + std::string(endorsement.title);
            if (!anyPolicy)
                break;
            const auto present = [&](std::optional<Policy> policy) {
                return policy
                       && (*policy == Policy::Owners ? trid.hasOwnersPolicy : trid.hasLoanPolicy);
            };
            const std::optional<Policy> form = PolicyOfForm(endorsement);
            if (present(line.policy)) {
                row.policy = line.policy;
            } else if (present(form)) {
                row.policy = form;
            } else {
                row.policy = trid.hasLoanPolicy ? Policy::Loan : Policy::Owners;
                row.policyNamed = !(trid.hasLoanPolicy && trid.hasOwnersPolicy);
                if (!row.policyNamed)
                    row.note = "no policy was named: shown under the lender's title insurance";
                else if (form)
                    row.note = "the form is written for the " + std::string(PolicyName(*form))
                               + " policy, which this closing has not";
            }
            break;
        }
        case LineRole::ClosingProtectionLetter:
            row.name = "Title – Closing Protection Letter";
            break;
        }
        if (line.role == LineRole::ClosingProtectionLetter) {
            if (trid.hasLoanPolicy) {
                row.section = TridSection::LoanCosts;
                loanCosts.push_back(std::move(row));
            } else if (anyPolicy) {
                row.section = TridSection::OtherCosts;
                letter.push_back(std::move(row));
            } else {
                otherCosts.push_back(std::move(row));
            }
        } else if (!row.policy) {
            otherCosts.push_back(std::move(row)); // an existing policy's
        } else if (*row.policy == Policy::Loan) {
            row.section = TridSection::LoanCosts;
            // The lender's policy first, then what is on it.
            auto at = line.role == LineRole::LoanPolicy ? loanCosts.begin() : loanCosts.end();
            loanCosts.insert(at, std::move(row));
        } else {
            row.section = TridSection::OtherCosts;
            auto at = line.role == LineRole::OwnersPolicy ? otherCosts.begin() : otherCosts.end();
            otherCosts.insert(at, std::move(row));
        }
    }
    // The letter on the lender's policy stays after its endorsements.
    std::stable_partition(loanCosts.begin(), loanCosts.end(),
                          [](const TridRow& row) { return row.policy.has_value(); });
    std::vector<TridRow> rows = std::move(loanCosts);
    for (auto* part : {&otherCosts, &letter})
        rows.insert(rows.end(), std::make_move_iterator(part->begin()),
                    std::make_move_iterator(part->end()));
    return rows;
}

ClosingRefusal CannotBePriced()
{
    return {"the amounts are beyond what the rates can price", {}};
}

} // namespace

// ---- Readers ---------------------------------------------------------------------

std::string QuotedInput(std::string_view text)
{
    constexpr std::size_t kLongest = 40;
    std::string shown = "\"";
    std::size_t at = 0;
    while (at < text.size() && at < kLongest) {
        const std::size_t start = at;
        const auto c = NextCharacter(text, at);
        if (!c)
            shown += "<0x" + Hex(static_cast<unsigned char>(text[start]), 2) + '>';
        else if (IsControl(*c) || IsInvisible(*c))
            shown += CodePointName(*c);
        else
            shown.append(text.substr(start, at - start));
    }
    return shown + (at < text.size() ? "…\"" : "\"");
}

std::optional<std::string> HiddenCharacterIn(std::string_view text)
{
    std::size_t at = 0;
    while (at < text.size())
        if (const auto c = NextCharacter(text, at); c && IsInvisible(*c))
            return "U+" + Hex(*c, *c > 0xFFFF ? 6 : 4);
    return std::nullopt;
}

namespace {

// What the agent can act on when a text is no plain figure for a reason that
// does not show: a character that cannot be seen, blanks or a dollar sign
// pasted with it. Nothing when none of these is the fault.
std::optional<std::string> UnseenFault(std::string_view text)
{
    if (const auto hidden = HiddenCharacterIn(text))
        return QuotedInput(text) + " holds an invisible character, " + *hidden;
    // A space, a tab or a no-break space, at either end.
    for (const std::string_view blank : {" ", "\t", "\u00A0"})
        if (text.starts_with(blank) || text.ends_with(blank))
            return QuotedInput(text) + " has blanks around it";
    if (text.starts_with('$'))
        return QuotedInput(text) + " begins with $: give the digits alone";
    return std::nullopt;
}

} // namespace

namespace {

// The cents of a text of one to twelve digits with up to two decimals after
// a ".", read as a whole number: the figure is then that many cents over a
// hundred, the double nearest the typed value, which its text read back
// gives too. Nothing for any other text, which the readers read as written.
std::optional<std::int64_t> PlainCents(std::string_view text)
{
    std::int64_t cents = 0;
    std::size_t i = 0;
    for (; i < text.size() && IsDigit(text[i]); ++i)
        cents = cents * 10 + (text[i] - '0');
    if (i == 0 || i > 12)
        return std::nullopt;
    int decimals = 0;
    if (i < text.size()) {
        if (text[i] != '.' || text.size() - i - 1 > 2 || text.size() - i - 1 == 0)
            return std::nullopt;
        for (++i; i < text.size(); ++i, ++decimals) {
            if (!IsDigit(text[i]))
                return std::nullopt;
            cents = cents * 10 + (text[i] - '0');
        }
    }
    for (; decimals < 2; ++decimals)
        cents *= 10;
    return cents;
}

} // namespace

Reading<double> ReadClosingAmount(std::string_view text)
{
    if (const auto cents = PlainCents(text))
        return {static_cast<double>(*cents) / 100, {}};
    if (text.empty())
        return {std::nullopt, "no amount was given"};
    if (auto fault = UnseenFault(text))
        return {std::nullopt, std::move(*fault)};
    if (!IsPlainAmount(text))
        return {std::nullopt, QuotedInput(text)
                                  + " is not a plain amount: digits, with \",\" between "
                                    "thousands and at most one \".\""};
    const auto value = ParseNumber(text);
    if (!value || ToTheCent(*value) > kLargestClosingAmount)
        return {std::nullopt, QuotedInput(text) + " is more than 999,999,999,999.99"};
    return {ToTheCent(*value), {}};
}

Reading<double> ReadSplit(std::string_view text)
{
    if (const auto cents = PlainCents(text); cents && *cents >= 1'000 && *cents <= 7'000)
        return {static_cast<double>(*cents) / 100, {}};
    if (text.empty())
        return {std::nullopt, "no premium split was given"};
    if (auto fault = UnseenFault(text))
        return {std::nullopt, std::move(*fault)};
    if (!IsPlainNumber(text))
        return {std::nullopt,
                QuotedInput(text) + " is not a plain number: digits and at most one \".\""};
    const auto point = text.find('.');
    if (point != std::string_view::npos && text.size() - point - 1 > 2)
        return {std::nullopt, QuotedInput(text) + " has more than two decimals"};
    const auto split = ParseNumber(text); // nothing when too large for a double
    if (!split || *split < 10 || *split > 70)
        return {std::nullopt, QuotedInput(text) + " is not a premium split from 10 to 70 percent"};
    return {*split, {}};
}

Reading<EndorsementRequest> ReadEndorsement(std::string_view text)
{
    std::string_view form = text;
    std::optional<Policy> policy;
    if (const auto colon = text.find(':'); colon != std::string_view::npos) {
        form = text.substr(0, colon);
        std::string word(text.substr(colon + 1));
        std::transform(word.begin(), word.end(), word.begin(),
                       [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
        if (word == "owner")
            policy = Policy::Owners;
        else if (word == "loan")
            policy = Policy::Loan;
        else
            return {std::nullopt,
                    QuotedInput(text)
                        + " names no policy: put :owner or :loan after the form number"};
    }
    if (const auto named = FormNames().find(form); named != FormNames().end())
        return {EndorsementRequest{named->second, policy}, {}};
    return {std::nullopt, QuotedInput(text) + " is no ALTA endorsement of the catalogue"};
}

// ---- Endorsement lines ---------------------------------------------------------

const std::vector<EndorsementLine>& EndorsementLines()
{
    static const std::vector<EndorsementLine> lines = MakeEndorsementLines();
    return lines;
}

const EndorsementLine* EndorsementAt(std::size_t entry)
{
    if (entry < kFirstEndorsement || entry >= RateEntries.size())
        return nullptr;
    return &EndorsementLines()[entry - kFirstEndorsement];
}

bool IsPricedOnAPolicy(const EndorsementLine& line)
{
    return ClassOf(line.code) == EntryClass::EndorsedCharge;
}

std::string_view TridSectionName(TridSection section)
{
    switch (section) {
    case TridSection::LoanCosts:
        return "Loan Costs";
    case TridSection::OtherCosts:
        return "Other Costs";
    case TridSection::ExistingPolicy:
        break;
    }
    return kEndorsementsToAnExistingPolicy;
}

std::optional<Policy> PolicyOfForm(const EndorsementLine& line)
{
    for (const std::string_view form : {"7.1-06", "13.1-06"})
        if (line.form == form)
            return Policy::Loan;
    for (const std::string_view form : {"7.2-06", "9.1-06", "9.2-06", "9.4-06", "9.5-06", "13-06"})
        if (line.form == form)
            return Policy::Owners;
    return std::nullopt;
}

// ---- The closing ---------------------------------------------------------------

ClosingOutcome QuoteClosing(const ClosingRequest& request, QuoteDetail detail)
{
    ClosingOutcome outcome{ClosingQuote{}, {}};
    if (!QuoteClosing(request, detail, *outcome.quote, outcome.refusal))
        outcome.quote.reset();
    return outcome;
}

bool QuoteClosing(const ClosingRequest& request, QuoteDetail detail, ClosingQuote& quote,
                  ClosingRefusal& refusal)
{
    // The quote starts afresh but for the storage of its lines.
    quote.lines.clear();
    quote.grossCents = 0;
    quote.remitCents = 0;
    quote.trid = TridDisclosure{};
    const auto refuse = [&](ClosingRefusal why) {
        refusal = std::move(why);
        quote.lines.clear();
        return false;
    };
    const Amounts a = AsShown(request);
    if (auto why = RefusalOf(request, a))
        return refuse(std::move(*why));

    const bool expanded = request.coverage == Coverage::Expanded;
    const bool full = detail == QuoteDetail::Full;
    const LineMaker make(request.splitPercent, full);
    quote.splitPercent = request.splitPercent;
    // Each line goes straight into the quote: the owner's policy, the loan
    // policy, the endorsements as asked, the letter.
    std::vector<QuotedLine>& lines = quote.lines;
    const bool owners = a.price.has_value();
    const bool loan = a.loan.has_value();
    lines.reserve(std::size_t{owners} + std::size_t{loan} + request.endorsements.size()
                  + std::size_t{request.closingProtectionLetter});

    if (owners) {
        const double price = *a.price;
        bool made = false;
        if (expanded)
            made = make.Make(lines, LineRole::OwnersPolicy, kExpandedOwners, {{kLiability, price}});
        else if (a.priorOwners)
            made = make.Make(lines, LineRole::OwnersPolicy, kOwnersReissue,
                             {{kLiability, price}, {kPriorPolicyLiability, *a.priorOwners}});
        else if (!a.loan)
            made = make.Make(lines, LineRole::OwnersPolicy, kOwnersSingleIssue,
                             {{kLiability, price}});
        else
            made = make.Make(lines, LineRole::OwnersPolicy,
                             *a.loan <= price ? kOwnersAboveLoan : kOwnersBelowLoan,
                             {{kLiability, price}});
        if (!made)
            return refuse(CannotBePriced());
    }
    if (loan) {
        const double amount = *a.loan;
        bool made = false;
        if (expanded)
            made = make.Make(lines, LineRole::LoanPolicy, kExpandedLoan, {{kLiability, amount}});
        else if (a.price && amount <= *a.price)
            made = make.Make(lines, LineRole::LoanPolicy, kLoanBelowOwners, {});
        else if (a.price)
            made = make.Make(lines, LineRole::LoanPolicy, kLoanAboveOwners,
                             {{kLiability, amount}, {kOwnersPolicyLiability, *a.price}});
        else if (a.priorLoan)
            made = make.Make(lines, LineRole::LoanPolicy, kLoanRefinance,
                             {{kLiability, amount}, {kPriorPolicyLiability, *a.priorLoan}});
        else
            made = make.Make(lines, LineRole::LoanPolicy, kLoanSingleIssue, {{kLiability, amount}});
        if (!made)
            return refuse(CannotBePriced());
    }
    // The policies' charges as shown, which the zoning endorsements are priced on.
    const auto chargeOf = [](const QuotedLine& policy) {
        return static_cast<double>(policy.grossCents) / 100;
    };
    const double ownersCharge = owners ? chargeOf(lines.front()) : 0;
    const double loanCharge = loan ? chargeOf(lines[owners ? 1 : 0]) : 0;

    for (const EndorsementRequest& wanted : request.endorsements) {
        const EndorsementLine& line = *EndorsementAt(wanted.entry);
        std::optional<Policy> policy = wanted.policy;
        PricedOnAmounts pricedOn;
        if (IsPricedOnAPolicy(line)) {
            // On the only policy, or the one named; at its charge as shown.
            if (!policy)
                policy = owners ? Policy::Owners : Policy::Loan;
            pricedOn.push_back(
                {kChargeForEndorsedPolicy, *policy == Policy::Owners ? ownersCharge : loanCharge});
        }
        if (!make.Make(lines, LineRole::Endorsement, wanted.entry, std::move(pricedOn), policy))
            return refuse(CannotBePriced());
    }
    if (request.closingProtectionLetter)
        make.Make(lines, LineRole::ClosingProtectionLetter, kClosingProtectionLetter, {});

    TridDisclosure& trid = quote.trid;
    for (const QuotedLine& line : quote.lines) {
        quote.grossCents += line.grossCents;
        quote.remitCents += line.remitCents;
        if (line.role == LineRole::OwnersPolicy)
            trid.ownersChargedCents = line.grossCents;
        else if (line.role == LineRole::LoanPolicy)
            trid.lendersChargedCents = line.grossCents;
        else
            trid.otherCents += line.grossCents;
    }
    trid.hasOwnersPolicy = owners;
    trid.hasLoanPolicy = loan;
    trid.lendersDisclosedCents = trid.lendersChargedCents;
    trid.ownersDisclosedCents = trid.ownersChargedCents;
    if (owners && loan) {
        // The lender's policy at its full premium as a stand-alone policy; the
        // owner's takes what the simultaneous issue saved. A reissue credit is
        // no simultaneous-issue saving and stays in the owner's figure.
        trid.standAloneLoan = PriceLine(RateCodeOf(RateEntries[kLoanSingleIssue]), {*a.loan, 0},
                                        request.splitPercent,
                                        full ? LineDetail::Working : LineDetail::Figures);
        const std::int64_t standAlone = CentsAsShown(trid.standAloneLoan->total);
        trid.lendersDisclosedCents = standAlone;
        trid.ownersDisclosedCents = trid.ownersChargedCents + trid.lendersChargedCents - standAlone;
    }
    trid.chargedCents = trid.ownersChargedCents + trid.lendersChargedCents + trid.otherCents;
    trid.disclosedCents = trid.ownersDisclosedCents + trid.lendersDisclosedCents + trid.otherCents;
    if (full)
        trid.rows = ItemisedRows(quote, trid);
    return true;
}

std::int64_t CentsAsShown(double amount)
{
    if (const auto cents = StandardCents(amount))
        return *cents;
    return CentsOfText(FormatStandard(amount));
}

} // namespace StateCalcs
