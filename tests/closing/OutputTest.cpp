// What leaves the window (the clipboard, the printer, a PDF file) and what
// stays from one run to the next, the keyboard and a screen reader's view.

#include "ClosingDriver.h"

#include <QAccessible>
#include <QApplication>
#include <QClipboard>
#include <QMimeData>
#include <QPrinter>
#include <QProcess>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

namespace closing::test {
namespace {

// A purchase with a loan, two endorsements and the letter: Gross 760.00,
// Remit 135.25 at a split of 15 (97.50 of it on the owner's policy).
const TypedClosing kPurchase{"15", "250,000", "200,000", "", "", false, {"8.1", "9"}, true};

// What pdftotext reads in a PDF, page by page.
QStringList PdfPages(const QString& file, QString* error = nullptr)
{
    QProcess pdftotext;
    pdftotext.start(QStringLiteral("pdftotext"),
                    {QStringLiteral("-layout"), file, QStringLiteral("-")});
    if (!pdftotext.waitForFinished(30'000) || pdftotext.exitCode() != 0) {
        if (error)
            *error = pdftotext.errorString()
                     + QString::fromLocal8Bit(pdftotext.readAllStandardError());
        return {};
    }
    QStringList pages = QString::fromUtf8(pdftotext.readAllStandardOutput()).split(u'\f');
    if (!pages.isEmpty() && pages.last().trimmed().isEmpty())
        pages.removeLast();
    return pages;
}

// Nothing of the agency's business: no remittance, no split.
void ExpectNoAgencyFigures(const QString& text)
{
    for (const char* hidden : {"Remit", "135.25", "97.50", "Split"})
        EXPECT_FALSE(text.contains(QLatin1String(hidden))) << hidden;
}

TEST(ClosingOutput, CopyQuotePutsAnHtmlTableAndTabbedTextOnTheClipboard)
{
    ClosingDriver driver;
    EXPECT_FALSE(driver.Find("copyQuote")->isEnabled());
    EXPECT_FALSE(driver.Find("copyTotal")->isEnabled());
    driver.Enter(kPurchase);
    driver.Click("copyQuote");
    const QMimeData* copied = QApplication::clipboard()->mimeData();
    ASSERT_TRUE(copied->hasHtml() && copied->hasText());
    const QString html = copied->html();
    EXPECT_TRUE(html.contains(QLatin1String("<table")));
    EXPECT_TRUE(html.contains(QLatin1String("<th align=\"right\">Gross</th>")));
    EXPECT_TRUE(html.contains(QLatin1String("<td align=\"right\"><b>760.00</b></td>")));
    ExpectNoAgencyFigures(html);
    const QStringList lines = copied->text().split(u'\n');
    EXPECT_EQ(
        lines.mid(0, 8),
        (QStringList{"Title insurance quote", "Line\tPriced on\tGross",
                     "101 - Owners Policy - Simultaneous with and greater than Loan "
                     "Policy\tLiability 250,000.00\t650.00",
                     "401 - Loan Policy simultaneous with and less than Owners Policy\t\t35.00",
                     "500 - ALTA 8.1-06 Environmental Protection Lien\t\tNo Charge",
                     "550 - ALTA 9-06 Restrictions, Encroachments, Minerals\t\t50.00",
                     "660 - Closing Protection Letter\t\t25.00", "Total\t\t760.00"}));
    EXPECT_TRUE(lines.contains(QStringLiteral("Title – Lender's Title Insurance\t425.00\t35.00")));
    ExpectNoAgencyFigures(copied->text());

    driver.Click("copyTotal");
    EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("760.00"));
}

TEST(ClosingOutput, SaveAsPdfWritesTheQuoteOnOneLetterPage)
{
    QTemporaryDir folder;
    const QString file = folder.filePath(QStringLiteral("quote")); // ".pdf" is added
    ClosingDriver driver({[&] { return file; }, {}});
    driver.Enter(kPurchase);
    driver.Click("savePdf");
    QString error;
    const QStringList pages = PdfPages(file + QStringLiteral(".pdf"), &error);
    ASSERT_EQ(pages.size(), 1) << error.toStdString();
    for (const char* shown :
         {"Title insurance quote", "Sales price", "250,000.00", "Loan amount", "200,000.00",
          "Gross", "760.00", "Title – Owner's Title Insurance", "260.00",
          "Rates effective 2/1/2013", "estimates until the policy is issued"})
        EXPECT_TRUE(pages[0].contains(QString::fromUtf8(shown))) << shown;
    ExpectNoAgencyFigures(pages[0]);
}

// Many endorsements run onto a second page, which repeats the heading of
// the lines; printing lays out the same pages.
TEST(ClosingOutput, ALongClosingRunsOntoASecondPageWithItsHeader)
{
    QTemporaryDir folder;
    const QString saved = folder.filePath(QStringLiteral("saved.pdf"));
    const QString printed = folder.filePath(QStringLiteral("printed.pdf"));
    bool printAsked = false;
    ClosingDriver driver({[&] { return saved; },
                          [&](QPrinter& printer) {
                              printAsked = true;
                              printer.setOutputFormat(QPrinter::PdfFormat);
                              printer.setOutputFileName(printed);
                              return true;
                          }});
    driver.Enter({"15", "250,000", "", "", "", false, {}, true});
    // Every endorsement but the zoning ones, down the list with the keyboard.
    driver.Key(Qt::Key_E, Qt::AltModifier);
    for (int row = 0; row < 30; ++row) {
        if (row != 2 && row != 3)
            driver.Key(Qt::Key_Space);
        driver.Key(Qt::Key_Down);
    }
    ASSERT_EQ(driver.Figures().size(), 1 + 28 + 1 + 1);
    driver.Click("savePdf");
    driver.Click("print");
    EXPECT_TRUE(printAsked);
    for (const QString& file : {saved, printed}) {
        const QStringList pages = PdfPages(file);
        ASSERT_EQ(pages.size(), 2) << file.toStdString();
        EXPECT_TRUE(pages[1].contains(QLatin1String("Title insurance quote (continued)")));
        EXPECT_TRUE(
            pages[1].contains(QRegularExpression(QStringLiteral("Line +Priced on +Gross"))));
        EXPECT_TRUE(pages[1].contains(QLatin1String("Page 2 of 2")));
        EXPECT_TRUE(pages[1].contains(QLatin1String("Rates effective 2/1/2013")));
    }
}

TEST(ClosingOutput, ACancelledDialogWritesNothing)
{
    QTemporaryDir folder;
    ClosingDriver driver({[] { return QString(); }, [](QPrinter&) { return false; }});
    driver.Enter(kPurchase);
    driver.Click("savePdf");
    driver.Click("print");
    EXPECT_TRUE(QDir(folder.path()).isEmpty());
    EXPECT_EQ(driver.Figures().size(), 6);
}

TEST(ClosingOutput, TheSplitIsRememberedAndNothingElse)
{
    ClosingDriver driver;
    EXPECT_EQ(driver.FocusName(), QStringLiteral("split"));
    driver.Enter({"12.5", "250,000", "", "", "", false, {"9"}, true});
    driver.Restart();
    EXPECT_EQ(driver.Text("split"), QStringLiteral("12.5"));
    for (const char* field : {"price", "loan", "priorOwners", "priorLoan", "endorsementFilter"})
        EXPECT_TRUE(driver.Text(field).isEmpty()) << field;
    EXPECT_TRUE(driver.Figures().isEmpty());
    EXPECT_EQ(driver.FocusName(), QStringLiteral("price"));
    driver.Type("split", QString());
    driver.Restart();
    EXPECT_TRUE(driver.Text("split").isEmpty());
}

// Tab goes down the form; each label's letter with Alt reaches its field.
TEST(ClosingOutput, TheKeyboardReachesEveryControlInOrder)
{
    ClosingDriver driver;
    driver.Enter({"15", "250,000", "200,000", "", "", false, {"3:owner"}, true});
    driver.Click("split");
    QStringList visited{driver.FocusName()};
    for (int i = 0; i < 15; ++i) {
        driver.Key(Qt::Key_Tab);
        visited.append(driver.FocusName());
    }
    const QStringList expected{
        "split",     "coverage",          "price",           "loan",         "priorOwners",
        "priorLoan", "endorsementFilter", "endorsementList", "zoningOwners", "letter",
        "figures",   "copyQuote",         "copyTotal",       "print",        "savePdf",
        "split"};
    EXPECT_EQ(visited, expected);
    for (const auto& [key, name] : {std::pair{Qt::Key_P, "price"},
                                    {Qt::Key_N, "priorLoan"},
                                    {Qt::Key_E, "endorsementList"},
                                    {Qt::Key_F, "endorsementFilter"},
                                    {Qt::Key_T, "letter"},
                                    {Qt::Key_S, "split"}}) {
        driver.Key(key, Qt::AltModifier);
        EXPECT_EQ(driver.FocusName(), QLatin1String(name));
    }
}

TEST(ClosingOutput, AScreenReaderReadsEveryControlAndTheFigures)
{
    ClosingDriver driver;
    driver.Enter(kPurchase);
    // Each control, "object:name", with the name a screen reader reads for it.
    for (const char* control :
         {"split:Split", "coverage:Coverage", "price:Sales price", "loan:Loan amount",
          "priorOwners:Prior owner's liability", "priorLoan:Prior loan liability",
          "endorsementFilter:Find", "endorsementList:Endorsements",
          "letter:Closing protection letter", "figures:Figures", "copyQuote:Copy quote",
          "copyTotal:Copy total", "print:Print", "savePdf:Save as PDF"}) {
        const QByteArray object = QByteArray(control).split(':')[0];
        const QString name = QString::fromUtf8(control).section(u':', 1);
        QAccessibleInterface* read = QAccessible::queryAccessibleInterface(driver.Find(object));
        ASSERT_NE(read, nullptr) << control;
        // A drop-down list's name is its choice; its label is its relation.
        const auto labels = read->relations(QAccessible::Label);
        const QString label = read->role() == QAccessible::ComboBox && !labels.isEmpty()
                                  ? labels.first().first->text(QAccessible::Name)
                                  : read->text(QAccessible::Name);
        EXPECT_EQ(label, name) << control;
    }
    QAccessibleInterface* figures = QAccessible::queryAccessibleInterface(driver.Find("figures"));
    EXPECT_EQ(figures->role(), QAccessible::Table);
    QAccessibleTableInterface* table = figures->tableInterface();
    ASSERT_NE(table, nullptr);
    EXPECT_EQ(table->rowCount(), 6);
    EXPECT_EQ(table->columnDescription(2), QStringLiteral("Gross"));
    EXPECT_EQ(table->cellAt(5, 2)->text(QAccessible::Name), QStringLiteral("760.00"));
}

} // namespace
} // namespace closing::test
