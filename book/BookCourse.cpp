// The file's course after its closing and the remittance ledger: which
// lines a policy issued puts on which month's report, the adjustments a
// change to figures already sent makes, the month's report, and what needs
// doing.

#include "book/Book.h"

#include <QDateTime>
#include <QSet>

#include <map>

namespace Book {

namespace {

enum EntryKind { kLine = 0, kLate = 1, kAdjustment = 2 };

QVariant Cents(std::int64_t cents)
{
    return QVariant(static_cast<qlonglong>(cents));
}

bool Has(const StoredQuote& quote, const char* role)
{
    return std::any_of(quote.lines.begin(), quote.lines.end(),
                       [&](const StoredLine& line) { return line.role == QLatin1String(role); });
}

// The group a line is issued with: its policy's, when the quote has that
// policy; else the file's own (the letter, endorsements to a policy issued
// before).
QString GroupOf(const StoredQuote& quote, const StoredLine& line)
{
    if (line.role == QLatin1String("owners_policy"))
        return QStringLiteral("owner");
    if (line.role == QLatin1String("loan_policy"))
        return QStringLiteral("loan");
    if (line.policy == QLatin1String("owner") && Has(quote, "owners_policy"))
        return line.policy;
    if (line.policy == QLatin1String("loan") && Has(quote, "loan_policy"))
        return line.policy;
    return kFileGroup;
}

} // namespace

QString MonthOfDate(const QDate& date)
{
    return date.toString(QStringLiteral("yyyy-MM"));
}

QString NextMonth(const QString& month)
{
    return MonthOfDate(QDate::fromString(month + QStringLiteral("-01"), Qt::ISODate).addMonths(1));
}

QDate RemittanceDue(const QString& month, int dueDay)
{
    const QDate next = QDate::fromString(NextMonth(month) + QStringLiteral("-01"), Qt::ISODate);
    return next.addDays(std::clamp(dueDay, 1, next.daysInMonth()) - 1);
}

std::optional<QString> Book::FirstUnsent(const QString& underwriter, const QString& from)
{
    auto sent = Run(QStringLiteral("SELECT month FROM reports WHERE underwriter = ? AND "
                                   "month >= ? ORDER BY month"),
                    {underwriter, from});
    if (!sent)
        return std::nullopt;
    QString month = from;
    while (sent->next() && sent->value(0).toString() == month)
        month = NextMonth(month);
    return month;
}

bool Book::Settle(qint64 fileId, const BookFile& file, const QString& reason)
{
    const StoredQuote& quote = file.quote;
    const bool voided = file.status == QLatin1String("voided");
    std::map<QString, IssuedPolicy> issued;
    for (const IssuedPolicy& policy : file.policies)
        issued[policy.policy] = policy;
    QStringList missing;
    if (Has(quote, "owners_policy") && !issued.count(QStringLiteral("owner")))
        missing << QStringLiteral("owner");
    if (Has(quote, "loan_policy") && !issued.count(QStringLiteral("loan")))
        missing << QStringLiteral("loan");
    if (!Has(quote, "owners_policy") && !Has(quote, "loan_policy") && issued.empty())
        missing << QStringLiteral("file");
    const QString status = voided              ? QStringLiteral("voided")
                           : issued.empty()    ? QString()
                           : missing.isEmpty() ? QStringLiteral("issued")
                                               : QStringLiteral("partly");
    if (!Run(QStringLiteral("UPDATE files SET status = ?, pending = ? WHERE id = ?"),
             {status, missing.join(QLatin1Char(' ')), fileId}))
        return false;
    if (issued.empty())
        return true;

    // What was remitted already (a sent line settles its group: its figures
    // change from then on by adjustments), and what was adjusted.
    struct Sums {
        std::int64_t gross = 0, remit = 0;
        bool settled = false;
    };
    std::map<QString, Sums> sent;
    auto entries = Run(QStringLiteral("SELECT policy, kind, report_id, gross_cents, remit_cents "
                                      "FROM remittance_entries WHERE file_id = ?"),
                       {fileId});
    if (!entries)
        return false;
    while (entries->next()) {
        const int kind = entries->value(1).toInt();
        const bool isSent = !entries->value(2).isNull();
        if (kind != kAdjustment && !isSent)
            continue;
        Sums& sums = sent[entries->value(0).toString()];
        sums.gross += entries->value(3).toLongLong();
        sums.remit += entries->value(4).toLongLong();
        sums.settled = sums.settled || kind != kAdjustment;
    }
    entries->finish();
    if (!Run(QStringLiteral("DELETE FROM remittance_entries WHERE file_id = ? AND "
                            "report_id IS NULL AND kind <> ?"),
             {fileId, int(kAdjustment)}))
        return false;

    const QString& underwriter = file.details.underwriter;
    const QString now = QDateTime::currentDateTimeUtc().toString(Qt::ISODateWithMs);
    const auto insert = [&](const QString& month, int kind, const QString& policy, int position,
                            const QString& issueDate, std::int64_t gross, std::int64_t remit,
                            const QString& why) {
        return Run(QStringLiteral("INSERT INTO remittance_entries (file_id, underwriter, month, "
                                  "kind, policy, revision, position, issue_date, gross_cents, "
                                  "remit_cents, reason, recorded_at) VALUES (?, ?, ?, ?, ?, ?, "
                                  "?, ?, ?, ?, ?, ?)"),
                   {fileId, underwriter, month, kind, policy, file.revision.revision, position,
                    issueDate, Cents(gross), Cents(remit), why, now})
            .has_value();
    };
    QSet<QString> groups;
    for (const auto& [group, policy] : issued)
        groups.insert(group);
    for (const auto& [group, sums] : sent)
        groups.insert(group);
    for (const QString& group : groups) {
        const auto policy = issued.find(group);
        const bool live = !voided && policy != issued.end();
        std::int64_t gross = 0, remit = 0;
        if (live)
            for (const StoredLine& line : quote.lines)
                if (GroupOf(quote, line) == group) {
                    gross += line.grossCents;
                    remit += line.remitCents;
                }
        const Sums& was = sent[group];
        const QString issueDate = policy != issued.end() ? policy->second.issueDate : QString();
        if (was.settled) {
            if (gross == was.gross && remit == was.remit)
                continue;
            const auto month = FirstUnsent(underwriter, MonthOfDate(Today()));
            if (!month
                || !insert(*month, kAdjustment, group, -1, issueDate, gross - was.gross,
                           remit - was.remit, reason))
                return false;
            continue;
        }
        if (!live)
            continue;
        // Lines go on their issue month's report while it is not sent;
        // else, late, on the first not sent from the month they were
        // recorded in.
        auto recorded = Run(QStringLiteral("SELECT recorded_month FROM policies WHERE "
                                           "file_id = ? AND policy = ?"),
                            {fileId, group});
        if (!recorded || !recorded->next())
            return false;
        const QString recordedMonth = recorded->value(0).toString();
        recorded->finish();
        const QString issueMonth = issueDate.left(7);
        const auto open = FirstUnsent(underwriter, issueMonth);
        if (!open)
            return false;
        QString month = *open;
        int kind = kLine;
        if (month != issueMonth) {
            const auto late = FirstUnsent(underwriter, std::max(recordedMonth, issueMonth));
            if (!late)
                return false;
            month = *late;
            kind = kLate;
        }
        for (qsizetype i = 0; i < quote.lines.size(); ++i) {
            const StoredLine& line = quote.lines[i];
            if (GroupOf(quote, line) == group
                && !insert(month, kind, group, static_cast<int>(i), issueDate, line.grossCents,
                           line.remitCents, QString()))
                return false;
        }
    }
    return true;
}

std::optional<QList<ReportLine>> Book::ReportRows(const QString& condition,
                                                  const QVariantList& values)
{
    auto query = Run(
        QStringLiteral(
            "SELECT e.id, e.kind, e.policy, e.issue_date, e.gross_cents, e.remit_cents, "
            "e.reason, f.file_number, r.buyers, r.lender, po.number, pl.number, l.line, l.code, "
            "l.text, l.role, l.policy, l.priced_on_1, l.amount_1_cents, l.priced_on_2, "
            "l.amount_2_cents, l.gross_text, l.remit_text FROM remittance_entries e "
            "JOIN files f ON f.id = e.file_id "
            "JOIN revisions r ON r.file_id = e.file_id AND r.revision = e.revision "
            "LEFT JOIN policies po ON po.file_id = e.file_id AND po.policy = 'owner' "
            "LEFT JOIN policies pl ON pl.file_id = e.file_id AND pl.policy = 'loan' "
            "LEFT JOIN revision_lines l ON l.file_id = e.file_id AND l.revision = e.revision "
            "AND l.position = e.position WHERE %1 "
            "ORDER BY e.kind, f.file_number, e.issue_date, e.position, e.id")
            .arg(condition),
        values);
    if (!query)
        return std::nullopt;
    QList<ReportLine> rows;
    while (query->next()) {
        const auto at = [&](int column) { return query->value(column); };
        ReportLine row;
        row.entry = at(0).toLongLong();
        row.kind = static_cast<ReportLine::Kind>(at(1).toInt());
        row.policy = at(2).toString();
        row.issueDate = at(3).toString();
        row.grossCents = at(4).toLongLong();
        row.remitCents = at(5).toLongLong();
        row.reason = at(6).toString();
        row.fileNumber = at(7).toString();
        const QString buyers = at(8).toString(), lender = at(9).toString();
        const QString owners = at(10).toString(), loan = at(11).toString();
        if (row.policy == QLatin1String("owner")) {
            row.insured = buyers;
            row.policyNumbers = owners;
        } else if (row.policy == QLatin1String("loan")) {
            row.insured = lender;
            row.policyNumbers = loan;
        } else {
            row.insured = buyers.isEmpty() ? lender : buyers;
            QStringList numbers;
            for (const QString& n : {owners, loan})
                if (!n.isEmpty())
                    numbers << n;
            row.policyNumbers = numbers.join(QStringLiteral(" "));
        }
        if (row.kind != ReportLine::Kind::Adjustment && !at(12).isNull()) {
            StoredLine& line = row.line;
            line.line = at(12).toInt();
            line.code = at(13).toString();
            line.text = at(14).toString();
            line.role = at(15).toString();
            line.policy = at(16).toString();
            for (int k = 0; k < 2; ++k)
                if (!at(17 + 2 * k).isNull())
                    line.pricedOn.push_back(
                        {at(17 + 2 * k).toString(), at(18 + 2 * k).toLongLong()});
            line.grossCents = row.grossCents;
            line.remitCents = row.remitCents;
            line.grossText = at(21).toString();
            line.remitText = at(22).toString();
        }
        rows.push_back(row);
    }
    return rows;
}

std::optional<RemittanceReport> Book::Report(const QString& underwriter, const QString& month)
{
    RemittanceReport report;
    report.underwriter = underwriter;
    report.month = month;
    auto sent = Run(QStringLiteral("SELECT id, check_number, paid_date, sent_by, sent_at, csv, "
                                   "json, pdf FROM reports WHERE underwriter = ? AND month = ?"),
                    {underwriter, month});
    if (!sent)
        return std::nullopt;
    std::optional<QList<ReportLine>> rows;
    if (sent->next()) {
        report.sent = true;
        const qlonglong id = sent->value(0).toLongLong();
        report.checkNumber = sent->value(1).toString();
        report.paidDate = sent->value(2).toString();
        report.sentBy = sent->value(3).toString();
        report.sentAt = sent->value(4).toString();
        report.csv = sent->value(5).toString().toUtf8();
        report.json = sent->value(6).toString().toUtf8();
        report.pdf = sent->value(7).toByteArray();
        sent->finish();
        rows = ReportRows(QStringLiteral("e.report_id = ?"), {id});
    } else {
        sent->finish();
        rows = ReportRows(QStringLiteral("e.underwriter = ? AND e.month = ? AND "
                                         "e.report_id IS NULL"),
                          {underwriter, month});
    }
    if (!rows)
        return std::nullopt;
    report.rows = *rows;
    for (const ReportLine& row : report.rows) {
        const bool adjustment = row.kind == ReportLine::Kind::Adjustment;
        (adjustment ? report.adjustmentGrossCents : report.linesGrossCents) += row.grossCents;
        (adjustment ? report.adjustmentRemitCents : report.linesRemitCents) += row.remitCents;
    }
    return report;
}

bool Book::MarkSent(const RemittanceReport& report)
{
    if (!m_readOnly.isEmpty()) {
        m_error = m_readOnly;
        return false;
    }
    if (!Begin())
        return false;
    const auto fail = [&](const QString& why) {
        Rollback();
        if (!why.isEmpty())
            m_error = why;
        return false;
    };
    if (!m_dialect.IsSQLite()
        && !Run(QStringLiteral("SELECT version FROM book_schema WHERE singleton = 1")
                + m_dialect.LockRow()))
        return fail({});
    const auto now = Report(report.underwriter, report.month);
    if (!now)
        return fail({});
    if (now->sent)
        return fail(QStringLiteral("the report of %1 for %2 was sent already (check %3, paid %4)")
                        .arg(report.underwriter, report.month, now->checkNumber, now->paidDate));
    QList<qint64> ids, made;
    for (const ReportLine& row : now->rows)
        ids << row.entry;
    for (const ReportLine& row : report.rows)
        made << row.entry;
    if (ids != made)
        return fail(QStringLiteral("the report of %1 for %2 changed while it was written; run "
                                   "it again")
                        .arg(report.underwriter, report.month));
    auto inserted = Run(
        QStringLiteral("INSERT INTO reports (underwriter, month, check_number, paid_date, "
                       "sent_by, sent_at, lines_gross_cents, lines_remit_cents, "
                       "adjustment_gross_cents, adjustment_remit_cents, csv, json, pdf) VALUES "
                       "(?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?) RETURNING id"),
        {report.underwriter, report.month, report.checkNumber, report.paidDate, SystemUser(),
         QDateTime::currentDateTimeUtc().toString(Qt::ISODateWithMs), Cents(now->linesGrossCents),
         Cents(now->linesRemitCents), Cents(now->adjustmentGrossCents),
         Cents(now->adjustmentRemitCents), QString::fromUtf8(report.csv),
         QString::fromUtf8(report.json),
         report.pdf.isNull() ? QVariant(QMetaType::fromType<QByteArray>()) : QVariant(report.pdf)});
    if (!inserted || !inserted->next())
        return fail({});
    const qlonglong id = inserted->value(0).toLongLong();
    inserted->finish();
    if (!Run(QStringLiteral("UPDATE remittance_entries SET report_id = ? WHERE underwriter = ? "
                            "AND month = ? AND report_id IS NULL"),
             {id, report.underwriter, report.month})
        || !Commit())
        return fail({});
    return true;
}

std::optional<DueList> Book::Due(int issueWithinDays, int dueDay)
{
    DueList due;
    const QDate today = Today();
    auto files = Run(QStringLiteral("SELECT file_number, underwriter, buyers, closing_date, "
                                    "pending FROM files WHERE status IN ('', 'partly') AND "
                                    "closing_date <> '' AND closing_date < ? "
                                    "ORDER BY closing_date, file_number"),
                     {today.addDays(-issueWithinDays).toString(Qt::ISODate)});
    if (!files)
        return std::nullopt;
    while (files->next()) {
        UnissuedFile file;
        file.fileNumber = files->value(0).toString();
        file.underwriter = files->value(1).toString();
        file.buyers = files->value(2).toString();
        file.closingDate = files->value(3).toString();
        for (const QString& group :
             files->value(4).toString().split(QLatin1Char(' '), Qt::SkipEmptyParts))
            file.missing << (group == QLatin1String("file") ? kFileGroup : group);
        file.daysSinceClosing = static_cast<int>(
            QDate::fromString(file.closingDate, Qt::ISODate).daysTo(today));
        due.unissued.push_back(file);
    }
    files->finish();
    auto months = Run(QStringLiteral("SELECT underwriter, month, COUNT(*), SUM(remit_cents) "
                                     "FROM remittance_entries WHERE report_id IS NULL AND "
                                     "month < ? GROUP BY underwriter, month "
                                     "ORDER BY month, underwriter"),
                      {MonthOfDate(today)});
    if (!months)
        return std::nullopt;
    while (months->next()) {
        UnsentMonth month;
        month.underwriter = months->value(0).toString();
        month.month = months->value(1).toString();
        month.lines = months->value(2).toInt();
        month.remitCents = months->value(3).toLongLong();
        const QDate dueDate = RemittanceDue(month.month, dueDay);
        month.dueDate = dueDate.toString(Qt::ISODate);
        month.overdue = dueDate < today;
        due.unsent.push_back(month);
    }
    return due;
}

} // namespace Book
