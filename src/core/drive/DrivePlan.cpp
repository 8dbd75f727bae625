#include "core/drive/DrivePlan.h"

#include <QCoreApplication>
#include <algorithm>
#include <cmath>

#include "core/settings/TestPathRules.h"

namespace torvik {

DrivePlanResult MakeDrivePlan(const DriveSettings& settings) {
  // The size goes through the user's own rules, whichever way it came.
  const DriveFileSize size = ParseDriveFileSize(QString::number(settings.fileBytes));
  if (!size.ok()) return {std::nullopt, size.message};
  if (!std::isfinite(settings.rowSeconds) || settings.rowSeconds < kMinimumDriveRowSeconds ||
      settings.rowSeconds > kMaximumDriveRowSeconds) {
    return {std::nullopt,
            QCoreApplication::translate("DrivePlan", "1項目の計測時間は %1 秒から %2 秒の間で指定してください")
                .arg(kMinimumDriveRowSeconds)
                .arg(kMaximumDriveRowSeconds)};
  }
  DrivePlan plan;
  plan.testPath = NormalisedTestPath(settings.testPath);
  plan.fileBytes = size.bytes;
  plan.rowNs = std::llround(settings.rowSeconds * 1e9);
  plan.warmUpNs = std::min(kDriveWarmUpNs, plan.rowNs / 5);
  plan.rows.assign(kDriveRows.begin(), kDriveRows.end());
  return {plan, {}};
}

QString DriveRowName(const DriveRow& row) {
  const QString direction = row.write ? QCoreApplication::translate("DrivePlan", "書き込み")
                                      : QCoreApplication::translate("DrivePlan", "読み込み");
  return QStringLiteral("%1 %2").arg(QLatin1String(row.label), direction);
}

QString DriveRowStatus(const DriveRow& row) {
  return QCoreApplication::translate("DrivePlan", "ドライブ性能 計測中！（%1）").arg(DriveRowName(row));
}

QString DriveFillStatus() {
  return QCoreApplication::translate("DrivePlan", "ドライブ性能 準備中！（テストファイル作成）");
}

}  // namespace torvik
