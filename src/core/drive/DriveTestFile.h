// DriveTestFile: the drive group's one test file, "TORVIK-drive-N.dat" in
// the test folder, for direct transfers. Its name is claimed (the file
// system's name claim, which a live copy of the program holds) before the
// file is made, and the file is locked for as long as it is open, so a
// copy that starts while another runs never takes the other's file. The
// file is deleted when the object goes, on every way out of the group, and
// registered for the exit's clean-up meanwhile (a signal's handler deletes
// it); a file that SIGKILL or a power cut left behind is deleted by the
// next group that tests the same folder (RemoveAbandonedDriveFiles).
// The thread that runs the group.
#pragma once

#include <QString>
#include <memory>
#include <string>

#include "platform/DriveIo.h"
#include "platform/FileSystem.h"

namespace torvik {

class DriveTestFile {
 public:
  // Makes the file in `folder` (a test path ending in "/") under the first
  // number no live copy holds; null with `error` set (EINVAL: the file
  // system refuses direct transfers; EEXIST: no free number among the
  // first thousand; another errno). `io` and `files` must outlive it.
  static std::unique_ptr<DriveTestFile> Create(platform::DriveIo& io, platform::FileSystem& files,
                                               const QString& folder, int& error);
  // Deletes the file, unless Remove did.
  ~DriveTestFile();
  DriveTestFile(const DriveTestFile&) = delete;
  DriveTestFile& operator=(const DriveTestFile&) = delete;

  platform::DirectFile& File() { return *file_; }
  const std::string& Path() const { return path_; }
  // Deletes the file now (still open: the object keeps its lock): 0 when
  // it is gone, else the errno (a folder made read-only meanwhile).
  int Remove();

 private:
  DriveTestFile(platform::DriveIo& io, std::unique_ptr<platform::NameClaim> claim,
                std::unique_ptr<platform::DirectFile> file, std::string path)
      : io_(io), claim_(std::move(claim)), file_(std::move(file)), path_(std::move(path)) {}

  platform::DriveIo& io_;
  std::unique_ptr<platform::NameClaim> claim_;  // held until the file is gone
  std::unique_ptr<platform::DirectFile> file_;
  std::string path_;
  bool removed_ = false;
};

// The name of a drive test file, and whether `name` is one.
QString DriveFileName(int number);
bool IsDriveFileName(const QString& name);

// Deletes the drive test files in `folder` that earlier runs left and no
// live copy holds: how many.
int RemoveAbandonedDriveFiles(platform::DriveIo& io, platform::FileSystem& files, const QString& folder);

}  // namespace torvik
