#include "bookprint/PagedDocument.h"

#include <QAbstractTextDocumentLayout>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QTextBlock>
#include <QTextTable>

#include <algorithm>

namespace BookPrint {
namespace {

// Margins, padding and borders are in screen pixels (1/96 inch), which the
// layout scales to the device; a point is 96/72 of them.
constexpr qreal kPoint = 96.0 / 72.0;

// A paragraph that must not end a page: a heading, a table's title.
constexpr int kKeepWithNext = QTextFormat::UserProperty + 1;

} // namespace

QStringList AgencyLines(const Book::Agency& agency)
{
    QStringList lines;
    for (const QString& line : {agency.name, agency.address})
        if (!line.trimmed().isEmpty())
            lines.append(line.trimmed());
    QStringList contact;
    if (!agency.phone.trimmed().isEmpty())
        contact.append(QStringLiteral("Phone ") + agency.phone.trimmed());
    if (!agency.license.trimmed().isEmpty())
        contact.append(QStringLiteral("License ") + agency.license.trimmed());
    if (!contact.isEmpty())
        lines.append(contact.join(QStringLiteral(" · ")));
    return lines;
}

PagedDocument::PagedDocument(QPagedPaintDevice& device, const QFont& font)
    : m_device(device), m_cursor(&m_document), m_small(font)
{
    m_paper = QRectF(QPointF(0, 0),
                     device.pageLayout().paintRectPixels(device.logicalDpiX()).size().toSizeF());
    m_small.setPointSizeF(font.pointSizeF() * 0.8);
    m_band = QFontMetricsF(m_small, &device).height() * 2.5;
    m_body = m_paper.adjusted(0, m_band, 0, -m_band);
    m_document.documentLayout()->setPaintDevice(&device);
    m_document.setDefaultFont(font);
    m_document.setDocumentMargin(0);
    // One long page, cut into the device's pages when printed.
    m_document.setTextWidth(m_body.width());
}

void PagedDocument::Letterhead(const QStringList& agencyLines)
{
    for (qsizetype at = 0; at < agencyLines.size(); ++at) {
        if (at == 0) {
            Heading(agencyLines[0], 14, agencyLines.size() > 1);
            continue;
        }
        QTextCharFormat grey;
        grey.setForeground(QColor(0x44, 0x44, 0x44));
        const bool last = at + 1 == agencyLines.size();
        Paragraph(agencyLines[at], grey, last ? 14 : 1, !last);
    }
}

void PagedDocument::Heading(const QString& text, qreal size, bool keepWithNext)
{
    QTextCharFormat format;
    format.setFontPointSize(size);
    format.setFontWeight(QFont::Bold);
    Paragraph(text, format, size * 0.4, keepWithNext);
}

void PagedDocument::Paragraph(const QString& text, const QTextCharFormat& format, qreal spaceAfter,
                              bool keepWithNext)
{
    QTextBlockFormat block;
    block.setTopMargin(0);
    block.setBottomMargin(spaceAfter * kPoint);
    block.setProperty(kKeepWithNext, keepWithNext);
    if (m_started) {
        m_cursor.insertBlock(block, format);
    } else {
        m_cursor.setBlockFormat(block);
        m_cursor.setBlockCharFormat(format);
    }
    m_started = true;
    m_cursor.insertText(text, format);
}

void PagedDocument::Table(const QStringList& header, const QList<QStringList>& rows,
                          const QList<qreal>& widths, int textColumns, const QStringList& boldRow)
{
    QTextTableFormat format;
    format.setWidth(QTextLength(QTextLength::PercentageLength, 100));
    QList<QTextLength> columns;
    for (const qreal width : widths)
        columns.append(QTextLength(QTextLength::PercentageLength, width));
    format.setColumnWidthConstraints(columns);
    format.setCellPadding(3 * kPoint);
    format.setCellSpacing(0);
    // Half a pixel round each cell: two cells side by side make one thin
    // line. (Collapsed borders look the same and make a month's report of
    // sixty pages three times slower to lay out and paint.)
    format.setBorder(header.isEmpty() ? 0 : 0.5);
    format.setBorderBrush(QColor(0x9e, 0x9e, 0x9e));
    format.setBorderStyle(QTextFrameFormat::BorderStyle_Solid);
    format.setBottomMargin(10 * kPoint);
    const int rowCount = static_cast<int>(rows.size() + (header.isEmpty() ? 0 : 1)
                                          + (boldRow.isEmpty() ? 0 : 1));
    // One edit: the table is laid out once, not again after each cell.
    m_cursor.beginEditBlock();
    QTextTable* table = m_cursor.insertTable(rowCount, static_cast<int>(widths.size()), format);
    m_tables.append({table, !header.isEmpty()});
    int row = 0;
    if (!header.isEmpty())
        Row(table, row++, header, textColumns, true, QColor(0xee, 0xee, 0xee));
    for (const QStringList& cells : rows)
        Row(table, row++, cells, textColumns, false, {});
    if (!boldRow.isEmpty())
        Row(table, row, boldRow, textColumns, true, {});
    m_cursor.endEditBlock();
    // The next paragraph goes in the empty one that follows a table.
    m_cursor.movePosition(QTextCursor::End);
    m_started = false;
}

void PagedDocument::Row(QTextTable* table, int row, QStringList cells, int textColumns, bool bold,
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

QList<PagedDocument::PageSlice> PagedDocument::Pages() const
{
    QAbstractTextDocumentLayout* layout = m_document.documentLayout();
    const auto extent = [layout](const QTextBlock& block) {
        const QRectF rect = layout->blockBoundingRect(block);
        return std::pair{rect.top(), rect.bottom()};
    };
    // What must stay whole: each paragraph outside the tables and each row
    // of a table, by the extent of its text; and whether a page may end
    // after it.
    struct Piece {
        qreal top, bottom;
        bool keepWithNext;
        bool operator<(const Piece& other) const
        {
            return std::pair{top, bottom} < std::pair{other.top, other.bottom};
        }
    };
    QList<Piece> pieces;
    struct Header {
        qreal top, bottom, tableBottom;
    };
    QList<Header> headers;
    for (QTextBlock block = m_document.begin(); block.isValid(); block = block.next())
        if (!QTextCursor(block).currentTable()) {
            const auto [top, bottom] = extent(block);
            pieces.append({top, bottom, block.blockFormat().boolProperty(kKeepWithNext)});
        }
    for (const LaidTable& laid : m_tables) {
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
            // A header row goes over the page with the first row under it.
            pieces.append({whole.first, whole.second, laid.header && row == 0});
        }
        if (laid.header && rows.size() > 1) {
            // The header with its padding: halfway to the row above and below.
            const qreal padding = (rows[1].first - rows[0].second) / 2;
            headers.append({rows[0].first - padding, rows[0].second + padding, rows.last().second});
        }
    }
    std::sort(pieces.begin(), pieces.end());
    // Where a page may end: halfway between two pieces that do not overlap,
    // unless the first is kept with the next.
    QList<qreal> breaks;
    for (qsizetype i = 1; i < pieces.size(); ++i)
        if (pieces[i - 1].bottom <= pieces[i].top && !pieces[i - 1].keepWithNext)
            breaks.append((pieces[i - 1].bottom + pieces[i].top) / 2);
    const qreal end = layout->documentSize().height();
    const qreal pageHeight = m_body.height();
    if (pageHeight <= 0)
        return {}; // a page with no room below its bands takes nothing

    QList<PageSlice> pages;
    PageSlice page{0, 0};
    while (true) {
        const qreal room = pageHeight - (page.headerBottom - page.headerTop);
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
        // A header taller than a third of a page is not repeated, so that
        // each page moves the document on by two thirds of a page at least.
        for (const Header& header : headers)
            if (cut > header.bottom && cut < header.tableBottom
                && header.bottom - header.top <= pageHeight / 3)
                page.headerTop = header.top, page.headerBottom = header.bottom;
    }
}

bool PagedDocument::Print(const QString& runningLeft, const QString& runningRight)
{
    const QList<PageSlice> slices = Pages();
    QPainter painter;
    if (slices.isEmpty() || !painter.begin(&m_device))
        return false;
    const auto pages = slices.size();
    // Draws a band of the document at `at` on the page, and nothing outside it.
    const auto draw = [&](qreal top, qreal bottom, qreal at) {
        painter.save();
        painter.translate(m_body.left(), at - top);
        m_document.drawContents(&painter, QRectF(0, top, m_body.width(), bottom - top));
        painter.restore();
    };
    for (qsizetype page = 0; page < pages; ++page) {
        if (page > 0)
            m_device.newPage();
        painter.setFont(m_small);
        painter.setPen(QColor(0x55, 0x55, 0x55));
        if (page > 0) {
            const QRectF head(0, 0, m_paper.width(), m_band * 0.6);
            painter.drawText(head, Qt::AlignLeft | Qt::AlignTop, runningLeft);
            painter.drawText(head, Qt::AlignRight | Qt::AlignTop, runningRight);
        }
        const QRectF foot(0, m_paper.height() - m_band * 0.6, m_paper.width(), m_band * 0.6);
        painter.drawText(foot, Qt::AlignRight | Qt::AlignBottom,
                         QStringLiteral("Page %1 of %2").arg(page + 1).arg(pages));
        const PageSlice& slice = slices[page];
        const qreal header = slice.headerBottom - slice.headerTop;
        if (header > 0)
            draw(slice.headerTop, slice.headerBottom, m_body.top());
        draw(slice.top, slice.bottom, m_body.top() + header);
    }
    return painter.end();
}

} // namespace BookPrint
