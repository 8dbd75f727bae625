#include "core/drive/DriveFileSize.h"

#include <QCoreApplication>
#include <array>
#include <utility>

namespace torvik {
namespace {

using Wide = unsigned __int128;

// The multiplier of a unit written in lower case; 0 for no unit we know.
Wide Multiplier(const QString& unit) {
  static const std::array<std::pair<const char*, uint64_t>, 18> kUnits = {{
      {"", 1},
      {"b", 1},
      {"k", uint64_t{1} << 10},
      {"ki", uint64_t{1} << 10},
      {"kib", uint64_t{1} << 10},
      {"m", uint64_t{1} << 20},
      {"mi", uint64_t{1} << 20},
      {"mib", uint64_t{1} << 20},
      {"g", uint64_t{1} << 30},
      {"gi", uint64_t{1} << 30},
      {"gib", uint64_t{1} << 30},
      {"t", uint64_t{1} << 40},
      {"ti", uint64_t{1} << 40},
      {"tib", uint64_t{1} << 40},
      {"kb", 1'000},
      {"mb", 1'000'000},
      {"gb", 1'000'000'000},
      {"tb", 1'000'000'000'000},
  }};
  for (const auto& [name, value] : kUnits) {
    if (unit == QLatin1String(name)) return value;
  }
  return 0;
}

DriveFileSize Problem(DriveSizeProblem problem, const QString& message) { return DriveFileSize{0, problem, message}; }

}  // namespace

QString DriveSizeText(int64_t bytes) {
  static const std::array<std::pair<int, const char*>, 5> kUnits = {
      {{50, "PiB"}, {40, "TiB"}, {30, "GiB"}, {20, "MiB"}, {10, "KiB"}}};
  for (const auto& [shift, name] : kUnits) {
    const int64_t unit = int64_t{1} << shift;
    if (bytes > 0 && bytes % unit == 0) return QStringLiteral("%1 %2").arg(bytes / unit).arg(QLatin1String(name));
  }
  return QCoreApplication::translate("DriveFileSize", "%1 バイト").arg(bytes);
}

DriveFileSize ParseDriveFileSize(const QString& text) {
  const QString written = text.trimmed();
  if (written.isEmpty()) {
    return Problem(DriveSizeProblem::Empty,
                   QCoreApplication::translate("DriveFileSize", "ファイルサイズが指定されていません"));
  }
  const DriveFileSize unreadable =
      Problem(DriveSizeProblem::Unreadable,
              QCoreApplication::translate("DriveFileSize",
                                          "ファイルサイズ「%1」を読み取れません（例: 512M、1G、4GiB、1073741824）")
                  .arg(written));
  const DriveFileSize tooLarge = Problem(
      DriveSizeProblem::TooLarge, QCoreApplication::translate("DriveFileSize", "ファイルサイズは %1 以下にしてください")
                                      .arg(DriveSizeText(kMaximumDriveFileBytes)));
  // Digits, an optional fraction, optional spaces, an optional unit.
  qsizetype at = 0;
  Wide whole = 0;
  int wholeDigits = 0;
  while (at < written.size() && written[at].isDigit() && written[at].unicode() < 128) {
    if (++wholeDigits > 20) return tooLarge;
    whole = whole * 10 + static_cast<unsigned>(written[at++].unicode() - u'0');
  }
  if (wholeDigits == 0) return unreadable;
  Wide fraction = 0, fractionScale = 1;
  bool hasFraction = false;
  if (at < written.size() && written[at] == u'.') {
    ++at;
    while (at < written.size() && written[at].isDigit() && written[at].unicode() < 128) {
      hasFraction = true;
      // Digits beyond the eighteenth cannot move a size rounded to whole MiB.
      if (fractionScale < Wide{1'000'000'000'000'000'000ULL}) {
        fraction = fraction * 10 + static_cast<unsigned>(written[at].unicode() - u'0');
        fractionScale *= 10;
      }
      ++at;
    }
    if (!hasFraction) return unreadable;
  }
  while (at < written.size() && written[at] == u' ') ++at;
  const QString unit = written.mid(at).toLower();
  for (const QChar c : unit) {
    if (c.unicode() >= 128 || !c.isLetter()) return unreadable;
  }
  const Wide multiplier = Multiplier(unit);
  // A fraction of a byte means nothing: "1.5" needs a unit.
  if (multiplier == 0 || (hasFraction && multiplier == 1)) return unreadable;
  const Wide bytes = whole * multiplier + fraction * multiplier / fractionScale;
  if (bytes == 0) {
    return Problem(DriveSizeProblem::Zero,
                   QCoreApplication::translate("DriveFileSize", "ファイルサイズに 0 は指定できません"));
  }
  if (bytes > static_cast<Wide>(kMaximumDriveFileBytes)) return tooLarge;
  const int64_t blocks = static_cast<int64_t>(bytes) / kDriveBlockMultiple * kDriveBlockMultiple;
  if (blocks < kMinimumDriveFileBytes) {
    return Problem(DriveSizeProblem::TooSmall,
                   QCoreApplication::translate("DriveFileSize", "ファイルサイズは %1 以上にしてください（指定: %2）")
                       .arg(DriveSizeText(kMinimumDriveFileBytes), DriveSizeText(static_cast<int64_t>(bytes))));
  }
  return DriveFileSize{blocks, DriveSizeProblem::None, {}};
}

}  // namespace torvik
