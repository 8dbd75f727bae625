// Linux test files: O_DIRECT stands for "no buffering" (8 KB blocks bypass
// the page cache so the drive, not RAM, is timed), O_DSYNC for "write
// through", flock for "no sharing". Where a file system refuses O_DIRECT
// (tmpfs, some network file systems) the file is opened buffered and, on
// close, flushed with fdatasync and dropped from the page cache, the
// nearest equivalent.
#include "platform/FileSystem.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>

#include "platform/ExitCleanup.h"
#include "platform/linux/RetryOnInterrupt.h"

namespace torvik::platform {
namespace {

class PosixTestFile : public TestFile {
 public:
  PosixTestFile(int fd, bool dropCacheOnClose, int openError)
      : fd_(fd), dropCacheOnClose_(dropCacheOnClose), error_(openError) {}
  ~PosixTestFile() override {
    if (fd_ >= 0) close(fd_);
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

  bool Close() override {
    if (fd_ < 0) return false;
    bool ok = true;
    if (dropCacheOnClose_) {
      // The buffered stand-in for unbuffered transfers: on the drive now,
      // and out of the page cache, so no later read is served from RAM.
      if (fdatasync(fd_) != 0) {
        error_ = errno;
        ok = false;
      }
      posix_fadvise(fd_, 0, 0, POSIX_FADV_DONTNEED);
    }
    // A failed close() still releases the descriptor: never retried.
    if (close(fd_) != 0 && ok) {
      error_ = errno;
      ok = false;
    }
    fd_ = -1;
    return ok;
  }

  int Error() const override { return error_; }

 private:
  bool Transferred(ssize_t result, size_t bytes) {
    error_ = result < 0 ? errno : 0;
    return result == static_cast<ssize_t>(bytes);
  }

  int fd_;  // -1: the open failed, or the file is closed
  bool dropCacheOnClose_;
  int error_;  // errno of the open or of the last failed transfer or close
};

class SocketClaim : public NameClaim {
 public:
  explicit SocketClaim(int fd) : fd_(fd) {}
  ~SocketClaim() override {
    if (fd_ >= 0) close(fd_);
  }

 private:
  int fd_;  // -1: no socket could be made; the name is taken as claimed
};

class PosixFileSystem : public FileSystem {
 public:
  std::unique_ptr<TestFile> Open(const std::string& path, FileMode mode) override {
    int flags = O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC;
    bool unbuffered = false;
    bool truncate = false;
    switch (mode) {
      case FileMode::CreateUnbuffered:
        truncate = true;
        unbuffered = true;
        break;
      case FileMode::OpenUnbufferedWriteThrough:
        flags |= O_DSYNC;
        unbuffered = true;
        break;
      case FileMode::OpenWriteThrough: flags |= O_DSYNC; break;
      case FileMode::CreateBuffered: truncate = true; break;
      case FileMode::OpenExistingBuffered: flags = O_RDONLY | O_NOFOLLOW | O_CLOEXEC; break;
    }
    int fd = RetryOnInterrupt([&] { return open(path.c_str(), flags | (unbuffered ? O_DIRECT : 0), 0600); });
    bool dropCacheOnClose = false;
    if (fd < 0 && unbuffered && errno == EINVAL) {
      fd = RetryOnInterrupt([&] { return open(path.c_str(), flags, 0600); });
      dropCacheOnClose = fd >= 0;
    }
    if (fd < 0) return std::make_unique<PosixTestFile>(-1, false, errno);
    // Nobody else may use a test file while it is open; a file another
    // process holds keeps its content (truncation waits for the lock).
    int error = 0;
    if (flock(fd, LOCK_EX | LOCK_NB) != 0 || (truncate && ftruncate(fd, 0) != 0)) error = errno;
    if (error != 0) {
      close(fd);
      return std::make_unique<PosixTestFile>(-1, false, error);
    }
    if ((flags & O_CREAT) != 0) RegisterExitCleanup(path.c_str());
    return std::make_unique<PosixTestFile>(fd, dropCacheOnClose, 0);
  }

  int CreateExclusive(const std::string& path) override {
    const int fd = RetryOnInterrupt(
        [&] { return open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600); });
    if (fd < 0) return errno;
    RegisterExitCleanup(path.c_str());
    close(fd);
    return 0;
  }

  int Delete(const std::string& path) override {
    if (unlink(path.c_str()) != 0 && errno != ENOENT) return errno;
    ForgetExitCleanup(path.c_str());
    return 0;
  }

  // The claim is a socket bound to an abstract address made of the folder's
  // device and inode and the name: the kernel refuses a second bind while
  // the first socket lives and forgets it when its process ends. Where no
  // such socket can be made the name counts as claimed.
  std::unique_ptr<NameClaim> ClaimName(const std::string& directory, const std::string& name) override {
    struct stat st {};
    if (stat(directory.c_str(), &st) != 0) return std::make_unique<SocketClaim>(-1);
    const std::string key = "torvik-claim/" + std::to_string(st.st_dev) + "/" + std::to_string(st.st_ino) + "/" + name;
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (key.size() + 1 > sizeof(address.sun_path)) return std::make_unique<SocketClaim>(-1);
    std::memcpy(address.sun_path + 1, key.data(), key.size());  // sun_path[0] == 0: abstract
    const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return std::make_unique<SocketClaim>(-1);
    const socklen_t length = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + 1 + key.size());
    if (bind(fd, reinterpret_cast<const sockaddr*>(&address), length) != 0) {
      const int error = errno;
      close(fd);
      if (error == EADDRINUSE) return nullptr;
      return std::make_unique<SocketClaim>(-1);
    }
    return std::make_unique<SocketClaim>(fd);
  }

  bool QueryDiskSpace(const std::string& path, double& total, double& available) override {
    struct statvfs fs {};
    if (RetryOnInterrupt([&] { return statvfs(path.c_str(), &fs); }) != 0) return false;
    // f_bavail, not f_bfree: the blocks reserved for root are not the user's.
    total = static_cast<double>(fs.f_blocks) * static_cast<double>(fs.f_frsize);
    available = static_cast<double>(fs.f_bavail) * static_cast<double>(fs.f_frsize);
    return true;
  }

  PathKind Kind(const std::string& path) override {
    struct stat st {};
    if (stat(path.c_str(), &st) != 0) return PathKind::Missing;
    return S_ISDIR(st.st_mode) ? PathKind::Directory : PathKind::Other;
  }

  // Permission bits, read-only mounts, ACLs and immutable directories all
  // answer the one question that matters: does a create succeed?
  bool CanCreateFiles(const std::string& directory) override {
    if (Kind(directory) != PathKind::Directory) return false;
    std::string base = directory;
    if (base.empty() || base.back() != '/') base += '/';
    base += ".torvik-probe-" + std::to_string(getpid()) + "-";
    for (int attempt = 0; attempt < 100; ++attempt) {
      const std::string probe = base + std::to_string(attempt);
      const int error = CreateExclusive(probe);
      if (error == EEXIST) continue;
      if (error != 0) return false;
      Delete(probe);
      return true;
    }
    return false;
  }
};

}  // namespace

FileSystem& FileSystem::Default() {
  static PosixFileSystem fileSystem;
  return fileSystem;
}

bool IsWritable(const std::string& path) { return access(path.c_str(), W_OK) == 0; }

AppendFile::~AppendFile() { Close(); }

int AppendFile::Open(const std::string& path) {
  Close();
  // Non-blocking, so a FIFO in the sheet's place is refused instead of
  // waiting for a reader; a regular file does not care.
  fd_ = RetryOnInterrupt(
      [&] { return open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC | O_NONBLOCK | O_NOCTTY, 0644); });
  if (fd_ < 0) return errno == ENXIO ? EINVAL : errno;
  struct stat st {};
  if (fstat(fd_, &st) != 0 || !S_ISREG(st.st_mode)) {
    close(fd_);
    fd_ = -1;
    return EINVAL;
  }
  return 0;
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
