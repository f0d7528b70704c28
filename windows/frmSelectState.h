#pragma once

// The underwriter selection: the agent picks the underwriter the rates are
// calculated for, then the rate window opens. The start-up of this program
// does not show it; it is here, complete, for a start-up that does.

#include "toolkit/Form.h"

#include <cstdint>

namespace tk {
class CommandButton;
class Label;
class ListBox;
} // namespace tk

class frmSelectState : public tk::Form {
public:
    frmSelectState();

protected:
    void Form_Load() override;

private:
    void ListState_KeyPress(std::int16_t& KeyAscii);
    void cmdExit_Click();

    tk::ListBox* ListState;
    tk::CommandButton* cmdExit;
    tk::Label* Label1;
    tk::Label* lblList1;
    tk::Label* Label2;
    tk::Label* Label3;
    tk::Label* Label4;
    tk::Label* Label5;
    tk::Label* Label6;
};
