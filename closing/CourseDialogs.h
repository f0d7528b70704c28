#pragma once

// The closing window's dialogs about a file's course after its closing: its
// policies issued (each with its number and issue date) or the file voided
// with a reason; the reason a change to an issued file is saved as an
// amendment; and what needs doing in the book, from which a file is opened
// or a month's report shown.

#include "book/Book.h"

#include <QDialog>
#include <QMessageBox>

#include <functional>

class QLabel;
class QLineEdit;
class QPushButton;
class QTableWidget;

namespace closing {

class FieldNote;

// A question and the button the agent answered it with.
using AskFunction = std::function<QMessageBox::StandardButton(
    const QString& title, const QString& text, QMessageBox::StandardButtons buttons)>;

// A file's policies: what is issued already, and the next issue: its date
// (today unless the agent says otherwise) and the number of each policy of
// the file not yet issued. A file with no policy of its own (endorsements
// to an existing policy, the letter alone) is issued with the date alone.
// The file may be voided with a reason, after a question.
class PoliciesDialog : public QDialog {
    Q_OBJECT
public:
    PoliciesDialog(Book::Book& book, const QString& fileNumber, AskFunction ask,
                   QWidget* parent = nullptr);

signals:
    // The file's course changed in the book: a policy issued, or a void.
    void Changed(const QString& fileNumber);

private:
    void Show();
    void Issue();
    void VoidFile();

    Book::Book& m_book;
    QString m_fileNumber;
    AskFunction m_ask;
    QLabel* m_heading;
    QTableWidget* m_issued;
    QLineEdit *m_date, *m_owners, *m_loan, *m_reason;
    QLabel *m_ownersCaption, *m_loanCaption;
    FieldNote* m_note;
    QPushButton *m_issue, *m_void;
};

// Asks why an issued or voided file is changed. The reason is kept with the
// revision, and with any adjustment of what was remitted already.
class AmendDialog : public QDialog {
    Q_OBJECT
public:
    AmendDialog(const QString& fileNumber, const QString& status, QWidget* parent = nullptr);

    QString Reason() const;
    void accept() override;

private:
    QLineEdit* m_reason;
    FieldNote* m_note;
};

// What needs doing: files closed more than the settings' days ago whose
// policies are not issued, and months whose remittance is not sent, with
// the day it is due. A file is opened, or a month's report shown, by a
// double click or the button under its list.
class DueDialog : public QDialog {
    Q_OBJECT
public:
    DueDialog(const Book::DueList& due, int issueWithinDays, QWidget* parent = nullptr);

    // What needs doing, counted: "3 things need doing".
    static QString CountText(const Book::DueList& due);

signals:
    void OpenFile(const QString& fileNumber);
    void ShowReport(const QString& underwriter, const QString& month);

private:
    QTableWidget *m_files, *m_months;
    QPushButton *m_openFile, *m_showReport;
};

} // namespace closing
