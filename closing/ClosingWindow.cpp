#include "closing/ClosingWindow.h"

#include "book/BookSettings.h"
#include "closing/BookDialogs.h"
#include "closing/CourseDialogs.h"
#include "closing/EndorsementPicker.h"
#include "closing/FieldNote.h"
#include "closing/QuoteDocument.h"
#include "closing/ReportDialog.h"

#include <QAbstractButton>
#include <QAction>
#include <QCheckBox>
#include <QClipboard>
#include <QCloseEvent>
#include <QComboBox>
#include <QDateTime>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFrame>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QMimeData>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QScreen>
#include <QSettings>
#include <QShowEvent>
#include <QStandardPaths>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>
#include <QtMath>

#include <algorithm>
#include <array>

namespace closing {
namespace {

using StateCalcs::ClosingField;

const QString kSplitKey = QStringLiteral("split");

enum Column { LineColumn, PricedOnColumn, GrossColumn, RemitColumn, ColumnCount };
enum TridColumn { TridNameColumn, DisclosedColumn, ChargedColumn, TridColumnCount };

QString FromView(std::string_view text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// A table cell; a figure right-aligned, with what it is for a screen reader
// ("Lender's title insurance, disclosed, 425.00").
QTableWidgetItem* Cell(const QString& text, const QString& spoken = {})
{
    auto* item = new QTableWidgetItem(text);
    if (!spoken.isEmpty()) {
        item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        item->setData(Qt::AccessibleTextRole, spoken);
    }
    return item;
}

QTableWidgetItem* Emphasised(QTableWidgetItem* item, bool bold, bool italic = false)
{
    QFont font = item->font();
    font.setBold(bold);
    font.setItalic(italic);
    item->setFont(font);
    return item;
}

// What a disclosure row is called aloud: "Lender's title insurance".
QString SpokenName(const StateCalcs::TridRow& row, StateCalcs::LineRole role)
{
    if (role == StateCalcs::LineRole::LoanPolicy)
        return QObject::tr("Lender's title insurance");
    if (role == StateCalcs::LineRole::OwnersPolicy)
        return QObject::tr("Owner's title insurance");
    QString name = QString::fromStdString(row.name);
    return name.mid(name.indexOf(u'–') + 2);
}

QLabel* Caption(const QString& text, QWidget* buddy)
{
    auto* label = new QLabel(text);
    label->setBuddy(buddy);
    buddy->setAccessibleName(QString(text).remove(u'&'));
    return label;
}

QLabel* Figure()
{
    auto* label = new QLabel;
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return label;
}

QString Cents(std::int64_t cents)
{
    return QString::fromStdString(StateCalcs::FormatCents(cents));
}

// The engine's one-line reasons as sentences.
QString Sentence(const std::string& reason)
{
    QString text = QString::fromStdString(reason);
    if (!text.isEmpty())
        text[0] = text[0].toUpper();
    return text.endsWith(u'.') ? text : text + u'.';
}

// A line of the book's, which starts in lower case, as a sentence.
QString Sentence(QString text)
{
    text = text.trimmed();
    if (!text.isEmpty())
        text[0] = text[0].toUpper();
    return text.endsWith(u'.') ? text : text + u'.';
}

// A split as the agent types it: 15, 15.5, 12.25.
QString SplitText(std::int64_t hundredths)
{
    QString text = QString::number(static_cast<double>(hundredths) / 100.0, 'f', 2);
    while (text.endsWith(u'0'))
        text.chop(1);
    if (text.endsWith(u'.'))
        text.chop(1);
    return text;
}

// An amount the agent is still typing ("250," on the way to "250,000") is
// no mistake yet: a few more digits would make it a plain amount.
bool CouldBecomeAnAmount(const QString& text)
{
    for (const char* more : {"0", "00", "000"})
        if (StateCalcs::ReadClosingAmount((text + QLatin1String(more)).toStdString()).value)
            return true;
    return false;
}

void SetUpPrinter(QPrinter& printer)
{
    printer.setPageSize(QPageSize(QPageSize::Letter));
    printer.setPageMargins(QMarginsF(0.75, 0.6, 0.75, 0.6), QPageLayout::Inch);
    printer.setDocName(QStringLiteral("Title insurance quote"));
    printer.setCreator(QStringLiteral("Tarnwell Closing Quote"));
}

} // namespace

ClosingWindow::ClosingWindow(QSettings& settings, Dialogs dialogs,
                             const std::optional<QString>& bookOnCommandLine, QWidget* parent)
    : QWidget(parent),
      m_settings(settings),
      m_dialogs(std::move(dialogs)),
      m_split(new QLineEdit),
      m_splitNote(new FieldNote),
      m_settingsNote(new FieldNote),
      m_coverage(new QComboBox),
      m_endorsements(new EndorsementPicker),
      m_letter(new QCheckBox),
      m_status(new FieldNote),
      m_figures(new QTableWidget(0, ColumnCount)),
      m_totals(new QWidget),
      m_totalGross(Figure()),
      m_totalRemit(Figure()),
      m_trid(new QTableWidget(0, TridColumnCount)),
      m_newQuote(new QPushButton(tr("New quote"))),
      m_copyQuote(new QPushButton(tr("&Copy quote"))),
      m_copyTotal(new QPushButton(tr("Cop&y total"))),
      m_print(new QPushButton(tr("P&rint…"))),
      m_savePdf(new QPushButton(tr("Save as P&DF…"))),
      m_underwriter(new QComboBox),
      m_bookNote(new FieldNote),
      m_open(new QPushButton(tr("Open…"))),
      m_save(new QPushButton(tr("Save"))),
      m_editSettings(new QPushButton(tr("Settings…"))),
      m_issuePolicies(new QPushButton(tr("Issue policies…"))),
      m_report(new QPushButton(tr("Remittance report…"))),
      m_due(new QPushButton),
      m_bookOnCommandLine(bookOnCommandLine)
{
    setWindowTitle(tr("Tarnwell Closing Quote"));
    setStyleSheet(MarkStyleSheet());

    // ---- Above both columns: the file, its parties and the book's commands.
    auto* file = new QGridLayout;
    m_fileNumber = AddFileField(file, 0, 0, tr("F&ile number"), "fileNumber");
    m_underwriter->setObjectName(QStringLiteral("underwriter"));
    m_underwriter->addItems(Book::kUnderwriters);
    m_underwriter->setCurrentText(Book::ReadBookSettings(m_settings).underwriter);
    auto* underwriterRow = new QHBoxLayout;
    underwriterRow->addWidget(m_underwriter);
    underwriterRow->addStretch(1);
    file->addWidget(Caption(tr("&Underwriter"), m_underwriter), 0, 2);
    file->addLayout(underwriterRow, 0, 3);
    m_closingDate = AddFileField(file, 0, 4, tr("Closing date"), "closingDate");
    m_closingDate->setPlaceholderText(tr("YYYY-MM-DD, once set"));
    m_buyers = AddFileField(file, 1, 0, tr("&Buyers/borrowers"), "buyers");
    m_sellers = AddFileField(file, 1, 2, tr("Sellers"), "sellers");
    m_lender = AddFileField(file, 1, 4, tr("Lender"), "lender");
    m_property = AddFileField(file, 2, 0, tr("Property"), "property");
    m_property->setPlaceholderText(tr("Street, city"));
    m_county = AddFileField(file, 2, 2, tr("County"), "county");
    m_note = AddFileField(file, 2, 4, tr("Note"), "note");
    for (const int column : {1, 3, 5})
        file->setColumnStretch(column, 1);
    m_open->setObjectName(QStringLiteral("open"));
    m_save->setObjectName(QStringLiteral("save"));
    m_editSettings->setObjectName(QStringLiteral("settings"));
    m_issuePolicies->setObjectName(QStringLiteral("issuePolicies"));
    for (int row = 0; row < 3; ++row)
        file->addWidget(std::array{m_open, m_save, m_editSettings}[row], row, 6);
    m_report->setObjectName(QStringLiteral("report"));
    file->addWidget(m_issuePolicies, 0, 7);
    file->addWidget(m_report, 1, 7);
    m_bookNote->setObjectName(QStringLiteral("bookNote"));
    file->addWidget(m_bookNote, 3, 0, 1, 6);
    // What needs doing, counted when the book opens; a click lists it.
    m_due->setObjectName(QStringLiteral("due"));
    m_due->setFlat(true);
    m_due->setCursor(Qt::PointingHandCursor);
    m_due->setStyleSheet(QStringLiteral("QPushButton { color: palette(link); "
                                        "text-decoration: underline; padding: 0 4px; }"));
    m_due->hide();
    file->addWidget(m_due, 3, 6, 1, 2, Qt::AlignRight);

    // ---- Left: what the closing is. One label and field a row, each note
    // under its field; fields about the file and its parties go above.
    auto* inputs = new QGridLayout;
    inputs->setColumnStretch(1, 1);
    m_split->setObjectName(QStringLiteral("split"));
    m_splitNote->setObjectName(QStringLiteral("splitNote"));
    m_settingsNote->setObjectName(QStringLiteral("settingsNote"));
    const int fieldWidth = m_split->fontMetrics().horizontalAdvance(u'0') * 22;
    m_split->setMaximumWidth(m_split->fontMetrics().horizontalAdvance(u'0') * 10);
    auto* splitRow = new QHBoxLayout;
    splitRow->addWidget(m_split);
    splitRow->addWidget(new QLabel(QStringLiteral("%")));
    splitRow->addStretch(1);
    inputs->addWidget(Caption(tr("&Split"), m_split), 0, 0);
    inputs->addLayout(splitRow, 0, 1);
    inputs->addWidget(m_splitNote, 1, 1);
    inputs->addWidget(m_settingsNote, 2, 1);
    m_coverage->setObjectName(QStringLiteral("coverage"));
    m_coverage->addItem(tr("Standard"));
    m_coverage->addItem(tr("Expanded"));
    auto* coverageRow = new QHBoxLayout;
    coverageRow->addWidget(m_coverage);
    coverageRow->addStretch(1);
    inputs->addWidget(Caption(tr("Co&verage"), m_coverage), 3, 0);
    inputs->addLayout(coverageRow, 3, 1);
    FieldNote* notes[4] = {};
    m_price = {AddField(inputs, 4, 0, tr("Sales &price"), "price", notes[0]), notes[0]};
    m_loan = {AddField(inputs, 6, 0, tr("&Loan amount"), "loan", notes[1]), notes[1]};
    m_priorOwners = {
        AddField(inputs, 8, 0, tr("Prior &owner's liability"), "priorOwners", notes[2]), notes[2]};
    m_priorLoan = {AddField(inputs, 10, 0, tr("Prior loa&n liability"), "priorLoan", notes[3]),
                   notes[3]};
    for (QLineEdit* edit : {m_price.edit, m_loan.edit, m_priorOwners.edit, m_priorLoan.edit})
        edit->setMaximumWidth(fieldWidth);

    m_letter->setText(tr("Closing protection le&tter"));
    m_letter->setObjectName(QStringLiteral("letter"));

    // ---- Right: the figures, the totals and the disclosure.
    m_figures->setObjectName(QStringLiteral("figures"));
    m_figures->setHorizontalHeaderLabels({tr("Line"), tr("Priced on"), tr("Gross"), tr("Remit")});
    m_trid->setObjectName(QStringLiteral("trid"));
    m_trid->setAccessibleName(tr("TRID disclosure"));
    m_trid->setHorizontalHeaderLabels({tr("TRID disclosure"), tr("Disclosed"), tr("Charged")});
    const int rowHeight = fontMetrics().height() + 6;
    for (QTableWidget* table : {m_figures, m_trid}) {
        table->verticalHeader()->hide();
        table->setEditTriggers(QAbstractItemView::NoEditTriggers);
        table->setSelectionBehavior(QAbstractItemView::SelectRows);
        table->setSelectionMode(QAbstractItemView::SingleSelection);
        table->setWordWrap(false);
        table->setTabKeyNavigation(false);
        table->setTextElideMode(Qt::ElideMiddle);
        table->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        // As tall as its rows, while the window has the room.
        table->setSizeAdjustPolicy(QAbstractScrollArea::AdjustToContents);
        table->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Maximum);
        table->setMinimumHeight(rowHeight * 3);
        table->verticalHeader()->setDefaultSectionSize(rowHeight);
        QHeaderView* header = table->horizontalHeader();
        header->setSectionResizeMode(QHeaderView::ResizeToContents);
        header->setSectionResizeMode(0, QHeaderView::Stretch);
        header->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        for (int column = 1; column < table->columnCount(); ++column)
            if (column != PricedOnColumn || table == m_trid)
                table->horizontalHeaderItem(column)->setTextAlignment(Qt::AlignRight
                                                                      | Qt::AlignVCenter);
    }
    m_figures->setAlternatingRowColors(true);
    m_status->setObjectName(QStringLiteral("status"));

    // The totals stand outside the table, so that no scrolling hides them.
    m_totals->setObjectName(QStringLiteral("totals"));
    m_totalGross->setObjectName(QStringLiteral("totalGross"));
    m_totalRemit->setObjectName(QStringLiteral("totalRemit"));
    auto* totalsRow = new QHBoxLayout(m_totals);
    totalsRow->setContentsMargins(4, 0, 4, 0);
    auto* totalCaption = new QLabel(tr("Total"));
    QFont bold = totalCaption->font();
    bold.setBold(true);
    totalCaption->setFont(bold);
    totalsRow->addWidget(totalCaption);
    totalsRow->addStretch(1);
    totalsRow->addWidget(new QLabel(tr("Gross")));
    totalsRow->addWidget(m_totalGross);
    totalsRow->addSpacing(fontMetrics().horizontalAdvance(u'0') * 3);
    totalsRow->addWidget(new QLabel(tr("Remit")));
    totalsRow->addWidget(m_totalRemit);
    for (QLabel* figure : {m_totalGross, m_totalRemit})
        figure->setFont(bold);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_newQuote);
    buttons->addStretch(1);
    for (QPushButton* button : {m_open, m_save, m_editSettings, m_issuePolicies, m_report})
        button->setAccessibleName(button->text().remove(u'…'));
    for (QPushButton* button : {m_newQuote, m_copyQuote, m_copyTotal, m_print, m_savePdf}) {
        button->setAccessibleName(button->text().remove(u'&').remove(u'…'));
        if (button != m_newQuote)
            buttons->addWidget(button);
    }
    m_newQuote->setObjectName(QStringLiteral("newQuote"));
    m_copyQuote->setObjectName(QStringLiteral("copyQuote"));
    m_copyTotal->setObjectName(QStringLiteral("copyTotal"));
    m_print->setObjectName(QStringLiteral("print"));
    m_savePdf->setObjectName(QStringLiteral("savePdf"));

    // The standard commands, with the platform's keys.
    const auto command = [this](const QString& name, QKeySequence::StandardKey key,
                                void (ClosingWindow::*slot)()) {
        auto* action = new QAction(name, this);
        action->setShortcut(key);
        action->setShortcutContext(Qt::WindowShortcut);
        connect(action, &QAction::triggered, this, slot);
        addAction(action);
        return action;
    };
    const QAction* newQuote = command(tr("New quote"), QKeySequence::New, &ClosingWindow::NewQuote);
    const QAction* print = command(tr("Print"), QKeySequence::Print, &ClosingWindow::Print);
    QAction* open = command(tr("Open…"), QKeySequence::Open, &ClosingWindow::Open);
    auto* save = new QAction(tr("Save"), this);
    save->setShortcut(QKeySequence::Save);
    save->setShortcutContext(Qt::WindowShortcut);
    connect(save, &QAction::triggered, this, [this] { Save(); });
    addAction(save);
    QAction* quit = command(tr("Quit"), QKeySequence::Quit, &ClosingWindow::CloseWindow);
    // Some platforms' schemes have no key for quitting; Ctrl+Q is the desktop's.
    if (quit->shortcut().isEmpty())
        quit->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
    const auto keys = [](const QAction* action) {
        return action->shortcut().toString(QKeySequence::NativeText);
    };
    m_newQuote->setToolTip(
        tr("Clear the closing for the next one; the split stays (%1)").arg(keys(newQuote)));
    m_print->setToolTip(tr("Print the quote (%1)").arg(keys(print)));
    m_open->setToolTip(tr("Open a file kept in the book (%1)").arg(keys(open)));
    m_save->setToolTip(tr("Keep the file in the book under its number (%1)").arg(keys(save)));
    m_editSettings->setToolTip(
        tr("The agency that heads the quote, the book, and when policies and remittances "
           "are due"));
    m_issuePolicies->setToolTip(tr("The file's policies: issue them, or void the file"));
    m_report->setToolTip(tr("The month's remittance report of an underwriter: preview, print, "
                            "PDF"));
    m_due->setToolTip(tr("Files whose policies are not issued, and remittances not sent"));

    // The book's commands, together in its menu.
    auto* menus = new QMenuBar;
    menus->setObjectName(QStringLiteral("menus"));
    QMenu* bookMenu = menus->addMenu(tr("Boo&k"));
    bookMenu->setObjectName(QStringLiteral("bookMenu"));
    bookMenu->addAction(open);
    bookMenu->addAction(save);
    bookMenu->addSeparator();
    bookMenu->addAction(tr("&Issue policies…"), this, &ClosingWindow::IssuePolicies)
        ->setObjectName(QStringLiteral("issuePoliciesAction"));
    bookMenu->addAction(tr("What &needs doing…"), this, &ClosingWindow::ShowDue)
        ->setObjectName(QStringLiteral("dueAction"));
    bookMenu->addAction(tr("&Remittance report…"), this, [this] { ShowReport(); })
        ->setObjectName(QStringLiteral("reportAction"));
    bookMenu->addSeparator();
    bookMenu->addAction(tr("&Settings…"), this, &ClosingWindow::EditSettings);

    auto* figuresHead = new QHBoxLayout;
    figuresHead->addWidget(Caption(tr("Fi&gures"), m_figures));
    figuresHead->addWidget(m_status, 1);

    const auto rule = [](QFrame::Shape shape) {
        auto* line = new QFrame;
        line->setFrameShape(shape);
        line->setFrameShadow(QFrame::Sunken);
        return line;
    };
    auto* closingColumn = new QVBoxLayout;
    closingColumn->addLayout(inputs);
    closingColumn->addWidget(rule(QFrame::HLine));
    closingColumn->addWidget(m_endorsements, 1);
    closingColumn->addWidget(m_letter);

    auto* figuresColumn = new QVBoxLayout;
    figuresColumn->addLayout(figuresHead);
    figuresColumn->addWidget(m_figures);
    figuresColumn->addWidget(m_totals);
    figuresColumn->addWidget(m_trid);
    figuresColumn->addStretch(1);
    figuresColumn->addLayout(buttons);

    auto* columns = new QHBoxLayout;
    columns->addLayout(closingColumn, 2);
    columns->addWidget(rule(QFrame::VLine));
    columns->addLayout(figuresColumn, 3);
    auto* layout = new QVBoxLayout(this);
    layout->setMenuBar(menus);
    layout->addLayout(file);
    layout->addWidget(rule(QFrame::HLine));
    layout->addLayout(columns, 1);

    // The order Tab takes: across the file, down the closing, then down the
    // figures.
    std::vector<QWidget*> order{m_fileNumber,
                                m_underwriter,
                                m_closingDate,
                                m_buyers,
                                m_sellers,
                                m_lender,
                                m_property,
                                m_county,
                                m_note,
                                m_open,
                                m_save,
                                m_editSettings,
                                m_issuePolicies,
                                m_report,
                                m_due,
                                m_split,
                                m_coverage,
                                m_price.edit,
                                m_loan.edit,
                                m_priorOwners.edit,
                                m_priorLoan.edit,
                                m_endorsements->Filter(),
                                m_endorsements->List()};
    for (QWidget* choice : m_endorsements->ChoiceControls())
        order.push_back(choice);
    for (QWidget* next : std::initializer_list<QWidget*>{
             m_letter, m_figures, m_trid, m_newQuote, m_copyQuote, m_copyTotal, m_print, m_savePdf})
        order.push_back(next);
    for (std::size_t i = 1; i < order.size(); ++i)
        setTabOrder(order[i - 1], order[i]);

    // Every change recomputes the figures at once.
    for (QLineEdit* edit :
         {m_split, m_price.edit, m_loan.edit, m_priorOwners.edit, m_priorLoan.edit}) {
        connect(edit, &QLineEdit::textEdited, this, [this, edit] { m_left.removeAll(edit); });
        connect(edit, &QLineEdit::textChanged, this, &ClosingWindow::Recompute);
        connect(edit, &QLineEdit::editingFinished, this, [this, edit] {
            if (!m_left.contains(edit))
                m_left.append(edit);
            Recompute();
        });
    }
    connect(m_coverage, &QComboBox::currentIndexChanged, this, &ClosingWindow::Recompute);
    connect(m_endorsements, &EndorsementPicker::Changed, this, &ClosingWindow::Recompute);
    connect(m_letter, &QCheckBox::toggled, this, &ClosingWindow::Recompute);
    connect(m_newQuote, &QPushButton::clicked, this, &ClosingWindow::NewQuote);
    connect(m_copyQuote, &QPushButton::clicked, this, &ClosingWindow::CopyQuote);
    connect(m_copyTotal, &QPushButton::clicked, this, &ClosingWindow::CopyTotal);
    connect(m_print, &QPushButton::clicked, this, &ClosingWindow::Print);
    connect(m_savePdf, &QPushButton::clicked, this, &ClosingWindow::SaveAsPdf);
    connect(m_open, &QPushButton::clicked, this, &ClosingWindow::Open);
    connect(m_save, &QPushButton::clicked, this, [this] { Save(); });
    connect(m_editSettings, &QPushButton::clicked, this, &ClosingWindow::EditSettings);
    connect(m_issuePolicies, &QPushButton::clicked, this, &ClosingWindow::IssuePolicies);
    connect(m_due, &QPushButton::clicked, this, &ClosingWindow::ShowDue);
    connect(m_report, &QPushButton::clicked, this, [this] { ShowReport(); });
    for (QLineEdit* edit :
         {m_fileNumber, m_buyers, m_sellers, m_property, m_county, m_lender, m_closingDate, m_note})
        connect(edit, &QLineEdit::textChanged, this, &ClosingWindow::ShowTitle);
    connect(m_underwriter, &QComboBox::currentIndexChanged, this, &ClosingWindow::ShowTitle);

    // An agency's split rarely changes: it is kept from the last run.
    m_settingsUnwritable = !m_settings.isWritable();
    connect(m_split, &QLineEdit::textChanged, this, &ClosingWindow::RememberSplit);
    const QString remembered = m_settings.value(kSplitKey).toString();
    if (StateCalcs::ReadSplit(remembered.toStdString()).value)
        m_split->setText(remembered);
    Recompute();
    (m_split->text().isEmpty() ? m_split : m_price.edit)->setFocus();
    ChooseBook();
    MarkSaved();

    // The whole height the screen offers, less a window manager's frame
    // (put right once the frame is known), and room for the columns.
    QSize size = sizeHint().expandedTo(QSize(1200, 0));
    if (const QScreen* shown = screen()) {
        const QRect area = shown->availableGeometry();
        const int frame = qCeil(40 / devicePixelRatioF());
        size = QSize(std::min(size.width(), area.width() - frame / 4),
                     std::max(area.height() - frame, 0));
    }
    resize(size);
}

ClosingWindow::~ClosingWindow()
{
    // Closing takes the focus from a field, which would recompute the
    // figures of a window already half gone.
    for (QObject* child : findChildren<QObject*>())
        child->disconnect(this);
}

QLineEdit* ClosingWindow::AddField(QGridLayout* grid, int row, int column, const QString& label,
                                   const char* name, FieldNote*& note)
{
    auto* edit = new QLineEdit;
    edit->setObjectName(QLatin1String(name));
    note = new FieldNote;
    note->setObjectName(QLatin1String(name) + QLatin1String("Note"));
    grid->addWidget(Caption(label, edit), row, column);
    grid->addWidget(edit, row, column + 1);
    grid->addWidget(note, row + 1, column + 1);
    return edit;
}

QLineEdit* ClosingWindow::AddFileField(QGridLayout* grid, int row, int column, const QString& label,
                                       const char* name)
{
    auto* edit = new QLineEdit;
    edit->setObjectName(QLatin1String(name));
    grid->addWidget(Caption(label, edit), row, column);
    grid->addWidget(edit, row, column + 1);
    return edit;
}

QString ClosingWindow::CleanAmount(const QString& text)
{
    // A spreadsheet cell copies with a line break after it, a web page with
    // a no-break space; QString::trimmed takes every Unicode blank and break.
    QString amount = text.trimmed();
    if (amount.startsWith(u'$'))
        amount = amount.mid(1).trimmed();
    return amount;
}

std::optional<double> ClosingWindow::ReadAmount(const AmountField& field, bool& blocked)
{
    const QString text = CleanAmount(field.edit->text());
    if (field.edit->text().isEmpty())
        return std::nullopt;
    if (text.isEmpty() && !m_left.contains(field.edit)) {
        blocked = true; // a blank or a "$" so far
        return std::nullopt;
    }
    const auto read = StateCalcs::ReadClosingAmount(text.toStdString());
    if (read.value)
        return read.value;
    blocked = true;
    if (m_left.contains(field.edit) || !CouldBecomeAnAmount(text))
        MarkProblem(field.edit, field.note, QString::fromStdString(read.error));
    return std::nullopt;
}

void ClosingWindow::MarkProblem(QLineEdit* edit, FieldNote* note, const QString& reason)
{
    SetMarked(edit, true, reason);
    note->ShowProblem(reason);
}

void ClosingWindow::ClearMarks()
{
    for (const AmountField& field :
         {AmountField{m_split, m_splitNote}, m_price, m_loan, m_priorOwners, m_priorLoan}) {
        SetMarked(field.edit, false);
        field.note->Clear();
    }
    SetMarked(m_coverage, false);
    SetMarked(m_endorsements->List(), false);
    SetMarked(m_letter, false);
    m_status->Clear();
}

void ClosingWindow::Recompute()
{
    if (m_loading)
        return;
    ClearMarks();
    bool blocked = false;
    const QString splitText = m_split->text();
    const auto split = StateCalcs::ReadSplit(splitText.toStdString());
    if (!split.value) {
        blocked = true;
        if (splitText.isEmpty())
            m_splitNote->ShowHint(SplitHint());
        else if (splitText.size() >= 2 || m_left.contains(m_split))
            MarkProblem(m_split, m_splitNote, QString::fromStdString(split.error));
    }

    StateCalcs::ClosingRequest request;
    request.splitPercent = split.value.value_or(0);
    request.price = ReadAmount(m_price, blocked);
    request.loan = ReadAmount(m_loan, blocked);
    request.priorOwners = ReadAmount(m_priorOwners, blocked);
    request.priorLoan = ReadAmount(m_priorLoan, blocked);
    request.coverage = m_coverage->currentIndex() == 1 ? StateCalcs::Coverage::Expanded
                                                       : StateCalcs::Coverage::Standard;
    m_endorsements->SetBothPolicies(!CleanAmount(m_price.edit->text()).isEmpty()
                                    && !CleanAmount(m_loan.edit->text()).isEmpty());
    request.endorsements = m_endorsements->Requests();
    request.closingProtectionLetter = m_letter->isChecked();
    m_request = request;

    const std::array edits{m_split, m_price.edit, m_loan.edit, m_priorOwners.edit,
                           m_priorLoan.edit};
    const bool marked = std::any_of(edits.begin(), edits.end(), IsMarked);
    const bool nothingAsked = !request.price && !request.loan && request.endorsements.empty()
                              && !request.closingProtectionLetter;
    if (marked)
        m_status->ShowHint(tr("No figures while a field is marked."));
    else if (!split.value)
        m_status->ShowHint(tr("The figures show once the split is given."));
    else if (blocked)
        m_status->ShowHint(tr("The figures show once the amount being typed is complete."));
    else if (!blocked && nothingAsked)
        m_status->ShowHint(tr("Type a sales price or a loan amount, or check an endorsement or "
                              "the closing protection letter."));
    if (blocked || nothingAsked) {
        ShowNoFigures();
        return;
    }

    const StateCalcs::ClosingOutcome outcome = StateCalcs::QuoteClosing(request);
    if (!outcome.quote) {
        const QString reason = Sentence(outcome.refusal.reason);
        for (const ClosingField field : outcome.refusal.fields) {
            QWidget* control = nullptr;
            switch (field) {
            case ClosingField::Split:
                control = m_split;
                break;
            case ClosingField::Price:
                control = m_price.edit;
                break;
            case ClosingField::Loan:
                control = m_loan.edit;
                break;
            case ClosingField::PriorOwners:
                control = m_priorOwners.edit;
                break;
            case ClosingField::PriorLoan:
                control = m_priorLoan.edit;
                break;
            case ClosingField::Coverage:
                control = m_coverage;
                break;
            case ClosingField::Endorsements:
                control = m_endorsements->List();
                break;
            case ClosingField::Letter:
                control = m_letter;
                break;
            }
            SetMarked(control, true, reason);
        }
        m_status->ShowProblem(reason);
        ShowNoFigures();
        return;
    }
    // A kept file's closing, as it was saved, shows the figures it was
    // quoted with; any change to it prices it again.
    m_showingStored = m_storedQuote && ClosingKey() == m_storedKey;
    if (m_showingStored) {
        m_storedTexts.clear();
        ShowQuote(Book::QuoteOf(*m_storedQuote, m_storedSplit, m_storedTexts));
        m_status->ShowHint(tr("As priced when saved, %1.").arg(LocalTime(m_storedAt)));
    } else {
        ShowQuote(*outcome.quote);
    }
    ShowTitle();
}

void ClosingWindow::ShowNoFigures()
{
    m_showingStored = false;
    m_quote.reset();
    m_figures->setRowCount(0);
    m_trid->setRowCount(0);
    m_totals->hide();
    m_trid->hide();
    for (QPushButton* button : {m_copyQuote, m_copyTotal, m_print, m_savePdf})
        button->setEnabled(false);
}

void ClosingWindow::ShowQuote(const StateCalcs::ClosingQuote& quote)
{
    m_quote = quote;
    m_figures->setRowCount(static_cast<int>(quote.lines.size()));
    int row = 0;
    for (const StateCalcs::QuotedLine& line : quote.lines) {
        const QString text = FromView(line.text).simplified();
        auto* name = Cell(text);
        name->setToolTip(text);
        m_figures->setItem(row, LineColumn, name);
        m_figures->setItem(row, PricedOnColumn, Cell(PricedOnText(line)));
        const QString gross = QString::fromStdString(line.grossText);
        const QString remit = QString::fromStdString(line.remitText);
        m_figures->setItem(row, GrossColumn, Cell(gross, tr("%1, gross, %2").arg(text, gross)));
        m_figures->setItem(row, RemitColumn, Cell(remit, tr("%1, remit, %2").arg(text, remit)));
        ++row;
    }
    const QString gross = Cents(quote.grossCents);
    const QString remit = Cents(quote.remitCents);
    m_totalGross->setText(gross);
    m_totalGross->setAccessibleName(tr("Total gross, %1").arg(gross));
    m_totalRemit->setText(remit);
    m_totalRemit->setAccessibleName(tr("Total remit, %1").arg(remit));
    m_totals->show();

    // The disclosure as the Loan Estimate itemises it: each section's title,
    // its "Title –" rows, a note under a row that needs one, the total.
    const StateCalcs::TridDisclosure& trid = quote.trid;
    m_trid->clearSpans();
    m_trid->setRowCount(0);
    const auto append = [this](QTableWidgetItem* first) {
        const int at = m_trid->rowCount();
        m_trid->insertRow(at);
        m_trid->setItem(at, TridNameColumn, first);
        return at;
    };
    const auto spanned = [&](QTableWidgetItem* item) {
        m_trid->setSpan(append(item), 0, 1, TridColumnCount);
    };
    std::optional<StateCalcs::TridSection> section;
    for (const StateCalcs::TridRow& item : trid.rows) {
        if (item.section != section)
            spanned(
                Emphasised(new QTableWidgetItem(FromView(TridSectionName(item.section))), true));
        section = item.section;
        const QString note = QString::fromStdString(item.note);
        QString name = QString::fromStdString(item.name);
        if (!item.policyNamed)
            name += tr(" (no policy named)");
        auto* nameCell = Cell(name);
        nameCell->setToolTip(note.isEmpty() ? name : name + u'\n' + note);
        nameCell->setData(Qt::AccessibleDescriptionRole, note);
        const int at = append(nameCell);
        const QString spoken = SpokenName(item, quote.lines[item.line].role);
        const QString disclosed = Cents(item.disclosedCents);
        const QString charged = Cents(item.chargedCents);
        m_trid->setItem(at, DisclosedColumn,
                        Cell(disclosed, tr("%1, disclosed, %2").arg(spoken, disclosed)));
        m_trid->setItem(at, ChargedColumn,
                        Cell(charged, tr("%1, charged, %2").arg(spoken, charged)));
        if (!note.isEmpty() && item.policyNamed) {
            auto* noteCell = Emphasised(new QTableWidgetItem(note), false, true);
            noteCell->setToolTip(note);
            noteCell->setForeground(palette().brush(QPalette::PlaceholderText));
            spanned(noteCell);
        }
    }
    const int total = append(Emphasised(Cell(tr("Total")), true));
    const QString disclosed = Cents(trid.disclosedCents);
    const QString charged = Cents(trid.chargedCents);
    m_trid->setItem(
        total, DisclosedColumn,
        Emphasised(Cell(disclosed, tr("TRID total, disclosed, %1").arg(disclosed)), true));
    m_trid->setItem(total, ChargedColumn,
                    Emphasised(Cell(charged, tr("TRID total, charged, %1").arg(charged)), true));
    m_trid->show();
    for (QPushButton* button : {m_copyQuote, m_copyTotal, m_print, m_savePdf})
        button->setEnabled(true);
}

void ClosingWindow::NewQuote()
{
    if (!MayLeave())
        return;
    ClearFile();
    for (QLineEdit* edit : {m_price.edit, m_loan.edit, m_priorOwners.edit, m_priorLoan.edit})
        edit->clear();
    m_coverage->setCurrentIndex(0);
    m_letter->setChecked(false);
    m_endorsements->Clear();
    m_left.clear();
    Recompute();
    MarkSaved();
    (m_split->text().isEmpty() ? m_split : m_price.edit)->setFocus();
}

void ClosingWindow::RememberSplit(const QString& text)
{
    if (text.isEmpty())
        m_settings.remove(kSplitKey);
    else if (StateCalcs::ReadSplit(text.toStdString()).value)
        m_settings.setValue(kSplitKey, text);
    else
        return;
    m_settings.sync();
    if (m_settings.status() == QSettings::NoError || m_settingsNote->IsProblem())
        return;
    // Said once; the hint under the split stops promising.
    m_settingsUnwritable = true;
    m_settingsNote->ShowProblem(tr("The split cannot be remembered: %1 cannot be written.")
                                    .arg(QDir::toNativeSeparators(m_settings.fileName())));
}

QString ClosingWindow::SplitHint() const
{
    return m_settingsUnwritable
               ? tr("The agency's premium split, from 10 to 70 percent.")
               : tr("The agency's premium split, from 10 to 70 percent. It is remembered for "
                    "the next time.");
}

void ClosingWindow::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (m_fitted || event->spontaneous())
        return;
    m_fitted = true;
    // The window manager's frame is known a moment after the window shows.
    QTimer::singleShot(250, this, &ClosingWindow::FitToScreen);
}

void ClosingWindow::FitToScreen()
{
    const QScreen* shown = screen();
    if (!shown || isMaximized() || isFullScreen())
        return;
    const QRect area = shown->availableGeometry();
    const QRect frame = frameGeometry();
    const int over = frame.height() - area.height();
    if (over > 0)
        resize(width(), std::max(height() - over, minimumSizeHint().height()));
    if (over > 0 || frame.top() < area.top() || frame.bottom() > area.bottom())
        move(frame.left(), area.top());
}

void ClosingWindow::CopyQuote()
{
    if (!m_quote)
        return;
    auto* data = new QMimeData;
    data->setHtml(QuoteHtml(*m_quote, Heading()));
    data->setText(QuoteText(*m_quote, Heading()));
    QGuiApplication::clipboard()->setMimeData(data);
}

void ClosingWindow::CopyTotal()
{
    if (m_quote)
        QGuiApplication::clipboard()->setText(Cents(m_quote->grossCents));
}

void ClosingWindow::Print()
{
    if (!m_quote)
        return;
    QPrinter printer(QPrinter::HighResolution);
    SetUpPrinter(printer);
    if (AskPrinter(printer, tr("Print Quote"))
        && !PrintQuote(printer, m_request, *m_quote, QDate::currentDate(), Heading()))
        QMessageBox::warning(this, tr("Print Quote"),
                             tr("The quote could not be printed: the printer did not start."));
}

bool ClosingWindow::AskPrinter(QPrinter& printer, const QString& title)
{
    if (m_dialogs.print)
        return m_dialogs.print(printer);
    QPrintDialog dialog(&printer, this);
    dialog.setWindowTitle(title);
    return dialog.exec() == QDialog::Accepted;
}

QString ClosingWindow::AskPdfName(const QString& title, const QString& suggested)
{
    if (m_dialogs.pdfFileName)
        return m_dialogs.pdfFileName();
    QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (!QDir(folder).exists())
        folder = QDir::homePath();
    // The dialog adds ".pdf" itself, before it asks whether to replace a
    // file of that name.
    QFileDialog dialog(this, title, QDir(folder).filePath(suggested), tr("PDF files (*.pdf)"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(QStringLiteral("pdf"));
    return dialog.exec() == QDialog::Accepted ? dialog.selectedFiles().value(0) : QString();
}

void ClosingWindow::SaveAsPdf()
{
    if (!m_quote)
        return;
    QString name = AskPdfName(tr("Save Quote as PDF"), QStringLiteral("title-quote.pdf"));
    if (name.isEmpty())
        return;
    if (!name.endsWith(QLatin1String(".pdf"), Qt::CaseInsensitive))
        name += QLatin1String(".pdf");
    QPrinter printer(QPrinter::HighResolution);
    SetUpPrinter(printer);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(name);
    if (!PrintQuote(printer, m_request, *m_quote, QDate::currentDate(), Heading()))
        QMessageBox::warning(
            this, tr("Save Quote as PDF"),
            tr("The quote could not be saved as %1.").arg(QDir::toNativeSeparators(name)));
}

// ---- The file and the book ------------------------------------------------------

QString ClosingWindow::ClosingKey() const
{
    QStringList parts;
    for (const QLineEdit* edit :
         {m_split, m_price.edit, m_loan.edit, m_priorOwners.edit, m_priorLoan.edit})
        parts.append(edit->text());
    parts.append(QString::number(m_coverage->currentIndex()));
    parts.append(m_letter->isChecked() ? QStringLiteral("letter") : QString());
    for (const StateCalcs::EndorsementRequest& wanted : m_endorsements->Requests())
        parts.append(QString::number(wanted.entry) + u':'
                     + QString::number(wanted.policy ? static_cast<int>(*wanted.policy) : -1));
    return parts.join(QChar(0x1f));
}

QString ClosingWindow::Snapshot() const
{
    QStringList parts{ClosingKey(), m_underwriter->currentText()};
    for (const QLineEdit* edit :
         {m_fileNumber, m_buyers, m_sellers, m_property, m_county, m_lender, m_closingDate, m_note})
        parts.append(edit->text());
    return parts.join(QChar(0x1e));
}

bool ClosingWindow::HasUnsavedChanges() const
{
    // A quick quote is no file: only a numbered file, or one from the book,
    // has changes to keep.
    return (!m_openedFile.isEmpty() || !m_fileNumber->text().trimmed().isEmpty())
           && Snapshot() != m_saved;
}

void ClosingWindow::MarkSaved()
{
    m_saved = Snapshot();
    ShowTitle();
}

void ClosingWindow::ShowTitle()
{
    const QString number = m_fileNumber->text().trimmed();
    const QString name = tr("Tarnwell Closing Quote");
    const QString title = number.isEmpty() ? name : tr("%1 — %2").arg(name, number);
    // The desktop follows a window's title with the application's name
    // unless the title is that name; the program's name leads here and the
    // file follows it, so the application is named after the file it holds.
    if (QGuiApplication::applicationDisplayName().startsWith(name))
        QGuiApplication::setApplicationDisplayName(title);
    setWindowTitle(title);
}

Book::FileDetails ClosingWindow::Details() const
{
    Book::FileDetails details;
    details.fileNumber = m_fileNumber->text().trimmed();
    details.underwriter = m_underwriter->currentText();
    details.buyers = m_buyers->text().trimmed();
    details.sellers = m_sellers->text().trimmed();
    details.property = m_property->text().trimmed();
    details.county = m_county->text().trimmed();
    details.lender = m_lender->text().trimmed();
    details.closingDate = IsoDate(m_closingDate->text());
    details.note = m_note->text().trimmed();
    return details;
}

QuoteHeading ClosingWindow::Heading() const
{
    const Book::Agency agency = Book::ReadBookSettings(m_settings).agency;
    const Book::FileDetails file = Details();
    return {agency.name,     agency.address, agency.phone,    agency.license,
            file.fileNumber, file.buyers,    file.sellers,    file.property,
            file.county,     file.lender,    file.closingDate};
}

void ClosingWindow::ClearFile()
{
    m_loading = true;
    for (QLineEdit* edit : {m_fileNumber, m_buyers, m_sellers, m_property, m_county, m_lender,
                            m_closingDate, m_note}) {
        edit->clear();
        SetMarked(edit, false);
    }
    m_underwriter->setCurrentText(Book::ReadBookSettings(m_settings).underwriter);
    m_loading = false;
    m_openedFile.clear();
    m_revision = 0;
    m_fileStatus.clear();
    m_storedQuote.reset();
    if (m_bookOff.isEmpty())
        m_bookNote->Clear();
}

QMessageBox::StandardButton ClosingWindow::Ask(const QString& title, const QString& text,
                                               QMessageBox::StandardButtons buttons,
                                               const QString& yesText)
{
    if (m_dialogs.ask)
        return m_dialogs.ask(title, text, buttons);
    QMessageBox box(QMessageBox::Question, title, text, buttons, this);
    if (QAbstractButton* yes = box.button(QMessageBox::Yes); yes && !yesText.isEmpty()) {
        yes->setText(yesText);
        if (QAbstractButton* no = box.button(QMessageBox::Cancel))
            box.setDefaultButton(static_cast<QPushButton*>(no));
    }
    if (QAbstractButton* reload = box.button(QMessageBox::Yes);
        reload && buttons & QMessageBox::No) {
        reload->setText(tr("&Reload"));
        box.button(QMessageBox::No)->setText(tr("&Keep my changes"));
        box.setDefaultButton(QMessageBox::No);
    }
    return static_cast<QMessageBox::StandardButton>(box.exec());
}

bool ClosingWindow::MayLeave()
{
    if (!HasUnsavedChanges())
        return true;
    const QString number = m_fileNumber->text().trimmed();
    const QString text = number.isEmpty() ? tr("Save the changes to file %1?").arg(m_openedFile)
                                          : tr("Save the changes to file %1?").arg(number);
    switch (Ask(tr("Unsaved Changes"), text,
                QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel)) {
    case QMessageBox::Save:
        return Save();
    case QMessageBox::Discard:
        return true;
    default:
        return false;
    }
}

void ClosingWindow::closeEvent(QCloseEvent* event)
{
    if (MayLeave())
        event->accept();
    else
        event->ignore();
}

void ClosingWindow::ChooseBook()
{
    m_book.reset();
    m_bookWritable = false;
    m_location.reset();
    m_bookOff.clear();
    m_bookNote->Clear();
    m_due->hide();
    const auto chosen = Book::ChooseBook(m_bookOnCommandLine,
                                         Book::ReadBookSettings(m_settings).database);
    if (const auto* why = std::get_if<QString>(&chosen)) {
        ShowBookOff(*why);
        return;
    }
    m_location = std::get<Book::BookLocation>(chosen);
    // A book not yet made is made by the first save, and says nothing till then.
    if (m_location->IsPostgreSql() || QFileInfo::exists(m_location->path))
        OpenBook(false);
    RefreshDue();
}

void ClosingWindow::ShowBookOff(const QString& why)
{
    m_bookOff = why;
    m_bookNote->ShowProblem(
        tr("The book is off: %1. Quoting goes on; nothing is kept until it is put right.")
            .arg(why));
}

Book::Book* ClosingWindow::OpenBook(bool forWriting)
{
    if (m_book && (m_bookWritable || !forWriting))
        return m_book.get();
    if (!m_location) {
        if (!m_bookOff.isEmpty())
            ShowBookOff(m_bookOff);
        return nullptr;
    }
    m_book.reset();
    QString error;
    auto book = Book::Book::Open(*m_location, forWriting ? Book::Access::Write : Book::Access::Read,
                                 error);
    if (!book) {
        ShowBookOff(error);
        return nullptr;
    }
    m_book = std::move(book);
    m_bookWritable = forWriting;
    m_bookOff.clear();
    if (!m_book->readOnlyReason().isEmpty())
        m_bookNote->ShowProblem(tr("The book opens for reading only: %1. Files can be opened "
                                   "and quoted, not saved.")
                                    .arg(m_book->readOnlyReason()));
    else
        m_bookNote->Clear();
    return m_book.get();
}

bool ClosingWindow::Save()
{
    SetMarked(m_fileNumber, false);
    SetMarked(m_closingDate, false);
    const Book::FileDetails details = Details();
    const auto refuse = [this](QWidget* field, const QString& why) {
        if (field) {
            SetMarked(field, true, why);
            field->setFocus();
        }
        m_bookNote->ShowProblem(why);
        return false;
    };
    if (details.fileNumber.isEmpty())
        return refuse(m_fileNumber, tr("A file number is needed to save."));
    if (!m_closingDate->text().trimmed().isEmpty() && details.closingDate.isEmpty())
        return refuse(m_closingDate,
                      tr("A closing date is written as 2026-03-31 or 3/31/2026; the file was "
                         "not saved."));
    if (!m_quote)
        return refuse(nullptr, tr("A file is kept with its figures: the file was not saved "
                                  "while the closing shows none."));
    Book::Book* book = OpenBook(true);
    if (!book)
        return false;
    const int expected = details.fileNumber == m_openedFile ? m_revision : 0;
    // Once policies are issued (or the file voided) its figures and details
    // change only as an amendment, with its reason; without one the edit
    // stays in the window, unsaved.
    QString amendment;
    if (expected > 0 && !m_fileStatus.isEmpty() && HasUnsavedChanges()) {
        AmendDialog ask(details.fileNumber, m_fileStatus, this);
        if (ask.exec() != QDialog::Accepted)
            return refuse(nullptr, tr("Not saved: a change to file %1 is saved only as an "
                                      "amendment with its reason. Your changes are still in "
                                      "this window.")
                                       .arg(details.fileNumber));
        amendment = ask.Reason();
    }
    const Book::StoredQuote quote = m_showingStored ? *m_storedQuote : Book::StoreQuote(*m_quote);
    const Book::SaveResult result = book->Save(details, Book::StoreClosing(m_request), quote,
                                               expected, amendment);
    switch (result.status) {
    case Book::SaveResult::Status::Saved:
    case Book::SaveResult::Status::Unchanged:
        if (details.fileNumber != m_openedFile || result.status == Book::SaveResult::Status::Saved)
            m_storedAt = QDateTime::currentDateTimeUtc().toString(Qt::ISODateWithMs);
        m_openedFile = details.fileNumber;
        m_revision = result.revision;
        m_storedQuote = quote;
        m_storedKey = ClosingKey();
        m_storedSplit = Book::StoreClosing(m_request).splitHundredths;
        m_showingStored = true;
        m_bookNote->ShowHint(result.status != Book::SaveResult::Status::Saved
                                 ? tr("File %1 is as saved in revision %2.")
                                       .arg(details.fileNumber)
                                       .arg(result.revision)
                             : amendment.isEmpty() ? tr("File %1 saved in the book, revision %2.")
                                                         .arg(details.fileNumber)
                                                         .arg(result.revision)
                                                   : tr("File %1 amended in the book (%2), "
                                                        "revision %3.")
                                                         .arg(details.fileNumber, amendment)
                                                         .arg(result.revision));
        MarkSaved();
        RefreshDue();
        return true;
    case Book::SaveResult::Status::Stale: {
        const QString who = result.conflict.savedBy;
        const QString when = LocalTime(result.conflict.savedAt);
        if (expected == 0)
            return refuse(m_fileNumber,
                          tr("File %1 is already in the book, saved by %2 on %3: open it, or "
                             "give this file another number.")
                              .arg(details.fileNumber, who, when));
        refuse(nullptr, tr("Not saved: %1 changed file %2 on %3 since it was opened here. Your "
                           "changes are still in this window.")
                            .arg(who, details.fileNumber, when));
        if (Ask(tr("Save File"),
                tr("%1 changed file %2 on %3 since it was opened here, so your changes were "
                   "not saved.\n\nReload the file as it is in the book? Your changes in this "
                   "window would be replaced.")
                    .arg(who, details.fileNumber, when),
                QMessageBox::Yes | QMessageBox::No)
            == QMessageBox::Yes)
            LoadFile(details.fileNumber);
        return false;
    }
    case Book::SaveResult::Status::Failed:
        break;
    }
    // The connection may be gone with the failure; the next save opens the
    // book again.
    m_book.reset();
    return refuse(nullptr, Sentence(result.error)
                               + tr(" The file was not saved; your changes are still in this "
                                    "window."));
}

void ClosingWindow::Open()
{
    if (!MayLeave())
        return;
    if (m_location && !m_location->IsPostgreSql() && !QFileInfo::exists(m_location->path)) {
        m_bookNote->ShowHint(tr("The book holds no files yet; the first Save makes it at %1.")
                                 .arg(QDir::toNativeSeparators(m_location->path)));
        return;
    }
    Book::Book* book = OpenBook(false);
    if (!book)
        return;
    auto* list = new FileListDialog(*book, this);
    list->setAttribute(Qt::WA_DeleteOnClose);
    connect(list, &QDialog::accepted, this, [this, list] { LoadFile(list->ChosenFile()); });
    list->open();
}

bool ClosingWindow::LoadFile(const QString& fileNumber)
{
    Book::Book* book = OpenBook(false);
    if (!book)
        return false;
    const auto file = book->Load(fileNumber);
    if (!file) {
        m_bookNote->ShowProblem(
            book->error().isEmpty()
                ? tr("File %1 is not in the book.").arg(fileNumber)
                : tr("File %1 cannot be read: %2.").arg(fileNumber, book->error()));
        return false;
    }
    const Book::FileDetails& d = file->details;
    const Book::StoredClosing& c = file->closing;
    const auto amount = [](const std::optional<std::int64_t>& cents) {
        return cents ? Cents(*cents) : QString();
    };
    m_loading = true;
    m_fileNumber->setText(d.fileNumber);
    m_underwriter->setCurrentText(d.underwriter);
    m_buyers->setText(d.buyers);
    m_sellers->setText(d.sellers);
    m_property->setText(d.property);
    m_county->setText(d.county);
    m_lender->setText(d.lender);
    m_closingDate->setText(d.closingDate);
    m_note->setText(d.note);
    m_split->setText(SplitText(c.splitHundredths));
    m_price.edit->setText(amount(c.priceCents));
    m_loan.edit->setText(amount(c.loanCents));
    m_priorOwners.edit->setText(amount(c.priorOwnersCents));
    m_priorLoan.edit->setText(amount(c.priorLoanCents));
    m_coverage->setCurrentIndex(c.coverage == QLatin1String("expanded") ? 1 : 0);
    m_letter->setChecked(c.closingProtectionLetter);
    m_endorsements->SetRequests(Book::RequestOf(c).endorsements);
    m_left.clear();
    m_loading = false;
    for (QLineEdit* edit : {m_fileNumber, m_buyers, m_sellers, m_property, m_county, m_lender,
                            m_closingDate, m_note}) {
        SetMarked(edit, false);
        edit->setCursorPosition(0); // the start of a long address, not its end
    }

    m_openedFile = d.fileNumber;
    m_revision = file->revision.revision;
    m_fileStatus = file->status;
    m_storedQuote.reset();
    Recompute(); // with the closing as it now stands, for its key
    m_storedQuote = file->quote;
    m_storedKey = ClosingKey();
    m_storedSplit = c.splitHundredths;
    m_storedAt = file->revision.savedAt;
    Recompute();
    MarkSaved();
    m_bookNote->ShowHint(tr("File %1, revision %2, saved by %3 on %4.")
                             .arg(d.fileNumber)
                             .arg(m_revision)
                             .arg(file->revision.savedBy, LocalTime(file->revision.savedAt)));
    return true;
}

void ClosingWindow::EditSettings()
{
    const Book::BookSettings before = Book::ReadBookSettings(m_settings);
    auto* dialog = new SettingsDialog(before, this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    connect(dialog, &QDialog::accepted, this, [this, dialog, before] {
        const Book::BookSettings after = dialog->Values();
        Book::WriteBookSettings(m_settings, after);
        m_settings.sync();
        if (m_settings.status() != QSettings::NoError) {
            m_bookNote->ShowProblem(tr("The settings cannot be kept: %1 cannot be written.")
                                        .arg(QDir::toNativeSeparators(m_settings.fileName())));
            return;
        }
        if (m_openedFile.isEmpty() && m_fileNumber->text().trimmed().isEmpty())
            m_underwriter->setCurrentText(after.underwriter);
        if (after.database != before.database) {
            // What the window holds is a new file in the book now chosen.
            m_openedFile.clear();
            m_revision = 0;
            m_fileStatus.clear();
            m_storedQuote.reset();
            ChooseBook();
            Recompute();
        } else {
            RefreshDue();
        }
    });
    dialog->open();
}

// ---- The file's course and what needs doing ----------------------------------------

void ClosingWindow::IssuePolicies()
{
    const QString number = m_fileNumber->text().trimmed();
    if (number.isEmpty()) {
        m_bookNote->ShowHint(
            tr("Policies are issued on a file of the book: open one (%1), or "
               "give this closing a file number and save it.")
                .arg(QKeySequence(QKeySequence::Open).toString(QKeySequence::NativeText)));
        return;
    }
    // Policies are issued on the file as the book holds it.
    if (number != m_openedFile || HasUnsavedChanges()) {
        if (Ask(tr("Issue Policies"),
                tr("Policies are issued on file %1 as the book holds it. Save the file first?")
                    .arg(number),
                QMessageBox::Save | QMessageBox::Cancel)
                != QMessageBox::Save
            || !Save())
            return;
    }
    Book::Book* book = OpenBook(true);
    if (!book)
        return;
    auto* dialog = new PoliciesDialog(
        *book, m_openedFile,
        [this](const QString& title, const QString& text, QMessageBox::StandardButtons buttons) {
            return Ask(title, text, buttons, tr("&Void file"));
        },
        this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    connect(dialog, &PoliciesDialog::Changed, this, [this](const QString& changed) {
        // The course is a revision of the file: the window takes it up.
        if (changed == m_openedFile && !HasUnsavedChanges())
            LoadFile(changed);
        RefreshDue();
    });
    dialog->open();
}

void ClosingWindow::RefreshDue()
{
    m_due->hide();
    if (!m_book)
        return;
    const Book::BookSettings settings = Book::ReadBookSettings(m_settings);
    const auto due = m_book->Due(settings.issueWithinDays, settings.remittanceDueDay);
    if (!due || (due->unissued.isEmpty() && due->unsent.isEmpty()))
        return;
    m_due->setText(DueDialog::CountText(*due));
    m_due->setAccessibleName(m_due->text());
    m_due->show();
}

void ClosingWindow::ShowDue()
{
    if (m_location && !m_location->IsPostgreSql() && !QFileInfo::exists(m_location->path)) {
        m_bookNote->ShowHint(tr("The book holds no files yet; nothing needs doing."));
        return;
    }
    Book::Book* book = OpenBook(false);
    if (!book)
        return;
    const Book::BookSettings settings = Book::ReadBookSettings(m_settings);
    const auto due = book->Due(settings.issueWithinDays, settings.remittanceDueDay);
    if (!due) {
        m_bookNote->ShowProblem(tr("What needs doing cannot be read: %1.").arg(book->error()));
        return;
    }
    RefreshDue();
    auto* dialog = new DueDialog(*due, settings.issueWithinDays, this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    connect(dialog, &DueDialog::OpenFile, this, [this](const QString& number) {
        if (MayLeave())
            LoadFile(number);
    });
    connect(dialog, &DueDialog::ShowReport, this,
            [this](const QString& underwriter, const QString& month) {
                ShowReport(underwriter, month);
            });
    dialog->open();
}

void ClosingWindow::ShowReport(const QString& underwriter, const QString& month)
{
    if (m_location && !m_location->IsPostgreSql() && !QFileInfo::exists(m_location->path)) {
        m_bookNote->ShowHint(tr("The book holds no files yet; no policy is issued to report."));
        return;
    }
    Book::Book* book = OpenBook(false);
    if (!book)
        return;
    const Book::BookSettings settings = Book::ReadBookSettings(m_settings);
    // The month usually remitted is the one just ended.
    const QString shown = month.isEmpty() ? Book::MonthOfDate(book->Today().addMonths(-1)) : month;
    ReportDialog::Dialogs dialogs{
        [this](QPrinter& printer) { return AskPrinter(printer, tr("Print Report")); },
        [this](const QString& title, const QString& suggested) {
            return AskPdfName(title, suggested);
        }};
    auto* dialog = new ReportDialog(*book, settings.agency, std::move(dialogs),
                                    underwriter.isEmpty() ? settings.underwriter : underwriter,
                                    shown, this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->open();
}

} // namespace closing
