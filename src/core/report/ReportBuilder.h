// The result sheet's block: a pure builder over a plain struct of inputs
// (times, label captions, the Stop flag, settings, machine facts), and the
// number formats it prints. The window gathers the inputs; nothing here
// reads a widget or a file. GUI thread (the formats read the locale).
#pragma once

#include <QDateTime>
#include <QLocale>
#include <QString>
#include <QStringList>
#include <map>

#include "core/results/ResultTable.h"
#include "core/run/RunView.h"

namespace torvik {

struct ReportInputs {
  ResultTable results;
  std::map<ResultLabel, QString> captions;  // the result labels as displayed
  int32_t stopFlag = 0;
  QString drive, userName, pcName;
  bool diskQueryOk = false;
  double diskFree = 0, diskTotal = 0;  // bytes
  QString osDescription, displayDescription;
  QString vendorName, cpuName;
  double speedMhz = 0;
  bool l1CacheSupport = false;
  int l1DataSize = 0, l1InstSize = 0;
  bool l2CacheSupport = false;
  int l2Size = 0, l2LineSize = 0, l2Associativity = 0;
  int family = 0, model = 0, stepping = 0;
  int32_t processorType = 0;
  int64_t freePhysical = 0, totalPhysical = 0;  // bytes
  int32_t screenWidth = 0, screenHeight = 0, screenDepth = 0;
  QString version;
  QDateTime now;
  QLocale locale = QLocale::system();
};

// The block's lines, without line ends; the last is the empty line. Every
// text from outside (names, paths, descriptions) is written on one line.
QStringList BuildReport(const ReportInputs& in);
// `text` with every control character (C0, DEL, and the Unicode line and
// paragraph breaks) written as a blank, so it can never start a new line.
QString OneLine(QString text);

// 1 + 2 + ... + n for the total rounded to whole tenths, in wrapping signed
// 32-bit arithmetic; 0 when n <= 0.
int32_t BenchNumber(TimeValue total);
// The shortest decimal text of at most 15 significant digits, no trailing
// zeros (20 -> "20", 19.5 -> "19.5"), exponent form below 1e-5 and from 1e15.
QString GeneralForm(double value, QChar decimalPoint);
// "%<width>.2f" with the given decimal separator.
QString FixedTwo(double value, int width, QChar decimalPoint);
// Bytes in MB for the memory line: the truncated quotient plus one.
int64_t MemoryMegabytes(int64_t bytes);
// The locale's short date, a blank and the time (hours, minutes, seconds,
// no time zone); the blank and the time are left out at 0:00:00.
QString ReportDate(const QDateTime& now, const QLocale& locale);
// The suffix of the stepping line for a processor type 0, 1, 2; else empty.
QString ProcessorTypeSuffix(int32_t type);

}  // namespace torvik
