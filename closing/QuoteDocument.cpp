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

#include <algorithm>

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
        m_tables.append({table, !header.isEmpty()});
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

    // The tables laid out, each with whether its first row is a header.
    struct LaidTable {
        QTextTable* table;
        bool header;
    };
    const QList<LaidTable>& Tables() const { return m_tables; }

private:
    void Row(QTextTable* table, int row, QStringList cells, int textColumns, bool bold,
             const QColor& background)
    {
        // A row of one cell (a section's title, or an indented note) spans the table.
        if (cells.size() == 1 && table->columns() > 1) {
            table->mergeCells(row, 0, 1, table->columns());
            const bool note = cells[0].startsWith(u' ');
            bold = bold || !note;
            cells[0] = cells[0].trimmed();
            if (note) {
                QTextCursor cursor = table->cellAt(row, 0).firstCursorPosition();
                QTextCharFormat italic;
                italic.setFontItalic(true);
                cursor.insertText(cells[0], italic);
                return;
            }
        }
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
    QList<LaidTable> m_tables;
};

// The document cut into pages between its rows and paragraphs, never
// through one: a slice of the document for each page, and on a page that
// continues a table, that table's header row above the slice.
struct PageSlice {
    qreal top, bottom;                     // of the document, in its coordinates
    qreal headerTop = 0, headerBottom = 0; // a header to repeat; empty when none
};

QList<PageSlice> CutIntoPages(QTextDocument& document, const QList<PrintedQuote::LaidTable>& tables,
                              qreal pageHeight)
{
    QAbstractTextDocumentLayout* layout = document.documentLayout();
    const auto extent = [layout](const QTextBlock& block) {
        const QRectF rect = layout->blockBoundingRect(block);
        return std::pair{rect.top(), rect.bottom()};
    };
    // What must stay whole: each paragraph outside the tables and each row
    // of a table, by the extent of its text.
    QList<std::pair<qreal, qreal>> pieces;
    struct Header {
        qreal top, bottom, tableBottom;
    };
    QList<Header> headers;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next())
        if (!QTextCursor(block).currentTable())
            pieces.append(extent(block));
    for (const PrintedQuote::LaidTable& laid : tables) {
        QTextTable* table = laid.table;
        QList<std::pair<qreal, qreal>> rows;
        for (int row = 0; row < table->rows(); ++row) {
            std::pair<qreal, qreal> whole{1e12, -1e12};
            for (int column = 0; column < table->columns(); ++column) {
                const QTextTableCell cell = table->cellAt(row, column);
                if (cell.row() != row || cell.column() != column)
                    continue; // covered by a merged cell
                for (const QTextBlock& block :
                     {cell.firstCursorPosition().block(), cell.lastCursorPosition().block()}) {
                    const auto [top, bottom] = extent(block);
                    whole = {std::min(whole.first, top), std::max(whole.second, bottom)};
                }
            }
            rows.append(whole);
        }
        pieces.append(rows);
        if (laid.header && rows.size() > 1) {
            // The header with its padding: halfway to the row above and below.
            const qreal padding = (rows[1].first - rows[0].second) / 2;
            headers.append({rows[0].first - padding, rows[0].second + padding, rows.last().second});
        }
    }
    std::sort(pieces.begin(), pieces.end());
    // Where a page may end: halfway between two pieces that do not overlap.
    QList<qreal> breaks;
    for (qsizetype i = 1; i < pieces.size(); ++i)
        if (pieces[i - 1].second <= pieces[i].first)
            breaks.append((pieces[i - 1].second + pieces[i].first) / 2);
    const qreal end = layout->documentSize().height();

    QList<PageSlice> pages;
    PageSlice page{0, 0};
    while (true) {
        const qreal room = std::max(pageHeight - (page.headerBottom - page.headerTop),
                                    pageHeight / 2);
        if (end - page.top <= room) {
            page.bottom = end;
            pages.append(page);
            return pages;
        }
        qreal cut = page.top + room;
        const auto last = std::upper_bound(breaks.begin(), breaks.end(), cut);
        if (last != breaks.begin() && *(last - 1) > page.top)
            cut = *(last - 1); // else a piece taller than a page is cut where it must be
        page.bottom = cut;
        pages.append(page);
        page = {cut, 0};
        for (const Header& header : headers)
            if (cut > header.bottom && cut < header.tableBottom)
                page.headerTop = header.top, page.headerBottom = header.bottom;
    }
}

} // namespace

QStringList QuoteHeading::AgencyLines() const
{
    QStringList lines;
    for (const QString& line : {agencyName, agencyAddress})
        if (!line.trimmed().isEmpty())
            lines.append(line.trimmed());
    QStringList contact;
    if (!agencyPhone.trimmed().isEmpty())
        contact.append(QStringLiteral("Phone ") + agencyPhone.trimmed());
    if (!agencyLicense.trimmed().isEmpty())
        contact.append(QStringLiteral("License ") + agencyLicense.trimmed());
    if (!contact.isEmpty())
        lines.append(contact.join(QStringLiteral(" · ")));
    return lines;
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
    // One long page, cut into the printer's pages below.
    document.setTextWidth(body.width());

    const QString dateText = QLocale(QLocale::English, QLocale::UnitedStates)
                                 .toString(date, QStringLiteral("MMMM d, yyyy"));
    PrintedQuote printed(document, point);
    // The agency's letterhead: its name large, its address, phone and licence.
    const QStringList agency = heading.AgencyLines();
    for (qsizetype at = 0; at < agency.size(); ++at) {
        if (at == 0) {
            printed.Heading(agency[0], 14);
            continue;
        }
        QTextCharFormat grey;
        grey.setForeground(QColor(0x44, 0x44, 0x44));
        printed.Paragraph(agency[at], grey, at + 1 == agency.size() ? 14 : 1);
    }
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

    const QList<PageSlice> slices = CutIntoPages(document, printed.Tables(), body.height());
    const auto pages = slices.size();
    // Draws a band of the document at `at` on the page, and nothing outside it.
    const auto draw = [&](qreal top, qreal bottom, qreal at) {
        painter.save();
        painter.translate(body.left(), at - top);
        document.drawContents(&painter, QRectF(0, top, body.width(), bottom - top));
        painter.restore();
    };
    for (qsizetype page = 0; page < pages; ++page) {
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
        const PageSlice& slice = slices[page];
        const qreal header = slice.headerBottom - slice.headerTop;
        if (header > 0)
            draw(slice.headerTop, slice.headerBottom, body.top());
        draw(slice.top, slice.bottom, body.top() + header);
    }
    return painter.end();
}

} // namespace closing
