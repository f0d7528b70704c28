// The month's remittance report as PDF, from the real tarnwell-book with no
// display, on SQLite and on the PostgreSQL server of these tests: its pages
// read back with pdftotext -layout against figures worked by hand, and a sent
// report's PDF the same bytes whenever it is printed again.

#include "bookprint/PagedDocument.h"

#include "tests/book/BookServers.h"
#include "tests/book/BookTestSupport.h"

#include <QBuffer>
#include <QDir>
#include <QGuiApplication>
#include <QPdfWriter>
#include <QProcess>
#include <QRegularExpression>

#include <gtest/gtest.h>

namespace BookTest {
namespace {

struct Outcome {
    int status;
    QString out, err;
};

// The PDF's pages as pdftotext -layout lays out their text.
QStringList PdfPages(const QString& path)
{
    QProcess text;
    text.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), path, QStringLiteral("-")});
    if (!text.waitForFinished(60000) || text.exitCode() != 0)
        return {};
    QStringList pages = QString::fromUtf8(text.readAllStandardOutput()).split(QChar(u'\f'));
    pages.removeLast(); // what follows the last page's form feed
    return pages;
}

QString Simplified(const QString& page)
{
    QStringList lines;
    for (const QString& line : page.split(u'\n'))
        lines << line.simplified();
    return lines.join(u'\n');
}

class RemittancePdfTest : public ::testing::TestWithParam<Database> {
protected:
    void SetUp() override
    {
        TARNWELL_REQUIRE_DATABASE(GetParam());
        QDir folder(m_place.Folder());
        folder.mkpath(QStringLiteral("config/Tarnwell"));
        QFile settings(folder.filePath(QStringLiteral("config/Tarnwell/Closing.conf")));
        ASSERT_TRUE(settings.open(QIODevice::WriteOnly));
        settings.write("[agency]\nname=Ozark Title Co.\n"
                       "address=\"12 Main St, Little Rock, AR 72201\"\n"
                       "phone=501-555-0100\nlicense=100123\n");
    }
    // tarnwell-book where there is no display and no session.
    Outcome Book(const QStringList& args, const char* today)
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const char* name :
             {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "XDG_RUNTIME_DIR"})
            environment.remove(QLatin1String(name));
        environment.insert(QStringLiteral("XDG_CONFIG_HOME"), Path("config"));
        environment.insert(QStringLiteral("TARNWELL_TODAY"), QLatin1String(today));
        QProcess process;
        process.setProcessEnvironment(environment);
        process.start(TARNWELL_BOOK_PROGRAM, QStringList{"--database", m_place.Address()} + args);
        process.waitForFinished(120000);
        return {process.exitCode(), QString::fromUtf8(process.readAllStandardOutput()),
                QString::fromUtf8(process.readAllStandardError())};
    }
    QString Path(const char* name) const { return QDir(m_place.Folder()).filePath(name); }
    void Import(const QString& rows, const char* today, const QStringList& amend = {},
                const char* columns = "lender,closing_date,loan_policy,issue_date")
    {
        QFile csv(Path("closings.csv"));
        ASSERT_TRUE(csv.open(QIODevice::WriteOnly));
        csv.write(QByteArray("file,split,loan,prior_loan,") + columns + '\n' + rows.toUtf8());
        csv.close();
        const Outcome imported = Book(QStringList{"import"} + amend + QStringList{csv.fileName()},
                                      today);
        ASSERT_EQ(imported.status, 0) << imported.err.toStdString();
    }
    QByteArray Read(const char* name)
    {
        QFile file(Path(name));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    BookPlace m_place{GetParam()};
};

// Ninety refinances issued in January, each 209.50 Gross, 31.43 Remit at a
// 15 % split: 18,855.00 and 2,828.70 in all.
TEST_P(RemittancePdfTest, ALongReportPagedWholeWithItsCheckAndKeptAsSent)
{
    QString rows;
    for (int at = 1; at <= 90; ++at)
        rows += QStringLiteral("R-%1,15,150000,140000,First Bank Mortgage Lending,2026-01-%2,L-%1,"
                               "2026-01-%2\n")
                    .arg(at, 3, 10, QChar(u'0'))
                    .arg(at % 28 + 1, 2, 10, QChar(u'0'));
    Import(rows + QStringLiteral("L1,15,150000,140000,Late Bank,2026-01-29,,\n"), "2026-02-05");

    const QStringList january{"report", "--month", "2026-01", "--underwriter", "QMV"};
    const Outcome sent = Book(january
                                  + QStringList{"--mark-sent", "--check", "501", "--paid",
                                                "2026-02-05", "--pdf", Path("sent.pdf")},
                              "2026-02-05");
    ASSERT_EQ(sent.status, 0) << sent.err.toStdString();
    EXPECT_EQ(sent.err, QString()) << "nothing on stderr, with no display";

    const QStringList pages = PdfPages(Path("sent.pdf"));
    const auto count = pages.size();
    ASSERT_GE(count, 3) << "pdftotext (poppler-utils) reads the PDF";
    const QRegularExpression header(QStringLiteral("File +Insured +Policy +Issued +Code +Priced on "
                                                   "+Gross +Remit"));
    const QRegularExpression row(QStringLiteral("^R-\\d{3} First Bank L-\\d{3} 1/\\d{1,2}/2026 903 "
                                                "Liability 150,000.00 209.50 31.43$"));
    qsizetype rowsSeen = 0;
    for (qsizetype page = 0; page < count; ++page) {
        const QString text = Simplified(pages[page]);
        EXPECT_TRUE(header.match(pages[page]).hasMatch()) << "page " << page + 1;
        EXPECT_TRUE(text.contains(QStringLiteral("Page %1 of %2").arg(page + 1).arg(count)))
            << text.toStdString();
        EXPECT_EQ(text.contains(QLatin1String("Remittance to QMV for January 2026 (continued)")),
                  page > 0);
        // Each row is three lines (its lender and amounts run over); a row
        // cut by a page would leave its first line without its last.
        qsizetype starts = 0, seconds = 0;
        for (const QString& line : text.split(u'\n')) {
            starts += row.match(line).hasMatch();
            seconds += line.contains(QLatin1String("Lending"));
        }
        EXPECT_EQ(starts, seconds) << text.toStdString();
        rowsSeen += starts;
    }
    EXPECT_EQ(rowsSeen, 90);
    const QString first = Simplified(pages.first()), last = Simplified(pages.last());
    for (const char* head :
         {"Ozark Title Co.\n12 Main St, Little Rock, AR 72201\nPhone "
          "501-555-0100 · License 100123",
          "Remittance to QMV for January 2026\nCheck 501, paid February 5, 2026"})
        EXPECT_TRUE(first.contains(QString::fromUtf8(head))) << first.toStdString();
    for (const char* total : {"\nTotal 18,855.00 2,828.70\n", "\nRemit of the lines 2,828.70\n",
                              "\nAdjustments 0.00\n", "\nCheck 501 2,828.70\n"})
        EXPECT_TRUE(last.contains(QLatin1String(total))) << last.toStdString();

    // The PDF is the one stored when it was sent, printed again byte for byte.
    auto book = OpenForWriting(m_place.Location());
    EXPECT_EQ(book->Report(QStringLiteral("QMV"), QStringLiteral("2026-01"))->pdf,
              Read("sent.pdf"));
    ASSERT_EQ(Book(january + QStringList{"--pdf", Path("again.pdf")}, "2026-03-01").status, 0);
    EXPECT_EQ(Read("again.pdf"), Read("sent.pdf"));

    // February: L1 issued late into January, and R-001's split corrected to
    // 20 %: 41.90 where 31.43 was sent, 10.47 more.
    const Outcome late = Book({"issue", "L1", "--date", "2026-01-30", "--loan-policy", "L-1"},
                              "2026-02-20");
    ASSERT_EQ(late.status, 0) << late.err.toStdString();
    Import(QStringLiteral("R-001,20,150000,140000,2026-01-02\n"), "2026-02-20",
           {"--amend", "split corrected"}, "closing_date");
    const QStringList february{"report",        "--month",       "2026-02", "--pdf",
                               Path("feb.pdf"), "--underwriter", "QMV"};
    ASSERT_EQ(Book(february, "2026-02-20").status, 0);
    const QStringList feb = PdfPages(Path("feb.pdf"));
    ASSERT_EQ(feb.size(), 1);
    const QString text = Simplified(feb[0]);
    for (const char* shown :
         {"Not sent: no check is recorded yet", "No lines issued in February 2026",
          "Late lines: issued in a month already sent",
          "\nL1 Late Bank L-1 1/30/2026 903 Liability 150,000.00 209.50 31.43\n",
          "Adjustments to reports already sent",
          "\nR-001 First Bank L-001 1/2/2026 split corrected 0.00 10.47\n",
          "\nRemit of the lines 31.43\nAdjustments 10.47\nCheck 41.90\n", "Page 1 of 1"})
        EXPECT_TRUE(text.contains(QLatin1String(shown))) << shown << "\n" << text.toStdString();
}

TEST_P(RemittancePdfTest, APdfThatCannotBeWrittenIsRefusedBeforeAnythingIsRecorded)
{
    Import(QStringLiteral("R-1,15,150000,140000,Bank,2026-01-05,L-1,2026-01-06\n"), "2026-02-05");
    const QString nowhere = Path("none/report.pdf");
    const Outcome refused = Book({"report", "--month", "2026-01", "--underwriter", "QMV",
                                  "--mark-sent", "--check", "7", "--paid", "2026-02-05", "--pdf",
                                  nowhere},
                                 "2026-02-05");
    EXPECT_EQ(refused.status, 2);
    EXPECT_TRUE(refused.err.startsWith("tarnwell-book: --pdf \"" + nowhere
                                       + "\": the file cannot be written ("))
        << refused.err.toStdString();
    EXPECT_EQ(refused.err.count(u'\n'), 1);
    EXPECT_EQ(refused.out, QString());
    EXPECT_FALSE(QFileInfo::exists(Path("none")));
    auto book = OpenForWriting(m_place.Location());
    EXPECT_FALSE(book->Report(QStringLiteral("QMV"), QStringLiteral("2026-01"))->sent);
}

INSTANTIATE_TEST_SUITE_P(Databases, RemittancePdfTest,
                         ::testing::Values(Database::SQLite, Database::PostgreSQL), DatabaseName);

// A header row taller than a page is not repeated: the table still ends,
// on pages that each move it on.
TEST(PagedDocumentTest, AHeaderTallerThanAPageDoesNotHoldThePagesBack)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QPdfWriter writer(&buffer);
    writer.setPageSize(QPageSize(QPageSize::Letter));
    BookPrint::PagedDocument document(writer, QGuiApplication::font());
    QList<QStringList> rows;
    for (int at = 0; at < 200; ++at)
        rows.append({QString::number(at), QStringLiteral("1.00")});
    document.Table({QStringLiteral("Line ").repeated(3000), QStringLiteral("Gross")}, rows,
                   {80, 20}, 1);
    const auto pages = document.Pages();
    ASSERT_GE(pages.size(), 2);
    ASSERT_LT(pages.size(), 40);
    for (const auto& page : pages)
        EXPECT_EQ(page.headerBottom - page.headerTop, 0);
    EXPECT_TRUE(document.Print(QStringLiteral("continued"), QString()));
}

} // namespace
} // namespace BookTest
