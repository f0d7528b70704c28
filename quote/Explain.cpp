#include "quote/Explain.h"

#include "engine/Catalogue.h"
#include "engine/NumberText.h"

#include <algorithm>
#include <array>
#include <charconv>

namespace Quote {

using namespace StateCalcs;

namespace {

std::string Grouped(std::string_view whole)
{
    std::string text(whole);
    for (auto i = static_cast<std::ptrdiff_t>(text.size()) - 3; i > 0; i -= 3)
        text.insert(static_cast<std::size_t>(i), ",");
    return text;
}

// A rate or a factor as it is written in the rates: "0.0035", "1.1".
std::string Plain(double value)
{
    std::array<char, 64> buffer;
    const auto end = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value).ptr;
    return std::string(buffer.data(), end);
}

// A figure, and the cents it shows as when that reads differently: the
// remittance 18.375 is shown 18.38.
std::string FigureShown(double value)
{
    const std::string figure = Figure(value);
    const std::string shown = FormatStandard(value);
    return figure == shown ? figure : figure + ", shown " + shown;
}

// A liability brought up to the thousand: "250,000".
std::string Thousands(double rounded)
{
    const std::string text = FormatStandard(rounded);
    return text.substr(0, text.size() - 3);
}

std::string_view ScheduleName(std::string_view code)
{
    const RateCodeRule* rule = RuleOf(code);
    return rule && rule->schedule == PremiumSchedule::Loan ? "loan schedule" : "owner's schedule";
}

void AddPremium(std::vector<std::string>& out, std::string_view schedule, std::string_view name,
                const PremiumWorking& w)
{
    out.push_back(std::string(name) + " " + FormatStandard(w.liability)
                  + ", up to the thousand: " + Thousands(w.rounded));
    std::string sum = Thousands(w.rounded) + " × " + Plain(w.rate);
    if (w.base != 0 || w.lowerBound != 0)
        sum = Figure(w.base) + " + (" + Thousands(w.rounded) + " − " + Thousands(w.lowerBound)
              + ") × " + Plain(w.rate);
    out.push_back(std::string(schedule) + ", tier " + std::to_string(w.tier) + ": " + sum + " = "
                  + Figure(w.premium));
}

void AddMinimum(std::vector<std::string>& out, const LineWorking& w)
{
    if (w.minimumApplied)
        out.push_back(Figure(w.beforeMinimum) + " is below the minimum: charged the minimum "
                      + Figure(w.minimum));
}

void AddTwoAmounts(std::vector<std::string>& out, const QuotedLine& line)
{
    const LineWorking& w = line.pricing.working;
    const std::string_view schedule = ScheduleName(line.code);
    const std::string_view secondName = line.pricedOn.at(1).name;
    AddPremium(out, schedule, line.pricedOn.at(0).name, *w.premium);
    if (w.secondCapped)
        out.push_back(std::string(secondName)
                      + " counts no higher than the liability: " + FormatStandard(w.secondAmount));
    if (line.code == "402") {
        AddPremium(out, schedule, secondName, *w.secondPremium);
        out.push_back("the premium on the excess plus the fee: " + Figure(w.premium->premium)
                      + " − " + Figure(*line.pricing.credit) + " + " + Figure(kSimultaneousLoanFee)
                      + " = " + Figure(line.pricing.total) + ", to the cent");
        return;
    }
    if (w.fullyCovered) {
        out.push_back("the prior policy covers the whole liability: "
                      + Plain(kFullyCoveredShare * 100) + " % × " + Figure(w.premium->premium)
                      + " = " + Figure(w.beforeMinimum));
    } else {
        AddPremium(out, schedule, secondName, *w.secondPremium);
        const bool reissue = line.role == LineRole::OwnersPolicy;
        out.push_back(std::string(reissue ? "reissue" : "refinance") + " credit "
                      + Plain(kPriorCredit * 100) + " % × " + Figure(w.secondPremium->premium)
                      + " = " + Figure(*line.pricing.credit) + ": " + Figure(w.premium->premium)
                      + " − " + Figure(*line.pricing.credit) + " = " + Figure(w.beforeMinimum));
    }
    AddMinimum(out, w);
}

void AddRemittance(std::vector<std::string>& out, const QuotedLine& line, double splitPercent)
{
    const LineWorking& w = line.pricing.working;
    switch (w.remitRule) {
    case RemitRule::AtSplit:
        out.push_back("remit " + Plain(splitPercent) + " % × " + Figure(w.remitBase) + " = "
                      + FigureShown(*line.pricing.remit));
        break;
    case RemitRule::Whole:
        out.push_back("remitted whole: " + line.remitText);
        break;
    case RemitRule::Nothing:
        out.push_back("nothing remitted");
        break;
    }
}

} // namespace

std::string Figure(double value)
{
    // 15 significant digits clear the binary noise of the arithmetic, as the
    // "Standard" format does: 276.925, not 276.92499999999998.
    std::array<char, 64> buffer;
    const auto end = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value,
                                   std::chars_format::general, 15)
                         .ptr;
    const std::string text(buffer.data(), end);
    if (text.find('e') != std::string::npos)
        return FormatStandard(value);
    const auto point = text.find('.');
    std::string fraction = point == std::string::npos ? "" : text.substr(point + 1);
    fraction.resize(std::max<std::size_t>(fraction.size(), 2), '0');
    return Grouped(text.substr(0, point)) + '.' + fraction;
}

std::vector<std::string> ExplainLine(const QuotedLine& line, double splitPercent, bool remittance)
{
    std::vector<std::string> out;
    const LineWorking& w = line.pricing.working;
    switch (ClassOf(line.code)) {
    case EntryClass::Schedule:
        AddPremium(out, ScheduleName(line.code), line.pricedOn.at(0).name, *w.premium);
        if (w.factor != 1)
            out.push_back("expanded coverage: " + Figure(w.premium->premium) + " × "
                          + Plain(w.factor) + " = " + FigureShown(w.beforeMinimum));
        AddMinimum(out, w);
        break;
    case EntryClass::TwoAmount:
        AddTwoAmounts(out, line);
        break;
    case EntryClass::EndorsedCharge:
        out.push_back("a tenth of the charge for the endorsed policy: " + Plain(w.factor) + " × "
                      + Figure(line.pricedOn.at(0).amount) + " = " + Figure(w.beforeMinimum));
        AddMinimum(out, w);
        break;
    case EntryClass::SplitFixedCharge:
    case EntryClass::WholeFixedCharge:
        out.push_back("a fixed charge of " + line.grossText);
        break;
    case EntryClass::NoCharge:
    case EntryClass::None:
        out.push_back("no charge");
        break;
    }
    if (remittance)
        AddRemittance(out, line, splitPercent);
    return out;
}

DisclosureSteps ExplainDisclosure(const ClosingQuote& quote)
{
    const TridDisclosure& trid = quote.trid;
    if (!trid.standAloneLoan)
        return {{"as charged"}, {"as charged"}};
    DisclosureSteps steps;
    const LinePricing& alone = *trid.standAloneLoan;
    steps.lenders.push_back("the loan policy as if issued alone (201, single issue):");
    AddPremium(steps.lenders, "loan schedule", "Liability", *alone.working.premium);
    AddMinimum(steps.lenders, alone.working);
    steps.owners.push_back("both premiums charged, less the lender's disclosed: "
                           + FormatCents(trid.ownersChargedCents) + " + "
                           + FormatCents(trid.lendersChargedCents) + " − "
                           + FormatCents(trid.lendersDisclosedCents) + " = "
                           + FormatCents(trid.ownersDisclosedCents));
    return steps;
}

} // namespace Quote
