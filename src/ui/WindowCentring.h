// Centring a top-level window on its screen with its frame counted: left =
// (screen width - frame width) / 2 and top likewise, never above or left of
// the screen. The window manager adds the frame only after the window is
// mapped, so a shown window is centred again once its frame is known.
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

}  // namespace torvik
