// The precise figures of a test: its seconds from the slot's nanoseconds,
// its rate from the slot's work in the unit the catalogue gives it, and the
// text of a result label's tooltip ("0.0443 s, 48.3 GB/s"). Pure; any
// thread (the texts take a decimal point).
#pragma once

#include <QChar>
#include <QString>

#include "core/results/ResultTable.h"

namespace torvik {

// Precise seconds of a slot.
inline double Seconds(const TimingSlot& slot) { return slot.elapsedNs / 1e9; }
// Work per second in the test's unit; 0 when the slot has no time or no work.
double RateOf(Test test, const TimingSlot& slot);

// Seconds with four decimals and " s": "0.0443 s".
QString PreciseSeconds(int64_t nanoseconds, QChar decimalPoint);
// A rate with three significant digits and its unit, counts scaled by k, M
// or G: "48.3 GB/s", "607 M ops/s", "8.51 k lines/s".
QString RateText(double rate, const QString& unit, QChar decimalPoint);
inline QString RateText(double rate, const char* unit, QChar decimalPoint) {
  return RateText(rate, QLatin1String(unit), decimalPoint);
}
// A figure rounded as RateText writes it (1103.9 -> 1104, 33.535 -> 33.5),
// for a chart's label beside a table of RateText.
double AsRateTextShows(double value);
// The tooltip of a test's result label: "0.0443 s, 48.3 GB/s"; the seconds
// alone while the work is not known yet; empty without a time.
QString PreciseText(Test test, const TimingSlot& slot, QChar decimalPoint);

}  // namespace torvik
