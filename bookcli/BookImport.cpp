#include "bookcli/BookImport.h"

#include "bookcli/BookProgram.h"

#include "quote/BatchRow.h"
#include "quote/Csv.h"

#include "engine/NumberText.h"

#include <QDate>

#include <map>

namespace BookCli {

using namespace StateCalcs;

namespace {

// The file's details, read beside the batch's columns; then the totals of an
// export, checked against the import's own pricing.
struct DetailColumn {
    std::string_view name;
    QString Book::FileDetails::*field;
};
const DetailColumn kDetails[] = {
    {"underwriter", &Book::FileDetails::underwriter},
    {"buyers", &Book::FileDetails::buyers},
    {"sellers", &Book::FileDetails::sellers},
    {"property", &Book::FileDetails::property},
    {"county", &Book::FileDetails::county},
    {"lender", &Book::FileDetails::lender},
    {"closing_date", &Book::FileDetails::closingDate},
    {"note", &Book::FileDetails::note},
};
constexpr std::string_view kTotals[] = {"gross", "remit"};

std::vector<std::string_view> ExtraColumns()
{
    std::vector<std::string_view> columns;
    for (const DetailColumn& column : kDetails)
        columns.push_back(column.name);
    columns.insert(columns.end(), std::begin(kTotals), std::end(kTotals));
    return columns;
}

class Import {
public:
    Import(Book::Book& book, const QString& defaultUnderwriter, std::ostream& err)
        : m_book(book), m_defaultUnderwriter(defaultUnderwriter), m_err(err)
    {}

    bool ReadHeader(const Quote::CsvRecord& header, std::string_view source)
    {
        if (const auto why = m_layout.ReadHeader(header, ExtraColumns())) {
            m_err << kProgramName << ": " << source << ": " << *why << '\n';
            return false;
        }
        return true;
    }

    // False when the book could not be written: the import stops there.
    bool Row(const Quote::CsvRecord& record)
    {
        const auto priced = m_layout.Price(record);
        if (!priced)
            return true;
        if (const auto* problem = std::get_if<Quote::RowProblem>(&*priced))
            return Problem(record.row, *problem);
        const Quote::PricedRow& row = std::get<Quote::PricedRow>(*priced);
        const QString number = QString::fromStdString(Quote::CsvTextRead(row.file));
        if (number.isEmpty())
            return Problem(record.row, {{"file"}, "a file number is needed to keep the closing"});
        if (const auto first = m_rows.find(number); first != m_rows.end())
            return Problem(record.row, {{"file"},
                                        "file " + row.file + " is given twice; its first row is "
                                            + std::to_string(first->second)});
        m_rows.emplace(number, record.row);

        const auto existing = m_book.Load(number);
        if (!existing && !m_book.error().isEmpty())
            return Stop(record.row, m_book.error());
        Book::FileDetails details = existing ? existing->details : Book::FileDetails{};
        details.fileNumber = number;
        if (!existing)
            details.underwriter = m_defaultUnderwriter;
        for (const DetailColumn& column : kDetails)
            if (const auto at = m_layout.Extra(column.name))
                details.*column.field = QString::fromStdString(
                    Quote::CsvTextRead(Quote::BatchLayout::Trimmed(record.fields[*at])));
        details.underwriter = details.underwriter.toUpper();
        if (!Book::kUnderwriters.contains(details.underwriter))
            return Problem(record.row, {{"underwriter"},
                                        '"' + details.underwriter.toStdString()
                                            + "\" is no underwriter: QMV or ZOR"});
        if (!details.closingDate.isEmpty()
            && !QDate::fromString(details.closingDate, QStringLiteral("yyyy-MM-dd")).isValid())
            return Problem(record.row,
                           {{"closing_date"},
                            '"' + details.closingDate.toStdString() + "\" is no date: YYYY-MM-DD"});
        const std::int64_t totals[] = {row.quote.grossCents, row.quote.remitCents};
        for (std::size_t i = 0; i < std::size(kTotals); ++i) {
            const auto at = m_layout.Extra(kTotals[i]);
            const std::string given = at ? Quote::BatchLayout::Trimmed(record.fields[*at]) : "";
            if (given.empty())
                continue;
            const auto value = ParseNumber(given);
            if (!value || StandardCents(*value) != totals[i])
                return Problem(record.row, {{std::string(kTotals[i])},
                                            "the file gives " + given + " where the rates give "
                                                + FormatCents(totals[i], false)});
        }

        const auto saved = m_book.Save(details, Book::StoreClosing(row.request),
                                       Book::StoreQuote(row.quote),
                                       existing ? existing->revision.revision : 0);
        switch (saved.status) {
        case Book::SaveResult::Status::Saved:
            ++(saved.revision == 1 ? m_added : m_revised);
            return true;
        case Book::SaveResult::Status::Unchanged:
            ++m_unchanged;
            return true;
        case Book::SaveResult::Status::Stale:
            return Problem(record.row, {{}, saved.error.toStdString()});
        case Book::SaveResult::Status::Failed:
            break;
        }
        return Stop(record.row, saved.error);
    }

    int Finish(std::ostream& out) const
    {
        out << "imported: " << m_added << " new, " << m_revised << " changed, " << m_unchanged
            << " unchanged";
        if (m_failed)
            out << "; " << m_failed << (m_failed == 1 ? " row" : " rows") << " reported";
        out << '\n';
        return m_failed ? kRowsFailed : kDone;
    }

private:
    bool Problem(std::size_t row, const Quote::RowProblem& problem)
    {
        ++m_failed;
        Quote::ReportRow(m_err, kProgramName, row, problem);
        return true;
    }

    bool Stop(std::size_t row, const QString& why)
    {
        m_err << kProgramName << ": row " << row << ": " << why.simplified().toStdString()
              << "; the rows before it are in the book\n";
        return false;
    }

    Book::Book& m_book;
    QString m_defaultUnderwriter;
    std::ostream& m_err;
    Quote::BatchLayout m_layout;
    std::map<QString, std::size_t> m_rows; // file number: its first row
    int m_added = 0, m_revised = 0, m_unchanged = 0, m_failed = 0;
};

} // namespace

int RunImport(Book::Book& book, std::string_view text, std::string_view source,
              const QString& defaultUnderwriter, std::ostream& out, std::ostream& err)
{
    Quote::CsvReader reader(text);
    Quote::CsvRecord record;
    if (!reader.Next(record)) {
        err << kProgramName << ": " << source << ": the file is empty; it needs a header row\n";
        return kUsageError;
    }
    Import import(book, defaultUnderwriter, err);
    if (!import.ReadHeader(record, source))
        return kUsageError;
    while (reader.Next(record))
        if (!import.Row(record))
            return kUsageError;
    return import.Finish(out);
}

} // namespace BookCli
