// The few ways the report page words its figures, shared by its charts and
// its tables: a translated text of the page, a difference with its sign
// ("+4.2 %", + faster), a machine's name with its processor and a rate in
// its unit. Pure; any thread.
#pragma once

#include <QCoreApplication>
#include <QString>

#include "core/history/ComparisonFigures.h"
#include "core/history/MachineTrend.h"

namespace torvik {

// A text of the page (marked with QT_TRANSLATE_NOOP("ReportPage", ...)) in
// the program's language.
inline QString Tr(const char* text) { return QCoreApplication::translate("ReportPage", text); }

// "desk-1 (AMD EPYC 7B13)"; "-" for a machine without a name.
inline QString MachineName(const MachineOf& machine) {
  const QString name = machine.name.isEmpty() ? QStringLiteral("-") : machine.name;
  return machine.processor.isEmpty() ? name : name + QStringLiteral(" (") + machine.processor + u')';
}

// "21.4 GB/s", "570 M ops/s", "1.23 k shapes/s": three figures at most.
inline QString RateText(double rate, const char* unit) {
  const char* prefix = "";
  double shown = rate;
  if (rate >= 1e9)
    shown = rate / 1e9, prefix = "G ";
  else if (rate >= 1e6)
    shown = rate / 1e6, prefix = "M ";
  else if (rate >= 1e4)
    shown = rate / 1e3, prefix = "k ";
  const int decimals = shown >= 100 ? 0 : shown >= 10 ? 1 : 2;
  return QString::number(shown, 'f', decimals) + u' ' + QLatin1String(prefix) + QLatin1String(unit);
}

}  // namespace torvik
