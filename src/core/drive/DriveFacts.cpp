#include "core/drive/DriveFacts.h"

#include <QRegularExpression>

#include "core/machine/DriveClassifier.h"
#include "core/machine/SysInfoParsers.h"

namespace torvik {
namespace {

// Layers of partitions, device mapper and md a disk may hide under.
constexpr int kLayersFollowed = 8;

QString Trimmed(const std::optional<std::string>& text) {
  return text ? QString::fromUtf8(text->c_str()).trimmed() : QString();
}

// The sysfs directory of the whole disk under `device` (a /sys/dev/block
// node), links resolved; empty when it cannot be found.
std::string WholeDisk(const platform::SystemSources& sources, const std::string& device) {
  std::optional<std::string> path = sources.RealPath(device);
  for (int layer = 0; path && layer < kLayersFollowed; ++layer) {
    if (sources.ReadFile(*path + "/partition")) {
      path = path->substr(0, path->rfind('/'));  // a partition's disk is its parent
      continue;
    }
    const std::vector<std::string> below = sources.ListDirectory(*path + "/slaves");
    if (below.empty()) return *path;
    path = sources.RealPath(*path + "/slaves/" + below.front());
  }
  return {};
}

}  // namespace

QString TransportOf(const std::string& diskPath) {
  const QString path = QString::fromStdString(diskPath);
  // A USB bridge shows SCSI hosts and targets too: USB first.
  if (path.contains(QLatin1String("/usb"))) return QStringLiteral("usb");
  if (path.contains(QLatin1String("/nvme"))) return QStringLiteral("nvme");
  if (path.contains(QLatin1String("/virtio"))) return QStringLiteral("virtio");
  if (path.contains(QRegularExpression(QStringLiteral("/ata[0-9]+/")))) return QStringLiteral("sata");
  if (path.contains(QLatin1String("/mmc_host/"))) return QStringLiteral("mmc");
  if (path.contains(QLatin1String("/host")) && path.contains(QLatin1String("/target"))) return QStringLiteral("scsi");
  if (path.contains(QLatin1String("/devices/virtual/"))) return QStringLiteral("virtual");
  return QStringLiteral("unknown");
}

QString SchedulerOf(const std::string& schedulerFile) {
  const QString text = QString::fromStdString(schedulerFile).trimmed();
  const QRegularExpressionMatch marked = QRegularExpression(QStringLiteral("\\[([^\\]]+)\\]")).match(text);
  if (marked.hasMatch()) return marked.captured(1);
  return text.contains(u' ') ? QString() : text;
}

DriveFacts ReadDriveFacts(const platform::SystemSources& sources, const QString& folder) {
  DriveFacts facts;
  const auto resolved = sources.RealPath(folder.toStdString());
  if (!resolved) return facts;
  const std::vector<MountEntry> mounts = ParseMountInfo(sources.ReadFile("/proc/self/mountinfo").value_or(""));
  const DriveClass drive = ClassifyPath(sources, mounts, *resolved);
  facts.fileSystem = drive.fsType;
  if (drive.deviceNode.empty()) return facts;
  const std::string disk = WholeDisk(sources, drive.deviceNode);
  if (disk.empty()) return facts;
  facts.device = QString::fromStdString(disk.substr(disk.rfind('/') + 1));
  facts.transport = TransportOf(disk);
  facts.model = Trimmed(sources.ReadFile(disk + "/device/model"));
  if (facts.model.isEmpty()) facts.model = Trimmed(sources.ReadFile(disk + "/device/name"));  // MMC cards
  const QString rotational = Trimmed(sources.ReadFile(disk + "/queue/rotational"));
  if (rotational == u"0" || rotational == u"1") facts.rotational = rotational == u"1";
  facts.scheduler = SchedulerOf(sources.ReadFile(disk + "/queue/scheduler").value_or(""));
  const QStringList number = Trimmed(sources.ReadFile(disk + "/dev")).split(u':');
  if (number.size() == 2) {
    facts.major = number[0].toUInt();
    facts.minor = number[1].toUInt();
  }
  return facts;
}

}  // namespace torvik
