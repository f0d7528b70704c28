// What leaves the window (the clipboard, the printer, a PDF file) and what
// stays from one run to the next, the keyboard and a screen reader's view.

#include "ClosingDriver.h"

#include "closing/ClosingApplication.h"
#include "closing/FieldNote.h"

#include <QAbstractScrollArea>
#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QLineEdit>
#include <QMimeData>
#include <QPrinter>
#include <QProcess>
#include <QScreen>
#include <QSettings>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

namespace closing::test {
namespace {

// A purchase with a loan, two endorsements and the letter: Gross 760.00,
// Remit 135.25 at a split of 15 (97.50 of it on the owner's policy).
const TypedClosing kPurchase{"15", "250,000", "200,000", "", "", false, {"8.1", "9"}, true};

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
    // The disclosure line by line: 425.00 + 0.00 + 50.00 + 25.00 + 260.00 = 760.00.
    EXPECT_EQ(lines.mid(9, 10),
              (QStringList{
                  "TRID disclosure\tDisclosed\tCharged", "Loan Costs",
                  "Title – Lender's Title Insurance\t425.00\t35.00",
                  "Title – ALTA 8.1-06 Environmental Protection Lien (no policy named)\t0.00\t0.00",
                  "Title – ALTA 9-06 Restrictions, Encroachments, Minerals (no policy "
                  "named)\t50.00\t50.00",
                  "Title – Closing Protection Letter\t25.00\t25.00", "Other Costs",
                  "Title – Owner's Title Insurance (optional)\t260.00\t650.00",
                  "Total\t760.00\t760.00", ""}));
    ExpectNoAgencyFigures(copied->text());

    driver.Click("copyTotal");
    EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("760.00"));

    // A reissue with a loan: 350 less 40% = 210.00 owner's, + 35 - 250.00 =
    // -5.00 disclosed, with the note that says why under it.
    driver.Type("loan", QStringLiteral("100,000"));
    driver.Type("price", QStringLiteral("100,000"));
    driver.Type("priorOwners", QStringLiteral("100,000"));
    driver.Click("copyQuote");
    EXPECT_TRUE(QApplication::clipboard()->text().contains(QString::fromUtf8(
        "Title – Owner's Title Insurance (optional)\t-5.00\t210.00\n    below zero: the owner's "
        "210.00 plus the simultaneous loan's 35.00 is less than the lender's disclosed 250.00\n")))
        << QApplication::clipboard()->text().toStdString();
}

TEST(ClosingOutput, SaveAsPdfWritesTheQuoteOnOneLetterPage)
{
    QTemporaryDir folder;
    const QString file = folder.filePath(QStringLiteral("quote")); // ".pdf" is added
    ClosingDriver driver({[&] { return file; }, {}, {}});
    driver.Enter(kPurchase);
    driver.Click("savePdf");
    QString error;
    const QStringList pages = PdfPages(file + QStringLiteral(".pdf"), &error);
    ASSERT_EQ(pages.size(), 1) << error.toStdString();
    for (const char* shown :
         {"Title insurance quote", "Sales price", "250,000.00", "Loan amount", "200,000.00",
          "Gross", "760.00", "Title – Owner's Title Insurance", "260.00", "Loan Costs",
          "Title – Closing Protection Letter", "(no policy named)", "Other Costs",
          "Rates effective 2/1/2013", "estimates until the policy is issued"})
        EXPECT_TRUE(pages[0].contains(QString::fromUtf8(shown))) << shown;
    ExpectNoAgencyFigures(pages[0]);

    // A reissue shows the prior policy it is credited on.
    driver.Type("priorOwners", QStringLiteral("100,000"));
    driver.Click("savePdf");
    const QStringList reissue = PdfPages(file + QStringLiteral(".pdf"));
    ASSERT_EQ(reissue.size(), 1);
    EXPECT_TRUE(reissue[0].contains(
        QRegularExpression(QStringLiteral("Prior owner's liability +100,000.00"))));
}

// Many endorsements run onto a second and third page, which repeat the
// heading of the table they continue; printing lays out the same pages.
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
                          },
                          {}});
    driver.Enter({"15", "250,000", "", "", "", false, {}, true});
    // Every endorsement but the zoning ones, down the list with the keyboard.
    driver.Key(Qt::Key_E, Qt::AltModifier);
    // (26 of them bring a row of the disclosure to the foot of page 2.)
    for (int row = 0; row < 28; ++row) {
        if (row != 2 && row != 3)
            driver.Key(Qt::Key_Space);
        driver.Key(Qt::Key_Down);
    }
    ASSERT_EQ(driver.Figures().size(), 1 + 26 + 1);
    driver.Click("savePdf");
    driver.Key(Qt::Key_P, Qt::ControlModifier); // Print, as the button does
    EXPECT_TRUE(printAsked);
    for (const QString& file : {saved, printed}) {
        const QStringList pages = PdfPages(file);
        ASSERT_EQ(pages.size(), 3) << file.toStdString();
        EXPECT_TRUE(pages[1].contains(QLatin1String("Title insurance quote (continued)")));
        EXPECT_TRUE(
            pages[1].contains(QRegularExpression(QStringLiteral("Line +Priced on +Gross"))));
        EXPECT_TRUE(pages[1].contains(QLatin1String("Page 2 of 3")));
        EXPECT_TRUE(pages[2].contains(QLatin1String("Rates effective 2/1/2013")));
        // Each line whole on one page, its title's last word with its first:
        // none is cut at the page's foot, nor printed twice.
        QStringList rows;
        for (const StateCalcs::QuotedLine& line : driver.Window().Quote()->lines)
            rows.append(QString::fromUtf8(line.text.data(), line.text.size()));
        for (const StateCalcs::TridRow& row : driver.Window().Quote()->trid.rows)
            rows.append(QString::fromStdString(row.name));
        for (const QString& text : rows) {
            const QStringList words = text.split(u' ', Qt::SkipEmptyParts);
            const QString last = words.last();
            QStringList head;
            for (const QString& word : words.mid(0, 4))
                head.append(QRegularExpression::escape(word));
            const QRegularExpression start(head.join(QStringLiteral(" +")) + u' ');
            int onPages = 0;
            for (const QString& page : pages) {
                const auto at = page.indexOf(start);
                if (at < 0)
                    continue;
                ++onPages;
                EXPECT_GE(page.indexOf(last, at), at) << text.toStdString();
                EXPECT_EQ(page.indexOf(start, at + 1), -1) << text.toStdString();
            }
            EXPECT_EQ(onPages, 1) << text.toStdString();
        }
    }
}

// A cancelled dialog writes nothing anywhere: not in the working folder
// (where a file without a name, "./.pdf", would land), nor where a printer
// set up before the cancel would print to, nor beside the settings.
TEST(ClosingOutput, ACancelledDialogWritesNothing)
{
    QTemporaryDir working;
    const QString before = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(working.path()));
    const QString printed = working.filePath(QStringLiteral("printed.pdf"));
    int asked = 0;
    {
        ClosingDriver driver({[&] { return ++asked, QString(); },
                              [&](QPrinter& printer) {
                                  ++asked;
                                  printer.setOutputFormat(QPrinter::PdfFormat);
                                  printer.setOutputFileName(printed);
                                  return false;
                              },
                              {}});
        driver.Enter(kPurchase);
        const QStringList settings = driver.Folder().entryList(
            QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
        driver.Click("savePdf");
        driver.Click("print");
        EXPECT_EQ(asked, 2);
        EXPECT_EQ(driver.Folder().entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
                  settings);
        EXPECT_EQ(driver.Figures().size(), 5);
    }
    QDir::setCurrent(before);
    EXPECT_EQ(
        QDir(working.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
        QStringList());
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
    // A split the window refuses is not remembered: the last good one stays.
    driver.Type("split", QStringLiteral("71"));
    driver.Restart();
    EXPECT_EQ(driver.Text("split"), QStringLiteral("12.5"));
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
    for (int i = 0; i < 17; ++i) {
        driver.Key(Qt::Key_Tab);
        visited.append(driver.FocusName());
    }
    const QStringList expected{"split",
                               "coverage",
                               "price",
                               "loan",
                               "priorOwners",
                               "priorLoan",
                               "endorsementFilter",
                               "endorsementList",
                               "policyOwners",
                               "letter",
                               "figures",
                               "trid",
                               "newQuote",
                               "copyQuote",
                               "copyTotal",
                               "print",
                               "savePdf",
                               "fileNumber"};
    EXPECT_EQ(visited, expected);
    // Across the file above both columns, and on to the split.
    visited = {driver.FocusName()};
    for (int i = 0; i < 14; ++i) {
        driver.Key(Qt::Key_Tab);
        visited.append(driver.FocusName());
    }
    EXPECT_EQ(visited, (QStringList{"fileNumber", "underwriter", "closingDate", "buyers", "sellers",
                                    "lender", "property", "county", "note", "open", "save",
                                    "settings", "issuePolicies", "report", "split"}));
    for (const auto& [key, name] : {std::pair{Qt::Key_P, "price"},
                                    {Qt::Key_N, "priorLoan"},
                                    {Qt::Key_E, "endorsementList"},
                                    {Qt::Key_F, "endorsementFilter"},
                                    {Qt::Key_T, "letter"},
                                    {Qt::Key_I, "fileNumber"},
                                    {Qt::Key_U, "underwriter"},
                                    {Qt::Key_B, "buyers"},
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
    for (const char* control : {"split:Split",
                                "coverage:Coverage",
                                "price:Sales price",
                                "loan:Loan amount",
                                "priorOwners:Prior owner's liability",
                                "priorLoan:Prior loan liability",
                                "endorsementFilter:Find",
                                "endorsementList:Endorsements",
                                "letter:Closing protection letter",
                                "figures:Figures",
                                "trid:TRID disclosure",
                                "totalGross:Total gross, 760.00",
                                "totalRemit:Total remit, 135.25",
                                "newQuote:New quote",
                                "copyQuote:Copy quote",
                                "copyTotal:Copy total",
                                "print:Print",
                                "savePdf:Save as PDF",
                                "fileNumber:File number",
                                "underwriter:Underwriter",
                                "closingDate:Closing date",
                                "buyers:Buyers/borrowers",
                                "sellers:Sellers",
                                "lender:Lender",
                                "property:Property",
                                "county:County",
                                "note:Note",
                                "open:Open",
                                "save:Save",
                                "settings:Settings",
                                "issuePolicies:Issue policies",
                                "report:Remittance report"}) {
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
    EXPECT_EQ(table->rowCount(), 5);
    EXPECT_EQ(table->columnDescription(2), QStringLiteral("Gross"));
    // Each figure says what it is.
    EXPECT_EQ(
        table->cellAt(3, 2)->text(QAccessible::Name),
        QStringLiteral("550 - ALTA 9-06 Restrictions, Encroachments, Minerals, gross, 50.00"));
    QAccessibleTableInterface* trid
        = QAccessible::queryAccessibleInterface(driver.Find("trid"))->tableInterface();
    ASSERT_NE(trid, nullptr);
    EXPECT_EQ(trid->cellAt(1, 1)->text(QAccessible::Name),
              QStringLiteral("Lender's title insurance, disclosed, 425.00"));
    EXPECT_EQ(trid->cellAt(6, 2)->text(QAccessible::Name),
              QStringLiteral("Owner's title insurance, charged, 650.00"));
}

// The totals stand outside anything that scrolls, in view in a window no
// taller than the screen with a file's details shown, however many lines
// the closing has.
TEST(ClosingOutput, TheTotalsStayInViewOfALongClosing)
{
    ClosingDriver driver;
    driver.Enter({"15", "250,000", "200,000", "", "", false, {}, true});
    for (const char* field :
         {"fileNumber", "buyers", "sellers", "property", "county", "lender", "closingDate", "note"})
        driver.Type(field, QStringLiteral("2026-00012 Ann & Robert Smith"));
    driver.Key(Qt::Key_E, Qt::AltModifier);
    for (int row = 0; row < 40; ++row) {
        if (row != 2 && row != 3)
            driver.Key(Qt::Key_Space);
        driver.Key(Qt::Key_Down);
    }
    ASSERT_EQ(driver.Figures().size(), 2 + 38 + 1);
    const QWidget& window = driver.Window();
    EXPECT_LE(window.frameGeometry().height(), window.screen()->availableGeometry().height());
    for (const char* name : {"totalGross", "totalRemit"}) {
        const QWidget* total = driver.Find(name);
        ASSERT_TRUE(total->isVisible()) << name;
        for (const QWidget* up = total; up; up = up->parentWidget())
            EXPECT_EQ(qobject_cast<const QAbstractScrollArea*>(up), nullptr) << name;
        const QRect shown(total->mapTo(&window, QPoint(0, 0)), total->size());
        EXPECT_TRUE(window.rect().contains(shown)) << name;
    }
}

// New quote (Ctrl+N) clears the closing and keeps the split; Print (Ctrl+P)
// prints; Quit (Ctrl+Q) closes the window; Save and Open have theirs.
TEST(ClosingOutput, TheStandardCommandsHaveTheirKeys)
{
    bool printAsked = false;
    ClosingDriver driver({{}, [&](QPrinter&) { return printAsked = true, false; }, {}});
    driver.Enter({"12.5", "250,000", "200,000", "100,000", "", false, {"8.1", "9:owner"}, true});
    driver.Key(Qt::Key_P, Qt::ControlModifier);
    EXPECT_TRUE(printAsked);
    driver.Find<QComboBox>("coverage")->setCurrentIndex(1);
    driver.Key(Qt::Key_N, Qt::ControlModifier);
    EXPECT_EQ(driver.Text("split"), QStringLiteral("12.5"));
    for (const char* field : {"price", "loan", "priorOwners", "priorLoan", "endorsementFilter"})
        EXPECT_TRUE(driver.Text(field).isEmpty()) << field;
    EXPECT_EQ(driver.Find<QComboBox>("coverage")->currentIndex(), 0);
    EXPECT_FALSE(driver.Find<QCheckBox>("letter")->isChecked());
    EXPECT_EQ(driver.FocusName(), QStringLiteral("price"));
    driver.Type("price", QStringLiteral("250,000"));
    EXPECT_EQ(driver.Figures().size(), 1); // no endorsement left checked
    QList<QKeySequence> bound;
    for (const QAction* action : driver.Window().actions())
        bound.append(action->shortcut());
    for (const auto key : {QKeySequence::Save, QKeySequence::Open})
        EXPECT_TRUE(bound.contains(QKeySequence(key)))
            << QKeySequence(key).toString().toStdString();
    driver.Key(Qt::Key_Q, Qt::ControlModifier);
    EXPECT_FALSE(driver.Window().isVisible());
}

// Settings that cannot be written: the window says so, once, and stops
// promising to remember the split. (A folder below a plain file cannot be
// made, even by root.)
TEST(ClosingOutput, ASplitThatCannotBeRememberedIsSaidSo)
{
    QTemporaryDir folder;
    QFile plain(folder.filePath(QStringLiteral("plain")));
    ASSERT_TRUE(plain.open(QIODevice::WriteOnly));
    plain.close();
    const QString file = folder.filePath(QStringLiteral("plain/Tarnwell/Closing.conf"));
    QSettings settings(file, QSettings::IniFormat);
    ClosingWindow window(settings);
    window.show();
    auto* split = window.findChild<QLineEdit*>(QStringLiteral("split"));
    auto* note = window.findChild<FieldNote*>(QStringLiteral("settingsNote"));
    auto* hint = window.findChild<FieldNote*>(QStringLiteral("splitNote"));
    EXPECT_EQ(hint->Text(), QStringLiteral("The agency's premium split, from 10 to 70 percent."));
    EXPECT_TRUE(note->Text().isEmpty());
    split->setFocus();
    QTest::keyClicks(split, QStringLiteral("15"));
    const QString said = QStringLiteral("The split cannot be remembered: %1 cannot be written.")
                             .arg(QDir::toNativeSeparators(file));
    EXPECT_EQ(note->Text(), said);
    EXPECT_TRUE(note->IsProblem());
    QTest::keyClicks(split, QStringLiteral(".5"));
    EXPECT_EQ(note->Text(), said);
}

// The program is "Tarnwell Closing Quote" to the desktop and to screen
// readers; a split remembered under its former name, "Closing", is read.
TEST(ClosingOutput, TheProgramIsNamedInFullAndKeepsItsSettings)
{
    QTemporaryDir home;
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, home.path());
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, home.path());
    QDir(home.path()).mkpath(QStringLiteral("Tarnwell"));
    QFile former(home.filePath(QStringLiteral("Tarnwell/Closing.conf")));
    ASSERT_TRUE(former.open(QIODevice::WriteOnly));
    former.write("[General]\nsplit=17.5\n");
    former.close();
    NameApplication();
    EXPECT_EQ(QApplication::applicationName(), QStringLiteral("Tarnwell Closing Quote"));
    EXPECT_EQ(QAccessible::queryAccessibleInterface(qApp)->text(QAccessible::Name),
              QStringLiteral("Tarnwell Closing Quote"));
    const auto settings = OpenSettings();
    EXPECT_EQ(settings->fileName(), former.fileName());
    ClosingWindow window(*settings);
    EXPECT_EQ(window.findChild<QLineEdit*>(QStringLiteral("split"))->text(),
              QStringLiteral("17.5"));
}

} // namespace
} // namespace closing::test
