#include "quote/BatchRow.h"

#include "quote/ClosingInput.h"

#include <algorithm>
#include <array>

namespace Quote {

using namespace StateCalcs;

namespace {

// The columns of a batch file. A closing's inputs are the single-closing
// options; "file" is the agency's file number.
constexpr std::array<std::string_view, 9> kColumns{
    "file",       "split",    "price",        "loan", "prior_owners",
    "prior_loan", "coverage", "endorsements", "cpl",
};

std::string_view ColumnOf(ClosingField field)
{
    switch (field) {
    case ClosingField::Split:
        return "split";
    case ClosingField::Price:
        return "price";
    case ClosingField::Loan:
        return "loan";
    case ClosingField::PriorOwners:
        return "prior_owners";
    case ClosingField::PriorLoan:
        return "prior_loan";
    case ClosingField::Coverage:
        return "coverage";
    case ClosingField::Endorsements:
        return "endorsements";
    case ClosingField::Letter:
        break;
    }
    return "cpl";
}

std::vector<std::string> Words(std::string_view text)
{
    std::vector<std::string> words;
    std::size_t at = 0;
    constexpr std::string_view kBlanks = " \t\r\n";
    while ((at = text.find_first_not_of(kBlanks, at)) != std::string_view::npos) {
        const auto end = std::min(text.find_first_of(kBlanks, at), text.size());
        words.emplace_back(text.substr(at, end - at));
        at = end;
    }
    return words;
}

} // namespace

void ReportRow(std::ostream& err, std::string_view program, std::size_t row,
               const RowProblem& problem)
{
    err << program << ": row " << row << ", ";
    if (problem.columns.empty())
        err << "closing";
    else
        err << (problem.columns.size() == 1 ? "column " : "columns ");
    for (std::size_t i = 0; i < problem.columns.size(); ++i)
        err << (i > 0 ? ", " : "") << problem.columns[i];
    err << ": " << OneLine(problem.reason) << '\n';
}

std::string BatchLayout::Trimmed(std::string_view text)
{
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos)
        return {};
    return std::string(text.substr(first, text.find_last_not_of(" \t") - first + 1));
}

std::optional<std::string> BatchLayout::ReadHeader(const CsvRecord& header,
                                                   const std::vector<std::string_view>& extra)
{
    if (!header.error.empty())
        return "row 1: " + header.error;
    for (std::size_t i = 0; i < header.fields.size(); ++i) {
        const std::string name = LowerCase(Trimmed(header.fields[i]));
        if (std::find(kColumns.begin(), kColumns.end(), name) == kColumns.end()
            && std::find(extra.begin(), extra.end(), name) == extra.end()) {
            std::string known = "file, split, price, loan, prior_owners, prior_loan, coverage, "
                                "endorsements";
            for (const std::string_view column : extra)
                known += ", " + std::string(column);
            return "the header has an unknown column \"" + header.fields[i] + "\"; the columns are "
                   + known + " and cpl";
        }
        if (!m_columns.emplace(name, i).second)
            return "the header has the column " + name + " twice";
    }
    m_width = header.fields.size();
    for (const char* required : {"file", "split"})
        if (!m_columns.contains(required))
            return std::string("the header has no column ") + required
                   + "; file and split are required";
    return std::nullopt;
}

std::optional<std::size_t> BatchLayout::Extra(std::string_view name) const
{
    const auto found = m_columns.find(name);
    return found == m_columns.end() ? std::nullopt : std::optional(found->second);
}

std::optional<std::variant<PricedRow, RowProblem>> BatchLayout::Price(const CsvRecord& record) const
{
    using Outcome = std::variant<PricedRow, RowProblem>;
    if (!record.error.empty())
        return Outcome(RowProblem{{}, record.error});
    if (std::all_of(record.fields.begin(), record.fields.end(),
                    [](const std::string& field) { return Trimmed(field).empty(); }))
        return std::nullopt;
    if (record.fields.size() != m_width)
        return Outcome(RowProblem{{},
                                  std::to_string(record.fields.size())
                                      + " fields where the header has " + std::to_string(m_width)});
    const auto cell = [&](std::string_view column) -> std::optional<std::string> {
        const auto at = Extra(column);
        if (!at)
            return std::nullopt;
        std::string text = Trimmed(record.fields[*at]);
        return text.empty() ? std::nullopt : std::optional(std::move(text));
    };
    ClosingTexts texts{cell("split").value_or(""),
                       cell("price"),
                       cell("loan"),
                       cell("prior_owners"),
                       cell("prior_loan"),
                       cell("coverage"),
                       Words(cell("endorsements").value_or("")),
                       false};
    if (const auto letter = cell("cpl")) {
        const std::string word = LowerCase(*letter);
        if (word != "yes" && word != "no")
            return Outcome(RowProblem{{"cpl"}, '"' + *letter + "\" is neither yes nor no"});
        texts.closingProtectionLetter = word == "yes";
    }
    const auto read = ReadClosing(texts);
    if (const auto* error = std::get_if<InputError>(&read))
        return Outcome(RowProblem{{std::string(ColumnOf(error->field))}, error->reason});
    const ClosingRequest& request = std::get<ClosingRequest>(read);
    ClosingOutcome outcome = QuoteClosing(request);
    if (!outcome.quote) {
        RowProblem problem{{}, outcome.refusal.reason};
        for (const ClosingField field : outcome.refusal.fields)
            problem.columns.emplace_back(ColumnOf(field));
        return Outcome(problem);
    }
    return Outcome(PricedRow{cell("file").value_or(""), request, std::move(*outcome.quote)});
}

} // namespace Quote
