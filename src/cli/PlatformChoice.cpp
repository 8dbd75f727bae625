#include "cli/PlatformChoice.h"

#include <QDir>
#include <QLibraryInfo>

namespace torvik {

PlatformChoice ChoosePlatform(const CommandLine& command, const DisplayEnvironment& environment) {
  using Action = CommandLine::Action;
  switch (command.action) {
    case Action::Help:
    case Action::Version:
    case Action::UsageError: return {};
    case Action::History:
    case Action::Import:
    case Action::ExportCsv: return {QStringLiteral("offscreen"), {}};
    case Action::Run:
      if (!NeedsScreen(command.run.groups)) return {QStringLiteral("offscreen"), {}};
      break;
    case Action::Window: break;
  }
  if (environment.forced) return {*environment.forced, {}};
  if (environment.x11) return {QStringLiteral("xcb"), {}};
  if (environment.wayland && environment.waylandPluginInstalled) return {QStringLiteral("wayland"), {}};
  if (environment.wayland) {
    return {{}, QStringLiteral("no X display (DISPLAY) is set, and this Qt has no Wayland platform plugin "
                               "(Debian: qt6-wayland); start TORVIK where XWayland or an X server runs")};
  }
  return {{},
          command.action == Action::Run
              ? QStringLiteral("the graphic and all groups draw on the screen; no display is available")
              : QStringLiteral("no display is available (DISPLAY or WAYLAND_DISPLAY); the command line runs "
                               "without one: torvik --help")};
}

DisplayEnvironment CurrentDisplayEnvironment() {
  DisplayEnvironment environment;
  environment.x11 = !qEnvironmentVariableIsEmpty("DISPLAY");
  environment.wayland = !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
  if (!qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) environment.forced = qEnvironmentVariable("QT_QPA_PLATFORM");
  const QDir platforms(QLibraryInfo::path(QLibraryInfo::PluginsPath) + QStringLiteral("/platforms"));
  environment.waylandPluginInstalled =
      !platforms.entryList({QStringLiteral("libqwayland*.so")}, QDir::Files).isEmpty();
  return environment;
}

}  // namespace torvik
