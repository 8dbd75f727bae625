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

#include "core/history/ChartPalette.h"
#include "core/results/PreciseFigures.h"
#include "ui/ChartTextAlternative.h"

namespace torvik {
namespace {

// Error bars and noise marks over the bars, placed again whenever the plot
// area moves (a resize, the first layout).
class BarDecorations : public QObject {
 public:
  BarDecorations(QChart* chart, QBarSeries* series, const PlannedChart& plan, bool rates)
      : QObject(chart), chart_(chart), series_(series), bars_(plan.bars), cells_(plan.cells), rates_(rates) {
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
        auto* value = new QGraphicsSimpleTextItem(ValueText(bar.value) + VerdictMark(cells_[i][j].verdict), chart_);
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

  QString ValueText(double value) const {
    return rates_ ? QStringLiteral("%1 %").arg(value, 0, 'f', 1) : QStringLiteral("%1 s").arg(value, 0, 'g', 4);
  }

  QChart* chart_;
  QBarSeries* series_;
  std::vector<std::vector<PlannedBar>> bars_;    // per run, per test
  std::vector<std::vector<PlannedCell>> cells_;  // per run, per test
  bool rates_;
  std::vector<QGraphicsItem*> items_;
};

QString FigureText(const Figure& figure, Test test, bool rates) {
  // An imported sheet's figure in its own precision: tenths of a second.
  const int decimals = !figure.precise ? 1 : figure.seconds < 10 ? 3 : 1;
  QString text = rates ? RateText(figure.rate, EntryOf(test).unit, u'.')
                       : QStringLiteral("%1 s").arg(figure.seconds, 0, 'f', decimals);
  if (!figure.precise) return text + QCoreApplication::translate("ComparisonChart", " (0.1 秒単位)");
  if (figure.repetitions > 1) {
    const double spread = rates ? figure.rateStdev / figure.rate : figure.secondsStdev / figure.seconds;
    text += QStringLiteral(" ±%1 %").arg(spread * 100, 0, 'f', 1);
  }
  return text;
}

// The table under a chart: runs by tests, each figure and its difference
// from the baseline's.
QString TableHtml(const PlannedChart& chart, bool rates) {
  QString html = QStringLiteral("<table cellspacing=0 cellpadding=3><tr><th></th>");
  for (Test test : chart.tests) html += QStringLiteral("<th>%1</th>").arg(QLatin1String(EntryOf(test).displayName));
  html += QStringLiteral("</tr>");
  for (size_t i = 0; i < chart.cells.size(); ++i) {
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
      QString text = FigureText(*cell.figure, chart.tests[j], rates).toHtmlEscaped();
      if (cell.percent) {
        text += QStringLiteral(" (%1%2 %, %3)")
                    .arg(*cell.percent >= 0 ? "+" : "")
                    .arg(*cell.percent, 0, 'f', 1)
                    .arg(VerdictCaption(cell.verdict).toHtmlEscaped());
      }
      if (cell.figure->noisy) text += QStringLiteral(" <font color=#c80000><b>!</b></font>");
      html += QStringLiteral("<td align=right>%1</td>").arg(text);
    }
    html += QStringLiteral("</tr>");
  }
  return html + QStringLiteral("</table>");
}

}  // namespace

QString VerdictMark(Verdict verdict) {
  switch (verdict) {
    case Verdict::Faster: return QStringLiteral(" ▲");
    case Verdict::Slower: return QStringLiteral(" ▼");
    case Verdict::WithinNoise: return QStringLiteral(" ≈");
    case Verdict::NotTested: break;
  }
  return {};
}

QString ChartKey() {
  return QCoreApplication::translate(
      "ComparisonChart",
      "差はすべて基準より速い割合 (+ が速い)。▲ 速い・▼ 遅い: 繰り返しの差がノイズを超える "
      "(ウェルチの t 検定、95 %)。≈ と淡い棒: 誤差の範囲。印なし: 1 回だけの計測で未検定。"
      "! 計測中にほかの処理かクロックの変化あり。ひげ: 標準偏差。");
}

QWidget* MakeGroupChart(const PlannedChart& chart, bool rates) {
  auto* series = new QBarSeries;
  for (size_t i = 0; i < chart.bars.size(); ++i) {
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
  for (size_t i = 0; i < chart.cells.size(); ++i) {
    for (size_t j = 0; j < chart.cells[i].size(); ++j) {
      if (chart.cells[i][j].verdict == Verdict::WithinNoise) series->barSets()[int(i)]->selectBar(int(j));
    }
  }
  plot->setTitle(QStringLiteral("%1 — %2").arg(
      chart.title, rates ? QCoreApplication::translate("ComparisonChart", "速度: 基準に対する割合、高いほど速い")
                         : QCoreApplication::translate("ComparisonChart", "時間: 秒、低いほど速い")));
  plot->legend()->setAlignment(Qt::AlignBottom);
  auto* names = new QBarCategoryAxis;
  for (Test test : chart.tests) names->append(QLatin1String(EntryOf(test).displayName));
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
