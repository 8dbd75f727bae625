// FileSystem: the file facilities of the disk tests. The three open modes
// of a test file, plain block transfers, deletion, the free-space query and
// the check that files can be created in a directory. The program uses
// FileSystem::Default(); tests wrap it to count bytes or fake the space.
// GUI thread; a TestFile belongs to whoever opened it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace torvik::platform {

enum class FileMode {
  // Create, or truncate to zero length; transfers bypass the page cache.
  CreateUnbuffered,
  // Open keeping the content, or create; bypasses the page cache, and every
  // write is on the drive before it returns.
  OpenUnbufferedWriteThrough,
  // Open keeping the content, or create; writes are on the drive before
  // they return, reads go through the page cache.
  OpenWriteThrough,
  // Create, or truncate; ordinary writes through the page cache.
  CreateBuffered,
  // Open an existing file only; reads through the page cache.
  OpenExistingBuffered,
};

// One open test file. A file that could not be opened is still a TestFile:
// its transfers fail at once, as the tests expect of an invalid handle.
class TestFile {
 public:
  virtual ~TestFile() = default;
  virtual bool IsOpen() const = 0;
  // One write or read of `bytes` at the current position; false on failure
  // or a short transfer. In the unbuffered modes `data` must be 4096-byte
  // aligned (BlockBuffer).
  virtual bool Write(const void* data, size_t bytes) = 0;
  virtual bool Read(void* data, size_t bytes) = 0;
  // The file's size in bytes, or -1.
  virtual int64_t Size() const = 0;
  // What went wrong in the open or the last failed transfer.
  virtual std::string ErrorText() const = 0;
};

class FileSystem {
 public:
  virtual ~FileSystem() = default;

  // Never follows a symbolic link and creates files readable by the owner
  // only; an exclusive lock stands for "no sharing".
  virtual std::unique_ptr<TestFile> Open(const std::string& path, FileMode mode) = 0;
  // Deletes the file if it exists; the outcome is ignored.
  virtual void Delete(const std::string& path) = 0;
  // The volume's total bytes and the bytes available to this user; false
  // (outputs untouched) when the query fails.
  virtual bool QueryDiskSpace(const std::string& path, double& total, double& available) = 0;
  // True when `directory` exists and this user may create files in it on a
  // writable file system.
  virtual bool CanCreateFiles(const std::string& directory) = 0;

  // The operating system's file system; lives for the whole program.
  static FileSystem& Default();
};

// A text file that grows at its end (the result sheet): created when
// missing, opened for appending otherwise. Each call gives 0 or the errno.
class AppendFile {
 public:
  AppendFile() = default;
  ~AppendFile();
  AppendFile(const AppendFile&) = delete;
  AppendFile& operator=(const AppendFile&) = delete;
  int Open(const std::string& path);
  int Write(const std::string& bytes);
  int Close();

 private:
  int fd_ = -1;
};

// An 8,192-byte block aligned for unbuffered transfers.
class BlockBuffer {
 public:
  static constexpr size_t kSize = 8192;
  static constexpr size_t kAlignment = 4096;
  BlockBuffer();
  ~BlockBuffer();
  BlockBuffer(const BlockBuffer&) = delete;
  BlockBuffer& operator=(const BlockBuffer&) = delete;
  uint8_t* Data() { return data_; }
  const uint8_t* Data() const { return data_; }

 private:
  uint8_t* data_;
};

}  // namespace torvik::platform
