// Which of Qt's platforms the program runs on, decided from the command and
// the environment before the application object exists. A drawn shape must
// reach an X server by itself, so wherever an X display is reachable (a
// Wayland desktop's XWayland included) the window and the drawing groups use
// xcb; Wayland only where no X display is; what needs no display at all
// (the cpu, memory and hdd groups, the store's verbs) always runs on the
// offscreen platform, whatever display variables are set. A platform the
// user named in QT_QPA_PLATFORM is kept for the window and the drawing
// groups. Pure; any thread.
#pragma once

#include <QString>
#include <optional>

#include "cli/CommandLine.h"

namespace torvik {

// What the environment offers.
struct DisplayEnvironment {
  QString x11;                    // DISPLAY; empty when not set
  QString wayland;                // WAYLAND_DISPLAY; empty when not set
  std::optional<QString> forced;  // QT_QPA_PLATFORM, when set
  bool waylandPluginInstalled = false;
};

struct PlatformChoice {
  QString platform;  // what QT_QPA_PLATFORM is to be; empty for no application at all
  QString refusal;   // why the command cannot run here (exit 2); empty when it can
};

PlatformChoice ChoosePlatform(const CommandLine& command, const DisplayEnvironment& environment);

// What QT_QPA_PLATFORM is set to for `platform`: a display platform falls
// back to offscreen, so that a display that cannot be reached (a stale
// DISPLAY, a compositor gone) is told by UnreachableDisplay in one line
// instead of ending the program in Qt's abort.
QString PlatformWithFallback(const QString& platform);
// Whether Qt fell back: `chosen` asked for a display and `running` is none.
bool FellBack(const QString& chosen, const QString& running);
QString UnreachableDisplay(const QString& chosen, const DisplayEnvironment& environment);

// The environment of this process.
DisplayEnvironment CurrentDisplayEnvironment();

// Whether Qt's platform `platform` has a real screen: Qt's offscreen and
// minimal platforms invent one, with nothing to draw on or to describe.
bool HasScreen(const QString& platform);
// Why the drawing groups cannot run: there is no screen.
QString NoScreenForDrawing();

}  // namespace torvik
