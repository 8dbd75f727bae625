#include "ui/ChartTextAlternative.h"

#include <QCoreApplication>
#include <QStringList>

#include "core/analysis/FigureWords.h"

namespace torvik {
QString ChartTextAlternative(const PlannedChart& chart, bool rates) {
  QStringList lines{chart.title + QStringLiteral(": ") +
                    (rates ? QCoreApplication::translate("ChartTextAlternative", "速度、基準に対する割合、高いほど速い")
                           : QCoreApplication::translate("ChartTextAlternative", "時間、秒、低いほど速い"))};
  for (size_t j = 0; j < chart.tests.size(); ++j) {
    QStringList runs;
    for (size_t i : chart.rows) {
      const PlannedCell& cell = chart.cells[i][j];
      QString said =
          chart.labels[i] +
          (i == chart.baseline ? QCoreApplication::translate("ChartTextAlternative", " (基準)") : QString()) +
          QStringLiteral(": ");
      if (!cell.figure) {
        runs << said + QCoreApplication::translate("ChartTextAlternative", "計測なし");
        continue;
      }
      said += FigureText(*cell.figure, InfoOf(chart.tests[j]).unit, rates);
      if (cell.percent) {
        said += QCoreApplication::translate("ChartTextAlternative", "、基準より %1 速い (%2)")
                    .arg(FasterText(*cell.percent), VerdictCaption(cell.verdict));
      }
      if (cell.figure->noisy)
        said += QCoreApplication::translate("ChartTextAlternative", "、! 計測中にマシンが他の処理で混んでいた");
      runs << said;
    }
    lines << InfoOf(chart.tests[j]).displayName + QStringLiteral(" — ") +
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
