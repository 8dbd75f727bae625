// Fakes for the storage tests: an in-memory settings store, a file system
// that counts what passes through the real one (bytes per file and per
// mode, the size of every file just before its deletion), may fake the
// free-space answer and make the n-th write, read or close fail, test path
// rules that take any directory for a fixed disk, and a scratch directory on
// the real disk.
#pragma once

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <cerrno>
#include <map>
#include <optional>
#include <string>

#include "core/base/Errors.h"
#include "core/machine/DriveType.h"
#include "core/settings/SettingsStore.h"
#include "core/settings/TestPathRules.h"
#include "platform/FileSystem.h"

namespace torvik::testing {

class MemorySettings : public SettingsStore {
 public:
  QString Read(const QString& name, const QString& fallback) override {
    if (wrongType.contains(name)) throw TorvikError(QStringLiteral("'%1' のﾃﾞｰﾀ型が不正です").arg(name));
    auto it = values.find(name);
    return it == values.end() ? fallback : it->second;
  }
  void Write(const QString& name, const QString& value) override { values[name] = value; }
  std::map<QString, QString> values;
  QStringList wrongType;
};

class CountingFileSystem : public platform::FileSystem {
 public:
  struct Counts {
    int64_t written = 0;
    int64_t read = 0;
    int opens = 0;
  };
  // A failure of the system call: the n-th write, read or close counted over
  // all files from 1 (0: never) fails with `error`, or, with error 0, moves
  // half the bytes (a short transfer).
  struct Fault {
    int at = 0;
    int error = 0;
  };

  std::unique_ptr<platform::TestFile> Open(const std::string& path, platform::FileMode mode) override {
    ++counts[path].opens;
    modes[path].push_back(mode);
    return std::make_unique<CountingFile>(platform::FileSystem::Default().Open(path, mode), counts[path], *this);
  }
  int CreateExclusive(const std::string& path) override {
    return platform::FileSystem::Default().CreateExclusive(path);
  }
  int Delete(const std::string& path) override {
    QFileInfo info(QString::fromStdString(path));
    sizeAtDelete[path] = info.exists() ? info.size() : -1;
    deleted.push_back(path);
    if (deleteError != 0) return deleteError;  // a folder made read-only: the file stays
    return platform::FileSystem::Default().Delete(path);
  }
  std::unique_ptr<platform::NameClaim> ClaimName(const std::string& directory, const std::string& name) override {
    return platform::FileSystem::Default().ClaimName(directory, name);
  }
  bool QueryDiskSpace(const std::string& path, double& total, double& available) override {
    if (fakeQueryFails) return false;
    if (fakeAvailable) {
      total = 1e12;
      available = *fakeAvailable;
      return true;
    }
    return platform::FileSystem::Default().QueryDiskSpace(path, total, available);
  }
  platform::PathKind Kind(const std::string& path) override { return platform::FileSystem::Default().Kind(path); }
  bool CanCreateFiles(const std::string& directory) override {
    return platform::FileSystem::Default().CanCreateFiles(directory);
  }

  int64_t TotalWritten() const {
    int64_t sum = 0;
    for (const auto& [path, c] : counts) sum += c.written;
    return sum;
  }
  int64_t TotalRead() const {
    int64_t sum = 0;
    for (const auto& [path, c] : counts) sum += c.read;
    return sum;
  }

  std::map<std::string, Counts> counts;
  std::map<std::string, std::vector<platform::FileMode>> modes;
  std::map<std::string, int64_t> sizeAtDelete;
  std::vector<std::string> deleted;
  std::optional<double> fakeAvailable;
  bool fakeQueryFails = false;
  int deleteError = 0;
  Fault writeFault, readFault, closeFault;
  int writes = 0, reads = 0, closes = 0;

 private:
  class CountingFile : public platform::TestFile {
   public:
    CountingFile(std::unique_ptr<platform::TestFile> inner, Counts& counts, CountingFileSystem& owner)
        : inner_(std::move(inner)), counts_(counts), owner_(owner) {}
    bool IsOpen() const override { return inner_->IsOpen(); }
    bool Write(const void* data, size_t bytes) override {
      if (IsOpen() && Hits(owner_.writeFault, ++owner_.writes)) {
        if (owner_.writeFault.error == 0) inner_->Write(data, bytes / 2);
        return false;
      }
      const bool ok = inner_->Write(data, bytes);
      if (ok) counts_.written += static_cast<int64_t>(bytes);
      return ok;
    }
    bool Read(void* data, size_t bytes) override {
      if (IsOpen() && Hits(owner_.readFault, ++owner_.reads)) {
        if (owner_.readFault.error == 0) inner_->Read(data, bytes / 2);
        return false;
      }
      const bool ok = inner_->Read(data, bytes);
      if (ok) counts_.read += static_cast<int64_t>(bytes);
      return ok;
    }
    int64_t Size() const override { return inner_->Size(); }
    bool Close() override {
      const bool ok = inner_->Close();
      if (ok && Hits(owner_.closeFault, ++owner_.closes)) return false;
      return ok;
    }
    int Error() const override { return fault_ >= 0 ? fault_ : inner_->Error(); }

   private:
    bool Hits(const Fault& fault, int count) {
      if (fault.at != count) return false;
      fault_ = fault.error;
      return true;
    }
    std::unique_ptr<platform::TestFile> inner_;
    Counts& counts_;
    CountingFileSystem& owner_;
    int fault_ = -1;  // the injected errno once a fault hit
  };
};

// The machine's rules, except that any directory counts as a fixed local
// disk: the storage tests then run wherever the build tree lives.
class AnyDiskRules : public TestPathRules {
 public:
  explicit AnyDiskRules(platform::FileSystem& fileSystem = platform::FileSystem::Default())
      : TestPathRules(fileSystem, platform::SystemSources::Default()) {}

 protected:
  int32_t DriveType(const QString&) override { return kDriveFixed; }
};

// A directory on the real disk (the build tree, not a RAM file system),
// removed with everything in it at the end.
class ScratchDirectory {
 public:
  ScratchDirectory() : dir_(QDir::currentPath() + QStringLiteral("/torvik-test-XXXXXX")) {}
  // The test path: the directory with a trailing "/".
  QString Path() const { return dir_.path() + u'/'; }
  QStringList Entries() const { return QDir(dir_.path()).entryList(QDir::Files | QDir::System | QDir::Hidden); }

 private:
  QTemporaryDir dir_;
};

}  // namespace torvik::testing
