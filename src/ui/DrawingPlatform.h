// What the drawing figures are worth on the platform the program runs on.
// On native Wayland every shape the stage draws waits for the compositor to
// take the window's buffer, which costs far more than the draw itself: the
// drawing figures measured there are not comparable with those on X
// (XWayland included), and the user is told so before a drawing group.
// GUI thread only, once the application object exists.
#pragma once

#include <QString>

namespace torvik {

// Empty where drawing figures are comparable; else why they are not.
QString DrawingFiguresNote();

}  // namespace torvik
