// The drive group's plan: its eight rows in their fixed order (the
// sequential 1 MiB and random 4 KiB transfers at queue depths 8, 1, 32 and
// 1, one thread each, each read then written, as KDiskMark's and
// CrystalDiskMark's default profile), the test file's size, each row's
// warm-up and timed seconds, and the space the group needs. Made from the
// user's settings by a pure function; the runner (DriveGroup) only follows
// it. Plain values; any thread.
#pragma once

#include <QString>
#include <array>
#include <cstdint>
#include <optional>
#include <vector>

#include "core/drive/DriveFileSize.h"

namespace torvik {

struct DriveRow {
  const char* id;     // "seq1m-q8t1-read": the figure's test in the archive
  const char* label;  // "SEQ1M Q8T1"
  bool random;        // uniformly random aligned offsets; else in order, wrapping at the end
  bool write;
  int blockBytes;
  int depth;    // requests in flight at once (Q)
  int threads;  // T
};

inline constexpr std::array<DriveRow, 8> kDriveRows = {{
    {"seq1m-q8t1-read", "SEQ1M Q8T1", false, false, 1 << 20, 8, 1},
    {"seq1m-q8t1-write", "SEQ1M Q8T1", false, true, 1 << 20, 8, 1},
    {"seq1m-q1t1-read", "SEQ1M Q1T1", false, false, 1 << 20, 1, 1},
    {"seq1m-q1t1-write", "SEQ1M Q1T1", false, true, 1 << 20, 1, 1},
    {"rnd4k-q32t1-read", "RND4K Q32T1", true, false, 4096, 32, 1},
    {"rnd4k-q32t1-write", "RND4K Q32T1", true, true, 4096, 32, 1},
    {"rnd4k-q1t1-read", "RND4K Q1T1", true, false, 4096, 1, 1},
    {"rnd4k-q1t1-write", "RND4K Q1T1", true, true, 4096, 1, 1},
}};

// The deepest queue of any row: the engine is opened for it.
inline constexpr int kDriveMaximumDepth = 32;

inline constexpr double kDefaultDriveRowSeconds = 5;
inline constexpr double kMinimumDriveRowSeconds = 0.1;
inline constexpr double kMaximumDriveRowSeconds = 600;
// Each row's warm-up before its timed section: one second (fio's
// ramp_time=1s), or a fifth of a row shorter than five seconds.
inline constexpr int64_t kDriveWarmUpNs = 1'000'000'000;
// What must stay free on the volume beside the test file (the HDD group's
// margin), so the group never fills the drive.
inline constexpr int64_t kDriveSpareBytes = int64_t{250} << 20;

// What the user chose.
struct DriveSettings {
  QString testPath;  // the test folder, as the settings hold it
  int64_t fileBytes = kDefaultDriveFileBytes;
  double rowSeconds = kDefaultDriveRowSeconds;
};

struct DrivePlan {
  QString testPath;       // normalised: ends in "/"
  int64_t fileBytes = 0;  // whole 1 MiB blocks
  int64_t warmUpNs = 0;
  int64_t rowNs = 0;  // each row's timed section
  std::vector<DriveRow> rows;

  // The volume must have this much available before the file is made.
  int64_t FreeBytesNeeded() const { return fileBytes + kDriveSpareBytes; }
};

struct DrivePlanResult {
  std::optional<DrivePlan> plan;
  QString problem;  // why there is no plan; empty when there is one
};

// The plan for `settings`: every row, in order. No plan (and the reason)
// for a file size the size rules refuse or a row time outside 0.1 to 600
// seconds; a size that is not whole MiB is rounded down, as the parser does.
DrivePlanResult MakeDrivePlan(const DriveSettings& settings);

// "SEQ1M Q8T1 読み込み": the row as the user is told about it.
QString DriveRowName(const DriveRow& row);
// The status line while `row` runs: "ドライブ性能 計測中！（SEQ1M Q8T1 読み込み）".
QString DriveRowStatus(const DriveRow& row);
// The status line while the test file is written before the first row.
QString DriveFillStatus();

}  // namespace torvik
