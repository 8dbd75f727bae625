// FileSystem: the file facilities of the disk tests. The three open modes
// of a test file, plain block transfers, exclusive creation, deletion, the
// free-space query and the checks of a test directory. The program uses
// FileSystem::Default(); tests wrap it to count bytes, fake the space or
// make a system call fail.
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
  // Flushes what the mode requires and closes; false when that fails. The
  // destructor closes a file that is still open, without asking.
  virtual bool Close() = 0;
  // The errno of the failed open, transfer or close; 0 when the last
  // transfer failed by moving fewer bytes than asked (no system error).
  virtual int Error() const = 0;
};

// What a path names.
enum class PathKind { Missing, Directory, Other };

// A claim on a fixed file name in a folder (the memory data file, the mix
// file), held while the object lives: another copy of the program on this
// machine that asks for the same name in the same folder is told it is
// taken. A copy that ends, however it ends, lets go of its claims.
class NameClaim {
 public:
  virtual ~NameClaim() = default;
};

class FileSystem {
 public:
  virtual ~FileSystem() = default;

  // Never follows a symbolic link and creates files readable by the owner
  // only; an exclusive lock stands for "no sharing": a file another process
  // holds is refused (EWOULDBLOCK) and left as it was. The modes that create
  // or truncate do so only once the lock is held.
  virtual std::unique_ptr<TestFile> Open(const std::string& path, FileMode mode) = 0;
  // Creates an empty file that did not exist (O_EXCL): 0, EEXIST when the
  // name is taken (by a file, a link or anything else), or another errno.
  virtual int CreateExclusive(const std::string& path) = 0;
  // Deletes the file: 0 when it is gone (or was never there), else the errno
  // (a folder made read-only); a file that stays stays registered for the
  // exit's clean-up.
  virtual int Delete(const std::string& path) = 0;
  // Claims `name` in `directory` for this process; null when another live
  // copy of the program holds that claim.
  virtual std::unique_ptr<NameClaim> ClaimName(const std::string& directory, const std::string& name) = 0;
  // The volume's total bytes and the bytes available to this user; false
  // (outputs untouched) when the query fails.
  virtual bool QueryDiskSpace(const std::string& path, double& total, double& available) = 0;
  // What `path` names, links followed.
  virtual PathKind Kind(const std::string& path) = 0;
  // True when a file can really be created in `directory` (checked by
  // creating one and deleting it again).
  virtual bool CanCreateFiles(const std::string& directory) = 0;

  // The operating system's file system; lives for the whole program. Every
  // file it creates is registered for deletion at an abnormal exit
  // (ExitCleanup) until Delete() removes it.
  static FileSystem& Default();
};

// A text file that grows at its end (the result sheet): created when
// missing, opened for appending otherwise; anything but a regular file is
// refused (EINVAL) rather than waited on. Each call gives 0 or the errno.
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

// True when this user may write `path` (access(W_OK)): a file may be
// changed, or files created in a folder.
bool IsWritable(const std::string& path);

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
