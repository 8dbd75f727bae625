#include "ui/TrendChart.h"

#include <QAreaSeries>
#include <QChart>
#include <QChartView>
#include <QCoreApplication>
#include <QDateTime>
#include <QDateTimeAxis>
#include <QLegend>
#include <QLegendMarker>
#include <QLineSeries>
#include <QScatterSeries>
#include <QVBoxLayout>
#include <map>
#include <QValueAxis>
#include <algorithm>
#include <limits>

#include "core/analysis/ChartPalette.h"
#include "core/analysis/ComparisonFigures.h"

namespace torvik {
namespace {

double Milliseconds(int64_t time) { return static_cast<double>(time) * 1000.0; }

QScatterSeries* Marks(const QString& name, QScatterSeries::MarkerShape shape, const QColor& fill, const QColor& edge,
                      double size) {
  auto* marks = new QScatterSeries;
  marks->setName(name);
  marks->setMarkerShape(shape);
  marks->setMarkerSize(size);
  marks->setColor(fill);
  marks->setBorderColor(edge);
  return marks;
}

QWidget* TestChart(const QString& test, const std::vector<std::pair<const MachineTrend*, const TrendLine*>>& lines) {
  auto* chart = new QChart;
  chart->setTitle(QCoreApplication::translate("TrendChart", "%1 — 時間: 秒、低いほど速い")
                      .arg(InfoOf(test).displayName));
  auto* dates = new QDateTimeAxis;
  dates->setFormat(QStringLiteral("yyyy-MM-dd"));
  auto* seconds = new QValueAxis;
  seconds->setTitleText(QCoreApplication::translate("TrendChart", "秒"));
  chart->addAxis(dates, Qt::AlignBottom);
  chart->addAxis(seconds, Qt::AlignLeft);
  double low = std::numeric_limits<double>::max(), high = 0;
  int64_t first = std::numeric_limits<int64_t>::max(), last = 0;
  auto* noisy = Marks(QCoreApplication::translate("TrendChart", "ノイズあり"), QScatterSeries::MarkerShapeCircle,
                      Qt::transparent, QColor(200, 0, 0), 14);
  auto* faster = Marks(QCoreApplication::translate("TrendChart", "速くなった (ノイズを超える)"),
                       QScatterSeries::MarkerShapeTriangle, QColor(0, 150, 0), QColor(0, 90, 0), 12);
  auto* slower = Marks(QCoreApplication::translate("TrendChart", "遅くなった (ノイズを超える)"),
                       QScatterSeries::MarkerShapeRotatedRectangle, QColor(200, 0, 0), QColor(120, 0, 0), 12);
  for (size_t i = 0; i < lines.size(); ++i) {
    const auto& [trend, line] = lines[i];
    const QColor colour(QLatin1String(ChartColour(i)));
    auto* mean = new QLineSeries;
    mean->setName(QStringLiteral("%1 (%2)").arg(trend->machine, trend->processor));
    mean->setColor(colour);
    mean->setPointsVisible(true);
    auto* upper = new QLineSeries;
    auto* lower = new QLineSeries;
    for (const TrendPoint& point : line->points) {
      const double x = Milliseconds(point.time);
      const double spread = point.precise && point.seconds.count > 1 ? point.seconds.stdev : 0;
      mean->append(x, point.seconds.mean);
      upper->append(x, point.seconds.mean + spread);
      lower->append(x, point.seconds.mean - spread);
      low = std::min(low, point.seconds.mean - spread);
      high = std::max(high, point.seconds.mean + spread);
      first = std::min(first, point.time);
      last = std::max(last, point.time);
      if (point.noisy) noisy->append(x, point.seconds.mean);
      if (point.change == Verdict::Faster) faster->append(x, point.seconds.mean);
      if (point.change == Verdict::Slower) slower->append(x, point.seconds.mean);
    }
    auto* band = new QAreaSeries(upper, lower);
    band->setName(QCoreApplication::translate("TrendChart", "±1 標準偏差"));
    QColor pale = colour;
    pale.setAlpha(50);
    band->setColor(pale);
    band->setBorderColor(Qt::transparent);
    for (QAbstractSeries* series : std::initializer_list<QAbstractSeries*>{band, mean}) {
      chart->addSeries(series);
      series->attachAxis(dates);
      series->attachAxis(seconds);
    }
    if (i > 0) chart->legend()->markers(band).first()->setVisible(false);  // one band entry says it
  }
  for (QScatterSeries* marks : {noisy, faster, slower}) {
    chart->addSeries(marks);
    marks->attachAxis(dates);
    marks->attachAxis(seconds);
    if (marks->count() == 0) chart->legend()->markers(marks).first()->setVisible(false);
  }
  // A day's margin either side, so that one series is not drawn on the edge.
  dates->setRange(QDateTime::fromSecsSinceEpoch(first - 43'200), QDateTime::fromSecsSinceEpoch(last + 43'200));
  const double margin = std::max((high - low) * 0.1, high * 0.01);
  seconds->setRange(std::max(0.0, low - margin), high + margin);
  seconds->applyNiceNumbers();
  chart->legend()->setAlignment(Qt::AlignBottom);
  auto* view = new QChartView(chart);
  view->setObjectName(QStringLiteral("Trend_") + test);
  view->setRenderHint(QPainter::Antialiasing);
  view->setMinimumHeight(260);
  return view;
}

}  // namespace

QWidget* MakeTrendCharts(const std::vector<MachineTrend>& trends) {
  auto* box = new QWidget;
  auto* layout = new QVBoxLayout(box);
  // A chart per test, in the tests' order.
  std::map<int64_t, QString> tests;
  for (const MachineTrend& trend : trends) {
    for (const TrendLine& line : trend.lines) tests.emplace(InfoOf(line.test).order, line.test);
  }
  for (const auto& [order, test] : tests) {
    std::vector<std::pair<const MachineTrend*, const TrendLine*>> lines;
    for (const MachineTrend& trend : trends) {
      for (const TrendLine& line : trend.lines) {
        if (line.test == test && lines.size() < kChartColours.size()) lines.emplace_back(&trend, &line);
      }
    }
    layout->addWidget(TestChart(test, lines));
  }
  layout->addStretch();
  return box;
}

}  // namespace torvik
