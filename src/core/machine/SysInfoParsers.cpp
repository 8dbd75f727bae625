#include "core/machine/SysInfoParsers.h"

#include <QRegularExpression>
#include <sstream>

namespace torvik {
namespace {

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  std::string line;
  while (std::getline(in, line)) lines.push_back(line);
  return lines;
}

// "Key<spaces>: value" -> key and value, both trimmed.
bool SplitField(const std::string& line, QString& key, QString& value, char separator = ':') {
  const auto at = line.find(separator);
  if (at == std::string::npos) return false;
  key = QString::fromUtf8(line.substr(0, at)).trimmed();
  value = QString::fromUtf8(line.substr(at + 1)).trimmed();
  return true;
}

QString Unquote(QString value) {
  if (value.size() >= 2 && (value.front() == u'"' || value.front() == u'\'') && value.back() == value.front()) {
    value = value.mid(1, value.size() - 2);
  }
  return value;
}

}  // namespace

std::optional<MemInfo> ParseMemInfo(const std::string& text) {
  MemInfo info;
  int64_t memFree = -1;
  bool haveTotal = false, haveAvailable = false;
  for (const std::string& line : Lines(text)) {
    QString key, value;
    if (!SplitField(line, key, value)) continue;
    bool ok = false;
    const int64_t kb = value.section(u' ', 0, 0).toLongLong(&ok);
    if (!ok) continue;
    const int64_t bytes = kb * 1024;
    if (key == u"MemTotal") {
      info.total = bytes;
      haveTotal = true;
    } else if (key == u"MemAvailable") {
      info.available = bytes;
      haveAvailable = true;
    } else if (key == u"MemFree") {
      memFree = bytes;
    } else if (key == u"SwapTotal") {
      info.swapTotal = bytes;
    } else if (key == u"SwapFree") {
      info.swapFree = bytes;
    }
  }
  if (!haveTotal) return std::nullopt;
  if (!haveAvailable && memFree >= 0) info.available = memFree;
  return info;
}

CpuInfoFacts ParseCpuInfo(const std::string& text) {
  CpuInfoFacts facts;
  for (const std::string& line : Lines(text)) {
    if (line.empty()) break;  // only the first processor
    QString key, value;
    if (!SplitField(line, key, value)) continue;
    if (key == u"vendor_id") facts.vendorId = value;
    bool ok = false;
    const int number = value.toInt(&ok);
    if (!ok) continue;
    if (key == u"cpu family") facts.family = number;
    if (key == u"model") facts.model = number;
    if (key == u"stepping") facts.stepping = number;
  }
  return facts;
}

QString CpuIdentifier(const CpuInfoFacts& facts) {
  if (facts.family < 0 || facts.model < 0 || facts.stepping < 0) return {};
  return QStringLiteral("x86 Family %1 Model %2 Stepping %3").arg(facts.family).arg(facts.model).arg(facts.stepping);
}

OsRelease ParseOsRelease(const std::string& text) {
  OsRelease release;
  for (const std::string& line : Lines(text)) {
    QString key, value;
    if (line.empty() || line[0] == '#' || !SplitField(line, key, value, '=')) continue;
    if (key == u"PRETTY_NAME") release.prettyName = Unquote(value);
    if (key == u"VERSION") release.version = Unquote(value);
  }
  return release;
}

std::vector<SoundCard> ParseAsoundCards(const std::string& text) {
  // " 0 [PCH            ]: HDA-Intel - HDA Intel PCH"
  //  "                      HDA Intel PCH at 0xf7f10000 irq 33"
  static const QRegularExpression head(QStringLiteral("^\\s*(\\d+)\\s+\\[([^\\]]*)\\]:\\s*(.*)$"));
  std::vector<SoundCard> cards;
  const std::vector<std::string> lines = Lines(text);
  for (size_t i = 0; i < lines.size(); ++i) {
    const QRegularExpressionMatch m = head.match(QString::fromUtf8(lines[i]));
    if (!m.hasMatch()) continue;
    SoundCard card;
    card.index = m.captured(1).toInt();
    const QString rest = m.captured(3);
    card.shortName = rest.section(QStringLiteral(" - "), 1).trimmed();
    if (card.shortName.isEmpty()) card.shortName = m.captured(2).trimmed();
    card.longName = i + 1 < lines.size() ? QString::fromUtf8(lines[i + 1]).trimmed() : card.shortName;
    cards.push_back(card);
  }
  return cards;
}

std::vector<PcmDevice> ParseAsoundPcm(const std::string& text) {
  // "00-00: ALC892 Analog : ALC892 Analog : playback 1 : capture 1"
  static const QRegularExpression row(QStringLiteral("^(\\d+)-(\\d+):\\s*([^:]*):"));
  std::vector<PcmDevice> devices;
  for (const std::string& raw : Lines(text)) {
    const QString line = QString::fromUtf8(raw);
    const QRegularExpressionMatch m = row.match(line);
    if (!m.hasMatch()) continue;
    PcmDevice device;
    device.card = m.captured(1).toInt();
    device.device = m.captured(2).toInt();
    device.name = m.captured(3).trimmed();
    device.playback = line.contains(QStringLiteral("playback"));
    device.capture = line.contains(QStringLiteral("capture"));
    devices.push_back(device);
  }
  return devices;
}

std::optional<std::pair<int, int>> ParseAsoundVersion(const std::string& text) {
  static const QRegularExpression version(QStringLiteral("Version k?(\\d+)\\.(\\d+)"));
  const QRegularExpressionMatch m = version.match(QString::fromUtf8(text));
  if (!m.hasMatch()) return std::nullopt;
  return std::make_pair(m.captured(1).toInt(), m.captured(2).toInt());
}

std::vector<int> ParseAsoundMidiCards(const std::string& text) {
  // "  2: [ 0- 0]: raw midi"
  static const QRegularExpression row(QStringLiteral("\\[\\s*(\\d+)-\\s*\\d+\\]:\\s*raw midi"));
  std::vector<int> cards;
  for (const std::string& line : Lines(text)) {
    const QRegularExpressionMatch m = row.match(QString::fromUtf8(line));
    if (m.hasMatch()) cards.push_back(m.captured(1).toInt());
  }
  return cards;
}

std::optional<QString> ParseFirstMouse(const std::string& inputDevices) {
  QString name;
  for (const std::string& raw : Lines(inputDevices)) {
    const QString line = QString::fromUtf8(raw);
    if (line.startsWith(QStringLiteral("N: Name="))) name = Unquote(line.mid(8).trimmed());
    if (line.startsWith(QStringLiteral("H: Handlers="))) {
      for (const QString& handler : line.mid(12).split(u' ', Qt::SkipEmptyParts)) {
        if (handler.startsWith(QStringLiteral("mouse"))) return name;
      }
    }
  }
  return std::nullopt;
}

std::optional<QString> ParseEdidMonitorName(const std::string& edid) {
  if (edid.size() < 128) return std::nullopt;
  // Four 18-byte descriptors from byte 54; a display descriptor starts 00 00 00.
  for (size_t at = 54; at + 18 <= 126; at += 18) {
    const auto* d = reinterpret_cast<const uint8_t*>(edid.data() + at);
    if (d[0] == 0 && d[1] == 0 && d[2] == 0 && d[3] == 0xFC) {
      std::string name(reinterpret_cast<const char*>(d + 5), 13);
      const auto end = name.find('\n');
      if (end != std::string::npos) name.resize(end);
      return QString::fromLatin1(name.c_str()).trimmed();
    }
  }
  return std::nullopt;
}

std::optional<QString> ParsePciIdsName(const std::string& pciIds, uint16_t vendor, uint16_t device) {
  const QString vendorId = QStringLiteral("%1").arg(vendor, 4, 16, QLatin1Char('0'));
  const QString deviceId = QStringLiteral("%1").arg(device, 4, 16, QLatin1Char('0'));
  bool inVendor = false;
  for (const std::string& raw : Lines(pciIds)) {
    if (raw.empty() || raw[0] == '#') continue;
    const QString line = QString::fromUtf8(raw);
    if (raw[0] != '\t') {
      inVendor = line.startsWith(vendorId + QStringLiteral("  "));
      continue;
    }
    if (inVendor && raw.size() > 1 && raw[1] != '\t' && line.mid(1).startsWith(deviceId + QStringLiteral("  "))) {
      return line.mid(1 + 6).trimmed();
    }
  }
  return std::nullopt;
}

std::vector<MountEntry> ParseMountInfo(const std::string& text) {
  // "36 35 98:0 /mnt1 /mnt2 rw,noatime master:1 - ext3 /dev/root rw,errors=continue"
  auto unescape = [](QString field) {
    static const QRegularExpression octal(QStringLiteral("\\\\([0-7]{3})"));
    QRegularExpressionMatch m;
    while ((m = octal.match(field)).hasMatch()) {
      field.replace(m.capturedStart(), 4, QChar(m.captured(1).toInt(nullptr, 8)));
    }
    return field;
  };
  std::vector<MountEntry> mounts;
  for (const std::string& raw : Lines(text)) {
    const QStringList fields = QString::fromUtf8(raw).split(u' ', Qt::SkipEmptyParts);
    const qsizetype dash = fields.indexOf(QStringLiteral("-"));
    if (fields.size() < 5 || dash < 6 || dash + 2 >= fields.size()) continue;
    MountEntry entry;
    const QStringList device = fields[2].split(u':');
    if (device.size() != 2) continue;
    entry.major = device[0].toUInt();
    entry.minor = device[1].toUInt();
    entry.mountPoint = unescape(fields[4]);
    entry.fsType = fields[dash + 1];
    entry.source = unescape(fields[dash + 2]);
    mounts.push_back(entry);
  }
  return mounts;
}

int32_t ClassifyFileSystem(const QString& fsType, bool hasBlockDevice, bool removable) {
  static const QStringList remote = {"nfs", "nfs4",       "cifs",  "smb3", "smbfs",
                                     "9p",  "fuse.sshfs", "sshfs", "afs",  "ceph"};
  static const QStringList optical = {"iso9660", "udf"};
  static const QStringList ram = {"tmpfs", "ramfs"};
  if (remote.contains(fsType)) return kDriveRemote;
  if (optical.contains(fsType)) return kDriveCdRom;
  if (ram.contains(fsType)) return kDriveRamDisk;
  if (hasBlockDevice) return removable ? kDriveRemovable : kDriveFixed;
  return kDriveUnknown;
}

std::optional<QString> ParseDefaultPrinter(const std::string& printersConf) {
  static const QRegularExpression row(QStringLiteral("^<(Default)?Printer\\s+([^>]+)>"));
  std::optional<QString> first;
  for (const std::string& line : Lines(printersConf)) {
    const QRegularExpressionMatch m = row.match(QString::fromUtf8(line));
    if (!m.hasMatch()) continue;
    if (!m.captured(1).isEmpty()) return m.captured(2).trimmed();
    if (!first) first = m.captured(2).trimmed();
  }
  return first;
}

}  // namespace torvik
