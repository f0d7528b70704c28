#include "closing/ClosingWindow.h"

#include "closing/EndorsementPicker.h"
#include "closing/FieldNote.h"
#include "closing/QuoteDocument.h"

#include <QAction>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QFrame>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
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

ClosingWindow::ClosingWindow(QSettings& settings, Dialogs dialogs, QWidget* parent)
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
      m_savePdf(new QPushButton(tr("Save as P&DF…")))
{
    setWindowTitle(tr("Tarnwell Closing Quote"));
    setStyleSheet(MarkStyleSheet());

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

    // The standard commands, with the platform's keys. Ctrl+S and Ctrl+O stay
    // free for keeping closings.
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

    auto* layout = new QHBoxLayout(this);
    layout->addLayout(closingColumn, 2);
    layout->addWidget(rule(QFrame::VLine));
    layout->addLayout(figuresColumn, 3);

    // The order Tab takes: down the closing, then down the figures.
    std::vector<QWidget*> order{m_split,
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

    // An agency's split rarely changes: it is kept from the last run.
    m_settingsUnwritable = !m_settings.isWritable();
    connect(m_split, &QLineEdit::textChanged, this, &ClosingWindow::RememberSplit);
    const QString remembered = m_settings.value(kSplitKey).toString();
    if (StateCalcs::ReadSplit(remembered.toStdString()).value)
        m_split->setText(remembered);
    Recompute();
    (m_split->text().isEmpty() ? m_split : m_price.edit)->setFocus();

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
    ShowQuote(*outcome.quote);
}

void ClosingWindow::ShowNoFigures()
{
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
    for (QLineEdit* edit : {m_price.edit, m_loan.edit, m_priorOwners.edit, m_priorLoan.edit})
        edit->clear();
    m_coverage->setCurrentIndex(0);
    m_letter->setChecked(false);
    m_endorsements->Clear();
    m_left.clear();
    Recompute();
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
    data->setHtml(QuoteHtml(*m_quote));
    data->setText(QuoteText(*m_quote));
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
    const bool accepted = m_dialogs.print ? m_dialogs.print(printer) : [&] {
        QPrintDialog dialog(&printer, this);
        dialog.setWindowTitle(tr("Print Quote"));
        return dialog.exec() == QDialog::Accepted;
    }();
    if (accepted && !PrintQuote(printer, m_request, *m_quote, QDate::currentDate()))
        QMessageBox::warning(this, tr("Print Quote"),
                             tr("The quote could not be printed: the printer did not start."));
}

void ClosingWindow::SaveAsPdf()
{
    if (!m_quote)
        return;
    QString name = m_dialogs.pdfFileName ? m_dialogs.pdfFileName() : [this] {
        QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
        if (!QDir(folder).exists())
            folder = QDir::homePath();
        // The dialog adds ".pdf" itself, before it asks whether to replace a
        // file of that name.
        QFileDialog dialog(this, tr("Save Quote as PDF"),
                           QDir(folder).filePath(QStringLiteral("title-quote.pdf")),
                           tr("PDF files (*.pdf)"));
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setDefaultSuffix(QStringLiteral("pdf"));
        return dialog.exec() == QDialog::Accepted ? dialog.selectedFiles().value(0) : QString();
    }();
    if (name.isEmpty())
        return;
    if (!name.endsWith(QLatin1String(".pdf"), Qt::CaseInsensitive))
        name += QLatin1String(".pdf");
    QPrinter printer(QPrinter::HighResolution);
    SetUpPrinter(printer);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(name);
    if (!PrintQuote(printer, m_request, *m_quote, QDate::currentDate()))
        QMessageBox::warning(
            this, tr("Save Quote as PDF"),
            tr("The quote could not be saved as %1.").arg(QDir::toNativeSeparators(name)));
}

} // namespace closing
