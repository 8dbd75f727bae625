// What the drawing figures are worth on the platform the program runs on.
// On native Wayland the stage draws into buffers of its own (WaylandStage),
// and each shape is a frame the compositor must take and, before its buffer
// can be drawn in again, give back: how soon it does depends on the
// compositor and its renderer (weston's software renderer at once, its GL
// and headless ones at their next repaint), so the drawing figures measured
// there are not comparable with those on X (XWayland included), and the
// user is told so before a drawing group.
// GUI thread only, once the application object exists.
#pragma once

#include <QString>

namespace torvik {

// Empty where drawing figures are comparable; else why they are not.
QString DrawingFiguresNote();

}  // namespace torvik
