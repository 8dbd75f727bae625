// The report page: one HTML5 file that anyone can open in a browser, with
// scripts off and with no network: the machines and their facts, per group
// the ranking of their latest series (a group of points with its
// summaries), the groups of points drawn as what they measure (scaling,
// bandwidth, the latency curve, the drive's rows: PointSections), the
// comparison of those series, each machine's trend, the noisy figures and
// how to read it all, the charts as
// inline SVG (SvgCharts) and every figure in a table with its unit and
// verdict. Its style sheet is inside it, with rules for printing; nothing
// is fetched. Built by a pure function from a plain input, in the
// program's language (Japanese, else English). Any thread.
#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <vector>

#include "core/analysis/ComparisonPlan.h"
#include "core/analysis/MachineRanking.h"
#include "core/analysis/MachineTrend.h"

namespace torvik {

// A machine of the page, with the facts of its newest run.
struct ReportMachine {
  MachineOf machine;
  QString hostName{}, os{}, memory{}, display{};
  size_t runs = 0;
  int64_t newest = 0;  // its newest dated run's time, seconds since 1970
  bool dated = false;  // it has a run whose date is known (else: "date unknown")
};

struct HtmlReportInput {
  QDateTime made;  // when the page was made
  QString store;   // the store's label (RunArchive::ComparedLabel): never a host, a role or a path
  QString scope;   // which runs: the filter, or the ticked runs
  size_t runCount = 0;
  std::vector<ReportMachine> machines;
  std::vector<MachineRanking> rankings;  // a group each
  ComparisonPlan comparison;             // in rates
  std::vector<MachineTrend> trends;
};

// The page, UTF-8.
QByteArray HtmlReport(const HtmlReportInput& input);

}  // namespace torvik
