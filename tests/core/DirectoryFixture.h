// The test directory and the memory buffers on a scratch directory of the
// real disk, counted by a file system that can also fail on demand, for the
// tests of the disk and memory workloads.
#pragma once

#include "Recorder.h"
#include "StorageFakes.h"
#include "core/workloads/MemoryBuffers.h"
#include "core/workloads/TestDirectory.h"

namespace torvik::testing {

struct DirectoryFixture {
  ScratchDirectory directory;
  RecordingView view;
  RunState state{view};
  MemorySettings settings;
  CountingFileSystem fileSystem;
  AnyDiskRules rules{fileSystem};
  TestDirectory files{state, settings, fileSystem, rules};
  MemoryBuffers buffers{files};
  DirectoryFixture() { settings.Write(settings::kDrive, directory.Path()); }
  // What a group's end does: every test file deleted, the buffers released.
  void CleanupTestData() {
    files.DeleteTestFiles();
    buffers.Release();
  }
};

}  // namespace torvik::testing
