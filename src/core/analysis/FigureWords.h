// The words for what the analysis works out, in one place for every drawer
// (the window's charts and tables, what a screen reader hears of them, the
// report page, the command line): a difference as text (+ is always
// faster), a figure's seconds and rate with their precision, the value
// over a bar, and a verdict as a caption, a mark and the command line's
// English words. Pure; any thread.
#pragma once

#include <QString>
#include <optional>

#include "core/analysis/ComparisonFigures.h"
#include "core/analysis/RunComparison.h"

namespace torvik {

// "+4.2 %", "-0.8 %": such a difference as every table and page says it.
QString FasterText(double percent);
// "+4.2 % 速い": a difference with its verdict's caption.
QString DifferenceText(double percent, Verdict verdict);

// A figure's seconds: four decimals ("0.0443 s"), an imported sheet's
// tenths with one ("1.2 s").
QString SecondsText(const Figure& figure);
// A figure's rate in its unit ("572 M ops/s"), with its spread as a rate
// where repetitions give one ("572 M ops/s ±5.10 M ops/s").
QString RateWithSpreadText(const Figure& figure, const QString& unit);
// A figure as a table and a screen reader give it: its rate or its seconds,
// then its spread over the repetitions in percent (" ±1.0 %"), and
// " (0.1 秒単位)" for an imported sheet's tenths.
QString FigureText(const Figure& figure, const QString& unit, bool rates);
// The value over a bar: "104.2 %" of the baseline's rate, or "0.8123 s"
// (tenths only: "0.8 s").
QString BarValueText(double value, bool precise, bool rates);

// The verdict as the window and the report page say it: "速い", "遅い",
// "誤差の範囲" (within the noise), "未検定" (not tested).
QString VerdictCaption(Verdict verdict);
// The mark beside a bar's value: " ▲" faster, " ▼" slower, " ≈" within
// the noise, nothing untested.
QString VerdictMark(Verdict verdict);
// The command line's words: "faster", "slower", "within the noise",
// "not tested".
QString VerdictWords(Verdict verdict);

}  // namespace torvik
