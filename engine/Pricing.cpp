#include "engine/Pricing.h"

#include "engine/Catalogue.h"
#include "engine/NumberText.h"

#include <cmath>
#include <cstdint>

namespace StateCalcs {
namespace {

// Each step below writes the working only when it is asked for
// (kWorking); the figures are worked the same either way.

// The minimum applies after the surcharge or share: a charge below it
// becomes the minimum; one equal to it stays.
template <bool kWorking>
void ApplyMinimum(LinePricing& line, double minimum)
{
    if constexpr (kWorking) {
        line.working.beforeMinimum = line.total;
        line.working.minimum = minimum;
    }
    if (line.total < minimum) {
        line.total = minimum;
        if constexpr (kWorking)
            line.working.minimumApplied = true;
    }
}

// The premium of a schedule, kept in the working when it is asked for.
template <bool kWorking>
double Premium(std::optional<PremiumWorking>& kept, PremiumSchedule schedule, double liability)
{
    if constexpr (kWorking)
        return kept.emplace(WorkOutPremium(schedule, liability)).premium;
    else
        return WorkOutPremium(schedule, liability).premium;
}

// Schedule entries: the premium on the liability, times the surcharge.
// The zoning endorsements: a share of the charge for the endorsed policy.
template <bool kWorking>
void PriceOneAmount(const RateCodeRule& rule, double amount, LinePricing& line)
{
    double base = amount;
    if (rule.schedule != PremiumSchedule::None)
        base = Premium<kWorking>(line.working.premium, rule.schedule, amount);
    if constexpr (kWorking)
        line.working.factor = rule.factor;
    line.total = base * rule.factor;
    ApplyMinimum<kWorking>(line, rule.minimum);
}

// 402, 901 and 903. The second liability never counts for more than the
// first; the credit is priced on it as shown, to the cent.
template <bool kWorking>
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
    const double full = Premium<kWorking>(working.premium, rule.schedule, first);
    if (rule.code == "402") {
        // The loan premium on the part of the loan above the owner's policy,
        // as the difference of two premiums, plus the flat fee; rounded to the
        // cent here, a half going up; no minimum.
        line.credit = Premium<kWorking>(working.secondPremium, rule.schedule, ToTheCent(second));
        line.total = full - *line.credit + kSimultaneousLoanFee;
        line.total = std::floor(line.total * 100 + 0.5) / 100;
        if constexpr (kWorking)
            working.beforeMinimum = line.total;
        return;
    }
    if (second < first) {
        line.credit = Premium<kWorking>(working.secondPremium, rule.schedule, ToTheCent(second))
                      * kPriorCredit;
        line.total = full - *line.credit;
    } else {
        if constexpr (kWorking)
            working.fullyCovered = true;
        line.total = full * kFullyCoveredShare;
    }
    ApplyMinimum<kWorking>(line, rule.minimum);
}

// ToTheCent of what is not a whole number of dollars. Whole cents over a
// hundred are the same double as the text read back. (The text of a
// negative figure does not read back: it stays as it is.)
[[gnu::noinline]] double CentsToTheCent(double amount)
{
    if (const std::int64_t cents = StandardCentsOrNone(amount); cents != kNoCents && amount >= 0)
        return static_cast<double>(cents) / 100;
    return ParseNumber(FormatStandard(amount)).value_or(amount);
}

template <bool kWorking>
std::optional<LinePricing> PriceLineWith(std::string_view code, const LineAmounts& amounts,
                                         std::optional<double> splitPercent)
{
    // Built where the caller receives it.
    std::optional<LinePricing> priced(std::in_place);
    LinePricing& line = *priced;
    LineWorking& working = line.working;
    const RateCodeRule* rule = RuleOf(code);
    const auto atSplit = [&](double base) {
        if constexpr (kWorking)
            working.remitBase = base;
        if (splitPercent)
            line.remit = Remittance(*splitPercent, base);
    };
    // Remitted whole: the charge to the cent, as shown.
    const auto whole = [&] {
        if constexpr (kWorking)
            working.remitRule = RemitRule::Whole;
        line.remit = ToTheCent(line.total);
    };
    switch (rule ? rule->entryClass : EntryClass::None) {
    case EntryClass::Schedule:
        PriceOneAmount<kWorking>(*rule, amounts.first, line);
        atSplit(line.total); // a computed charge unrounded
        break;
    case EntryClass::EndorsedCharge:
        PriceOneAmount<kWorking>(*rule, amounts.first, line);
        whole();
        break;
    case EntryClass::TwoAmount:
        PriceTwoAmounts<kWorking>(*rule, amounts, line);
        atSplit(line.total);
        break;
    case EntryClass::SplitFixedCharge:
        line.total = *rule->fixedCharge;
        atSplit(ToTheCent(line.total)); // a fixed charge taken as shown
        break;
    case EntryClass::WholeFixedCharge:
        line.total = *rule->fixedCharge;
        whole();
        break;
    case EntryClass::NoCharge:
        line.noCharge = true;
        if constexpr (kWorking)
            working.remitRule = RemitRule::Nothing;
        line.remit = 0.0;
        break;
    case EntryClass::None:
        priced.reset();
        return priced;
    }
    // A figure beyond what the arithmetic can price is none.
    if (!std::isfinite(line.total))
        priced.reset();
    return priced;
}

} // namespace

std::optional<LinePricing> PriceLine(std::string_view code, const LineAmounts& amounts,
                                     std::optional<double> splitPercent, LineDetail detail)
{
    return detail == LineDetail::Working ? PriceLineWith<true>(code, amounts, splitPercent)
                                         : PriceLineWith<false>(code, amounts, splitPercent);
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
    // A whole number of dollars is already to the cent: most amounts typed.
    // (Short, so that the pricing above takes it in line.)
    if (amount >= 0 && amount < 1e13) {
        const auto dollars = static_cast<double>(static_cast<std::int64_t>(amount));
        if (dollars == amount)
            return dollars; // -0 comes back 0, as its text reads
    }
    return CentsToTheCent(amount);
}

} // namespace StateCalcs
