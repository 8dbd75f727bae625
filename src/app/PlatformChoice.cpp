#include "app/PlatformChoice.h"

#include <QDir>
#include <QLibraryInfo>

#include "cli/CommandParser.h"
#include "cli/VerbTable.h"

namespace torvik {
namespace {

const auto kOffscreen = QStringLiteral("offscreen");

}  // namespace

PlatformChoice ChoosePlatform(const CommandLine& command, const DisplayEnvironment& environment) {
  using Action = CommandLine::Action;
  if (command.action == Action::Help || command.action == Action::Version || command.action == Action::UsageError) {
    return {};
  }
  switch (VerbOf(command.action).display) {
    case DisplayNeed::None: return {kOffscreen, {}};
    case DisplayNeed::DrawingGroups:
      if (!NeedsScreen(command.run.groups)) return {kOffscreen, {}};
      break;
    case DisplayNeed::Always: break;
  }
  if (environment.forced) return {*environment.forced, {}};
  if (!environment.x11.isEmpty()) return {QStringLiteral("xcb"), {}};
  if (!environment.wayland.isEmpty() && environment.waylandPluginInstalled) return {QStringLiteral("wayland"), {}};
  if (!environment.wayland.isEmpty()) {
    return {{},
            QStringLiteral("this Qt has no platform plugin for the Wayland display (WAYLAND_DISPLAY; Debian: "
                           "qt6-wayland), and no X display (DISPLAY) is set; start TORVIK where XWayland or an X "
                           "server runs")};
  }
  return {{},
          command.action == Action::Run
              ? NoScreenForDrawing()
              : QStringLiteral("no display is available (DISPLAY or WAYLAND_DISPLAY); the command line runs "
                               "without one: torvik --help")};
}

bool HasScreen(const QString& platform) { return platform != kOffscreen && platform != u"minimal"; }

QString NoScreenForDrawing() {
  return QStringLiteral("the graphic and all groups draw on the screen; no display is available");
}

QString PlatformWithFallback(const QString& platform) {
  return platform.split(u';').contains(kOffscreen) ? platform : platform + u';' + kOffscreen;
}

bool FellBack(const QString& chosen, const QString& running) {
  return running == kOffscreen && !chosen.startsWith(kOffscreen);
}

QString UnreachableDisplay(const QString& chosen, const DisplayEnvironment& environment) {
  if (chosen.startsWith(u"wayland")) {
    return QStringLiteral("cannot connect to the Wayland display \"%1\" (WAYLAND_DISPLAY); is the compositor running?")
        .arg(environment.wayland);
  }
  if (chosen.startsWith(u"xcb")) {
    return QStringLiteral(
               "cannot connect to the X display \"%1\" (DISPLAY); is the X server running, and may this "
               "user use it?")
        .arg(environment.x11);
  }
  return QStringLiteral("cannot start Qt's platform \"%1\" (QT_QPA_PLATFORM)").arg(chosen);
}

DisplayEnvironment CurrentDisplayEnvironment() {
  DisplayEnvironment environment;
  environment.x11 = qEnvironmentVariable("DISPLAY");
  environment.wayland = qEnvironmentVariable("WAYLAND_DISPLAY");
  if (!qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) environment.forced = qEnvironmentVariable("QT_QPA_PLATFORM");
  const QDir platforms(QLibraryInfo::path(QLibraryInfo::PluginsPath) + QStringLiteral("/platforms"));
  environment.waylandPluginInstalled = !platforms.entryList({QStringLiteral("libqwayland*.so")}, QDir::Files).isEmpty();
  return environment;
}

}  // namespace torvik
