#pragma once

// A file's course after the closing, and what the agency owes its
// underwriters for it. Each policy issued puts its lines (an endorsement with
// the policy it is on; the letter and the lines on no policy with the file's
// first issue) on the month's remittance report of the file's underwriter.
// A line whose month was already sent goes, as a late line, on the first
// report not yet sent from the month it is recorded in onward; a change to
// figures already sent (an amendment, a void) goes there as an adjustment
// with its reason. A report once sent is kept as it was sent, never rewritten.

#include "book/BookFile.h"

#include <QByteArray>
#include <QDate>
#include <QList>
#include <QString>

#include <cstdint>

namespace Book {

// The groups a file's lines are issued in: "owner", "loan", and "" for the
// letter and the lines on no policy of the file's own.
inline const QString kFileGroup;

// A row of the month's report.
struct ReportLine {
    enum class Kind { Line, Late, Adjustment };
    Kind kind = Kind::Line;
    qint64 entry = 0; // the ledger's id
    QString fileNumber, insured, policyNumbers, issueDate, reason;
    QString policy;  // the group: "owner", "loan" or ""
    StoredLine line; // lines and late lines: as priced when issued
    std::int64_t grossCents = 0, remitCents = 0;
};

struct RemittanceReport {
    QString underwriter, month; // month YYYY-MM
    QList<ReportLine> rows;     // lines, then late lines, then adjustments
    // Sums of what the report lists, in cents; the check is the lines' and
    // late lines' Remit plus the adjustments'.
    std::int64_t linesGrossCents = 0, linesRemitCents = 0;
    std::int64_t adjustmentGrossCents = 0, adjustmentRemitCents = 0;
    std::int64_t GrossCents() const { return linesGrossCents + adjustmentGrossCents; }
    std::int64_t CheckCents() const { return linesRemitCents + adjustmentRemitCents; }
    bool sent = false;
    QString checkNumber, paidDate, sentBy, sentAt;
    // A sent report as it was written then.
    QByteArray csv, json, pdf;
};

// What needs doing.
struct UnissuedFile {
    QString fileNumber, underwriter, buyers, closingDate;
    QStringList missing; // "owner", "loan", or "" for a file with no policy of its own
    int daysSinceClosing = 0;
};
struct UnsentMonth {
    QString underwriter, month, dueDate;
    int lines = 0;
    std::int64_t remitCents = 0;
    bool overdue = false;
};
struct DueList {
    QList<UnissuedFile> unissued;
    QList<UnsentMonth> unsent;
};

// The month of a date, and months counted on from one.
QString MonthOfDate(const QDate& date);
QString NextMonth(const QString& month);
// The day remittance for `month` is due: `dueDay` of the month after, or its
// last day when the month is shorter.
QDate RemittanceDue(const QString& month, int dueDay);

} // namespace Book
