#include "core/machine/MachineFacts.h"

namespace torvik {

int64_t MemoryMegabytes(int64_t bytes) { return bytes / 1'048'576 + 1; }

QString ScreenText(const MachineFacts& m) {
  if (m.screenWidth <= 0 || m.screenHeight <= 0) return QLatin1String(kNoScreen);
  return QStringLiteral("(%1x%2 %3BitColor)").arg(m.screenWidth).arg(m.screenHeight).arg(m.screenDepth);
}

}  // namespace torvik
