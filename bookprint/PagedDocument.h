#pragma once

// A document that goes out on paper or as a PDF: paragraphs and tables laid
// out one column wide for a paged device (a printer, a PDF writer), then cut
// into pages between paragraphs and table rows, never through one. A table
// that runs over a page repeats its header row on the next; a header row, or
// a paragraph kept with what follows, never ends a page alone. Each page
// after the first carries a running head; every page "Page n of m".

#include "book/BookSettings.h"

#include <QFont>
#include <QList>
#include <QRectF>
#include <QString>
#include <QStringList>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextDocument>

class QPagedPaintDevice;
class QTextTable;

namespace BookPrint {

// The agency's letterhead: "Ozark Title Co.", "12 Main St, Little Rock, AR
// 72201", "Phone 501-555-0100 · License 100123"; only what is given.
QStringList AgencyLines(const Book::Agency& agency);

class PagedDocument {
public:
    // Laid out for `device`'s page as it is set now, in `font`.
    PagedDocument(QPagedPaintDevice& device, const QFont& font);
    PagedDocument(const PagedDocument&) = delete;
    PagedDocument& operator=(const PagedDocument&) = delete;

    // The agency's name large, then its address, phone and licence in grey.
    void Letterhead(const QStringList& agencyLines);
    void Heading(const QString& text, qreal size, bool keepWithNext = false);
    // `spaceAfter` in points.
    void Paragraph(const QString& text, const QTextCharFormat& format = {}, qreal spaceAfter = 6,
                   bool keepWithNext = false);
    // A table whose first row is its header (none when `header` is empty);
    // the first `textColumns` columns are text, the others figures, right
    // aligned; `widths` in percent of the page. A row of one cell spans the
    // table: a title in bold, or, begun with spaces, a note in italics.
    void Table(const QStringList& header, const QList<QStringList>& rows,
               const QList<qreal>& widths, int textColumns, const QStringList& boldRow = {});

    // Paints the document on the device's pages, `runningLeft` and
    // `runningRight` at the head of each page after the first. False when
    // the device cannot be painted.
    bool Print(const QString& runningLeft, const QString& runningRight);

    // A slice of the document for each page, and on a page that continues a
    // table, that table's header row above the slice.
    struct PageSlice {
        qreal top, bottom;                     // of the document, in its coordinates
        qreal headerTop = 0, headerBottom = 0; // a header to repeat; empty when none
    };
    QList<PageSlice> Pages() const;

private:
    void Row(QTextTable* table, int row, QStringList cells, int textColumns, bool bold,
             const QColor& background);

    struct LaidTable {
        QTextTable* table;
        bool header;
    };

    QPagedPaintDevice& m_device;
    QTextDocument m_document;
    QTextCursor m_cursor;
    QFont m_small;
    QRectF m_paper, m_body;
    qreal m_band = 0;
    bool m_started = false;
    QList<LaidTable> m_tables;
};

} // namespace BookPrint
