// Linux test files: O_DIRECT stands for "no buffering" (8 KB blocks bypass
// the page cache so the drive, not RAM, is timed), O_DSYNC for "write
// through". Where a file system refuses O_DIRECT (tmpfs, some network file
// systems) the file is opened buffered and, on close, flushed with fdatasync
// and dropped from the page cache, the nearest equivalent.
#include "platform/FileSystem.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <new>

namespace torvik::platform {
namespace {

int RetryOnInterrupt(auto call) {
  int result;
  do {
    result = call();
  } while (result < 0 && errno == EINTR);
  return result;
}

class PosixTestFile : public TestFile {
 public:
  PosixTestFile(int fd, bool dropCacheOnClose, int openError)
      : fd_(fd), dropCacheOnClose_(dropCacheOnClose), error_(openError) {}
  ~PosixTestFile() override {
    if (fd_ < 0) return;
    if (dropCacheOnClose_) {
      fdatasync(fd_);
      posix_fadvise(fd_, 0, 0, POSIX_FADV_DONTNEED);
    }
    close(fd_);
  }

  bool IsOpen() const override { return fd_ >= 0; }

  bool Write(const void* data, size_t bytes) override {
    if (fd_ < 0) return false;
    return Transferred(TEMP_FAILURE_RETRY(write(fd_, data, bytes)), bytes);
  }

  bool Read(void* data, size_t bytes) override {
    if (fd_ < 0) return false;
    return Transferred(TEMP_FAILURE_RETRY(read(fd_, data, bytes)), bytes);
  }

  int64_t Size() const override {
    struct stat st {};
    return fd_ >= 0 && fstat(fd_, &st) == 0 ? st.st_size : -1;
  }

  std::string ErrorText() const override { return error_ != 0 ? std::strerror(error_) : "short transfer"; }

 private:
  bool Transferred(ssize_t result, size_t bytes) {
    if (result < 0) error_ = errno;
    if (result >= 0) error_ = 0;
    return result == static_cast<ssize_t>(bytes);
  }

  int fd_;  // -1: the open failed
  bool dropCacheOnClose_;
  int error_;  // errno of the open or of the last failed transfer
};

class PosixFileSystem : public FileSystem {
 public:
  std::unique_ptr<TestFile> Open(const std::string& path, FileMode mode) override {
    int flags = O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC;
    bool unbuffered = false;
    switch (mode) {
      case FileMode::CreateUnbuffered:
        flags |= O_TRUNC;
        unbuffered = true;
        break;
      case FileMode::OpenUnbufferedWriteThrough:
        flags |= O_DSYNC;
        unbuffered = true;
        break;
      case FileMode::OpenWriteThrough: flags |= O_DSYNC; break;
      case FileMode::CreateBuffered: flags |= O_TRUNC; break;
      case FileMode::OpenExistingBuffered: flags = O_RDONLY | O_NOFOLLOW | O_CLOEXEC; break;
    }
    int fd = RetryOnInterrupt([&] { return open(path.c_str(), flags | (unbuffered ? O_DIRECT : 0), 0600); });
    bool dropCacheOnClose = false;
    if (fd < 0 && unbuffered && errno == EINVAL) {
      fd = RetryOnInterrupt([&] { return open(path.c_str(), flags, 0600); });
      dropCacheOnClose = fd >= 0;
    }
    int openError = fd < 0 ? errno : 0;
    // Nobody else may use a test file while it is open.
    if (fd >= 0 && flock(fd, LOCK_EX | LOCK_NB) != 0) {
      openError = errno;
      close(fd);
      fd = -1;
      dropCacheOnClose = false;
    }
    return std::make_unique<PosixTestFile>(fd, dropCacheOnClose, openError);
  }

  void Delete(const std::string& path) override { unlink(path.c_str()); }

  bool QueryDiskSpace(const std::string& path, double& total, double& available) override {
    struct statvfs fs {};
    if (RetryOnInterrupt([&] { return statvfs(path.c_str(), &fs); }) != 0) return false;
    // f_bavail, not f_bfree: the blocks reserved for root are not the user's.
    total = static_cast<double>(fs.f_blocks) * static_cast<double>(fs.f_frsize);
    available = static_cast<double>(fs.f_bavail) * static_cast<double>(fs.f_frsize);
    return true;
  }

  bool CanCreateFiles(const std::string& directory) override {
    struct stat st {};
    if (stat(directory.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return false;
    struct statvfs fs {};
    if (statvfs(directory.c_str(), &fs) != 0 || (fs.f_flag & ST_RDONLY) != 0) return false;
    return access(directory.c_str(), W_OK | X_OK) == 0;
  }
};

}  // namespace

FileSystem& FileSystem::Default() {
  static PosixFileSystem fileSystem;
  return fileSystem;
}

AppendFile::~AppendFile() { Close(); }

int AppendFile::Open(const std::string& path) {
  Close();
  fd_ = RetryOnInterrupt([&] { return open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644); });
  return fd_ < 0 ? errno : 0;
}

int AppendFile::Write(const std::string& bytes) {
  if (fd_ < 0) return EBADF;
  size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = TEMP_FAILURE_RETRY(write(fd_, bytes.data() + done, bytes.size() - done));
    if (n < 0) return errno;
    done += static_cast<size_t>(n);
  }
  return 0;
}

int AppendFile::Close() {
  if (fd_ < 0) return 0;
  const int result = close(fd_);
  fd_ = -1;
  return result != 0 ? errno : 0;
}

BlockBuffer::BlockBuffer() : data_(static_cast<uint8_t*>(std::aligned_alloc(kAlignment, kSize))) {
  if (data_ == nullptr) throw std::bad_alloc();
}

BlockBuffer::~BlockBuffer() { std::free(data_); }

}  // namespace torvik::platform
