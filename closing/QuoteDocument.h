#pragma once

// The quote as it leaves the agency: copied into an e-mail, a spreadsheet or
// a word processor, or printed for the customer and the lender. What goes
// out shows the charges (Gross), the totals and the TRID disclosure; the
// premium split and the remittances are the agency's business and stay on
// its screen.

#include "engine/Closing.h"

#include <QDate>
#include <QString>

class QPrinter;

namespace closing {

// The amounts a line is priced on, as the window and the quote show them:
// "Liability 250,000.00; Prior Policy Liability 100,000.00".
QString PricedOnText(const StateCalcs::QuotedLine& line);

// The quote as an HTML table and as tab-separated text, for the clipboard.
QString QuoteHtml(const StateCalcs::ClosingQuote& quote);
QString QuoteText(const StateCalcs::ClosingQuote& quote);

// Lays the quote out on the printer's pages (the title, the date, what the
// closing is, the lines, the totals, the TRID disclosure, the rates it is
// priced by) and prints it; the lines' header row repeats on every page they
// run over. False when the printer cannot be started.
bool PrintQuote(QPrinter& printer, const StateCalcs::ClosingRequest& request,
                const StateCalcs::ClosingQuote& quote, const QDate& date);

} // namespace closing
