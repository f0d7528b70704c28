// One suite of the book's rules, run on a SQLite file and on a real
// PostgreSQL database: a fresh book per test, read back after reopening.

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

TEST_P(BookTest, ABookOfANewerTarnwellIsReadButNotWritten)
{
    SaveNew(*OpenForWriting(m_place->Location()), Details("F-1"), Price(kPurchase));
    Tamper(m_place->Location(), {"UPDATE book_schema SET version = 3, oldest_writer = 2"});
    EXPECT_TRUE(Reopen()->readOnlyReason().isEmpty()) << "version 2 may still write it";
    Tamper(m_place->Location(), {"UPDATE book_schema SET version = 4, oldest_writer = 3"});
    auto book = Reopen();
    ASSERT_TRUE(book);
    EXPECT_TRUE(book->Load(QStringLiteral("F-1")));
    const Priced priced = Price(kPurchase);
    const auto refused = book->Save(Details("F-1", "Carl"), priced.closing, priced.quote, 1);
    EXPECT_EQ(refused.status, Status::Failed);
    EXPECT_TRUE(
        refused.error.contains(QStringLiteral("written by a newer Tarnwell (book version 4)")))
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

INSTANTIATE_TEST_SUITE_P(Databases, BookTest,
                         ::testing::Values(Database::SQLite, Database::PostgreSQL), DatabaseName);

} // namespace
} // namespace BookTest
