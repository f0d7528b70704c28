// What the agent gets when the book is not well: a file that is no book, a
// damaged, locked, full, unreadable or read-only book. Each is refused in one
// line and never written. SQLite files; the permission cases run the
// installed program as an unprivileged user, since root passes every
// permission.

#include "tests/book/BookServers.h"
#include "tests/book/BookTestSupport.h"

#include <QCryptographicHash>
#include <QFile>
#include <QProcess>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

namespace BookTest {
namespace {

const std::vector<std::string> kRefinance{"--split", "20",           "--loan",
                                          "300000",  "--prior-loan", "200000"};

class BookFaultTest : public ::testing::Test {
protected:
    QString Path() const { return m_folder.filePath(QStringLiteral("book.sqlite")); }
    void OpensSavesAndReopens();
    Book::BookLocation Location() const
    {
        return std::get<Book::BookLocation>(Book::ReadLocation(Path()));
    }
    // A book of `files` files, closed.
    void MakeBook(int files)
    {
        auto book = OpenForWriting(Location());
        for (int i = 1; i <= files; ++i)
            SaveNew(*book, Details(QStringLiteral("F-%1").arg(i)), Price(kRefinance));
    }
    QByteArray Bytes() const
    {
        QFile file(Path());
        file.open(QIODevice::ReadOnly);
        return QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256);
    }
    QString OpenError(Book::Access access = Book::Access::Write)
    {
        QString error;
        EXPECT_FALSE(Book::Book::Open(Location(), access, error));
        return error;
    }

    QTemporaryDir m_folder;
};

TEST_F(BookFaultTest, WhatIsNoBookIsRefusedAndNeverWritten)
{
    struct Case {
        QByteArray content;
        QString error; // empty: it counts as missing and a write makes the book
    };
    const QList<Case> cases{
        {"file,split\n1,15\n", "is not a Tarnwell book; Tarnwell will not write into it"},
        {QByteArray("SQLite format 3\0", 16) + QByteArray(4080, '\x7f'),
         "cannot be read (file is not a database); Tarnwell will not write into it"},
        {"", ""},
    };
    for (const Case& c : cases) {
        QFile::remove(Path());
        QFile file(Path());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(c.content);
        file.close();
        if (c.error.isEmpty()) {
            EXPECT_EQ(OpenError(Book::Access::Read), "there is no book at " + Path());
            EXPECT_TRUE(OpenForWriting(Location()));
            continue;
        }
        const QByteArray before = Bytes();
        EXPECT_TRUE(OpenError().endsWith(c.error)) << OpenError().toStdString();
        EXPECT_EQ(Bytes(), before);
    }
    // A SQLite database of another program.
    QFile::remove(Path());
    Tamper(Location(), {"CREATE TABLE notes (text TEXT)"});
    EXPECT_TRUE(OpenError().endsWith("is not a Tarnwell book; Tarnwell will not write into it"));
}

TEST_F(BookFaultTest, ADamagedBookIsRefusedAndLeftAsItIs)
{
    MakeBook(60);
    QFile file(Path());
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    file.seek(file.size() / 2);
    file.write(QByteArray(4096, '\x55'));
    file.close();
    const QByteArray before = Bytes();
    const QString error = OpenError();
    EXPECT_TRUE(error.startsWith("the book " + Path() + " is damaged (integrity check: "))
        << error.toStdString();
    EXPECT_TRUE(error.endsWith("Tarnwell will not write into it"));
    EXPECT_EQ(Bytes(), before);
}

TEST_F(BookFaultTest, ALockedBookFailsTheSaveAfterTheWaitAndKeepsNothingHalfDone)
{
    MakeBook(1);
    QSqlDatabase other = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"),
                                                   QStringLiteral("other"));
    other.setDatabaseName(Path());
    ASSERT_TRUE(other.open());
    QSqlQuery(other).exec(QStringLiteral("BEGIN EXCLUSIVE"));
    {
        QString error;
        auto book = Book::Book::Open(Location(), Book::Access::Write, error, 200);
        ASSERT_TRUE(book) << error.toStdString();
        const Priced priced = Price(kRefinance);
        const auto saved = book->Save(Details("F-2"), priced.closing, priced.quote, 0);
        EXPECT_EQ(saved.error,
                  QStringLiteral("the file could not be saved: another program holds "
                                 "the book locked past the wait (database is locked)"));
        QSqlQuery(other).exec(QStringLiteral("ROLLBACK"));
        SaveNew(*book, Details("F-2"), priced);
    }
    other.close();
    other = QSqlDatabase();
    QSqlDatabase::removeDatabase(QStringLiteral("other"));
}

TEST_F(BookFaultTest, ASaveOnAFullDiskFailsWholeAndTheBookIsAsBefore)
{
    MakeBook(1);
    {
        auto book = OpenForWriting(Location());
        QSqlQuery pages(QSqlDatabase::database(book->connectionName()));
        pages.exec(QStringLiteral("PRAGMA page_count"));
        pages.next();
        QSqlQuery(QSqlDatabase::database(book->connectionName()))
            .exec(QStringLiteral("PRAGMA max_page_count = %1").arg(pages.value(0).toInt()));
        pages.finish();
        Priced priced = Price(kRefinance);
        const auto saved = book->Save(Details("F-2", QString(5000, QLatin1Char('x'))),
                                      priced.closing, priced.quote, 0);
        EXPECT_EQ(saved.status, Book::SaveResult::Status::Failed);
        EXPECT_EQ(saved.error,
                  QStringLiteral("the file could not be saved: database or disk is full"));
    }
    auto book = OpenForWriting(Location());
    ASSERT_TRUE(book);
    EXPECT_EQ(*book->FileNumbers(), QStringList{QStringLiteral("F-1")});
}

// The installed program run as "nobody".
struct ChildRun {
    int status;
    QString out, err;
};
ChildRun AsNobody(const QStringList& args)
{
    QProcess process;
    process.start(QStringLiteral("runuser"),
                  QStringList{"-u", "nobody", "--", TARNWELL_BOOK_PROGRAM} + args);
    process.closeWriteChannel();
    process.waitForFinished(60000);
    return {process.exitCode(), QString::fromUtf8(process.readAllStandardOutput()),
            QString::fromUtf8(process.readAllStandardError())};
}

TEST_F(BookFaultTest, AnUnreadableBookAndAReadOnlyBookAsAnUnprivilegedUser)
{
    if (geteuid() != 0)
        GTEST_SKIP() << "runs as root, to become nobody";
    MakeBook(2);
    chmod(QFile::encodeName(m_folder.path()).constData(), 0755);
    const QByteArray before = Bytes();
    struct Case {
        mode_t mode;
        QStringList args;
        int status;
        QString err; // the line, or what the output begins with
    };
    const QList<Case> cases{
        {0600,
         {"list"},
         2,
         "tarnwell-book: the book " + Path() + " cannot be read: Permission denied\n"},
        {0644, {"list", "--csv"}, 0, ""},
        {0644,
         {"import", "-"},
         2,
         "tarnwell-book: the book " + Path() + " may not be written by this user\n"},
    };
    for (const Case& c : cases) {
        chmod(QFile::encodeName(Path()).constData(), c.mode);
        const ChildRun run = AsNobody(QStringList{"--database", Path()} << c.args);
        EXPECT_EQ(run.status, c.status) << run.err.toStdString();
        EXPECT_EQ(run.err, c.err);
        if (c.status == 0) {
            EXPECT_EQ(run.out.count(QLatin1Char('\n')), 3) << run.out.toStdString();
        }
        EXPECT_EQ(Bytes(), before);
    }
}

// A CSV file of `rows` refinances numbered PREFIX-1 upward.
QString Closings(const QTemporaryDir& folder, const QString& prefix, int rows)
{
    const QString path = folder.filePath(prefix + QStringLiteral(".csv"));
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    file.write("file,split,loan,prior_loan,buyers\n");
    for (int i = 1; i <= rows; ++i)
        file.write(QStringLiteral("%1-%2,20,%3,200000,Owner %2\n")
                       .arg(prefix)
                       .arg(i)
                       .arg(250'000 + i)
                       .toUtf8());
    return path;
}

TEST_F(BookFaultTest, AnImportKilledMidwayKeepsExactlyWhatItCommittedAndARerunAddsTheRest)
{
    const QString csv = Closings(m_folder, QStringLiteral("K"), 4000);
    QProcess child;
    child.start(TARNWELL_BOOK_PROGRAM, {"--database", Path(), "import", csv});
    ASSERT_TRUE(child.waitForStarted());
    QSqlDatabase watcher = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"),
                                                     QStringLiteral("watcher"));
    watcher.setDatabaseName(Path());
    watcher.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=5000"));
    int committed = 0;
    while (committed < 100 && child.state() == QProcess::Running) {
        QThread::msleep(10);
        if (QFile::exists(Path()) && watcher.open()) {
            QSqlQuery count(watcher);
            if (count.exec(QStringLiteral("SELECT count(*) FROM files")) && count.next())
                committed = count.value(0).toInt();
        }
    }
    child.kill();
    child.waitForFinished();
    watcher.close();
    watcher = QSqlDatabase();
    QSqlDatabase::removeDatabase(QStringLiteral("watcher"));
    ASSERT_EQ(child.exitStatus(), QProcess::CrashExit) << "the import ended before it was killed";

    auto book = OpenForWriting(Location()); // which passes the integrity check
    ASSERT_TRUE(book);
    const QStringList numbers = *book->FileNumbers();
    ASSERT_GE(numbers.size(), 100);
    ASSERT_LT(numbers.size(), 4000);
    for (int i = 0; i < numbers.size(); ++i) {
        ASSERT_EQ(numbers[i], QStringLiteral("K-%1").arg(i + 1));
        const auto file = book->Load(numbers[i]);
        ASSERT_TRUE(file && file->quote.lines.size() == 1 && file->revision.revision == 1);
    }
    book.reset();
    QProcess rerun;
    rerun.start(TARNWELL_BOOK_PROGRAM, {"--database", Path(), "import", csv});
    rerun.waitForFinished(120000);
    EXPECT_EQ(rerun.readAllStandardOutput(),
              QStringLiteral("imported: %1 new, 0 changed, %2 unchanged\n")
                  .arg(4000 - numbers.size())
                  .arg(numbers.size()));
}

TEST_F(BookFaultTest, TwoImportsAtOnceIntoOneBookKeepEveryRow)
{
    QProcess first, second;
    first.start(TARNWELL_BOOK_PROGRAM,
                {"--database", Path(), "import", Closings(m_folder, QStringLiteral("A"), 300)});
    second.start(TARNWELL_BOOK_PROGRAM,
                 {"--database", Path(), "import", Closings(m_folder, QStringLiteral("B"), 300)});
    for (QProcess* child : {&first, &second}) {
        ASSERT_TRUE(child->waitForFinished(120000));
        EXPECT_EQ(child->exitCode(), 0) << child->readAllStandardError().toStdString();
    }
    EXPECT_EQ(OpenForWriting(Location())->FileNumbers()->size(), 600);
}

// Two desks importing into one empty PostgreSQL book at once: the first
// makes the book while the other waits, and every row of both is kept.
TEST(BookConcurrencyTest, TwoImportsAtOnceIntoOnePostgreSqlBookKeepEveryRow)
{
    TARNWELL_REQUIRE_DATABASE(Database::PostgreSQL);
    BookPlace place(Database::PostgreSQL);
    QTemporaryDir folder;
    QProcess first, second;
    first.start(TARNWELL_BOOK_PROGRAM, {"--database", place.Address(), "import",
                                        Closings(folder, QStringLiteral("A"), 300)});
    second.start(TARNWELL_BOOK_PROGRAM, {"--database", place.Address(), "import",
                                         Closings(folder, QStringLiteral("B"), 300)});
    for (QProcess* child : {&first, &second}) {
        ASSERT_TRUE(child->waitForFinished(180000));
        EXPECT_EQ(child->exitCode(), 0) << child->readAllStandardError().toStdString();
    }
    const auto numbers = OpenForWriting(place.Location())->FileNumbers();
    ASSERT_TRUE(numbers);
    EXPECT_EQ(numbers->size(), 600);
    EXPECT_TRUE(numbers->contains(QStringLiteral("A-300")) && numbers->contains("B-1"));
}

// Every row of the first version's tables, as text.
QStringList Rows(const Book::BookLocation& location)
{
    QStringList rows;
    const QString name = QStringLiteral("tarnwell-test-rows");
    {
        QSqlDatabase database = Connect(location, name);
        for (const char* table : {"files", "revisions", "revision_endorsements", "revision_lines",
                                  "revision_trid_rows"}) {
            QSqlQuery query(database);
            EXPECT_TRUE(query.exec(
                QStringLiteral("SELECT * FROM %1 ORDER BY 1, 2, 3").arg(QLatin1String(table))));
            while (query.next()) {
                QStringList row{QLatin1String(table)};
                const int width = query.record().count();
                for (int i = 0; i < width; ++i)
                    if (const QString column = query.record().fieldName(i);
                        column != QLatin1String("status") && column != QLatin1String("reason")
                        && column != QLatin1String("pending")
                        && column != QLatin1String("search_row")
                        && column != QLatin1String("search_pieces"))
                        row << query.value(i).toString();
                rows << row.join(QLatin1Char('|'));
            }
        }
        database.close();
    }
    QSqlDatabase::removeDatabase(name);
    return rows;
}

// The oldest version the book says may still write it.
int OldestWriter(const Book::BookLocation& location)
{
    const QString name = QStringLiteral("tarnwell-test-writer");
    int oldest = 0;
    {
        QSqlDatabase database = Connect(location, name);
        QSqlQuery query(database);
        EXPECT_TRUE(query.exec(QStringLiteral("SELECT oldest_writer FROM book_schema")));
        if (query.next())
            oldest = query.value(0).toInt();
        query.finish();
        database.close();
    }
    QSqlDatabase::removeDatabase(name);
    return oldest;
}

// The book the first version of the schema wrote (tests/data/book), and the
// same book as the second and third versions' programs upgraded it, kept for
// the upgrades of later versions: opened (upgraded, every row as it was), read,
// searched, saved and read again.
TEST_F(BookFaultTest, TheEarlierVersionsBooksOpenSaveAndReopen)
{
    for (const char* kept : {"/version1.sqlite", "/version2.sqlite", "/version3.sqlite"}) {
        SCOPED_TRACE(kept);
        QFile::remove(Path());
        ASSERT_TRUE(QFile::copy(QStringLiteral(TARNWELL_BOOK_DATA) + QLatin1String(kept), Path()));
        OpensSavesAndReopens();
    }
}

void BookFaultTest::OpensSavesAndReopens()
{
    QFile::setPermissions(Path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    const QStringList before = Rows(Location());
    ASSERT_GT(before.size(), 10);
    {
        auto book = OpenForWriting(Location());
        ASSERT_TRUE(book);
        EXPECT_EQ(book->version(), 4);
        EXPECT_EQ(Rows(Location()), before);
        EXPECT_EQ(book->Load(QStringLiteral("2026-00001"))->status, QString());
        // Its search rows numbered and marked afresh: found by a word, by
        // two letters, newest change first.
        for (const auto& [find, first] :
             {std::pair{"smith", "2026-00001"}, std::pair{"ow", "2026-00002"},
              std::pair{"bank", "2026-00001"}}) {
            const auto found = book->Find({QString::fromLatin1(find), {}, {}});
            ASSERT_TRUE(found && !found->isEmpty()) << find;
            EXPECT_EQ(found->at(0).fileNumber, QLatin1String(first)) << find;
        }
        const auto refinance = book->Load(QStringLiteral("2026-00002"));
        ASSERT_TRUE(refinance);
        EXPECT_EQ(refinance->details.buyers, QStringLiteral("=Carl Owens"));
        EXPECT_EQ(refinance->quote.grossCents, 93000);
        EXPECT_EQ(refinance->quote.remitCents, 58600);
        EXPECT_EQ(book->Load(QStringLiteral("2026-00001"), 1)->details.buyers,
                  QStringLiteral("Ann Smith"));
        auto purchase = book->Load(QStringLiteral("2026-00001"));
        ASSERT_TRUE(purchase);
        EXPECT_EQ(purchase->details.buyers, QStringLiteral("Ann and Dan Smith"));
        EXPECT_EQ(purchase->quote.grossCents, 71000);
        purchase->details.note = QStringLiteral("policy ordered");
        EXPECT_EQ(book->Save(purchase->details, purchase->closing, purchase->quote, 2).revision, 3);
    }
    const auto history = OpenForWriting(Location())->History(QStringLiteral("2026-00001"));
    ASSERT_EQ(history->size(), 3);
    // SQLite's book is as the third version left it: that program may write it.
    EXPECT_EQ(OldestWriter(Location()), 3);
    EXPECT_EQ(history->at(2).changes, QStringLiteral("note"));
}

// The same first-version book in a PostgreSQL database: the first
// version's tables as its SQLite file holds them (the row id made by the
// server) and its search index, every row copied. The program refuses to
// write it until `tarnwell-book upgrade`, which keeps every row as it was;
// the upgraded book then issues, reports and searches.
TEST(BookUpgradeTest, TheFirstVersionsBookOnPostgreSqlIsUpgradedByTheProgram)
{
    TARNWELL_REQUIRE_DATABASE(Database::PostgreSQL);
    BookPlace place(Database::PostgreSQL);
    const auto source = std::get<Book::BookLocation>(
        Book::ReadLocation(TARNWELL_BOOK_DATA "/version1.sqlite"));
    {
        QSqlDatabase from = Connect(source, QStringLiteral("tarnwell-test-from"));
        QSqlDatabase to = Connect(place.Location(), QStringLiteral("tarnwell-test-to"));
        const auto run = [&](const QString& sql) {
            QSqlQuery query(to);
            EXPECT_TRUE(query.exec(sql)) << query.lastError().text().toStdString();
        };
        QSqlQuery schema(from);
        ASSERT_TRUE(schema.exec(QStringLiteral(
            "SELECT name, sql FROM sqlite_master WHERE sql IS NOT NULL AND name NOT LIKE "
            "'file_search%' AND name <> 'files_search' ORDER BY type DESC, rowid")));
        QStringList tables;
        while (schema.next()) {
            QString sql = schema.value(1).toString();
            sql.replace(QLatin1String("id INTEGER PRIMARY KEY"),
                        QLatin1String("id BIGSERIAL PRIMARY KEY"));
            run(sql);
            if (sql.startsWith(QLatin1String("CREATE TABLE")))
                tables << schema.value(0).toString();
        }
        for (const auto& statement :
             Book::SqlDialect(Book::SqlDialect::Kind::PostgreSQL).SearchSchema())
            run(statement.sql);
        for (const QString& table : tables) {
            QSqlQuery rows(from);
            ASSERT_TRUE(rows.exec(QStringLiteral("SELECT * FROM %1").arg(table)));
            while (rows.next()) {
                const int width = rows.record().count();
                QStringList marks(width, QStringLiteral("?"));
                QSqlQuery insert(to);
                insert.prepare(QStringLiteral("INSERT INTO %1 VALUES (%2)")
                                   .arg(table, marks.join(QLatin1Char(','))));
                for (int i = 0; i < width; ++i)
                    insert.addBindValue(rows.value(i));
                EXPECT_TRUE(insert.exec()) << insert.lastError().text().toStdString();
            }
        }
        run(QStringLiteral("SELECT setval('files_id_seq', (SELECT max(id) FROM files))"));
    }
    QSqlDatabase::removeDatabase(QStringLiteral("tarnwell-test-from"));
    QSqlDatabase::removeDatabase(QStringLiteral("tarnwell-test-to"));
    const QStringList before = Rows(place.Location());
    ASSERT_GT(before.size(), 10);

    QString error;
    EXPECT_FALSE(Book::Book::Open(place.Location(), Book::Access::Write, error));
    EXPECT_TRUE(error.endsWith(QStringLiteral(
        "is at version 1 and this Tarnwell needs version 4: run tarnwell-book upgrade")))
        << error.toStdString();
    QProcess upgrade;
    upgrade.start(TARNWELL_BOOK_PROGRAM, {"--database", place.Address(), "upgrade"});
    ASSERT_TRUE(upgrade.waitForFinished(60000));
    EXPECT_EQ(upgrade.exitCode(), 0) << upgrade.readAllStandardError().toStdString();
    EXPECT_EQ(Rows(place.Location()), before);
    // A third version's save would miss the search table: it may only read.
    EXPECT_EQ(OldestWriter(place.Location()), 4);

    auto book = OpenForWriting(place.Location());
    ASSERT_TRUE(book);
    EXPECT_EQ(book->version(), 4);
    book->SetToday(QDate(2026, 4, 15));
    EXPECT_EQ(book->History(QStringLiteral("2026-00001"))->size(), 2);
    EXPECT_EQ(book->Load(QStringLiteral("2026-00002"))->details.buyers,
              QStringLiteral("=Carl Owens"));
    // Found by a word, by two letters, and by none.
    for (const auto& [find, count] :
         {std::pair{"smith", 1}, std::pair{"ow", 1}, std::pair{"bank", 2}, std::pair{"qq", 0}})
        EXPECT_EQ(book->Find({QString::fromLatin1(find), {}, {}})->size(), count) << find;
    const auto purchase = book->Load(QStringLiteral("2026-00001"));
    ASSERT_TRUE(purchase);
    const auto issued = book->Issue(QStringLiteral("2026-00001"), QStringLiteral("2026-03-10"),
                                    QStringLiteral("O-1"), QStringLiteral("L-1"));
    EXPECT_EQ(issued.status, Book::SaveResult::Status::Saved) << issued.error.toStdString();
    const auto march = book->Report(QStringLiteral("QMV"), QStringLiteral("2026-03"));
    ASSERT_TRUE(march);
    EXPECT_EQ(march->rows.size(), purchase->quote.lines.size());
    EXPECT_EQ(march->linesGrossCents, 71000);
    EXPECT_EQ(book->History(QStringLiteral("2026-00001"))->size(), 3);
}

} // namespace
} // namespace BookTest
