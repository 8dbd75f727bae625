#include "ui/ComparisonChart.h"

#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QChart>
#include <QChartView>
#include <QCoreApplication>
#include <QGraphicsLineItem>
#include <QGraphicsSimpleTextItem>
#include <QLabel>
#include <QPen>
#include <QVBoxLayout>
#include <QValueAxis>
#include <algorithm>

#include "core/analysis/ChartPalette.h"
#include "core/analysis/FigureWords.h"
#include "ui/ChartTextAlternative.h"

namespace torvik {
namespace {

// Error bars and noise marks over the bars, placed again whenever the plot
// area moves (a resize, the first layout).
class BarDecorations : public QObject {
 public:
  BarDecorations(QChart* chart, QBarSeries* series, const PlannedChart& plan, bool rates)
      : QObject(chart), chart_(chart), series_(series), rates_(rates) {
    for (size_t row : plan.rows) {
      bars_.push_back(plan.bars[row]);
      cells_.push_back(plan.cells[row]);
    }
    connect(chart, &QChart::plotAreaChanged, this, [this] { Place(); });
  }

 private:
  void Place() {
    for (QGraphicsItem* item : items_) delete item;
    items_.clear();
    const size_t sets = bars_.size();
    QPen pen(Qt::black);
    pen.setWidthF(1.2);
    for (size_t i = 0; i < sets; ++i) {
      for (size_t j = 0; j < bars_[i].size(); ++j) {
        const PlannedBar& bar = bars_[i][j];
        if (!bar.present) continue;
        // Category j spans j - 0.5 .. j + 0.5; the bars fill half of it.
        const double width = series_->barWidth() / static_cast<double>(sets);
        const double x = static_cast<double>(j) - series_->barWidth() / 2 + (static_cast<double>(i) + 0.5) * width;
        if (bar.spread > 0) {
          const QPointF low = chart_->mapToPosition(QPointF(x, bar.value - bar.spread), series_);
          const QPointF high = chart_->mapToPosition(QPointF(x, bar.value + bar.spread), series_);
          const double cap = std::max(2.0, (chart_->mapToPosition(QPointF(x + width / 4, 0), series_).x() -
                                            chart_->mapToPosition(QPointF(x, 0), series_).x()));
          for (const QLineF& line : {QLineF(low, high), QLineF(low.x() - cap, low.y(), low.x() + cap, low.y()),
                                     QLineF(high.x() - cap, high.y(), high.x() + cap, high.y())}) {
            auto* item = new QGraphicsLineItem(line, chart_);
            item->setPen(pen);
            item->setZValue(20);
            items_.push_back(item);
          }
        }
        // The value over the bar (Qt's own bar labels do not show outside
        // the end), and "!" beside it when the machine was noisy.
        // The verdict beside the value: a difference beyond the noise is an
        // arrow, one within it "≈", so that no bar reads as a difference
        // that the figures' spread does not bear out.
        auto* value = new QGraphicsSimpleTextItem(
            BarValueText(bar.value, bar.precise, rates_) + VerdictMark(cells_[i][j].verdict), chart_);
        QFont font = value->font();
        font.setPointSizeF(font.pointSizeF() * 0.85);
        value->setFont(font);
        const QPointF top = chart_->mapToPosition(QPointF(x, bar.value + bar.spread), series_);
        const QRectF box = value->boundingRect();
        value->setPos(top.x() - box.width() / 2, top.y() - box.height() - 2);
        value->setZValue(21);
        items_.push_back(value);
        if (bar.noisy) {
          auto* mark = new QGraphicsSimpleTextItem(QStringLiteral("!"), chart_);
          mark->setBrush(QColor(200, 0, 0));
          font.setBold(true);
          mark->setFont(font);
          mark->setPos(top.x() + box.width() / 2 + 2, top.y() - box.height() - 2);
          mark->setZValue(21);
          items_.push_back(mark);
        }
      }
    }
  }

  QChart* chart_;
  QBarSeries* series_;
  std::vector<std::vector<PlannedBar>> bars_;    // per row, per test
  std::vector<std::vector<PlannedCell>> cells_;  // per row, per test
  bool rates_;
  std::vector<QGraphicsItem*> items_;
};

// The table under a chart: runs by tests, each figure and its difference
// from the baseline's.
QString TableHtml(const PlannedChart& chart, bool rates) {
  QString html = QStringLiteral("<table cellspacing=0 cellpadding=3><tr><th></th>");
  for (const QString& test : chart.tests) html += QStringLiteral("<th>%1</th>").arg(InfoOf(test).displayName);
  html += QStringLiteral("</tr>");
  for (size_t i : chart.rows) {
    html += QStringLiteral("<tr><td>%1%2</td>")
                .arg(chart.labels[i].toHtmlEscaped(),
                     i == chart.baseline
                         ? QStringLiteral(" <b>%1</b>").arg(QCoreApplication::translate("ComparisonChart", "(基準)"))
                         : QString());
    for (size_t j = 0; j < chart.tests.size(); ++j) {
      const PlannedCell& cell = chart.cells[i][j];
      if (!cell.figure) {
        html += QStringLiteral("<td align=right>-</td>");
        continue;
      }
      QString text = FigureText(*cell.figure, InfoOf(chart.tests[j]).unit, rates).toHtmlEscaped();
      if (cell.percent) {
        text +=
            QStringLiteral(" (%1, %2)").arg(FasterText(*cell.percent), VerdictCaption(cell.verdict).toHtmlEscaped());
      }
      if (cell.figure->noisy) text += QStringLiteral(" <font color=#c80000><b>!</b></font>");
      html += QStringLiteral("<td align=right>%1</td>").arg(text);
    }
    html += QStringLiteral("</tr>");
  }
  return html + QStringLiteral("</table>");
}

}  // namespace

QString ChartKey() {
  return QCoreApplication::translate(
      "ComparisonChart",
      "差はすべて基準より速い割合 (+ が速い)。▲ 速い・▼ 遅い: 繰り返しの差がノイズを超える "
      "(ウェルチの t 検定、95 %)。≈ と淡い棒: 誤差の範囲。印なし: 1 回だけの計測で未検定。"
      "! 計測中にほかの処理かクロックの変化あり。ひげ: 標準偏差。");
}

QWidget* MakeGroupChart(const PlannedChart& chart, bool rates) {
  auto* series = new QBarSeries;
  for (size_t i : chart.rows) {
    auto* set = new QBarSet(chart.labels[i]);
    const QColor colour(QLatin1String(ChartColour(i)));
    set->setColor(colour);
    set->setBorderColor(colour);
    // A bar whose difference from the baseline is within the noise is drawn
    // pale: it is no difference the figures bear out.
    set->setSelectedColor(QColor::fromHsv(colour.hsvHue(), colour.hsvSaturation() / 3, 235));
    for (const PlannedBar& bar : chart.bars[i]) set->append(bar.present ? bar.value : 0);
    series->append(set);
  }

  auto* plot = new QChart;
  plot->addSeries(series);
  for (size_t k = 0; k < chart.rows.size(); ++k) {
    const std::vector<PlannedCell>& cells = chart.cells[chart.rows[k]];
    for (size_t j = 0; j < cells.size(); ++j) {
      if (cells[j].verdict == Verdict::WithinNoise) series->barSets()[int(k)]->selectBar(int(j));
    }
  }
  plot->setTitle(QStringLiteral("%1 — %2").arg(
      chart.title, rates ? QCoreApplication::translate("ComparisonChart", "速度: 基準に対する割合、高いほど速い")
                         : QCoreApplication::translate("ComparisonChart", "時間: 秒、低いほど速い")));
  plot->legend()->setAlignment(Qt::AlignBottom);
  auto* names = new QBarCategoryAxis;
  for (const QString& test : chart.tests) names->append(InfoOf(test).displayName);
  plot->addAxis(names, Qt::AlignBottom);
  series->attachAxis(names);
  auto* values = new QValueAxis;
  values->setRange(0, chart.top > 0 ? chart.top * 1.15 : 1);  // room for the values and marks
  values->applyNiceNumbers();
  values->setTitleText(rates ? QCoreApplication::translate("ComparisonChart", "基準比 %")
                             : QCoreApplication::translate("ComparisonChart", "秒"));
  plot->addAxis(values, Qt::AlignLeft);
  series->attachAxis(values);
  new BarDecorations(plot, series, chart, rates);

  auto* view = new QChartView(plot);
  view->setRenderHint(QPainter::Antialiasing);
  view->setMinimumHeight(300);
  auto* table = new QLabel(TableHtml(chart, rates));
  table->setObjectName(QStringLiteral("Table_") + chart.id);
  table->setTextInteractionFlags(Qt::TextSelectableByMouse);
  DescribeChart(*view, *table, chart, rates);
  auto* box = new QWidget;
  box->setObjectName(QStringLiteral("Chart_") + chart.id);
  auto* layout = new QVBoxLayout(box);
  layout->setContentsMargins(0, 0, 0, 12);
  layout->addWidget(view);
  layout->addWidget(table);
  return box;
}

}  // namespace torvik
