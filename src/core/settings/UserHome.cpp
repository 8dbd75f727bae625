#include "core/settings/UserHome.h"

#include <QDir>
#include <QFileInfo>

namespace torvik {

HomeEnvironment HomeEnvironment::Current() {
  return {qEnvironmentVariable("HOME"), qEnvironmentVariable("XDG_CONFIG_HOME"), qEnvironmentVariable("XDG_DATA_HOME")};
}

QString FolderRefusal(const HomeEnvironment& environment, UserFolder folder) {
  // An XDG folder given as an absolute path is the folder's own home (Qt,
  // too, passes over a relative one).
  const QString& xdg = folder == UserFolder::Config ? environment.configHome : environment.dataHome;
  if (!xdg.isEmpty() && QDir::isAbsolutePath(xdg)) return {};
  const QString& home = environment.home;
  if (home.isEmpty()) return texts::HomeNotSet();
  if (!QDir::isAbsolutePath(home)) return texts::HomeNotAbsolute().arg(home);
  const QFileInfo info(home);
  if (!info.exists()) return texts::HomeMissing().arg(home);
  if (!info.isDir()) return texts::HomeNotAFolder().arg(home);
  return {};
}

QString KeepingRefusal(const HomeEnvironment& environment, KeptFiles kept) {
  if (kept.settings) {
    if (QString refused = FolderRefusal(environment, UserFolder::Config); !refused.isEmpty()) return refused;
  }
  if (kept.data) return FolderRefusal(environment, UserFolder::Data);
  return {};
}

}  // namespace torvik
