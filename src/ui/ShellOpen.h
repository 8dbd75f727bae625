// Opening a file or a link with the user's own program (the desktop's
// handler for its type). A failure is ignored. Tests may put a recorder in
// place of the desktop. GUI thread.
#pragma once

#include <QString>
#include <functional>

namespace torvik {

// A web address, a "mailto:" link or a local file path.
void ShellOpen(const QString& target);

using ShellOpener = std::function<void(const QString&)>;
// Replaces the desktop's handler (an empty function restores it).
void SetShellOpener(ShellOpener opener);

}  // namespace torvik
