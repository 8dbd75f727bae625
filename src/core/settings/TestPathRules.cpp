#include "core/settings/TestPathRules.h"

#include <QFile>

#include "core/machine/DriveClassifier.h"
#include "core/settings/SettingsStore.h"

namespace torvik {

QString NormalisedTestPath(const QString& path) {
  if (path.isEmpty() || path.endsWith(u'/')) return path;
  return path + u'/';
}

QString TestPathIn(SettingsStore& settings) {
  return NormalisedTestPath(settings.Read(settings::kDrive, DefaultTestPath()));
}

QString TestPathProblemText(TestPathProblem problem) {
  switch (problem) {
    case TestPathProblem::None: return {};
    case TestPathProblem::NotAbsolute: return texts::NotAbsolutePath();
    case TestPathProblem::Missing: return texts::FolderMissing();
    case TestPathProblem::NotADirectory: return texts::NotAFolder();
    case TestPathProblem::NotAFixedDisk: return texts::NotAHardDisk();
    case TestPathProblem::CannotCreateFiles: return texts::CannotCreateFiles();
  }
  return {};
}

TestPathProblem TestPathRules::Check(const QString& path, bool fixedDisk) {
  if (!path.startsWith(u'/')) return TestPathProblem::NotAbsolute;
  // "file/" would not name the file: look at the name itself.
  QString directory = path;
  while (directory.size() > 1 && directory.endsWith(u'/')) directory.chop(1);
  switch (Kind(directory)) {
    case platform::PathKind::Missing: return TestPathProblem::Missing;
    case platform::PathKind::Other: return TestPathProblem::NotADirectory;
    case platform::PathKind::Directory: break;
  }
  if (fixedDisk && DriveType(directory) != kDriveFixed) return TestPathProblem::NotAFixedDisk;
  if (!CanCreateFiles(directory)) return TestPathProblem::CannotCreateFiles;
  return TestPathProblem::None;
}

platform::PathKind TestPathRules::Kind(const QString& directory) {
  return fileSystem_.Kind(QFile::encodeName(directory).toStdString());
}

int32_t TestPathRules::DriveType(const QString& directory) { return DriveTypeOf(sources_, directory); }

bool TestPathRules::CanCreateFiles(const QString& directory) {
  return fileSystem_.CanCreateFiles(QFile::encodeName(directory).toStdString());
}

}  // namespace torvik
