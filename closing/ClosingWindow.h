#pragma once

// The closing quote window: on the left what the agent types about one
// closing (split, coverage, amounts), the endorsements and the closing
// protection letter; on the right every title charge of the closing with
// its Gross and Remit, the totals (always in view, outside anything that
// scrolls) and the TRID disclosure line by line, recomputed at every key.
// The quote goes out by the clipboard, the printer or a PDF file, without
// the split and the remittances. New quote (Ctrl+N) starts the next closing
// with the same split.
//
// Above both columns, the file: its number, underwriter, parties, property,
// lender, closing date and a note. A quick quote needs none of them; Save
// (Ctrl+S) keeps the file in the agency's book under its number, Open
// (Ctrl+O) brings a kept file back with its figures as priced when saved.
// Leaving a file with unsaved changes asks Save, Discard or Cancel. A book
// that cannot be opened is said once in a note; quoting goes on.
//
// After the closing, the file's course: Issue policies… records each policy
// issued (or voids the file with a reason); a change to an issued or voided
// file is saved only as an amendment with its reason. What needs doing in
// the book is counted above the closing when the book opens ("3 things need
// doing"), and listed a click away; the month's remittance report of an
// underwriter is previewed, printed and saved as PDF.
//
// Who does what: EndorsementPicker holds the endorsement list and its
// filter, FieldNote the one-line notes and the marks, QuoteDocument the
// copied and printed quote; the figures come from the engine's QuoteClosing.

#include "book/Book.h"
#include "closing/QuoteDocument.h"
#include "engine/Closing.h"

#include <QMessageBox>
#include <QWidget>

#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>

class QCheckBox;
class QComboBox;
class QGridLayout;
class QLabel;
class QLineEdit;
class QPrinter;
class QPushButton;
class QSettings;
class QTableWidget;

namespace closing {

class EndorsementPicker;
class FieldNote;

class ClosingWindow : public QWidget {
    Q_OBJECT
public:
    // The native dialogs the window opens, replaceable so that tests need
    // none. An empty function stands for the real dialog.
    struct Dialogs {
        std::function<QString()> pdfFileName; // empty text: the agent cancelled
        std::function<bool(QPrinter&)> print; // false: the agent cancelled
        // A question and the button the agent answered it with.
        std::function<QMessageBox::StandardButton(const QString& title, const QString& text,
                                                  QMessageBox::StandardButtons buttons)>
            ask;
    };

    // The split, the agency and the book are kept in `settings`. The book
    // is the one `bookOnCommandLine` names, else TARNWELL_BOOK's, else the
    // settings', else the default file.
    explicit ClosingWindow(QSettings& settings, Dialogs dialogs = {},
                           const std::optional<QString>& bookOnCommandLine = {},
                           QWidget* parent = nullptr);
    ~ClosingWindow() override;

    // The quote the window shows; nothing while it shows no figures.
    const std::optional<StateCalcs::ClosingQuote>& Quote() const { return m_quote; }

    // Clears the closing and the file for the next one; the split stays.
    // A file with unsaved changes asks first.
    void NewQuote();
    // Keeps the file in the book; false when it was not saved (and why is
    // shown in the window).
    bool Save();
    // Lists the book's files to open one.
    void Open();
    // Brings the file back from the book, its figures as priced when saved.
    bool LoadFile(const QString& fileNumber);
    // Whether the window holds changes to a file that are not in the book.
    bool HasUnsavedChanges() const;
    // The policies of the file the window holds, to issue them or void it.
    void IssuePolicies();
    // What needs doing in the book, listed.
    void ShowDue();
    // The month's remittance report of an underwriter, previewed; by
    // default the settings' underwriter and last month.
    void ShowReport(const QString& underwriter = {}, const QString& month = {});

    // An amount as the agent pastes it, ready for the engine's reader:
    // Unicode blanks and line breaks around it go, and one leading "$".
    static QString CleanAmount(const QString& text);

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    struct AmountField {
        QLineEdit* edit;
        FieldNote* note;
    };

    QLineEdit* AddField(QGridLayout* grid, int row, int column, const QString& label,
                        const char* name, FieldNote*& note);
    void Recompute();
    void ClearMarks();
    void MarkProblem(QLineEdit* edit, FieldNote* note, const QString& reason);
    std::optional<double> ReadAmount(const AmountField& field, bool& blocked);
    void ShowQuote(const StateCalcs::ClosingQuote& quote);
    void ShowNoFigures();
    void CopyQuote();
    void CopyTotal();
    void Print();
    void SaveAsPdf();
    // The printer's dialog, and the name of a PDF to write (empty: cancelled).
    bool AskPrinter(QPrinter& printer, const QString& title);
    QString AskPdfName(const QString& title, const QString& suggested);
    void RememberSplit(const QString& text);
    QString SplitHint() const;
    void FitToScreen();
    void CloseWindow() { close(); }

    QLineEdit* AddFileField(QGridLayout* grid, int row, int column, const QString& label,
                            const char* name);
    // `yesText` names the Yes button of a question that has no No.
    QMessageBox::StandardButton Ask(const QString& title, const QString& text,
                                    QMessageBox::StandardButtons buttons,
                                    const QString& yesText = {});
    // Whether the window may leave what it holds: nothing unsaved, or the
    // agent saved or discarded it.
    bool MayLeave();
    void ClearFile();
    QString Snapshot() const;
    QString ClosingKey() const;
    void MarkSaved();
    void ShowTitle();
    Book::FileDetails Details() const;
    QuoteHeading Heading() const;
    void ChooseBook();
    // The book opened for reading, or for writing; nothing when it cannot
    // be, with the reason in the book's note.
    Book::Book* OpenBook(bool forWriting);
    void ShowBookOff(const QString& why);
    void EditSettings();
    // Counts what needs doing in the open book, above the closing.
    void RefreshDue();

    QSettings& m_settings;
    Dialogs m_dialogs;
    QLineEdit* m_split;
    FieldNote* m_splitNote;
    FieldNote* m_settingsNote;
    AmountField m_price{}, m_loan{}, m_priorOwners{}, m_priorLoan{};
    QComboBox* m_coverage;
    EndorsementPicker* m_endorsements;
    QCheckBox* m_letter;
    FieldNote* m_status;
    QTableWidget* m_figures;
    QWidget* m_totals;
    QLabel *m_totalGross, *m_totalRemit;
    QTableWidget* m_trid;
    QPushButton *m_newQuote, *m_copyQuote, *m_copyTotal, *m_print, *m_savePdf;
    // The file.
    QLineEdit *m_fileNumber, *m_buyers, *m_sellers, *m_property, *m_county, *m_lender,
        *m_closingDate, *m_note;
    QComboBox* m_underwriter;
    FieldNote* m_bookNote;
    QPushButton *m_open, *m_save, *m_editSettings, *m_issuePolicies, *m_report, *m_due;
    // The book: where it is (nothing when it cannot be told), and open.
    std::optional<QString> m_bookOnCommandLine;
    std::optional<Book::BookLocation> m_location;
    std::unique_ptr<Book::Book> m_book;
    bool m_bookWritable = false;
    // The file as it is in the book: its number and the revision the edit
    // started from (0: not in the book), and what the window held then.
    QString m_openedFile;
    int m_revision = 0;
    // Its course: "" (nothing issued), "partly", "issued" or "voided".
    QString m_fileStatus;
    QString m_saved;
    bool m_loading = false;
    // The file's quote as priced when saved, shown until the agent changes
    // the closing; the engine's texts point into these.
    std::optional<Book::StoredQuote> m_storedQuote;
    QString m_storedKey, m_storedAt;
    std::int64_t m_storedSplit = 0;
    std::deque<std::string> m_storedTexts;
    bool m_showingStored = false;
    QString m_bookOff; // why the book cannot be opened, or empty
    // Once the settings could not be written, the window says so and stops
    // promising to remember the split.
    bool m_settingsUnwritable = false;
    bool m_fitted = false;
    // Fields the agent has left (or pressed <ENTER> in) since last typing in
    // them: an amount that is still being typed is not marked until then.
    QList<QLineEdit*> m_left;
    StateCalcs::ClosingRequest m_request;
    std::optional<StateCalcs::ClosingQuote> m_quote;
};

} // namespace closing
