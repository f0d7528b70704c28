#include "closing/CourseDialogs.h"

#include "closing/BookDialogs.h"
#include "closing/FieldNote.h"

#include <QDate>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace closing {
namespace {

using dialog::Caption;
using dialog::Cents;

// A line of the book's, which starts in lower case, as a sentence.
QString Sentence(QString text)
{
    text = text.trimmed();
    if (!text.isEmpty())
        text[0] = text[0].toUpper();
    return text.endsWith(u'.') ? text : text + u'.';
}

bool HasLine(const Book::StoredQuote& quote, const char* role)
{
    return std::any_of(quote.lines.begin(), quote.lines.end(), [&](const Book::StoredLine& line) {
        return line.role == QLatin1String(role);
    });
}

// What a group of the file's lines is called: the policy, or the lines that
// go with the file's first issue.
QString GroupName(const QString& group)
{
    if (group == QLatin1String("owner"))
        return QObject::tr("Owner's policy");
    if (group == QLatin1String("loan"))
        return QObject::tr("Loan policy");
    return QObject::tr("The file's other lines");
}

void Fill(QTableWidget* table, const QList<QStringList>& rows, const QList<int>& rightAligned)
{
    table->setRowCount(static_cast<int>(rows.size()));
    for (int row = 0; row < rows.size(); ++row)
        for (int column = 0; column < rows[row].size(); ++column) {
            auto* item = new QTableWidgetItem(rows[row][column]);
            item->setToolTip(rows[row][column]);
            if (rightAligned.contains(column))
                item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            table->setItem(row, column, item);
        }
    table->resizeColumnsToContents();
    table->setCurrentCell(rows.isEmpty() ? -1 : 0, 0);
}

} // namespace

// ---- A file's policies ---------------------------------------------------------

PoliciesDialog::PoliciesDialog(Book::Book& book, const QString& fileNumber, AskFunction ask,
                               QWidget* parent)
    : QDialog(parent),
      m_book(book),
      m_fileNumber(fileNumber),
      m_ask(std::move(ask)),
      m_heading(new QLabel),
      m_issued(dialog::ListTable({tr("Policy"), tr("Number"), tr("Issue date")}, "issued")),
      m_date(new QLineEdit),
      m_owners(new QLineEdit),
      m_loan(new QLineEdit),
      m_reason(new QLineEdit),
      m_note(new FieldNote),
      m_issue(new QPushButton(tr("&Issue"))),
      m_void(new QPushButton(tr("&Void file…")))
{
    setObjectName(QStringLiteral("policiesDialog"));
    // The desktop adds the program and the file to the title.
    setWindowTitle(tr("Policies"));
    m_heading->setObjectName(QStringLiteral("policiesHeading"));
    m_heading->setWordWrap(true);
    m_issued->setAccessibleName(tr("Policies issued"));
    m_issued->setMinimumHeight(m_issued->verticalHeader()->defaultSectionSize() * 4);
    m_date->setObjectName(QStringLiteral("issueDate"));
    m_date->setPlaceholderText(tr("YYYY-MM-DD or M/D/YYYY"));
    m_owners->setObjectName(QStringLiteral("ownersPolicy"));
    m_loan->setObjectName(QStringLiteral("loanPolicy"));
    m_reason->setObjectName(QStringLiteral("voidReason"));
    m_reason->setPlaceholderText(tr("Why the file is voided"));
    m_note->setObjectName(QStringLiteral("policiesNote"));
    m_issue->setObjectName(QStringLiteral("issue"));
    m_void->setObjectName(QStringLiteral("voidFile"));
    m_issue->setAccessibleName(tr("Issue"));
    m_void->setAccessibleName(tr("Void file"));
    for (QLineEdit* edit : {m_date, m_owners, m_loan, m_reason})
        edit->setMinimumWidth(edit->fontMetrics().horizontalAdvance(u'0') * 28);

    auto* issue = new QFormLayout;
    issue->addRow(Caption(tr("Issue &date"), m_date), m_date);
    m_ownersCaption = Caption(tr("&Owner's policy number"), m_owners);
    issue->addRow(m_ownersCaption, m_owners);
    m_loanCaption = Caption(tr("&Loan policy number"), m_loan);
    issue->addRow(m_loanCaption, m_loan);
    auto* issueRow = new QHBoxLayout;
    issueRow->addStretch(1);
    issueRow->addWidget(m_issue);
    issue->addRow(issueRow);

    auto* voiding = new QHBoxLayout;
    voiding->addWidget(Caption(tr("&Reason to void"), m_reason));
    voiding->addWidget(m_reason, 1);
    voiding->addWidget(m_void);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_heading);
    layout->addWidget(Caption(tr("Issued"), m_issued));
    layout->addWidget(m_issued, 1);
    layout->addWidget(m_note);
    layout->addLayout(issue);
    auto* rule = new QFrame;
    rule->setFrameShape(QFrame::HLine);
    rule->setFrameShadow(QFrame::Sunken);
    layout->addWidget(rule);
    layout->addLayout(voiding);
    layout->addWidget(buttons);

    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_issue, &QPushButton::clicked, this, &PoliciesDialog::Issue);
    connect(m_void, &QPushButton::clicked, this, &PoliciesDialog::VoidFile);
    // <ENTER> in a field of the issue issues; in the reason, it voids (after
    // the question).
    for (QLineEdit* edit : {m_date, m_owners, m_loan})
        connect(edit, &QLineEdit::returnPressed, m_issue, &QPushButton::click);
    connect(m_reason, &QLineEdit::returnPressed, m_void, &QPushButton::click);

    m_date->setText(m_book.Today().toString(Qt::ISODate));
    Show();
    dialog::FitToScreen(this, 80, 26);
}

void PoliciesDialog::Show()
{
    const auto file = m_book.Load(m_fileNumber);
    for (QLineEdit* edit : {m_date, m_owners, m_loan, m_reason})
        SetMarked(edit, false);
    if (!file) {
        m_heading->setText(tr("File %1").arg(m_fileNumber));
        m_note->ShowProblem(
            m_book.error().isEmpty()
                ? tr("File %1 is not in the book.").arg(m_fileNumber)
                : tr("File %1 cannot be read: %2.").arg(m_fileNumber, m_book.error()));
        for (QWidget* control :
             std::initializer_list<QWidget*>{m_date, m_owners, m_loan, m_reason, m_issue, m_void})
            control->setEnabled(false);
        return;
    }
    const Book::FileDetails& d = file->details;
    const QDate closed = QDate::fromString(d.closingDate, Qt::ISODate);
    const QDate today = m_book.Today();
    // As the quote and the report write a date: "March 27, 2026".
    const QString day = QLocale(QLocale::English, QLocale::UnitedStates)
                            .toString(closed, QStringLiteral("MMMM d, yyyy"));
    const QString closing = d.closingDate.isEmpty() ? tr("no closing date")
                            : closed > today        ? tr("closing on %1").arg(day)
                                                    : tr("closed %1").arg(day);
    QStringList heading{tr("File %1").arg(d.fileNumber), d.underwriter};
    if (!d.buyers.isEmpty())
        heading << d.buyers;
    heading << closing;
    m_heading->setText(heading.join(QStringLiteral(" · ")));

    QList<QStringList> rows;
    const auto issued = [&](const QString& group) {
        return std::any_of(file->policies.begin(), file->policies.end(),
                           [&](const Book::IssuedPolicy& p) { return p.policy == group; });
    };
    for (const QString& group : {QStringLiteral("owner"), QStringLiteral("loan"), Book::kFileGroup})
        for (const Book::IssuedPolicy& p : file->policies)
            if (p.policy == group)
                rows.append(
                    {GroupName(group), p.number.isEmpty() ? tr("—") : p.number, p.issueDate});
    Fill(m_issued, rows, {});

    const bool voided = file->status == QLatin1String("voided");
    const bool ownersDue = HasLine(file->quote, "owners_policy")
                           && !issued(QStringLiteral("owner"));
    const bool loanDue = HasLine(file->quote, "loan_policy") && !issued(QStringLiteral("loan"));
    const bool ownPolicy = HasLine(file->quote, "owners_policy")
                           || HasLine(file->quote, "loan_policy");
    const bool fileDue = !ownPolicy && !issued(Book::kFileGroup);
    const bool due = !voided && (ownersDue || loanDue || fileDue);
    const bool hasClosed = closed.isValid() && closed <= today;
    m_owners->setVisible(ownersDue);
    m_ownersCaption->setVisible(ownersDue);
    m_loan->setVisible(loanDue);
    m_loanCaption->setVisible(loanDue);
    if (!ownersDue)
        m_owners->clear();
    if (!loanDue)
        m_loan->clear();
    m_date->setEnabled(due && hasClosed);
    m_owners->setEnabled(due && hasClosed);
    m_loan->setEnabled(due && hasClosed);
    m_issue->setEnabled(due && hasClosed);
    m_reason->setEnabled(!voided);
    m_void->setEnabled(!voided);

    if (voided)
        m_note->ShowHint(tr("File %1 is voided (%2); it stays in the book.")
                             .arg(m_fileNumber, file->revision.reason));
    else if (!due)
        m_note->ShowHint(tr("Every policy of file %1 is issued.").arg(m_fileNumber));
    else if (!hasClosed)
        m_note->ShowProblem(tr("File %1 has not closed: give it its closing date in the window "
                               "and save it, then issue its policies.")
                                .arg(m_fileNumber));
    else if (!ownPolicy)
        m_note->ShowHint(tr("File %1 has no policy of its own: it is issued with the date "
                            "alone.")
                             .arg(m_fileNumber));
    else if (rows.isEmpty())
        m_note->ShowHint(tr("Nothing is issued yet. Give the number of each policy issued on "
                            "the date; a policy issued later is given then."));
    else
        m_note->Clear();
    (m_date->isEnabled() ? m_date : static_cast<QWidget*>(m_issued))->setFocus();
}

void PoliciesDialog::Issue()
{
    for (QLineEdit* edit : {m_date, m_owners, m_loan})
        SetMarked(edit, false);
    const auto problem = [this](const QList<QLineEdit*>& fields, const QString& why) {
        for (QLineEdit* field : fields)
            SetMarked(field, true, why);
        if (!fields.isEmpty())
            fields.first()->setFocus();
        m_note->ShowProblem(why);
    };
    const QString date = IsoDate(m_date->text());
    if (date.isEmpty())
        return problem({m_date}, tr("An issue date is written as 2026-03-31 or 3/31/2026."));
    const QString owners = !m_owners->isHidden() ? m_owners->text().trimmed() : QString();
    const QString loan = !m_loan->isHidden() ? m_loan->text().trimmed() : QString();
    QList<QLineEdit*> numbers;
    for (QLineEdit* edit : {m_owners, m_loan})
        if (!edit->isHidden())
            numbers << edit;
    if (!numbers.isEmpty() && owners.isEmpty() && loan.isEmpty())
        return problem(numbers, numbers.size() == 2
                                    ? tr("Give the number of the owner's policy, of the loan "
                                         "policy, or of both, as issued on the date.")
                                    : tr("Give the number of the policy issued on the date."));
    const Book::SaveResult result = m_book.Issue(m_fileNumber, date, owners, loan);
    switch (result.status) {
    case Book::SaveResult::Status::Saved: {
        QStringList said;
        if (!owners.isEmpty())
            said << tr("owner's policy %1").arg(owners);
        if (!loan.isEmpty())
            said << tr("loan policy %1").arg(loan);
        Show();
        m_note->ShowHint(said.isEmpty()
                             ? tr("File %1 issued on %2.").arg(m_fileNumber, date)
                             : tr("Issued on %1: %2.").arg(date, said.join(tr(" and "))));
        emit Changed(m_fileNumber);
        return;
    }
    case Book::SaveResult::Status::Unchanged:
        m_note->ShowHint(tr("That is issued already; nothing changed."));
        return;
    default:
        problem(result.error.contains(QLatin1String("issue date")) ? QList<QLineEdit*>{m_date}
                                                                   : QList<QLineEdit*>{},
                Sentence(result.error));
    }
}

void PoliciesDialog::VoidFile()
{
    SetMarked(m_reason, false);
    const QString reason = m_reason->text().simplified();
    if (reason.isEmpty()) {
        const QString why = tr("Give the reason the file is voided.");
        SetMarked(m_reason, true, why);
        m_reason->setFocus();
        m_note->ShowProblem(why);
        return;
    }
    if (m_ask(tr("Void File"),
              tr("Void file %1 (%2)?\n\nIts lines come off every report not yet sent, and what "
                 "was remitted for it already is reversed on the next report not yet sent. The "
                 "file stays in the book, voided, with the reason.")
                  .arg(m_fileNumber, reason),
              QMessageBox::Yes | QMessageBox::No)
        != QMessageBox::Yes)
        return;
    const Book::SaveResult result = m_book.Void(m_fileNumber, reason);
    if (result.status != Book::SaveResult::Status::Saved) {
        m_note->ShowProblem(Sentence(result.error));
        return;
    }
    m_reason->clear();
    Show();
    emit Changed(m_fileNumber);
}

// ---- An amendment's reason -------------------------------------------------------

AmendDialog::AmendDialog(const QString& fileNumber, const QString& status, QWidget* parent)
    : QDialog(parent), m_reason(new QLineEdit), m_note(new FieldNote)
{
    setObjectName(QStringLiteral("amendDialog"));
    setWindowTitle(tr("Amendment"));
    m_reason->setObjectName(QStringLiteral("amendReason"));
    m_reason->setMinimumWidth(m_reason->fontMetrics().horizontalAdvance(u'0') * 48);
    m_note->setObjectName(QStringLiteral("amendNote"));
    auto* text = new QLabel(
        status == QLatin1String("voided")
            ? tr("File %1 is voided. A change to it is saved as an amendment, with its reason.")
                  .arg(fileNumber)
            : tr("File %1 has policies issued. A change to it is saved as an amendment, with its "
                 "reason; a change to figures already remitted goes on the next report not yet "
                 "sent as an adjustment.")
                  .arg(fileNumber));
    text->setWordWrap(true);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    QPushButton* save = buttons->button(QDialogButtonBox::Ok);
    save->setText(tr("&Save amendment"));
    save->setObjectName(QStringLiteral("saveAmendment"));
    auto* form = new QFormLayout;
    form->addRow(Caption(tr("&Reason for the amendment"), m_reason), m_reason);
    form->addRow(QString(), m_note);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(text);
    layout->addLayout(form);
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    m_reason->setFocus();
}

QString AmendDialog::Reason() const
{
    return m_reason->text().simplified();
}

void AmendDialog::accept()
{
    if (Reason().isEmpty()) {
        const QString why = tr("Give the reason for the amendment.");
        SetMarked(m_reason, true, why);
        m_note->ShowProblem(why);
        m_reason->setFocus();
        return;
    }
    QDialog::accept();
}

// ---- What needs doing ---------------------------------------------------------------

DueDialog::DueDialog(const Book::DueList& due, int issueWithinDays, QWidget* parent)
    : QDialog(parent),
      m_files(dialog::ListTable({tr("File number"), tr("Underwriter"), tr("Buyers/borrowers"),
                                 tr("Closing date"), tr("Days"), tr("Not issued")},
                                "dueFiles")),
      m_months(dialog::ListTable(
          {tr("Underwriter"), tr("Month"), tr("Lines"), tr("Remit"), tr("Due")}, "dueMonths")),
      m_openFile(new QPushButton(tr("&Open file"))),
      m_showReport(new QPushButton(tr("&Report…")))
{
    setObjectName(QStringLiteral("dueDialog"));
    setWindowTitle(tr("What Needs Doing"));
    m_openFile->setObjectName(QStringLiteral("openDueFile"));
    m_showReport->setObjectName(QStringLiteral("showDueReport"));
    m_showReport->setAccessibleName(tr("Report"));

    QList<QStringList> files;
    for (const Book::UnissuedFile& file : due.unissued) {
        QStringList missing;
        for (const QString& group : file.missing)
            missing << (group.isEmpty() ? tr("issue") : GroupName(group).toLower());
        files.append({file.fileNumber, file.underwriter, file.buyers, file.closingDate,
                      QString::number(file.daysSinceClosing), missing.join(tr(", "))});
    }
    Fill(m_files, files, {4});
    QList<QStringList> months;
    for (const Book::UnsentMonth& month : due.unsent)
        months.append({month.underwriter, month.month, QString::number(month.lines),
                       Cents(month.remitCents),
                       month.overdue ? tr("%1, overdue").arg(month.dueDate) : month.dueDate});
    Fill(m_months, months, {2, 3});
    for (QTableWidget* table : {m_files, m_months})
        table->setMinimumHeight(table->verticalHeader()->defaultSectionSize() * 4);

    auto* filesCaption = new QLabel(
        issueWithinDays == 1 ? tr("&Files closed more than a day ago with policies not issued")
                             : tr("&Files closed more than %1 days ago with policies not issued")
                                   .arg(issueWithinDays));
    filesCaption->setBuddy(m_files);
    m_files->setAccessibleName(filesCaption->text().remove(u'&'));
    auto* monthsCaption = new QLabel(tr("Remittances &not sent"));
    monthsCaption->setBuddy(m_months);
    m_months->setAccessibleName(monthsCaption->text().remove(u'&'));
    auto* summary = new QLabel(CountText(due) + u'.');
    summary->setObjectName(QStringLiteral("dueSummary"));

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close);
    auto* filesRow = new QHBoxLayout;
    filesRow->addWidget(filesCaption, 1);
    filesRow->addWidget(m_openFile);
    auto* monthsRow = new QHBoxLayout;
    monthsRow->addWidget(monthsCaption, 1);
    monthsRow->addWidget(m_showReport);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(summary);
    layout->addLayout(filesRow);
    layout->addWidget(m_files, 3);
    layout->addLayout(monthsRow);
    layout->addWidget(m_months, 2);
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    const auto openFile = [this] {
        if (const QTableWidgetItem* item = m_files->item(m_files->currentRow(), 0)) {
            const QString number = item->text();
            accept();
            emit OpenFile(number);
        }
    };
    const auto showReport = [this] {
        const int row = m_months->currentRow();
        if (const QTableWidgetItem* item = m_months->item(row, 0)) {
            const QString underwriter = item->text(), month = m_months->item(row, 1)->text();
            accept();
            emit ShowReport(underwriter, month);
        }
    };
    connect(m_openFile, &QPushButton::clicked, this, openFile);
    connect(m_files, &QTableWidget::cellDoubleClicked, this, openFile);
    connect(m_showReport, &QPushButton::clicked, this, showReport);
    connect(m_months, &QTableWidget::cellDoubleClicked, this, showReport);
    m_openFile->setEnabled(!files.isEmpty());
    m_showReport->setEnabled(!months.isEmpty());
    (files.isEmpty() && !months.isEmpty() ? m_months : m_files)->setFocus();
    dialog::FitToScreen(this, 100, 28);
}

QString DueDialog::CountText(const Book::DueList& due)
{
    const auto count = due.unissued.size() + due.unsent.size();
    if (count == 0)
        return tr("Nothing needs doing");
    return count == 1 ? tr("1 thing needs doing") : tr("%1 things need doing").arg(count);
}

} // namespace closing
