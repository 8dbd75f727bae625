#include "core/results/Timing.h"

#include <QLocale>

#include "platform/Clock.h"

namespace torvik {

TimeValue ReadTenths() { return ReadClock().tenths; }

ClockReading ReadClock() {
  const int64_t nanoseconds = platform::MonotonicNanoseconds();
  return ClockReading{TimeValue::FromTenths(platform::TickCountAt(nanoseconds) / 100), nanoseconds};
}

QString FormatSeconds(TimeValue time, QChar decimalSeparator) {
  // Exact decimal arithmetic on the tenths: no binary floating point, so
  // no value is ever shown rounded the wrong way.
  const int64_t tenths = time.Tenths();
  const uint64_t magnitude = tenths < 0 ? 0 - static_cast<uint64_t>(tenths) : tenths;
  QString number = QString::number(magnitude / 10) + decimalSeparator + QString::number(magnitude % 10);
  if (tenths < 0) number.prepend(u'-');
  return number.rightJustified(5, u' ') + QStringLiteral("sec");
}

QString FormatSeconds(TimeValue time) { return FormatSeconds(time, DecimalPoint()); }

QChar DecimalPoint() {
  const QString point = QLocale::system().decimalPoint();
  return point.isEmpty() ? QChar(u'.') : point.front();
}

}  // namespace torvik
