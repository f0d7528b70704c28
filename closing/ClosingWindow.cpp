#include "closing/ClosingWindow.h"

#include "closing/EndorsementPicker.h"
#include "closing/FieldNote.h"
#include "closing/QuoteDocument.h"

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
#include <QStandardPaths>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <array>

namespace closing {
namespace {

using StateCalcs::ClosingField;

const QString kSplitKey = QStringLiteral("split");

enum Column { LineColumn, PricedOnColumn, GrossColumn, RemitColumn, ColumnCount };

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
      m_coverage(new QComboBox),
      m_endorsements(new EndorsementPicker),
      m_letter(new QCheckBox),
      m_status(new FieldNote),
      m_figures(new QTableWidget(0, ColumnCount)),
      m_tridNone(new QLabel),
      m_lendersName(new QLabel),
      m_lendersDisclosed(Figure()),
      m_lendersCharged(Figure()),
      m_ownersName(new QLabel),
      m_ownersDisclosed(Figure()),
      m_ownersCharged(Figure()),
      m_copyQuote(new QPushButton(tr("&Copy quote"))),
      m_copyTotal(new QPushButton(tr("Cop&y total"))),
      m_print(new QPushButton(tr("P&rint…"))),
      m_savePdf(new QPushButton(tr("Save as P&DF…")))
{
    setWindowTitle(tr("Tarnwell Closing Quote"));
    setStyleSheet(MarkStyleSheet());

    // ---- Top: what the closing is.
    auto* top = new QGridLayout;
    top->setColumnStretch(1, 1);
    top->setColumnStretch(4, 1);
    top->setColumnMinimumWidth(2, 16);
    m_split->setObjectName(QStringLiteral("split"));
    m_splitNote->setObjectName(QStringLiteral("splitNote"));
    m_split->setMaximumWidth(m_split->fontMetrics().horizontalAdvance(u'0') * 12);
    auto* splitRow = new QHBoxLayout;
    splitRow->addWidget(m_split);
    splitRow->addWidget(new QLabel(QStringLiteral("%")));
    splitRow->addStretch(1);
    top->addWidget(Caption(tr("&Split"), m_split), 0, 0);
    top->addLayout(splitRow, 0, 1);
    m_coverage->setObjectName(QStringLiteral("coverage"));
    m_coverage->addItem(tr("Standard"));
    m_coverage->addItem(tr("Expanded"));
    auto* coverageRow = new QHBoxLayout;
    coverageRow->addWidget(m_coverage);
    coverageRow->addStretch(1);
    top->addWidget(Caption(tr("Co&verage"), m_coverage), 0, 3);
    top->addLayout(coverageRow, 0, 4);
    top->addWidget(m_splitNote, 1, 1, 1, 4);
    FieldNote* notes[4] = {};
    m_price = {AddField(top, 2, 0, tr("Sales &price"), "price", notes[0]), notes[0]};
    m_loan = {AddField(top, 2, 3, tr("&Loan amount"), "loan", notes[1]), notes[1]};
    m_priorOwners = {AddField(top, 4, 0, tr("Prior &owner's liability"), "priorOwners", notes[2]),
                     notes[2]};
    m_priorLoan = {AddField(top, 4, 3, tr("Prior loa&n liability"), "priorLoan", notes[3]),
                   notes[3]};

    // ---- Middle: endorsements and the letter.
    m_letter->setText(tr("Closing protection le&tter"));
    m_letter->setObjectName(QStringLiteral("letter"));

    // ---- Bottom: the figures.
    m_figures->setObjectName(QStringLiteral("figures"));
    m_figures->setHorizontalHeaderLabels({tr("Line"), tr("Priced on"), tr("Gross"), tr("Remit")});
    m_figures->verticalHeader()->hide();
    m_figures->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_figures->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_figures->setSelectionMode(QAbstractItemView::SingleSelection);
    m_figures->setAlternatingRowColors(true);
    m_figures->setWordWrap(false);
    m_figures->setTabKeyNavigation(false);
    m_figures->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 10);
    QHeaderView* header = m_figures->horizontalHeader();
    header->setSectionResizeMode(LineColumn, QHeaderView::Stretch);
    for (const int column : {PricedOnColumn, GrossColumn, RemitColumn})
        header->setSectionResizeMode(column, QHeaderView::ResizeToContents);
    header->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    m_figures->horizontalHeaderItem(GrossColumn)->setTextAlignment(Qt::AlignRight);
    m_figures->horizontalHeaderItem(RemitColumn)->setTextAlignment(Qt::AlignRight);
    m_status->setObjectName(QStringLiteral("status"));

    auto* trid = new QGridLayout;
    auto* tridTitle = new QLabel(tr("TRID disclosure"));
    QFont bold = tridTitle->font();
    bold.setBold(true);
    tridTitle->setFont(bold);
    trid->addWidget(tridTitle, 0, 0);
    trid->addWidget(new QLabel(tr("Disclosed")), 0, 1, Qt::AlignRight);
    trid->addWidget(new QLabel(tr("Charged")), 0, 2, Qt::AlignRight);
    m_lendersName->setText(QString::fromUtf8(StateCalcs::kLendersTitleInsurance.data(),
                                             StateCalcs::kLendersTitleInsurance.size()));
    m_ownersName->setText(QString::fromUtf8(StateCalcs::kOwnersTitleInsurance.data(),
                                            StateCalcs::kOwnersTitleInsurance.size()));
    m_lendersDisclosed->setObjectName(QStringLiteral("lendersDisclosed"));
    m_lendersCharged->setObjectName(QStringLiteral("lendersCharged"));
    m_ownersDisclosed->setObjectName(QStringLiteral("ownersDisclosed"));
    m_ownersCharged->setObjectName(QStringLiteral("ownersCharged"));
    trid->addWidget(m_lendersName, 1, 0);
    trid->addWidget(m_lendersDisclosed, 1, 1);
    trid->addWidget(m_lendersCharged, 1, 2);
    trid->addWidget(m_ownersName, 2, 0);
    trid->addWidget(m_ownersDisclosed, 2, 1);
    trid->addWidget(m_ownersCharged, 2, 2);
    m_tridNone->setText(tr("No title policy in this closing: nothing to disclose for one."));
    m_tridNone->setForegroundRole(QPalette::PlaceholderText);
    trid->addWidget(m_tridNone, 3, 0, 1, 3);
    const int figureWidth = fontMetrics().horizontalAdvance(QStringLiteral("000,000.00")) + 24;
    trid->setColumnMinimumWidth(1, figureWidth);
    trid->setColumnMinimumWidth(2, figureWidth);
    trid->setColumnStretch(3, 1);
    auto* tridBox = new QWidget;
    tridBox->setObjectName(QStringLiteral("trid"));
    tridBox->setLayout(trid);
    trid->setContentsMargins(0, 0, 0, 0);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    for (QPushButton* button : {m_copyQuote, m_copyTotal, m_print, m_savePdf}) {
        button->setAccessibleName(button->text().remove(u'&').remove(u'…'));
        buttons->addWidget(button);
    }
    m_copyQuote->setObjectName(QStringLiteral("copyQuote"));
    m_copyTotal->setObjectName(QStringLiteral("copyTotal"));
    m_print->setObjectName(QStringLiteral("print"));
    m_savePdf->setObjectName(QStringLiteral("savePdf"));

    auto* figuresHead = new QHBoxLayout;
    figuresHead->addWidget(Caption(tr("Fi&gures"), m_figures));
    figuresHead->addWidget(m_status, 1);

    const auto rule = [] {
        auto* line = new QFrame;
        line->setFrameShape(QFrame::HLine);
        line->setFrameShadow(QFrame::Sunken);
        return line;
    };
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(rule());
    layout->addWidget(m_endorsements, 1);
    layout->addWidget(m_letter);
    layout->addWidget(rule());
    layout->addLayout(figuresHead);
    layout->addWidget(m_figures, 1);
    layout->addWidget(tridBox);
    layout->addLayout(buttons);

    // The order Tab takes: down the form, as the agent reads it.
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
    for (QWidget* next : {static_cast<QWidget*>(m_letter), static_cast<QWidget*>(m_figures),
                          static_cast<QWidget*>(m_copyQuote), static_cast<QWidget*>(m_copyTotal),
                          static_cast<QWidget*>(m_print), static_cast<QWidget*>(m_savePdf)})
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
    connect(m_copyQuote, &QPushButton::clicked, this, &ClosingWindow::CopyQuote);
    connect(m_copyTotal, &QPushButton::clicked, this, &ClosingWindow::CopyTotal);
    connect(m_print, &QPushButton::clicked, this, &ClosingWindow::Print);
    connect(m_savePdf, &QPushButton::clicked, this, &ClosingWindow::SaveAsPdf);

    // An agency's split rarely changes: it is kept from the last run.
    connect(m_split, &QLineEdit::textChanged, this, [this](const QString& text) {
        if (text.isEmpty())
            m_settings.remove(kSplitKey);
        else if (StateCalcs::ReadSplit(text.toStdString()).value)
            m_settings.setValue(kSplitKey, text);
    });
    const QString remembered = m_settings.value(kSplitKey).toString();
    if (StateCalcs::ReadSplit(remembered.toStdString()).value)
        m_split->setText(remembered);
    Recompute();
    (m_split->text().isEmpty() ? m_split : m_price.edit)->setFocus();

    // Room for a purchase with a few endorsements, within the screen.
    QSize size = sizeHint().expandedTo(QSize(960, 760));
    if (const QScreen* shown = screen())
        size = size.boundedTo(shown->availableSize() * 0.95);
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

std::optional<double> ClosingWindow::ReadAmount(const AmountField& field, bool& blocked)
{
    const QString text = field.edit->text();
    if (text.isEmpty())
        return std::nullopt;
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
            m_splitNote->ShowHint(tr("The agency's premium split, from 10 to 70 percent. It is "
                                     "remembered for the next time."));
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
    m_endorsements->SetBothPolicies(!m_price.edit->text().isEmpty()
                                    && !m_loan.edit->text().isEmpty());
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
    findChild<QWidget*>(QStringLiteral("trid"))->hide();
    for (QPushButton* button : {m_copyQuote, m_copyTotal, m_print, m_savePdf})
        button->setEnabled(false);
}

void ClosingWindow::ShowQuote(const StateCalcs::ClosingQuote& quote)
{
    m_quote = quote;
    const int rows = static_cast<int>(quote.lines.size()) + 1;
    m_figures->setRowCount(rows);
    const auto put = [this](int row, int column, const QString& text, bool bold) {
        auto* item = new QTableWidgetItem(text);
        if (column >= GrossColumn)
            item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        if (bold) {
            QFont font = item->font();
            font.setBold(true);
            item->setFont(font);
        }
        m_figures->setItem(row, column, item);
    };
    int row = 0;
    for (const StateCalcs::QuotedLine& line : quote.lines) {
        put(row, LineColumn, QString::fromUtf8(line.text.data(), line.text.size()), false);
        put(row, PricedOnColumn, PricedOnText(line), false);
        put(row, GrossColumn, QString::fromStdString(line.grossText), false);
        put(row, RemitColumn, QString::fromStdString(line.remitText), false);
        ++row;
    }
    put(row, LineColumn, tr("Total"), true);
    put(row, PricedOnColumn, QString(), true);
    put(row, GrossColumn, Cents(quote.grossCents), true);
    put(row, RemitColumn, Cents(quote.remitCents), true);

    const StateCalcs::TridDisclosure& trid = quote.trid;
    for (QLabel* label : {m_lendersName, m_lendersDisclosed, m_lendersCharged})
        label->setVisible(trid.hasLoanPolicy);
    for (QLabel* label : {m_ownersName, m_ownersDisclosed, m_ownersCharged})
        label->setVisible(trid.hasOwnersPolicy);
    m_tridNone->setVisible(!trid.hasLoanPolicy && !trid.hasOwnersPolicy);
    m_lendersDisclosed->setText(Cents(trid.lendersDisclosedCents));
    m_lendersCharged->setText(Cents(trid.lendersChargedCents));
    m_ownersDisclosed->setText(Cents(trid.ownersDisclosedCents));
    m_ownersCharged->setText(Cents(trid.ownersChargedCents));
    findChild<QWidget*>(QStringLiteral("trid"))->show();
    for (QPushButton* button : {m_copyQuote, m_copyTotal, m_print, m_savePdf})
        button->setEnabled(true);
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
