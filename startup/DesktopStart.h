#pragma once

// What every Tarnwell desktop program does as it starts: it makes sure a
// display can be opened, saying so in one plain line when none can, and it
// gives its windows the family's icon.

#include <QtGlobal>

namespace startup {

// Ends the program with status 1 and one line on stderr when no display is
// named at all (no DISPLAY, WAYLAND_DISPLAY or QT_QPA_PLATFORM).
void RequireDisplay(const char* program);

// While alive, holds back Qt's messages: a display that is named but cannot
// be opened makes Qt print several lines and abort, where the agent is
// better served by one plain line and status 1. Make one just before the
// QApplication, and call Release once the QApplication is made.
class DisplayOpening {
public:
    explicit DisplayOpening(const char* program);
    ~DisplayOpening();
    DisplayOpening(const DisplayOpening&) = delete;
    DisplayOpening& operator=(const DisplayOpening&) = delete;

    // The display is open: the held messages go out as usual.
    void Release();
};

// The family's icon on the title bar and the task bar, in each size drawn,
// and the menu entry the desktop matches the windows with.
void SetWindowIcon(const char* desktopFileName);

} // namespace startup
