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

#include "core/results/PreciseFigures.h"

namespace torvik {
namespace {

// What one bar shows, and the spread around it.
struct Bar {
  double value = 0, spread = 0;
  bool present = false, noisy = false;
};

Bar BarOf(const ComparedRun& run, const ComparedRun& baseline, const QString& test, bool rates) {
  Bar bar;
  const auto figure = run.figures.find(test);
  if (figure == run.figures.end()) return bar;
  bar.present = true;
  bar.noisy = figure->second.noisy;
  if (!rates) {
    bar.value = figure->second.seconds;
    bar.spread = figure->second.repetitions > 1 ? figure->second.secondsStdev : 0;
    return bar;
  }
  const auto base = baseline.figures.find(test);
  const double reference = base == baseline.figures.end() ? 0 : base->second.rate;
  if (reference <= 0) return Bar{};  // no baseline figure: nothing to draw against
  bar.value = figure->second.rate / reference * 100;
  bar.spread = figure->second.repetitions > 1 ? figure->second.rateStdev / reference * 100 : 0;
  return bar;
}

// Error bars and noise marks over the bars, placed again whenever the plot
// area moves (a resize, the first layout).
class BarDecorations : public QObject {
 public:
  BarDecorations(QChart* chart, QBarSeries* series, std::vector<std::vector<Bar>> bars, bool rates)
      : QObject(chart), chart_(chart), series_(series), bars_(std::move(bars)), rates_(rates) {
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
        const Bar& bar = bars_[i][j];
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
        auto* value = new QGraphicsSimpleTextItem(ValueText(bar.value), chart_);
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
  std::vector<std::vector<Bar>> bars_;  // per set, per category
  bool rates_;
  std::vector<QGraphicsItem*> items_;
};

QString FigureText(const Figure& figure, Test test, bool rates) {
  QString text = rates ? RateText(figure.rate, EntryOf(test).unit, u'.')
                       : QStringLiteral("%1 s").arg(figure.seconds, 0, 'f', figure.seconds < 10 ? 3 : 1);
  if (figure.repetitions > 1) {
    const double spread = rates ? figure.rateStdev / figure.rate : figure.secondsStdev / figure.seconds;
    text += QStringLiteral(" ±%1 %").arg(spread * 100, 0, 'f', 1);
  }
  return text;
}

// The table under a chart: runs by tests, each figure and its difference
// from the baseline's.
QString TableHtml(const std::vector<Test>& tests, const ChartInputs& in) {
  const std::vector<ComparedRun>& runs = *in.runs;
  QString html = QStringLiteral("<table cellspacing=0 cellpadding=3><tr><th></th>");
  for (Test test : tests) html += QStringLiteral("<th>%1</th>").arg(QLatin1String(EntryOf(test).displayName));
  html += QStringLiteral("</tr>");
  for (size_t i = 0; i < runs.size(); ++i) {
    html += QStringLiteral("<tr><td>%1%2</td>")
                .arg(in.labels[i].toHtmlEscaped(),
                     i == in.baseline
                         ? QStringLiteral(" <b>%1</b>").arg(QCoreApplication::translate("ComparisonChart", "(基準)"))
                         : QString());
    for (Test test : tests) {
      const QString id = QLatin1String(EntryOf(test).id);
      const auto figure = runs[i].figures.find(id);
      if (figure == runs[i].figures.end()) {
        html += QStringLiteral("<td align=right>-</td>");
        continue;
      }
      QString cell = FigureText(figure->second, test, in.rates).toHtmlEscaped();
      const auto base = runs[in.baseline].figures.find(id);
      if (i != in.baseline && base != runs[in.baseline].figures.end()) {
        const auto percent = in.rates ? PercentAgainst(figure->second.rate, base->second.rate)
                                      : PercentAgainst(figure->second.seconds, base->second.seconds);
        if (percent) cell += QStringLiteral(" (%1%2 %)").arg(*percent >= 0 ? "+" : "").arg(*percent, 0, 'f', 1);
      }
      if (figure->second.noisy) cell += QStringLiteral(" <font color=#c80000><b>!</b></font>");
      html += QStringLiteral("<td align=right>%1</td>").arg(cell);
    }
    html += QStringLiteral("</tr>");
  }
  return html + QStringLiteral("</table>");
}

}  // namespace

const std::vector<ChartGroup>& ChartGroups() {
  static const std::vector<ChartGroup> groups = [] {
    std::vector<ChartGroup> made;
    const std::pair<Group, const char*> titles[] = {
        {Group::Cpu, "CPU"}, {Group::Graphic, "Graphic"}, {Group::Memory, "Memory"}, {Group::Hdd, "HDD"}};
    for (const auto& [group, title] : titles) {
      const GroupEntry& entry = EntryOf(group);
      made.push_back({QLatin1String(entry.id), QLatin1String(title), {entry.tests.begin(), entry.tests.end()}});
    }
    made.push_back({QStringLiteral("mix"), QStringLiteral("MIX Mode"), {Test::Mix}});
    return made;
  }();
  return groups;
}

QWidget* MakeGroupChart(const ChartGroup& group, const ChartInputs& inputs) {
  const std::vector<ComparedRun>& runs = *inputs.runs;
  std::vector<Test> tests;
  for (Test test : group.tests) {
    const QString id = QLatin1String(EntryOf(test).id);
    for (const ComparedRun& run : runs) {
      if (run.figures.contains(id)) {
        tests.push_back(test);
        break;
      }
    }
  }
  if (tests.empty() || runs.empty()) return nullptr;
  // A baseline that ran none of these tests (another group) gives way to
  // the first run that did.
  const auto ranAny = [&tests](const ComparedRun& run) {
    return std::any_of(tests.begin(), tests.end(),
                       [&run](Test test) { return run.figures.contains(QLatin1String(EntryOf(test).id)); });
  };
  ChartInputs in = inputs;
  if (!ranAny(runs[in.baseline])) {
    in.baseline = static_cast<size_t>(std::find_if(runs.begin(), runs.end(), ranAny) - runs.begin());
  }

  auto* series = new QBarSeries;
  std::vector<std::vector<Bar>> bars;
  double top = 0;
  for (size_t i = 0; i < runs.size(); ++i) {
    auto* set = new QBarSet(in.labels[i]);
    std::vector<Bar>& row = bars.emplace_back();
    for (Test test : tests) {
      const Bar bar = BarOf(runs[i], runs[in.baseline], QLatin1String(EntryOf(test).id), in.rates);
      set->append(bar.present ? bar.value : 0);
      row.push_back(bar);
      top = std::max(top, bar.value + bar.spread);
    }
    series->append(set);
  }

  auto* chart = new QChart;
  chart->addSeries(series);
  chart->setTitle(QStringLiteral("%1 — %2").arg(
      group.title, in.rates ? QCoreApplication::translate("ComparisonChart", "速度: 基準に対する割合、高いほど速い")
                            : QCoreApplication::translate("ComparisonChart", "時間: 秒、低いほど速い")));
  chart->legend()->setAlignment(Qt::AlignBottom);
  auto* names = new QBarCategoryAxis;
  for (Test test : tests) names->append(QLatin1String(EntryOf(test).displayName));
  chart->addAxis(names, Qt::AlignBottom);
  series->attachAxis(names);
  auto* values = new QValueAxis;
  values->setRange(0, top > 0 ? top * 1.15 : 1);  // room for the values and marks
  values->applyNiceNumbers();
  values->setTitleText(in.rates ? QCoreApplication::translate("ComparisonChart", "基準比 %")
                                : QCoreApplication::translate("ComparisonChart", "秒"));
  chart->addAxis(values, Qt::AlignLeft);
  series->attachAxis(values);
  new BarDecorations(chart, series, std::move(bars), in.rates);

  auto* view = new QChartView(chart);
  view->setRenderHint(QPainter::Antialiasing);
  view->setMinimumHeight(300);
  auto* table = new QLabel(TableHtml(tests, in));
  table->setObjectName(QStringLiteral("Table_") + group.id);
  table->setTextInteractionFlags(Qt::TextSelectableByMouse);
  auto* box = new QWidget;
  box->setObjectName(QStringLiteral("Chart_") + group.id);
  auto* layout = new QVBoxLayout(box);
  layout->setContentsMargins(0, 0, 0, 12);
  layout->addWidget(view);
  layout->addWidget(table);
  return box;
}

}  // namespace torvik
