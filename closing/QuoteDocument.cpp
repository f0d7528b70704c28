#include "closing/QuoteDocument.h"

#include "bookprint/PagedDocument.h"

#include "engine/NumberText.h"

#include <QApplication>
#include <QLocale>
#include <QPrinter>
#include <QStringList>

namespace closing {
namespace {

using StateCalcs::ClosingQuote;
using StateCalcs::QuotedLine;

const QString kTitle = QStringLiteral("Title insurance quote");
const QString kRatesEffective = QStringLiteral("Rates effective 2/1/2013.");
const QString kEstimate = QStringLiteral("These figures are estimates until the policy is issued.");

QString FromView(std::string_view text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QString Cents(std::int64_t cents)
{
    return QString::fromStdString(StateCalcs::FormatCents(cents));
}

QString Amount(double amount)
{
    return QString::fromStdString(StateCalcs::FormatStandard(amount));
}

// The rows of the quote that go out: the lines, their total, then the TRID
// disclosure line by line under its sections, with its total. Each row is
// its cells; a section's title or a note is a row of one cell.
struct OutgoingRows {
    QList<QStringList> lines;
    QStringList total;
    QList<QStringList> trid;
    QStringList tridTotal;
};

const QStringList kLineHeader{QStringLiteral("Line"), QStringLiteral("Priced on"),
                              QStringLiteral("Gross")};
const QStringList kTridHeader{QStringLiteral("TRID disclosure"), QStringLiteral("Disclosed"),
                              QStringLiteral("Charged")};

OutgoingRows RowsOf(const ClosingQuote& quote)
{
    OutgoingRows rows;
    for (const QuotedLine& line : quote.lines)
        rows.lines.append({FromView(line.text).simplified(), PricedOnText(line),
                           QString::fromStdString(line.grossText)});
    rows.total = {QStringLiteral("Total"), QString(), Cents(quote.grossCents)};
    const StateCalcs::TridDisclosure& trid = quote.trid;
    std::optional<StateCalcs::TridSection> section;
    for (const StateCalcs::TridRow& row : trid.rows) {
        if (row.section != section)
            rows.trid.append({FromView(StateCalcs::TridSectionName(row.section))});
        section = row.section;
        // A line placed for want of a named policy says so in a word, as on screen.
        rows.trid.append(
            {QString::fromStdString(row.name)
                 + (row.policyNamed ? QString() : QStringLiteral(" (no policy named)")),
             Cents(row.disclosedCents), Cents(row.chargedCents)});
        if (!row.note.empty() && row.policyNamed)
            rows.trid.append({QStringLiteral("    ") + QString::fromStdString(row.note)});
    }
    rows.tridTotal = {QStringLiteral("Total"), Cents(trid.disclosedCents),
                      Cents(trid.chargedCents)};
    return rows;
}

QString HtmlRow(const QStringList& cells, const char* tag, int textColumns, bool bold = false)
{
    QString row = QStringLiteral("<tr>");
    for (qsizetype i = 0; i < cells.size(); ++i) {
        const QString align = i < textColumns ? QStringLiteral("left") : QStringLiteral("right");
        QString text = cells[i].toHtmlEscaped();
        if (bold)
            text = QStringLiteral("<b>") + text + QStringLiteral("</b>");
        row += QStringLiteral("<%1 align=\"%2\">%3</%1>").arg(QLatin1String(tag), align, text);
    }
    return row + QStringLiteral("</tr>");
}

} // namespace

QStringList QuoteHeading::AgencyLines() const
{
    return BookPrint::AgencyLines({agencyName, agencyAddress, agencyPhone, agencyLicense});
}

QList<QStringList> QuoteHeading::FileRows() const
{
    QList<QStringList> rows;
    const auto row = [&](const char* name, const QString& value) {
        if (!value.trimmed().isEmpty())
            rows.append({QLatin1String(name), value.trimmed()});
    };
    row("File number", fileNumber);
    row("Buyers/borrowers", buyers);
    row("Sellers", sellers);
    row("Property", county.trimmed().isEmpty() ? property
                    : property.trimmed().isEmpty()
                        ? county.trimmed() + QStringLiteral(" County")
                        : property.trimmed() + QStringLiteral(", ") + county.trimmed()
                              + QStringLiteral(" County"));
    row("Lender", lender);
    if (const QDate date = QDate::fromString(closingDate, Qt::ISODate); date.isValid())
        row("Closing date", QLocale(QLocale::English, QLocale::UnitedStates)
                                .toString(date, QStringLiteral("MMMM d, yyyy")));
    return rows;
}

QString PricedOnText(const QuotedLine& line)
{
    QStringList parts;
    for (const StateCalcs::PricedOn& on : line.pricedOn)
        parts.append(FromView(on.name) + u' ' + Amount(on.amount));
    QString text = parts.join(QStringLiteral("; "));
    if (line.role == StateCalcs::LineRole::Endorsement && line.policy)
        text += (text.isEmpty() ? QString() : QStringLiteral(", "))
                + (*line.policy == StateCalcs::Policy::Owners ? QStringLiteral("owner's policy")
                                                              : QStringLiteral("loan policy"));
    return text;
}

QString QuoteHtml(const ClosingQuote& quote, const QuoteHeading& heading)
{
    const OutgoingRows rows = RowsOf(quote);
    QString html = QStringLiteral("<html><body>");
    if (const QStringList agency = heading.AgencyLines(); !agency.isEmpty()) {
        QStringList escaped;
        for (const QString& line : agency)
            escaped.append(line.toHtmlEscaped());
        escaped[0] = QStringLiteral("<b>") + escaped[0] + QStringLiteral("</b>");
        html += QStringLiteral("<p>") + escaped.join(QStringLiteral("<br>"))
                + QStringLiteral("</p>");
    }
    html += QStringLiteral("<p><b>") + kTitle.toHtmlEscaped() + QStringLiteral("</b></p>");
    if (const QList<QStringList> file = heading.FileRows(); !file.isEmpty()) {
        html += QStringLiteral("<table cellspacing=\"0\" cellpadding=\"2\">");
        for (const QStringList& row : file)
            html += HtmlRow(row, "td", 2);
        html += QStringLiteral("</table><p></p>");
    }
    html += QStringLiteral("<table border=\"1\" cellspacing=\"0\" cellpadding=\"4\">");
    html += HtmlRow(kLineHeader, "th", 2);
    for (const QStringList& row : rows.lines)
        html += HtmlRow(row, "td", 2);
    html += HtmlRow(rows.total, "td", 2, true);
    html += QStringLiteral("</table>");
    html += QStringLiteral("<p></p><table border=\"1\" cellspacing=\"0\" cellpadding=\"4\">");
    html += HtmlRow(kTridHeader, "th", 1);
    for (const QStringList& row : rows.trid)
        html += row.size() == 1 ? QStringLiteral("<tr><td colspan=\"3\">%1</td></tr>")
                                      .arg(row[0].trimmed().toHtmlEscaped())
                                : HtmlRow(row, "td", 1);
    html += HtmlRow(rows.tridTotal, "td", 1, true);
    html += QStringLiteral("</table>");
    return html + QStringLiteral("<p>") + (kRatesEffective + u' ' + kEstimate).toHtmlEscaped()
           + QStringLiteral("</p></body></html>");
}

QString QuoteText(const ClosingQuote& quote, const QuoteHeading& heading)
{
    const OutgoingRows rows = RowsOf(quote);
    QStringList text = heading.AgencyLines();
    if (!text.isEmpty())
        text.append(QString());
    text.append(kTitle);
    if (const QList<QStringList> file = heading.FileRows(); !file.isEmpty()) {
        for (const QStringList& row : file)
            text.append(row.join(u'\t'));
        text.append(QString());
    }
    text.append(kLineHeader.join(u'\t'));
    for (const QStringList& row : rows.lines)
        text.append(row.join(u'\t'));
    text.append(rows.total.join(u'\t'));
    text.append(QString());
    text.append(kTridHeader.join(u'\t'));
    for (const QStringList& row : rows.trid)
        text.append(row.join(u'\t'));
    text.append(rows.tridTotal.join(u'\t'));
    text.append(QString());
    text.append(kRatesEffective + u' ' + kEstimate);
    return text.join(u'\n') + u'\n';
}

bool PrintQuote(QPrinter& printer, const StateCalcs::ClosingRequest& request,
                const ClosingQuote& quote, const QDate& date, const QuoteHeading& heading)
{
    QFont font = QApplication::font();
    font.setPointSizeF(10);
    // Without ligatures, so that text copied or searched in the PDF reads
    // "effective", not "e\u{fb00}ective"; Qt sets none on spaced letters.
    font.setLetterSpacing(QFont::AbsoluteSpacing, 0.05);
    BookPrint::PagedDocument printed(printer, font);

    const QString dateText = QLocale(QLocale::English, QLocale::UnitedStates)
                                 .toString(date, QStringLiteral("MMMM d, yyyy"));
    printed.Letterhead(heading.AgencyLines());
    printed.Heading(kTitle, 18);
    printed.Paragraph(dateText, {}, 12);
    // The file's rows two to a line, to keep a closing on one page.
    if (const QList<QStringList> file = heading.FileRows(); !file.isEmpty()) {
        QList<QStringList> paired;
        for (qsizetype at = 0; at < file.size(); at += 2)
            paired.append(file[at] + (at + 1 < file.size() ? file[at + 1] : QStringList{{}, {}}));
        printed.Table({}, paired, {19, 31, 19, 31}, 4);
    }

    // What the closing is, as the customer knows it; the split is the
    // agency's business and stays out.
    QList<QStringList> inputs;
    const auto given = [&](const QString& name, const std::optional<double>& amount) {
        if (amount)
            inputs.append({name, Amount(*amount)});
    };
    given(QStringLiteral("Sales price"), request.price);
    given(QStringLiteral("Loan amount"), request.loan);
    given(QStringLiteral("Prior owner's liability"), request.priorOwners);
    given(QStringLiteral("Prior loan liability"), request.priorLoan);
    inputs.append({QStringLiteral("Coverage"), request.coverage == StateCalcs::Coverage::Expanded
                                                   ? QStringLiteral("Expanded")
                                                   : QStringLiteral("Standard")});
    printed.Table({}, inputs, {30, 20, 50}, 1);

    const OutgoingRows rows = RowsOf(quote);
    printed.Table(kLineHeader, rows.lines, {56, 29, 15}, 2, rows.total);
    printed.Table(kTridHeader, rows.trid, {56, 22, 22}, 1, rows.tridTotal);
    printed.Paragraph(kRatesEffective);
    printed.Paragraph(kEstimate);
    return printed.Print(kTitle + QStringLiteral(" (continued)"), dateText);
}

} // namespace closing
