#include "bookcli/BookImport.h"

#include "bookcli/BookProgram.h"

#include "quote/ClosingRow.h"
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
// The policies issued: their numbers, and the date they were issued on
// (issue_date for both, or each policy's own).
constexpr std::string_view kIssue[] = {"owners_policy", "loan_policy", "issue_date",
                                       "owners_issue_date", "loan_issue_date"};
// A voided file's reason: the file is voided after its policies are issued.
constexpr std::string_view kVoid = "void_reason";

std::string_view Trimmed(std::string_view text)
{
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos)
        return {};
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

std::vector<std::string_view> ExtraColumns()
{
    std::vector<std::string_view> columns;
    for (const DetailColumn& column : kDetails)
        columns.push_back(column.name);
    columns.insert(columns.end(), std::begin(kTotals), std::end(kTotals));
    columns.insert(columns.end(), std::begin(kIssue), std::end(kIssue));
    columns.push_back(kVoid);
    return columns;
}

// The book's columns are read here; the others, which must be the batch's,
// go to the batch's reader as a record of their own, so that a row means
// the same closing to both programs.
class Import {
public:
    Import(Book::Book& book, const QString& defaultUnderwriter, const QString& amendReason,
           std::ostream& err)
        : m_book(book), m_defaultUnderwriter(defaultUnderwriter), m_amend(amendReason), m_err(err)
    {}

    bool ReadHeader(const Quote::CsvRecord& header, std::string_view source)
    {
        const std::vector<std::string_view> extra = ExtraColumns();
        Quote::CsvRecord batch{header.row, {}, header.error, {}};
        for (std::size_t i = 0; i < header.fields.size(); ++i) {
            m_names.push_back(header.fields[i]);
            const std::string name = Quote::LowerCase(Trimmed(header.fields[i]));
            if (std::find(extra.begin(), extra.end(), name) == extra.end()) {
                m_batchFields.push_back(i);
                batch.fields.push_back(header.fields[i]);
            } else if (!m_extra.emplace(name, i).second) {
                return Fail(source, "the header has the column " + name + " twice");
            }
        }
        auto reader = Quote::ClosingRowReader::FromHeader(batch);
        if (auto* why = std::get_if<std::string>(&reader)) {
            if (why->find("unknown column") != std::string::npos)
                *why += "; and for the book underwriter, buyers, sellers, property, county, "
                        "lender, closing_date, note, gross, remit, owners_policy, loan_policy, "
                        "issue_date, owners_issue_date, loan_issue_date and void_reason";
            return Fail(source, *why);
        }
        m_rows.emplace(std::move(std::get<Quote::ClosingRowReader>(reader)));
        return true;
    }

    std::size_t Width() const { return m_names.size(); }

    // False when the book could not be written: the import stops there.
    bool Row(const Quote::CsvRecord& record)
    {
        if (!record.error.empty()) {
            Quote::RowFault problem{{}, record.error};
            if (record.errorField && *record.errorField < m_names.size())
                problem.columns.push_back(m_names[*record.errorField]);
            return Problem(record.row, problem);
        }
        if (std::all_of(record.fields.begin(), record.fields.end(),
                        [](const std::string& field) { return Trimmed(field).empty(); }))
            return true;
        if (record.fields.size() != m_names.size())
            return Problem(record.row,
                           {{},
                            std::to_string(record.fields.size()) + " fields where the header has "
                                + std::to_string(m_names.size())});
        Quote::CsvRecord batch{record.row, {}, {}, {}};
        for (const std::size_t field : m_batchFields)
            batch.fields.push_back(record.fields[field]);
        const auto read = m_rows->Read(batch);
        if (!read)
            return true;
        if (const auto* fault = std::get_if<Quote::RowFault>(&*read))
            return Problem(record.row, *fault);
        const Quote::ClosingRow& closing = std::get<Quote::ClosingRow>(*read);
        ClosingOutcome outcome = QuoteClosing(closing.request);
        if (!outcome.quote) {
            Quote::RowFault problem{{}, outcome.refusal.reason};
            for (const ClosingField field : outcome.refusal.fields)
                problem.columns.push_back(m_rows->ColumnOf(field));
            return Problem(record.row, problem);
        }
        return Save(record, closing, *outcome.quote);
    }

private:
    bool Save(const Quote::CsvRecord& record, const Quote::ClosingRow& row,
              const ClosingQuote& quote)
    {
        const QString number = QString::fromStdString(Quote::CsvTextRead(row.file));
        if (number.isEmpty())
            return Problem(record.row, {{"file"}, "a file number is needed to keep the closing"});
        if (const auto first = m_files.find(number); first != m_files.end())
            return Problem(record.row, {{"file"},
                                        "file " + row.file + " is given twice; its first row is "
                                            + std::to_string(first->second)});
        m_files.emplace(number, record.row);

        const auto existing = m_book.Load(number);
        if (!existing && !m_book.error().isEmpty())
            return Stop(record.row, m_book.error());
        Book::FileDetails details = existing ? existing->details : Book::FileDetails{};
        details.fileNumber = number;
        if (!existing)
            details.underwriter = m_defaultUnderwriter;
        for (const DetailColumn& column : kDetails)
            if (const auto at = Extra(column.name))
                details.*column.field = QString::fromStdString(
                    Quote::CsvTextRead(Trimmed(record.fields[*at])));
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
        const std::int64_t totals[] = {quote.grossCents, quote.remitCents};
        for (std::size_t i = 0; i < std::size(kTotals); ++i) {
            const auto at = Extra(kTotals[i]);
            const std::string given = at ? std::string(Trimmed(record.fields[*at])) : "";
            if (given.empty())
                continue;
            const auto value = ParseNumber(given);
            if (!value || StandardCents(*value) != totals[i])
                return Problem(record.row, {{std::string(kTotals[i])},
                                            "the file gives " + given + " where the rates give "
                                                + FormatCents(totals[i], false)});
        }

        const Book::StoredClosing closing = Book::StoreClosing(row.request);
        const Book::StoredQuote stored = Book::StoreQuote(quote);
        // Figures once issued change only by an amendment with its reason.
        if (existing && !existing->status.isEmpty() && m_amend.isEmpty()
            && !Book::Changes(*existing, {details, closing, stored, {}, {}, {}, {}}).isEmpty())
            return Problem(
                record.row,
                {{},
                 "file " + row.file + " is "
                     + (existing->status == QLatin1String("voided") ? std::string("voided")
                                                                    : std::string("issued"))
                     + " and this row changes it; import --amend REASON records "
                       "the change"});
        std::string issueDates[3];
        for (std::size_t i = 0; i < 3; ++i)
            if (const auto at = Extra(kIssue[2 + i]))
                issueDates[i] = std::string(Trimmed(record.fields[*at]));
        const auto cell = [&](std::string_view name) {
            const auto at = Extra(name);
            return at ? QString::fromStdString(Quote::CsvTextRead(Trimmed(record.fields[*at])))
                      : QString();
        };
        const QString owners = cell("owners_policy"), loan = cell("loan_policy");
        const QString ownersDate = QString::fromStdString(issueDates[1].empty() ? issueDates[0]
                                                                                : issueDates[1]);
        const QString loanDate = QString::fromStdString(issueDates[2].empty() ? issueDates[0]
                                                                              : issueDates[2]);
        if ((!owners.isEmpty() && ownersDate.isEmpty()) || (!loan.isEmpty() && loanDate.isEmpty()))
            return Problem(record.row, {{"issue_date"}, "a policy number needs its issue date"});

        const QString voidReason = cell(kVoid).simplified();
        const bool voided = existing && existing->status == QLatin1String("voided");

        const auto saved = m_book.Save(details, closing, stored,
                                       existing ? existing->revision.revision : 0, m_amend);
        // A voided file issues nothing more; a void is never undone.
        const auto course = [&] {
            if (voided)
                return true;
            const int failed = m_failed;
            if (!IssueRow(record.row, number, owners, ownersDate, loan, loanDate,
                          QString::fromStdString(issueDates[0])))
                return false;
            if (voidReason.isEmpty() || m_failed != failed)
                return true;
            const auto done = m_book.Void(number, voidReason);
            if (done.status != Book::SaveResult::Status::Saved)
                return Problem(record.row,
                               {{std::string(kVoid)},
                                "the file is saved but not voided: " + done.error.toStdString()});
            return true;
        };
        switch (saved.status) {
        case Book::SaveResult::Status::Saved:
            ++(saved.revision == 1 ? m_added : m_revised);
            return course();
        case Book::SaveResult::Status::Unchanged:
            ++m_unchanged;
            return course();
        case Book::SaveResult::Status::Stale:
            return Problem(record.row, {{}, saved.error.toStdString()});
        case Book::SaveResult::Status::Failed:
            break;
        }
        return Stop(record.row, saved.error);
    }

    // The policies a row says were issued, recorded after its file.
    bool IssueRow(std::size_t row, const QString& number, const QString& owners,
                  const QString& ownersDate, const QString& loan, const QString& loanDate,
                  const QString& fileDate)
    {
        QList<std::pair<QString, QString>> calls; // date: owner's, loan
        if (owners.isEmpty() && loan.isEmpty()) {
            if (!fileDate.isEmpty())
                calls.push_back({fileDate, {}});
        } else if (!owners.isEmpty() && !loan.isEmpty() && ownersDate == loanDate) {
            calls.push_back({ownersDate, {}});
        } else {
            if (!owners.isEmpty())
                calls.push_back({ownersDate, QStringLiteral("owner")});
            if (!loan.isEmpty())
                calls.push_back({loanDate, QStringLiteral("loan")});
        }
        for (const auto& [date, only] : calls) {
            const bool both = only.isEmpty();
            const auto issued = m_book.Issue(
                number, date, both || only == QLatin1String("owner") ? owners : QString(),
                both || only == QLatin1String("loan") ? loan : QString());
            if (issued.status == Book::SaveResult::Status::Failed
                || issued.status == Book::SaveResult::Status::Stale) {
                std::vector<std::string> columns;
                if (both || only == QLatin1String("owner"))
                    columns.push_back("owners_policy");
                if (both || only == QLatin1String("loan"))
                    columns.push_back("loan_policy");
                if (owners.isEmpty() && loan.isEmpty())
                    columns = {"issue_date"};
                return Problem(row, {columns, "the file is saved but not issued: "
                                                  + issued.error.toStdString()});
            }
        }
        return true;
    }

public:
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
    // "row 4, column price: ..." as the batch reports a row.
    bool Problem(std::size_t row, const Quote::RowFault& problem)
    {
        ++m_failed;
        m_err << kProgramName << ": row " << row << ", ";
        if (problem.columns.empty())
            m_err << "closing";
        else
            m_err << (problem.columns.size() == 1 ? "column " : "columns ");
        for (std::size_t i = 0; i < problem.columns.size(); ++i)
            m_err << (i > 0 ? ", " : "") << problem.columns[i];
        m_err << ": " << Quote::OneLine(problem.reason) << '\n';
        return true;
    }

    bool Fail(std::string_view source, const std::string& why)
    {
        m_err << kProgramName << ": " << source << ": " << why << '\n';
        return false;
    }

    std::optional<std::size_t> Extra(std::string_view name) const
    {
        const auto found = m_extra.find(name);
        return found == m_extra.end() ? std::nullopt : std::optional(found->second);
    }

    bool Stop(std::size_t row, const QString& why)
    {
        m_err << kProgramName << ": row " << row << ": " << why.simplified().toStdString()
              << "; the rows before it are in the book\n";
        return false;
    }

    Book::Book& m_book;
    QString m_defaultUnderwriter;
    QString m_amend;
    std::ostream& m_err;
    std::vector<std::string> m_names;                        // the header's columns
    std::vector<std::size_t> m_batchFields;                  // those the batch's reader reads
    std::map<std::string, std::size_t, std::less<>> m_extra; // the book's: where they are
    std::optional<Quote::ClosingRowReader> m_rows;
    std::map<QString, std::size_t> m_files; // file number: its first row
    int m_added = 0, m_revised = 0, m_unchanged = 0, m_failed = 0;
};

} // namespace

int RunImport(Book::Book& book, std::istream& in, std::string_view source,
              const QString& defaultUnderwriter, const QString& amendReason, std::ostream& out,
              std::ostream& err)
{
    Quote::CsvReader reader(in);
    reader.SetWidth(Quote::ClosingRowReader::kMostColumns + std::size(kDetails) + std::size(kTotals)
                    + std::size(kIssue) + 1);
    Quote::CsvRecord record;
    if (!reader.Next(record)) {
        err << kProgramName << ": " << source << ": the file is empty; it needs a header row\n";
        return kUsageError;
    }
    Import import(book, defaultUnderwriter, amendReason.simplified(), err);
    if (!import.ReadHeader(record, source))
        return kUsageError;
    reader.SetWidth(import.Width());
    while (reader.Next(record))
        if (!import.Row(record))
            return kUsageError;
    if (reader.Failed()) {
        err << kProgramName << ": " << source
            << ": the file could not be read to its end; the rows before are in the book\n";
        return kUsageError;
    }
    return import.Finish(out);
}

} // namespace BookCli
