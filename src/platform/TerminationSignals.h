// The signals that ask the program to end now: SIGTERM (logging out, a
// service manager), SIGHUP (the terminal went away) and SIGINT (Ctrl-C).
// The handler does nothing but note the signal and write one byte into a
// pipe; the program reads it at its next message-pumping point and ends
// the way closing the window ends it. A second signal before the program
// has ended deletes the registered test files (ExitCleanup) and exits at
// once with 128 + the signal number.
// Install and read on the GUI thread.
#pragma once

namespace torvik::platform {

// Installs the handlers once; returns the pipe's reading end (non-blocking),
// which becomes readable when a signal arrived. -1 when no pipe could be made.
int InstallTerminationSignals();
// The number of the signal behind the next byte in the pipe, or 0 when
// there is none.
int TakeTerminationSignal();

}  // namespace torvik::platform
