// What the drawing figures are worth on the platform the program runs on.
// On native Wayland Qt's window buffers carry an alpha channel and every
// painted area is cleared before it is painted, so each shape the stage
// draws wipes what lay under its bounding box (an ellipse shows in a white
// box), and each waits for the compositor to take the buffer, at a cost
// that depends on the compositor's renderer: the drawing figures measured
// there are not comparable with those on X (XWayland included), and the
// user is told so before a drawing group.
// GUI thread only, once the application object exists.
#pragma once

#include <QString>

namespace torvik {

// Empty where drawing figures are comparable; else why they are not.
QString DrawingFiguresNote();

}  // namespace torvik
