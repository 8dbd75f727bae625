// Opening a file or a link with the user's own program (the desktop's
// handler for its type). A local file goes to xdg-open, watched without
// waiting for it: when no program opens the file (no handler for its type,
// xdg-open missing), one line on standard error says so; the window shows
// nothing. Tests may put a recorder in place of the desktop. GUI thread.
#pragma once

#include <QString>
#include <functional>

namespace torvik {

// A web address, a "mailto:" link or a local file path.
void ShellOpen(const QString& target);

using ShellOpener = std::function<void(const QString&)>;
// Replaces the desktop's handler (an empty function restores it).
void SetShellOpener(ShellOpener opener);

// Where the line about a file no program opened goes: standard error unless
// a test listens (an empty function restores standard error).
using ShellFailureListener = std::function<void(const QString& line)>;
void SetShellFailureListener(ShellFailureListener listener);

}  // namespace torvik
