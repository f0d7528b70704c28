#pragma once

// The instructions: six numbered notes on how to work the calculator, with
// Print and Close. One instance serves the whole run; Close only hides it.

#include "toolkit/Form.h"

namespace tk {
class CommandButton;
class Label;
} // namespace tk

class frmInst : public tk::Form {
public:
    frmInst();

    // The one program-wide instance, created on first use.
    static frmInst& Instance();

private:
    void cmdClose_Click();
    void cmdPrint_Click();

    tk::Label* Label2;
    tk::Label* lblInst1;
    tk::Label* lblInst2;
    tk::Label* LBLiNST3;
    tk::Label* lblInst4;
    tk::Label* lblInst5;
    tk::Label* LBLiNST6;
    tk::CommandButton* cmdPrint;
    tk::CommandButton* cmdClose;
};
