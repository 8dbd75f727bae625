// The result sheet: where it lives (beside the executable, its extension
// replaced by ".txt", whenever it can be written there; otherwise, for an
// installed copy in a system folder, the same file name in the user's own
// data folder) and how a block is added to it. GUI thread.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <functional>

namespace torvik {

// "/opt/t/torvik" gives "/opt/t/torvik.txt", "C:/x/TORVIK.EXE" "C:/x/TORVIK.txt".
QString SheetBesideExecutable(const QString& executable);

// True when this user may write `path` (a file or a folder).
using WritableTest = std::function<bool(const QString& path)>;

// The sheet beside `executable` when the file there is writable, or is
// missing and its folder is writable, and that folder is not one of the
// system's program folders (/usr/bin, /usr/local/bin, ...); else its name
// in `dataFolder`.
QString ChooseSheetPath(const QString& executable, const QString& dataFolder, const WritableTest& writable);

// This program's sheet: ChooseSheetPath for the running executable, the
// user's data folder (~/.local/share/Varn/TORVIK) and this user's rights.
QString DefaultSheetPath();

// The bytes of a block on the sheet: every line ended by CR LF, UTF-8.
QByteArray SheetBytes(const QStringList& lines);
// Appends `bytes` to the sheet at `path` (its folder made first when
// missing): 0, or the errno of the open, the write or the close.
int AppendToSheet(const QString& path, const QByteArray& bytes);

}  // namespace torvik
