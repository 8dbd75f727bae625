// UserHome: whether the program may keep its files where Qt would put them.
// The settings go under the config home (XDG_CONFIG_HOME, else
// $HOME/.config), the results store, the sheet of an installed copy and the
// windows' sizes under the data home (XDG_DATA_HOME, else
// $HOME/.local/share); below those the program makes its own folders, but it
// never makes a home: a HOME that names no folder (unset, relative, missing,
// a file) is refused wherever something would be kept under it, before
// anything runs. An XDG folder given as an absolute path may be made, as the
// XDG rules ask. Any thread; FolderRefusal reads the file system.
#pragma once

#include <QCoreApplication>
#include <QString>

namespace torvik {

namespace texts {
inline QString HomeNotSet() {
  return QCoreApplication::translate("UserHome",
                                     "ホームフォルダ (HOME) が設定されていないため、設定と計測結果を保存できません");
}
inline QString HomeNotAbsolute() {
  return QCoreApplication::translate(
      "UserHome", "ホームフォルダ (HOME) の %1 が絶対パスではないため、設定と計測結果を保存できません");
}
inline QString HomeMissing() {
  return QCoreApplication::translate("UserHome",
                                     "ホームフォルダ (HOME) の %1 がないため、設定と計測結果を保存できません");
}
inline QString HomeNotAFolder() {
  return QCoreApplication::translate(
      "UserHome", "ホームフォルダ (HOME) の %1 がフォルダではないため、設定と計測結果を保存できません");
}
}  // namespace texts

// The variables that place the user's folders, as the process has them
// (empty when unset).
struct HomeEnvironment {
  QString home;        // HOME
  QString configHome;  // XDG_CONFIG_HOME
  QString dataHome;    // XDG_DATA_HOME
  static HomeEnvironment Current();
};

enum class UserFolder { Config, Data };

// Why nothing can be kept in `folder` (one line, the user's words): its
// home is HOME and HOME names no folder. Empty when it can.
QString FolderRefusal(const HomeEnvironment& environment, UserFolder folder);

// What a command may keep under the user's folders.
struct KeptFiles {
  bool settings = false;  // the settings file (the window's dialogs)
  bool data = false;      // this PC's results store, the sheet there, the windows' sizes
};
// Why they cannot be kept: the refusal of the first folder that cannot
// take them (FolderRefusal). Empty when they can, or nothing is kept.
QString KeepingRefusal(const HomeEnvironment& environment, KeptFiles kept);

}  // namespace torvik
