// The rules a test directory must meet before any test file is made there,
// in one place for the settings dialog, the test groups and the command
// line: an absolute path naming an existing directory, on a fixed local
// disk, in which this user can really create a file. The stored path is
// read as the directory it names, a trailing "/" added where it lacks one.
// GUI thread (or the command line's one thread).
#pragma once

#include <QCoreApplication>
#include <QString>

#include "platform/FileSystem.h"
#include "platform/SystemSources.h"

namespace torvik {

namespace texts {
inline QString NotAHardDisk() {
  return QCoreApplication::translate("TestPathRules", "HDD以外のデバイスが指定されました");
}
inline QString NotAbsolutePath() {
  return QCoreApplication::translate("TestPathRules", "フォルダは「/」で始まるパスで指定してください");
}
inline QString FolderMissing() {
  return QCoreApplication::translate("TestPathRules", "指定されたフォルダが見つかりません");
}
inline QString NotAFolder() {
  return QCoreApplication::translate("TestPathRules", "指定されたパスはフォルダではありません");
}
inline QString CannotCreateFiles() {
  return QCoreApplication::translate("TestPathRules", "指定されたフォルダにファイルを作成できません");
}
}  // namespace texts

enum class TestPathProblem { None, NotAbsolute, Missing, NotADirectory, NotAFixedDisk, CannotCreateFiles };

// The path as a prefix of file names: itself with a trailing "/" ("/srv/t"
// and "/srv/t/" both give "/srv/t/"); an empty path stays empty.
QString NormalisedTestPath(const QString& path);

class SettingsStore;
// The test path the settings name (Drv; the home directory when missing),
// normalised; TorvikError for a value of the wrong type.
QString TestPathIn(SettingsStore& settings);

// The message that tells the user what is wrong; empty for None.
QString TestPathProblemText(TestPathProblem problem);

class TestPathRules {
 public:
  // Both must outlive the rules.
  TestPathRules(platform::FileSystem& fileSystem, const platform::SystemSources& sources)
      : fileSystem_(fileSystem), sources_(sources) {}
  virtual ~TestPathRules() = default;

  // The first rule `path` breaks, in the order above, or None. Checking
  // creation makes (and at once deletes) one probe file. `fixedDisk` false
  // leaves out the fixed-disk rule (the memory data file needs only a folder
  // it can write, wherever it is).
  TestPathProblem Check(const QString& path, bool fixedDisk = true);

 protected:
  // The three questions the rules ask of a directory (no trailing "/"):
  // what it names, its drive type (3: a fixed local disk), and whether a
  // file can be created in it. Tests answer them for captured machines.
  virtual platform::PathKind Kind(const QString& directory);
  virtual int32_t DriveType(const QString& directory);
  virtual bool CanCreateFiles(const QString& directory);

 private:
  platform::FileSystem& fileSystem_;
  const platform::SystemSources& sources_;
};

}  // namespace torvik
