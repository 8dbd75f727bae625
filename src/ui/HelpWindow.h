// The help engine: a small window that shows a help file's contents from
// its start. Help files are looked up beside the executable, then in the
// current directory; a missing file gets the engine's own message.
// GUI thread only.
#pragma once

#include <QString>

class QWidget;

namespace torvik {

// Shows the contents of `helpFile` (a bare file name such as "TORVIK.HLP").
void ShowHelpContents(QWidget* parent, const QString& helpFile);

// Where `helpFile` is found; empty when it is nowhere.
QString LocateHelpFile(const QString& helpFile);

}  // namespace torvik
