// TestDirectory: the test directory and the files the disk and memory
// workloads make in it around their timed loops. The test path (re-read
// from the settings where stated and checked by the test path rules before
// any file is made), the file number counter and the six current test file
// names, the data block, the read files written before every pass, the
// scratch writes before every disk test, the free-space check, and the
// deletion of all of it. Every transfer is checked: a failed or short open,
// write, read or close raises IoError. Owned by the run session for the
// whole program run. GUI thread only.
#pragma once

#include <QCoreApplication>
#include <QString>
#include <QStringList>
#include <array>
#include <memory>
#include <string>

#include "core/run/RunState.h"
#include "core/settings/SettingsStore.h"
#include "core/settings/TestPathRules.h"
#include "platform/FileSystem.h"

namespace torvik {

namespace texts {
inline QString NoDiskInformation() {
  return QCoreApplication::translate("TestDirectory", "HDD情報が取得できません。計測を中止します。");
}
inline QString NotEnoughSpace() {
  return QCoreApplication::translate("TestDirectory", "HDDの空き領域が不足しています。計測を中止します。");
}
}  // namespace texts

// Blocks of 8,192 bytes that each file holds.
inline constexpr int kReadFileBlocks[3] = {5'120, 6'400, 7'680};  // 40, 50, 60 MB
inline constexpr int kScratchFiles = 25;
inline constexpr int kScratchBlocks = 512;  // 4 MB each
inline constexpr int kFreeMegabytesNeeded = 250;

// The current names, in this order.
enum class TestFileName { Read40, Read50, Read60, Write40, Write50, Write60 };

class TestDirectory {
 public:
  // `rules` decide which test paths are usable; all must outlive this.
  TestDirectory(RunState& state, SettingsStore& settings, platform::FileSystem& fileSystem, TestPathRules& rules)
      : state_(state), settings_(settings), fileSystem_(fileSystem), rules_(rules) {}

  int32_t FileNumberCounter() const { return fileNumberCounter_; }
  void SetFileNumberCounter(int32_t value) { fileNumberCounter_ = value; }
  const QString& TestPath() const { return testPath_; }
  // Empty until the first PrepareDiskFiles.
  const std::string& Name(TestFileName which) const { return names_[static_cast<size_t>(which)]; }

  // Re-reads the test path from the settings (default: the home directory),
  // with a trailing "/" added where it lacks one.
  void ReadTestPath();
  // The next numbered name, path + "TORVIK" + (++counter) + ".dat", created
  // here exclusively as an empty file: a name that is taken (another copy's
  // file, a link, anything) is skipped for the next number, so every
  // numbered file is this program's own. Raises IoError when none can be made.
  std::string NextNumberedName();
  // The path followed by `fileName`, in the file system's encoding.
  std::string PathOf(const QString& fileName) const;

  // The volume's total and available bytes; false when the query fails.
  bool QueryDiskSpace(const QString& path, double& total, double& available);
  // What the groups' drive check tells the user when the test path is
  // unusable or lacks the space a disk group needs; empty when it is fine.
  QString DriveProblem();
  // Requests Stop, after telling the user, when the test path is unusable.
  void CheckTestDrive();
  // ReadTestPath, then RefusalError when the path breaks a rule: nothing may
  // be made there. `fixedDisk`: the rule of a fixed local disk holds too
  // (the disk tests'; the memory data file needs only a folder it can write).
  void ReadUsableTestPath(bool fixedDisk);
  // Raises RefusalError before any file is made when the test path is
  // unusable, and IoError when a transfer fails.
  void PrepareDiskFiles();
  // Raises IoError when a transfer fails; the failed scratch file is deleted.
  void ScratchWrite();
  // Deletes the six current files and forgets their names.
  void DeleteTestFiles();
  // Deletes `name`; one that stays is remembered for TakeUndeleted.
  void Remove(const std::string& name);
  // The test files that could not be deleted since the last call.
  QStringList TakeUndeleted();

  // A file name of the program's own in the test directory for a step:
  // `fixedName` ("TORVIK.rd0") when no other copy of the program uses it
  // now, else a numbered name created for this run alone. The name is this
  // copy's while the claim lives.
  struct ClaimedName {
    std::string path;
    std::unique_ptr<platform::NameClaim> claim;
    bool made = false;  // a numbered file made for this run: always this copy's to delete
  };
  ClaimedName ClaimFixedName(const QString& fixedName);

  // Writes `blocks` copies of `block` into a file opened in `mode`, then
  // closes it; raises IoError when the open, a write or the close fails or
  // a write is short (disk full).
  void WriteBlocks(const std::string& name, platform::FileMode mode, const platform::BlockBuffer& block, int blocks);
  // Reads `blocks` blocks into `block` from a file opened in `mode`, then
  // closes it; a file shorter than that raises IoError(read past the end).
  void ReadBlocks(const std::string& name, platform::FileMode mode, platform::BlockBuffer& block, int blocks);

  platform::FileSystem& Files() { return fileSystem_; }
  platform::BlockBuffer& Block() { return block_; }

 private:
  RunState& state_;
  SettingsStore& settings_;
  platform::FileSystem& fileSystem_;
  TestPathRules& rules_;
  QString testPath_;
  int32_t fileNumberCounter_ = 0;
  std::array<std::string, 6> names_;
  platform::BlockBuffer block_;
  platform::BlockBuffer scratchBlock_;  // its content is never prepared
  QStringList undeleted_;
};

}  // namespace torvik
