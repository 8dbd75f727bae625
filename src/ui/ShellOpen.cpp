#include "ui/ShellOpen.h"

#include <QDesktopServices>
#include <QUrl>

namespace torvik {
namespace {

ShellOpener& Current() {
  static ShellOpener opener;
  return opener;
}

}  // namespace

void ShellOpen(const QString& target) {
  if (Current()) {
    Current()(target);
    return;
  }
  const QUrl url = target.startsWith(u'/') ? QUrl::fromLocalFile(target) : QUrl::fromUserInput(target);
  QDesktopServices::openUrl(url);
}

void SetShellOpener(ShellOpener opener) { Current() = std::move(opener); }

}  // namespace torvik
