#include "ui/ChartTextAlternative.h"

#include <QCoreApplication>
#include <QStringList>

#include "core/results/PreciseFigures.h"

namespace torvik {
namespace {

QString FigureSaid(const Figure& figure, Test test, bool rates) {
  QString said = rates ? RateText(figure.rate, EntryOf(test).unit, u'.')
                       : QStringLiteral("%1 s").arg(figure.seconds, 0, 'f', figure.seconds < 10 ? 3 : 1);
  if (figure.repetitions > 1) {
    const double spread = rates ? figure.rateStdev / figure.rate : figure.secondsStdev / figure.seconds;
    said += QCoreApplication::translate("ChartTextAlternative", " ±%1 % (%2 回の平均)")
                .arg(spread * 100, 0, 'f', 1)
                .arg(figure.repetitions);
  }
  return said;
}

}  // namespace

QString ChartTextAlternative(const PlannedChart& chart, bool rates) {
  QStringList lines{chart.title + QStringLiteral(": ") +
                    (rates ? QCoreApplication::translate("ChartTextAlternative", "速度、基準に対する割合、高いほど速い")
                           : QCoreApplication::translate("ChartTextAlternative", "時間、秒、低いほど速い"))};
  for (size_t j = 0; j < chart.tests.size(); ++j) {
    QStringList runs;
    for (size_t i = 0; i < chart.cells.size(); ++i) {
      const PlannedCell& cell = chart.cells[i][j];
      QString said =
          chart.labels[i] +
          (i == chart.baseline ? QCoreApplication::translate("ChartTextAlternative", " (基準)") : QString()) +
          QStringLiteral(": ");
      if (!cell.figure) {
        runs << said + QCoreApplication::translate("ChartTextAlternative", "計測なし");
        continue;
      }
      said += FigureSaid(*cell.figure, chart.tests[j], rates);
      if (!cell.figure->precise) said += QCoreApplication::translate("ComparisonChart", " (0.1 秒単位)");
      if (cell.percent) {
        said += QCoreApplication::translate("ChartTextAlternative", "、基準より %1%2 % 速い (%3)")
                    .arg(*cell.percent >= 0 ? "+" : "")
                    .arg(*cell.percent, 0, 'f', 1)
                    .arg(VerdictCaption(cell.verdict));
      }
      if (cell.figure->noisy)
        said += QCoreApplication::translate("ChartTextAlternative", "、! 計測中にマシンが他の処理で混んでいた");
      runs << said;
    }
    lines << QLatin1String(EntryOf(chart.tests[j]).displayName) + QStringLiteral(" — ") +
                 runs.join(QStringLiteral("; "));
  }
  return lines.join(u'\n');
}

void DescribeChart(QWidget& view, QLabel& table, const PlannedChart& chart, bool rates) {
  const QString figures = ChartTextAlternative(chart, rates);
  view.setAccessibleName(QCoreApplication::translate("ChartTextAlternative", "%1 のグラフ").arg(chart.title));
  view.setAccessibleDescription(figures);
  view.setFocusPolicy(Qt::NoFocus);
  table.setAccessibleName(QCoreApplication::translate("ChartTextAlternative", "%1 の表").arg(chart.title));
  table.setAccessibleDescription(figures);
}

}  // namespace torvik
