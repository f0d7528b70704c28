#pragma once

// The rate calculation window, where the agent spends the day: the premium
// split is typed once per run; then for each calculation a catalogue line is
// picked, the liability typed, and <ENTER> shows the charge ("Gross") and the
// part remitted to the underwriter ("Remit"). Continue puts the charge on the
// clipboard and clears the window for the next calculation.
//
// Which control does what: txtSplit takes the split; List1 the catalogue
// line; txt1 and txt2 the amounts; txtTotalCharge and txtRemit show the
// results; the command buttons in the right-hand column close a calculation
// (Continue), print the window, open the instructions and end the program.

#include "engine/Pricing.h"
#include "toolkit/Form.h"

#include <cstdint>
#include <optional>
#include <string>

namespace tk {
class CommandButton;
class Label;
class ListBox;
class TextBox;
} // namespace tk

class frmRates : public tk::Form {
public:
    frmRates();

    // The one program-wide instance, created on first use.
    static frmRates& Instance();

    // The figures of the last calculation by amount entry, in dollars,
    // unrounded; the display rounds them to cents.
    double TotalCharge = 0;
    double RemitAmount = 0;
    double Liability = 0;    // the amount handed to a premium schedule
    double FirstAmount = 0;  // txt1 as read on <ENTER> in txt2
    double SecondAmount = 0; // txt2, capped at FirstAmount
    double CreditAmount = 0; // taken off the full premium (402, 901, 903)

    std::string HeadingText;

protected:
    void Form_Load() override;
    void Form_Unload(std::int16_t& Cancel) override;

private:
    void txtSplit_KeyPress(std::int16_t& KeyAscii);
    void txtSplit_LostFocus();
    void List1_Click();
    void List1_KeyPress(std::int16_t& KeyAscii);
    void txt1_KeyPress(std::int16_t& KeyAscii);
    void txt2_KeyPress(std::int16_t& KeyAscii);
    void cmdContinue_Click();
    void cmdPrintForm_Click();
    void cmdInst_Click();
    void cmdExit_Click();

    bool CheckSplit();
    void AcceptSplit();
    void RejectSplit(const char* message);
    void LabelAmountFieldsForEntry();
    void ShowFixedCharge();
    void ShowResults(bool remittanceKnown);
    bool TakeRemittance(const StateCalcs::LinePricing& line);
    void AskForAmountIn(tk::TextBox* field);
    std::optional<double> SplitPercent() const;

    tk::TextBox* txtSplit;
    tk::ListBox* List1;
    tk::TextBox* txt1;
    tk::TextBox* txt2;
    tk::TextBox* txtTotalCharge;
    tk::TextBox* txtRemit;
    tk::Label* lbl1;
    tk::Label* lbl2;
    tk::Label* lblList1;
    tk::Label* lblAllInclusive;
    tk::Label* lblSplit;
    tk::Label* lblRemit;
    tk::Label* lblSplit2;
    tk::CommandButton* cmdInst;
    tk::Label* lblarrowdown2;
    tk::CommandButton* cmdChangeState;
    tk::CommandButton* cmdExit;
    tk::TextBox* txtHeading;
    tk::Label* Label1;
    tk::CommandButton* cmdContinue;
    tk::CommandButton* cmdPrintForm;
};
