// The engine's figures and texts against the engine as it was before they were
// worked without text: the same cents, the same "Standard" texts, every field
// of every priced line and closing, to the last bit. Millions of random
// lines and closings, with exact half cents, amounts whose seventeen digits
// end in "50" (where only the exact value tells which way the cent goes), the
// largest amounts and beyond, every catalogue code and every split from 10
// to 70 in hundredths. It prints what it compared, how many differed, and
// the time each takes, former and present. Run by hand, outside ctest; it
// exits 1 on any difference:
//   build/benchmarks/pricing_equivalence [millions of values, default 4]

#include "engine/Catalogue.h"
#include "engine/Closing.h"
#include "engine/NumberText.h"
#include "engine/Pricing.h"
#include "engine/Schedules.h"

#include <algorithm>
#include <array>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <ctime>
#include <functional>
#include <limits>
#include <optional>
#include <random>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// ==== The former code, frozen ==================================================
// Copied unchanged from the engine as it stood before (the number format, the
// schedules, the code look-up, the pricing of a line and the closing quote),
// calls qualified where the engine's own functions would also be found. It is
// the reference the present code is held to: never edit it to make a
// difference go away.
namespace Former {

// What the former code shares with the present engine: its types and data,
// and the functions this work left alone. Only these are taken from it, so
// that no present function can stand in for a former one unseen.
using StateCalcs::ClosingField;
using StateCalcs::ClosingOutcome;
using StateCalcs::ClosingQuote;
using StateCalcs::ClosingRefusal;
using StateCalcs::ClosingRequest;
using StateCalcs::Coverage;
using StateCalcs::EndorsementAt;
using StateCalcs::EndorsementLine;
using StateCalcs::EndorsementRequest;
using StateCalcs::EntryClass;
using StateCalcs::IsPricedOnAPolicy;
using StateCalcs::kFullyCoveredShare;
using StateCalcs::kPriorCredit;
using StateCalcs::kSimultaneousLoanFee;
using StateCalcs::LineAmounts;
using StateCalcs::LinePricing;
using StateCalcs::LineRole;
using StateCalcs::LineWorking;
using StateCalcs::Policy;
using StateCalcs::PremiumSchedule;
using StateCalcs::PremiumWorking;
using StateCalcs::PricedOn;
using StateCalcs::PricedOnAmounts;
using StateCalcs::QuotedLine;
using StateCalcs::RateCodeOf;
using StateCalcs::RateCodeRule;
using StateCalcs::RateCodes;
using StateCalcs::RateEntries;
using StateCalcs::RemitRule;
using StateCalcs::TridDisclosure;

// The former declarations, as the headers made them.
std::optional<std::int64_t> StandardCents(double value);
std::string FormatStandard(double value);
std::optional<double> ParseNumber(std::string_view text);
std::string FormatCents(std::int64_t cents, bool grouped = true);
double RoundUpToThousand(double amount);
PremiumWorking WorkOutPremium(PremiumSchedule schedule, double liability);
const RateCodeRule* RuleOf(std::string_view code);
EntryClass ClassOf(std::string_view code);
bool IsFixedEntry(std::string_view code);
std::optional<LinePricing> PriceLine(std::string_view code, const LineAmounts& amounts,
                                     std::optional<double> splitPercent);
std::string ChargeText(const LinePricing& line);
double Remittance(double splitPercent, double totalCharge);
double ToTheCent(double amount);
ClosingOutcome QuoteClosing(const ClosingRequest& request);
std::int64_t CentsAsShown(double amount);

// ---- engine/NumberText.cpp --------------------------------------------------

namespace {

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

// A non-negative decimal number as its integer and fraction digits.
struct Decimal {
    std::string whole;
    std::string fraction;
};

// Adds one to the last digit of a string of decimal digits, carrying; a
// carry out of the first digit adds a leading 1.
void IncrementDigits(std::string& digits)
{
    auto i = digits.size();
    while (i > 0 && digits[i - 1] == '9')
        digits[--i] = '0';
    if (i == 0)
        digits.insert(digits.begin(), '1');
    else
        ++digits[i - 1];
}

// The exact decimal expansion of a non-negative double of at least 1e-3:
// its binary fraction ends within 64 decimals. std::to_chars never depends
// on the process locale, unlike printf, which a desktop's decimal comma
// would otherwise reach.
Decimal ExactDecimal(double value)
{
    std::array<char, 400> buffer;
    const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value,
                                      std::chars_format::fixed, 64);
    const std::string_view text(buffer.data(),
                                static_cast<std::size_t>(result.ptr - buffer.data()));
    const auto point = text.find('.');
    return {std::string(text.substr(0, point)), std::string(text.substr(point + 1))};
}

// A non-negative value as it reads to 15 significant digits, a half going
// up like every other rounding of the format. That clears the binary noise
// of the arithmetic (276.925 is held as 276.92499999999998...).
Decimal FifteenDigitDecimal(Decimal exact)
{
    constexpr std::size_t kSignificant = 15;
    std::string digits = exact.whole + exact.fraction;
    const std::size_t wholeLength = exact.whole.size();
    const auto first = digits.find_first_not_of('0');
    if (first == std::string::npos || first + kSignificant >= digits.size())
        return exact;
    const std::size_t cut = first + kSignificant;
    const bool up = digits[cut] >= '5';
    digits.resize(cut);
    if (up)
        IncrementDigits(digits);
    // A carry may have made the number one digit longer.
    const std::size_t whole = wholeLength + (digits.size() > cut ? 1 : 0);
    digits.resize(std::max(digits.size(), whole), '0');
    return {digits.substr(0, whole), digits.substr(whole)};
}

// Whole cents of a value from 1e-3 to 1e13, as the format rounds it (to
// fifteen digits, then to the cent, each a half going up), read off the
// seventeen digits std::to_chars gives correctly rounded: they settle the
// first rounding unless they end in "50", where only the exact value tells a
// half from a little less or more, and nothing is given.
std::optional<std::int64_t> QuickCents(double value)
{
    constexpr int kSignificant = 15;
    std::array<char, 40> buffer;
    const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value,
                                      std::chars_format::scientific, 16);
    // "d.dddddddddddddddde+XX"
    const std::string_view text(buffer.data(),
                                static_cast<std::size_t>(result.ptr - buffer.data()));
    if (text[16] == '5' && text[17] == '0')
        return std::nullopt;
    std::int64_t digits = text[0] - '0'; // the first fifteen digits
    for (std::size_t i = 2; i < 16; ++i)
        digits = digits * 10 + (text[i] - '0');
    int exponent = 0;
    std::from_chars(text.data() + 20, text.data() + text.size(), exponent);
    if (text[19] == '-')
        exponent = -exponent;
    if (text[16] >= '5')
        ++digits; // 999... becoming 1000... keeps its value
    // The fifteen digits are the value in units of 10^(exponent - 14); in
    // cents that is a division by 10^(12 - exponent).
    std::int64_t divisor = 1;
    for (int i = exponent; i < kSignificant - 3; ++i)
        divisor *= 10;
    return (digits + divisor / 2) / divisor;
}

// Rounds to two decimals, a half going up (the value is non-negative).
Decimal RoundToCents(Decimal d)
{
    d.fraction.resize(std::max<std::size_t>(d.fraction.size(), 3), '0');
    const bool up = d.fraction[2] >= '5';
    d.fraction.resize(2);
    if (!up)
        return d;
    std::string digits = d.whole + d.fraction;
    IncrementDigits(digits);
    return {digits.substr(0, digits.size() - 2), digits.substr(digits.size() - 2)};
}

std::string GroupThousands(const std::string& whole)
{
    const auto first = whole.find_first_not_of('0');
    const std::string digits = first == std::string::npos ? "0" : whole.substr(first);
    std::string out;
    out.reserve(digits.size() + digits.size() / 3);
    for (std::size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0)
            out += ',';
        out += digits[i];
    }
    return out;
}

std::string_view TrimBlanks(std::string_view text)
{
    const auto first = text.find_first_not_of(' ');
    if (first == std::string_view::npos)
        return {};
    const auto last = text.find_last_not_of(' ');
    return text.substr(first, last - first + 1);
}

} // namespace

std::optional<std::int64_t> StandardCents(double value)
{
    if (!std::isfinite(value))
        return std::nullopt;
    const double magnitude = std::fabs(value);
    if (magnitude < 1e-3)
        return 0; // far below a cent, nothing can round up to one
    if (magnitude >= 1e13)
        return std::nullopt;
    std::optional<std::int64_t> cents = QuickCents(magnitude);
    if (!cents) {
        const Decimal d = RoundToCents(FifteenDigitDecimal(ExactDecimal(magnitude)));
        std::int64_t whole = 0;
        std::from_chars(d.whole.data(), d.whole.data() + d.whole.size(), whole);
        cents = whole * 100 + (d.fraction[0] - '0') * 10 + (d.fraction[1] - '0');
    }
    return value < 0 ? -*cents : *cents;
}

std::string FormatStandard(double value)
{
    if (!std::isfinite(value))
        return {};
    if (const auto cents = StandardCents(value))
        return FormatCents(*cents);
    // From 1e13 up fifteen digits no longer reach the cents: the exact value is used.
    const Decimal d = RoundToCents(ExactDecimal(std::fabs(value)));
    std::string text = GroupThousands(d.whole) + '.' + d.fraction;
    if (value < 0)
        text.insert(text.begin(), '-');
    return text;
}

std::optional<double> ParseNumber(std::string_view text)
{
    text = TrimBlanks(text);
    std::string digits;
    bool seenPoint = false;
    bool seenDigit = false;
    bool nonZeroWhole = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (IsDigit(c)) {
            seenDigit = true;
            if (!seenPoint && c != '0')
                nonZeroWhole = true;
            digits += c;
        } else if (c == '.' && !seenPoint) {
            seenPoint = true;
            digits += c;
        } else if (c == ',' && !seenPoint && i > 0 && IsDigit(text[i - 1]) && i + 1 < text.size()
                   && IsDigit(text[i + 1])) {
            // a group separator between digits of the integer part
        } else {
            return std::nullopt;
        }
    }
    if (!seenDigit)
        return std::nullopt;
    double value = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    if (error == std::errc::result_out_of_range) {
        // Too small for a double reads as zero; too large is not a number.
        if (nonZeroWhole)
            return std::nullopt;
        return 0.0;
    }
    if (error != std::errc() || end != digits.data() + digits.size() || !std::isfinite(value))
        return std::nullopt;
    return value;
}

std::string FormatCents(std::int64_t cents, bool grouped)
{
    const bool negative = cents < 0;
    const std::uint64_t magnitude = negative ? 0 - static_cast<std::uint64_t>(cents)
                                             : static_cast<std::uint64_t>(cents);
    std::array<char, 24> whole;
    const auto end = std::to_chars(whole.data(), whole.data() + whole.size(), magnitude / 100).ptr;
    const auto length = static_cast<std::size_t>(end - whole.data());
    std::string text = negative ? "-" : "";
    text.reserve(length + length / 3 + 4);
    for (std::size_t i = 0; i < length; ++i) {
        if (grouped && i > 0 && (length - i) % 3 == 0)
            text += ',';
        text += whole[i];
    }
    const auto fraction = static_cast<char>(magnitude % 100);
    text += '.';
    text += static_cast<char>('0' + fraction / 10);
    text += static_cast<char>('0' + fraction % 10);
    return text;
}

// ---- engine/Schedules.cpp ---------------------------------------------------

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

// ---- engine/Catalogue.cpp (the look-ups) ------------------------------------

using enum EntryClass;

const RateCodeRule* RuleOf(std::string_view code)
{
    for (const RateCodeRule& rule : RateCodes)
        if (rule.code == code)
            return &rule;
    return nullptr;
}

EntryClass ClassOf(std::string_view code)
{
    const RateCodeRule* rule = RuleOf(code);
    return rule ? rule->entryClass : EntryClass::None;
}

bool IsFixedEntry(std::string_view code)
{
    switch (ClassOf(code)) {
    case SplitFixedCharge:
    case WholeFixedCharge:
    case NoCharge:
        return true;
    default:
        return false;
    }
}

// ---- engine/Pricing.cpp ------------------------------------------------------

namespace {

// The minimum applies after the surcharge or share: a charge below it
// becomes the minimum; one equal to it stays.
void ApplyMinimum(LinePricing& line, double minimum)
{
    line.working.beforeMinimum = line.total;
    line.working.minimum = minimum;
    if (line.total < minimum) {
        line.total = minimum;
        line.working.minimumApplied = true;
    }
}

// Schedule entries: the premium on the liability, times the surcharge.
// The zoning endorsements: a share of the charge for the endorsed policy.
void PriceOneAmount(const RateCodeRule& rule, double amount, LinePricing& line)
{
    double base = amount;
    if (rule.schedule != PremiumSchedule::None) {
        line.working.premium = Former::WorkOutPremium(rule.schedule, amount);
        base = line.working.premium->premium;
    }
    line.working.factor = rule.factor;
    line.total = base * rule.factor;
    ApplyMinimum(line, rule.minimum);
}

// 402, 901 and 903. The second liability never counts for more than the
// first; the credit is priced on it as shown, to the cent.
void PriceTwoAmounts(const RateCodeRule& rule, const LineAmounts& amounts, LinePricing& line)
{
    LineWorking& working = line.working;
    const double first = amounts.first;
    double second = amounts.second;
    if (second > first) {
        second = first;
        working.secondCapped = true;
    }
    working.secondAmount = second;
    working.premium = Former::WorkOutPremium(rule.schedule, first);
    const double full = working.premium->premium;
    if (rule.code == "402") {
        // The loan premium on the part of the loan above the owner's policy,
        // as the difference of two premiums, plus the flat fee; rounded to the
        // cent here, a half going up; no minimum.
        working.secondPremium = Former::WorkOutPremium(rule.schedule, ToTheCent(second));
        line.credit = working.secondPremium->premium;
        line.total = full - *line.credit + kSimultaneousLoanFee;
        line.total = std::floor(line.total * 100 + 0.5) / 100;
        working.beforeMinimum = line.total;
        return;
    }
    if (second < first) {
        working.secondPremium = Former::WorkOutPremium(rule.schedule, ToTheCent(second));
        line.credit = working.secondPremium->premium * kPriorCredit;
        line.total = full - *line.credit;
    } else {
        working.fullyCovered = true;
        line.total = full * kFullyCoveredShare;
    }
    ApplyMinimum(line, rule.minimum);
}

} // namespace

std::optional<LinePricing> PriceLine(std::string_view code, const LineAmounts& amounts,
                                     std::optional<double> splitPercent)
{
    const RateCodeRule* rule = RuleOf(code);
    if (!rule)
        return std::nullopt;
    LinePricing line;
    LineWorking& working = line.working;
    switch (rule->entryClass) {
    case EntryClass::Schedule:
    case EntryClass::EndorsedCharge:
        PriceOneAmount(*rule, amounts.first, line);
        break;
    case EntryClass::TwoAmount:
        PriceTwoAmounts(*rule, amounts, line);
        break;
    case EntryClass::SplitFixedCharge:
    case EntryClass::WholeFixedCharge:
        line.total = *rule->fixedCharge;
        break;
    case EntryClass::NoCharge:
        line.noCharge = true;
        break;
    case EntryClass::None:
        return std::nullopt;
    }
    if (!std::isfinite(line.total))
        return std::nullopt;

    switch (rule->entryClass) {
    case EntryClass::EndorsedCharge:
    case EntryClass::WholeFixedCharge:
        // Remitted whole: the charge to the cent, as shown.
        working.remitRule = RemitRule::Whole;
        line.remit = ToTheCent(line.total);
        break;
    case EntryClass::NoCharge:
        working.remitRule = RemitRule::Nothing;
        line.remit = 0.0;
        break;
    default:
        // A fixed charge is taken as shown; a computed charge unrounded.
        working.remitBase = IsFixedEntry(code) ? ToTheCent(line.total) : line.total;
        if (splitPercent)
            line.remit = Remittance(*splitPercent, working.remitBase);
        break;
    }
    return line;
}

std::string ChargeText(const LinePricing& line)
{
    return line.noCharge ? std::string("No Charge") : FormatStandard(line.total);
}

double Remittance(double splitPercent, double totalCharge)
{
    return splitPercent * totalCharge / 100;
}

double ToTheCent(double amount)
{
    // Whole cents over a hundred are the same double as the text read back.
    // (The text of a negative figure does not read back: it stays as it is.)
    if (const auto cents = StandardCents(amount); cents && amount >= 0)
        return static_cast<double>(*cents) / 100;
    return ParseNumber(FormatStandard(amount)).value_or(amount);
}

// ---- engine/Closing.cpp (the quote) --------------------------------------------

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
std::string FormName(std::size_t entry)
{
    return "ALTA " + std::string(EndorsementAt(entry)->form);
}

std::string_view PolicyWord(Policy policy)
{
    return policy == Policy::Owners ? "owner" : "loan";
}

// Builds a quoted line: the pricing of its catalogue line on the amounts
// as shown, with the figures as shown.
class LineMaker {
public:
    explicit LineMaker(double splitPercent) : m_split(splitPercent) {}

    std::optional<QuotedLine> Make(LineRole role, std::size_t entry, PricedOnAmounts pricedOn,
                                   std::optional<Policy> policy = std::nullopt) const
    {
        const std::string_view text = RateEntries[entry];
        const std::string code = RateCodeOf(text);
        LineAmounts amounts;
        if (!pricedOn.empty())
            amounts.first = pricedOn[0].amount;
        if (pricedOn.size() > 1)
            amounts.second = pricedOn[1].amount;
        auto pricing = Former::PriceLine(code, amounts, m_split);
        if (!pricing || !pricing->remit)
            return std::nullopt;
        // The second amount shows capped at the first, as the window shows it.
        if (pricedOn.size() > 1)
            pricedOn[1].amount = ToTheCent(pricing->working.secondAmount);
        // Each figure is written once; its cents are read off the text shown.
        std::string grossText = Former::ChargeText(*pricing);
        std::string remitText = FormatStandard(*pricing->remit);
        const std::int64_t grossCents = pricing->noCharge ? 0 : CentsOfText(grossText);
        const std::int64_t remitCents = CentsOfText(remitText);
        return QuotedLine{role,
                          entry,
                          text,
                          text.substr(0, code.size()),
                          policy,
                          std::move(pricedOn),
                          *pricing,
                          grossCents,
                          remitCents,
                          std::move(grossText),
                          std::move(remitText)};
    }

private:
    double m_split;
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
        return amount ? std::optional<double>(Former::ToTheCent(*amount)) : std::nullopt;
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
        const std::string name = FormName(wanted[i].entry);
        if (const auto policy = wanted[i].policy) {
            const bool present = *policy == Policy::Owners ? a.price.has_value()
                                                           : a.loan.has_value();
            if (!present)
                return ClosingRefusal{
                    name + " is named on the " + std::string(PolicyWord(*policy))
                        + " policy, and this closing has none",
                    {F::Endorsements, *policy == Policy::Owners ? F::Price : F::Loan}};
        }
        if (IsPricedOnAPolicy(*line)) {
            if (!a.price && !a.loan)
                return ClosingRefusal{name
                                          + " is priced on the charge of a policy, and this "
                                            "closing has none",
                                      {F::Endorsements, F::Price, F::Loan}};
            if (a.price && a.loan && !wanted[i].policy)
                return ClosingRefusal{name
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
                return ClosingRefusal{name + " is asked for twice: once, or once on each policy",
                                      {F::Endorsements}};
        }
    }
    return std::nullopt;
}

ClosingRefusal CannotBePriced()
{
    return {"the amounts are beyond what the rates can price", {}};
}

} // namespace

ClosingOutcome QuoteClosing(const ClosingRequest& request)
{
    const Amounts a = AsShown(request);
    if (auto refusal = RefusalOf(request, a))
        return {std::nullopt, std::move(*refusal)};

    const bool expanded = request.coverage == Coverage::Expanded;
    const LineMaker make(request.splitPercent);
    ClosingQuote quote;
    quote.splitPercent = request.splitPercent;
    std::optional<QuotedLine> owners, loan;

    if (a.price) {
        const double price = *a.price;
        if (expanded)
            owners = make.Make(LineRole::OwnersPolicy, kExpandedOwners, {{kLiability, price}});
        else if (a.priorOwners)
            owners = make.Make(LineRole::OwnersPolicy, kOwnersReissue,
                               {{kLiability, price}, {kPriorPolicyLiability, *a.priorOwners}});
        else if (!a.loan)
            owners = make.Make(LineRole::OwnersPolicy, kOwnersSingleIssue, {{kLiability, price}});
        else
            owners = make.Make(LineRole::OwnersPolicy,
                               *a.loan <= price ? kOwnersAboveLoan : kOwnersBelowLoan,
                               {{kLiability, price}});
        if (!owners)
            return {std::nullopt, CannotBePriced()};
    }
    if (a.loan) {
        const double amount = *a.loan;
        if (expanded)
            loan = make.Make(LineRole::LoanPolicy, kExpandedLoan, {{kLiability, amount}});
        else if (a.price && amount <= *a.price)
            loan = make.Make(LineRole::LoanPolicy, kLoanBelowOwners, {});
        else if (a.price)
            loan = make.Make(LineRole::LoanPolicy, kLoanAboveOwners,
                             {{kLiability, amount}, {kOwnersPolicyLiability, *a.price}});
        else if (a.priorLoan)
            loan = make.Make(LineRole::LoanPolicy, kLoanRefinance,
                             {{kLiability, amount}, {kPriorPolicyLiability, *a.priorLoan}});
        else
            loan = make.Make(LineRole::LoanPolicy, kLoanSingleIssue, {{kLiability, amount}});
        if (!loan)
            return {std::nullopt, CannotBePriced()};
    }
    if (owners)
        quote.lines.push_back(*owners);
    if (loan)
        quote.lines.push_back(*loan);

    for (const EndorsementRequest& wanted : request.endorsements) {
        const EndorsementLine& line = *EndorsementAt(wanted.entry);
        std::optional<Policy> policy = wanted.policy;
        PricedOnAmounts pricedOn;
        if (IsPricedOnAPolicy(line)) {
            // On the only policy, or the one named; at its charge as shown.
            if (!policy)
                policy = owners ? Policy::Owners : Policy::Loan;
            const QuotedLine& endorsed = *policy == Policy::Owners ? *owners : *loan;
            const double charge = *ParseNumber(FormatCents(endorsed.grossCents, false));
            pricedOn.push_back({kChargeForEndorsedPolicy, charge});
        }
        auto quoted = make.Make(LineRole::Endorsement, wanted.entry, std::move(pricedOn), policy);
        if (!quoted)
            return {std::nullopt, CannotBePriced()};
        quote.lines.push_back(std::move(*quoted));
    }
    if (request.closingProtectionLetter)
        quote.lines.push_back(
            *make.Make(LineRole::ClosingProtectionLetter, kClosingProtectionLetter, {}));

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
    trid.hasOwnersPolicy = owners.has_value();
    trid.hasLoanPolicy = loan.has_value();
    trid.lendersDisclosedCents = trid.lendersChargedCents;
    trid.ownersDisclosedCents = trid.ownersChargedCents;
    if (owners && loan) {
        // The lender's policy at its full premium as a stand-alone policy; the
        // owner's takes what the simultaneous issue saved. A reissue credit is
        // no simultaneous-issue saving and stays in the owner's figure.
        trid.standAloneLoan = Former::PriceLine(RateCodeOf(RateEntries[kLoanSingleIssue]),
                                                {*a.loan, 0}, request.splitPercent);
        const std::int64_t standAlone = CentsAsShown(trid.standAloneLoan->total);
        trid.lendersDisclosedCents = standAlone;
        trid.ownersDisclosedCents = trid.ownersChargedCents + trid.lendersChargedCents - standAlone;
    }
    trid.chargedCents = trid.ownersChargedCents + trid.lendersChargedCents + trid.otherCents;
    trid.disclosedCents = trid.ownersDisclosedCents + trid.lendersDisclosedCents + trid.otherCents;
    return {std::move(quote), {}};
}

std::int64_t CentsAsShown(double amount)
{
    if (const auto cents = StandardCents(amount))
        return *cents;
    return CentsOfText(FormatStandard(amount));
}

} // namespace Former

// ==== Comparing =============================================================
namespace {

using namespace StateCalcs;

bool Same(double a, double b)
{
    return std::bit_cast<std::uint64_t>(a) == std::bit_cast<std::uint64_t>(b);
}

bool Same(const PremiumWorking& a, const PremiumWorking& b);
bool Same(const LinePricing& a, const LinePricing& b);

template <typename T>
bool Same(const std::optional<T>& a, const std::optional<T>& b)
{
    if (a.has_value() != b.has_value())
        return false;
    return !a || Same(*a, *b);
}

bool Same(const PremiumWorking& a, const PremiumWorking& b)
{
    return Same(a.liability, b.liability) && Same(a.rounded, b.rounded) && a.tier == b.tier
           && Same(a.base, b.base) && Same(a.lowerBound, b.lowerBound) && Same(a.rate, b.rate)
           && Same(a.premium, b.premium);
}

bool Same(const LineWorking& a, const LineWorking& b)
{
    return Same(a.premium, b.premium) && Same(a.secondPremium, b.secondPremium)
           && Same(a.secondAmount, b.secondAmount) && a.secondCapped == b.secondCapped
           && a.fullyCovered == b.fullyCovered && Same(a.factor, b.factor)
           && Same(a.beforeMinimum, b.beforeMinimum) && Same(a.minimum, b.minimum)
           && a.minimumApplied == b.minimumApplied && a.remitRule == b.remitRule
           && Same(a.remitBase, b.remitBase);
}

bool Same(const LinePricing& a, const LinePricing& b)
{
    return Same(a.total, b.total) && Same(a.remit, b.remit) && a.noCharge == b.noCharge
           && Same(a.credit, b.credit) && Same(a.working, b.working);
}

bool Same(const QuotedLine& a, const QuotedLine& b)
{
    if (a.pricedOn.size() != b.pricedOn.size())
        return false;
    for (std::size_t i = 0; i < a.pricedOn.size(); ++i)
        if (a.pricedOn[i].name != b.pricedOn[i].name
            || !Same(a.pricedOn[i].amount, b.pricedOn[i].amount))
            return false;
    return a.role == b.role && a.entry == b.entry && a.text == b.text && a.code == b.code
           && a.policy == b.policy && Same(a.pricing, b.pricing) && a.grossCents == b.grossCents
           && a.remitCents == b.remitCents && a.grossText == b.grossText
           && a.remitText == b.remitText;
}

bool Same(const TridDisclosure& a, const TridDisclosure& b)
{
    return a.hasLoanPolicy == b.hasLoanPolicy && a.hasOwnersPolicy == b.hasOwnersPolicy
           && a.lendersChargedCents == b.lendersChargedCents
           && a.ownersChargedCents == b.ownersChargedCents
           && a.lendersDisclosedCents == b.lendersDisclosedCents
           && a.ownersDisclosedCents == b.ownersDisclosedCents && a.otherCents == b.otherCents
           && a.chargedCents == b.chargedCents && a.disclosedCents == b.disclosedCents
           && Same(a.standAloneLoan, b.standAloneLoan);
}

bool Same(const ClosingOutcome& a, const ClosingOutcome& b)
{
    if (a.refusal.reason != b.refusal.reason || a.refusal.fields != b.refusal.fields
        || a.quote.has_value() != b.quote.has_value())
        return false;
    if (!a.quote)
        return true;
    const ClosingQuote& x = *a.quote;
    const ClosingQuote& y = *b.quote;
    if (x.lines.size() != y.lines.size())
        return false;
    for (std::size_t i = 0; i < x.lines.size(); ++i)
        if (!Same(x.lines[i], y.lines[i]))
            return false;
    return Same(x.splitPercent, y.splitPercent) && x.grossCents == y.grossCents
           && x.remitCents == y.remitCents && Same(x.trid, y.trid);
}

// How many of one kind were compared and how many differed, with the first
// that did.
struct Tally {
    explicit Tally(std::string name) : what(std::move(name)) {}

    std::string what;
    long long compared = 0;
    long long differing = 0;
    std::string firstDifference;

    void Count(bool same, const std::function<std::string()>& describe)
    {
        ++compared;
        if (same)
            return;
        if (differing++ == 0)
            firstDifference = describe();
    }
};

std::string Exactly(double value)
{
    std::array<char, 64> buffer;
    const auto end = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value,
                                   std::chars_format::general, 17)
                         .ptr;
    return std::string(buffer.data(), end);
}

// ==== What is compared ======================================================

using Random = std::mt19937_64;

double ReadBack(const std::string& text)
{
    double value = 0;
    std::from_chars(text.data(), text.data() + text.size(), value);
    return value;
}

std::int64_t Between(Random& random, std::int64_t low, std::int64_t high)
{
    return std::uniform_int_distribution<std::int64_t>(low, high)(random);
}

// A decimal text of whole digits with `decimals` of them after the point.
std::string WithPoint(std::string digits, int decimals)
{
    if (decimals <= 0)
        return digits + std::string(static_cast<std::size_t>(-decimals), '0');
    if (digits.size() <= static_cast<std::size_t>(decimals))
        digits.insert(0, static_cast<std::size_t>(decimals) - digits.size() + 1, '0');
    digits.insert(digits.size() - static_cast<std::size_t>(decimals), ".");
    return digits;
}

enum class AmountKind {
    WholeDollars,   // what the agent mostly types
    Cents,          // dollars and cents, typed
    HalfCent,       // three decimals ending in 5: 1.005, 2.675, 276.925
    SeventeenFifty, // seventeen significant digits ending in "50", and a few ulps off
    Largest,        // up to 999,999,999,999.99 and on to 1e13
    Computed,       // what the arithmetic of a charge or a remittance gives
    AnyDouble,      // any double from 2^-12 to 2^44
    Tiny,           // below a cent and around 1e-3
    Beyond,         // from 1e13 up, where the format writes the exact value
};
constexpr int kAmountKinds = 9;

double Amount(Random& random, AmountKind kind)
{
    switch (kind) {
    case AmountKind::WholeDollars:
        return static_cast<double>(Between(random, 0, 2'000'000));
    case AmountKind::Cents:
        return ReadBack(WithPoint(std::to_string(Between(random, 0, 100'000'000'000)), 2));
    case AmountKind::HalfCent:
        return ReadBack(WithPoint(std::to_string(Between(random, 0, 999'999'999'999) * 10 + 5), 3));
    case AmountKind::SeventeenFifty: {
        const std::int64_t fifteen = Between(random, 100'000'000'000'000, 999'999'999'999'999);
        // 10^-3 to 10^12: the whole digits from 0 to 13 of the seventeen.
        const int wholeDigits = static_cast<int>(Between(random, -2, 13));
        double value = ReadBack(WithPoint(std::to_string(fifteen) + "50", 17 - wholeDigits));
        for (auto step = Between(random, -2, 2); step != 0; step += step < 0 ? 1 : -1)
            value = std::nextafter(value, step < 0 ? 0.0 : INFINITY);
        return value;
    }
    case AmountKind::Largest:
        if (Between(random, 0, 1))
            return ReadBack(
                WithPoint(std::to_string(99'999'999'999'999 - Between(random, 0, 1'000'000)), 2));
        return std::uniform_real_distribution<double>(1e11, 1e13)(random);
    case AmountKind::Computed: {
        const double liability = static_cast<double>(Between(random, 1, 90'000'000));
        const double rates[] = {0.0035, 0.002, 0.00175, 0.0015, 0.00125, 0.0025, 0.001};
        const double premium = 350 + liability * rates[Between(random, 0, 6)];
        switch (Between(random, 0, 3)) {
        case 0:
            return premium * 1.1;
        case 1:
            return premium * 0.1;
        case 2:
            return premium - premium * 0.4 * std::uniform_real_distribution<double>(0, 1)(random);
        default:
            return static_cast<double>(Between(random, 1000, 7000)) / 100 * premium / 100;
        }
    }
    case AmountKind::AnyDouble:
        return std::ldexp(std::uniform_real_distribution<double>(1, 2)(random),
                          static_cast<int>(Between(random, -12, 43)));
    case AmountKind::Tiny:
        return Between(random, 0, 1) ? std::uniform_real_distribution<double>(0, 0.02)(random)
                                     : std::nextafter(1e-3, Between(random, 0, 1) ? 0.0 : 1.0);
    case AmountKind::Beyond:
        return std::uniform_real_distribution<double>(1e13, 1e17)(random);
    }
    return 0;
}

double AnyAmount(Random& random)
{
    return Amount(random, static_cast<AmountKind>(Between(random, 0, kAmountKinds - 1)));
}

// An amount a closing or the window may price: up to the closing's largest.
double PricedAmount(Random& random)
{
    const auto kind = static_cast<AmountKind>(Between(random, 0, kAmountKinds - 2));
    return std::min(Amount(random, kind), kLargestClosingAmount);
}

// A split from 10 to 70 in hundredths, read as the readers read it.
double Split(Random& random)
{
    return *ParseNumber(WithPoint(std::to_string(Between(random, 1000, 7000)), 2));
}

// Values at every edge of the format and of the arithmetic.
std::vector<double> EdgeValues()
{
    std::vector<double> values{0.0,
                               1e-3,
                               0.005,
                               0.015,
                               1.005,
                               2.675,
                               276.925,
                               1'000.005,
                               999'999'999'999.99,
                               999'999'999'999.995,
                               1e12,
                               1e13,
                               0x1p52,
                               0x1p53,
                               0x1p63,
                               1e17,
                               1e300,
                               std::numeric_limits<double>::max(),
                               std::numeric_limits<double>::min(),
                               std::numeric_limits<double>::denorm_min(),
                               std::numeric_limits<double>::infinity(),
                               std::numeric_limits<double>::quiet_NaN()};
    for (double power = 1e-3; power <= 1e13; power *= 10)
        values.push_back(power);
    const std::size_t plain = values.size();
    for (std::size_t i = 0; i < plain; ++i)
        for (const double toward : {0.0, std::numeric_limits<double>::infinity()})
            values.push_back(std::nextafter(values[i], toward));
    const std::size_t positive = values.size();
    for (std::size_t i = 0; i < positive; ++i)
        values.push_back(-values[i]);
    return values;
}

void CompareValues(Random& random, long long count, Tally& cents, Tally& texts, Tally& shown,
                   Tally& grouped)
{
    const std::vector<double> edges = EdgeValues();
    for (long long i = 0; i < count; ++i) {
        double value = i < static_cast<long long>(edges.size()) ? edges[static_cast<std::size_t>(i)]
                                                                : AnyAmount(random);
        if (Between(random, 0, 7) == 0)
            value = -value;
        cents.Count(Same(ToTheCent(value), Former::ToTheCent(value))
                        && StandardCents(value) == Former::StandardCents(value),
                    [&] { return Exactly(value); });
        texts.Count(FormatStandard(value) == Former::FormatStandard(value),
                    [&] { return Exactly(value); });
        shown.Count(CentsAsShown(value) == Former::CentsAsShown(value),
                    [&] { return Exactly(value); });
        constexpr std::array<std::int64_t, 10> kEdgeCents{0,
                                                          1,
                                                          -1,
                                                          99,
                                                          -100,
                                                          100'000,
                                                          99'999'999'999'999,
                                                          -99'999'999'999'999,
                                                          std::numeric_limits<std::int64_t>::max(),
                                                          std::numeric_limits<std::int64_t>::min()};
        const std::int64_t whole = i < static_cast<long long>(kEdgeCents.size())
                                       ? kEdgeCents[static_cast<std::size_t>(i)]
                                       : Between(random, -99'999'999'999'999, 99'999'999'999'999);
        const bool group = Between(random, 0, 1);
        grouped.Count(FormatCents(whole, group) == Former::FormatCents(whole, group),
                      [&] { return std::to_string(whole); });
    }
}

// Every code of the catalogue, and codes of none.
std::string_view AnyCode(Random& random)
{
    static constexpr std::array<std::string_view, 5> kNone{"", "90", "9010", "5101", "5 10"};
    const auto pick = Between(random, 0, static_cast<std::int64_t>(RateCodes.size() + 1));
    if (pick < static_cast<std::int64_t>(RateCodes.size()))
        return RateCodes[static_cast<std::size_t>(pick)].code;
    return kNone[static_cast<std::size_t>(Between(random, 0, kNone.size() - 1))];
}

bool SameFigures(const std::optional<LinePricing>& a, const std::optional<LinePricing>& b);

void CompareLines(Random& random, long long count, Tally& lines, Tally& figuresOnly, Tally& texts)
{
    const std::vector<double> edges = EdgeValues();
    const auto edge = [&] {
        return edges[static_cast<std::size_t>(
            Between(random, 0, static_cast<std::int64_t>(edges.size()) - 1))];
    };
    for (long long i = 0; i < count; ++i) {
        const std::string_view code = AnyCode(random);
        LineAmounts amounts;
        amounts.first = Between(random, 0, 50) ? PricedAmount(random) : AnyAmount(random) * 1e290;
        if (Between(random, 0, 40) == 0)
            amounts.first = edge();
        switch (Between(random, 0, 3)) {
        case 0:
            amounts.second = amounts.first;
            break;
        case 1:
            amounts.second = amounts.first + PricedAmount(random);
            break;
        default:
            amounts.second = std::min(PricedAmount(random), amounts.first);
            break;
        }
        if (Between(random, 0, 40) == 0)
            amounts.second = edge();
        std::optional<double> split;
        if (Between(random, 0, 9))
            split = Split(random);
        const auto present = PriceLine(code, amounts, split, StateCalcs::LineDetail::Working);
        const auto figures = PriceLine(code, amounts, split);
        const auto former = Former::PriceLine(code, amounts, split);
        const auto describe = [&] {
            return std::string(code) + " on " + Exactly(amounts.first) + " and "
                   + Exactly(amounts.second) + " at " + (split ? Exactly(*split) : "no split");
        };
        lines.Count(Same(present, former), describe);
        figuresOnly.Count(SameFigures(figures, former), describe);
        if (present && former)
            texts.Count(ChargeText(*present) == Former::ChargeText(*former), describe);
    }
}

// The pricing of a line with LineDetail::Figures against the former pricing:
// every figure, and a working left fresh but for the capped second amount.
bool SameFigures(const std::optional<LinePricing>& a, const std::optional<LinePricing>& b)
{
    if (a.has_value() != b.has_value())
        return false;
    if (!a)
        return true;
    LineWorking expected;
    expected.secondAmount = b->working.secondAmount;
    expected.secondCapped = b->working.secondCapped;
    return Same(a->total, b->total) && Same(a->remit, b->remit) && a->noCharge == b->noCharge
           && Same(a->credit, b->credit) && Same(a->working, expected);
}

// RoundUpToThousand and both schedules against the former ones: random
// amounts, and amounts a few ulps either side of where the rounding steps
// (a multiple of 1,000 less 999.99, and a multiple itself).
void CompareThousands(Random& random, long long count, Tally& thousands)
{
    for (long long i = 0; i < count; ++i) {
        double amount = AnyAmount(random);
        if (Between(random, 0, 1)) {
            const double multiple = static_cast<double>(Between(random, 0, 1'000'000'000)) * 1000;
            amount = Between(random, 0, 1) ? multiple - 999.99 : multiple;
            for (auto step = Between(random, -3, 3); step != 0; step += step < 0 ? 1 : -1)
                amount = std::nextafter(amount, step < 0 ? 0.0 : INFINITY);
        }
        if (Between(random, 0, 15) == 0)
            amount = -amount;
        thousands.Count(
            Same(StateCalcs::RoundUpToThousand(amount), Former::RoundUpToThousand(amount))
                && Same(StateCalcs::WorkOutPremium(PremiumSchedule::Owners, amount),
                        Former::WorkOutPremium(PremiumSchedule::Owners, amount))
                && Same(StateCalcs::WorkOutPremium(PremiumSchedule::Loan, amount),
                        Former::WorkOutPremium(PremiumSchedule::Loan, amount)),
            [&] { return Exactly(amount); });
    }
}

ClosingRequest AnyClosing(Random& random)
{
    ClosingRequest request;
    const auto chance = [&](int percent) { return Between(random, 1, 100) <= percent; };
    request.splitPercent = chance(97) ? Split(random)
                                      : static_cast<double>(Between(random, 0, 10000)) / 100;
    const auto amount = [&](int percent) -> std::optional<double> {
        if (!chance(percent))
            return std::nullopt;
        return chance(2) ? 0.0 : PricedAmount(random);
    };
    request.price = amount(60);
    request.loan = amount(65);
    request.priorOwners = amount(request.price ? 25 : 3);
    request.priorLoan = amount(request.price ? 3 : 25);
    request.coverage = chance(12) ? Coverage::Expanded : Coverage::Standard;
    for (auto n = Between(random, 0, 4) - (chance(40) ? 1 : 0); n > 0; --n) {
        EndorsementRequest wanted;
        wanted.entry = static_cast<std::size_t>(chance(1) ? Between(random, 0, 70)
                                                          : Between(random, 11, 61));
        if (chance(40))
            wanted.policy = chance(50) ? Policy::Owners : Policy::Loan;
        request.endorsements.push_back(wanted);
    }
    request.closingProtectionLetter = chance(50);
    return request;
}

// The figures and codes a report of many closings writes: those of a quote
// made with QuoteDetail::Figures against the former quote's.
bool SameFigures(const ClosingOutcome& a, const ClosingOutcome& b)
{
    if (a.refusal.reason != b.refusal.reason || a.refusal.fields != b.refusal.fields
        || a.quote.has_value() != b.quote.has_value())
        return false;
    if (!a.quote)
        return true;
    const ClosingQuote& x = *a.quote;
    const ClosingQuote& y = *b.quote;
    if (x.lines.size() != y.lines.size())
        return false;
    for (std::size_t i = 0; i < x.lines.size(); ++i) {
        const QuotedLine& l = x.lines[i];
        const QuotedLine& m = y.lines[i];
        if (l.role != m.role || l.entry != m.entry || l.code != m.code || l.policy != m.policy
            || l.grossCents != m.grossCents || l.remitCents != m.remitCents)
            return false;
    }
    const TridDisclosure& t = x.trid;
    const TridDisclosure& u = y.trid;
    return Same(x.splitPercent, y.splitPercent) && x.grossCents == y.grossCents
           && x.remitCents == y.remitCents && t.lendersDisclosedCents == u.lendersDisclosedCents
           && t.ownersDisclosedCents == u.ownersDisclosedCents && t.otherCents == u.otherCents
           && t.chargedCents == u.chargedCents && t.disclosedCents == u.disclosedCents;
}

void CompareClosings(Random& random, long long count, Tally& closings, Tally& refusals,
                     Tally& figures)
{
    for (long long i = 0; i < count; ++i) {
        const ClosingRequest request = AnyClosing(random);
        const ClosingOutcome present = QuoteClosing(request);
        const ClosingOutcome former = Former::QuoteClosing(request);
        const ClosingOutcome report = QuoteClosing(request, StateCalcs::QuoteDetail::Figures);
        const auto describe = [&] {
            return "split " + Exactly(request.splitPercent) + ", price "
                   + (request.price ? Exactly(*request.price) : "-") + ", loan "
                   + (request.loan ? Exactly(*request.loan) : "-") + ", prior owner's "
                   + (request.priorOwners ? Exactly(*request.priorOwners) : "-") + ", prior loan "
                   + (request.priorLoan ? Exactly(*request.priorLoan) : "-");
        };
        (present.quote && former.quote ? closings : refusals)
            .Count(Same(present, former), describe);
        figures.Count(SameFigures(report, former), describe);
    }
}

// A typed amount or split as agents type them: one to fourteen digits, some
// with leading zeros, with none to three decimals after a "." (or a "." and
// nothing), some grouped with ",", the largest amounts and just beyond.
std::string TypedNumber(Random& random)
{
    const auto digits = [&](std::int64_t count) {
        std::string text;
        for (std::int64_t i = 0; i < count; ++i)
            text += static_cast<char>('0' + Between(random, 0, 9));
        return text;
    };
    switch (Between(random, 0, 9)) {
    case 0:
        return std::string(Between(random, 0, 1) ? "999999999999.99" : "999999999999.994")
               + (Between(random, 0, 3) == 0 ? "5" : "");
    case 1:
        return digits(Between(random, 1, 3)) + "," + digits(3) + "," + digits(3) + "."
               + digits(Between(random, 0, 3));
    case 2:
        return std::to_string(Between(random, 10, 70)) + "." + digits(Between(random, 0, 3));
    default:
        break;
    }
    std::string text = digits(Between(random, 1, 14));
    if (Between(random, 0, 2) > 0)
        text += "." + digits(Between(random, 0, 3));
    return text;
}

// ReadClosingAmount and ReadSplit of plain digits against the former reading
// of the same text: the number read, taken to the cent as shown, within the
// bounds.
void CompareReaders(Random& random, long long count, Tally& amounts, Tally& splits)
{
    using namespace StateCalcs;
    const auto same = [](const Reading<double>& present, std::optional<double> former) {
        return present.value.has_value() == former.has_value()
               && (!former || Same(*present.value, *former));
    };
    for (long long i = 0; i < count; ++i) {
        const std::string text = TypedNumber(random);
        const auto describe = [&] { return "\"" + text + "\""; };
        const auto number = Former::ParseNumber(text);
        std::optional<double> amount;
        if (number && Former::ToTheCent(*number) <= kLargestClosingAmount)
            amount = Former::ToTheCent(*number);
        amounts.Count(same(ReadClosingAmount(text), amount), describe);
        std::optional<double> split;
        const auto point = text.find('.');
        if (IsPlainNumber(text) && (point == std::string::npos || text.size() - point - 1 <= 2)
            && number && *number >= 10 && *number <= 70)
            split = number;
        splits.Count(same(ReadSplit(text), split), describe);
    }
}

// ==== Timing ================================================================

double CpuSeconds()
{
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

// CPU nanoseconds per call of `work`, the least of five runs.
template <typename Work>
double NanosecondsEach(long long calls, Work work)
{
    double best = INFINITY;
    for (int run = 0; run < 5; ++run) {
        const double start = CpuSeconds();
        work();
        best = std::min(best, CpuSeconds() - start);
    }
    return best * 1e9 / static_cast<double>(calls);
}

volatile double g_sink = 0;

void TimeBoth(Random& random)
{
    std::vector<double> values(1'000'000);
    for (double& v : values)
        v = PricedAmount(random);
    std::vector<ClosingRequest> month(100'000);
    for (ClosingRequest& request : month)
        request = AnyClosing(random);
    const auto toTheCent = [&](auto function) {
        return NanosecondsEach(static_cast<long long>(values.size()), [&] {
            double sum = 0;
            for (const double v : values)
                sum += function(v);
            g_sink = sum;
        });
    };
    const auto reissue = [&](auto price) {
        constexpr long long kCalls = 5'000'000;
        return NanosecondsEach(kCalls, [&] {
            double liability = 250'000;
            double sum = 0;
            for (long long i = 0; i < kCalls; ++i, liability += 1'000)
                sum += price("901", LineAmounts{liability, 100'000}, 15.0)->total;
            g_sink = sum;
        });
    };
    const auto closings = [&](auto quote) {
        return NanosecondsEach(static_cast<long long>(month.size()), [&] {
            std::int64_t sum = 0;
            for (const ClosingRequest& request : month)
                if (const auto outcome = quote(request); outcome.quote)
                    sum += outcome.quote->grossCents;
            g_sink = static_cast<double>(sum);
        });
    };
    std::printf("\nCPU time each (least of five runs)      former    present\n");
    std::printf("  ToTheCent of an amount              %7.1f ns %7.1f ns\n",
                toTheCent([](double v) { return Former::ToTheCent(v); }),
                toTheCent([](double v) { return ToTheCent(v); }));
    std::printf("  PriceLine(\"901\", ..., 15)           %7.1f ns %7.1f ns\n",
                reissue([](std::string_view code, const LineAmounts& amounts, double split) {
                    return Former::PriceLine(code, amounts, split);
                }),
                reissue([](std::string_view code, const LineAmounts& amounts, double split) {
                    return PriceLine(code, amounts, split);
                }));
    std::printf("  QuoteClosing, random closings       %7.0f ns %7.0f ns\n",
                closings([](const ClosingRequest& r) { return Former::QuoteClosing(r); }),
                closings([](const ClosingRequest& r) { return QuoteClosing(r); }));
}

} // namespace

int main(int argc, char* argv[])
{
    const long long millions = argc > 1 ? std::max(1LL, std::atoll(argv[1])) : 4;
    Random random(20130201);
    Tally cents{"ToTheCent and StandardCents of a value"};
    Tally texts{"FormatStandard of a value"};
    Tally shown{"CentsAsShown of a value"};
    Tally grouped{"FormatCents of whole cents"};
    Tally thousands{"RoundUpToThousand and both schedules' premiums"};
    Tally lines{"PriceLine with its working: every field"};
    Tally lineFigures{"PriceLine, figures only: every figure, the capped amount"};
    Tally charges{"ChargeText of a priced line"};
    Tally closings{"QuoteClosing, quoted: every line, figure, text and total"};
    Tally refusals{"QuoteClosing, refused: the reason and the fields"};
    Tally figures{"QuoteClosing with QuoteDetail::Figures: figures and codes"};
    Tally amounts{"ReadClosingAmount of typed digits"};
    Tally splits{"ReadSplit of typed digits"};
    CompareValues(random, millions * 1'000'000, cents, texts, shown, grouped);
    CompareThousands(random, millions * 1'000'000, thousands);
    CompareLines(random, millions * 1'000'000, lines, lineFigures, charges);
    CompareClosings(random, millions * 250'000, closings, refusals, figures);
    CompareReaders(random, millions * 1'000'000, amounts, splits);

    long long differing = 0;
    std::printf("%-58s %12s %10s\n", "compared with the former code", "compared", "differing");
    for (const Tally* t : {&cents, &texts, &shown, &grouped, &thousands, &lines, &lineFigures,
                           &charges, &closings, &refusals, &figures, &amounts, &splits}) {
        std::printf("%-58s %12lld %10lld\n", t->what.c_str(), t->compared, t->differing);
        if (t->differing)
            std::printf("    first: %s\n", t->firstDifference.c_str());
        differing += t->differing;
    }
    TimeBoth(random);
    return differing == 0 ? 0 : 1;
}
