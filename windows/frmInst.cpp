#include "windows/frmInst.h"

#include "toolkit/CommandButton.h"
#include "toolkit/Label.h"
#include "windows/Messages.h"

#include <QPointer>

namespace {

constexpr tk::FontSpec kWindowFont{"MS Sans Serif", 8.25};
constexpr tk::FontSpec kNoteFont{"MS Sans Serif", 9.75};
constexpr tk::Rgb kMagenta{255, 0, 255};
constexpr tk::Rgb kBlue{0, 0, 255};
constexpr tk::Label::Style kNote{Qt::AlignLeft, true};

// The notes, word for word, blanks included.
constexpr const char* kNote1 = "1.  Although you may use the Tab or mouse to move between fields, "
                               "you will be most efficient using the <ENTER> key. ";
constexpr const char* kNote2
    = "2.  Each time you start the program, you will need to re-enter your premium split. "
      "It is therefore preferable to minimize the program rather than close it if you are "
      "going to perform additional calculations soon afterward. ";
constexpr const char* kNote3
    = "3.  To change the entry made for the premium split, it is necessary to exit and "
      "restart the program. ";
constexpr const char* kNote4
    = "4.  Once you select a premium split, the program will not cycle you through this "
      "field again. ";
constexpr const char* kNote5
    = "5.  The value in the \"Total Charge/All-Inclusive\" field is saved to the Windows "
      "Clipboard when the \"Continue\" button is clicked or pressed. This feature will allow "
      "you to immediately right-click and paste that saved value into a field such as a HUD "
      "line in any other program. ";
constexpr const char* kNote6
    = "6.  Please call your QMV Agency Office if you need assistance with this program.   ";

} // namespace

frmInst::frmInst()
    : tk::Form("frmInst", "Instructions", 7335, 7320, kWindowFont,
               {.minimizeButton = false, .positionTwips = QPoint(1320, 1440)})
{
    Label2 = new tk::Label(this, "Label2", "Instructions", {2490, 270, 2010, 435},
                           {"MS Sans Serif", 18, true}, {Qt::AlignHCenter});
    lblInst1 = new tk::Label(this, "lblInst1", kNote1, {345, 975, 6675, 555}, kNoteFont, kNote);
    lblInst1->SetColour(kMagenta);
    lblInst2 = new tk::Label(this, "lblInst2", kNote2, {345, 1674, 6675, 975}, kNoteFont, kNote);
    lblInst2->SetColour(kBlue);
    LBLiNST3 = new tk::Label(this, "LBLiNST3", kNote3, {345, 2775, 6675, 555}, kNoteFont, kNote);
    LBLiNST3->SetColour(kMagenta);
    lblInst4 = new tk::Label(this, "lblInst4", kNote4, {345, 3465, 6675, 540}, kNoteFont, kNote);
    lblInst4->SetColour(kBlue);
    lblInst5 = new tk::Label(this, "lblInst5", kNote5, {330, 4185, 6675, 1035}, kNoteFont, kNote);
    lblInst5->SetColour(kMagenta);
    LBLiNST6 = new tk::Label(this, "LBLiNST6", kNote6, {300, 5310, 6675, 780}, kNoteFont, kNote);
    LBLiNST6->SetColour(kBlue);
    cmdPrint = new tk::CommandButton(this, "cmdPrint", "Print", {540, 6540, 1155, 435},
                                     kWindowFont);
    cmdClose = new tk::CommandButton(this, "cmdClose", "Close", {5880, 6540, 1155, 435},
                                     kWindowFont);

    SetTabOrder({cmdClose, cmdPrint});

    cmdClose->Click = [this] { cmdClose_Click(); };
    cmdPrint->Click = [this] { cmdPrint_Click(); };
}

frmInst& frmInst::Instance()
{
    static QPointer<frmInst> instance;
    if (!instance)
        instance = new frmInst;
    return *instance;
}

void frmInst::cmdClose_Click()
{
    Hide();
}

void frmInst::cmdPrint_Click()
{
    if (!PrintForm())
        MsgBox(Messages::kNotPrinted);
}
