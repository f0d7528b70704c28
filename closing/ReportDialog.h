#pragma once

// The month's remittance report of an underwriter, as it goes with the
// check: chosen by underwriter and month, previewed page by page as it
// prints (the agency's letterhead, the lines, late lines and adjustments,
// the totals), printed, or saved as PDF. A report already sent shows what
// was sent, and saves the very PDF kept when it was sent.

#include "book/Book.h"
#include "book/BookSettings.h"

#include <QDialog>

#include <functional>
#include <memory>
#include <optional>

class QComboBox;
class QLabel;
class QLineEdit;
class QPrintPreviewWidget;
class QPrinter;
class QPushButton;

namespace closing {

class FieldNote;

class ReportDialog : public QDialog {
    Q_OBJECT
public:
    // The printer's and the file's dialogs, as the window opens them (tests
    // put their own in): false or an empty name when the agent cancels.
    struct Dialogs {
        std::function<bool(QPrinter&)> print;
        std::function<QString(const QString& title, const QString& suggested)> pdfFileName;
    };

    ReportDialog(Book::Book& book, const Book::Agency& agency, Dialogs dialogs,
                 const QString& underwriter, const QString& month, QWidget* parent = nullptr);
    ~ReportDialog() override;

    // The report shown; nothing while the month is not one.
    const std::optional<Book::RemittanceReport>& Report() const { return m_report; }

    // Letter, the margins the report is laid out within.
    static void SetUpPrinter(QPrinter& printer);

private:
    void Load();
    void Print();
    void SaveAsPdf();

    Book::Book& m_book;
    Book::Agency m_agency;
    Dialogs m_dialogs;
    QComboBox* m_underwriter;
    QLineEdit* m_month;
    FieldNote* m_note;
    QLabel* m_totals;
    std::unique_ptr<QPrinter> m_previewPrinter;
    QPrintPreviewWidget* m_preview;
    QPushButton *m_print, *m_savePdf;
    std::optional<Book::RemittanceReport> m_report;
};

} // namespace closing
