#include "closing/QuoteDocument.h"

#include "engine/NumberText.h"

#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QLocale>
#include <QPainter>
#include <QPrinter>
#include <QStringList>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextTable>

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
// disclosure of each policy the closing has. Each row is its cells.
struct OutgoingRows {
    QList<QStringList> lines;
    QStringList total;
    QList<QStringList> trid;
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
    if (trid.hasLoanPolicy)
        rows.trid.append({FromView(StateCalcs::kLendersTitleInsurance),
                          Cents(trid.lendersDisclosedCents), Cents(trid.lendersChargedCents)});
    if (trid.hasOwnersPolicy)
        rows.trid.append({FromView(StateCalcs::kOwnersTitleInsurance),
                          Cents(trid.ownersDisclosedCents), Cents(trid.ownersChargedCents)});
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

// ---- The printed quote ---------------------------------------------------------

// Builds the printed quote in a text document laid out for one printer.
class PrintedQuote {
public:
    PrintedQuote(QTextDocument& document, qreal point) : m_cursor(&document), m_point(point) {}

    void Heading(const QString& text, qreal size)
    {
        QTextCharFormat format;
        format.setFontPointSize(size);
        format.setFontWeight(QFont::Bold);
        Paragraph(text, format, size * 0.4);
    }

    void Paragraph(const QString& text, const QTextCharFormat& format = {}, qreal spaceAfter = 6)
    {
        QTextBlockFormat block;
        block.setTopMargin(0);
        block.setBottomMargin(spaceAfter * m_point);
        if (m_started) {
            m_cursor.insertBlock(block, format);
        } else {
            m_cursor.setBlockFormat(block);
            m_cursor.setBlockCharFormat(format);
        }
        m_started = true;
        m_cursor.insertText(text, format);
    }

    // A table whose first row is its header, repeated on every page it runs
    // over; the first `textColumns` columns are text, the others figures.
    void Table(const QStringList& header, const QList<QStringList>& rows,
               const QList<qreal>& widths, int textColumns, const QStringList& boldRow = {})
    {
        QTextTableFormat format;
        format.setHeaderRowCount(header.isEmpty() ? 0 : 1);
        format.setWidth(QTextLength(QTextLength::PercentageLength, 100));
        QList<QTextLength> columns;
        for (const qreal width : widths)
            columns.append(QTextLength(QTextLength::PercentageLength, width));
        format.setColumnWidthConstraints(columns);
        format.setCellPadding(3 * m_point);
        format.setCellSpacing(0);
        format.setBorder(header.isEmpty() ? 0 : 1);
        format.setBorderBrush(QColor(0x9e, 0x9e, 0x9e));
        format.setBorderStyle(QTextFrameFormat::BorderStyle_Solid);
        format.setBorderCollapse(true);
        format.setBottomMargin(10 * m_point);
        const int rowCount = static_cast<int>(rows.size() + (header.isEmpty() ? 0 : 1)
                                              + (boldRow.isEmpty() ? 0 : 1));
        QTextTable* table = m_cursor.insertTable(rowCount, static_cast<int>(widths.size()), format);
        int row = 0;
        if (!header.isEmpty())
            Row(table, row++, header, textColumns, true, QColor(0xee, 0xee, 0xee));
        for (const QStringList& cells : rows)
            Row(table, row++, cells, textColumns, false, {});
        if (!boldRow.isEmpty())
            Row(table, row, boldRow, textColumns, true, {});
        // The next paragraph goes in the empty one that follows a table.
        m_cursor.movePosition(QTextCursor::End);
        m_started = false;
    }

private:
    void Row(QTextTable* table, int row, const QStringList& cells, int textColumns, bool bold,
             const QColor& background)
    {
        for (int column = 0; column < cells.size(); ++column) {
            QTextTableCell cell = table->cellAt(row, column);
            if (background.isValid()) {
                QTextTableCellFormat format = cell.format().toTableCellFormat();
                format.setBackground(background);
                cell.setFormat(format);
            }
            QTextCursor cursor = cell.firstCursorPosition();
            QTextBlockFormat block;
            block.setAlignment(column < textColumns ? Qt::AlignLeft : Qt::AlignRight);
            cursor.setBlockFormat(block);
            QTextCharFormat text;
            text.setFontWeight(bold ? QFont::Bold : QFont::Normal);
            cursor.insertText(cells[column], text);
        }
    }

    QTextCursor m_cursor;
    qreal m_point;
    bool m_started = false;
};

} // namespace

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

QString QuoteHtml(const ClosingQuote& quote)
{
    const OutgoingRows rows = RowsOf(quote);
    QString html = QStringLiteral("<html><body><p><b>") + kTitle.toHtmlEscaped()
                   + QStringLiteral("</b></p><table border=\"1\" cellspacing=\"0\" "
                                    "cellpadding=\"4\">");
    html += HtmlRow(kLineHeader, "th", 2);
    for (const QStringList& row : rows.lines)
        html += HtmlRow(row, "td", 2);
    html += HtmlRow(rows.total, "td", 2, true);
    html += QStringLiteral("</table>");
    if (!rows.trid.isEmpty()) {
        html += QStringLiteral("<p></p><table border=\"1\" cellspacing=\"0\" cellpadding=\"4\">");
        html += HtmlRow(kTridHeader, "th", 1);
        for (const QStringList& row : rows.trid)
            html += HtmlRow(row, "td", 1);
        html += QStringLiteral("</table>");
    }
    return html + QStringLiteral("<p>") + (kRatesEffective + u' ' + kEstimate).toHtmlEscaped()
           + QStringLiteral("</p></body></html>");
}

QString QuoteText(const ClosingQuote& quote)
{
    const OutgoingRows rows = RowsOf(quote);
    QStringList text{kTitle, kLineHeader.join(u'\t')};
    for (const QStringList& row : rows.lines)
        text.append(row.join(u'\t'));
    text.append(rows.total.join(u'\t'));
    if (!rows.trid.isEmpty()) {
        text.append(QString());
        text.append(kTridHeader.join(u'\t'));
        for (const QStringList& row : rows.trid)
            text.append(row.join(u'\t'));
    }
    text.append(QString());
    text.append(kRatesEffective + u' ' + kEstimate);
    return text.join(u'\n') + u'\n';
}

bool PrintQuote(QPrinter& printer, const StateCalcs::ClosingRequest& request,
                const ClosingQuote& quote, const QDate& date)
{
    QPainter painter;
    if (!painter.begin(&printer))
        return false;
    // The page is in the printer's dots; margins, padding and borders are in
    // screen pixels (1/96 inch), which the layout scales to the printer.
    const qreal point = 96.0 / 72.0;
    const QRectF paper(QPointF(0, 0), printer.pageRect(QPrinter::DevicePixel).size());
    QFont font = QApplication::font();
    font.setPointSizeF(10);
    // Without ligatures, so that text copied or searched in the PDF reads
    // "effective", not "e\u{fb00}ective"; Qt sets none on spaced letters.
    font.setLetterSpacing(QFont::AbsoluteSpacing, 0.05);
    QFont small = font;
    small.setPointSizeF(8);
    const qreal band = QFontMetricsF(small, &printer).height() * 2.5;
    const QRectF body = paper.adjusted(0, band, 0, -band);

    QTextDocument document;
    document.documentLayout()->setPaintDevice(&printer);
    document.setDefaultFont(font);
    document.setDocumentMargin(0);
    document.setPageSize(body.size());

    const QString dateText = QLocale(QLocale::English, QLocale::UnitedStates)
                                 .toString(date, QStringLiteral("MMMM d, yyyy"));
    PrintedQuote printed(document, point);
    printed.Heading(kTitle, 18);
    printed.Paragraph(dateText, {}, 12);

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
    if (!rows.trid.isEmpty())
        printed.Table(kTridHeader, rows.trid, {56, 22, 22}, 1);
    printed.Paragraph(kRatesEffective);
    printed.Paragraph(kEstimate);

    const int pages = document.pageCount();
    for (int page = 0; page < pages; ++page) {
        if (page > 0)
            printer.newPage();
        painter.setFont(small);
        painter.setPen(QColor(0x55, 0x55, 0x55));
        if (page > 0) {
            const QRectF head(0, 0, paper.width(), band * 0.6);
            painter.drawText(head, Qt::AlignLeft | Qt::AlignTop,
                             kTitle + QStringLiteral(" (continued)"));
            painter.drawText(head, Qt::AlignRight | Qt::AlignTop, dateText);
        }
        const QRectF foot(0, paper.height() - band * 0.6, paper.width(), band * 0.6);
        painter.drawText(foot, Qt::AlignRight | Qt::AlignBottom,
                         QStringLiteral("Page %1 of %2").arg(page + 1).arg(pages));
        painter.save();
        painter.translate(body.left(), body.top() - page * body.height());
        document.drawContents(&painter,
                              QRectF(0, page * body.height(), body.width(), body.height()));
        painter.restore();
    }
    return painter.end();
}

} // namespace closing
