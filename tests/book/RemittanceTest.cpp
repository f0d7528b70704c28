// A file's course and the month's remittance report, on SQLite and on the
// PostgreSQL server of these tests: a quarter's files worked by hand.

#include "bookcli/BookProgram.h"

#include "tests/book/BookServers.h"
#include "tests/book/BookTestSupport.h"

#include <gtest/gtest.h>

#include <cstring>
#include <sstream>

namespace BookTest {
namespace {

using Status = Book::SaveResult::Status;

const std::vector<std::string> kPurchase{"--split", "15",        "--price", "250000", "--loan",
                                         "200000",  "--endorse", "8.1",     "--cpl"};
const std::vector<std::string> kRefinance{"--split", "15",           "--loan",
                                          "150000",  "--prior-loan", "140000"};

std::string Lines(const QStringList& lines)
{
    return lines.join(QLatin1Char('\n')).toStdString();
}

class RemittanceTest : public ::testing::TestWithParam<Database> {
protected:
    void SetUp() override
    {
        TARNWELL_REQUIRE_DATABASE(GetParam());
        m_book = OpenForWriting(m_place.Location());
    }
    void Add(const char* number, const std::vector<std::string>& closing, const char* closed)
    {
        Book::FileDetails details = Details(QString::fromLatin1(number));
        details.lender = QStringLiteral("First Bank");
        details.closingDate = QString::fromLatin1(closed);
        SaveNew(*m_book, details, Price(closing));
    }
    void On(const char* today) { m_book->SetToday(QDate::fromString(today, Qt::ISODate)); }
    void Issue(const char* number, const char* date, const char* owners = "", const char* loan = "")
    {
        const auto issued = m_book->Issue(number, date, owners, loan);
        EXPECT_EQ(issued.status, Status::Saved) << number << ": " << issued.error.toStdString();
    }
    // "kind file code gross remit" a row.
    std::string Rows(const char* month)
    {
        const auto report = m_book->Report(QStringLiteral("QMV"), month);
        EXPECT_TRUE(report);
        QStringList rows;
        for (const Book::ReportLine& row : report->rows)
            rows << QStringLiteral("%1 %2 %3 %4 %5 %6")
                        .arg(int(row.kind))
                        .arg(row.fileNumber, row.kind == Book::ReportLine::Kind::Adjustment
                                                 ? row.reason
                                                 : row.line.code)
                        .arg(row.issueDate)
                        .arg(row.grossCents)
                        .arg(row.remitCents);
        return rows.join(QLatin1Char('\n')).toStdString();
    }

    BookPlace m_place{GetParam()};
    std::unique_ptr<Book::Book> m_book;
};

TEST_P(RemittanceTest, AQuartersReportsWorkedByHand)
{
    On("2026-01-31");
    Add("P1", kPurchase, "2026-01-30");
    Add("R1", kRefinance, "2026-01-15");
    Add("V1", kRefinance, "2026-01-05");
    Add("A1", kRefinance, "2026-01-07");
    Issue("P1", "2026-01-31", "", "L-1"); // the letter and the 8.1 go with the first issue
    Issue("R1", "2026-01-20", "", "L-2");
    Issue("V1", "2026-01-06", "", "L-3");
    Issue("A1", "2026-01-08", "", "L-4");
    EXPECT_EQ(m_book->Load("P1")->status, QStringLiteral("partly"));
    // 35.00 at 15 % is 5.25; the letter is remitted whole; 209.50 at 15 % is 31.425, 31.43.
    EXPECT_EQ(Rows("2026-01"),
              Lines({"0 A1 903 2026-01-08 20950 3143", "0 P1 401 2026-01-31 3500 525",
                     "0 P1 500 2026-01-31 0 0", "0 P1 660 2026-01-31 2500 2500",
                     "0 R1 903 2026-01-20 20950 3143", "0 V1 903 2026-01-06 20950 3143"}));
    On("2026-02-05");
    auto january = m_book->Report("QMV", "2026-01");
    EXPECT_EQ(january->CheckCents(), 12454);
    EXPECT_EQ(january->GrossCents(), 68850);
    january->checkNumber = QStringLiteral("501");
    january->paidDate = QStringLiteral("2026-02-05");
    ASSERT_TRUE(m_book->MarkSent(*january)) << m_book->error().toStdString();
    EXPECT_FALSE(m_book->MarkSent(*january)) << "a sent report is never rewritten";

    On("2026-02-20");
    Issue("P1", "2026-02-01", "O-1"); // closed in January, issued in February
    Add("E1", {"--split", "15", "--endorse", "8.1", "--cpl"}, "2026-02-27");
    Add("E2", {"--split", "15", "--endorse", "8.1"}, "2026-02-10");
    Add("L1", kRefinance, "2026-01-29");
    On("2026-02-28");
    Issue("E1", "2026-02-28");
    Issue("E2", "2026-02-11");
    Issue("L1", "2026-01-30", "", "L-5"); // into January, sent
    EXPECT_EQ(m_book->Void("V1", "duplicate file").status, Status::Saved);
    auto amended = *m_book->Load("A1");
    const Priced twenty = Price({"--split", "20", "--loan", "150000", "--prior-loan", "140000"});
    EXPECT_EQ(m_book->Save(amended.details, twenty.closing, twenty.quote, 2).status, Status::Failed)
        << "an issued file changes only with a reason";
    EXPECT_EQ(
        m_book->Save(amended.details, twenty.closing, twenty.quote, 2, "split corrected").status,
        Status::Saved);
    // 209.50 at 20 % is 41.90: 10.47 more than was sent; the void takes back all of V1.
    EXPECT_EQ(Rows("2026-02"),
              Lines({"0 E1 500 2026-02-28 0 0", "0 E1 660 2026-02-28 2500 2500",
                     "0 E2 500 2026-02-11 0 0", "0 P1 101 2026-02-01 65000 9750",
                     "1 L1 903 2026-01-30 20950 3143", "2 A1 split corrected 2026-01-08 0 1047",
                     "2 V1 duplicate file 2026-01-06 -20950 -3143"}));
    const auto february = m_book->Report("QMV", "2026-02");
    EXPECT_EQ(february->linesRemitCents, 15393);
    EXPECT_EQ(february->adjustmentRemitCents, -2096);
    EXPECT_EQ(february->CheckCents(), 13297);
    EXPECT_EQ(february->GrossCents(), 67500);
    // Nothing issued is left off every report: what the months remit is what
    // the files issued and not voided remit now.
    EXPECT_EQ(january->CheckCents() + february->CheckCents(), 12775 + 3143 + 4190 + 3143 + 2500);
    EXPECT_TRUE(Rows("2026-03").empty());
    EXPECT_TRUE(m_book->Report("ZOR", "2026-02")->rows.isEmpty());
    // January as it was sent.
    const auto sent = m_book->Report("QMV", "2026-01");
    EXPECT_TRUE(sent->sent);
    EXPECT_EQ(sent->checkNumber, QStringLiteral("501"));
    EXPECT_EQ(sent->CheckCents(), 12454);
}

TEST_P(RemittanceTest, TheCourseRefusesWhatCannotBe)
{
    On("2024-03-15");
    Add("F1", kPurchase, "2024-02-29"); // a leap day
    Add("F2", kPurchase, "");
    const struct {
        const char *file, *date, *owners, *loan, *says;
    } cases[] = {
        {"F2", "2024-03-01", "O-1", "", "has not closed"},
        {"F1", "2024-02-28", "O-1", "", "before file F1's closing on 2024-02-29"},
        {"F1", "2024-03-16", "O-1", "", "after today"},
        {"F1", "2024-02-30", "O-1", "", "is no date"},
        {"F1", "2024-03-01", "", "", "give its number (--owners-policy NUMBER)"},
        {"F9", "2024-03-01", "O-1", "", "is not in the book"},
    };
    for (const auto& c : cases) {
        const auto refused = m_book->Issue(c.file, c.date, c.owners, c.loan);
        EXPECT_EQ(refused.status, Status::Failed) << c.says;
        EXPECT_TRUE(refused.error.contains(QLatin1String(c.says))) << refused.error.toStdString();
    }
    Issue("F1", "2024-02-29", "O-1");
    EXPECT_EQ(m_book->Issue("F1", "2024-02-29", "O-1", "").status, Status::Unchanged);
    EXPECT_TRUE(m_book->Issue("F1", "2024-03-01", "O-2", "").error.contains("issued already"));
    EXPECT_EQ(m_book->Close("F2", "2024-03-31").status, Status::Saved);
    EXPECT_EQ(m_book->Close("F2", "2024-03-31").status, Status::Unchanged);
    EXPECT_TRUE(m_book->Close("F1", "2024-03-01").error.contains("by an amendment"));
    EXPECT_EQ(m_book->Void("F2", "").status, Status::Failed);
    // What needs doing on 2024-05-01, 30 days, due on the 15th: F1's loan
    // policy (closed 62 days ago); F2 closed 31 days ago; February's lines.
    On("2024-05-01");
    const auto due = m_book->Due(30, 15);
    ASSERT_TRUE(due);
    ASSERT_EQ(due->unissued.size(), 2);
    EXPECT_EQ(due->unissued[0].fileNumber, QStringLiteral("F1"));
    EXPECT_EQ(due->unissued[0].missing, QStringList{"loan"});
    EXPECT_EQ(due->unissued[0].daysSinceClosing, 62);
    EXPECT_EQ(due->unissued[1].missing, (QStringList{"owner", "loan"}));
    ASSERT_EQ(due->unsent.size(), 1);
    EXPECT_EQ(due->unsent[0].month, QStringLiteral("2024-02"));
    EXPECT_EQ(due->unsent[0].dueDate, QStringLiteral("2024-03-15"));
    EXPECT_TRUE(due->unsent[0].overdue);
    EXPECT_EQ(due->unsent[0].remitCents, 9750 + 2500);
    EXPECT_EQ(m_book->Void("F2", "lost the deal").status, Status::Saved);
    EXPECT_EQ(m_book->Due(31, 15)->unissued.size(), 1) << "F1 only: voided and too recent";
    EXPECT_EQ(Book::RemittanceDue("2026-01", 31), QDate(2026, 2, 28));
}

// A policy number is the underwriter's, issued to one file: a second file
// of the same underwriter is refused, naming the first, whichever policy it
// is given as and whichever way it comes (the library, the import); another
// underwriter's numbers are its own.
TEST_P(RemittanceTest, APolicyNumberIsIssuedToOneFileOfItsUnderwriter)
{
    On("2024-03-15");
    for (const char* number : {"F1", "F2", "F3"})
        Add(number, kPurchase, "2024-03-01");
    Book::FileDetails other = Details(QStringLiteral("Z1"));
    other.underwriter = QStringLiteral("ZOR");
    other.closingDate = QStringLiteral("2024-03-01");
    SaveNew(*m_book, other, Price(kPurchase));
    Issue("F1", "2024-03-02", "O-7", "L-7");
    const struct {
        const char *file, *owners, *loan, *says;
    } cases[] = {
        {"F2", "O-7", "L-8",
         "policy number O-7 of QMV is issued already, to file F1; the owner's "
         "policy of file F2 needs its own"},
        {"F2", "O-8", "O-7",
         "policy number O-7 of QMV is issued already, to file F1; the loan "
         "policy of file F2 needs its own"},
        {"F2", "", "L-7", "policy number L-7 of QMV is issued already, to file F1"},
    };
    for (const auto& c : cases) {
        const auto refused = m_book->Issue(c.file, "2024-03-03", c.owners, c.loan);
        EXPECT_EQ(refused.status, Status::Failed) << c.says;
        EXPECT_EQ(refused.error.left(static_cast<qsizetype>(strlen(c.says))), c.says)
            << refused.error.toStdString();
    }
    EXPECT_TRUE(m_book->Load(QStringLiteral("F2"))->policies.isEmpty()) << "nothing half-issued";
    Issue("Z1", "2024-03-03", "O-7", "L-7");
    Issue("F2", "2024-03-03", "O-8", "L-8");

    setenv("TARNWELL_TODAY", "2024-03-15", 1);
    std::istringstream in("file,split,price,loan,closing_date,owners_policy,loan_policy,"
                          "issue_date\nF3,15,250000,200000,2024-03-01,O-9,L-8,2024-03-04\n");
    std::ostringstream out, err;
    const int status = BookCli::RunBook(
        {"--database", m_place.Address().toStdString(), "import", "-"}, in, out, err);
    unsetenv("TARNWELL_TODAY");
    EXPECT_EQ(status, 1);
    EXPECT_EQ(err.str(), "tarnwell-book: row 2, columns owners_policy, loan_policy: the file is "
                         "saved but not issued: policy number L-8 of QMV is issued already, to "
                         "file F2; the loan policy of file F3 needs its own\n");
    EXPECT_TRUE(m_book->Load(QStringLiteral("F3"))->policies.isEmpty());
}

INSTANTIATE_TEST_SUITE_P(Databases, RemittanceTest,
                         ::testing::Values(Database::SQLite, Database::PostgreSQL), DatabaseName);

} // namespace
} // namespace BookTest
