#include "core/report/PointTable.h"

#include <QStringList>

#include "core/results/PreciseFigures.h"
#include "core/results/TestInfo.h"

namespace torvik {
namespace {

QString Microseconds(const std::optional<double>& value) {
  return value ? QString::number(*value, 'f', *value < 100 ? 1 : 0) : QStringLiteral("-");
}

}  // namespace

QString PointTable(const std::vector<MeasuredPoint>& points) {
  QString text = QStringLiteral("%1  %2  %3  %4\n")
                     .arg(QStringLiteral("group"), -6)
                     .arg(QStringLiteral("test"), -24)
                     .arg(QStringLiteral("rate"), 16)
                     .arg(QStringLiteral("detail"));
  for (const MeasuredPoint& point : points) {
    const std::optional<TestInfo> info = InfoOfTest(point.StoreId());
    const QString name = info ? info->displayName : point.StoreId();
    QString rate, detail;
    if (point.nanoseconds) {
      rate = QStringLiteral("%1 ns").arg(*point.nanoseconds, 0, 'f', *point.nanoseconds < 10 ? 2 : 1);
      if (point.hugePageBytes) detail = QStringLiteral("huge pages %1 KiB").arg(*point.hugePageBytes / 1024);
    } else {
      rate = RateText(point.rate, point.unit, u'.');
    }
    if (point.group == QLatin1String("drive")) {
      detail = QStringLiteral("%1 IOPS  p50 %2 us  p99 %3 us  p99.9 %4 us  %5")
                   .arg(point.iops ? QString::number(*point.iops, 'f', 0) : QStringLiteral("-"),
                        Microseconds(point.p50Us), Microseconds(point.p99Us), Microseconds(point.p999Us),
                        point.engine);
    }
    text += QStringLiteral("%1  %2  %3  %4").arg(point.group, -6).arg(name, -24).arg(rate, 16).arg(detail);
    while (text.endsWith(u' ')) text.chop(1);
    text += u'\n';
  }
  return text;
}

}  // namespace torvik
