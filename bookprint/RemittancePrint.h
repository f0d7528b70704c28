#pragma once

// The month's remittance report on paper and as a PDF, as the agency sends
// it to its underwriter with the check: the agency's letterhead, the lines
// issued in the month, the late lines and the adjustments, and the totals.
// The closing window prints and previews it through the same function as
// tarnwell-book writes its PDF.

#include "book/BookSettings.h" // Book::Agency
#include "book/Remittance.h"   // Book::RemittanceReport

#include <QByteArray>

class QPagedPaintDevice;

namespace BookPrint {

// Lays the month's remittance report on the device's pages (US Letter): the agency's letterhead,
// the title (underwriter, month), the check when the report was sent, the table of lines with its
// header row repeated on every page, rows never split between pages, the late lines and
// adjustments, the totals (Remit of the lines, the adjustments, the check) and "Page n of m" on
// every page. False when the device cannot be painted.
bool PaintRemittanceReport(QPagedPaintDevice& device, const Book::RemittanceReport& report,
                           const Book::Agency& agency);

// The report as PDF bytes; a sent report's PDF as it was stored when sent (report.pdf) when it
// has one.
QByteArray RemittanceReportPdf(const Book::RemittanceReport& report, const Book::Agency& agency);

} // namespace BookPrint
