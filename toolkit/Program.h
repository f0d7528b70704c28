#pragma once

// The run of the program: its event loop and its end. Ending the program
// unloads every window and leaves the loop; the windows themselves are
// destroyed by the caller of Run, before the QApplication goes.

namespace tk::Program {

// Starts a run: nothing has ended yet.
void Begin();

// Runs the event loop until End is called; returns the exit code (0).
int Run();

// Unloads every loaded window (without their unload handlers) and stops the
// event loop, including any modal window's. Safe to call more than once.
void End();

bool HasEnded();

// Destroys every window the program created, loaded or not.
void DestroyAllForms();

} // namespace tk::Program
