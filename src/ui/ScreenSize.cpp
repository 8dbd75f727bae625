#include "ui/ScreenSize.h"

namespace torvik {

ScreenFacts DeviceScreenFacts(QSize logical, qreal devicePixelRatio, int depth) {
  return ScreenFacts{qRound(logical.width() * devicePixelRatio), qRound(logical.height() * devicePixelRatio), depth};
}

ScreenFacts ScreenFactsOf(const QScreen* screen) {
  if (screen == nullptr) return {};
  return DeviceScreenFacts(screen->geometry().size(), screen->devicePixelRatio(), screen->depth());
}

}  // namespace torvik
