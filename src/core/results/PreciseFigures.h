// The precise figures of a test: its name in machine-readable output, the
// unit its work is counted in and its rate is shown in, the rate from the
// slot's work and nanoseconds, and the text of a result label's tooltip
// ("0.0443 s, 48.3 GB/s"). Pure; any thread (the texts take a decimal point).
#pragma once

#include <QChar>
#include <QString>
#include <optional>

#include "core/results/ResultTable.h"

namespace torvik {

struct TestMeasure {
  const char* id;    // "prime", "write40", ...
  const char* unit;  // "ops/s", "shapes/s", "lines/s", "GB/s", "MB/s"
  double perUnit;    // work per unit: 1e9 bytes to a GB, 1e6 to an MB, else 1
};

// Prime: 32-bit divisions; trigonometric: x87 tan, cos and sin evaluations;
// drawing: shapes; scroll: lines; memory: bytes copied; disk: bytes written
// or read; mix: file bytes written and read. GB and MB are decimal (SI).
const TestMeasure& MeasureOf(Test test);
// The test named `id`, or none.
std::optional<Test> TestOfId(const QString& id);

// The work of one full run of a test (a disk test's three passes): what an
// imported result, which has only its tenths, is taken to have done.
int64_t StandardWork(Test test);

// Precise seconds of a slot.
inline double Seconds(const TimingSlot& slot) { return slot.elapsedNs / 1e9; }
// Work per second in the test's unit; 0 when the slot has no time or no work.
double RateOf(Test test, const TimingSlot& slot);

// Seconds with four decimals and " s": "0.0443 s".
QString PreciseSeconds(int64_t nanoseconds, QChar decimalPoint);
// A rate with three significant digits and its unit, counts scaled by k, M
// or G: "48.3 GB/s", "607 M ops/s", "8.51 k lines/s".
QString RateText(double rate, const char* unit, QChar decimalPoint);
// The tooltip of a test's result label: "0.0443 s, 48.3 GB/s"; the seconds
// alone while the work is not known yet; empty without a time.
QString PreciseText(Test test, const TimingSlot& slot, QChar decimalPoint);

}  // namespace torvik
