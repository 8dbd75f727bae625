// The per-user settings: group "Locate" with the string values Drv (the test
// path), YName (the user's name) and PCName (the PC's name). Every access
// opens the store afresh, reads or writes, and closes it: nothing is cached.
// GUI thread.
#pragma once

#include <QCoreApplication>
#include <QString>

namespace torvik {

namespace texts {
inline QString SettingsNotAFile() {
  return QCoreApplication::translate("SettingsStore", "設定ファイル %1 は通常のファイルではありません");
}
}  // namespace texts

namespace settings {
// The shared results store's URL: group Store, key Url (never a password).
inline const QString kStoreUrl = QStringLiteral("Store/Url");
inline const QString kDrive = QStringLiteral("Drv");
inline const QString kUserName = QStringLiteral("YName");
inline const QString kPcName = QStringLiteral("PCName");
}  // namespace settings

class SettingsStore {
 public:
  virtual ~SettingsStore() = default;
  // The value, or `fallback` when it is missing. A value that is not a plain
  // string raises TorvikError("'<name>' のﾃﾞｰﾀ型が不正です"), a settings file
  // that is not a regular file (a FIFO, a folder) TorvikError(texts::SettingsNotAFile()).
  virtual QString Read(const QString& name, const QString& fallback) = 0;
  virtual void Write(const QString& name, const QString& value) = 0;
};

// The store of QSettings: on Linux ~/.config/Varn/TORVIK.conf, on Windows
// HKEY_CURRENT_USER\Software\Varn\TORVIK.
class UserSettingsStore : public SettingsStore {
 public:
  // The user's own store.
  UserSettingsStore() = default;
  // An INI file at `path` instead (tests).
  explicit UserSettingsStore(const QString& path) : path_(path) {}

  QString Read(const QString& name, const QString& fallback) override;
  void Write(const QString& name, const QString& value) override;

 private:
  QString path_;
};

// The default test path: the user's home directory with a trailing "/".
QString DefaultTestPath();

// The user's settings file: ~/.config/Varn/TORVIK.conf on Linux.
QString UserSettingsFile();

// The shared results store's URL from the user's settings file (group
// Store, key Url); empty when none is set or the file cannot be read, and
// when it is not a plain string (`wrongType` then says so).
QString SharedStoreUrl(bool* wrongType = nullptr);
// Keeps `url` there (removes the key for an empty one); false when the
// file cannot be written or is not a regular file. A file that holds a
// [Store] group is readable by its owner alone (0600): a server's address
// and its user are nobody else's business.
bool SetSharedStoreUrl(const QString& url);

}  // namespace torvik
