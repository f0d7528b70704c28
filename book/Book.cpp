#include "book/Book.h"

#include <QDate>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlDriver>
#include <QSqlError>
#include <QUrl>

#include <algorithm>
#include <atomic>
#include <limits>

#include <pwd.h>
#include <unistd.h>

namespace Book {

namespace {

constexpr QFileDevice::Permissions kOwnerOnly = QFileDevice::ReadOwner | QFileDevice::WriteOwner;

QString NewConnectionName()
{
    static std::atomic<int> counter{0};
    return QStringLiteral("tarnwell-book-%1").arg(++counter);
}

QVariant Nullable(const std::optional<std::int64_t>& cents)
{
    return cents ? QVariant(static_cast<qlonglong>(*cents))
                 : QVariant(QMetaType::fromType<qlonglong>());
}

std::optional<std::int64_t> CentsOf(const QVariant& value)
{
    return value.isNull() ? std::nullopt : std::optional<std::int64_t>(value.toLongLong());
}

QVariant Cents(std::int64_t cents)
{
    return QVariant(static_cast<qlonglong>(cents));
}

// The driver's words, on one line.
QString Reason(const QSqlError& error)
{
    QString text = error.databaseText().trimmed();
    if (text.isEmpty())
        text = error.driverText().trimmed();
    text.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return text;
}

// The text the file list is searched in: the file number, every name and
// the address, in lower case.
QString SearchText(const FileDetails& details)
{
    return QStringList{details.fileNumber, details.buyers, details.sellers, details.property,
                       details.lender}
        .join(QLatin1Char('\n'))
        .toLower();
}

// A file's month: that of its closing date, or of its first save while it
// has none.
QString MonthOf(const FileDetails& details, const QString& firstSaved)
{
    if (!details.closingDate.isEmpty())
        return details.closingDate.left(7);
    return QDateTime::fromString(firstSaved, Qt::ISODateWithMs).toLocalTime().toString("yyyy-MM");
}

// Version 1: the files (the latest of each, for the list), their revisions,
// and each revision's endorsements and priced lines.
QStringList SchemaVersion1(const SqlDialect& dialect)
{
    const QString details = QStringLiteral(
        "underwriter TEXT NOT NULL, buyers TEXT NOT NULL, sellers TEXT NOT NULL, "
        "property TEXT NOT NULL, county TEXT NOT NULL, lender TEXT NOT NULL, "
        "closing_date TEXT NOT NULL, note TEXT NOT NULL, ");
    return {
        QStringLiteral(
            "CREATE TABLE book_schema (singleton INTEGER PRIMARY KEY CHECK "
            "(singleton = 1), version INTEGER NOT NULL, oldest_writer INTEGER NOT NULL)"),
        QStringLiteral("CREATE TABLE files (id %1, file_number TEXT NOT NULL UNIQUE, "
                       "revision INTEGER NOT NULL, ")
                .arg(dialect.IdColumn())
            + details
            + QStringLiteral("month TEXT NOT NULL, first_saved TEXT NOT NULL, "
                             "changed_at TEXT NOT NULL, gross_cents BIGINT NOT NULL, "
                             "remit_cents BIGINT NOT NULL, search TEXT NOT NULL)"),
        QStringLiteral("CREATE INDEX files_by_change ON files (changed_at, id)"),
        QStringLiteral("CREATE INDEX files_by_month ON files (month, changed_at)"),
        QStringLiteral("CREATE INDEX files_by_underwriter ON files (underwriter, changed_at)"),
        QStringLiteral("CREATE TABLE revisions (file_id BIGINT NOT NULL REFERENCES files (id), "
                       "revision INTEGER NOT NULL, saved_by TEXT NOT NULL, "
                       "saved_at TEXT NOT NULL, changes TEXT NOT NULL, ")
            + details
            + QStringLiteral(
                "split_hundredths BIGINT NOT NULL, price_cents BIGINT, loan_cents BIGINT, "
                "prior_owners_cents BIGINT, prior_loan_cents BIGINT, coverage TEXT NOT NULL, "
                "letter INTEGER NOT NULL, gross_cents BIGINT NOT NULL, "
                "remit_cents BIGINT NOT NULL, trid_loan_policy INTEGER NOT NULL, "
                "trid_owners_policy INTEGER NOT NULL, lenders_charged_cents BIGINT NOT NULL, "
                "owners_charged_cents BIGINT NOT NULL, lenders_disclosed_cents BIGINT NOT NULL, "
                "owners_disclosed_cents BIGINT NOT NULL, other_cents BIGINT NOT NULL, "
                "charged_cents BIGINT NOT NULL, disclosed_cents BIGINT NOT NULL, "
                "PRIMARY KEY (file_id, revision))"),
        QStringLiteral("CREATE TABLE revision_endorsements (file_id BIGINT NOT NULL, "
                       "revision INTEGER NOT NULL, position INTEGER NOT NULL, "
                       "line INTEGER NOT NULL, policy TEXT NOT NULL, "
                       "PRIMARY KEY (file_id, revision, position), FOREIGN KEY (file_id, "
                       "revision) REFERENCES revisions (file_id, revision))"),
        QStringLiteral(
            "CREATE TABLE revision_lines (file_id BIGINT NOT NULL, revision INTEGER NOT NULL, "
            "position INTEGER NOT NULL, line INTEGER NOT NULL, code TEXT NOT NULL, "
            "text TEXT NOT NULL, role TEXT NOT NULL, policy TEXT NOT NULL, priced_on_1 TEXT, "
            "amount_1_cents BIGINT, priced_on_2 TEXT, amount_2_cents BIGINT, "
            "gross_cents BIGINT NOT NULL, remit_cents BIGINT NOT NULL, gross_text TEXT NOT NULL, "
            "remit_text TEXT NOT NULL, PRIMARY KEY (file_id, revision, position), "
            "FOREIGN KEY (file_id, revision) REFERENCES revisions (file_id, revision))"),
        QStringLiteral(
            "CREATE TABLE revision_trid_rows (file_id BIGINT NOT NULL, revision INTEGER NOT NULL, "
            "position INTEGER NOT NULL, section TEXT NOT NULL, name TEXT NOT NULL, "
            "line INTEGER NOT NULL, policy TEXT NOT NULL, policy_named INTEGER NOT NULL, "
            "disclosed_cents BIGINT NOT NULL, charged_cents BIGINT NOT NULL, note TEXT NOT NULL, "
            "PRIMARY KEY (file_id, revision, position), "
            "FOREIGN KEY (file_id, revision) REFERENCES revisions (file_id, revision))"),
    };
}

// Version 2: the file's course and the remittance ledger. Each revision
// records the file's status after it and the reason of an amendment or a
// void; the files table keeps the status and the groups not yet issued, for
// what needs doing. A book of version 1 has issued nothing: its files start
// with nothing issued, their pending groups read from their latest lines.
QStringList SchemaVersion2(const SqlDialect& dialect)
{
    const QString latestLine = QStringLiteral(
        "EXISTS (SELECT 1 FROM revision_lines l WHERE l.file_id = files.id AND "
        "l.revision = files.revision AND l.role = '%1')");
    return QStringList{
        QStringLiteral("ALTER TABLE files ADD COLUMN status TEXT NOT NULL DEFAULT ''"),
        QStringLiteral("ALTER TABLE files ADD COLUMN pending TEXT NOT NULL DEFAULT ''"),
        QStringLiteral("ALTER TABLE revisions ADD COLUMN status TEXT NOT NULL DEFAULT ''"),
        QStringLiteral("ALTER TABLE revisions ADD COLUMN reason TEXT NOT NULL DEFAULT ''"),
        QStringLiteral("UPDATE files SET pending = CASE WHEN %1 AND %2 THEN 'owner loan' "
                       "WHEN %1 THEN 'owner' WHEN %2 THEN 'loan' ELSE 'file' END")
            .arg(latestLine.arg(QStringLiteral("owners_policy")),
                 latestLine.arg(QStringLiteral("loan_policy"))),
        QStringLiteral("CREATE INDEX files_by_pending ON files (status, closing_date)"),
        QStringLiteral("CREATE TABLE policies (file_id BIGINT NOT NULL REFERENCES files (id), "
                       "policy TEXT NOT NULL, number TEXT NOT NULL, issue_date TEXT NOT NULL, "
                       "revision INTEGER NOT NULL, recorded_month TEXT NOT NULL, "
                       "PRIMARY KEY (file_id, policy))"),
        QStringLiteral("CREATE TABLE reports (id %1, underwriter TEXT NOT NULL, "
                       "month TEXT NOT NULL, check_number TEXT NOT NULL, paid_date TEXT NOT NULL, "
                       "sent_by TEXT NOT NULL, sent_at TEXT NOT NULL, "
                       "lines_gross_cents BIGINT NOT NULL, lines_remit_cents BIGINT NOT NULL, "
                       "adjustment_gross_cents BIGINT NOT NULL, "
                       "adjustment_remit_cents BIGINT NOT NULL, csv TEXT NOT NULL, "
                       "json TEXT NOT NULL, pdf %2, UNIQUE (underwriter, month))")
            .arg(dialect.IdColumn(), dialect.BlobType()),
        // kind: 0 a line issued in its month, 1 a late line, 2 an adjustment.
        QStringLiteral("CREATE TABLE remittance_entries (id %1, "
                       "file_id BIGINT NOT NULL REFERENCES files (id), "
                       "underwriter TEXT NOT NULL, month TEXT NOT NULL, kind INTEGER NOT NULL, "
                       "policy TEXT NOT NULL, revision INTEGER NOT NULL, "
                       "position INTEGER NOT NULL, issue_date TEXT NOT NULL, "
                       "gross_cents BIGINT NOT NULL, remit_cents BIGINT NOT NULL, "
                       "reason TEXT NOT NULL, recorded_at TEXT NOT NULL, "
                       "report_id BIGINT REFERENCES reports (id))")
            .arg(dialect.IdColumn()),
        QStringLiteral("CREATE INDEX entries_by_month ON remittance_entries "
                       "(underwriter, month, report_id)"),
        QStringLiteral("CREATE INDEX entries_by_file ON remittance_entries (file_id)"),
        QStringLiteral("CREATE INDEX entries_unsent ON remittance_entries (report_id, month)"),
    };
}

// Version 3: the search text's short pieces, kept where an index answers
// them, and the policy numbers looked up by an index (one number, one file
// of an underwriter). SQLite's search rows are numbered afresh in the order
// the files changed as the step runs.
QStringList SchemaVersion3(const SqlDialect& dialect)
{
    return QStringList{QStringLiteral("CREATE INDEX policies_by_number ON policies (number)")}
           + dialect.SearchSchemaVersion3();
}

const QString kRevisionColumns = QStringLiteral(
    "revision, saved_by, saved_at, changes, underwriter, buyers, sellers, property, county, "
    "lender, closing_date, note, split_hundredths, price_cents, loan_cents, prior_owners_cents, "
    "prior_loan_cents, coverage, letter, gross_cents, remit_cents, trid_loan_policy, "
    "trid_owners_policy, lenders_charged_cents, owners_charged_cents, lenders_disclosed_cents, "
    "owners_disclosed_cents, other_cents, charged_cents, disclosed_cents, status, reason");

const QString kSummaryColumns = QStringLiteral(
    "file_number, underwriter, buyers, sellers, property, closing_date, month, changed_at, "
    "revision, gross_cents, remit_cents");

} // namespace

QString SystemUser()
{
    if (const passwd* user = getpwuid(geteuid()); user && user->pw_name)
        return QString::fromLocal8Bit(user->pw_name);
    return qEnvironmentVariable("USER", QStringLiteral("unknown"));
}

QString Changes(const BookFile& before, const BookFile& after)
{
    QStringList changed;
    const auto note = [&](bool differs, const char* name) {
        if (differs)
            changed << QLatin1String(name);
    };
    const FileDetails& a = before.details;
    const FileDetails& b = after.details;
    note(a.underwriter != b.underwriter, "underwriter");
    note(a.buyers != b.buyers, "buyers");
    note(a.sellers != b.sellers, "sellers");
    note(a.property != b.property, "property");
    note(a.county != b.county, "county");
    note(a.lender != b.lender, "lender");
    note(a.closingDate != b.closingDate, "closing date");
    note(a.note != b.note, "note");
    const StoredClosing& c = before.closing;
    const StoredClosing& d = after.closing;
    note(c.splitHundredths != d.splitHundredths, "split");
    note(c.priceCents != d.priceCents, "price");
    note(c.loanCents != d.loanCents, "loan");
    note(c.priorOwnersCents != d.priorOwnersCents, "prior owner's policy");
    note(c.priorLoanCents != d.priorLoanCents, "prior loan policy");
    note(c.coverage != d.coverage, "coverage");
    note(c.endorsements != d.endorsements, "endorsements");
    note(c.closingProtectionLetter != d.closingProtectionLetter, "letter");
    note(before.quote != after.quote, "figures");
    return changed.join(QStringLiteral(", "));
}

Book::Book(const BookLocation& location, QString connection)
    : m_location(location),
      m_dialect(location.IsPostgreSql() ? SqlDialect::Kind::PostgreSQL : SqlDialect::Kind::SQLite),
      m_connection(std::move(connection))
{}

Book::~Book()
{
    {
        QSqlDatabase database = QSqlDatabase::database(m_connection, false);
        if (database.isValid())
            database.close();
    }
    QSqlDatabase::removeDatabase(m_connection);
}

std::unique_ptr<Book> Book::Open(const BookLocation& location, Access access, QString& error,
                                 int busyTimeoutMs)
{
    std::unique_ptr<Book> book(new Book(location, NewConnectionName()));
    bool missing = false;
    if (!book->OpenConnection(access, busyTimeoutMs, missing)) {
        error = book->m_error;
        return nullptr;
    }
    if (missing) {
        if (access == Access::Read) {
            error = location.IsPostgreSql()
                        ? QStringLiteral("%1 holds no book yet").arg(location.Describe())
                        : QStringLiteral("there is no book at %1").arg(location.path);
            return nullptr;
        }
        if (!book->MakeOrUpgrade(0)) {
            error = book->m_error;
            return nullptr;
        }
        return book;
    }
    auto versions = book->Run(
        QStringLiteral("SELECT version, oldest_writer FROM book_schema WHERE singleton = 1"));
    if (!versions || !versions->next()) {
        error = QStringLiteral("%1 has no version: it is not a Tarnwell book, or it is damaged; "
                               "Tarnwell will not write into it")
                    .arg(location.Describe());
        return nullptr;
    }
    book->m_version = versions->value(0).toInt();
    const int oldestWriter = versions->value(1).toInt();
    if (oldestWriter > kSchemaVersion) {
        book->m_readOnly = QStringLiteral("%1 was written by a newer Tarnwell (book version %2); "
                                          "this one may read it but not write it")
                               .arg(location.Describe())
                               .arg(book->m_version);
    } else if (book->m_version < kSchemaVersion) {
        // A SQLite book is upgraded when opened; a shared PostgreSQL book only
        // when asked, so that no desk upgrades it under the others' feet.
        if (location.IsPostgreSql() && access != Access::Upgrade) {
            error = QStringLiteral("%1 is at version %2 and this Tarnwell needs version %3: "
                                   "run tarnwell-book upgrade")
                        .arg(location.Describe())
                        .arg(book->m_version)
                        .arg(kSchemaVersion);
            return nullptr;
        }
        if (!book->MakeOrUpgrade(book->m_version)) {
            error = book->m_error;
            return nullptr;
        }
    }
    return book;
}

bool Book::OpenConnection(Access access, int busyTimeoutMs, bool& missing)
{
    const auto fail = [&](const QString& why) {
        m_error = why;
        return false;
    };
    QSqlDatabase database = QSqlDatabase::addDatabase(m_dialect.DriverName(), m_connection);
    if (!database.isValid())
        return fail(QStringLiteral("the %1 driver of Qt SQL is not installed (Debian: %2)")
                        .arg(m_dialect.DriverName(), m_dialect.IsSQLite()
                                                         ? QStringLiteral("libqt6sql6-sqlite")
                                                         : QStringLiteral("libqt6sql6-psql")));
    bool writable = true;
    if (m_dialect.IsSQLite()) {
        const QString& path = m_location.path;
        const QFileInfo info(path);
        if (info.isDir())
            return fail(QStringLiteral("%1 is a folder, not a book").arg(path));
        if (!info.exists()) {
            if (access == Access::Read) {
                missing = true;
                return true;
            }
            const QString folder = info.absolutePath();
            if (!QDir().mkpath(folder))
                return fail(QStringLiteral("the folder %1 cannot be made").arg(folder));
            // Made readable by its owner only before SQLite writes a byte;
            // SQLite gives its WAL files the book's permissions.
            QFile file(path);
            if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly)
                || !file.setPermissions(kOwnerOnly))
                return fail(
                    QStringLiteral("the book %1 cannot be made: %2").arg(path, file.errorString()));
        } else if (info.size() > 0) {
            QFile file(path);
            if (!file.open(QIODevice::ReadOnly))
                return fail(
                    QStringLiteral("the book %1 cannot be read: %2").arg(path, file.errorString()));
            if (file.read(16) != QByteArray("SQLite format 3\0", 16))
                return fail(QStringLiteral("%1 is not a Tarnwell book; Tarnwell will not write "
                                           "into it")
                                .arg(path));
        }
        writable = QFileInfo(path).isWritable();
        database.setDatabaseName(path);
        QString options = QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(busyTimeoutMs);
        if (!writable) {
            options += QStringLiteral(";QSQLITE_OPEN_READONLY");
            // Reading a WAL book needs its shared-memory file; in a folder
            // this user may not write, where none can be made, the book is
            // read as it lies on the disk.
            if (!QFileInfo(info.absolutePath()).isWritable()
                && !QFileInfo::exists(path + QStringLiteral("-shm"))) {
                options += QStringLiteral(";QSQLITE_OPEN_URI");
                database.setDatabaseName(QUrl::fromLocalFile(path).toString(QUrl::FullyEncoded)
                                         + QStringLiteral("?immutable=1"));
            }
        }
        database.setConnectOptions(options);
    } else {
        database.setHostName(m_location.host);
        if (m_location.port > 0)
            database.setPort(m_location.port);
        database.setUserName(m_location.user);
        database.setDatabaseName(m_location.database);
        database.setConnectOptions(m_location.options.join(QLatin1Char(';')));
    }
    if (!database.open())
        return fail(QStringLiteral("%1 cannot be opened: %2")
                        .arg(m_location.Describe(), Reason(database.lastError())));

    auto tables = Run(m_dialect.TablesQuery());
    if (!tables)
        return fail(QStringLiteral("%1 cannot be read (%2); Tarnwell will not write into it")
                        .arg(m_location.Describe(), m_error));
    QStringList names;
    while (tables->next())
        names << tables->value(0).toString();
    if (names.isEmpty()) {
        missing = true;
    } else if (!names.contains(QLatin1String("book_schema"))) {
        return fail(QStringLiteral("%1 is not a Tarnwell book; Tarnwell will not write into it")
                        .arg(m_location.Describe()));
    }
    if (m_dialect.IsSQLite() && !missing) {
        auto mark = Run(QStringLiteral("PRAGMA application_id"));
        if (!mark || !mark->next() || mark->value(0).toInt() != SqlDialect::kApplicationId)
            return fail(QStringLiteral("%1 is not a Tarnwell book; Tarnwell will not write into "
                                       "it")
                            .arg(m_location.Describe()));
    }
    // Checked before anything is written into it; a reader that meets a
    // damaged page is told so by SQLite itself.
    if (m_dialect.IsSQLite() && !missing && access != Access::Read) {
        auto check = Run(QStringLiteral("PRAGMA quick_check"));
        const QString verdict = check && check->next() ? check->value(0).toString() : m_error;
        if (verdict != QLatin1String("ok"))
            return fail(QStringLiteral("%1 is damaged (integrity check: %2); Tarnwell will not "
                                       "write into it")
                            .arg(m_location.Describe(), verdict.section(QLatin1Char('\n'), 0, 0)));
    }
    if (!writable)
        m_readOnly
            = QStringLiteral("%1 may not be written by this user").arg(m_location.Describe());
    for (const QString& statement : m_dialect.Session(writable))
        if (!Run(statement))
            return fail(
                QStringLiteral("%1 cannot be opened: %2").arg(m_location.Describe(), m_error));
    return true;
}

std::optional<QSqlQuery> Book::Run(const QString& sql, const QVariantList& values)
{
    QSqlQuery query(QSqlDatabase::database(m_connection, false));
    query.setForwardOnly(true);
    bool done = false;
    if (values.isEmpty()) {
        done = query.exec(sql);
    } else if (query.prepare(sql)) {
        // An empty text is stored as an empty text; only a value made
        // without one (an amount not given) is NULL.
        for (const QVariant& value : values)
            query.addBindValue(value.typeId() == QMetaType::QString && !value.isNull()
                                       && value.toString().isNull()
                                   ? QVariant(QString(QLatin1String("")))
                                   : value);
        done = query.exec();
    }
    if (!done) {
        QString reason = Reason(query.lastError());
        if (reason.contains(QLatin1String("locked")) || reason.contains(QLatin1String("busy")))
            reason = QStringLiteral("another program holds the book locked past the wait (%1)")
                         .arg(reason);
        m_error = reason;
        return std::nullopt;
    }
    return query;
}

bool Book::Begin()
{
    return Run(m_dialect.BeginWrite()).has_value();
}

bool Book::Commit()
{
    return Run(QStringLiteral("COMMIT")).has_value();
}

void Book::Rollback()
{
    const QString error = m_error;
    Run(QStringLiteral("ROLLBACK"));
    m_error = error;
}

bool Book::MakeOrUpgrade(int fromVersion)
{
    // Each step brings the book from the version before it; all the steps a
    // book needs, and the version they end at, are one transaction.
    struct Step {
        int version;
        QStringList statements;
        QList<SqlDialect::Statement> optional;
    };
    const QList<Step> steps{
        {1, SchemaVersion1(m_dialect), m_dialect.SearchSchema()},
        {2, SchemaVersion2(m_dialect), {}},
        {3, SchemaVersion3(m_dialect), {}},
        {4, {}, m_dialect.SearchSchemaVersion4()},
    };
    if (!Begin()) {
        m_error = QStringLiteral("%1 cannot be written: %2").arg(m_location.Describe(), m_error);
        return false;
    }
    // Two programs making one PostgreSQL book at once: the second waits for
    // the first's book (SQLite's write lock is taken by the BEGIN).
    if (!m_dialect.IsSQLite()
        && !Run(
            QStringLiteral("SELECT pg_advisory_xact_lock(%1)").arg(SqlDialect::kApplicationId))) {
        m_error = QStringLiteral("%1 cannot be written: %2").arg(m_location.Describe(), m_error);
        Rollback();
        return false;
    }
    const auto fail = [&](const QString& what) {
        m_error
            = QStringLiteral("%1 could not be %2: %3").arg(m_location.Describe(), what, m_error);
        Rollback();
        return false;
    };
    // What another program may have done since the book was looked at.
    auto tables = Run(m_dialect.TablesQuery());
    if (!tables)
        return fail(QStringLiteral("read"));
    bool isBook = false;
    int tableCount = 0;
    while (tables->next()) {
        ++tableCount;
        isBook = isBook || tables->value(0).toString() == QLatin1String("book_schema");
    }
    tables->finish();
    if (isBook) {
        auto versions = Run(QStringLiteral("SELECT version FROM book_schema"));
        if (!versions || !versions->next())
            return fail(QStringLiteral("read"));
        fromVersion = versions->value(0).toInt();
    } else if (tableCount > 0 || fromVersion > 0) {
        m_error = QStringLiteral("other tables appeared in it");
        return fail(QStringLiteral("made"));
    }
    if (fromVersion >= kSchemaVersion) {
        Rollback();
        m_version = fromVersion;
        return true;
    }
    if (fromVersion == 0 && m_dialect.IsSQLite()
        && !Run(QStringLiteral("PRAGMA application_id = %1").arg(SqlDialect::kApplicationId)))
        return fail(QStringLiteral("made"));
    for (const Step& step : steps) {
        if (step.version <= fromVersion)
            continue;
        for (const QString& statement : step.statements)
            if (!Run(statement))
                return fail(fromVersion == 0 ? QStringLiteral("made") : QStringLiteral("upgraded"));
        // SQLite's search rows of an earlier version gain the marks of
        // their short pieces.
        if (step.version == 3 && fromVersion > 0 && m_dialect.KeepsSearchRows()
            && !MarkSearchRows())
            return fail(QStringLiteral("upgraded"));
        for (const SqlDialect::Statement& statement : step.optional) {
            if (!statement.optional) {
                if (!Run(statement.sql))
                    return fail(fromVersion == 0 ? QStringLiteral("made")
                                                 : QStringLiteral("upgraded"));
                continue;
            }
            // PostgreSQL ends a transaction at a failed statement unless it
            // is fenced by a savepoint.
            Run(QStringLiteral("SAVEPOINT optional_index"));
            if (Run(statement.sql))
                Run(QStringLiteral("RELEASE SAVEPOINT optional_index"));
            else
                Run(QStringLiteral("ROLLBACK TO SAVEPOINT optional_index"));
        }
    }
    const int oldestWriter = m_dialect.IsSQLite() ? kOldestSQLiteWriter : kOldestWriter;
    const bool recorded
        = fromVersion == 0
              ? Run(QStringLiteral("INSERT INTO book_schema (singleton, version, oldest_writer) "
                                   "VALUES (1, ?, ?)"),
                    {kSchemaVersion, oldestWriter})
                    .has_value()
              : Run(QStringLiteral("UPDATE book_schema SET version = ?, oldest_writer = ?"),
                    {kSchemaVersion, oldestWriter})
                    .has_value();
    if (!recorded || !Commit())
        return fail(fromVersion == 0 ? QStringLiteral("made") : QStringLiteral("upgraded"));
    m_version = kSchemaVersion;
    return true;
}

struct Book::Change {
    enum class Kind { Edit, Close, Issue, Void };
    Kind kind = Kind::Edit;
    FileDetails details; // the file number for every kind; the rest for an edit
    StoredClosing closing;
    StoredQuote quote;
    int expectedRevision = -1;
    QString date, ownersNumber, loanNumber, reason;
};

QDate Book::Today() const
{
    return m_today.isValid() ? m_today : QDate::currentDate();
}

SaveResult Book::Save(const FileDetails& details, const StoredClosing& closing,
                      const StoredQuote& quote, int expectedRevision, const QString& amendReason)
{
    Change change;
    change.details = details;
    change.closing = closing;
    change.quote = quote;
    change.expectedRevision = expectedRevision;
    change.reason = amendReason.simplified();
    return Apply(change);
}

SaveResult Book::Close(const QString& fileNumber, const QString& date)
{
    Change change;
    change.kind = Change::Kind::Close;
    change.details.fileNumber = fileNumber;
    change.date = date;
    return Apply(change);
}

SaveResult Book::Issue(const QString& fileNumber, const QString& date, const QString& ownersNumber,
                       const QString& loanNumber)
{
    Change change;
    change.kind = Change::Kind::Issue;
    change.details.fileNumber = fileNumber;
    change.date = date;
    change.ownersNumber = ownersNumber.trimmed();
    change.loanNumber = loanNumber.trimmed();
    return Apply(change);
}

SaveResult Book::Void(const QString& fileNumber, const QString& reason)
{
    Change change;
    change.kind = Change::Kind::Void;
    change.details.fileNumber = fileNumber;
    change.reason = reason.simplified();
    return Apply(change);
}

SaveResult Book::Apply(const Change& change)
{
    using Kind = Change::Kind;
    SaveResult result;
    const auto fail = [&](const QString& why) {
        result.status = SaveResult::Status::Failed;
        result.error = why;
        m_error = why;
        return result;
    };
    const FileDetails& details = change.details;
    const QString& number = details.fileNumber;
    if (!m_readOnly.isEmpty())
        return fail(m_readOnly);
    if (number.trimmed().isEmpty())
        return fail(QStringLiteral("a file number is needed to save"));
    const auto validDate = [](const QString& text) {
        return text.size() == 10 && QDate::fromString(text, Qt::ISODate).isValid();
    };
    if (change.kind == Kind::Edit) {
        if (!kUnderwriters.contains(details.underwriter))
            return fail(QStringLiteral("\"%1\" is no underwriter: %2")
                            .arg(details.underwriter, kUnderwriters.join(QStringLiteral(" or "))));
        if (!details.closingDate.isEmpty() && !validDate(details.closingDate))
            return fail(
                QStringLiteral("\"%1\" is no closing date: YYYY-MM-DD").arg(details.closingDate));
    }
    if ((change.kind == Kind::Close || change.kind == Kind::Issue) && !validDate(change.date))
        return fail(QStringLiteral("\"%1\" is no date: YYYY-MM-DD").arg(change.date));
    if (change.kind == Kind::Void && change.reason.isEmpty())
        return fail(QStringLiteral("a void needs its reason"));

    if (!Begin())
        return fail(QStringLiteral("the file could not be saved: %1").arg(m_error));
    const auto abandon = [&](const QString& why) {
        Rollback();
        return fail(QStringLiteral("the file could not be saved: %1").arg(why));
    };
    const auto refuse = [&](const QString& why) {
        Rollback();
        return fail(why);
    };
    // Every change that may reach the ledger waits for the others, so that
    // no line lands on a month while that month is being marked sent.
    if (!m_dialect.IsSQLite()
        && !Run(QStringLiteral("SELECT version FROM book_schema WHERE singleton = 1")
                + m_dialect.LockRow()))
        return abandon(m_error);
    auto current = Run(QStringLiteral("SELECT id, revision, first_saved, status FROM files "
                                      "WHERE file_number = ?")
                           + m_dialect.LockRow(),
                       {number});
    if (!current)
        return abandon(m_error);
    const QString now = QDateTime::currentDateTimeUtc().toString(Qt::ISODateWithMs);
    BookFile file{details, change.closing, change.quote, {}, {}, {}, {}};
    file.revision = {1, SystemUser(), now, QStringLiteral("file created"), {}};
    file.firstSaved = now;
    std::optional<qint64> id;
    if (current->next()) {
        id = current->value(0).toLongLong();
        const int latest = current->value(1).toInt();
        file.firstSaved = current->value(2).toString();
        const QString status = current->value(3).toString();
        current->finish();
        if (change.expectedRevision >= 0 && latest != change.expectedRevision) {
            const auto info = RevisionOf(*id, latest);
            Rollback();
            if (!info)
                return fail(m_error);
            result.status = SaveResult::Status::Stale;
            result.revision = latest;
            result.conflict = *info;
            result.error = QStringLiteral("file %1 was saved by %2 at %3 since it was opened")
                               .arg(number, info->savedBy, info->savedAt);
            return result;
        }
        auto before = LoadRevision(*id, latest);
        if (!before)
            return abandon(m_error);
        before->details.fileNumber = number;
        before->firstSaved = file.firstSaved;
        auto policies = Run(QStringLiteral("SELECT policy, number, issue_date FROM policies "
                                           "WHERE file_id = ?"),
                            {*id});
        if (!policies)
            return abandon(m_error);
        while (policies->next())
            before->policies.push_back({policies->value(0).toString(),
                                        policies->value(1).toString(),
                                        policies->value(2).toString()});
        policies->finish();
        const bool settled = !status.isEmpty();
        file.status = status;
        file.policies = before->policies;
        file.revision.revision = latest + 1;
        const auto unchanged = [&] {
            Rollback();
            result.status = SaveResult::Status::Unchanged;
            result.revision = latest;
            return result;
        };
        switch (change.kind) {
        case Kind::Edit: {
            file.revision.changes = Changes(*before, file);
            if (file.revision.changes.isEmpty())
                return unchanged();
            if (status == QLatin1String("voided") && change.reason.isEmpty())
                return refuse(QStringLiteral("file %1 is voided; a change to it is an amendment "
                                             "with its reason")
                                  .arg(number));
            if (settled && change.reason.isEmpty())
                return refuse(QStringLiteral("file %1 has policies issued; a change to it is an "
                                             "amendment with its reason")
                                  .arg(number));
            if (settled && details.underwriter != before->details.underwriter)
                return refuse(QStringLiteral("file %1 has policies issued under %2; its "
                                             "underwriter does not change (void it instead)")
                                  .arg(number, before->details.underwriter));
            if (settled)
                file.revision.changes
                    = QStringLiteral("amended (%1): %2").arg(change.reason, file.revision.changes);
            break;
        }
        case Kind::Close:
            if (before->details.closingDate == change.date)
                return unchanged();
            if (settled)
                return refuse(QStringLiteral("file %1 has policies issued; its closing date "
                                             "changes by an amendment")
                                  .arg(number));
            file.details = before->details;
            file.closing = before->closing;
            file.quote = before->quote;
            file.details.closingDate = change.date;
            file.revision.changes = QStringLiteral("closed %1").arg(change.date);
            break;
        case Kind::Void:
            if (status == QLatin1String("voided"))
                return refuse(QStringLiteral("file %1 is voided already").arg(number));
            file.details = before->details;
            file.closing = before->closing;
            file.quote = before->quote;
            file.status = QStringLiteral("voided");
            file.revision.changes = QStringLiteral("voided: %1").arg(change.reason);
            break;
        case Kind::Issue: {
            file.details = before->details;
            file.closing = before->closing;
            file.quote = before->quote;
            if (status == QLatin1String("voided"))
                return refuse(
                    QStringLiteral("file %1 is voided; nothing on it is issued").arg(number));
            const QString& closed = file.details.closingDate;
            if (closed.isEmpty() || closed > Today().toString(Qt::ISODate))
                return refuse(QStringLiteral("file %1 has not closed; close it first "
                                             "(tarnwell-book close %1 --date YYYY-MM-DD)")
                                  .arg(number));
            if (change.date < closed)
                return refuse(QStringLiteral("the issue date %1 is before file %2's closing "
                                             "on %3")
                                  .arg(change.date, number, closed));
            if (change.date > Today().toString(Qt::ISODate))
                return refuse(QStringLiteral("the issue date %1 is after today").arg(change.date));
            const auto has = [&](const char* role) {
                return std::any_of(
                    file.quote.lines.begin(), file.quote.lines.end(),
                    [&](const StoredLine& line) { return line.role == QLatin1String(role); });
            };
            const auto issued = [&](const QString& policy) {
                for (const IssuedPolicy& p : file.policies)
                    if (p.policy == policy)
                        return std::optional<IssuedPolicy>(p);
                return std::optional<IssuedPolicy>();
            };
            QList<IssuedPolicy> fresh;
            const struct {
                const char* role;
                QString policy, number, name;
            } wanted[] = {
                {"owners_policy", QStringLiteral("owner"), change.ownersNumber,
                 QStringLiteral("owner's policy")},
                {"loan_policy", QStringLiteral("loan"), change.loanNumber,
                 QStringLiteral("loan policy")},
            };
            bool asked = false;
            for (const auto& w : wanted) {
                if (w.number.isEmpty())
                    continue;
                asked = true;
                if (!has(w.role))
                    return refuse(QStringLiteral("file %1 has no %2").arg(number, w.name));
                if (const auto done = issued(w.policy)) {
                    if (done->number == w.number && done->issueDate == change.date)
                        continue;
                    return refuse(QStringLiteral("the %1 of file %2 was issued already: %3 on %4")
                                      .arg(w.name, number, done->number, done->issueDate));
                }
                // A policy number is the underwriter's: one policy, one file.
                auto other = Run(QStringLiteral("SELECT f.file_number FROM policies p JOIN files "
                                                "f ON f.id = p.file_id WHERE p.number = ? AND "
                                                "f.underwriter = ? AND p.file_id <> ? "
                                                "ORDER BY f.file_number LIMIT 1"),
                                 {w.number, file.details.underwriter, *id});
                if (!other)
                    return abandon(m_error);
                if (other->next())
                    return refuse(QStringLiteral("policy number %1 of %2 is issued already, to "
                                                 "file %3; the %4 of file %5 needs its own")
                                      .arg(w.number, file.details.underwriter,
                                           other->value(0).toString(), w.name, number));
                other->finish();
                fresh.push_back({w.policy, w.number, change.date});
            }
            if (!asked) {
                for (const auto& w : wanted)
                    if (has(w.role))
                        return refuse(QStringLiteral("file %1 has a %2: give its number "
                                                     "(--%3 NUMBER)")
                                          .arg(number, w.name,
                                               w.policy == QLatin1String("owner")
                                                   ? QStringLiteral("owners-policy")
                                                   : QStringLiteral("loan-policy")));
                if (const auto done = issued(kFileGroup)) {
                    if (done->issueDate == change.date)
                        return unchanged();
                    return refuse(QStringLiteral("file %1 was issued already on %2")
                                      .arg(number, done->issueDate));
                }
            }
            if (fresh.isEmpty() && asked)
                return unchanged();
            if (!issued(kFileGroup))
                fresh.push_back({kFileGroup, QString(), change.date});
            QStringList said;
            for (const IssuedPolicy& p : fresh) {
                if (!p.number.isEmpty())
                    said << QStringLiteral("%1 policy %2")
                                .arg(p.policy == QLatin1String("owner") ? QStringLiteral("owner's")
                                                                        : QStringLiteral("loan"),
                                     p.number);
                if (!Run(QStringLiteral("INSERT INTO policies (file_id, policy, number, "
                                        "issue_date, revision, recorded_month) "
                                        "VALUES (?, ?, ?, ?, ?, ?)"),
                         {*id, p.policy, p.number, p.issueDate, file.revision.revision,
                          MonthOfDate(Today())}))
                    return abandon(m_error);
                file.policies.push_back(p);
            }
            file.revision.changes = QStringLiteral("issued %1%2")
                                        .arg(said.isEmpty() ? QString()
                                                            : said.join(QStringLiteral(", "))
                                                                  + QStringLiteral(" "),
                                             change.date);
            break;
        }
        }
        file.revision.reason = change.reason;
    } else {
        current->finish();
        if (change.kind != Kind::Edit)
            return refuse(QStringLiteral("file \"%1\" is not in the book").arg(number));
        if (change.expectedRevision > 0)
            return abandon(QStringLiteral("file %1 is not in the book").arg(number));
    }
    const FileDetails& saved = file.details;
    const QVariantList head{file.revision.revision,
                            saved.underwriter,
                            saved.buyers,
                            saved.sellers,
                            saved.property,
                            saved.county,
                            saved.lender,
                            saved.closingDate,
                            saved.note,
                            MonthOf(saved, file.firstSaved),
                            now,
                            Cents(file.quote.grossCents),
                            Cents(file.quote.remitCents),
                            SearchText(saved)};
    const QString columns = QStringLiteral(
        "revision, underwriter, buyers, sellers, property, county, lender, closing_date, note, "
        "month, changed_at, gross_cents, remit_cents, search");
    if (id) {
        QVariantList values = head;
        values << *id;
        if (!Run(QStringLiteral("UPDATE files SET revision = ?, underwriter = ?, buyers = ?, "
                                "sellers = ?, property = ?, county = ?, lender = ?, "
                                "closing_date = ?, note = ?, month = ?, changed_at = ?, "
                                "gross_cents = ?, remit_cents = ?, search = ? WHERE id = ?"),
                 values))
            return abandon(m_error);
    } else {
        QVariantList values{number, file.firstSaved};
        values << head;
        auto inserted = Run(QStringLiteral("INSERT INTO files (file_number, first_saved, %1) "
                                           "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, "
                                           "?, ?) RETURNING id")
                                .arg(columns),
                            values);
        if (!inserted || !inserted->next())
            return abandon(m_error);
        id = inserted->value(0).toLongLong();
    }
    if (!InsertRevision(*id, file))
        return abandon(m_error);
    if (m_dialect.KeepsSearchRows()
        && (!Run(m_dialect.DeleteSearchRow(), {*id})
            || !Run(m_dialect.InsertSearchRow(), {SqlDialect::SearchRowText(SearchText(saved))})
            || !Run(m_dialect.LinkSearchRow(), {*id})))
        return abandon(m_error);
    if (m_dialect.KeepsSearchTable()
        && !Run(m_dialect.WriteSearchTable(),
                {*id, now, MonthOf(saved, file.firstSaved), saved.underwriter, SearchText(saved)}))
        return abandon(m_error);
    if (!Settle(*id, file, change.reason))
        return abandon(m_error);
    if (!Commit())
        return abandon(m_error);
    result.status = SaveResult::Status::Saved;
    result.revision = file.revision.revision;
    return result;
}

bool Book::MarkSearchRows()
{
    // Numbered afresh in the order the files changed.
    auto files = Run(QStringLiteral("SELECT id, search FROM files ORDER BY changed_at, id"));
    if (!files)
        return false;
    QList<std::pair<qint64, QString>> rows;
    while (files->next())
        rows.push_back({files->value(0).toLongLong(), files->value(1).toString()});
    files->finish();
    if (!Run(QStringLiteral("DELETE FROM file_search")))
        return false;
    for (const auto& [id, search] : rows)
        if (!Run(m_dialect.InsertSearchRow(), {SqlDialect::SearchRowText(search)})
            || !Run(m_dialect.LinkSearchRow(), {id}))
            return false;
    return true;
}

bool Book::InsertRevision(qint64 fileId, const BookFile& file)
{
    const FileDetails& d = file.details;
    const StoredClosing& c = file.closing;
    const StoredQuote& q = file.quote;
    const StoredTrid& t = q.trid;
    const int revision = file.revision.revision;
    const QVariantList values{
        fileId,
        revision,
        file.revision.savedBy,
        file.revision.savedAt,
        file.revision.changes,
        d.underwriter,
        d.buyers,
        d.sellers,
        d.property,
        d.county,
        d.lender,
        d.closingDate,
        d.note,
        Cents(c.splitHundredths),
        Nullable(c.priceCents),
        Nullable(c.loanCents),
        Nullable(c.priorOwnersCents),
        Nullable(c.priorLoanCents),
        c.coverage,
        c.closingProtectionLetter ? 1 : 0,
        Cents(q.grossCents),
        Cents(q.remitCents),
        t.hasLoanPolicy ? 1 : 0,
        t.hasOwnersPolicy ? 1 : 0,
        Cents(t.lendersChargedCents),
        Cents(t.ownersChargedCents),
        Cents(t.lendersDisclosedCents),
        Cents(t.ownersDisclosedCents),
        Cents(t.otherCents),
        Cents(t.chargedCents),
        Cents(t.disclosedCents),
        file.status,
        file.revision.reason,
    };
    QString marks = QStringLiteral("?");
    for (qsizetype i = 1; i < values.size(); ++i)
        marks += QStringLiteral(", ?");
    if (!Run(QStringLiteral("INSERT INTO revisions (file_id, %1) VALUES (%2)")
                 .arg(kRevisionColumns, marks),
             values))
        return false;
    for (qsizetype i = 0; i < c.endorsements.size(); ++i)
        if (!Run(QStringLiteral("INSERT INTO revision_endorsements (file_id, revision, position, "
                                "line, policy) VALUES (?, ?, ?, ?, ?)"),
                 {fileId, revision, static_cast<int>(i), c.endorsements[i].line,
                  c.endorsements[i].policy}))
            return false;
    for (qsizetype i = 0; i < q.lines.size(); ++i) {
        const StoredLine& line = q.lines[i];
        QVariantList row{fileId,    revision,  static_cast<int>(i), line.line,
                         line.code, line.text, line.role,           line.policy};
        for (qsizetype k = 0; k < 2; ++k) {
            const bool has = k < line.pricedOn.size();
            row << (has ? QVariant(line.pricedOn[k].name)
                        : QVariant(QMetaType::fromType<QString>()))
                << (has ? Cents(line.pricedOn[k].cents)
                        : QVariant(QMetaType::fromType<qlonglong>()));
        }
        row << Cents(line.grossCents) << Cents(line.remitCents) << line.grossText << line.remitText;
        if (!Run(QStringLiteral("INSERT INTO revision_lines (file_id, revision, position, line, "
                                "code, text, role, policy, priced_on_1, amount_1_cents, "
                                "priced_on_2, amount_2_cents, gross_cents, remit_cents, "
                                "gross_text, remit_text) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, "
                                "?, ?, ?, ?, ?, ?)"),
                 row))
            return false;
    }
    for (qsizetype i = 0; i < t.rows.size(); ++i) {
        const StoredTridRow& row = t.rows[i];
        if (!Run(QStringLiteral("INSERT INTO revision_trid_rows (file_id, revision, position, "
                                "section, name, line, policy, policy_named, disclosed_cents, "
                                "charged_cents, note) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"),
                 {fileId, revision, static_cast<int>(i), row.section, row.name, row.line,
                  row.policy, row.policyNamed ? 1 : 0, Cents(row.disclosedCents),
                  Cents(row.chargedCents), row.note}))
            return false;
    }
    return true;
}

std::optional<RevisionInfo> Book::RevisionOf(qint64 fileId, int revision)
{
    auto query = Run(QStringLiteral("SELECT revision, saved_by, saved_at, changes FROM revisions "
                                    "WHERE file_id = ? AND revision = ?"),
                     {fileId, revision});
    if (!query)
        return std::nullopt;
    if (!query->next()) {
        m_error = QStringLiteral("revision %1 is missing from the book").arg(revision);
        return std::nullopt;
    }
    return RevisionInfo{query->value(0).toInt(),
                        query->value(1).toString(),
                        query->value(2).toString(),
                        query->value(3).toString(),
                        {}};
}

std::optional<BookFile> Book::LoadRevision(qint64 fileId, int revision)
{
    auto query = Run(QStringLiteral("SELECT %1 FROM revisions WHERE file_id = ? AND revision = ?")
                         .arg(kRevisionColumns),
                     {fileId, revision});
    if (!query)
        return std::nullopt;
    if (!query->next()) {
        m_error.clear();
        return std::nullopt;
    }
    int at = 0;
    const auto next = [&]() { return query->value(at++); };
    BookFile file;
    file.revision.revision = next().toInt();
    file.revision.savedBy = next().toString();
    file.revision.savedAt = next().toString();
    file.revision.changes = next().toString();
    FileDetails& d = file.details;
    for (QString* text : {&d.underwriter, &d.buyers, &d.sellers, &d.property, &d.county, &d.lender,
                          &d.closingDate, &d.note})
        *text = next().toString();
    StoredClosing& c = file.closing;
    c.splitHundredths = next().toLongLong();
    for (std::optional<std::int64_t>* cents :
         {&c.priceCents, &c.loanCents, &c.priorOwnersCents, &c.priorLoanCents})
        *cents = CentsOf(next());
    c.coverage = next().toString();
    c.closingProtectionLetter = next().toInt() != 0;
    StoredQuote& q = file.quote;
    q.grossCents = next().toLongLong();
    q.remitCents = next().toLongLong();
    StoredTrid& t = q.trid;
    t.hasLoanPolicy = next().toInt() != 0;
    t.hasOwnersPolicy = next().toInt() != 0;
    for (std::int64_t* cents :
         {&t.lendersChargedCents, &t.ownersChargedCents, &t.lendersDisclosedCents,
          &t.ownersDisclosedCents, &t.otherCents, &t.chargedCents, &t.disclosedCents})
        *cents = next().toLongLong();
    next(); // the file's status after this revision
    file.revision.reason = next().toString();
    query->finish();

    auto endorsements = Run(QStringLiteral("SELECT line, policy FROM revision_endorsements WHERE "
                                           "file_id = ? AND revision = ? ORDER BY position"),
                            {fileId, revision});
    if (!endorsements)
        return std::nullopt;
    while (endorsements->next())
        c.endorsements.push_back(
            {endorsements->value(0).toInt(), endorsements->value(1).toString()});
    endorsements->finish();

    auto lines = Run(QStringLiteral("SELECT line, code, text, role, policy, priced_on_1, "
                                    "amount_1_cents, priced_on_2, amount_2_cents, gross_cents, "
                                    "remit_cents, gross_text, remit_text FROM revision_lines "
                                    "WHERE file_id = ? AND revision = ? ORDER BY position"),
                     {fileId, revision});
    if (!lines)
        return std::nullopt;
    while (lines->next()) {
        StoredLine line{lines->value(0).toInt(),      lines->value(1).toString(),
                        lines->value(2).toString(),   lines->value(3).toString(),
                        lines->value(4).toString(),   {},
                        lines->value(9).toLongLong(), lines->value(10).toLongLong(),
                        lines->value(11).toString(),  lines->value(12).toString()};
        for (int k = 0; k < 2; ++k)
            if (!lines->value(5 + 2 * k).isNull())
                line.pricedOn.push_back(
                    {lines->value(5 + 2 * k).toString(), lines->value(6 + 2 * k).toLongLong()});
        q.lines.push_back(line);
    }
    lines->finish();

    auto rows = Run(QStringLiteral("SELECT section, name, line, policy, policy_named, "
                                   "disclosed_cents, charged_cents, note FROM revision_trid_rows "
                                   "WHERE file_id = ? AND revision = ? ORDER BY position"),
                    {fileId, revision});
    if (!rows)
        return std::nullopt;
    while (rows->next())
        t.rows.push_back({rows->value(0).toString(), rows->value(1).toString(),
                          rows->value(2).toInt(), rows->value(3).toString(),
                          rows->value(4).toInt() != 0, rows->value(5).toLongLong(),
                          rows->value(6).toLongLong(), rows->value(7).toString()});
    return file;
}

std::optional<BookFile> Book::Load(const QString& fileNumber, int revision)
{
    auto head = Run(QStringLiteral("SELECT id, revision, first_saved, status FROM files "
                                   "WHERE file_number = ?"),
                    {fileNumber});
    if (!head)
        return std::nullopt;
    if (!head->next()) {
        m_error.clear();
        return std::nullopt;
    }
    const qint64 id = head->value(0).toLongLong();
    const int latest = head->value(1).toInt();
    const QString firstSaved = head->value(2).toString();
    const QString status = head->value(3).toString();
    head->finish();
    auto file = LoadRevision(id, revision > 0 ? revision : latest);
    if (!file)
        return file;
    file->details.fileNumber = fileNumber;
    file->firstSaved = firstSaved;
    file->status = status;
    auto policies = Run(QStringLiteral("SELECT policy, number, issue_date FROM policies WHERE "
                                       "file_id = ? ORDER BY issue_date, policy"),
                        {id});
    if (!policies)
        return std::nullopt;
    while (policies->next())
        file->policies.push_back({policies->value(0).toString(), policies->value(1).toString(),
                                  policies->value(2).toString()});
    policies->finish();
    if (status == QLatin1String("voided")) {
        // A void is never undone: the first revision voided holds its reason.
        auto voided = Run(QStringLiteral("SELECT reason FROM revisions WHERE file_id = ? AND "
                                         "status = 'voided' ORDER BY revision LIMIT 1"),
                          {id});
        if (!voided)
            return std::nullopt;
        if (voided->next())
            file->voidReason = voided->value(0).toString();
    }
    return file;
}

std::optional<QList<RevisionInfo>> Book::History(const QString& fileNumber)
{
    auto query = Run(
        QStringLiteral("SELECT r.revision, r.saved_by, r.saved_at, r.changes, r.reason FROM "
                       "revisions r JOIN files f ON f.id = r.file_id WHERE "
                       "f.file_number = ? ORDER BY r.revision"),
        {fileNumber});
    if (!query)
        return std::nullopt;
    QList<RevisionInfo> history;
    while (query->next())
        history.push_back({query->value(0).toInt(), query->value(1).toString(),
                           query->value(2).toString(), query->value(3).toString(),
                           query->value(4).toString()});
    return history;
}

std::optional<QList<FileSummary>> Book::Find(const FileFilter& filter, int limit, int offset)
{
    QStringList conditions;
    QVariantList values;
    const QString find = filter.find.trimmed().toLower();
    QString from = QStringLiteral("files");
    QString order = QStringLiteral("changed_at DESC, id DESC");
    bool narrow = false;
    if (!find.isEmpty() && m_dialect.SearchesInOrder()) {
        from = m_dialect.OrderedSearchFrom();
        order = m_dialect.OrderedSearchOrder();
        conditions << m_dialect.OrderedSearchCondition();
        values << SqlDialect::SearchIndexValue(find);
    } else if (!find.isEmpty()) {
        int matches = SqlDialect::kFewMatches;
        if (m_dialect.CountsFirst(find)) {
            auto counted = Run(m_dialect.SearchCountQuery(), {find});
            if (!counted || !counted->next())
                return std::nullopt;
            matches = counted->value(0).toInt();
            if (matches == 0)
                return QList<FileSummary>();
            counted->finish();
        }
        narrow = matches >= SqlDialect::kFewMatches;
        conditions << (narrow ? m_dialect.NarrowSearchCondition(find)
                              : m_dialect.PiecesSearchCondition());
        values << (narrow ? SqlDialect::LikeValue(find) : find);
    }
    if (!filter.month.isEmpty()) {
        conditions << QStringLiteral("month = ?");
        values << filter.month;
    }
    if (!filter.underwriter.isEmpty()) {
        conditions << QStringLiteral("underwriter = ?");
        values << filter.underwriter;
    }
    const QString where = conditions.isEmpty() ? QString()
                                               : QStringLiteral(" WHERE ")
                                                     + conditions.join(QStringLiteral(" AND "));
    values << (limit < 0 ? std::numeric_limits<int>::max() : limit) << offset;
    if (!narrow)
        return Summaries(QStringLiteral("SELECT %1 FROM %2%3 ORDER BY %4 LIMIT ? OFFSET ?")
                             .arg(kSummaryColumns, from, where, order),
                         values);
    // PostgreSQL's search table names the matches; only the screen of them
    // is read from the files. The files changed last are looked at first: a
    // whole screen of matches among them is the answer, since every other
    // match is older. Otherwise every match is fetched and the newest kept.
    const QString sql = QStringLiteral("SELECT %1 FROM files WHERE id IN (%2) "
                                       "ORDER BY changed_at DESC, id DESC")
                            .arg(kSummaryColumns);
    if (limit >= 0) {
        auto newest = Summaries(sql.arg(m_dialect.NarrowSearch(true, where)), values);
        if (!newest || newest->size() == limit)
            return newest;
    }
    return Summaries(sql.arg(m_dialect.NarrowSearch(false, where)), values);
}

std::optional<QList<FileSummary>> Book::Summaries(const QString& sql, const QVariantList& values)
{
    auto query = Run(sql, values);
    if (!query)
        return std::nullopt;
    QList<FileSummary> files;
    while (query->next()) {
        FileSummary file;
        int at = 0;
        for (QString* text : {&file.fileNumber, &file.underwriter, &file.buyers, &file.sellers,
                              &file.property, &file.closingDate, &file.month, &file.changedAt})
            *text = query->value(at++).toString();
        file.revision = query->value(at++).toInt();
        file.grossCents = query->value(at++).toLongLong();
        file.remitCents = query->value(at++).toLongLong();
        files.push_back(file);
    }
    return files;
}

std::optional<QStringList> Book::FileNumbers()
{
    auto query = Run(QStringLiteral("SELECT file_number FROM files ORDER BY id"));
    if (!query)
        return std::nullopt;
    QStringList numbers;
    while (query->next())
        numbers << query->value(0).toString();
    return numbers;
}

bool Book::Backup(const QString& path)
{
    if (m_location.IsPostgreSql()) {
        m_error = QStringLiteral("a PostgreSQL book is copied by its server's own tool: "
                                 "pg_dump --format=custom --file=%1 '%2'")
                      .arg(path, m_location.given);
        return false;
    }
    // Made empty and readable by its owner only, refusing a path that
    // exists; VACUUM INTO then fills it with one consistent copy.
    QFile file(path);
    if (QFileInfo::exists(path) || !file.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
        m_error = QFileInfo::exists(path)
                      ? QStringLiteral("%1 exists; a backup never writes over a file").arg(path)
                      : QStringLiteral("%1 cannot be made: %2").arg(path, file.errorString());
        return false;
    }
    file.setPermissions(kOwnerOnly);
    file.close();
    if (!Run(QStringLiteral("VACUUM INTO ?"), {QFileInfo(path).absoluteFilePath()})) {
        m_error = QStringLiteral("the backup %1 could not be made: %2").arg(path, m_error);
        QFile::remove(path);
        return false;
    }
    return true;
}

} // namespace Book
