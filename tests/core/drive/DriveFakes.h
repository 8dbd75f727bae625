// Fakes for the drive group's tests: the system's drive facilities with
// io_uring or direct transfers refused on demand and the n-th request made
// to fail (with an errno, or by moving half its bytes), a sink that records
// the points and the gauge and stops or raises when told to, and the group's
// machine on a scratch folder of the real disk.
#pragma once

#include <QStringList>
#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "StorageFakes.h"
#include "core/drive/DriveGroup.h"
#include "core/machine/DriveClassifier.h"
#include "platform/DriveIo.h"

namespace torvik::testing {

class ScriptedDriveIo : public platform::DriveIo {
 public:
  int ringRefusal = 0;    // OpenRing refuses with this errno
  int directRefusal = 0;  // CreateDirect refuses with this errno
  // The n-th request of the test file, counted from 1 over the fill and the
  // rows (0: none), fails with `faultError`, or moves half its bytes when
  // that is 0.
  int64_t faultAt = 0;
  int faultError = 0;
  std::atomic<int64_t> requests{0};
  int creates = 0;
  std::vector<std::string> made, removed;

  std::unique_ptr<platform::DirectFile> CreateDirect(const std::string& path, int& error) override {
    ++creates;
    if (directRefusal != 0) {
      error = directRefusal;
      return nullptr;
    }
    auto file = platform::DriveIo::Default().CreateDirect(path, error);
    if (!file) return nullptr;
    made.push_back(path);
    return std::make_unique<FaultyFile>(std::move(file), *this);
  }
  std::unique_ptr<platform::IoRing> OpenRing(platform::DirectFile& file, int depth, int& error) override {
    if (ringRefusal != 0) {
      error = ringRefusal;
      return nullptr;
    }
    auto ring = platform::DriveIo::Default().OpenRing(file, depth, error);
    return ring ? std::make_unique<FaultyRing>(std::move(ring), *this) : nullptr;
  }
  int Remove(const std::string& path) override {
    removed.push_back(path);
    return platform::DriveIo::Default().Remove(path);
  }
  bool RemoveIfAbandoned(const std::string& path) override {
    return platform::DriveIo::Default().RemoveIfAbandoned(path);
  }

 private:
  // The result the n-th request gets instead of `result`.
  int64_t Scripted(int64_t result, size_t bytes) {
    if (++requests != faultAt) return result;
    return faultError != 0 ? -faultError : static_cast<int64_t>(bytes / 2);
  }

  class FaultyFile : public platform::DirectFile {
   public:
    FaultyFile(std::unique_ptr<platform::DirectFile> inner, ScriptedDriveIo& owner)
        : inner_(std::move(inner)), owner_(owner) {}
    int64_t ReadAt(void* data, size_t bytes, int64_t offset) override {
      return owner_.Scripted(inner_->ReadAt(data, bytes, offset), bytes);
    }
    int64_t WriteAt(const void* data, size_t bytes, int64_t offset) override {
      return owner_.Scripted(inner_->WriteAt(data, bytes, offset), bytes);
    }
    int Reserve(int64_t bytes) override { return inner_->Reserve(bytes); }
    int Flush() override { return inner_->Flush(); }
    int Descriptor() const override { return inner_->Descriptor(); }

   private:
    std::unique_ptr<platform::DirectFile> inner_;
    ScriptedDriveIo& owner_;
  };

  class FaultyRing : public platform::IoRing {
   public:
    FaultyRing(std::unique_ptr<platform::IoRing> inner, ScriptedDriveIo& owner)
        : inner_(std::move(inner)), owner_(owner) {}
    void PrepareRead(void* data, uint32_t bytes, int64_t offset, uint64_t tag) override {
      inner_->PrepareRead(data, bytes, offset, tag);
    }
    void PrepareWrite(const void* data, uint32_t bytes, int64_t offset, uint64_t tag) override {
      inner_->PrepareWrite(data, bytes, offset, tag);
    }
    int Submit() override { return inner_->Submit(); }
    int Wait() override { return inner_->Wait(); }
    int Reap(platform::IoCompletion* out, int max) override {
      const int n = inner_->Reap(out, max);
      for (int i = 0; i < n; ++i) {
        const size_t asked = out[i].result > 0 ? static_cast<size_t>(out[i].result) : 0;
        out[i].result = static_cast<int32_t>(owner_.Scripted(out[i].result, asked));
      }
      return n;
    }

   private:
    std::unique_ptr<platform::IoRing> inner_;
    ScriptedDriveIo& owner_;
  };
};

class RecordingSink : public PointSink {
 public:
  // Asked at every StopRequested, after it is counted; may raise.
  std::function<bool(const RecordingSink&)> stopWhen;
  std::vector<MeasuredPoint> points;
  QStringList statuses;  // each status once, as it changed
  QList<int> percents;
  int questions = 0;
  int questionsInStatus = 0;  // since the status last changed

  bool StopRequested() override {
    ++questions;
    ++questionsInStatus;
    return stopWhen && stopWhen(*this);
  }
  void Progress(int percent, const QString& status) override {
    percents << percent;
    if (statuses.isEmpty() || statuses.last() != status) {
      statuses << status;
      questionsInStatus = 0;
    }
  }
  void PointDone(const MeasuredPoint& point) override { points.push_back(point); }
};

// The group's machine on a scratch folder of the real disk, by the real
// test-path rules (or others a test gives).
struct DriveRig {
  ScratchDirectory directory;
  ScriptedDriveIo io;
  CountingFileSystem files;
  TestPathRules realRules{files, platform::SystemSources::Default()};
  MachineNoise noise{platform::SystemSources::Default()};
  DriveMachine Machine(TestPathRules* rules = nullptr,
                       const platform::SystemSources& sources = platform::SystemSources::Default()) {
    return DriveMachine{io, files, rules != nullptr ? *rules : realRules, sources, noise};
  }
  // A short plan a user could set: a small file and short rows.
  DrivePlan Plan(int64_t fileBytes = int64_t{16} << 20, double rowSeconds = 0.2) const {
    return *MakeDrivePlan(DriveSettings{directory.Path(), fileBytes, rowSeconds}).plan;
  }
  bool OnFixedDisk() const { return DriveTypeOf(platform::SystemSources::Default(), directory.Path()) == kDriveFixed; }
  QStringList Left() const { return directory.Entries(); }
};

inline constexpr char kNoFixedDisk[] =
    "the scratch folder is not on a fixed local disk: the drive group cannot run here";

}  // namespace torvik::testing
