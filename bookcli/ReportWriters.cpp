#include "bookcli/ReportWriters.h"

#include "quote/Csv.h"
#include "quote/QuoteWriters.h"

#include "engine/NumberText.h"

#include <deque>

namespace BookCli {

using namespace StateCalcs;
using Kind = Book::ReportLine::Kind;

namespace {

Json MoneyJson(std::int64_t cents)
{
    return Json{{"text", FormatCents(cents)}, {"cents", cents}};
}

const char* KindWord(Kind kind)
{
    switch (kind) {
    case Kind::Line:
        return "line";
    case Kind::Late:
        return "late";
    case Kind::Adjustment:
        break;
    }
    return "adjustment";
}

// A line as `show --json` writes it: the quote's writer on a quote of that
// line alone.
Json LineJson(const Book::StoredLine& line)
{
    Book::StoredQuote alone;
    alone.lines.push_back(line);
    std::deque<std::string> texts;
    const ClosingQuote quote = Book::QuoteOf(alone, 0, texts);
    return Quote::QuoteJson(Book::RequestOf({}), quote, false)["lines"][0];
}

std::string CheckText(const Book::RemittanceReport& report)
{
    return report.sent ? "check " + Utf8(report.checkNumber) + " paid " + Utf8(report.paidDate)
                       : "not sent";
}

} // namespace

std::vector<std::string> ReportColumns()
{
    return {"underwriter", "month",     "kind",   "file",  "insured", "policies", "issue_date",
            "code",        "priced_on", "amount", "gross", "remit",   "reason"};
}

void WriteReportCsv(std::ostream& out, const Book::RemittanceReport& report)
{
    out << Quote::CsvRow(ReportColumns());
    const std::string underwriter = Quote::CsvText(Utf8(report.underwriter));
    const std::string month = Utf8(report.month);
    for (const Book::ReportLine& row : report.rows) {
        std::string pricedOn, amount;
        for (const Book::StoredPricedOn& on : row.line.pricedOn) {
            pricedOn += (pricedOn.empty() ? "" : "; ") + Utf8(on.name);
            amount += (amount.empty() ? "" : "; ") + FormatCents(on.cents, false);
        }
        out << Quote::CsvRow(
            {underwriter, month, KindWord(row.kind), Quote::CsvText(Utf8(row.fileNumber)),
             Quote::CsvText(Utf8(row.insured)), Quote::CsvText(Utf8(row.policyNumbers)),
             Utf8(row.issueDate), Quote::CsvText(Utf8(row.line.code)), Quote::CsvText(pricedOn),
             amount, FormatCents(row.grossCents, false), FormatCents(row.remitCents, false),
             Quote::CsvText(Utf8(row.reason))});
    }
    const auto total = [&](const char* kind, std::int64_t gross, std::int64_t remit,
                           const std::string& reason) {
        out << Quote::CsvRow({underwriter, month, kind, "", "", "", "", "", "", "",
                              FormatCents(gross, false), FormatCents(remit, false), reason});
    };
    total("lines_total", report.linesGrossCents, report.linesRemitCents, "");
    total("adjustments_total", report.adjustmentGrossCents, report.adjustmentRemitCents, "");
    total("check", report.GrossCents(), report.CheckCents(), CheckText(report));
}

Json ReportJson(const Book::RemittanceReport& report)
{
    Json lines = Json::array(), late = Json::array(), adjustments = Json::array();
    for (const Book::ReportLine& row : report.rows) {
        Json item{{"file", Utf8(row.fileNumber)},
                  {"insured", Utf8(row.insured)},
                  {"policies", Utf8(row.policyNumbers)},
                  {"issue_date", Utf8(row.issueDate)}};
        if (row.kind == Kind::Adjustment) {
            item["reason"] = Utf8(row.reason);
            item["gross"] = MoneyJson(row.grossCents);
            item["remit"] = MoneyJson(row.remitCents);
            adjustments.push_back(std::move(item));
            continue;
        }
        item.update(LineJson(row.line));
        (row.kind == Kind::Line ? lines : late).push_back(std::move(item));
    }
    return Json{{"underwriter", Utf8(report.underwriter)},
                {"month", Utf8(report.month)},
                {"sent", report.sent},
                {"check", report.sent ? Json{{"number", Utf8(report.checkNumber)},
                                             {"paid", Utf8(report.paidDate)}}
                                      : Json(nullptr)},
                {"lines", lines},
                {"late_lines", late},
                {"adjustments", adjustments},
                {"totals",
                 {{"lines",
                   {{"gross", MoneyJson(report.linesGrossCents)},
                    {"remit", MoneyJson(report.linesRemitCents)}}},
                  {"adjustments",
                   {{"gross", MoneyJson(report.adjustmentGrossCents)},
                    {"remit", MoneyJson(report.adjustmentRemitCents)}}},
                  {"gross", MoneyJson(report.GrossCents())},
                  {"remit", MoneyJson(report.CheckCents())}}}};
}

void WriteReportTable(std::ostream& out, const Book::RemittanceReport& report)
{
    out << "Remittance to " << Utf8(report.underwriter) << " for " << Utf8(report.month) << " ("
        << CheckText(report) << ")\n\n";
    const auto cell = [](const QString& text, qsizetype width) {
        QString shown = text.simplified();
        if (shown.size() > width)
            shown = shown.left(width - 1) + QChar(0x2026);
        return Utf8(shown.leftJustified(width));
    };
    const auto right = [](const std::string& text, std::size_t width) {
        return text.size() < width ? std::string(width - text.size(), ' ') + text : text;
    };
    out << cell(QStringLiteral("File"), 14) << "  " << cell(QStringLiteral("Insured"), 22) << "  "
        << cell(QStringLiteral("Policies"), 16) << "  " << cell(QStringLiteral("Issued"), 10)
        << "  " << cell(QStringLiteral("Code"), 8) << right("Gross", 13) << right("Remit", 12)
        << '\n';
    Kind heading = Kind::Line;
    for (const Book::ReportLine& row : report.rows) {
        if (row.kind != heading) {
            heading = row.kind;
            out << (heading == Kind::Late ? "Late lines\n" : "Adjustments\n");
        }
        out << cell(row.fileNumber, 14) << "  " << cell(row.insured, 22) << "  "
            << cell(row.policyNumbers, 16) << "  " << cell(row.issueDate, 10) << "  "
            << cell(row.kind == Kind::Adjustment ? row.reason : row.line.code, 8)
            << right(FormatCents(row.grossCents), 13) << right(FormatCents(row.remitCents), 12)
            << '\n';
    }
    out << '\n'
        << cell(QStringLiteral("Lines"), 80) << right(FormatCents(report.linesRemitCents), 12)
        << '\n'
        << cell(QStringLiteral("Adjustments"), 80)
        << right(FormatCents(report.adjustmentRemitCents), 12) << '\n'
        << cell(QStringLiteral("Check"), 80) << right(FormatCents(report.CheckCents()), 12) << '\n';
}

Json DueJson(const Book::DueList& due)
{
    Json files = Json::array(), months = Json::array();
    for (const Book::UnissuedFile& file : due.unissued) {
        Json missing = Json::array();
        for (const QString& group : file.missing)
            missing.push_back(group.isEmpty() ? "file" : Utf8(group));
        files.push_back({{"file", Utf8(file.fileNumber)},
                         {"underwriter", Utf8(file.underwriter)},
                         {"buyers", Utf8(file.buyers)},
                         {"closing_date", Utf8(file.closingDate)},
                         {"days_since_closing", file.daysSinceClosing},
                         {"not_issued", missing}});
    }
    for (const Book::UnsentMonth& month : due.unsent)
        months.push_back({{"underwriter", Utf8(month.underwriter)},
                          {"month", Utf8(month.month)},
                          {"due", Utf8(month.dueDate)},
                          {"overdue", month.overdue},
                          {"lines", month.lines},
                          {"remit", MoneyJson(month.remitCents)}});
    return Json{{"policies_not_issued", files}, {"remittances_not_sent", months}};
}

void WriteDueTable(std::ostream& out, const Book::DueList& due)
{
    out << due.unissued.size() << (due.unissued.size() == 1 ? " file" : " files")
        << " closed with policies not issued\n";
    for (const Book::UnissuedFile& file : due.unissued) {
        QStringList missing;
        for (const QString& group : file.missing)
            missing << (group == QLatin1String("owner")  ? QStringLiteral("owner's policy")
                        : group == QLatin1String("loan") ? QStringLiteral("loan policy")
                                                         : QStringLiteral("issue"));
        out << "  " << Utf8(file.fileNumber) << "  " << Utf8(file.underwriter) << "  closed "
            << Utf8(file.closingDate) << " (" << file.daysSinceClosing << " days)  needs "
            << Utf8(missing.join(QStringLiteral(", "))) << '\n';
    }
    out << due.unsent.size() << (due.unsent.size() == 1 ? " remittance" : " remittances")
        << " not sent\n";
    for (const Book::UnsentMonth& month : due.unsent)
        out << "  " << Utf8(month.underwriter) << "  " << Utf8(month.month) << "  " << month.lines
            << (month.lines == 1 ? " line" : " lines") << "  remit "
            << FormatCents(month.remitCents) << "  due " << Utf8(month.dueDate)
            << (month.overdue ? "  OVERDUE" : "") << '\n';
}

} // namespace BookCli
