#include "core/page/PointSections.h"

#include <map>

#include "core/analysis/ChartPalette.h"
#include "core/analysis/PointSelection.h"
#include "core/page/MarkupText.h"
#include "core/page/PageTexts.h"
#include "core/page/PointCharts.h"
#include "core/page/SvgElements.h"

namespace torvik {
namespace {

// A table's opening, its caption and its row of heads.
QString Head(const QString& caption, std::initializer_list<const char*> heads) {
  QString html = QStringLiteral("<div class=\"wide\"><table><caption>%1</caption><tr>").arg(MarkupText(caption));
  for (const char* head : heads) html += QStringLiteral("<th scope=\"col\">%1</th>").arg(MarkupText(Tr(head)));
  return html + QStringLiteral("</tr>\n");
}

QString Cell(const QString& text, bool number = true) {
  return number ? QStringLiteral("<td class=\"n\">%1</td>").arg(MarkupText(text))
                : QStringLiteral("<td>%1</td>").arg(MarkupText(text));
}

QString Swatch(size_t index, const QString& name) {
  return QStringLiteral("<td><span class=\"sw\" style=\"background:%1\"></span>%2</td>")
      .arg(QLatin1String(ChartColour(index)), MarkupText(name));
}

QString Optional(const std::optional<double>& value, int decimals) {
  return value ? QString::number(*value, 'f', decimals) : QStringLiteral("-");
}

QString Cores(const MachineRanking& ranking) {
  QString html = QStringLiteral("<h3>%1</h3>").arg(MarkupText(ranking.group));
  for (const RankedMachine& machine : ranking.machines) {
    const QString name = MachineName(machine.machine);
    html += QStringLiteral("<h4>%1</h4>").arg(MarkupText(name));
    html += ChartBlock(ScalingSvg(machine.figures, QStringLiteral("%1 — %2").arg(ranking.group, name)));
    html += Head(Tr(QT_TRANSLATE_NOOP("ReportPage", "%1: ワークロードごとの 1 スレッドと全スレッドの速度")).arg(name),
                 {QT_TRANSLATE_NOOP("ReportPage", "ワークロード"), QT_TRANSLATE_NOOP("ReportPage", "1 スレッド"),
                  QT_TRANSLATE_NOOP("ReportPage", "全スレッド"), QT_TRANSLATE_NOOP("ReportPage", "スレッド数"),
                  QT_TRANSLATE_NOOP("ReportPage", "倍率"), QT_TRANSLATE_NOOP("ReportPage", "効率")});
    std::map<int64_t, QString> ordered;  // the workloads' one-thread points, in their order
    for (const auto& [test, figure] : machine.figures.figures) {
      if (test.endsWith(QStringLiteral(".t1"))) ordered.emplace(InfoOf(test).order, test);
    }
    for (const auto& [order, test] : ordered) {
      const Figure& figure = machine.figures.figures.at(test);
      const QString workload = test.section(u'.', 0, 0);
      const std::vector<std::pair<int, double>> points = ScalingOf(machine.figures, workload);
      if (points.empty()) continue;
      const auto& [threads, rate] = points.back();
      const TestInfo info = InfoOf(test);
      const double gain = rate / figure.rate;
      html += QStringLiteral("<tr>") + Cell(info.displayName.section(QStringLiteral(" ×"), 0, 0), false) +
              Cell(RateInUnitText(figure.rate, info.unit)) + Cell(RateInUnitText(rate, info.unit)) +
              Cell(QString::number(threads)) + Cell(QStringLiteral("×%1").arg(gain, 0, 'f', 2)) +
              Cell(QStringLiteral("%1 %").arg(gain / threads * 100, 0, 'f', 0)) + QStringLiteral("</tr>\n");
    }
    html += QStringLiteral("</table></div>\n");
  }
  return html;
}

QString Ram(const MachineRanking& ranking) {
  QString html = QStringLiteral("<h3>%1</h3>").arg(MarkupText(ranking.group));
  html += ChartBlock(BandwidthSvg(ranking)) + ChartBlock(LatencySvg(ranking));
  html += Head(Tr(QT_TRANSLATE_NOOP("ReportPage", "%1: 各マシンの曲線に見えるレベル")).arg(ranking.group),
               {QT_TRANSLATE_NOOP("ReportPage", "マシン"), QT_TRANSLATE_NOOP("ReportPage", "レベル"),
                QT_TRANSLATE_NOOP("ReportPage", "1 回のロード"), QT_TRANSLATE_NOOP("ReportPage", "曲線に見える大きさ"),
                QT_TRANSLATE_NOOP("ReportPage", "作業領域")});
  for (size_t m = 0; m < ranking.machines.size(); ++m) {
    const RankedMachine& machine = ranking.machines[m];
    const std::vector<LatencyLevel> levels = LevelsOf(machine.figures);
    for (size_t k = 0; k < levels.size(); ++k) {
      const LatencyLevel& level = levels[k];
      const QString size = level.open        ? Tr(QT_TRANSLATE_NOOP("ReportPage", "メモリ (キャッシュの先)"))
                           : level.sizeBytes ? WorkingSetName(*level.sizeBytes)
                                             : QStringLiteral("-");
      html += QStringLiteral("<tr>") +
              (m < kMostPointMachines ? Swatch(m, MachineName(machine.machine))
                                      : Cell(MachineName(machine.machine), false)) +
              Cell(QString::number(k + 1)) + Cell(RateInUnitText(1e9 / level.nanoseconds, QStringLiteral("loads/s"))) +
              Cell(size) +
              Cell(WorkingSetName(level.firstBytes) + QStringLiteral(" – ") + WorkingSetName(level.lastBytes)) +
              QStringLiteral("</tr>\n");
    }
  }
  return html + QStringLiteral("</table></div>\n");
}

QString Drive(const MachineRanking& ranking) {
  QString html = QStringLiteral("<h3>%1</h3>").arg(MarkupText(ranking.group));
  html += ChartBlock(DriveSvg(ranking));
  html += Head(Tr(QT_TRANSLATE_NOOP("ReportPage", "%1: 各マシンの行")).arg(ranking.group),
               {QT_TRANSLATE_NOOP("ReportPage", "マシン"), QT_TRANSLATE_NOOP("ReportPage", "テスト"), "MB/s", "IOPS",
                "p50 (µs)", "p99 (µs)", "p99.9 (µs)", QT_TRANSLATE_NOOP("ReportPage", "エンジン")});
  for (size_t m = 0; m < ranking.machines.size(); ++m) {
    const RankedMachine& machine = ranking.machines[m];
    for (const QString& test : ranking.tests) {
      const auto found = machine.figures.figures.find(test);
      if (found == machine.figures.figures.end()) continue;
      const Figure& figure = found->second;
      html += QStringLiteral("<tr>") +
              (m < kMostPointMachines ? Swatch(m, MachineName(machine.machine))
                                      : Cell(MachineName(machine.machine), false)) +
              Cell(InfoOf(test).displayName, false) + Cell(QString::number(figure.rate, 'f', 1)) +
              Cell(Optional(figure.iops, 0)) + Cell(Optional(figure.p50Us, 1)) + Cell(Optional(figure.p99Us, 1)) +
              Cell(Optional(figure.p999Us, 1)) +
              Cell(figure.engine.isEmpty() ? QStringLiteral("-") : figure.engine, false) + QStringLiteral("</tr>\n");
    }
  }
  return html + QStringLiteral("</table></div>\n");
}

}  // namespace

bool HasPointRankings(const std::vector<MachineRanking>& rankings) {
  for (const MachineRanking& ranking : rankings) {
    if (!ranking.machines.empty() && IsPointGroup(ranking.group)) return true;
  }
  return false;
}

QString PointSections(const std::vector<MachineRanking>& rankings) {
  if (!HasPointRankings(rankings)) return {};
  QString html =
      QStringLiteral("<section id=\"points\"><h2>%1</h2><p>%2</p>\n")
          .arg(
              MarkupText(Tr(QT_TRANSLATE_NOOP("ReportPage", "コア・メモリ・ドライブ"))),
              MarkupText(Tr(QT_TRANSLATE_NOOP("ReportPage",
                                              "各マシンの最新のシリーズ。グラフは最大 %1 台まで、表はすべてのマシン。"))
                             .arg(kMostPointMachines)));
  for (const MachineRanking& ranking : rankings) {
    if (ranking.machines.empty()) continue;
    if (ranking.group == u"cores") html += Cores(ranking);
    if (ranking.group == u"ram") html += Ram(ranking);
    if (ranking.group == u"drive") html += Drive(ranking);
  }
  return html + QStringLiteral("</section>\n");
}

}  // namespace torvik
