#include "app/Main.h"

#include "windows/frmRates.h"

void Main()
{
    // A window of its own, not the program-wide instance; once shown, the
    // toolkit keeps it until it is unloaded, so no reference is kept here.
    auto* rates = new frmRates;
    rates->Show();
    rates = nullptr;
}
