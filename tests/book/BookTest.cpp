// One suite of the book's rules, run on a SQLite file and on a real
// PostgreSQL database: a fresh book per test, read back after reopening.

#include "book/SqlDialect.h"
#include "bookcli/BookProgram.h"

#include "tests/book/BookServers.h"
#include "tests/book/BookTestSupport.h"

#include <QProcess>

#include <gtest/gtest.h>

#include <limits>
#include <sstream>

namespace BookTest {
namespace {

using Status = Book::SaveResult::Status;

const std::vector<std::string> kPurchase{"--split", "15",        "--price", "250000", "--loan",
                                         "200000",  "--endorse", "8.1",     "--cpl"};

class BookTest : public ::testing::TestWithParam<Database> {
protected:
    void SetUp() override { TARNWELL_REQUIRE_DATABASE(GetParam()); }

    std::unique_ptr<Book::Book> Reopen(Book::Access access = Book::Access::Write)
    {
        QString error;
        auto book = Book::Book::Open(m_place->Location(), access, error);
        EXPECT_TRUE(book) << error.toStdString();
        return book;
    }

    std::unique_ptr<BookPlace> m_place = std::make_unique<BookPlace>(GetParam());
};

TEST_P(BookTest, AFileReadsBackWithTheFiguresAsSaved)
{
    SaveNew(*OpenForWriting(m_place->Location()), Details("2026-00012"), Price(kPurchase));
    const auto file = Reopen(Book::Access::Read)->Load(QStringLiteral("2026-00012"));
    ASSERT_TRUE(file);
    EXPECT_EQ(file->details, Details("2026-00012"));
    EXPECT_EQ(file->closing.splitHundredths, 1500);
    EXPECT_EQ(file->closing.priceCents, 25'000'000);
    EXPECT_EQ(file->closing.loanCents, 20'000'000);
    EXPECT_EQ(file->closing.endorsements, (QList<Book::StoredEndorsement>{{25, QString()}}));
    // Worked by hand: 650.00 and 35.00 simultaneous, 8.1 no charge, the letter 25.00.
    const QList<std::pair<QString, std::int64_t>> lines{
        {"101", 65000}, {"401", 3500}, {"500", 0}, {"660", 2500}};
    ASSERT_EQ(file->quote.lines.size(), lines.size());
    for (qsizetype i = 0; i < lines.size(); ++i) {
        EXPECT_EQ(file->quote.lines[i].code, lines[i].first);
        EXPECT_EQ(file->quote.lines[i].grossCents, lines[i].second);
    }
    EXPECT_EQ(file->quote.lines[2].grossText, QStringLiteral("No Charge"));
    EXPECT_EQ(file->quote.grossCents, 71000);
    EXPECT_EQ(file->quote.remitCents, 12775);
    EXPECT_EQ(file->quote.trid.lendersDisclosedCents, 42500);
    EXPECT_EQ(file->quote.trid.ownersDisclosedCents, 26000);
    EXPECT_EQ(file->revision.revision, 1);
    EXPECT_EQ(file->revision.changes, QStringLiteral("file created"));
}

TEST_P(BookTest, FiguresAreTheStoredOnesToTheLastOfSixtyFourBits)
{
    Priced priced = Price(kPurchase);
    priced.quote.lines[0].grossCents = std::numeric_limits<std::int64_t>::max();
    priced.quote.lines[0].remitCents = std::numeric_limits<std::int64_t>::min();
    priced.quote.grossCents = 9'007'199'254'740'993; // 2^53 + 1: no double holds it
    SaveNew(*OpenForWriting(m_place->Location()), Details("F-1"), priced);
    const auto file = Reopen(Book::Access::Read)->Load(QStringLiteral("F-1"));
    ASSERT_TRUE(file);
    EXPECT_EQ(file->quote, priced.quote);
}

TEST_P(BookTest, EachSaveAppendsARevisionAndAnUnchangedSaveNone)
{
    auto book = OpenForWriting(m_place->Location());
    SaveNew(*book, Details("F-1"), Price(kPurchase));
    Priced changed = Price({"--split", "15", "--price", "250000", "--loan", "210000", "--cpl"});
    const auto second = book->Save(Details("F-1", "Ann and Carl Smith"), changed.closing,
                                   changed.quote, 1);
    ASSERT_EQ(second.status, Status::Saved) << second.error.toStdString();
    EXPECT_EQ(
        book->Save(Details("F-1", "Ann and Carl Smith"), changed.closing, changed.quote, 2).status,
        Status::Unchanged);

    book = Reopen();
    const auto history = book->History(QStringLiteral("F-1"));
    ASSERT_TRUE(history);
    ASSERT_EQ(history->size(), 2);
    EXPECT_EQ((*history)[1].changes, QStringLiteral("buyers, loan, endorsements, figures"));
    QProcess id;
    id.start(QStringLiteral("id"), {QStringLiteral("-un")});
    id.waitForFinished();
    EXPECT_EQ((*history)[1].savedBy, QString::fromLocal8Bit(id.readAll()).trimmed());
    // The first revision is kept as it was.
    const auto first = book->Load(QStringLiteral("F-1"), 1);
    ASSERT_TRUE(first);
    EXPECT_EQ(first->details.buyers, QStringLiteral("Ann Smith"));
    EXPECT_EQ(first->quote.grossCents, 71000);
    EXPECT_EQ(book->Load(QStringLiteral("F-1"))->closing.loanCents, 21'000'000);
}

TEST_P(BookTest, ASaveOverAnotherDesksSaveIsRefusedWithWhoAndWhen)
{
    auto first = OpenForWriting(m_place->Location());
    SaveNew(*first, Details("F-1"), Price(kPurchase));
    auto second = Reopen();
    const Priced priced = Price(kPurchase);
    ASSERT_EQ(second->Save(Details("F-1", "Carl"), priced.closing, priced.quote, 1).status,
              Status::Saved);
    const auto refused = first->Save(Details("F-1", "Dora"), priced.closing, priced.quote, 1);
    EXPECT_EQ(refused.status, Status::Stale);
    EXPECT_EQ(refused.conflict.revision, 2);
    EXPECT_EQ(refused.conflict.savedAt, second->History("F-1")->at(1).savedAt);
    EXPECT_FALSE(refused.conflict.savedBy.isEmpty());
    EXPECT_EQ(first->Load(QStringLiteral("F-1"))->details.buyers, QStringLiteral("Carl"));
    // A new file whose number another desk took meanwhile is refused too.
    EXPECT_EQ(first->Save(Details("F-1", "Eve"), priced.closing, priced.quote, 0).status,
              Status::Stale);
}

TEST_P(BookTest, TheListIsSearchedAsTheAgentTypesNewestChangeFirst)
{
    auto book = OpenForWriting(m_place->Location());
    const Priced priced = Price(kPurchase);
    Book::FileDetails percent = Details("2026-00003", "Dora O'Neil");
    percent.property = QStringLiteral("50% Lot, Conway");
    percent.underwriter = QStringLiteral("ZOR");
    percent.closingDate.clear();
    for (const auto& details :
         {Details("2026-00001", "Ann SMITH"), Details("2026-00002", "Carl Owens"), percent})
        SaveNew(*book, details, priced);
    struct Case {
        QString find, month, underwriter;
        QStringList files;
    };
    const QString thisMonth = QDate::currentDate().toString(QStringLiteral("yyyy-MM"));
    // clang-format off
    const QList<Case> cases{
        {"", "", "", {"2026-00003", "2026-00002", "2026-00001"}},
        {"smith", "", "", {"2026-00001"}},
        {"  Owens ", "", "", {"2026-00002"}},
        {"ow", "", "", {"2026-00002"}},
        {"00001", "", "", {"2026-00001"}},
        {"main st", "", "", {"2026-00002", "2026-00001"}},
        {"50%", "", "", {"2026-00003"}},
        {"0%", "", "", {"2026-00003"}},
        {"n_", "", "", {}},
        {"o'neil", "", "", {"2026-00003"}},
        {"", "2026-03", "", {"2026-00002", "2026-00001"}},
        {"", thisMonth, "", {"2026-00003"}},
        {"", "", "ZOR", {"2026-00003"}},
        {"first bank", "2026-03", "QMV", {"2026-00002", "2026-00001"}},
    };
    // clang-format on
    for (const Case& c : cases) {
        const auto files = book->Find({c.find, c.month, c.underwriter});
        ASSERT_TRUE(files) << book->error().toStdString();
        QStringList numbers;
        for (const auto& file : *files)
            numbers << file.fileNumber;
        EXPECT_EQ(numbers, c.files) << c.find.toStdString() << " " << c.month.toStdString();
    }
    EXPECT_EQ(book->Find({}, 1, 1)->at(0).fileNumber, QStringLiteral("2026-00002"));
}

QStringList FileNumbers(const std::optional<QList<Book::FileSummary>>& files)
{
    QStringList numbers;
    for (const auto& file : files.value_or(QList<Book::FileSummary>()))
        numbers << file.fileNumber;
    return numbers;
}

// A file saved again is found by its new text, under its new month and
// underwriter, and first; its old text finds it no more.
TEST_P(BookTest, AFileSavedAgainIsSearchedAsItNowIs)
{
    auto book = OpenForWriting(m_place->Location());
    const Priced priced = Price(kPurchase);
    for (const auto& details : {Details("2026-00001", "Ann Smith"), Details("2026-00002", "Carl")})
        SaveNew(*book, details, priced);
    Book::FileDetails changed = Details("2026-00001", "Ann Rivera");
    changed.underwriter = QStringLiteral("ZOR");
    changed.closingDate = QStringLiteral("2026-04-02");
    ASSERT_EQ(book->Save(changed, priced.closing, priced.quote, 1).status, Status::Saved);
    struct Case {
        QString find, month, underwriter;
        QStringList files;
    };
    // clang-format off
    const QList<Case> cases{
        {"smith", "", "", {}},
        {"rivera", "", "", {"2026-00001"}},
        {"ri", "", "", {"2026-00001"}},
        {"first bank", "", "", {"2026-00001", "2026-00002"}},
        {"first bank", "2026-04", "", {"2026-00001"}},
        {"first bank", "2026-03", "", {"2026-00002"}},
        {"bank", "", "ZOR", {"2026-00001"}},
        {"bank", "", "QMV", {"2026-00002"}},
    };
    // clang-format on
    for (const Case& c : cases)
        EXPECT_EQ(FileNumbers(book->Find({c.find, c.month, c.underwriter})), c.files)
            << c.find.toStdString() << " " << c.month.toStdString();
}

// Two letters that hundreds of files hold: the newest screen of them, and
// its next screen, filtered as the list is.
TEST_P(BookTest, TwoLettersManyFilesHoldGiveTheNewestFirst)
{
    auto book = OpenForWriting(m_place->Location());
    const Priced priced = Price(kPurchase);
    constexpr int kFiles = 320;
    static_assert(Book::SqlDialect::kFewMatches < kFiles, "more files than a few");
    for (int i = 1; i <= kFiles; ++i) {
        Book::FileDetails details = Details(QStringLiteral("K-%1").arg(i, 3, 10, QLatin1Char('0')),
                                            QStringLiteral("Ann"));
        if (i % 2 == 0)
            details.underwriter = QStringLiteral("ZOR");
        SaveNew(*book, details, priced);
    }
    EXPECT_EQ(FileNumbers(book->Find({QStringLiteral("k-"), {}, {}}, 3)),
              (QStringList{"K-320", "K-319", "K-318"}));
    EXPECT_EQ(FileNumbers(book->Find({QStringLiteral("k-"), {}, QStringLiteral("QMV")}, 2, 1)),
              (QStringList{"K-317", "K-315"}));
    EXPECT_EQ(book->Find({QStringLiteral("k-"), {}, {}})->size(), kFiles);
}

TEST_P(BookTest, ABookOfANewerTarnwellIsReadButNotWritten)
{
    SaveNew(*OpenForWriting(m_place->Location()), Details("F-1"), Price(kPurchase));
    Tamper(m_place->Location(), {"UPDATE book_schema SET version = 5, oldest_writer = 4"});
    EXPECT_TRUE(Reopen()->readOnlyReason().isEmpty()) << "version 4 may still write it";
    Tamper(m_place->Location(), {"UPDATE book_schema SET version = 6, oldest_writer = 5"});
    auto book = Reopen();
    ASSERT_TRUE(book);
    EXPECT_TRUE(book->Load(QStringLiteral("F-1")));
    const Priced priced = Price(kPurchase);
    const auto refused = book->Save(Details("F-1", "Carl"), priced.closing, priced.quote, 1);
    EXPECT_EQ(refused.status, Status::Failed);
    EXPECT_TRUE(
        refused.error.contains(QStringLiteral("written by a newer Tarnwell (book version 6)")))
        << refused.error.toStdString();
    EXPECT_EQ(book->History(QStringLiteral("F-1"))->size(), 1);
}

TEST_P(BookTest, ReadingAMissingBookMakesNothingAndWritingMakesIt)
{
    QString error;
    EXPECT_FALSE(Book::Book::Open(m_place->Location(), Book::Access::Read, error));
    EXPECT_TRUE(error.startsWith(GetParam() == Database::SQLite
                                     ? QStringLiteral("there is no book at")
                                     : QStringLiteral("the book \"")))
        << error.toStdString();
    EXPECT_FALSE(Book::Book::Open(m_place->Location(), Book::Access::Read, error));
    auto book = OpenForWriting(m_place->Location());
    ASSERT_TRUE(book);
    EXPECT_EQ(book->version(), Book::kSchemaVersion);
    EXPECT_TRUE(book->Find({})->isEmpty());
}

TEST_P(BookTest, ADatabaseOfOtherTablesIsRefusedAndLeftAlone)
{
    Tamper(m_place->Location(), {"CREATE TABLE invoices (id INTEGER)"});
    QString error;
    EXPECT_FALSE(Book::Book::Open(m_place->Location(), Book::Access::Write, error));
    EXPECT_TRUE(
        error.endsWith(QStringLiteral("is not a Tarnwell book; Tarnwell will not write into it")))
        << error.toStdString();
}

struct Outcome {
    int status;
    std::string out, err;
};

TEST_P(BookTest, AnExportImportedIntoAnEmptyBookGivesTheSameFiles)
{
    const auto run = [](const std::string& address, std::vector<std::string> args,
                        const std::string& input = "") {
        args.insert(args.begin(), {"--database", address});
        std::istringstream in(input);
        std::ostringstream out, err;
        const int status = BookCli::RunBook(args, in, out, err);
        return Outcome{status, out.str(), err.str()};
    };
    const std::string book = m_place->Address().toStdString();
    const std::string csv
        = "file,split,price,loan,prior_loan,endorsements,cpl,buyers,property,note,closing_date\n"
          "2026-00001,15,\"250,000\",200000,,8.1 3.1:loan,yes,=Ann Smith,\"1 Elm, Conway\","
          "\"two\nlines\",2026-03-02\n"
          "+2026-00002,20,,300000,200000,,no,@Bob,,,\n";
    const Outcome imported = run(book, {"import", "-"}, csv);
    ASSERT_EQ(imported.status, 0) << imported.err;
    EXPECT_EQ(imported.out, "imported: 2 new, 0 changed, 0 unchanged\n");
    // A file issued, then voided: it comes back voided, with its reason.
    EXPECT_EQ(run(book, {"issue", "2026-00001", "--date", "2026-03-03", "--owners-policy", "O-1",
                         "--loan-policy", "L-1"})
                  .status,
              0);
    EXPECT_EQ(run(book, {"void", "2026-00001", "--reason", "=sold twice"}).status, 0);
    const Outcome exported = run(book, {"export", "--csv"});
    EXPECT_NE(exported.out.find(",O-1,L-1,2026-03-03,2026-03-03,2026-03-03,'=sold twice\n"),
              std::string::npos)
        << exported.out;
    EXPECT_NE(
        exported.out.find("\n'+2026-00002,20.00,,300000.00,,200000.00,standard,,no,QMV,'@Bob,"),
        std::string::npos)
        << exported.out;

    BookPlace empty(GetParam());
    const std::string copy = empty.Address().toStdString();
    EXPECT_EQ(run(copy, {"import", "-"}, exported.out).status, 0);
    EXPECT_EQ(run(copy, {"export", "--csv"}).out, exported.out);
    {
        QString error;
        const auto copied = Book::Book::Open(empty.Location(), Book::Access::Read, error);
        ASSERT_TRUE(copied) << error.toStdString();
        const auto voided = copied->Load(QStringLiteral("2026-00001"));
        EXPECT_EQ(voided->status, QStringLiteral("voided"));
        EXPECT_EQ(voided->voidReason, QStringLiteral("=sold twice"));
        EXPECT_EQ(voided->policies.size(), 3);
    }
    EXPECT_NE(run(copy, {"export", "--json"}).out.find("\"void_reason\": \"=sold twice\""),
              std::string::npos);
    EXPECT_EQ(run(copy, {"show", "+2026-00002", "--json"}).out.find("\"buyers\": \"@Bob\""),
              run(book, {"show", "+2026-00002", "--json"}).out.find("\"buyers\": \"@Bob\""));

    // Again: nothing changes; then a change, an absent column and an emptied cell.
    EXPECT_EQ(run(copy, {"import", "-"}, exported.out).out,
              "imported: 0 new, 0 changed, 2 unchanged\n");
    const Outcome second = run(copy, {"import", "-"},
                               "file,split,loan,prior_loan,buyers,note,gross\n"
                               "+2026-00002,20,310000,200000,Bob Jones,,\n"
                               "+2026-00002,20,310000,200000,,,\n"
                               "2026-00001,15,200000,,,,710.00\n");
    EXPECT_EQ(second.status, 1);
    EXPECT_EQ(second.err, "tarnwell-book: row 3, column file: file +2026-00002 is given twice; its "
                          "first row is 2\ntarnwell-book: row 4, column gross: the file gives "
                          "710.00 where the rates give 425.00\n");
    const auto changed = Reopen(Book::Access::Read)->Load(QStringLiteral("+2026-00002"));
    EXPECT_TRUE(changed); // the source book is untouched by the copy's import
    const Outcome after = run(copy, {"show", "+2026-00002", "--history"});
    EXPECT_NE(after.out.find("  buyers, loan, figures\n"), std::string::npos) << after.out;
}

// A PostgreSQL book larger than the search looks at first: files a text
// finds only among the oldest, or among the oldest and one of the newest,
// are still found, newest change first, by a word and by two letters
// hundreds of them hold.
TEST(BookSearchTest, MatchesBeyondTheNewestFilesAreFoundNewestFirst)
{
    TARNWELL_REQUIRE_DATABASE(Database::PostgreSQL);
    BookPlace place(Database::PostgreSQL);
    SaveNew(*OpenForWriting(place.Location()), Details("2026-00001"), Price(kPurchase));
    const QString rows = QStringLiteral(
        "INSERT INTO files (file_number, revision, underwriter, buyers, sellers, property, "
        "county, lender, closing_date, note, month, first_saved, changed_at, gross_cents, "
        "remit_cents, search, status, pending) SELECT '%1-' || lpad(i::text, 5, '0'), 1, 'QMV', "
        "'%2', '', '', '', '', '', '', '2020-01', '2020-01-01', to_char(timestamp '%3' + i * "
        "interval '1 second', 'YYYY-MM-DD\"T\"HH24:MI:SS.000\"Z\"'), 0, 0, "
        "lower('%1-' || lpad(i::text, 5, '0') || E'\\n%2'), '', '' FROM generate_series(1, %4) i");
    constexpr int kNewer = Book::SqlDialect::kNewestWalked + 50;
    Tamper(place.Location(),
           {rows.arg("Q", "Ann Quimby", "2020-01-01").arg(320),
            rows.arg("N", "Bob Newer", "2021-01-01").arg(kNewer),
            "INSERT INTO file_search SELECT id, changed_at, month, underwriter, search FROM files "
            "WHERE id NOT IN (SELECT file_id FROM file_search)",
            "ANALYZE"});
    // And one file the newest hold: less than a screen among them.
    auto book = OpenForWriting(place.Location());
    SaveNew(*book, Details("2026-00002", "Ann Quimby"), Price(kPurchase));
    struct Case {
        QString find;
        int limit, offset;
        QStringList files;
    };
    // clang-format off
    const QList<Case> cases{
        {"quimby", 3, 0, {"2026-00002", "Q-00320", "Q-00319"}},
        {"quimby", 2, 5, {"Q-00316", "Q-00315"}},
        {"qu", 3, 0, {"2026-00002", "Q-00320", "Q-00319"}},
        {"q-0001", 2, 0, {"Q-00019", "Q-00018"}},
        {"newer", 2, 0, {QStringLiteral("N-%1").arg(kNewer, 5, 10, QLatin1Char('0')),
                         QStringLiteral("N-%1").arg(kNewer - 1, 5, 10, QLatin1Char('0'))}},
    };
    // clang-format on
    for (const Case& c : cases)
        EXPECT_EQ(FileNumbers(book->Find({c.find, {}, {}}, c.limit, c.offset)), c.files)
            << c.find.toStdString();
    EXPECT_EQ(book->Find({QStringLiteral("quimby"), {}, {}})->size(), 321);
}

INSTANTIATE_TEST_SUITE_P(Databases, BookTest,
                         ::testing::Values(Database::SQLite, Database::PostgreSQL), DatabaseName);

} // namespace
} // namespace BookTest
