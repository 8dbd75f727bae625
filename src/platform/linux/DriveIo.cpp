// Linux drive files and queues. A test file is made unnamed (O_TMPFILE),
// locked, switched to direct transfers and only then given its name
// (linkat), so no other process ever sees it unlocked; where the file
// system cannot make unnamed files it is created by name (O_EXCL) and
// locked at once. Direct transfers are switched on with fcntl after the
// open, so a file system that refuses them leaves no file behind. The
// queue is liburing's io_uring, set up as fio's io_uring engine sets up its
// own by default.
#include "platform/DriveIo.h"

#include <fcntl.h>
#include <liburing.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>
#include <vector>

#include "platform/ExitCleanup.h"
#include "platform/linux/RetryOnInterrupt.h"

namespace torvik::platform {
namespace {

class PosixDirectFile : public DirectFile {
 public:
  explicit PosixDirectFile(int fd) : fd_(fd) {}
  ~PosixDirectFile() override { close(fd_); }

  int64_t ReadAt(void* data, size_t bytes, int64_t offset) override {
    const ssize_t n = TEMP_FAILURE_RETRY(pread(fd_, data, bytes, offset));
    return n < 0 ? -errno : n;
  }

  int64_t WriteAt(const void* data, size_t bytes, int64_t offset) override {
    const ssize_t n = TEMP_FAILURE_RETRY(pwrite(fd_, data, bytes, offset));
    return n < 0 ? -errno : n;
  }

  int Reserve(int64_t bytes) override {
    if (RetryOnInterrupt([&] { return fallocate(fd_, 0, 0, bytes); }) == 0) return 0;
    return errno == EOPNOTSUPP ? 0 : errno;
  }

  int Flush() override {
    return RetryOnInterrupt([&] { return fdatasync(fd_); }) == 0 ? 0 : errno;
  }

  int Descriptor() const override { return fd_; }

 private:
  int fd_;  // open for reading and writing, O_DIRECT, flock held
};

class LinuxRing : public IoRing {
 public:
  LinuxRing(int fd, int depth) : fd_(fd), cqes_(static_cast<size_t>(depth)) {}
  ~LinuxRing() override {
    if (open_) io_uring_queue_exit(&ring_);
  }

  // Sets the ring up in place (liburing's structure must not move once
  // made) as fio sets up its own: a completion ring as deep as the queue,
  // no interrupt of the task for each completion, completions posted when
  // the one submitting thread enters the kernel; what an older kernel does
  // not know is left out, one flag after the other. 0 or the errno.
  int Open(int depth) {
    io_uring_params params{};
    params.flags =
        IORING_SETUP_CQSIZE | IORING_SETUP_COOP_TASKRUN | IORING_SETUP_SINGLE_ISSUER | IORING_SETUP_DEFER_TASKRUN;
    params.cq_entries = static_cast<unsigned>(depth);
    int result;
    for (;;) {
      const unsigned flags = params.flags;
      result = io_uring_queue_init_params(static_cast<unsigned>(depth), &ring_, &params);
      if (result != -EINVAL) break;
      params = io_uring_params{};
      if ((flags & IORING_SETUP_DEFER_TASKRUN) != 0) {
        params.flags = flags & ~(IORING_SETUP_DEFER_TASKRUN | IORING_SETUP_SINGLE_ISSUER);
      } else if ((flags & IORING_SETUP_COOP_TASKRUN) != 0) {
        params.flags = flags & ~IORING_SETUP_COOP_TASKRUN;
      } else if ((flags & IORING_SETUP_CQSIZE) != 0) {
        params.flags = flags & ~IORING_SETUP_CQSIZE;
      } else {
        break;
      }
      params.cq_entries = static_cast<unsigned>(depth);
    }
    if (result < 0) return -result;
    open_ = true;
    io_uring_probe* probe = io_uring_get_probe_ring(&ring_);
    const bool supported = probe != nullptr && io_uring_opcode_supported(probe, IORING_OP_READ) &&
                           io_uring_opcode_supported(probe, IORING_OP_WRITE);
    if (probe != nullptr) io_uring_free_probe(probe);
    return supported ? 0 : EOPNOTSUPP;
  }

  void PrepareRead(void* data, uint32_t bytes, int64_t offset, uint64_t tag) override {
    io_uring_sqe* sqe = io_uring_get_sqe(&ring_);
    io_uring_prep_read(sqe, fd_, data, bytes, static_cast<uint64_t>(offset));
    io_uring_sqe_set_data64(sqe, tag);
  }

  void PrepareWrite(const void* data, uint32_t bytes, int64_t offset, uint64_t tag) override {
    io_uring_sqe* sqe = io_uring_get_sqe(&ring_);
    io_uring_prep_write(sqe, fd_, data, bytes, static_cast<uint64_t>(offset));
    io_uring_sqe_set_data64(sqe, tag);
  }

  int Submit() override {
    // Entering for the completions too, which the kernel posts only then.
    int result;
    do {
      result = io_uring_submit_and_get_events(&ring_);
    } while (result == -EINTR);
    return result < 0 ? result : 0;
  }

  int Wait() override {
    io_uring_cqe* cqe = nullptr;
    const int result = io_uring_wait_cqe(&ring_, &cqe);
    return result == -EINTR ? 0 : (result < 0 ? result : 0);
  }

  int Reap(IoCompletion* out, int max) override {
    if (max > static_cast<int>(cqes_.size())) max = static_cast<int>(cqes_.size());
    const unsigned n = io_uring_peek_batch_cqe(&ring_, cqes_.data(), static_cast<unsigned>(max));
    for (unsigned i = 0; i < n; ++i) out[i] = IoCompletion{io_uring_cqe_get_data64(cqes_[i]), cqes_[i]->res};
    io_uring_cq_advance(&ring_, n);
    return static_cast<int>(n);
  }

 private:
  io_uring ring_{};
  bool open_ = false;
  int fd_;
  std::vector<io_uring_cqe*> cqes_;  // Reap's scratch, sized once: nothing is allocated per request
};

// Switches `fd` to direct transfers: 0, or EINVAL where the file system
// refuses them.
int MakeDirect(int fd) {
  const int flags = fcntl(fd, F_GETFL);
  if (flags < 0) return errno;
  return fcntl(fd, F_SETFL, flags | O_DIRECT) == 0 ? 0 : errno;
}

std::string FolderOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

// The unnamed way: -1 with `error` 0 where the file system cannot make
// unnamed files (the named way is tried then), else the descriptor or -1
// with the error.
int CreateUnnamedThenLink(const std::string& path, int& error) {
  error = 0;
  const int fd = RetryOnInterrupt([&] { return open(FolderOf(path).c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600); });
  if (fd < 0) return -1;  // EOPNOTSUPP, EISDIR (an older kernel), ...: by name
  if (flock(fd, LOCK_EX | LOCK_NB) != 0 || (error = MakeDirect(fd)) != 0) {
    if (error == 0) error = errno;
    close(fd);
    return -1;
  }
  const std::string self = "/proc/self/fd/" + std::to_string(fd);
  if (linkat(AT_FDCWD, self.c_str(), AT_FDCWD, path.c_str(), AT_SYMLINK_FOLLOW) != 0) {
    // A taken name is the answer; anything else (no /proc, a file system
    // that will not link an unnamed file) leaves the named way to try.
    error = errno == EEXIST ? EEXIST : 0;
    close(fd);
    return -1;
  }
  return fd;
}

int CreateNamed(const std::string& path, int& error) {
  const int fd =
      RetryOnInterrupt([&] { return open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600); });
  if (fd < 0) {
    error = errno;
    return -1;
  }
  error = flock(fd, LOCK_EX | LOCK_NB) == 0 ? MakeDirect(fd) : errno;
  if (error != 0) {
    unlink(path.c_str());  // made here exclusively: ours to remove
    close(fd);
    return -1;
  }
  return fd;
}

class LinuxDriveIo : public DriveIo {
 public:
  std::unique_ptr<DirectFile> CreateDirect(const std::string& path, int& error) override {
    int fd = CreateUnnamedThenLink(path, error);
    if (fd < 0 && error == 0) fd = CreateNamed(path, error);
    if (fd < 0) return nullptr;
    RegisterExitCleanup(path.c_str());
    return std::make_unique<PosixDirectFile>(fd);
  }

  std::unique_ptr<IoRing> OpenRing(DirectFile& file, int depth, int& error) override {
    auto ring = std::make_unique<LinuxRing>(file.Descriptor(), depth);
    error = ring->Open(depth);
    if (error != 0) return nullptr;
    return ring;
  }

  int Remove(const std::string& path) override {
    if (unlink(path.c_str()) != 0 && errno != ENOENT) return errno;
    ForgetExitCleanup(path.c_str());
    return 0;
  }

  bool RemoveIfAbandoned(const std::string& path) override {
    const int fd =
        RetryOnInterrupt([&] { return open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC); });
    if (fd < 0) return false;
    struct stat opened {
    }, named{};
    // The lock is free only once the process that made the file has ended;
    // the name must still be the file that was opened and locked.
    const bool abandoned = fstat(fd, &opened) == 0 && S_ISREG(opened.st_mode) && flock(fd, LOCK_EX | LOCK_NB) == 0 &&
                           lstat(path.c_str(), &named) == 0 && named.st_dev == opened.st_dev &&
                           named.st_ino == opened.st_ino;
    const bool removed = abandoned && unlink(path.c_str()) == 0;
    close(fd);
    return removed;
  }
};

}  // namespace

DriveIo& DriveIo::Default() {
  static LinuxDriveIo io;
  return io;
}

}  // namespace torvik::platform
