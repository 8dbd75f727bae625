// The result sheet's block: a pure builder over a run record (times, names,
// machine facts) and the sheet's own inputs (label captions, the Stop flag,
// the time and locale), and the number formats it prints. Nothing here
// reads a widget or a file. GUI thread (the formats read the locale).
#pragma once

#include <QDateTime>
#include <QLocale>
#include <QString>
#include <QStringList>
#include <map>

#include "core/results/RunRecord.h"

namespace torvik {

// What the sheet takes beside the run itself: the result labels as the
// window displays them, the Stop flag, when the block is written and in
// which locale (its date and decimal separator).
struct SheetInputs {
  std::map<ResultLabel, QString> captions;
  int32_t stopFlag = 0;
  QDateTime now;
  QLocale locale = QLocale::system();
};

// The captions a window shows for `results`: every test with a time (in
// tenths or nanoseconds), and the total, each through FormatSeconds in
// `decimalPoint`.
std::map<ResultLabel, QString> CaptionsOf(const ResultTable& results, QChar decimalPoint);

// The block's lines, without line ends; the last is the empty line. Every
// text from outside (names, paths, descriptions) is written on one line.
QStringList BuildReport(const RunRecord& run, const SheetInputs& sheet);
// `text` with every character that does not print (PrintableText: the
// controls, the line and paragraph breaks, a lone surrogate) written as a
// blank, so it can never start a new line.
QString OneLine(QString text);

// The shortest decimal text of at most 15 significant digits, no trailing
// zeros (20 -> "20", 19.5 -> "19.5"), exponent form below 1e-5 and from 1e15.
QString GeneralForm(double value, QChar decimalPoint);
// "%<width>.2f" with the given decimal separator.
QString FixedTwo(double value, int width, QChar decimalPoint);
// The formats of the sheet's date in `locale`: its short date, and its long
// time without the time zone.
struct ReportDateFormats {
  QString date, time;
};
ReportDateFormats ReportDateFormatsOf(const QLocale& locale);
// The locale's short date, a blank and the time (hours, minutes, seconds,
// no time zone); the blank and the time are left out at 0:00:00.
QString ReportDate(const QDateTime& now, const QLocale& locale);
// The suffix of the stepping line for a processor type 0, 1, 2; else empty.
QString ProcessorTypeSuffix(int32_t type);

}  // namespace torvik
