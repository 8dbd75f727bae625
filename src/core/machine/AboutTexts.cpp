#include "core/machine/AboutTexts.h"

namespace torvik {

QString AboutOsLine(const VersionRecord& r) {
  QString name = QStringLiteral("Windows");
  int64_t build = 0;
  switch (r.platformId) {
    case kPlatformWin32Windows:
      name = r.minorVersion == 0 ? QStringLiteral("Windows 95") : QStringLiteral("Windows 98");
      build = r.buildNumber & 0xFFFF;
      break;
    case kPlatformWin32NT:
      name = QStringLiteral("Windows NT");
      build = static_cast<int32_t>(r.buildNumber);
      break;
    case kPlatformLinux:
      name = QStringLiteral("Linux");
      build = static_cast<int32_t>(r.buildNumber);
      break;
    default: return QStringLiteral("%1 %2.%3").arg(name).arg(r.majorVersion).arg(r.minorVersion);
  }
  QString line = QStringLiteral("%1 %2.%3 (Build %4").arg(name).arg(r.majorVersion).arg(r.minorVersion).arg(build);
  if (!r.csdVersion.isEmpty()) line += QStringLiteral(": ") + r.csdVersion;
  return line + u')';
}

QString AboutMemoryLine(int64_t totalBytes, QChar groupSeparator) {
  const QString digits = QString::number(totalBytes / 1024);
  QString grouped;
  for (qsizetype i = 0; i < digits.size(); ++i) {
    if (i > 0 && (digits.size() - i) % 3 == 0 && digits[i - 1] != u'-') grouped += groupSeparator;
    grouped += digits[i];
  }
  // "#,###" shows nothing for zero.
  if (grouped == u"0") grouped.clear();
  return grouped + QStringLiteral(" KB");
}

QString AboutProcessorLine(const QString& vendor, const QString& name, double mhz, QChar decimalPoint) {
  return vendor + u' ' + name + u' ' + QString::asprintf("%6.2f", mhz).replace(u'.', decimalPoint) +
         QStringLiteral("MHz");
}

}  // namespace torvik
