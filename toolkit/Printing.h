#pragma once

// Printing a window's image on the system's default printer. The image has
// the size the window has on screen, measured at the screen's resolution,
// and is scaled down only where it would not fit the printable area.

#include <functional>
#include <memory>

class QPrinter;
class QWidget;

namespace tk {

// Prints an image of the window's client area as it stands. False when no
// printer is installed or the printer could not be used.
bool PrintWindowImage(QWidget* window);

// Where printing goes: by default the system's default printer (nothing when
// there is none). Tests stand in a printer that writes a PDF file.
using PrinterFactory = std::function<std::unique_ptr<QPrinter>()>;
void SetPrinterFactory(PrinterFactory factory); // empty: the default printer

} // namespace tk
