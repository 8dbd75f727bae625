// The program's file dialogs. Each opens in the folder the last one was left
// in (kept in the program's data folder between runs), else in the user's
// home, never in the process's working folder (a menu's or a terminal's,
// often / or the program's own). Qt's file dialog keeps state of its own
// (history, last folder, view) in a QtProject.conf among the user's
// settings; here that file lives in the program's data folder instead.
// GUI thread.
#pragma once

#include <QString>
#include <QStringList>

class QWidget;

namespace torvik {

enum class FileDialogKind {
  kOpenFiles,  // one or more existing files
  kSaveFile,   // one file, new or to be replaced (asked first)
};

// Runs a modal file dialog proposing `fileName` (may be empty) with the name
// filters `filter`; the chosen paths, none when cancelled.
QStringList AskForFiles(QWidget* parent, FileDialogKind kind, const QString& caption, const QString& fileName,
                        const QString& filter);

}  // namespace torvik
