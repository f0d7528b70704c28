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
// Who does what: EndorsementPicker holds the endorsement list and its
// filter, FieldNote the one-line notes and the marks, QuoteDocument the
// copied and printed quote; the figures come from the engine's QuoteClosing.

#include "engine/Closing.h"

#include <QWidget>

#include <functional>
#include <optional>

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
    };

    // The split is remembered in `settings` from one run to the next.
    explicit ClosingWindow(QSettings& settings, Dialogs dialogs = {}, QWidget* parent = nullptr);
    ~ClosingWindow() override;

    // The quote the window shows; nothing while it shows no figures.
    const std::optional<StateCalcs::ClosingQuote>& Quote() const { return m_quote; }

    // Clears the closing for the next one; the split stays.
    void NewQuote();

    // An amount as the agent pastes it, ready for the engine's reader:
    // Unicode blanks and line breaks around it go, and one leading "$".
    static QString CleanAmount(const QString& text);

protected:
    void showEvent(QShowEvent* event) override;

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
    void RememberSplit(const QString& text);
    QString SplitHint() const;
    void FitToScreen();
    void CloseWindow() { close(); }

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
