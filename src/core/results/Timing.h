// Reading the clock in tenths and showing a time, the two conventions behind
// every result label. Any thread may call ReadTenths; FormatSeconds reads the
// user's locale and belongs to the GUI thread.
#pragma once

#include <QString>

#include "core/base/TimeValue.h"
#include "core/results/ResultTable.h"

namespace torvik {

// The tick count in milliseconds, read as signed 32 bits, divided by 100 with
// truncation toward zero. Timing resolution is therefore 0.1 s.
TimeValue ReadTenths();

// One reading of the clock as both figures of a timing slot: the tenths
// above and the monotonic nanoseconds they were taken from.
ClockReading ReadClock();

// Seconds with one decimal, right-aligned in at least 5 characters ("%5.1f"
// with the given decimal separator), followed by "sec": 123 tenths give
// " 12.3sec".
QString FormatSeconds(TimeValue time, QChar decimalSeparator);
// The same with the decimal separator of the user's locale.
QString FormatSeconds(TimeValue time);
// The decimal separator of the user's locale.
QChar DecimalPoint();

}  // namespace torvik
