#include "core/base/IsoDateTime.h"

#include <cstdlib>

namespace torvik {

QString IsoDateTimeWithOffset(const QDateTime& time) {
  const int offset = time.offsetFromUtc();
  const int minutes = std::abs(offset) / 60;
  return time.toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss")) + (offset < 0 ? u'-' : u'+') +
         QStringLiteral("%1:%2").arg(minutes / 60, 2, 10, QChar(u'0')).arg(minutes % 60, 2, 10, QChar(u'0'));
}

}  // namespace torvik
