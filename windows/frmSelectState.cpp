#include "windows/frmSelectState.h"

#include "engine/SharedStrings.h"
#include "toolkit/CommandButton.h"
#include "toolkit/KeyAscii.h"
#include "toolkit/Label.h"
#include "toolkit/ListBox.h"
#include "toolkit/Program.h"
#include "windows/Messages.h"
#include "windows/frmRates.h"

using namespace StateCalcs;

namespace {

constexpr tk::FontSpec kWindowFont{"MS Sans Serif", 9.75};
constexpr tk::FontSpec kSans825{"MS Sans Serif", 8.25};
constexpr tk::Label::Style kLeft{Qt::AlignLeft};

} // namespace

frmSelectState::frmSelectState()
    : tk::Form("frmSelectState", "Select State", 4185, 5025, kWindowFont, {})
{
    ListState = new tk::ListBox(this, "ListState", {1050, 1905, 2040, 1020}, kWindowFont);
    ListState->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    ListState->setAccessibleName(QStringLiteral("Underwriters"));
    cmdExit = new tk::CommandButton(this, "cmdExit", "Exit Program", {2865, 4410, 1110, 405},
                                    kSans825);
    // Drawn one twip-row high on purpose, so that none of its text shows.
    Label1 = new tk::Label(this, "Label1", "Label1", {570, 1320, 150, 15}, kSans825,
                           {Qt::AlignLeft, false, false});
    lblList1 = new tk::Label(this, "lblList1",
                             " Select Underwriter with Arrow Keys or Mouse...Then Press <ENTER>",
                             {750, 3435, 2685, 450}, kSans825, {Qt::AlignHCenter, true});
    lblList1->SetColour({192, 64, 0});
    Label2 = new tk::Label(this, "Label2", "v. 1.5  4/30/2007", {90, 4575, 1215, 210},
                           {"Arial", 8.25}, kLeft);
    Label2->SetColour({64, 64, 64});
    Label3 = new tk::Label(this, "Label3", "Vedivudi Doru Voruvodevi", {765, 1200, 2655, 240},
                           {"MS Sans Serif", 9.75, true}, kLeft);
    Label3->SetColour({192, 0, 0});
    Label4 = new tk::Label(this, "Label4", "Dunmarrow", {1275, 390, 1590, 435},
                           {"MS Sans Serif", 18, true}, kLeft);
    Label5 = new tk::Label(this, "Label5", "O", {2925, 615, 225, 315}, {"Garamond", 14.25}, kLeft);
    // A small "c" drawn inside the "O": the copyright mark of the name.
    Label6 = new tk::Label(this, "Label6", "c", {3005, 645, 60, 210}, {"Garamond", 9.75}, kLeft);
    Label6->raise();

    SetTabOrder({ListState, cmdExit});

    ListState->KeyPress = [this](std::int16_t& KeyAscii) { ListState_KeyPress(KeyAscii); };
    cmdExit->Click = [this] { cmdExit_Click(); };
}

void frmSelectState::Form_Load()
{
    ListState->AddItem("ZORVEK");
    ListState->AddItem("QMV");
    ListState->SetListIndex(0);
}

void frmSelectState::ListState_KeyPress(std::int16_t& KeyAscii)
{
    // Letters would move the highlight by first letter; only the arrows and
    // the mouse choose here.
    if (KeyAscii != tk::kEnter) {
        KeyAscii = 0;
        return;
    }
    UnderwriterCode = ListState->Text().substr(0, 3);
    if (UnderwriterCode == "QMV" || UnderwriterCode == "ZOR") {
        Hide();
        frmRates::Instance().Show();
    } else {
        MsgBox(Messages::kStateNotCompleted);
        ListState->SetFocus();
    }
}

void frmSelectState::cmdExit_Click()
{
    for (tk::Form* form : LoadedForms())
        form->Unload();
    tk::Program::End();
}
