// The few ways the report page words what it shows, shared by its charts
// and its tables: a translated text of the page and a machine's name with
// its processor (the figures' words are the analysis's: FigureWords).
// Pure; any thread.
#pragma once

#include <QCoreApplication>
#include <QString>

#include "core/analysis/ComparisonFigures.h"
#include "core/analysis/FigureWords.h"
#include "core/analysis/MachineTrend.h"

namespace torvik {

// A text of the page (marked with QT_TRANSLATE_NOOP("ReportPage", ...)) in
// the program's language.
inline QString Tr(const char* text) { return QCoreApplication::translate("ReportPage", text); }

// "desk-1 (AMD EPYC 7B13)"; "-" for a machine without a name.
inline QString MachineName(const MachineOf& machine) {
  const QString name = machine.name.isEmpty() ? QStringLiteral("-") : machine.name;
  return machine.processor.isEmpty() ? name : name + QStringLiteral(" (") + machine.processor + u')';
}

}  // namespace torvik
