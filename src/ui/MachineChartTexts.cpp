#include "ui/MachineChartTexts.h"

#include <QCoreApplication>
#include <QStringList>
#include <functional>

#include "core/results/TestInfo.h"

namespace torvik::machine_charts {
namespace {

QString Threads(double x) {
  return QCoreApplication::translate("MachineChartTexts", "%1 スレッド").arg(static_cast<int>(x));
}

// The title line, then "<name> — <figure>; <figure>" for each curve.
QString Lines(const QString& head, const std::vector<PointCurve>& curves,
              const std::function<QString(const CurvePoint&)>& figure) {
  QStringList lines{head};
  for (const PointCurve& curve : curves) {
    QStringList figures;
    for (const CurvePoint& point : curve.points) figures << figure(point);
    lines << curve.name + QStringLiteral(" — ") + figures.join(QStringLiteral("; "));
  }
  if (curves.empty()) lines << QCoreApplication::translate("MachineChartTexts", "まだ計測していません");
  return lines.join(u'\n');
}

QString MegabytesText(const std::optional<double>& rate) {
  return rate ? QStringLiteral("%1 MB/s").arg(*rate, 0, 'f', 1)
              : QCoreApplication::translate("MachineChartTexts", "計測なし");
}

}  // namespace

QString ScalingTitle() {
  return QCoreApplication::translate("MachineChartTexts", "マルチコアのスケーリング (1 スレッドに対する速度)");
}
QString BandwidthTitle() { return QCoreApplication::translate("MachineChartTexts", "メモリ帯域 (STREAM)"); }
QString LatencyTitle() {
  return QCoreApplication::translate("MachineChartTexts", "メモリレイテンシ (1 回の読み込みの時間)");
}
QString DriveTitle() { return QCoreApplication::translate("MachineChartTexts", "ドライブの転送速度"); }

QString ScalingText(const std::vector<PointCurve>& curves) {
  return Lines(ScalingTitle() + QStringLiteral(": ") +
                   QCoreApplication::translate(
                       "MachineChartTexts", "スレッド数に対する速度の倍率、高いほど速い、理想はスレッド数と同じ倍率"),
               curves, [](const CurvePoint& point) {
                 return QCoreApplication::translate("MachineChartTexts", "%1: %2 倍")
                     .arg(Threads(point.x), QString::number(point.y, 'f', 2));
               });
}

QString BandwidthText(const std::vector<PointCurve>& curves) {
  return Lines(BandwidthTitle() + QStringLiteral(": ") +
                   QCoreApplication::translate("MachineChartTexts", "スレッド数に対する GB/s、高いほど速い"),
               curves, [](const CurvePoint& point) {
                 return QStringLiteral("%1: %2 GB/s").arg(Threads(point.x), QString::number(point.y, 'f', 2));
               });
}

QString LatencyText(const PointCurve& curve) {
  std::vector<PointCurve> curves;
  if (!curve.points.empty()) curves.push_back(curve);
  return Lines(
      LatencyTitle() + QStringLiteral(": ") +
          QCoreApplication::translate("MachineChartTexts", "作業領域に対するナノ秒、低いほど速い、両軸とも対数"),
      curves, [](const CurvePoint& point) {
        return QStringLiteral("%1: %2 ns")
            .arg(WorkingSetName(static_cast<int64_t>(point.x)), QString::number(point.y, 'f', point.y < 10 ? 2 : 1));
      });
}

QString DriveText(const std::vector<DriveBar>& bars) {
  QStringList lines{DriveTitle() + QStringLiteral(": ") +
                    QCoreApplication::translate("MachineChartTexts", "MB/s、高いほど速い")};
  for (const DriveBar& bar : bars) {
    lines << QCoreApplication::translate("MachineChartTexts", "%1 — 読み込み %2、書き込み %3")
                 .arg(bar.label, MegabytesText(bar.read), MegabytesText(bar.write));
  }
  if (bars.empty()) lines << QCoreApplication::translate("MachineChartTexts", "まだ計測していません");
  return lines.join(u'\n');
}

QString ChartName(const QString& title) {
  return QCoreApplication::translate("MachineChartTexts", "%1 のグラフ").arg(title);
}

}  // namespace torvik::machine_charts
