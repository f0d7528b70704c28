#include "quote/QuoteWriters.h"

#include "quote/ClosingInput.h"
#include "quote/Csv.h"
#include "quote/Explain.h"

#include "engine/NumberText.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <string>
#include <vector>

namespace Quote {

using namespace StateCalcs;

namespace {

// ---- The table --------------------------------------------------------------

// Columns of the table: the catalogue line number, the text, Gross, Remit.
// A money column is at least this wide, and two wider than its widest figure.
constexpr std::size_t kNumberWidth = 4;
constexpr std::size_t kTextWidth = 66;
constexpr std::size_t kMoneyWidth = 13;
constexpr std::size_t kIndent = kNumberWidth + 2;

// Columns on the screen: the dashes of the TRID names take one each.
std::size_t Width(std::string_view text)
{
    return static_cast<std::size_t>(
        std::count_if(text.begin(), text.end(), [](char c) { return (c & 0xC0) != 0x80; }));
}

std::string PadRight(std::string text, std::size_t width)
{
    const std::size_t shown = Width(text);
    return shown < width ? text + std::string(width - shown, ' ') : text;
}

std::string PadLeft(const std::string& text, std::size_t width)
{
    const std::size_t shown = Width(text);
    return shown < width ? std::string(width - shown, ' ') + text : text;
}

std::string Money(std::int64_t cents)
{
    return FormatCents(cents);
}

std::string Percent(double split)
{
    return FormatStandard(split) + " %";
}

// The width of the money columns: every figure of the quote right-aligned
// in it, the widest two blanks clear of the text before it.
std::size_t MoneyWidth(const ClosingQuote& quote)
{
    std::size_t widest = 0;
    const auto fit = [&](const std::string& text) { widest = std::max(widest, Width(text)); };
    for (const QuotedLine& line : quote.lines) {
        fit(line.grossText);
        fit(line.remitText);
    }
    const TridDisclosure& trid = quote.trid;
    for (const std::int64_t cents :
         {quote.grossCents, quote.remitCents, trid.lendersDisclosedCents, trid.lendersChargedCents,
          trid.ownersDisclosedCents, trid.ownersChargedCents, trid.otherCents, trid.chargedCents,
          trid.disclosedCents})
        fit(Money(cents));
    return std::max(kMoneyWidth, widest + 2);
}

class Table {
public:
    // `columns`: how many money columns, one or two.
    Table(std::ostream& out, std::size_t moneyWidth, std::size_t columns)
        : m_out(out), m_money(moneyWidth), m_columns(columns)
    {}

    // A row: its left part (number and text) and its money columns (the
    // second dropped when the table has one).
    void Row(const std::string& left, const std::string& first, const std::string& second)
    {
        const std::size_t width = kIndent + kTextWidth;
        if (Width(left) > width) {
            m_out << left << '\n';
            Row("", first, second);
            return;
        }
        std::string row = PadRight(left, width) + PadLeft(first, m_money);
        if (m_columns > 1)
            row += PadLeft(second, m_money);
        m_out << row.erase(row.find_last_not_of(' ') + 1) << '\n';
    }
    void Columns(std::size_t columns) { m_columns = columns; }
    void Text(const std::string& text) { m_out << text << '\n'; }
    void Rule()
    {
        m_out << std::string(kIndent, ' ') << std::string(kTextWidth + m_columns * m_money, '-')
              << '\n';
    }
    void Gap() { m_out << '\n'; }

private:
    std::ostream& m_out;
    std::size_t m_money;
    std::size_t m_columns;
};

std::string Indented(std::string_view text, std::size_t extra = 0)
{
    return std::string(kIndent + extra, ' ') + std::string(text);
}

void WriteInputs(std::ostream& out, const ClosingRequest& request, Audience audience)
{
    const auto item = [&](std::string_view name, const std::string& value) {
        out << PadRight(std::string(name) + ':', 22) << value << '\n';
    };
    const auto amount = [&](std::string_view name, const std::optional<double>& value) {
        if (value)
            item(name, Money(CentsAsShown(*value)));
    };
    if (audience == Audience::Agency)
        item("Premium split", Percent(request.splitPercent));
    amount("Sales price", request.price);
    amount("Loan amount", request.loan);
    amount("Prior owner's policy", request.priorOwners);
    amount("Prior loan policy", request.priorLoan);
    item("Coverage", std::string(CoverageWord(request.coverage)));
}

void WriteLine(Table& table, const QuotedLine& line, const std::vector<std::string>& steps)
{
    std::vector<std::string> below;
    if (line.policy)
        below.push_back(Indented(
            *line.policy == Policy::Owners ? "on the owner's policy" : "on the loan policy", 2));
    for (const PricedOn& amount : line.pricedOn)
        below.push_back(Indented(PadRight(std::string(amount.name), 28)
                                     + PadLeft(Money(CentsAsShown(amount.amount)), 18),
                                 2));
    const std::string head = PadLeft(std::to_string(line.entry + 1), kNumberWidth) + "  "
                             + std::string(line.text);
    if (Width(head) <= kIndent + kTextWidth || below.empty()) {
        table.Row(head, line.grossText, line.remitText);
        for (const std::string& row : below)
            table.Text(row);
    } else {
        table.Text(head);
        table.Row(below.front(), line.grossText, line.remitText);
        for (std::size_t i = 1; i < below.size(); ++i)
            table.Text(below[i]);
    }
    for (const std::string& step : steps)
        table.Text(Indented("· " + step, 4));
}

std::string_view SectionWord(TridSection section)
{
    switch (section) {
    case TridSection::LoanCosts:
        return "loan_costs";
    case TridSection::OtherCosts:
        return "other_costs";
    case TridSection::ExistingPolicy:
        break;
    }
    return "existing_policy";
}

// The disclosure's row of a line of the quote.
const TridRow& TridRowOf(const TridDisclosure& trid, std::size_t line)
{
    return *std::find_if(trid.rows.begin(), trid.rows.end(),
                         [line](const TridRow& row) { return row.line == line; });
}

// ---- JSON ---------------------------------------------------------------------

using Json = nlohmann::ordered_json;

Json MoneyJson(std::int64_t cents, std::string text)
{
    return Json{{"text", std::move(text)}, {"cents", cents}};
}

Json MoneyJson(std::int64_t cents)
{
    return MoneyJson(cents, FormatCents(cents));
}

Json AmountJson(const std::optional<double>& amount)
{
    return amount ? MoneyJson(CentsAsShown(*amount)) : Json(nullptr);
}

std::string_view RoleWord(LineRole role)
{
    switch (role) {
    case LineRole::OwnersPolicy:
        return "owners_policy";
    case LineRole::LoanPolicy:
        return "loan_policy";
    case LineRole::Endorsement:
        return "endorsement";
    case LineRole::ClosingProtectionLetter:
        break;
    }
    return "closing_protection_letter";
}

Json PolicyJson(const std::optional<Policy>& policy)
{
    return policy ? Json(PolicyWord(*policy)) : Json(nullptr);
}

Json DisclosedJson(std::string_view name, std::int64_t disclosed, std::int64_t charged,
                   const std::optional<std::vector<std::string>>& steps = std::nullopt)
{
    Json item;
    if (!name.empty())
        item["name"] = name;
    item["disclosed"] = MoneyJson(disclosed);
    item["charged"] = MoneyJson(charged);
    if (steps)
        item["explain"] = *steps;
    return item;
}

// ---- CSV ----------------------------------------------------------------------

std::string Plain(std::int64_t cents)
{
    return FormatCents(cents, false);
}

} // namespace

void WriteTable(std::ostream& out, const ClosingRequest& request, const ClosingQuote& quote,
                bool explain, Audience audience)
{
    const bool agency = audience == Audience::Agency;
    WriteInputs(out, request, audience);
    Table table(out, MoneyWidth(quote), agency ? 2 : 1);
    table.Gap();
    table.Row(PadRight("Line", kIndent) + "Catalogue line", "Gross", "Remit");
    table.Rule();
    for (const QuotedLine& line : quote.lines)
        WriteLine(table, line,
                  explain ? ExplainLine(line, quote.splitPercent, agency)
                          : std::vector<std::string>{});
    table.Rule();
    table.Row(Indented("Total"), Money(quote.grossCents), Money(quote.remitCents));

    const TridDisclosure& trid = quote.trid;
    const DisclosureSteps steps = explain ? ExplainDisclosure(quote) : DisclosureSteps{};
    const auto explainRows = [&](const std::vector<std::string>& rows) {
        for (const std::string& step : rows)
            table.Text(Indented("· " + step, 4));
    };
    table.Gap();
    table.Columns(2); // Disclosed and Charged, whoever the quote is for
    table.Row("TRID (Loan Estimate and Closing Disclosure)", "Disclosed", "Charged");
    table.Rule();
    std::optional<TridSection> section;
    for (const TridRow& row : trid.rows) {
        if (row.section != section)
            table.Text(Indented(TridSectionName(row.section)));
        section = row.section;
        table.Row(Indented(row.name, 2), Money(row.disclosedCents), Money(row.chargedCents));
        if (!row.note.empty())
            table.Text(Indented(row.note, 4));
        const LineRole role = quote.lines[row.line].role;
        if (role == LineRole::LoanPolicy)
            explainRows(steps.lenders);
        else if (role == LineRole::OwnersPolicy)
            explainRows(steps.owners);
    }
    table.Rule();
    table.Row(Indented("Total"), Money(trid.disclosedCents), Money(trid.chargedCents));
}

nlohmann::ordered_json QuoteJson(const ClosingRequest& request, const ClosingQuote& quote,
                                 bool explain, Audience audience)
{
    const bool agency = audience == Audience::Agency;
    Json endorsements = Json::array();
    for (const EndorsementRequest& wanted : request.endorsements) {
        const EndorsementLine* line = EndorsementAt(wanted.entry);
        endorsements.push_back({{"form", line->form},
                                {"line", wanted.entry + 1},
                                {"policy", PolicyJson(wanted.policy)}});
    }
    Json lines = Json::array();
    for (const QuotedLine& line : quote.lines) {
        Json pricedOn = Json::array();
        for (const PricedOn& amount : line.pricedOn)
            pricedOn.push_back(
                {{"name", amount.name}, {"amount", MoneyJson(CentsAsShown(amount.amount))}});
        Json item{{"line", line.entry + 1},
                  {"code", line.code},
                  {"text", line.text},
                  {"role", RoleWord(line.role)},
                  {"policy", PolicyJson(line.policy)},
                  {"priced_on", pricedOn},
                  {"gross", MoneyJson(line.grossCents, line.grossText)}};
        if (agency)
            item["remit"] = MoneyJson(line.remitCents, line.remitText);
        if (explain)
            item["explain"] = ExplainLine(line, quote.splitPercent, agency);
        lines.push_back(std::move(item));
    }
    const TridDisclosure& trid = quote.trid;
    std::optional<DisclosureSteps> steps;
    if (explain)
        steps = ExplainDisclosure(quote);
    const auto lenders = steps ? std::optional(steps->lenders) : std::nullopt;
    const auto owners = steps ? std::optional(steps->owners) : std::nullopt;
    Json items = Json::array();
    for (const TridRow& row : trid.rows)
        items.push_back({{"section", SectionWord(row.section)},
                         {"name", row.name},
                         {"line", quote.lines[row.line].entry + 1},
                         {"policy", PolicyJson(row.policy)},
                         {"policy_named", row.policyNamed},
                         {"disclosed", MoneyJson(row.disclosedCents)},
                         {"charged", MoneyJson(row.chargedCents)},
                         {"note", row.note.empty() ? Json(nullptr) : Json(row.note)}});
    const Json disclosure{
        {"lenders", trid.hasLoanPolicy
                        ? DisclosedJson(kLendersTitleInsurance, trid.lendersDisclosedCents,
                                        trid.lendersChargedCents, lenders)
                        : Json(nullptr)},
        {"owners", trid.hasOwnersPolicy
                       ? DisclosedJson(kOwnersTitleInsurance, trid.ownersDisclosedCents,
                                       trid.ownersChargedCents, owners)
                       : Json(nullptr)},
        {"other", DisclosedJson("", trid.otherCents, trid.otherCents)},
        {"total", DisclosedJson("", trid.disclosedCents, trid.chargedCents)},
        {"items", items},
    };
    Json document;
    if (agency)
        document["split"] = {{"text", FormatStandard(quote.splitPercent)},
                             {"percent", quote.splitPercent}};
    document.update(Json{
        {"inputs",
         {{"price", AmountJson(request.price)},
          {"loan", AmountJson(request.loan)},
          {"prior_owners", AmountJson(request.priorOwners)},
          {"prior_loan", AmountJson(request.priorLoan)},
          {"coverage", CoverageWord(request.coverage)},
          {"endorsements", endorsements},
          {"closing_protection_letter", request.closingProtectionLetter}}},
        {"lines", lines},
        {"totals", {{"gross", MoneyJson(quote.grossCents)}}},
        {"trid", disclosure},
    });
    if (agency)
        document["totals"]["remit"] = MoneyJson(quote.remitCents);
    return document;
}

void WriteJson(std::ostream& out, const ClosingRequest& request, const ClosingQuote& quote,
               bool explain, Audience audience)
{
    out << QuoteJson(request, quote, explain, audience).dump(2) << '\n';
}

void WriteCsv(std::ostream& out, const ClosingQuote& quote, Audience audience)
{
    const bool agency = audience == Audience::Agency;
    // The remit column (the 11th) is left out of every row for a customer.
    const auto write = [&](std::vector<std::string> row) {
        if (!agency)
            row.erase(row.begin() + 10);
        out << CsvRow(row);
    };
    write({"line", "code", "text", "role", "policy", "priced_on_1", "amount_1", "priced_on_2",
           "amount_2", "gross", "remit", "trid_item", "trid_disclosed", "trid_section",
           "trid_policy", "trid_note"});
    const TridDisclosure& trid = quote.trid;
    for (std::size_t i = 0; i < quote.lines.size(); ++i) {
        const QuotedLine& line = quote.lines[i];
        std::vector<std::string> row{std::to_string(line.entry + 1), std::string(line.code),
                                     std::string(line.text), std::string(RoleWord(line.role)),
                                     line.policy ? std::string(PolicyWord(*line.policy)) : ""};
        for (std::size_t k = 0; k < 2; ++k) {
            const bool has = k < line.pricedOn.size();
            row.push_back(has ? std::string(line.pricedOn[k].name) : "");
            row.push_back(has ? Plain(CentsAsShown(line.pricedOn[k].amount)) : "");
        }
        row.push_back(Plain(line.grossCents));
        row.push_back(Plain(line.remitCents));
        const TridRow& item = TridRowOf(trid, i);
        row.push_back(item.name);
        row.push_back(Plain(item.disclosedCents));
        row.push_back(std::string(SectionWord(item.section)));
        row.push_back(item.policy ? std::string(PolicyWord(*item.policy)) : "");
        row.push_back(item.note);
        write(std::move(row));
    }
    write({"", "", "Total", "total", "", "", "", "", "", Plain(quote.grossCents),
           Plain(quote.remitCents), "", Plain(trid.disclosedCents), "", "", ""});
}

} // namespace Quote
