#include "quote/Batch.h"

#include "quote/ClosingInput.h"
#include "quote/Csv.h"

#include "engine/NumberText.h"

#include <algorithm>
#include <array>
#include <optional>
#include <string>
#include <vector>

namespace Quote {

using namespace StateCalcs;

namespace {

// The columns of a batch file, matched by name. A closing's inputs are the
// single-closing options; "file" is the agency's file number.
enum Column { File, Split, Price, Loan, PriorOwners, PriorLoan, Coverage, Endorsements, Cpl };
constexpr std::array<std::string_view, 9> kColumns{
    "file",       "split",    "price",        "loan", "prior_owners",
    "prior_loan", "coverage", "endorsements", "cpl",
};
constexpr Column kRequired[] = {File, Split};

std::string_view ColumnOf(ClosingField field)
{
    switch (field) {
    case ClosingField::Split:
        return kColumns[Split];
    case ClosingField::Price:
        return kColumns[Price];
    case ClosingField::Loan:
        return kColumns[Loan];
    case ClosingField::PriorOwners:
        return kColumns[PriorOwners];
    case ClosingField::PriorLoan:
        return kColumns[PriorLoan];
    case ClosingField::Coverage:
        return kColumns[Coverage];
    case ClosingField::Endorsements:
        return kColumns[Endorsements];
    case ClosingField::Letter:
        break;
    }
    return kColumns[Cpl];
}

std::string Trimmed(std::string_view text)
{
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos)
        return {};
    return std::string(text.substr(first, text.find_last_not_of(" \t") - first + 1));
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

// Where each column is in the file's records; nothing for an absent one.
using Layout = std::array<std::optional<std::size_t>, kColumns.size()>;

struct Problem {
    std::vector<std::string_view> columns; // none: the row as a whole
    std::string reason;
};

class BatchRun {
public:
    BatchRun(std::string_view program, std::ostream& out, std::ostream& err)
        : m_program(program), m_out(out), m_err(err)
    {}

    // The header names the columns; false (reported) when it does not.
    bool ReadHeader(const CsvRecord& header, std::string_view source)
    {
        const auto fail = [&](const std::string& why) {
            m_err << m_program << ": " << source << ": " << why << '\n';
            return false;
        };
        if (!header.error.empty())
            return fail("row 1: " + header.error);
        for (std::size_t i = 0; i < header.fields.size(); ++i) {
            const std::string name = LowerCase(Trimmed(header.fields[i]));
            const auto known = std::find(kColumns.begin(), kColumns.end(), name);
            if (known == kColumns.end())
                return fail("the header has an unknown column \"" + header.fields[i]
                            + "\"; the columns are file, split, price, loan, prior_owners, "
                              "prior_loan, coverage, endorsements and cpl");
            auto& at = m_layout[static_cast<std::size_t>(known - kColumns.begin())];
            if (at)
                return fail("the header has the column " + name + " twice");
            at = i;
        }
        m_width = header.fields.size();
        for (const Column column : kRequired)
            if (!m_layout[column])
                return fail("the header has no column " + std::string(kColumns[column])
                            + "; file and split are required");
        m_out << CsvRow({"file", "split", "codes", "gross", "remit", "lenders_disclosed",
                         "owners_disclosed", "other_disclosed"});
        return true;
    }

    void PriceRow(const CsvRecord& record)
    {
        if (!record.error.empty())
            return Report(record.row, {{}, record.error});
        if (std::all_of(record.fields.begin(), record.fields.end(),
                        [](const std::string& field) { return Trimmed(field).empty(); }))
            return; // a blank row, as spreadsheets leave at the end
        if (record.fields.size() != m_width)
            return Report(record.row,
                          {{},
                           std::to_string(record.fields.size()) + " fields where the header has "
                               + std::to_string(m_width)});
        const auto cell = [&](Column column) -> std::optional<std::string> {
            if (!m_layout[column])
                return std::nullopt;
            std::string text = Trimmed(record.fields[*m_layout[column]]);
            return text.empty() ? std::nullopt : std::optional(std::move(text));
        };
        ClosingTexts texts{cell(Split).value_or(""),
                           cell(Price),
                           cell(Loan),
                           cell(PriorOwners),
                           cell(PriorLoan),
                           cell(Coverage),
                           Words(cell(Endorsements).value_or("")),
                           false};
        if (const auto letter = cell(Cpl)) {
            const std::string word = LowerCase(*letter);
            if (word != "yes" && word != "no")
                return Report(record.row,
                              {{kColumns[Cpl]}, '"' + *letter + "\" is neither yes nor no"});
            texts.closingProtectionLetter = word == "yes";
        }
        const auto read = ReadClosing(texts);
        if (const auto* error = std::get_if<InputError>(&read))
            return Report(record.row, {{ColumnOf(error->field)}, error->reason});
        const ClosingOutcome outcome = QuoteClosing(std::get<ClosingRequest>(read));
        if (!outcome.quote) {
            Problem problem{{}, outcome.refusal.reason};
            for (const ClosingField field : outcome.refusal.fields)
                problem.columns.push_back(ColumnOf(field));
            return Report(record.row, problem);
        }
        Write(cell(File).value_or(""), *outcome.quote);
    }

    int Finish()
    {
        const auto plain = [](std::int64_t cents) { return FormatCents(cents, false); };
        m_out << CsvRow({"TOTAL", "", "", plain(m_grossCents), plain(m_remitCents), "", "", ""});
        return m_failed ? kBatchRowsFailed : kBatchPriced;
    }

private:
    void Report(std::size_t row, const Problem& problem)
    {
        m_failed = true;
        m_err << m_program << ": row " << row << ", ";
        if (problem.columns.empty())
            m_err << "closing";
        else
            m_err << (problem.columns.size() == 1 ? "column " : "columns ");
        for (std::size_t i = 0; i < problem.columns.size(); ++i)
            m_err << (i > 0 ? ", " : "") << problem.columns[i];
        m_err << ": " << OneLine(problem.reason) << '\n';
    }

    void Write(const std::string& file, const ClosingQuote& quote)
    {
        const auto plain = [](std::int64_t cents) { return FormatCents(cents, false); };
        std::string codes;
        for (const QuotedLine& line : quote.lines)
            codes += (codes.empty() ? "" : " ") + std::string(line.code);
        const TridDisclosure& trid = quote.trid;
        // A file number that a spreadsheet would take for a formula is written
        // as text.
        const bool formula = !file.empty()
                             && std::string_view("=+-@\t\r").find(file[0])
                                    != std::string_view::npos;
        m_out << CsvRow({formula ? "'" + file : file, FormatStandard(quote.splitPercent), codes,
                         plain(quote.grossCents), plain(quote.remitCents),
                         plain(trid.lendersDisclosedCents), plain(trid.ownersDisclosedCents),
                         plain(trid.otherCents)});
        m_grossCents += quote.grossCents;
        m_remitCents += quote.remitCents;
    }

    std::string_view m_program;
    std::ostream& m_out;
    std::ostream& m_err;
    Layout m_layout{};
    std::size_t m_width = 0;
    std::int64_t m_grossCents = 0;
    std::int64_t m_remitCents = 0;
    bool m_failed = false;
};

} // namespace

int RunBatch(std::string_view text, std::string_view source, std::string_view program,
             std::ostream& out, std::ostream& err)
{
    CsvReader reader(text);
    CsvRecord record;
    BatchRun run(program, out, err);
    if (!reader.Next(record)) {
        err << program << ": " << source << ": the file is empty; it needs a header row\n";
        return kBatchUnreadable;
    }
    if (!run.ReadHeader(record, source))
        return kBatchUnreadable;
    while (reader.Next(record))
        run.PriceRow(record);
    return run.Finish();
}

} // namespace Quote
