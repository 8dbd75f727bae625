#include "core/machine/OsDescription.h"

#include <QStringList>

#include "core/base/Errors.h"

namespace torvik {
namespace {

// A value of an opened key: missing reads as empty; not text is an error.
QString ValueOf(const RegistryView::Key& key, const QString& name) {
  const auto it = key.find(name);
  if (it == key.end()) return {};
  if (it->second.typeId() != QMetaType::QString) throw TorvikError(WrongDataTypeText(name));
  return it->second.toString();
}

}  // namespace

VersionRecord LinuxVersionRecord(const QString& kernelRelease, const QString& prettyName) {
  VersionRecord record;
  record.platformId = kPlatformLinux;
  const QString numbers = kernelRelease.section(u'-', 0, 0);
  const QStringList parts = numbers.split(u'.');
  record.majorVersion = parts.value(0).toInt();
  record.minorVersion = parts.value(1).toInt();
  record.buildNumber = parts.value(2).toUInt();
  record.csdVersion = prettyName;
  return record;
}

QString OsName(const VersionRecord& r) {
  switch (r.platformId) {
    case kPlatformWin32Windows: return r.minorVersion == 0 ? QStringLiteral("Windows95") : QStringLiteral("Windows98");
    case kPlatformWin32NT: return r.majorVersion < 5 ? QStringLiteral("WindowsNT") : QStringLiteral("Windows2000");
    case kPlatformLinux: return QStringLiteral("Linux");
  }
  return QStringLiteral("Windows");
}

int64_t OsBuild(const VersionRecord& r) {
  switch (r.platformId) {
    case kPlatformWin32Windows: return r.buildNumber & 0xFFFF;
    case kPlatformWin32NT:
    case kPlatformLinux: return static_cast<int32_t>(r.buildNumber);
  }
  return 0;
}

QString BuildOsDescription(const VersionRecord& r) {
  const QString name = OsName(r);
  const int64_t build = OsBuild(r);
  auto withBuild = [&](const QString& servicePack) {
    return servicePack.isEmpty()
               ? QStringLiteral("%1 %2.%3 (Build %4)").arg(name).arg(r.majorVersion).arg(r.minorVersion).arg(build)
               : QStringLiteral("%1 %2.%3 (Build %4: %5)")
                     .arg(name)
                     .arg(r.majorVersion)
                     .arg(r.minorVersion)
                     .arg(build)
                     .arg(servicePack);
  };
  QString description;
  if (r.platformId == kPlatformWin32Windows || r.platformId == kPlatformWin32NT || r.platformId == kPlatformLinux) {
    description = withBuild(r.csdVersion);
  } else {
    description = QStringLiteral("%1 %2.%3").arg(name).arg(r.majorVersion).arg(r.minorVersion);
  }
  if (name == u"Windows98" && r.csdVersion == QStringLiteral("  "))
    description = withBuild(QStringLiteral("Service Pack 1"));
  return description;
}

QString BuildDisplayDescription(const VersionRecord& record, const QString& systemIniDisplay,
                                const RegistryView& registry, const QString& linuxAdapter) {
  QString description = systemIniDisplay;
  if (record.platformId == kPlatformWin32Windows) {
    const QString classKey = QStringLiteral("System\\CurrentControlSet\\Services\\Class\\Display\\");
    if (const auto key = registry.Open(classKey + QStringLiteral("0000")))
      description = ValueOf(*key, QStringLiteral("DriverDesc"));
    QString candidate = classKey + QStringLiteral("0000");
    if (const auto config = registry.Open(QStringLiteral("System\\CurrentControlSet\\control\\IDConfigDB"))) {
      candidate = classKey + ValueOf(*config, QStringLiteral("CurrentConfig"));
    }
    if (const auto key = registry.Open(candidate)) description = ValueOf(*key, QStringLiteral("DriverDesc"));
  } else if (record.platformId == kPlatformWin32NT) {
    if (const auto video = registry.Open(QStringLiteral("HARDWARE\\DEVICEMAP\\VIDEO\\"))) {
      QString path = ValueOf(*video, QStringLiteral("\\Device\\Video0"));
      const QString prefix = QStringLiteral("\\REGISTRY\\Machine\\");
      if (path.startsWith(prefix)) path = path.mid(prefix.size());
      const qsizetype device0 = path.indexOf(QStringLiteral("Device0"));
      if (device0 >= 0) path = path.left(device0);
      if (const auto enumKey = registry.Open(path + QStringLiteral("Enum"))) {
        QString instance = ValueOf(*enumKey, QStringLiteral("0"));
        if (instance.startsWith(QStringLiteral("Root\\"))) instance = instance.mid(5);
        if (const auto device = registry.Open(QStringLiteral("SYSTEM\\CONTROLSET001\\enum\\ROOT\\") + instance)) {
          description = ValueOf(*device, QStringLiteral("DeviceDesc"));
        }
      }
    }
  } else if (record.platformId == kPlatformLinux) {
    description = linuxAdapter.isEmpty() ? QStringLiteral("?") : linuxAdapter;
  }
  return description;
}

}  // namespace torvik
