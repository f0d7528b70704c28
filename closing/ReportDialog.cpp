#include "closing/ReportDialog.h"

#include "bookprint/RemittancePrint.h"
#include "closing/BookDialogs.h"
#include "closing/FieldNote.h"

#include <QComboBox>
#include <QDate>
#include <QDialogButtonBox>
#include <QDir>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QPushButton>
#include <QRegularExpression>
#include <QSaveFile>
#include <QVBoxLayout>

namespace closing {

using dialog::Caption;
using dialog::Cents;

ReportDialog::ReportDialog(Book::Book& book, const Book::Agency& agency, Dialogs dialogs,
                           const QString& underwriter, const QString& month, QWidget* parent)
    : QDialog(parent),
      m_book(book),
      m_agency(agency),
      m_dialogs(std::move(dialogs)),
      m_underwriter(new QComboBox),
      m_month(new QLineEdit(month)),
      m_note(new FieldNote),
      m_totals(new QLabel),
      m_previewPrinter(std::make_unique<QPrinter>(QPrinter::HighResolution)),
      m_preview(nullptr),
      m_print(new QPushButton(tr("P&rint…"))),
      m_savePdf(new QPushButton(tr("Save as P&DF…")))
{
    setObjectName(QStringLiteral("reportDialog"));
    setWindowTitle(tr("Remittance Report"));
    SetUpPrinter(*m_previewPrinter);
    m_preview = new QPrintPreviewWidget(m_previewPrinter.get());
    m_preview->setObjectName(QStringLiteral("reportPreview"));
    m_preview->setAccessibleName(tr("Report preview"));
    m_preview->setViewMode(QPrintPreviewWidget::SinglePageView);
    m_preview->setZoomMode(QPrintPreviewWidget::FitToWidth);
    m_underwriter->setObjectName(QStringLiteral("reportUnderwriter"));
    m_underwriter->addItems(Book::kUnderwriters);
    m_underwriter->setCurrentText(underwriter);
    m_month->setObjectName(QStringLiteral("reportMonth"));
    m_month->setPlaceholderText(tr("YYYY-MM"));
    m_month->setMaximumWidth(m_month->fontMetrics().horizontalAdvance(u'0') * 12);
    m_note->setObjectName(QStringLiteral("reportNote"));
    m_totals->setObjectName(QStringLiteral("reportTotals"));
    m_totals->setTextInteractionFlags(Qt::TextSelectableByMouse);
    QFont bold = m_totals->font();
    bold.setBold(true);
    m_totals->setFont(bold);
    m_print->setObjectName(QStringLiteral("printReport"));
    m_savePdf->setObjectName(QStringLiteral("saveReportPdf"));
    m_print->setAccessibleName(tr("Print"));
    m_savePdf->setAccessibleName(tr("Save as PDF"));

    auto* choice = new QHBoxLayout;
    choice->addWidget(Caption(tr("&Underwriter"), m_underwriter));
    choice->addWidget(m_underwriter);
    choice->addSpacing(fontMetrics().horizontalAdvance(u'0') * 2);
    choice->addWidget(Caption(tr("&Month"), m_month));
    choice->addWidget(m_month);
    choice->addWidget(m_note, 1);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close);
    buttons->addButton(m_print, QDialogButtonBox::ActionRole);
    buttons->addButton(m_savePdf, QDialogButtonBox::ActionRole);
    // The totals stay in view below the pages, however they scroll.
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(choice);
    layout->addWidget(m_preview, 1);
    layout->addWidget(m_totals);
    layout->addWidget(buttons);

    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_print, &QPushButton::clicked, this, &ReportDialog::Print);
    connect(m_savePdf, &QPushButton::clicked, this, &ReportDialog::SaveAsPdf);
    connect(m_underwriter, &QComboBox::currentIndexChanged, this, &ReportDialog::Load);
    connect(m_month, &QLineEdit::textChanged, this, &ReportDialog::Load);
    connect(m_preview, &QPrintPreviewWidget::paintRequested, this, [this](QPrinter* printer) {
        if (m_report)
            BookPrint::PaintRemittanceReport(*printer, *m_report, m_agency);
    });
    Load();
    m_month->setFocus();
    dialog::FitToScreen(this, 110, 48);
}

ReportDialog::~ReportDialog() = default;

void ReportDialog::SetUpPrinter(QPrinter& printer)
{
    printer.setPageSize(QPageSize(QPageSize::Letter));
    printer.setPageOrientation(QPageLayout::Portrait);
    printer.setDocName(QStringLiteral("Remittance report"));
    printer.setCreator(QStringLiteral("Tarnwell Closing Quote"));
}

void ReportDialog::Load()
{
    static const QRegularExpression monthPattern(QStringLiteral("^\\d{4}-(0[1-9]|1[0-2])$"));
    const QString month = m_month->text().trimmed();
    SetMarked(m_month, false);
    m_note->Clear();
    m_report.reset();
    const auto nothing = [this] {
        m_totals->clear();
        m_print->setEnabled(false);
        m_savePdf->setEnabled(false);
        m_preview->updatePreview();
    };
    if (!monthPattern.match(month).hasMatch()) {
        // A month half typed is no mistake yet; the preview waits for it.
        if (month.size() >= 7) {
            const QString why = tr("A month is written YYYY-MM, as 2026-03.");
            SetMarked(m_month, true, why);
            m_note->ShowProblem(why);
        }
        return nothing();
    }
    const QString underwriter = m_underwriter->currentText();
    m_report = m_book.Report(underwriter, month);
    if (!m_report) {
        m_note->ShowProblem(tr("The report cannot be read: %1.").arg(m_book.error()));
        return nothing();
    }
    const Book::RemittanceReport& report = *m_report;
    if (report.sent)
        m_note->ShowHint(
            tr("Sent: check %1, paid %2, recorded by %3 on %4.")
                .arg(report.checkNumber, report.paidDate, report.sentBy, LocalTime(report.sentAt)));
    else if (report.rows.isEmpty())
        m_note->ShowHint(tr("Nothing of %1's was issued in %2.").arg(underwriter, month));
    else
        m_note->ShowHint(tr("Not sent yet."));
    qsizetype lines = 0, adjustments = 0;
    for (const Book::ReportLine& row : report.rows)
        (row.kind == Book::ReportLine::Kind::Adjustment ? adjustments : lines) += 1;
    m_totals->setText(tr("%1 %2 · Gross %3 · Remit %4 · %5 %6 %7 · Check %8")
                          .arg(lines)
                          .arg(lines == 1 ? tr("line") : tr("lines"), Cents(report.linesGrossCents),
                               Cents(report.linesRemitCents))
                          .arg(adjustments)
                          .arg(adjustments == 1 ? tr("adjustment") : tr("adjustments"),
                               Cents(report.adjustmentRemitCents), Cents(report.CheckCents())));
    m_totals->setAccessibleName(m_totals->text());
    m_print->setEnabled(true);
    m_savePdf->setEnabled(true);
    m_preview->updatePreview();
}

void ReportDialog::Print()
{
    if (!m_report)
        return;
    QPrinter printer(QPrinter::HighResolution);
    SetUpPrinter(printer);
    if (!m_dialogs.print(printer))
        return;
    if (!BookPrint::PaintRemittanceReport(printer, *m_report, m_agency))
        QMessageBox::warning(this, tr("Print Report"),
                             tr("The report could not be printed: the printer did not start."));
}

void ReportDialog::SaveAsPdf()
{
    if (!m_report)
        return;
    QString name = m_dialogs.pdfFileName(
        tr("Save Report as PDF"),
        QStringLiteral("remittance-%1-%2.pdf").arg(m_report->underwriter, m_report->month));
    if (name.isEmpty())
        return;
    if (!name.endsWith(QLatin1String(".pdf"), Qt::CaseInsensitive))
        name += QLatin1String(".pdf");
    // A sent report is the PDF kept when it was sent, byte for byte.
    const QByteArray pdf = BookPrint::RemittanceReportPdf(*m_report, m_agency);
    QSaveFile file(name);
    if (pdf.isEmpty() || !file.open(QIODevice::WriteOnly) || file.write(pdf) != pdf.size()
        || !file.commit()) {
        QMessageBox::warning(
            this, tr("Save Report as PDF"),
            tr("The report could not be saved as %1.").arg(QDir::toNativeSeparators(name)));
        return;
    }
    m_note->ShowHint(tr("Saved as %1.").arg(QDir::toNativeSeparators(name)));
}

} // namespace closing
