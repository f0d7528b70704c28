#pragma once

// The closing quote window: everything the agent types about one closing at
// the top (split, amounts, coverage), the endorsements and the closing
// protection letter in the middle, and at the bottom every title charge of
// the closing with its Gross and Remit, the totals and the TRID disclosure,
// recomputed at every key. The quote goes out by the clipboard, the printer
// or a PDF file, without the split and the remittances.
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

    QSettings& m_settings;
    Dialogs m_dialogs;
    QLineEdit* m_split;
    FieldNote* m_splitNote;
    AmountField m_price{}, m_loan{}, m_priorOwners{}, m_priorLoan{};
    QComboBox* m_coverage;
    EndorsementPicker* m_endorsements;
    QCheckBox* m_letter;
    FieldNote* m_status;
    QTableWidget* m_figures;
    QLabel* m_tridNone;
    QLabel *m_lendersName, *m_lendersDisclosed, *m_lendersCharged;
    QLabel *m_ownersName, *m_ownersDisclosed, *m_ownersCharged;
    QPushButton *m_copyQuote, *m_copyTotal, *m_print, *m_savePdf;
    // Fields the agent has left (or pressed <ENTER> in) since last typing in
    // them: an amount that is still being typed is not marked until then.
    QList<QLineEdit*> m_left;
    StateCalcs::ClosingRequest m_request;
    std::optional<StateCalcs::ClosingQuote> m_quote;
};

} // namespace closing
