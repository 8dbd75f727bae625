#include "core/results/PreciseFigures.h"

#include <cmath>

namespace torvik {
namespace {

int ThreeDigitsDecimals(double value) { return value >= 100 ? 0 : value >= 10 ? 1 : 2; }

QString ThreeDigits(double value, QChar decimalPoint) {
  return QString::number(value, 'f', ThreeDigitsDecimals(value)).replace(u'.', decimalPoint);
}

}  // namespace

double AsRateTextShows(double value) {
  const double scale = std::pow(10.0, ThreeDigitsDecimals(value));
  return std::round(value * scale) / scale;
}

double RateOf(Test test, const TimingSlot& slot) {
  if (!slot.HasResult() || slot.work <= 0) return 0;
  return slot.work / Seconds(slot) / EntryOf(test).perUnit;
}

QString PreciseSeconds(int64_t nanoseconds, QChar decimalPoint) {
  return QString::number(nanoseconds / 1e9, 'f', 4).replace(u'.', decimalPoint) + QStringLiteral(" s");
}

QString RateText(double rate, const QString& name, QChar decimalPoint) {
  if (name.endsWith(QLatin1String("B/s"))) return ThreeDigits(rate, decimalPoint) + u' ' + name;
  const std::pair<double, const char*> prefixes[] = {{1e9, "G "}, {1e6, "M "}, {1e3, "k "}};
  for (const auto& [scale, prefix] : prefixes) {
    if (rate >= scale) return ThreeDigits(rate / scale, decimalPoint) + u' ' + QLatin1String(prefix) + name;
  }
  return ThreeDigits(rate, decimalPoint) + u' ' + name;
}

QString PreciseText(Test test, const TimingSlot& slot, QChar decimalPoint) {
  if (!slot.HasResult()) return {};
  const QString seconds = PreciseSeconds(slot.elapsedNs, decimalPoint);
  const double rate = RateOf(test, slot);
  if (rate <= 0) return seconds;
  return seconds + QStringLiteral(", ") + RateText(rate, EntryOf(test).unit, decimalPoint);
}

}  // namespace torvik
