#include "quote/ClosingRow.h"

#include <algorithm>

namespace Quote {

using namespace StateCalcs;

namespace {

// Each column's name, and the other name it answers to.
constexpr std::array<std::string_view, 9> kNames{
    "file",       "split",    "price",        "loan", "prior_owners",
    "prior_loan", "coverage", "endorsements", "cpl",
};
constexpr std::string_view kPriorOwner = "prior_owner";

std::string_view Trimmed(std::string_view text)
{
    const auto blank = [](char c) { return c == ' ' || c == '\t'; };
    std::size_t first = 0, end = text.size();
    while (first < end && blank(text[first]))
        ++first;
    while (end > first && blank(text[end - 1]))
        --end;
    return text.substr(first, end - first);
}

// The forms of an endorsements cell: "8.1 9-06", "8.1,9-06".
std::vector<std::string> Forms(std::string_view text)
{
    std::vector<std::string> forms;
    std::size_t at = 0;
    constexpr std::string_view kBetween = " \t\r\n,";
    while ((at = text.find_first_not_of(kBetween, at)) != std::string_view::npos) {
        const auto end = std::min(text.find_first_of(kBetween, at), text.size());
        forms.emplace_back(text.substr(at, end - at));
        at = end;
    }
    return forms;
}

} // namespace

std::variant<ClosingRowReader, std::string> ClosingRowReader::FromHeader(const CsvRecord& header)
{
    const std::string known = "; the columns are file, split, price, loan, prior_owners, "
                              "prior_loan, coverage, endorsements and cpl";
    ClosingRowReader reader;
    for (std::size_t i = 0; i < header.fields.size(); ++i) {
        const std::string name = LowerCase(Trimmed(header.fields[i]));
        auto column = static_cast<std::size_t>(std::find(kNames.begin(), kNames.end(), name)
                                               - kNames.begin());
        if (name == kPriorOwner)
            column = PriorOwners;
        if (column == kNames.size())
            return "the header has an unknown column " + QuotedInput(header.fields[i]) + known;
        if (reader.m_at[column])
            return "the header has the column " + std::string(kNames[column]) + " twice";
        reader.m_at[column] = i;
        reader.m_names[column] = name;
    }
    // Read with at most as many fields as there are columns: one more would
    // name a column twice.
    if (header.errorField && *header.errorField >= kColumnCount)
        return "the header has more columns than the nine a closing has" + known;
    if (!header.error.empty())
        return header.error;
    reader.m_width = header.fields.size();
    for (const Column column : {File, Split})
        if (!reader.m_at[column])
            return "the header has no column " + std::string(kNames[column])
                   + "; file and split are required";
    return reader;
}

std::string ClosingRowReader::NameOfField(std::size_t field) const
{
    for (std::size_t column = 0; column < kColumnCount; ++column)
        if (m_at[column] == field)
            return m_names[column];
    return std::to_string(field + 1); // beyond the header: its number
}

std::string ClosingRowReader::ColumnOf(ClosingField field) const
{
    Column column = Cpl;
    switch (field) {
    case ClosingField::Split:
        column = Split;
        break;
    case ClosingField::Price:
        column = Price;
        break;
    case ClosingField::Loan:
        column = Loan;
        break;
    case ClosingField::PriorOwners:
        column = PriorOwners;
        break;
    case ClosingField::PriorLoan:
        column = PriorLoan;
        break;
    case ClosingField::Coverage:
        column = Coverage;
        break;
    case ClosingField::Endorsements:
        column = Endorsements;
        break;
    case ClosingField::Letter:
        break;
    }
    return m_at[column] ? m_names[column] : std::string(kNames[column]);
}

std::optional<RowReading> ClosingRowReader::Read(const CsvRecord& record) const
{
    if (!record.error.empty()) {
        RowFault fault{{}, record.error};
        if (record.errorField)
            fault.columns.push_back(NameOfField(*record.errorField));
        if (record.errorField >= m_width)
            fault.reason = "the row has more fields than the header's " + std::to_string(m_width)
                           + " columns";
        return fault;
    }
    if (std::all_of(record.fields.begin(), record.fields.end(),
                    [](const std::string& field) { return Trimmed(field).empty(); }))
        return std::nullopt;
    if (record.fields.size() != m_width)
        return RowFault{{},
                        std::to_string(record.fields.size()) + " fields where the header has "
                            + std::to_string(m_width)};
    const auto cell = [&](Column column) -> std::string_view {
        return m_at[column] ? Trimmed(record.fields[*m_at[column]]) : std::string_view();
    };
    const auto input = [&](Column column) -> std::optional<std::string> {
        const std::string_view text = cell(column);
        return text.empty() ? std::nullopt : std::optional<std::string>(text);
    };
    const std::string_view file = cell(File);
    if (file.empty())
        return RowFault{{m_names[File]}, "no file number: the column is required"};
    if (file.find('\0') != std::string_view::npos)
        return RowFault{{m_names[File]},
                        QuotedInput(file) + " holds a NUL byte, which no file number has"};
    ClosingTexts texts{std::string(cell(Split)),
                       input(Price),
                       input(Loan),
                       input(PriorOwners),
                       input(PriorLoan),
                       input(Coverage),
                       Forms(cell(Endorsements)),
                       false};
    if (const std::string_view letter = cell(Cpl); !letter.empty()) {
        const std::string word = LowerCase(letter);
        if (word != "yes" && word != "no")
            return RowFault{{m_names[Cpl]}, QuotedInput(letter) + " is neither yes nor no"};
        texts.closingProtectionLetter = word == "yes";
    }
    auto read = ReadClosing(texts);
    if (const auto* error = std::get_if<InputError>(&read))
        return RowFault{{ColumnOf(error->field)}, error->reason};
    return ClosingRow{std::string(file), std::move(std::get<ClosingRequest>(read))};
}

} // namespace Quote
