#pragma once

// The agency's book: every closing kept under its file number, with every
// revision of it. One schema and one code path for SQLite and PostgreSQL;
// what differs is in SqlDialect.
//
// Opening follows the agent's safety first: a book that is missing is made
// only by a program that writes; a file or database that is not a book is
// refused and never written; a damaged or locked book says so in one line;
// a book written by a newer Tarnwell that this one may not write opens
// read-only. Each save is one transaction that appends a revision (who,
// when, what changed) and is refused when someone else saved the file since
// it was read.

#include "book/BookFile.h"
#include "book/BookLocation.h"
#include "book/Remittance.h"
#include "book/SqlDialect.h"

#include <QSqlQuery>
#include <QVariantList>

#include <memory>
#include <optional>

namespace Book {

// The schema this program writes. The book records the version that wrote
// it and the oldest version that may still write it.
// Version 2 adds the file's course (policies issued, voids) and the
// remittance ledger; a program of version 1 would change issued figures
// without an amendment, so it may only read a book of version 2.
// Version 3 keeps the short pieces of each file's search text, so that one
// or two typed letters are answered by an index, and looks policy numbers up
// by an index; a program of version 2 would save files its search no longer
// finds, so it may only read a book of version 3.
// Version 4 keeps PostgreSQL's search text in a narrow table of its own; a
// program of version 3 would save files that table no longer finds, so it
// may only read a PostgreSQL book of version 4. SQLite's book is as it was
// at version 3, which may still write it.
inline constexpr int kSchemaVersion = 4;
inline constexpr int kOldestWriter = 4;
inline constexpr int kOldestSQLiteWriter = 3;

enum class Access {
    Read,    // list, show, export, backup: a missing book is not made
    Write,   // a save or an import: a missing book is made
    Upgrade, // as Write, and a PostgreSQL book of an older version is upgraded
};

struct FileFilter {
    QString find;        // file number, any name or the address, in any case
    QString month;       // YYYY-MM, or empty
    QString underwriter; // or empty
};

struct SaveResult {
    enum class Status { Saved, Unchanged, Stale, Failed };
    Status status = Status::Failed;
    int revision = 0;      // saved, or the latest when unchanged or stale
    RevisionInfo conflict; // stale: who saved the file since, and when
    QString error;         // failed: one line
};

class Book {
public:
    // The book, or nothing with `error` set to one line.
    static std::unique_ptr<Book> Open(const BookLocation& location, Access access, QString& error,
                                      int busyTimeoutMs = 5000);
    ~Book();
    Book(const Book&) = delete;
    Book& operator=(const Book&) = delete;

    const BookLocation& location() const { return m_location; }
    // Why the book may not be written, or empty.
    const QString& readOnlyReason() const { return m_readOnly; }
    int version() const { return m_version; }
    // What the last failed call says, one line.
    const QString& error() const { return m_error; }

    // Saves a file's details, closing and quote as a new revision.
    // `expectedRevision` is the revision the agent's edit started from (0
    // for a file that was not in the book); -1 saves over whatever is there.
    // A file with policies issued, or voided, changes only as an amendment
    // with its reason; what was already remitted is then adjusted.
    SaveResult Save(const FileDetails& details, const StoredClosing& closing,
                    const StoredQuote& quote, int expectedRevision,
                    const QString& amendReason = {});

    // The file's course, each step a revision. The date the book takes for
    // today (a closing on or before it is closed; no policy is issued after
    // it; a report is recorded in its month) is the system's unless set.
    void SetToday(const QDate& today) { m_today = today; }
    QDate Today() const;
    // Closed on `date`; the date it already has changes nothing.
    SaveResult Close(const QString& fileNumber, const QString& date);
    // The policies issued on `date` (empty numbers: not this time); a file
    // with no policy of its own is issued with both empty.
    SaveResult Issue(const QString& fileNumber, const QString& date, const QString& ownersNumber,
                     const QString& loanNumber);
    SaveResult Void(const QString& fileNumber, const QString& reason);

    // The month's remittance report of an underwriter: as sent, when it was.
    std::optional<RemittanceReport> Report(const QString& underwriter, const QString& month);
    // Records `report` (made by Report, with the check and the documents
    // written from it) as sent; refused when it was sent already or its
    // lines changed since it was made.
    bool MarkSent(const RemittanceReport& report);
    // Files closed more than `issueWithinDays` days ago whose policies are
    // not all issued; months before this one whose reports are not sent.
    std::optional<DueList> Due(int issueWithinDays, int dueDay);

    // A file as it is, or as one of its revisions; nothing when the book has
    // no such file (or revision), or on a failure (error() says which).
    std::optional<BookFile> Load(const QString& fileNumber, int revision = 0);
    std::optional<QList<RevisionInfo>> History(const QString& fileNumber);
    // The files, newest change first; `limit` -1 for all.
    std::optional<QList<FileSummary>> Find(const FileFilter& filter, int limit = -1,
                                           int offset = 0);
    // Every file number in the book, in the order they were made.
    std::optional<QStringList> FileNumbers();

    // A consistent copy of a SQLite book made while others work, readable
    // by its owner only; PATH must not exist. False with error() otherwise.
    bool Backup(const QString& path);

    // The connection, for the tests' fault injection.
    QString connectionName() const { return m_connection; }

private:
    Book(const BookLocation& location, QString connection);

    struct Change;
    SaveResult Apply(const Change& change);
    bool Settle(qint64 fileId, const BookFile& file, const QString& reason);
    std::optional<QString> FirstUnsent(const QString& underwriter, const QString& from);
    std::optional<QList<ReportLine>> ReportRows(const QString& condition,
                                                const QVariantList& values);

    bool OpenConnection(Access access, int busyTimeoutMs, bool& missing);
    bool MakeOrUpgrade(int fromVersion);
    bool MarkSearchRows();
    std::optional<QList<FileSummary>> Summaries(const QString& sql, const QVariantList& values);
    std::optional<QSqlQuery> Run(const QString& sql, const QVariantList& values = {});
    bool Begin();
    bool Commit();
    void Rollback();
    std::optional<BookFile> LoadRevision(qint64 fileId, int revision);
    std::optional<RevisionInfo> RevisionOf(qint64 fileId, int revision);
    bool InsertRevision(qint64 fileId, const BookFile& file);

    BookLocation m_location;
    SqlDialect m_dialect;
    QString m_connection;
    QString m_readOnly;
    QString m_error;
    int m_version = 0;
    QDate m_today;
};

// The name a revision is saved under: the system user.
QString SystemUser();

// The items that differ between two revisions, for the history: "buyers,
// loan, figures".
QString Changes(const BookFile& before, const BookFile& after);

} // namespace Book
