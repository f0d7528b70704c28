#include "windows/frmRates.h"

#include "engine/Catalogue.h"
#include "engine/NumberText.h"
#include "engine/Pricing.h"
#include "engine/SharedStrings.h"
#include "toolkit/Clipboard.h"
#include "toolkit/CommandButton.h"
#include "toolkit/KeyAscii.h"
#include "toolkit/Label.h"
#include "toolkit/ListBox.h"
#include "toolkit/Program.h"
#include "toolkit/TextBox.h"
#include "windows/KeyFilter.h"
#include "windows/Messages.h"
#include "windows/frmInst.h"

#include <QPointer>

using namespace StateCalcs;

namespace {

// The split is a percentage of each charge; an agency's split lies from 10
// to 70 percent, both included.
constexpr double kLowestSplit = 10;
constexpr double kHighestSplit = 70;

constexpr tk::FontSpec kSans825{"MS Sans Serif", 8.25};
constexpr tk::FontSpec kSans825Bold{"MS Sans Serif", 8.25, true};
constexpr tk::FontSpec kSans975{"MS Sans Serif", 9.75};
constexpr tk::FontSpec kSans975Bold{"MS Sans Serif", 9.75, true};
// The window's own font; only the Instructions button uses it.
constexpr tk::FontSpec kWindowFont{"MS Sans Serif", 8.25, false, true};

constexpr tk::Rgb kDarkGrey{64, 64, 64};
constexpr tk::Rgb kGreen{0, 128, 0};
constexpr tk::Rgb kBlue{0, 0, 192};
constexpr tk::Rgb kLavender{128, 128, 255};
constexpr tk::Rgb kRed{255, 0, 0};
constexpr tk::Rgb kPaleGreen{192, 255, 192};
constexpr tk::Rgb kPaleCyan{192, 255, 255};

using Style = tk::Label::Style;
constexpr Style kLeft{Qt::AlignLeft};
constexpr Style kRight{Qt::AlignRight};
constexpr Style kCentred{Qt::AlignHCenter};

} // namespace

frmRates::frmRates()
    : tk::Form("frmRates", "Arkansas Rates", 7140, 7725, kWindowFont,
               {.minimizeButton = true, .positionTwips = std::nullopt})
{
    txtSplit = new tk::TextBox(this, "txtSplit", {3225, 990, 750, 285}, kSans825);
    txtSplit->SetMaxLength(5);
    txtSplit->setAlignment(Qt::AlignCenter);
    txtSplit->setAccessibleName(QStringLiteral("Premium split percentage"));

    List1 = new tk::ListBox(this, "List1", {345, 2010, 6435, 2985}, kSans825);
    List1->setEnabled(false);
    List1->setAccessibleName(QStringLiteral("Rate entries"));

    txt1 = new tk::TextBox(this, "txt1", {3255, 5355, 1455, 375}, kSans975);
    txt1->setEnabled(false);
    txt1->setAlignment(Qt::AlignCenter);

    txt2 = new tk::TextBox(this, "txt2", {3255, 5820, 1455, 375}, kSans975);
    txt2->setVisible(false);
    txt2->setAlignment(Qt::AlignCenter);

    txtTotalCharge = new tk::TextBox(this, "txtTotalCharge", {3255, 6540, 1455, 375}, kSans975Bold);
    txtTotalCharge->SetColours(kDarkGrey, kPaleGreen.toColor());
    txtTotalCharge->SetTabStop(false);
    txtTotalCharge->SetMaxLength(25);
    txtTotalCharge->setAlignment(Qt::AlignCenter);
    txtTotalCharge->setAccessibleName(QStringLiteral("Gross"));

    txtRemit = new tk::TextBox(this, "txtRemit", {3270, 7020, 1455, 375}, kSans975Bold);
    txtRemit->SetColours(kDarkGrey, kPaleCyan.toColor());
    txtRemit->SetTabStop(false);
    txtRemit->setAlignment(Qt::AlignCenter);
    txtRemit->setAccessibleName(QStringLiteral("Remit"));

    lbl1 = new tk::Label(this, "lbl1", "Liability", {165, 5415, 2760, 255}, kSans975, kRight);
    lbl2 = new tk::Label(this, "lbl2", "Prior Liability", {120, 5895, 2805, 255}, kSans975, kRight);
    lbl2->setVisible(false);
    // The amount fields are read out by their captions, whatever these say.
    lbl1->setBuddy(txt1);
    lbl2->setBuddy(txt2);
    lblList1 = new tk::Label(this, "lblList1",
                             " Select with Arrow Keys or Mouse...Then Press <ENTER>",
                             {480, 1530, 4425, 240}, kSans825, kCentred);
    lblList1->SetColour(kGreen);
    lblAllInclusive = new tk::Label(this, "lblAllInclusive", "Gross", {2295, 6615, 630, 240},
                                    kSans975Bold, kRight);
    lblAllInclusive->SetColour(kGreen);
    lblSplit = new tk::Label(this, "lblSplit", "Enter Split >", {2040, 1005, 1065, 195},
                             kSans825Bold, kLeft);
    lblSplit->SetColour(kBlue);
    lblRemit = new tk::Label(this, "lblRemit", "Remit", {2310, 7095, 615, 255}, kSans975Bold,
                             kRight);
    lblRemit->SetColour(kLavender);
    lblSplit2 = new tk::Label(this, "lblSplit2", "%", {4050, 1035, 150, 195}, kSans825Bold, kLeft);
    lblSplit2->SetColour(kBlue);

    cmdInst = new tk::CommandButton(this, "cmdInst", "Instructions", {5505, 6720, 1110, 420},
                                    kWindowFont);
    cmdInst->setEnabled(false);

    lblarrowdown2 = new tk::Label(this, "lblarrowdown2", "v", {2565, 1785, 90, 195}, kSans825,
                                  kLeft);
    lblarrowdown2->SetColour(kGreen);

    // Kept for the underwriter choice; never shown and never does anything.
    cmdChangeState = new tk::CommandButton(this, "cmdChangeState", "  Change Underwriter",
                                           {510, 6855, 1110, 540}, kSans825);
    cmdChangeState->setEnabled(false);
    cmdChangeState->setVisible(false);

    cmdExit = new tk::CommandButton(this, "cmdExit", "Exit Program", {5505, 7185, 1110, 420},
                                    kSans825);
    cmdExit->setEnabled(false);

    txtHeading = new tk::TextBox(this, "txtHeading", {705, 255, 5820, 540},
                                 {"MS Sans Serif", 18, true});
    txtHeading->SetColours(kRed, palette().color(QPalette::Window));
    txtHeading->SetBorder(false);
    txtHeading->SetTabStop(false);
    txtHeading->SetMaxLength(50);
    txtHeading->setAlignment(Qt::AlignCenter);

    Label1 = new tk::Label(this, "Label1", "Rates effective  2/1/2013", {5475, 1395, 1185, 435},
                           kSans825, {Qt::AlignHCenter, true});
    Label1->SetColour(kRed);

    cmdContinue = new tk::CommandButton(this, "cmdContinue", "    Continue         ( Reset ) ",
                                        {5505, 5280, 1110, 615}, kSans825);
    cmdContinue->setEnabled(false);

    cmdPrintForm = new tk::CommandButton(this, "cmdPrintForm", "Print Form",
                                         {5505, 6075, 1110, 510}, kSans825);

    SetTabOrder({txtSplit, List1, txt1, txt2, txtTotalCharge, txtRemit, cmdInst, cmdChangeState,
                 cmdExit, txtHeading, cmdContinue, cmdPrintForm});

    txtSplit->KeyPress = [this](std::int16_t& KeyAscii) { txtSplit_KeyPress(KeyAscii); };
    txtSplit->LostFocus = [this] { txtSplit_LostFocus(); };
    List1->Click = [this] { List1_Click(); };
    List1->KeyPress = [this](std::int16_t& KeyAscii) { List1_KeyPress(KeyAscii); };
    txt1->KeyPress = [this](std::int16_t& KeyAscii) { txt1_KeyPress(KeyAscii); };
    txt2->KeyPress = [this](std::int16_t& KeyAscii) { txt2_KeyPress(KeyAscii); };
    cmdContinue->Click = [this] { cmdContinue_Click(); };
    cmdPrintForm->Click = [this] { cmdPrintForm_Click(); };
    cmdInst->Click = [this] { cmdInst_Click(); };
    cmdExit->Click = [this] { cmdExit_Click(); };
}

frmRates& frmRates::Instance()
{
    static QPointer<frmRates> instance;
    if (!instance)
        instance = new frmRates;
    return *instance;
}

void frmRates::Form_Load()
{
    HeadingText = "QMV Arkansas";
    HeadingText = HeadingText + " " + "Rate Calculations";
    txtHeading->SetText(HeadingText);
    txtHeading->ShrinkFontToFitText();
    for (const auto line : RateEntries)
        List1->AddItem(std::string(line));
    List1->SetListIndex(0);
}

void frmRates::Form_Unload(std::int16_t& Cancel)
{
    (void)Cancel; // the window always unloads
}

// ---- The premium split ------------------------------------------------------

void frmRates::txtSplit_KeyPress(std::int16_t& KeyAscii)
{
    if (!IsNumericFieldKey(KeyAscii)) {
        KeyAscii = 0;
        return;
    }
    if (KeyAscii != tk::kEnter)
        return;
    if (CheckSplit())
        List1->SetFocus();
}

void frmRates::txtSplit_LostFocus()
{
    CheckSplit();
}

// Accepts the split only when the whole text is a plain number in range: a
// text that merely begins with one (12.., 15,0) would lock every remittance
// of the run to a wrong split. <ENTER> and leaving the field check the same
// range, so that a split once accepted is never emptied in its locked field.
bool frmRates::CheckSplit()
{
    const std::string split = txtSplit->Text();
    if (split.empty()) {
        RejectSplit(Messages::kEnterSplit);
        return false;
    }
    const double leading = LeadingNumber(split);
    if (leading < kLowestSplit || leading > kHighestSplit || !IsPlainNumber(split)) {
        RejectSplit(Messages::kInvalidSplit);
        return false;
    }
    AcceptSplit();
    return true;
}

void frmRates::RejectSplit(const char* message)
{
    MsgBox(message);
    txtSplit->SetText("");
    txtSplit->SetFocus();
}

// The split holds for the whole run: the field is locked and left out of
// the Tab order, and what leads into a calculation becomes usable.
void frmRates::AcceptSplit()
{
    txtSplit->SetText(FormatStandard(txtSplit->Text()));
    cmdContinue->setEnabled(true);
    cmdChangeState->setEnabled(true);
    cmdExit->setEnabled(true);
    txt1->setEnabled(true);
    List1->setEnabled(true);
    cmdInst->setEnabled(true);
    txtSplit->SetTabStop(false);
    txtSplit->SetLocked(true);
}

std::optional<double> frmRates::SplitPercent() const
{
    return ParseNumber(txtSplit->Text());
}

// ---- Entry selection ----------------------------------------------------------

void frmRates::List1_Click()
{
    txt1->SetText("");
    txt2->SetText("");
    txtTotalCharge->SetText("");
    txtRemit->SetText("");
    txt2->setVisible(false);
    lbl2->setVisible(false);
    Liability = 0;
    RateCode = RateCodeOf(List1->Text());
    LabelAmountFieldsForEntry();
    if (IsFixedEntry(RateCode))
        ShowFixedCharge();
}

// Shows the second amount field where the entry needs one and names the
// amounts it asks for.
void frmRates::LabelAmountFieldsForEntry()
{
    if (ClassOf(RateCode) == EntryClass::TwoAmount) {
        lbl2->setVisible(true);
        txt2->setVisible(true);
        lbl2->SetCaption(RateCode == "402" ? "Owners Policy Liability" : "Prior Policy Liability");
    }
    lbl1->SetCaption(ClassOf(RateCode) == EntryClass::EndorsedCharge ? "Charge for Endorsed Policy"
                                                                     : "Liability");
}

// A fixed entry's charge and remittance are known as soon as it is picked;
// the remittance is taken on the charge as shown.
void frmRates::ShowFixedCharge()
{
    txt1->SetText("N/A");
    const auto line = PriceLine(RateCode, {}, SplitPercent());
    txtTotalCharge->SetText(ChargeText(*line));
    txtRemit->SetText(line->remit ? FormatStandard(*line->remit) : "");
}

void frmRates::List1_KeyPress(std::int16_t& KeyAscii)
{
    RateCode = RateCodeOf(List1->Text());
    if (KeyAscii == tk::kEnter && !IsFixedEntry(RateCode))
        txt1->SetFocus();
}

// ---- Amount entry -------------------------------------------------------------

void frmRates::AskForAmountIn(tk::TextBox* field)
{
    MsgBox(Messages::kEnterAmount);
    field->SetFocus();
}

void frmRates::txt1_KeyPress(std::int16_t& KeyAscii)
{
    if (!IsNumericFieldKey(KeyAscii))
        KeyAscii = 0;
    RateCode = RateCodeOf(List1->Text());
    if (KeyAscii != tk::kEnter)
        return;
    // A fixed entry's charge is already on screen; a number typed over "N/A"
    // prices nothing.
    if (IsFixedEntry(RateCode))
        return;
    const auto typed = ParseNumber(txt1->Text());
    if (!typed) {
        AskForAmountIn(txt1);
        return;
    }
    txt1->SetText(FormatStandard(*typed));
    if (!txt2->isHidden()) {
        txt2->SetFocus(); // the two-amount entries are priced from txt2
        return;
    }
    // Priced on the amount as shown, to the cent.
    Liability = *ParseNumber(txt1->Text());
    bool remittanceKnown = true;
    const EntryClass entry = ClassOf(RateCode);
    if (entry == EntryClass::Schedule || entry == EntryClass::EndorsedCharge) {
        const auto line = PriceLine(RateCode, {Liability, 0}, SplitPercent());
        if (!line) {
            AskForAmountIn(txt1); // beyond what the arithmetic can price
            return;
        }
        TotalCharge = line->total;
        remittanceKnown = TakeRemittance(*line);
    }
    ShowResults(remittanceKnown);
}

void frmRates::txt2_KeyPress(std::int16_t& KeyAscii)
{
    if (!IsNumericFieldKey(KeyAscii))
        KeyAscii = 0;
    RateCode = RateCodeOf(List1->Text());
    if (KeyAscii != tk::kEnter)
        return;
    const auto second = ParseNumber(txt2->Text());
    if (!second) {
        AskForAmountIn(txt2);
        return;
    }
    const auto first = ParseNumber(txt1->Text());
    if (!first) {
        AskForAmountIn(txt1);
        return;
    }
    txt2->SetText(FormatStandard(*second));
    FirstAmount = *first;
    SecondAmount = *ParseNumber(txt2->Text());
    Liability = FirstAmount;
    // The second liability never counts for more than the first.
    if (SecondAmount > FirstAmount) {
        SecondAmount = FirstAmount;
        txt2->SetText(FormatStandard(SecondAmount));
    }
    bool remittanceKnown = true;
    if (ClassOf(RateCode) == EntryClass::TwoAmount) {
        const auto line = PriceLine(RateCode, {FirstAmount, SecondAmount}, SplitPercent());
        if (!line) {
            AskForAmountIn(txt1);
            return;
        }
        TotalCharge = line->total;
        if (line->credit)
            CreditAmount = *line->credit;
        remittanceKnown = TakeRemittance(*line);
    }
    ShowResults(remittanceKnown);
}

// The remittance of a priced line, unrounded; false when the split could not
// be read, so that no remittance is shown rather than a wrong one.
bool frmRates::TakeRemittance(const StateCalcs::LinePricing& line)
{
    if (!line.remit)
        return false;
    RemitAmount = *line.remit;
    return true;
}

void frmRates::ShowResults(bool remittanceKnown)
{
    txtTotalCharge->SetText(FormatStandard(TotalCharge));
    txtRemit->SetText(remittanceKnown ? FormatStandard(RemitAmount) : "");
    cmdContinue->SetFocus();
}

// ---- The commands ---------------------------------------------------------------

void frmRates::cmdContinue_Click()
{
    const std::string total = txtTotalCharge->Text();
    tk::Clipboard::Clear();
    tk::Clipboard::SetText(total);
    if (tk::Clipboard::GetText() != total)
        MsgBox(Messages::kNotCopied);

    txt1->SetText("");
    txt2->SetText("");
    txtTotalCharge->SetText("");
    txtRemit->SetText("");
    txt2->setVisible(false);
    lbl1->SetCaption("Liability");
    lbl2->setVisible(false);
    lbl2->SetCaption("Prior Liability");
    TotalCharge = 0;
    CreditAmount = 0;
    RemitAmount = 0;
    Liability = 0;
    RateCode.clear();
    // Picking the same line again shows a fixed entry's charge once more and
    // leaves an amount entry ready for its next amount.
    List1->SetListIndex(List1->ListIndex());
    List1->SetFocus();
    RateCode = RateCodeOf(List1->Text());
    LabelAmountFieldsForEntry();
}

void frmRates::cmdPrintForm_Click()
{
    if (!PrintForm())
        MsgBox(Messages::kNotPrinted);
}

void frmRates::cmdInst_Click()
{
    frmInst::Instance().Show(Modality::Modal);
}

void frmRates::cmdExit_Click()
{
    Unload();
    tk::Program::End();
}
