// The size of the drive group's test file as a user writes it: a whole
// number of bytes ("1073741824"), or a number with a unit ("512M", "1G",
// "4GiB", "1.5 TB"). K, M, G and T alone and KiB ... TiB count in powers of
// 1,024 (as fio and dd read them), KB ... TB in powers of 1,000, B is
// bytes; case and a space before the unit do not matter. The file holds
// whole 1 MiB blocks, the largest block a row transfers, so the size is
// rounded down to one; it must hold at least what one row keeps in flight.
// Pure; any thread.
#pragma once

#include <QString>
#include <cstdint>

namespace torvik {

inline constexpr int64_t kDriveBlockMultiple = 1 << 20;              // the file is whole 1 MiB blocks
inline constexpr int64_t kDefaultDriveFileBytes = int64_t{1} << 30;  // 1 GiB
// SEQ1M Q8T1 keeps eight 1 MiB requests in flight, each on a block of its own.
inline constexpr int64_t kMinimumDriveFileBytes = 8 * kDriveBlockMultiple;
inline constexpr int64_t kMaximumDriveFileBytes = int64_t{1} << 50;  // 1 PiB

enum class DriveSizeProblem { None, Empty, Unreadable, Zero, TooSmall, TooLarge };

struct DriveFileSize {
  int64_t bytes = 0;  // whole 1 MiB blocks; 0 when there is a problem
  DriveSizeProblem problem = DriveSizeProblem::None;
  QString message;  // what to tell the user; empty without a problem
  bool ok() const { return problem == DriveSizeProblem::None; }
};

DriveFileSize ParseDriveFileSize(const QString& text);

// "1 GiB", "512 MiB", "1,000,000,000 バイト": a size as the messages show it.
QString DriveSizeText(int64_t bytes);

}  // namespace torvik
