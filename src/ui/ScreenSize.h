// The screen as the machine has it, for the sheet, the JSON and the store:
// its size in device pixels and its depth. Qt gives sizes in logical pixels,
// so a 2560x1440 screen at 200 % reads 1280x720 there; the report gives the
// screen's own 2560x1440 whatever the scale. GUI thread only.
#pragma once

#include <QScreen>
#include <QSize>

#include "core/machine/SystemInfo.h"

namespace torvik {

// `logical` at `devicePixelRatio`, rounded to whole device pixels.
ScreenFacts DeviceScreenFacts(QSize logical, qreal devicePixelRatio, int depth);

// The facts of `screen`; none for no screen.
ScreenFacts ScreenFactsOf(const QScreen* screen);

}  // namespace torvik
