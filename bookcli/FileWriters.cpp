#include "bookcli/FileWriters.h"

#include "quote/Csv.h"
#include "quote/QuoteWriters.h"

#include "engine/NumberText.h"

#include <deque>
#include <string_view>

namespace BookCli {

using namespace StateCalcs;

namespace {

std::string Plain(std::int64_t cents)
{
    return FormatCents(cents, false);
}

Json MoneyJson(std::int64_t cents)
{
    return Json{{"text", FormatCents(cents)}, {"cents", cents}};
}

// A text cut or padded to `width` characters on the screen.
std::string Cell(const QString& text, qsizetype width)
{
    QString shown = text.simplified();
    if (shown.size() > width)
        shown = shown.left(width - 1) + QChar(0x2026);
    return Utf8(shown.leftJustified(width));
}

std::string Right(const std::string& text, std::size_t width)
{
    return text.size() < width ? std::string(width - text.size(), ' ') + text : text;
}

std::string Amount(const std::optional<std::int64_t>& cents)
{
    return cents ? Plain(*cents) : std::string();
}

std::string Endorsements(const Book::StoredClosing& closing)
{
    std::string forms;
    for (const Book::StoredEndorsement& wanted : closing.endorsements) {
        const EndorsementLine* line = EndorsementAt(static_cast<std::size_t>(wanted.line - 1));
        if (!forms.empty())
            forms += ' ';
        forms += line ? std::string(line->form) : std::to_string(wanted.line);
        if (!wanted.policy.isEmpty())
            forms += ':' + Utf8(wanted.policy);
    }
    return forms;
}

// A policy issued on the file, or none.
Book::IssuedPolicy Issued(const Book::BookFile& file, const char* policy)
{
    for (const Book::IssuedPolicy& issued : file.policies)
        if (issued.policy == QLatin1String(policy))
            return issued;
    return {};
}

Json DetailsJson(const Book::FileDetails& d)
{
    return Json{{"underwriter", Utf8(d.underwriter)},
                {"buyers", Utf8(d.buyers)},
                {"sellers", Utf8(d.sellers)},
                {"property", Utf8(d.property)},
                {"county", Utf8(d.county)},
                {"lender", Utf8(d.lender)},
                {"closing_date", Utf8(d.closingDate)},
                {"note", Utf8(d.note)}};
}

} // namespace

std::string Utf8(const QString& text)
{
    return text.toStdString();
}

std::vector<std::string> ListColumns()
{
    return {"file",  "underwriter", "buyers",   "sellers", "property", "closing_date",
            "month", "changed_at",  "revision", "gross",   "remit"};
}

std::vector<std::string> ListRow(const Book::FileSummary& file)
{
    return {Quote::CsvText(Utf8(file.fileNumber)),
            Quote::CsvText(Utf8(file.underwriter)),
            Quote::CsvText(Utf8(file.buyers)),
            Quote::CsvText(Utf8(file.sellers)),
            Quote::CsvText(Utf8(file.property)),
            Utf8(file.closingDate),
            Utf8(file.month),
            Utf8(file.changedAt),
            std::to_string(file.revision),
            Plain(file.grossCents),
            Plain(file.remitCents)};
}

Json ListJson(const Book::FileSummary& file)
{
    return Json{
        {"file", Utf8(file.fileNumber)},
        {"underwriter", Utf8(file.underwriter)},
        {"buyers", Utf8(file.buyers)},
        {"sellers", Utf8(file.sellers)},
        {"property", Utf8(file.property)},
        {"closing_date", Utf8(file.closingDate)},
        {"month", Utf8(file.month)},
        {"changed_at", Utf8(file.changedAt)},
        {"revision", file.revision},
        {"totals", {{"gross", MoneyJson(file.grossCents)}, {"remit", MoneyJson(file.remitCents)}}}};
}

void WriteListTable(std::ostream& out, const QList<Book::FileSummary>& files)
{
    out << Cell("File", 14) << "  " << Cell("Und", 3) << "  " << Cell("Closing", 10) << "  "
        << Cell("Buyers", 22) << "  " << Cell("Property", 28) << Right("Gross", 14)
        << Right("Remit", 12) << '\n';
    for (const Book::FileSummary& file : files)
        out << Cell(file.fileNumber, 14) << "  " << Cell(file.underwriter, 3) << "  "
            << Cell(file.closingDate, 10) << "  " << Cell(file.buyers, 22) << "  "
            << Cell(file.property, 28) << Right(FormatCents(file.grossCents), 14)
            << Right(FormatCents(file.remitCents), 12) << '\n';
    out << files.size() << (files.size() == 1 ? " file\n" : " files\n");
}

std::vector<std::string> ExportColumns()
{
    return {"file",
            "split",
            "price",
            "loan",
            "prior_owners",
            "prior_loan",
            "coverage",
            "endorsements",
            "cpl",
            "underwriter",
            "buyers",
            "sellers",
            "property",
            "county",
            "lender",
            "closing_date",
            "note",
            "gross",
            "remit",
            "owners_policy",
            "loan_policy",
            "issue_date",
            "owners_issue_date",
            "loan_issue_date",
            "void_reason"};
}

std::vector<std::string> ExportRow(const QString& fileNumber, const Book::BookFile& file)
{
    const Book::StoredClosing& c = file.closing;
    const Book::FileDetails& d = file.details;
    return {Quote::CsvText(Utf8(fileNumber)),
            FormatStandard(static_cast<double>(c.splitHundredths) / 100.0),
            Amount(c.priceCents),
            Amount(c.loanCents),
            Amount(c.priorOwnersCents),
            Amount(c.priorLoanCents),
            Utf8(c.coverage),
            Endorsements(c),
            c.closingProtectionLetter ? "yes" : "no",
            Quote::CsvText(Utf8(d.underwriter)),
            Quote::CsvText(Utf8(d.buyers)),
            Quote::CsvText(Utf8(d.sellers)),
            Quote::CsvText(Utf8(d.property)),
            Quote::CsvText(Utf8(d.county)),
            Quote::CsvText(Utf8(d.lender)),
            Utf8(d.closingDate),
            Quote::CsvText(Utf8(d.note)),
            Plain(file.quote.grossCents),
            Plain(file.quote.remitCents),
            Quote::CsvText(Utf8(Issued(file, "owner").number)),
            Quote::CsvText(Utf8(Issued(file, "loan").number)),
            Utf8(Issued(file, "").issueDate),
            Utf8(Issued(file, "owner").issueDate),
            Utf8(Issued(file, "loan").issueDate),
            Quote::CsvText(Utf8(file.voidReason))};
}

Json FileJson(const QString& fileNumber, const Book::BookFile& file)
{
    Json document{{"file", Utf8(fileNumber)}};
    document.update(DetailsJson(file.details));
    document["revision"] = file.revision.revision;
    document["saved_by"] = Utf8(file.revision.savedBy);
    document["saved_at"] = Utf8(file.revision.savedAt);
    document["changes"] = Utf8(file.revision.changes);
    document["status"] = Utf8(file.status);
    document["void_reason"] = Utf8(file.voidReason);
    Json policies = Json::array();
    for (const Book::IssuedPolicy& policy : file.policies)
        policies.push_back({{"policy", policy.policy.isEmpty() ? "file" : Utf8(policy.policy)},
                            {"number", Utf8(policy.number)},
                            {"issue_date", Utf8(policy.issueDate)}});
    document["policies"] = policies;
    std::deque<std::string> texts;
    const ClosingQuote quote = Book::QuoteOf(file.quote, file.closing.splitHundredths, texts);
    document.update(Quote::QuoteJson(Book::RequestOf(file.closing), quote, false));
    return document;
}

Json HistoryJson(const QList<Book::RevisionInfo>& history)
{
    Json revisions = Json::array();
    for (const Book::RevisionInfo& info : history)
        revisions.push_back({{"revision", info.revision},
                             {"saved_by", Utf8(info.savedBy)},
                             {"saved_at", Utf8(info.savedAt)},
                             {"changes", Utf8(info.changes)}});
    return revisions;
}

namespace {

void WriteDetails(std::ostream& out, const QString& fileNumber, const Book::FileDetails& d,
                  bool withUnderwriter)
{
    const auto item = [&](const char* name, const QString& value) {
        if (!value.isEmpty())
            out << Cell(QString::fromLatin1(name) + QLatin1Char(':'), 22)
                << Utf8(value.simplified()) << '\n';
    };
    item("File", fileNumber);
    if (withUnderwriter)
        item("Underwriter", d.underwriter);
    item("Buyers", d.buyers);
    item("Sellers", d.sellers);
    item("Property", d.property);
    item("County", d.county);
    item("Lender", d.lender);
    item("Closing date", d.closingDate);
    item("Note", d.note);
}

} // namespace

void WriteFileTable(std::ostream& out, const QString& fileNumber, const Book::BookFile& file)
{
    WriteDetails(out, fileNumber, file.details, true);
    out << Cell(QStringLiteral("Revision:"), 22) << file.revision.revision << ", saved by "
        << Utf8(file.revision.savedBy) << " at " << Utf8(file.revision.savedAt) << "\n\n";
    std::deque<std::string> texts;
    const ClosingQuote quote = Book::QuoteOf(file.quote, file.closing.splitHundredths, texts);
    Quote::WriteTable(out, Book::RequestOf(file.closing), quote, false);
}

void WriteHistoryTable(std::ostream& out, const QList<Book::RevisionInfo>& history)
{
    out << Right("Rev", 4) << "  " << Cell("Saved at (UTC)", 24) << "  " << Cell("By", 12)
        << "  Changes\n";
    for (const Book::RevisionInfo& info : history)
        out << Right(std::to_string(info.revision), 4) << "  " << Cell(info.savedAt, 24) << "  "
            << Cell(info.savedBy, 12) << "  " << Utf8(info.changes) << '\n';
}

void WriteCustomerQuote(std::ostream& out, const Book::Agency& agency, const QString& fileNumber,
                        const Book::BookFile& file)
{
    bool heading = false;
    for (const QString& line : {agency.name, agency.address, agency.phone,
                                agency.license.isEmpty() ? QString() : "License " + agency.license})
        if (!line.isEmpty()) {
            out << Utf8(line) << '\n';
            heading = true;
        }
    if (heading)
        out << '\n';
    WriteDetails(out, fileNumber, file.details, false);
    out << '\n';
    std::deque<std::string> texts;
    const ClosingQuote quote = Book::QuoteOf(file.quote, file.closing.splitHundredths, texts);
    Quote::WriteTable(out, Book::RequestOf(file.closing), quote, false, Quote::Audience::Customer);
}

} // namespace BookCli
