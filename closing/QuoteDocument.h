#pragma once

// The quote as it leaves the agency: copied into an e-mail, a spreadsheet or
// a word processor, or printed for the customer and the lender. What goes
// out shows the charges (Gross), the totals and the TRID disclosure; the
// premium split and the remittances are the agency's business and stay on
// its screen.

#include "engine/Closing.h"

#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>

class QPrinter;

namespace closing {

// Who the quote comes from and what file it is for, at its head: the
// agency as its settings give it, the file number, the parties, the
// property and the closing date. Empty for a quick quote from an agency
// that has given no name.
struct QuoteHeading {
    QString agencyName, agencyAddress, agencyPhone, agencyLicense;
    QString fileNumber, buyers, sellers, property, county, lender, closingDate;

    // "Ozark Title Co.", "12 Main St, Little Rock, AR 72201",
    // "Phone 501-555-0100 · License 100123"; only what is given.
    QStringList AgencyLines() const;
    // {"File number", "2026-00012"}, {"Buyers/borrowers", ...}; only what is given.
    QList<QStringList> FileRows() const;
};

// The amounts a line is priced on, as the window and the quote show them:
// "Liability 250,000.00; Prior Policy Liability 100,000.00".
QString PricedOnText(const StateCalcs::QuotedLine& line);

// The quote as an HTML table and as tab-separated text, for the clipboard.
QString QuoteHtml(const StateCalcs::ClosingQuote& quote, const QuoteHeading& heading = {});
QString QuoteText(const StateCalcs::ClosingQuote& quote, const QuoteHeading& heading = {});

// Lays the quote out on the printer's pages (the agency, the title, the
// date, the file and its parties, what the
// closing is, the lines, the totals, the TRID disclosure, the rates it is
// priced by) and prints it; the lines' header row repeats on every page they
// run over. False when the printer cannot be started.
bool PrintQuote(QPrinter& printer, const StateCalcs::ClosingRequest& request,
                const StateCalcs::ClosingQuote& quote, const QDate& date,
                const QuoteHeading& heading = {});

} // namespace closing
