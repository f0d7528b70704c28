#pragma once

// How the program names itself and where it keeps its settings. The
// desktop and screen readers know it as "Tarnwell Closing Quote"; its
// settings stay in the file they have always been in
// (~/.config/Tarnwell/Closing.conf on Linux), so that a split remembered by
// an earlier version is still there.

#include <QSettings>

#include <memory>

namespace closing {

// Sets the application's names; call once the QApplication exists.
void NameApplication();

// The program's settings, whatever the application is called.
std::unique_ptr<QSettings> OpenSettings();

} // namespace closing
