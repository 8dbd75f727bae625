// Centring a top-level window on its screen with its frame counted: left =
// (screen width - frame width) / 2 and top likewise, never above or left of
// the screen. The window manager adds the frame only after the window is
// mapped, so a shown window is centred again once its frame is known.
// A resizable window is also fitted: never larger, frame included, than the
// screen's area left free by panels, so its title and buttons stay on it.
// GUI thread only.
#pragma once

#include <QWidget>

namespace torvik {

// Centres `window` now, by the frame it has now.
void CentreOnScreen(QWidget& window);

// Centres `window` whenever it is shown, and again when its frame margins
// change in the two seconds after (the window manager's frame arriving).
// The helper is a child of `window` and lives as long as it does.
void KeepCentredWhenShown(QWidget& window);

// As above, and shrunk to the screen's available area (panels left free),
// centred on that area.
void KeepFittedAndCentredWhenShown(QWidget& window);

// The size `window` is to open at next time: its size, except that a window
// shrunk to fit a small screen and not resized since keeps the size it had
// before (a larger screen next time gets it back).
QSize SizeToRemember(const QWidget& window);

}  // namespace torvik
