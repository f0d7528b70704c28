// The file's course from the window: policies issued and a file voided, a
// change to an issued file saved only as an amendment with its reason, what
// needs doing counted when the book opens, and the month's remittance report
// previewed, printed and saved as PDF. Real SQLite books in
// temporary folders; dates counted back from today, as the book counts them.

#include "ClosingDriver.h"

#include "book/Book.h"
#include "closing/FieldNote.h"

#include <QAccessible>
#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFile>
#include <QLineEdit>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace closing::test {
namespace {

// Gross 760.00, Remit 135.25 at a split of 15: the owner's policy 650.00
// (97.50); the loan policy 35.00 (5.25), ALTA 8.1 no charge and ALTA 9
// 50.00 (7.50) on no named policy, and the letter 25.00 (25.00), which go
// with the file's first issue: 110.00 gross, 37.75 remit.
const TypedClosing kPurchase{"15", "250,000", "200,000", "", "", false, {"8.1", "9"}, true};

QDate Today()
{
    return QDate::currentDate();
}

void SaveFile(ClosingDriver& driver, const QString& number, const QDate& closing)
{
    driver.Type("fileNumber", number);
    driver.Type("buyers", QStringLiteral("Ann Smith"));
    driver.Type("lender", QStringLiteral("First Arkansas Bank"));
    driver.Type("closingDate", closing.toString(Qt::ISODate));
    driver.Click("split");
    driver.Key(Qt::Key_S, Qt::ControlModifier);
}

std::unique_ptr<Book::Book> OpenBook(const ClosingDriver& driver)
{
    QString error;
    auto book = Book::Book::Open(
        std::get<Book::BookLocation>(Book::ReadLocation(driver.BookPath())), Book::Access::Write,
        error);
    EXPECT_TRUE(book) << error.toStdString();
    return book;
}

std::optional<Book::BookFile> Stored(const QString& book, const QString& number)
{
    QString error;
    const auto opened = Book::Book::Open(std::get<Book::BookLocation>(Book::ReadLocation(book)),
                                         Book::Access::Read, error);
    return opened ? opened->Load(number) : std::nullopt;
}

QStringList Rows(const QTableWidget* table)
{
    QStringList rows;
    for (int row = 0; row < table->rowCount(); ++row) {
        QStringList cells;
        for (int column = 0; column < table->columnCount(); ++column)
            cells.append(table->item(row, column)->text());
        rows.append(cells.join(QStringLiteral(" | ")));
    }
    return rows;
}

QString Note(const ClosingDriver& driver, const char* name)
{
    return driver.Find<FieldNote>(name)->Text();
}

QString AccessibleName(QWidget* widget)
{
    return QAccessible::queryAccessibleInterface(widget)->text(QAccessible::Name);
}

// What the due line above the closing says; empty while it is hidden.
QString DueLine(const ClosingDriver& driver)
{
    const auto* due = driver.Find<QPushButton>("due");
    return due->isVisibleTo(due->window()) ? due->text() : QString();
}

// Runs `act` on the modal dialog the next step opens, once it shows (the
// window waits on it meanwhile); fails when none opens within five seconds.
void OnModal(std::function<void(QDialog&)> act)
{
    auto* poll = new QTimer(qApp);
    auto waited = std::make_shared<int>(0);
    QObject::connect(poll, &QTimer::timeout, qApp, [poll, waited, act] {
        auto* shown = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (!shown && ++*waited < 250)
            return;
        poll->deleteLater();
        poll->stop();
        if (shown)
            act(*shown);
        else
            ADD_FAILURE() << "no dialog opened";
    });
    poll->start(20);
}

TEST(ClosingCourse, PoliciesAreIssuedOneByOneAndTheFileVoidedWithItsReason)
{
    ClosingDriver driver;
    driver.Enter(kPurchase);
    const QDate closed = Today().addDays(-40);
    SaveFile(driver, QStringLiteral("2026-00012"), closed);
    EXPECT_EQ(DueLine(driver), QStringLiteral("1 thing needs doing"));

    driver.Click("issuePolicies");
    ASSERT_NE(driver.Find("policiesDialog"), nullptr);
    EXPECT_EQ(driver.Text("issueDate"), Today().toString(Qt::ISODate));
    for (const auto& [field, name] : {std::pair{"issueDate", "Issue date"},
                                      {"ownersPolicy", "Owner's policy number"},
                                      {"loanPolicy", "Loan policy number"},
                                      {"voidReason", "Reason to void"}})
        EXPECT_EQ(AccessibleName(driver.Find(field)), QLatin1String(name)) << field;
    driver.Click("issue");
    EXPECT_EQ(Note(driver, "policiesNote"),
              QStringLiteral("Give the number of the owner's policy, of the loan policy, or of "
                             "both, as issued on the date."));
    EXPECT_EQ(driver.Marked(), (QStringList{"loanPolicy", "ownersPolicy"}));

    // The loan policy at closing (the date as the agent types it), the
    // owner's after recording.
    driver.Type("issueDate", closed.toString(QStringLiteral("M/d/yyyy")));
    driver.Type("loanPolicy", QStringLiteral("LP-100"));
    QTest::keyClick(driver.Find("loanPolicy"), Qt::Key_Return);
    const QString closedIso = closed.toString(Qt::ISODate);
    const QStringList issued{"Loan policy | LP-100 | " + closedIso,
                             "The file's other lines | — | " + closedIso};
    EXPECT_EQ(Rows(driver.Find<QTableWidget>("issued")), issued);
    EXPECT_FALSE(driver.Find("loanPolicy")->isVisible());
    driver.Type("issueDate", Today().toString(Qt::ISODate));
    driver.Type("ownersPolicy", QStringLiteral("OP-200"));
    driver.Click("issue");
    EXPECT_EQ(Note(driver, "policiesNote"),
              "Issued on " + Today().toString(Qt::ISODate) + ": owner's policy OP-200.");
    EXPECT_FALSE(driver.Find("issue")->isEnabled());
    auto stored = Stored(driver.BookPath(), QStringLiteral("2026-00012"));
    ASSERT_TRUE(stored);
    EXPECT_EQ(stored->status, QStringLiteral("issued"));
    EXPECT_EQ(stored->revision.revision, 3);
    // The loan's month is past and its report not sent: that is what is left.
    EXPECT_EQ(DueLine(driver), QStringLiteral("1 thing needs doing"));

    // A void asks first; No leaves the file as it is.
    driver.Type("voidReason", QStringLiteral("Buyer's financing fell through"));
    driver.Answer(QMessageBox::No);
    driver.Click("voidFile");
    ASSERT_EQ(driver.Asked().size(), 1);
    EXPECT_TRUE(driver.Asked()[0].startsWith(
        QStringLiteral("Void file 2026-00012 (Buyer's financing fell through)?")));
    EXPECT_EQ(Stored(driver.BookPath(), QStringLiteral("2026-00012"))->status,
              QStringLiteral("issued"));
    driver.Answer(QMessageBox::Yes);
    driver.Click("voidFile");
    stored = Stored(driver.BookPath(), QStringLiteral("2026-00012"));
    EXPECT_EQ(stored->status, QStringLiteral("voided"));
    EXPECT_EQ(stored->revision.reason, QStringLiteral("Buyer's financing fell through"));
    EXPECT_FALSE(driver.Find("voidFile")->isEnabled());
    // Nothing was sent, so nothing of it is owed: nothing needs doing.
    EXPECT_EQ(DueLine(driver), QString());
    // The window took up each revision: a save from it is not stale.
    EXPECT_TRUE(driver.BookNote().startsWith(QStringLiteral("File 2026-00012, revision 4")));
}

TEST(ClosingCourse, AChangeToAnIssuedFileIsSavedOnlyAsAnAmendmentWithItsReason)
{
    ClosingDriver driver;
    driver.Enter(kPurchase);
    SaveFile(driver, QStringLiteral("2026-00031"), Today().addDays(-3));
    {
        auto book = OpenBook(driver);
        ASSERT_TRUE(book);
        ASSERT_EQ(book->Issue(QStringLiteral("2026-00031"), Today().toString(Qt::ISODate),
                              QStringLiteral("OP-1"), QStringLiteral("LP-1"))
                      .status,
                  Book::SaveResult::Status::Saved);
    }
    driver.Answer(QMessageBox::Discard);
    driver.OpenFromList(QStringLiteral("2026-00031"));
    driver.Type("buyers", QStringLiteral("Anne Smith"));

    // No reason, then Cancel: nothing saved, nothing lost.
    QString refused;
    OnModal([&](QDialog& amend) {
        EXPECT_EQ(AccessibleName(amend.findChild<QLineEdit*>("amendReason")),
                  QStringLiteral("Reason for the amendment"));
        amend.findChild<QPushButton*>("saveAmendment")->click();
        refused = amend.findChild<FieldNote*>("amendNote")->Text();
        amend.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Cancel)->click();
    });
    driver.Click("split");
    driver.Key(Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(refused, QStringLiteral("Give the reason for the amendment."));
    EXPECT_TRUE(driver.BookNote().startsWith(QStringLiteral("Not saved: a change to file "
                                                            "2026-00031 is saved only as an "
                                                            "amendment")));
    EXPECT_EQ(driver.Text("buyers"), QStringLiteral("Anne Smith"));
    EXPECT_TRUE(driver.Window().HasUnsavedChanges());
    EXPECT_EQ(Stored(driver.BookPath(), QStringLiteral("2026-00031"))->revision.revision, 2);

    OnModal([](QDialog& amend) {
        auto* reason = amend.findChild<QLineEdit*>("amendReason");
        QTest::keyClicks(reason, QStringLiteral("Buyer's name misspelt"));
        QTest::keyClick(reason, Qt::Key_Return);
    });
    driver.Click("split");
    driver.Key(Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(driver.BookNote(), QStringLiteral("File 2026-00031 amended in the book (Buyer's "
                                                "name misspelt), revision 3."));
    const auto stored = Stored(driver.BookPath(), QStringLiteral("2026-00031"));
    EXPECT_EQ(stored->details.buyers, QStringLiteral("Anne Smith"));
    EXPECT_EQ(stored->revision.changes, QStringLiteral("amended (Buyer's name misspelt): buyers"));
    EXPECT_FALSE(driver.Window().HasUnsavedChanges());
}

TEST(ClosingCourse, WhatNeedsDoingIsCountedWhenTheBookOpensAndOpensAFile)
{
    ClosingDriver driver;
    driver.Enter(kPurchase);
    SaveFile(driver, QStringLiteral("2026-00040"), Today().addDays(-45));
    driver.Type("price", QStringLiteral(""));
    SaveFile(driver, QStringLiteral("2026-00041"), Today().addDays(-10));
    driver.Key(Qt::Key_N, Qt::ControlModifier);
    driver.Restart();
    EXPECT_EQ(DueLine(driver), QStringLiteral("1 thing needs doing"));

    // Fewer days allowed to issue, in the settings: both files are late.
    driver.Click("settings");
    auto* days = driver.Find<QSpinBox>("issueWithinDays");
    EXPECT_EQ(AccessibleName(days), QStringLiteral("Policies issued within"));
    EXPECT_EQ(AccessibleName(driver.Find("remittanceDueDay")), QStringLiteral("Remittance due by"));
    EXPECT_EQ(days->value(), 30);
    days->setFocus();
    QTest::keyClick(days, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(days, QStringLiteral("5"));
    QTest::keyClick(days, Qt::Key_Return);
    EXPECT_EQ(driver.Settings().value("book/issue_within_days").toInt(), 5);
    EXPECT_EQ(driver.Settings().value("book/remittance_due_day").toInt(), 15);
    EXPECT_EQ(DueLine(driver), QStringLiteral("2 things need doing"));

    driver.Click("due");
    auto* files = driver.Find<QTableWidget>("dueFiles");
    ASSERT_NE(files, nullptr);
    EXPECT_EQ(
        Rows(files),
        (QStringList{"2026-00040 | QMV | Ann Smith | " + Today().addDays(-45).toString(Qt::ISODate)
                         + " | 45 | owner's policy, loan policy",
                     "2026-00041 | QMV | Ann Smith | " + Today().addDays(-10).toString(Qt::ISODate)
                         + " | 10 | loan policy"}));
    EXPECT_EQ(driver.Find<QTableWidget>("dueMonths")->rowCount(), 0);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(files->window()));
    const QRect row = files->visualItemRect(files->item(1, 0));
    // A double click is a click and a second press soon after.
    QTest::mouseClick(files->viewport(), Qt::LeftButton, {}, row.center());
    QTest::mouseDClick(files->viewport(), Qt::LeftButton, {}, row.center());
    EXPECT_EQ(driver.Text("fileNumber"), QStringLiteral("2026-00041"));
    EXPECT_EQ(driver.Text("price"), QString());
}

// Last month's report, as the agent checks it before the check goes out:
// the preview's totals, the page printed and the PDF saved; once sent, the
// PDF kept then, byte for byte.
TEST(ClosingCourse, TheMonthsReportIsPreviewedPrintedAndSavedAsPdf)
{
    QTemporaryDir folder;
    const QString printed = folder.filePath(QStringLiteral("printed.pdf"));
    const QString saved = folder.filePath(QStringLiteral("saved.pdf"));
    ClosingDriver driver({[&] { return saved; },
                          [&](QPrinter& printer) {
                              printer.setOutputFormat(QPrinter::PdfFormat);
                              printer.setOutputFileName(printed);
                              return true;
                          },
                          {}});
    driver.Settings().setValue("agency/name", "Ozark Title & Closing Co.");
    const QDate first(Today().year(), Today().month(), 1);
    const QDate issued = first.addMonths(-1);
    const QString month = issued.toString(QStringLiteral("yyyy-MM"));
    driver.Enter(kPurchase);
    SaveFile(driver, QStringLiteral("2026-00050"), issued);
    auto book = OpenBook(driver);
    ASSERT_TRUE(book);
    ASSERT_EQ(book->Issue(QStringLiteral("2026-00050"), issued.toString(Qt::ISODate),
                          QStringLiteral("OP-7"), QStringLiteral("LP-7"))
                  .status,
              Book::SaveResult::Status::Saved);

    driver.Click("report");
    ASSERT_NE(driver.Find("reportDialog"), nullptr);
    EXPECT_EQ(driver.Text("reportMonth"), month);
    EXPECT_EQ(AccessibleName(driver.Find("reportMonth")), QStringLiteral("Month"));
    // 650.00 + 35.00 + 0.00 + 50.00 + 25.00; 97.50 + 5.25 + 0.00 + 7.50 + 25.00.
    EXPECT_EQ(driver.Text("reportTotals"),
              QStringLiteral("5 lines · Gross 760.00 · Remit 135.25 · 0 adjustments 0.00 · "
                             "Check 135.25"));
    EXPECT_EQ(driver.Find<QPrintPreviewWidget>("reportPreview")->pageCount(), 1);

    driver.Click("printReport");
    driver.Click("saveReportPdf");
    for (const QString& file : {printed, saved}) {
        QString error;
        const QStringList pages = PdfPages(file, &error);
        ASSERT_EQ(pages.size(), 1) << file.toStdString() << error.toStdString();
        for (const char* shown :
             {"Ozark Title & Closing Co.", "2026-00050", "OP-7", "LP-7", "135.25", "Page 1 of 1"})
            EXPECT_TRUE(pages[0].contains(QString::fromUtf8(shown))) << shown;
    }

    // Sent: what was kept then is what is saved.
    auto report = book->Report(QStringLiteral("QMV"), month);
    ASSERT_TRUE(report);
    report->checkNumber = QStringLiteral("1001");
    report->paidDate = first.toString(Qt::ISODate);
    report->pdf = QByteArray("%PDF-1.4 as sent\n");
    ASSERT_TRUE(book->MarkSent(*report)) << book->error().toStdString();
    driver.Type("reportMonth", month);
    EXPECT_TRUE(
        Note(driver, "reportNote").startsWith("Sent: check 1001, paid " + report->paidDate));
    driver.Click("saveReportPdf");
    QFile file(saved);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), QByteArray("%PDF-1.4 as sent\n"));
}

} // namespace
} // namespace closing::test
