#include "ui/MachineCharts.h"

#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QCategoryAxis>
#include <QChart>
#include <QLegend>
#include <QLineSeries>
#include <QLogValueAxis>
#include <QPen>
#include <QTabBar>
#include <QVBoxLayout>
#include <QValueAxis>
#include <algorithm>
#include <cmath>

#include "core/analysis/ChartPalette.h"
#include "core/analysis/PointCurves.h"
#include "core/results/PreciseFigures.h"
#include "core/results/TestInfo.h"
#include "ui/MachineChartTexts.h"

namespace torvik {
namespace {

using namespace machine_charts;

QChartView* MakeView(const char* name) {
  auto* chart = new QChart;
  chart->legend()->setAlignment(Qt::AlignBottom);
  chart->setMargins(QMargins(4, 4, 4, 4));
  auto* view = new QChartView(chart);
  view->setObjectName(QLatin1String(name));
  view->setRenderHint(QPainter::Antialiasing);
  view->setMinimumSize(320, 220);
  return view;
}

// The chart with `title` and no series, its axes kept.
QChart* Cleared(QChartView* view, const QString& title) {
  QChart* chart = view->chart();
  chart->removeAllSeries();
  chart->setTitle(title);
  return chart;
}

void Attach(QChart* chart, QAbstractSeries* series, QAbstractAxis* x, QAbstractAxis* y) {
  chart->addSeries(series);
  series->attachAxis(x);
  series->attachAxis(y);
}

template <typename Axis>
Axis* AddAxis(QChartView* view, Axis* axis, Qt::Alignment alignment) {
  view->chart()->addAxis(axis, alignment);
  return axis;
}

QLogValueAxis* LogAxis(double base, int minorTicks) {
  auto* axis = new QLogValueAxis;
  axis->setBase(base);
  axis->setLabelFormat(QStringLiteral("%g"));
  axis->setMinorTickCount(minorTicks);
  return axis;
}

QValueAxis* RateAxis(const QString& unit) {
  auto* axis = new QValueAxis;
  axis->setTitleText(unit);
  axis->setLabelFormat(QStringLiteral("%g"));
  return axis;
}

void Describe(QChartView* view, const QString& title, const QString& text) {
  view->setAccessibleName(ChartName(title));
  view->setAccessibleDescription(text);
  view->setToolTip(text);
}

QString ThreadsTitle() { return MachineCharts::tr("スレッド数"); }

// From 0 to a round figure past `high` with room above, in at most five
// steps of 1, 2 or 5 x 10^k (Qt's own nice numbers keep the axis's tick
// count, which can leave a bar at half the chart's height).
void SetRateRange(QValueAxis* axis, double high) {
  const double rough = std::max(high * 1.1, 1e-9) / 5;
  const double power = std::pow(10.0, std::floor(std::log10(rough)));
  double step = 10 * power;
  for (const double m : {1.0, 2.0, 5.0}) {
    if (m * power >= rough) {
      step = m * power;
      break;
    }
  }
  const int steps = static_cast<int>(std::ceil(high * 1.1 / step));
  axis->setRange(0, steps * step);
  axis->setTickCount(steps + 1);
}

// Threads on a log 2 axis: 1, 2, 4, ... with room either side.
void SetThreadRange(QLogValueAxis* axis, double most) {
  axis->setTitleText(ThreadsTitle());
  axis->setRange(0.8, std::max(2.0, most) * 1.25);
}

double MostX(const std::vector<PointCurve>& curves) {
  double most = 1;
  for (const PointCurve& curve : curves) {
    for (const CurvePoint& point : curve.points) most = std::max(most, point.x);
  }
  return most;
}

QLineSeries* Line(const PointCurve& curve, size_t index) {
  auto* line = new QLineSeries;
  line->setName(curve.name);
  line->setColor(QColor(QLatin1String(ChartColour(index))));
  line->setPointsVisible(true);
  for (const CurvePoint& point : curve.points) line->append(point.x, point.y);
  return line;
}

}  // namespace

MachineCharts::MachineCharts(QWidget* parent) : QTabWidget(parent) {
  setObjectName(QStringLiteral("MachineCharts"));
  scaling_ = MakeView("ScalingChart");
  bandwidth_ = MakeView("BandwidthChart");
  latency_ = MakeView("LatencyChart");
  drive_ = MakeView("DriveChart");
  scalingThreads_ = AddAxis(scaling_, LogAxis(2, 0), Qt::AlignBottom);
  speedUp_ = AddAxis(scaling_, LogAxis(2, 0), Qt::AlignLeft);
  bandwidthThreads_ = AddAxis(bandwidth_, LogAxis(2, 0), Qt::AlignBottom);
  bandwidthRate_ = AddAxis(bandwidth_, RateAxis(QStringLiteral("GB/s")), Qt::AlignLeft);
  sizes_ = AddAxis(latency_, new QCategoryAxis, Qt::AlignBottom);
  sizes_->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
  nanoseconds_ = AddAxis(latency_, LogAxis(10, 8), Qt::AlignLeft);
  latency_->chart()->legend()->setVisible(false);
  driveRows_ = AddAxis(drive_, new QBarCategoryAxis, Qt::AlignBottom);
  driveRate_ = AddAxis(drive_, RateAxis(QStringLiteral("MB/s")), Qt::AlignLeft);
  coresPage_ = new QWidget;
  coresPage_->setObjectName(QStringLiteral("CoresPage"));
  (new QVBoxLayout(coresPage_))->addWidget(scaling_);
  ramPage_ = new QWidget;
  ramPage_->setObjectName(QStringLiteral("RamPage"));
  auto* ram = new QVBoxLayout(ramPage_);
  ram->addWidget(bandwidth_);
  ram->addWidget(latency_);
  drivePage_ = new QWidget;
  drivePage_->setObjectName(QStringLiteral("DrivePage"));
  (new QVBoxLayout(drivePage_))->addWidget(drive_);
  addTab(coresPage_, QString());
  addTab(ramPage_, QString());
  addTab(drivePage_, QString());
  Retranslate();
}

void MachineCharts::Retranslate() {
  setTabText(indexOf(coresPage_), tr("マルチコア"));
  setTabText(indexOf(ramPage_), tr("メモリ"));
  setTabText(indexOf(drivePage_), tr("ドライブ"));
  setAccessibleName(tr("グラフ"));
  setAccessibleDescription(tr("グループごとのグラフのページ"));
  tabBar()->setAccessibleName(tr("グラフのページ"));
  Show(shown_);
}

void MachineCharts::ShowPage(Group group) {
  setCurrentWidget(group == Group::Drive ? drivePage_ : group == Group::Ram ? ramPage_ : coresPage_);
}

void MachineCharts::Show(const std::vector<MeasuredPoint>& points) {
  if (&points != &shown_) shown_ = points;
  DrawScaling(shown_);
  DrawBandwidth(shown_);
  DrawLatency(shown_);
  DrawDrive(shown_);
}

void MachineCharts::DrawScaling(const std::vector<MeasuredPoint>& points) {
  const std::vector<PointCurve> curves = ScalingCurves(points);
  QChart* chart = Cleared(scaling_, ScalingTitle());
  const double mostThreads = MostX(curves);
  double low = 1, high = std::max(2.0, mostThreads);
  for (const PointCurve& curve : curves) {
    for (const CurvePoint& point : curve.points) {
      low = std::min(low, point.y);
      high = std::max(high, point.y);
    }
  }
  QLogValueAxis* threads = scalingThreads_;
  QLogValueAxis* speedUp = speedUp_;
  SetThreadRange(threads, mostThreads);
  speedUp->setTitleText(tr("速度の倍率 (1 スレッド = 1)"));
  speedUp->setRange(low * 0.8, high * 1.25);
  for (size_t i = 0; i < curves.size(); ++i) Attach(chart, Line(curves[i], i), threads, speedUp);
  PointCurve ideal = IdealScaling(curves);
  ideal.name = tr("理想 (スレッド数倍)");
  if (!ideal.points.empty()) {
    QLineSeries* line = Line(ideal, 0);
    line->setPointsVisible(false);
    line->setPen(QPen(Qt::darkGray, 1.5, Qt::DashLine));
    Attach(chart, line, threads, speedUp);
  }
  Describe(scaling_, ScalingTitle(), ScalingText(curves));
}

void MachineCharts::DrawBandwidth(const std::vector<MeasuredPoint>& points) {
  const std::vector<PointCurve> curves = BandwidthCurves(points);
  QChart* chart = Cleared(bandwidth_, BandwidthTitle());
  double high = 1;
  for (const PointCurve& curve : curves) {
    for (const CurvePoint& point : curve.points) high = std::max(high, point.y);
  }
  QLogValueAxis* threads = bandwidthThreads_;
  QValueAxis* rate = bandwidthRate_;
  SetThreadRange(threads, MostX(curves));
  SetRateRange(rate, high);
  for (size_t i = 0; i < curves.size(); ++i) Attach(chart, Line(curves[i], i), threads, rate);
  Describe(bandwidth_, BandwidthTitle(), BandwidthText(curves));
}

void MachineCharts::DrawLatency(const std::vector<MeasuredPoint>& points) {
  const PointCurve curve = LatencyCurve(points);
  QChart* chart = Cleared(latency_, LatencyTitle());
  // The working set on a log 2 scale, named at every fourth power of two.
  double smallest = 4096, largest = double(int64_t{1} << 30), low = 1, high = 100;
  if (!curve.points.empty()) {
    smallest = curve.points.front().x;
    largest = std::max(curve.points.back().x, smallest * 2);
    low = high = curve.points.front().y;
    for (const CurvePoint& point : curve.points) {
      low = std::min(low, point.y);
      high = std::max(high, point.y);
    }
  }
  const int first = static_cast<int>(std::floor(std::log2(smallest)));
  const int last = static_cast<int>(std::ceil(std::log2(largest)));
  QCategoryAxis* sizes = sizes_;
  for (const QString& label : sizes->categoriesLabels()) sizes->remove(label);
  sizes->setTitleText(tr("作業領域 (対数)"));
  // About eight names along the axis, at powers of two.
  const int step = std::max(1, (last - first + 7) / 8);
  for (int power = first; power <= last; power += step) sizes->append(WorkingSetName(int64_t{1} << power), power);
  sizes->setStartValue(first - 0.3);
  sizes->setRange(first - 0.3, last + 0.3);
  QLogValueAxis* nanoseconds = nanoseconds_;
  nanoseconds->setTitleText(tr("ナノ秒 (対数)"));
  nanoseconds->setRange(low * 0.7, high * 1.4);
  auto* line = new QLineSeries;
  line->setName(curve.name);
  line->setColor(QColor(QLatin1String(ChartColour(0))));
  line->setPointsVisible(true);
  for (const CurvePoint& point : curve.points) line->append(std::log2(point.x), point.y);
  Attach(chart, line, sizes, nanoseconds);
  Describe(latency_, LatencyTitle(), LatencyText(curve));
}

void MachineCharts::DrawDrive(const std::vector<MeasuredPoint>& points) {
  const std::vector<DriveBar> bars = DriveBars(points);
  QChart* chart = Cleared(drive_, DriveTitle());
  auto* read = new QBarSet(tr("読み込み"));
  auto* write = new QBarSet(tr("書き込み"));
  read->setColor(QColor(QLatin1String(ChartColour(0))));
  write->setColor(QColor(QLatin1String(ChartColour(1))));
  // Each bar's figure above it, in the colour of the chart's title (the
  // bars' default, white, is meant for labels inside a bar).
  for (QBarSet* set : {read, write}) set->setLabelColor(chart->titleBrush().color());
  QStringList rows;
  double high = 1;
  for (const DriveBar& bar : bars) {
    rows << bar.label;
    read->append(AsRateTextShows(bar.read.value_or(0)));
    write->append(AsRateTextShows(bar.write.value_or(0)));
    high = std::max({high, bar.read.value_or(0), bar.write.value_or(0)});
  }
  auto* series = new QBarSeries;
  series->append(read);
  series->append(write);
  series->setLabelsVisible(true);
  series->setLabelsPosition(QAbstractBarSeries::LabelsOutsideEnd);
  series->setLabelsFormat(QStringLiteral("@value"));
  series->setLabelsPrecision(6);  // every digit of the rounded figure, as the table has it
  QBarCategoryAxis* categories = driveRows_;
  categories->setCategories(rows);
  QValueAxis* rate = driveRate_;
  SetRateRange(rate, high);
  Attach(chart, series, categories, rate);
  Describe(drive_, DriveTitle(), DriveText(bars));
}

}  // namespace torvik
