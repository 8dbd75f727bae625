// The drive group: the disk at queue depth, as KDiskMark and
// CrystalDiskMark measure it, through io_uring (or a pool of threads where
// the kernel refuses io_uring) with direct transfers on one test file in
// the test folder. RunDriveGroup follows a plan (DrivePlan): it checks the
// folder by the test-path rules (a fixed local disk only), deletes what an
// earlier run left there, checks the free space, makes the test file, fills
// it with incompressible data, then runs each row, a warm-up and a timed
// section, and reports each as a MeasuredPoint (group "drive"). Around each
// row it looks at the machine (MachineNoise) and at the drive's own
// counters (/proc/diskstats), outside the timed section. A failure is a
// message and a kind of its own, never a figure; the test file is deleted
// on every way out (and by the exit's clean-up after a signal).
// Runs on the calling thread, which it never leaves for longer than 100 ms
// without asking the sink whether to stop; the transfers run on threads of
// the group's own, all ended before it returns. An exception the sink
// raises (the window closed) ends the row under way and the group, the
// file deleted, and is passed on.
#pragma once

#include <QString>

#include "core/drive/DriveFacts.h"
#include "core/drive/DrivePlan.h"
#include "core/machine/MachineNoise.h"
#include "core/results/MeasuredPoint.h"
#include "core/settings/TestPathRules.h"
#include "platform/DriveIo.h"
#include "platform/FileSystem.h"
#include "platform/SystemSources.h"

namespace torvik {

// What the group runs on; all must outlive the run.
struct DriveMachine {
  platform::DriveIo& io;
  platform::FileSystem& files;  // the free-space query and the name claims
  TestPathRules& rules;
  const platform::SystemSources& sources;  // sysfs, mountinfo, /proc/diskstats
  const MachineNoise& noise;
};

enum class DriveFailure {
  None,
  UnusableFolder,     // the test-path rules refuse the folder, or its volume cannot be asked
  NotEnoughSpace,     // less available than the file and the margin
  NoDirectTransfers,  // the file system refuses O_DIRECT: the page cache would be measured
  CannotCreateFile,   // the test file could not be made (another errno)
  OutOfResources,     // no memory for the buffers, or no thread could be started
  DiskFull,           // ENOSPC or EDQUOT while the file was set aside, filled or written
  TransferFailed,     // a request failed with another errno (EIO, ...)
  ShortTransfer,      // a request moved fewer bytes than asked, without an errno
};

struct DriveOutcome {
  DriveFailure failure = DriveFailure::None;
  QString message;       // what the user is told; empty without a failure
  QString detail;        // what exactly: which rule, how much space, which error
  int error = 0;         // the errno behind the failure
  bool stopped = false;  // Stop ended the group; the rows before it were reported
  int rowsDone = 0;
  QString engine;     // "io_uring" or "threads"; empty when none was opened
  int ringError = 0;  // why io_uring was refused (an errno), 0 where it measured
  DriveFacts facts;   // the drive the folder is on
  QString undeleted;  // the test file, where it could not be deleted
  bool ok() const { return failure == DriveFailure::None; }
};

DriveOutcome RunDriveGroup(const DrivePlan& plan, PointSink& sink, const DriveMachine& machine);

}  // namespace torvik
