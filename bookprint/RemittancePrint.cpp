#include "bookprint/RemittancePrint.h"

#include "bookprint/PagedDocument.h"

#include "engine/NumberText.h"

#include <QBuffer>
#include <QDate>
#include <QGuiApplication>
#include <QLocale>
#include <QPageLayout>
#include <QPdfWriter>

namespace BookPrint {
namespace {

using Kind = Book::ReportLine::Kind;

QString Cents(std::int64_t cents)
{
    return QString::fromStdString(StateCalcs::FormatCents(cents));
}

QString Dated(const QString& iso, const QString& format)
{
    const QDate date = QDate::fromString(iso, Qt::ISODate);
    return date.isValid() ? QLocale(QLocale::English, QLocale::UnitedStates).toString(date, format)
                          : iso;
}

QString MonthName(const QString& month)
{
    return Dated(month + QStringLiteral("-01"), QStringLiteral("MMMM yyyy"));
}

// "Liability 150,000.00", and under it "Prior Policy Liability 140,000.00".
QString PricedOn(const Book::StoredLine& line)
{
    QStringList parts;
    for (const Book::StoredPricedOn& on : line.pricedOn)
        parts.append(on.name + u' ' + Cents(on.cents));
    return parts.join(u'\n');
}

// The lines and the late lines are listed alike; an adjustment gives its
// reason where a line gives its code and amounts.
const QStringList kLineHeader{QStringLiteral("File"),   QStringLiteral("Insured"),
                              QStringLiteral("Policy"), QStringLiteral("Issued"),
                              QStringLiteral("Code"),   QStringLiteral("Priced on"),
                              QStringLiteral("Gross"),  QStringLiteral("Remit")};
const QList<qreal> kLineWidths{11, 17, 9, 11, 6, 22, 12, 12};
const QStringList kAdjustmentHeader{QStringLiteral("File"),   QStringLiteral("Insured"),
                                    QStringLiteral("Policy"), QStringLiteral("Issued"),
                                    QStringLiteral("Reason"), QStringLiteral("Gross"),
                                    QStringLiteral("Remit")};
const QList<qreal> kAdjustmentWidths{11, 17, 9, 11, 28, 12, 12};

QStringList Cells(const Book::ReportLine& row)
{
    QStringList cells{row.fileNumber, row.insured, row.policyNumbers,
                      Dated(row.issueDate, QStringLiteral("M/d/yyyy"))};
    if (row.kind == Kind::Adjustment)
        cells << row.reason;
    else
        cells << row.line.code << PricedOn(row.line);
    return cells << Cents(row.grossCents) << Cents(row.remitCents);
}

// A table of the rows of one kind, with their total; a note when there are none.
void Section(PagedDocument& document, const Book::RemittanceReport& report, Kind kind,
             const QString& title, const QString& none)
{
    QList<QStringList> rows;
    std::int64_t gross = 0, remit = 0;
    for (const Book::ReportLine& row : report.rows)
        if (row.kind == kind) {
            rows.append(Cells(row));
            gross += row.grossCents;
            remit += row.remitCents;
        }
    if (rows.isEmpty() && none.isEmpty())
        return;
    QTextCharFormat bold;
    bold.setFontWeight(QFont::Bold);
    bold.setFontPointSize(11);
    document.Paragraph(title, bold, 4, true);
    const bool adjustments = kind == Kind::Adjustment;
    const QStringList& header = adjustments ? kAdjustmentHeader : kLineHeader;
    if (rows.isEmpty())
        rows.append({QStringLiteral("    ") + none});
    QStringList total(header.size() - 2);
    total[0] = QStringLiteral("Total");
    total << Cents(gross) << Cents(remit);
    document.Table(header, rows, adjustments ? kAdjustmentWidths : kLineWidths,
                   static_cast<int>(header.size() - 2), total);
}

} // namespace

bool PaintRemittanceReport(QPagedPaintDevice& device, const Book::RemittanceReport& report,
                           const Book::Agency& agency)
{
    // US Letter upright, with at least half an inch of margin.
    QMarginsF margins = device.pageLayout().margins(QPageLayout::Point);
    const qreal least = 36;
    margins = QMarginsF(std::max(margins.left(), least), std::max(margins.top(), least),
                        std::max(margins.right(), least), std::max(margins.bottom(), least));
    device.setPageLayout(QPageLayout(QPageSize(QPageSize::Letter), QPageLayout::Portrait, margins,
                                     QPageLayout::Point));

    QFont font = QGuiApplication::font();
    font.setPointSizeF(8.5);
    // Without ligatures, so that text copied or searched in the PDF reads
    // "effective", not "e\u{fb00}ective"; Qt sets none on spaced letters.
    font.setLetterSpacing(QFont::AbsoluteSpacing, 0.05);
    PagedDocument document(device, font);
    document.Letterhead(AgencyLines(agency));

    const QString month = MonthName(report.month);
    const QString title = QStringLiteral("Remittance to %1 for %2").arg(report.underwriter, month);
    document.Heading(title, 16);
    document.Paragraph(
        report.sent
            ? QStringLiteral("Check %1, paid %2")
                  .arg(report.checkNumber, Dated(report.paidDate, QStringLiteral("MMMM d, yyyy")))
            : QStringLiteral("Not sent: no check is recorded yet"),
        {}, 12);

    Section(document, report, Kind::Line, QStringLiteral("Lines issued in ") + month,
            QStringLiteral("No lines issued in ") + month);
    Section(document, report, Kind::Late,
            QStringLiteral("Late lines: issued in a month already sent"), {});
    Section(document, report, Kind::Adjustment,
            QStringLiteral("Adjustments to reports already sent"), {});

    QTextCharFormat bold;
    bold.setFontWeight(QFont::Bold);
    bold.setFontPointSize(11);
    document.Paragraph(QStringLiteral("Totals"), bold, 4, true);
    document.Table(
        {},
        {{QStringLiteral("Remit of the lines"), Cents(report.linesRemitCents)},
         {QStringLiteral("Adjustments"), Cents(report.adjustmentRemitCents)}},
        {88, 12}, 1,
        {report.sent ? QStringLiteral("Check %1").arg(report.checkNumber) : QStringLiteral("Check"),
         Cents(report.CheckCents())});

    return document.Print(title + QStringLiteral(" (continued)"), agency.name.trimmed());
}

QByteArray RemittanceReportPdf(const Book::RemittanceReport& report, const Book::Agency& agency)
{
    if (report.sent && !report.pdf.isEmpty())
        return report.pdf;
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    {
        QPdfWriter writer(&buffer);
        writer.setTitle(QStringLiteral("Remittance to %1 for %2")
                            .arg(report.underwriter, MonthName(report.month)));
        writer.setCreator(QStringLiteral("Tarnwell"));
        writer.setPageLayout(QPageLayout(QPageSize(QPageSize::Letter), QPageLayout::Portrait,
                                         QMarginsF(36, 36, 36, 36), QPageLayout::Point));
        if (!PaintRemittanceReport(writer, report, agency))
            return {};
    }
    return bytes;
}

} // namespace BookPrint
