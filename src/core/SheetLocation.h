// Where the result sheet lives: beside the executable, its extension
// replaced by ".txt", whenever it can be written there; otherwise (an
// installed copy in a system folder) the same file name in the user's own
// data folder. Pure over a writability test; GUI thread.
#pragma once

#include <QString>
#include <functional>

namespace torvik {

// "/opt/t/torvik" gives "/opt/t/torvik.txt", "C:/x/TORVIK.EXE" "C:/x/TORVIK.txt".
QString SheetBesideExecutable(const QString& executable);

// True when this user may write `path` (a file or a folder).
using WritableTest = std::function<bool(const QString& path)>;

// The sheet beside `executable` when the file there is writable, or is
// missing and its folder is writable; else its name in `dataFolder`.
QString ChooseSheetPath(const QString& executable, const QString& dataFolder, const WritableTest& writable);

}  // namespace torvik
