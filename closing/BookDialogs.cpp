#include "closing/BookDialogs.h"

#include "closing/FieldNote.h"
#include "closing/QuoteDocument.h"

#include "engine/NumberText.h"

#include <QComboBox>
#include <QDateTime>
#include <QDialogButtonBox>
#include <QDir>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QRegularExpression>
#include <QScreen>
#include <QSpinBox>
#include <QTableWidget>
#include <QTextBrowser>
#include <QVBoxLayout>

#include <deque>
#include <string>

namespace closing {
namespace {

using dialog::Caption;
using dialog::Cents;
using dialog::FitToScreen;
using dialog::ListTable;

// A revision as the agency reads it back: the file, the closing as entered
// and its figures as priced when it was saved, remittance included.
QString RevisionHtml(const Book::BookFile& file)
{
    const Book::FileDetails& d = file.details;
    QuoteHeading heading;
    heading.fileNumber = d.fileNumber;
    heading.buyers = d.buyers;
    heading.sellers = d.sellers;
    heading.property = d.property;
    heading.county = d.county;
    heading.lender = d.lender;
    heading.closingDate = d.closingDate;
    const Book::StoredClosing& c = file.closing;
    QString html = QStringLiteral("<p><b>Revision %1</b>, saved by %2 at %3: %4.</p>")
                       .arg(file.revision.revision)
                       .arg(file.revision.savedBy.toHtmlEscaped(), LocalTime(file.revision.savedAt),
                            file.revision.changes.toHtmlEscaped());
    html += QStringLiteral("<p>Underwriter %1 · Split %2 %</p>")
                .arg(d.underwriter.toHtmlEscaped(),
                     QLocale::c().toString(static_cast<double>(c.splitHundredths) / 100.0, 'g', 6));
    if (!d.note.isEmpty())
        html += QStringLiteral("<p>Note: %1</p>").arg(d.note.toHtmlEscaped());
    std::deque<std::string> texts;
    const StateCalcs::ClosingQuote quote = Book::QuoteOf(file.quote, c.splitHundredths, texts);
    QString body = QuoteHtml(quote, heading);
    body.remove(QStringLiteral("<html><body>"));
    body.remove(QStringLiteral("</body></html>"));
    html += body;
    html += QStringLiteral("<p>Remit %1</p>").arg(Cents(file.quote.remitCents));
    return html;
}

} // namespace

namespace dialog {

QString Cents(std::int64_t cents)
{
    return QString::fromStdString(StateCalcs::FormatCents(cents));
}

QLabel* Caption(const QString& text, QWidget* buddy)
{
    auto* label = new QLabel(text);
    label->setBuddy(buddy);
    buddy->setAccessibleName(QString(text).remove(u'&'));
    return label;
}

void FitToScreen(QDialog* dialog, int columns, int rows)
{
    QSize size(dialog->fontMetrics().horizontalAdvance(u'0') * columns,
               dialog->fontMetrics().height() * rows);
    const QWidget* over = dialog->parentWidget() ? dialog->parentWidget()->window() : dialog;
    if (const QScreen* screen = over->screen()) {
        const QSize room = screen->availableGeometry().size() * 0.92;
        size = size.boundedTo(room);
    }
    dialog->resize(size);
}

QTableWidget* ListTable(const QStringList& header, const char* name)
{
    auto* table = new QTableWidget(0, static_cast<int>(header.size()));
    table->setObjectName(QLatin1String(name));
    table->setHorizontalHeaderLabels(header);
    table->verticalHeader()->hide();
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->setSelectionMode(QAbstractItemView::SingleSelection);
    table->setWordWrap(false);
    table->setTabKeyNavigation(false);
    table->horizontalHeader()->setStretchLastSection(true);
    return table;
}

} // namespace dialog

QString IsoDate(const QString& typed)
{
    const QString text = typed.trimmed();
    for (const char* format : {"yyyy-MM-dd", "M/d/yyyy"})
        if (const QDate date = QDate::fromString(text, QLatin1String(format)); date.isValid())
            return date.toString(Qt::ISODate);
    return {};
}

QString LocalTime(const QString& utc)
{
    QDateTime time = QDateTime::fromString(utc, Qt::ISODateWithMs);
    if (!time.isValid())
        return utc;
    time.setTimeSpec(Qt::UTC);
    return QLocale().toString(time.toLocalTime(), QLocale::ShortFormat);
}

// ---- The file list -----------------------------------------------------------

FileListDialog::FileListDialog(Book::Book& book, QWidget* parent)
    : QDialog(parent),
      m_book(book),
      m_find(new QLineEdit),
      m_underwriter(new QComboBox),
      m_month(new QLineEdit),
      m_note(new FieldNote),
      m_files(
          ListTable({tr("File number"), tr("Underwriter"), tr("Buyers/borrowers"), tr("Sellers"),
                     tr("Property"), tr("Closing date"), tr("Changed"), tr("Gross")},
                    "files")),
      m_open(new QPushButton(tr("&Open"))),
      m_history(new QPushButton(tr("&History…")))
{
    setObjectName(QStringLiteral("fileList"));
    setWindowTitle(tr("Open File"));
    m_find->setObjectName(QStringLiteral("find"));
    m_find->setPlaceholderText(tr("File number, a name or the address"));
    m_find->setClearButtonEnabled(true);
    m_underwriter->setObjectName(QStringLiteral("underwriterFilter"));
    m_underwriter->addItem(tr("Any"));
    m_underwriter->addItems(Book::kUnderwriters);
    m_month->setObjectName(QStringLiteral("month"));
    m_month->setPlaceholderText(tr("YYYY-MM"));
    m_month->setMaximumWidth(m_month->fontMetrics().horizontalAdvance(u'0') * 12);
    m_note->setObjectName(QStringLiteral("listNote"));
    m_open->setObjectName(QStringLiteral("openChosen"));
    m_history->setObjectName(QStringLiteral("history"));
    m_files->setAccessibleName(tr("Files"));

    auto* filters = new QHBoxLayout;
    filters->addWidget(Caption(tr("&Find"), m_find));
    filters->addWidget(m_find, 1);
    filters->addWidget(Caption(tr("&Underwriter"), m_underwriter));
    filters->addWidget(m_underwriter);
    filters->addWidget(Caption(tr("&Month"), m_month));
    filters->addWidget(m_month);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Cancel);
    buttons->addButton(m_history, QDialogButtonBox::ActionRole);
    buttons->addButton(m_open, QDialogButtonBox::AcceptRole);
    m_open->setDefault(true);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(filters);
    layout->addWidget(m_note);
    layout->addWidget(m_files, 1);
    layout->addWidget(buttons);

    connect(m_find, &QLineEdit::textChanged, this, &FileListDialog::Search);
    connect(m_month, &QLineEdit::textChanged, this, &FileListDialog::Search);
    connect(m_underwriter, &QComboBox::currentIndexChanged, this, &FileListDialog::Search);
    connect(m_history, &QPushButton::clicked, this, &FileListDialog::ShowHistory);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_open, &QPushButton::clicked, this, [this] {
        m_chosen = CurrentFile();
        if (!m_chosen.isEmpty())
            accept();
    });
    connect(m_files, &QTableWidget::cellDoubleClicked, m_open, &QPushButton::click);
    connect(m_files, &QTableWidget::currentCellChanged, this, [this] {
        m_open->setEnabled(!CurrentFile().isEmpty());
        m_history->setEnabled(!CurrentFile().isEmpty());
    });
    Search();
    m_find->setFocus();
    FitToScreen(this, 120, 30);
}

QString FileListDialog::CurrentFile() const
{
    const QTableWidgetItem* item = m_files->item(m_files->currentRow(), 0);
    return item ? item->text() : QString();
}

void FileListDialog::Search()
{
    static const QRegularExpression month(QStringLiteral("^\\d{4}-(0[1-9]|1[0-2])$"));
    Book::FileFilter filter;
    filter.find = m_find->text().trimmed();
    filter.underwriter = m_underwriter->currentIndex() > 0 ? m_underwriter->currentText()
                                                           : QString();
    filter.month = m_month->text().trimmed();
    SetMarked(m_month, false);
    m_note->Clear();
    if (!filter.month.isEmpty() && !month.match(filter.month).hasMatch()) {
        // A month half typed is no mistake yet; the list waits for it.
        if (filter.month.size() >= 7) {
            SetMarked(m_month, true);
            m_note->ShowProblem(tr("A month is written YYYY-MM, as 2026-03."));
        }
        return;
    }
    const auto files = m_book.Find(filter, kShown + 1);
    if (!files) {
        m_note->ShowProblem(tr("The files cannot be listed: %1.").arg(m_book.error()));
        return;
    }
    const auto shown = std::min<qsizetype>(files->size(), kShown);
    m_files->setRowCount(static_cast<int>(shown));
    for (int row = 0; row < shown; ++row) {
        const Book::FileSummary& file = files->at(row);
        const QStringList cells{file.fileNumber,
                                file.underwriter,
                                file.buyers,
                                file.sellers,
                                file.property,
                                file.closingDate,
                                LocalTime(file.changedAt),
                                Cents(file.grossCents)};
        for (int column = 0; column < cells.size(); ++column) {
            auto* item = new QTableWidgetItem(cells[column]);
            item->setToolTip(cells[column]);
            if (column == cells.size() - 1)
                item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            m_files->setItem(row, column, item);
        }
    }
    m_files->resizeColumnsToContents();
    for (int column = 2; column <= 4; ++column)
        m_files->setColumnWidth(column, std::min(m_files->columnWidth(column),
                                                 fontMetrics().horizontalAdvance(u'0') * 28));
    if (files->isEmpty())
        m_note->ShowHint(filter.find.isEmpty() && filter.month.isEmpty()
                                 && filter.underwriter.isEmpty()
                             ? tr("The book holds no files yet.")
                             : tr("No file fits."));
    else if (files->size() > kShown)
        m_note->ShowHint(tr("The %1 newest changes are listed; type to find others.").arg(kShown));
    m_files->setCurrentCell(files->isEmpty() ? -1 : 0, 0);
    m_open->setEnabled(!files->isEmpty());
    m_history->setEnabled(!files->isEmpty());
}

void FileListDialog::ShowHistory()
{
    const QString file = CurrentFile();
    if (file.isEmpty())
        return;
    auto* history = new HistoryDialog(m_book, file, this);
    history->setAttribute(Qt::WA_DeleteOnClose);
    history->open();
}

// ---- A file's history -------------------------------------------------------

HistoryDialog::HistoryDialog(Book::Book& book, const QString& fileNumber, QWidget* parent)
    : QDialog(parent),
      m_book(book),
      m_fileNumber(fileNumber),
      m_revisions(
          ListTable({tr("Revision"), tr("Saved by"), tr("When"), tr("What changed")}, "revisions")),
      m_revision(new QTextBrowser)
{
    setObjectName(QStringLiteral("historyDialog"));
    setWindowTitle(tr("History of %1").arg(fileNumber));
    m_revisions->setAccessibleName(tr("Revisions"));
    m_revision->setObjectName(QStringLiteral("revision"));
    m_revision->setAccessibleName(tr("Revision shown"));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close);
    auto* layout = new QVBoxLayout(this);
    auto* split = new QHBoxLayout;
    split->addWidget(m_revisions, 2);
    split->addWidget(m_revision, 3);
    layout->addLayout(split, 1);
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    const auto revisions = m_book.History(fileNumber);
    if (!revisions) {
        m_revision->setPlainText(tr("The history cannot be read: %1.").arg(m_book.error()));
    } else {
        m_revisions->setRowCount(static_cast<int>(revisions->size()));
        int row = 0;
        for (auto at = revisions->crbegin(); at != revisions->crend(); ++at, ++row) {
            const QStringList cells{QString::number(at->revision), at->savedBy,
                                    LocalTime(at->savedAt), at->changes};
            for (int column = 0; column < cells.size(); ++column)
                m_revisions->setItem(row, column, new QTableWidgetItem(cells[column]));
        }
        m_revisions->resizeColumnsToContents();
    }
    connect(m_revisions, &QTableWidget::currentCellChanged, this, &HistoryDialog::ShowRevision);
    m_revisions->setCurrentCell(0, 0);
    m_revisions->setFocus();
    FitToScreen(this, 140, 34);
}

void HistoryDialog::ShowRevision()
{
    const QTableWidgetItem* item = m_revisions->item(m_revisions->currentRow(), 0);
    if (!item)
        return;
    const auto file = m_book.Load(m_fileNumber, item->text().toInt());
    m_revision->setHtml(file ? RevisionHtml(*file)
                             : tr("The revision cannot be read: %1.").arg(m_book.error()));
}

// ---- Settings -------------------------------------------------------------------

SettingsDialog::SettingsDialog(const Book::BookSettings& values, QWidget* parent)
    : QDialog(parent),
      m_name(new QLineEdit(values.agency.name)),
      m_address(new QLineEdit(values.agency.address)),
      m_phone(new QLineEdit(values.agency.phone)),
      m_license(new QLineEdit(values.agency.license)),
      m_database(new QLineEdit(values.database)),
      m_underwriter(new QComboBox),
      m_issueWithin(new QSpinBox),
      m_dueDay(new QSpinBox),
      m_databaseNote(new FieldNote)
{
    setObjectName(QStringLiteral("settingsDialog"));
    setWindowTitle(tr("Settings"));
    m_underwriter->addItems(Book::kUnderwriters);
    m_underwriter->setCurrentText(values.underwriter);
    m_database->setPlaceholderText(QDir::toNativeSeparators(Book::DefaultBookPath()));
    const std::pair<QWidget*, const char*> names[] = {{m_name, "agencyName"},
                                                      {m_address, "agencyAddress"},
                                                      {m_phone, "agencyPhone"},
                                                      {m_license, "agencyLicense"},
                                                      {m_underwriter, "defaultUnderwriter"},
                                                      {m_database, "database"},
                                                      {m_issueWithin, "issueWithinDays"},
                                                      {m_dueDay, "remittanceDueDay"}};
    for (const auto& [widget, name] : names)
        widget->setObjectName(QLatin1String(name));
    m_databaseNote->setObjectName(QStringLiteral("databaseNote"));
    m_address->setPlaceholderText(tr("12 Main Street, Little Rock, AR 72201"));
    for (QLineEdit* edit : {m_name, m_address, m_database})
        edit->setMinimumWidth(edit->fontMetrics().horizontalAdvance(u'0') * 48);
    // The bounds the settings are read within.
    m_issueWithin->setRange(0, 3650);
    m_issueWithin->setSuffix(tr(" days after closing"));
    m_issueWithin->setValue(values.issueWithinDays);
    m_dueDay->setRange(1, 31);
    m_dueDay->setPrefix(tr("day "));
    m_dueDay->setSuffix(tr(" of the next month"));
    m_dueDay->setValue(values.remittanceDueDay);

    auto* form = new QFormLayout;
    form->addRow(Caption(tr("Agency &name"), m_name), m_name);
    form->addRow(Caption(tr("&Address"), m_address), m_address);
    form->addRow(Caption(tr("&Phone"), m_phone), m_phone);
    form->addRow(Caption(tr("&License number"), m_license), m_license);
    form->addRow(Caption(tr("New files' &underwriter"), m_underwriter), m_underwriter);
    form->addRow(Caption(tr("&Book"), m_database), m_database);
    form->addRow(QString(), m_databaseNote);
    form->addRow(Caption(tr("Policies &issued within"), m_issueWithin), m_issueWithin);
    form->addRow(Caption(tr("Remittance &due by"), m_dueDay), m_dueDay);
    auto* dueHint = new QLabel(tr("What needs doing lists the files closed longer ago whose "
                                  "policies are not issued, and each month's remittance not "
                                  "sent with the day it is due (the last day of a shorter "
                                  "month)."));
    dueHint->setWordWrap(true);
    form->addRow(QString(), dueHint);
    m_databaseNote->ShowHint(
        tr("A file, or postgresql://user@host/dbname; empty for the default."));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(tr("The agency heads every quote that goes out.")));
    layout->addLayout(form);
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

Book::BookSettings SettingsDialog::Values() const
{
    Book::BookSettings values;
    values.database = m_database->text().trimmed();
    values.underwriter = m_underwriter->currentText();
    values.agency = {m_name->text().trimmed(), m_address->text().trimmed(),
                     m_phone->text().trimmed(), m_license->text().trimmed()};
    values.issueWithinDays = m_issueWithin->value();
    values.remittanceDueDay = m_dueDay->value();
    return values;
}

void SettingsDialog::accept()
{
    const QString database = m_database->text().trimmed();
    if (!database.isEmpty()) {
        const auto read = Book::ReadLocation(database);
        if (const auto* why = std::get_if<QString>(&read)) {
            SetMarked(m_database, true, *why);
            m_databaseNote->ShowProblem(*why);
            m_database->setFocus();
            return;
        }
    }
    QDialog::accept();
}

} // namespace closing
