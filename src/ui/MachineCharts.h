// MachineCharts: the charts of today's machine on three pages, drawn from
// the points measured so far (PointCurves works out what they show): the
// cores group's speed-up of each workload against its threads with the
// ideal line (both axes log 2), STREAM's bandwidth of each kernel against
// threads and the latency curve (nanoseconds a load against the working
// set, both axes log), and the drive's rows as read and write bars (MB/s).
// Each chart's view has its figures as text for a screen reader
// (MachineChartTexts). The chart views are named "ScalingChart",
// "BandwidthChart", "LatencyChart" and "DriveChart". GUI thread only.
#pragma once

#include <QBarCategoryAxis>
#include <QCategoryAxis>
#include <QChartView>
#include <QLogValueAxis>
#include <QTabWidget>
#include <QValueAxis>
#include <vector>

#include "core/results/MeasuredPoint.h"
#include "core/results/TestCatalogue.h"

namespace torvik {

class MachineCharts : public QTabWidget {
  Q_OBJECT

 public:
  explicit MachineCharts(QWidget* parent = nullptr);

  // Draws every chart anew from `points` (all points of the window's run).
  void Show(const std::vector<MeasuredPoint>& points);
  // Turns to the page of `group` (cores, ram or drive).
  void ShowPage(Group group);
  // The pages' and charts' words again (the language changed).
  void Retranslate();

 private:
  void DrawScaling(const std::vector<MeasuredPoint>& points);
  void DrawBandwidth(const std::vector<MeasuredPoint>& points);
  void DrawLatency(const std::vector<MeasuredPoint>& points);
  void DrawDrive(const std::vector<MeasuredPoint>& points);

  QWidget *coresPage_, *ramPage_, *drivePage_;
  QChartView *scaling_, *bandwidth_, *latency_, *drive_;
  // Each chart keeps its axes (a chart's axes taken away leave their
  // drawing behind); each drawing sets their ranges and labels anew.
  QLogValueAxis *scalingThreads_, *speedUp_, *bandwidthThreads_, *nanoseconds_;
  QValueAxis *bandwidthRate_, *driveRate_;
  QCategoryAxis* sizes_;
  QBarCategoryAxis* driveRows_;
  std::vector<MeasuredPoint> shown_;
};

}  // namespace torvik
