// DriveIo: the file and queue facilities of the drive group. A test file
// made for direct transfers (O_DIRECT: no read is ever served from the page
// cache, no write waits in it), read and written at positions, a
// submission queue over it (io_uring), and the removal of a test file an
// earlier run left behind when nobody holds it any more. The program uses
// DriveIo::Default(); tests wrap it to refuse io_uring or direct
// transfers, or to make a transfer fail.
// Threads: a DirectFile's ReadAt and WriteAt may be called from several
// threads at once; an IoRing from one thread at a time (any one); DriveIo
// itself from the thread that runs the group.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace torvik::platform {

// Every transfer's buffer, length and offset are multiples of this: the
// largest logical block size a drive has.
inline constexpr size_t kDirectAlignment = 4096;

// A test file open for direct transfers, locked against every other
// process (flock) for as long as the object lives; closed by the
// destructor.
class DirectFile {
 public:
  virtual ~DirectFile() = default;
  // One transfer of `bytes` at `offset`: the bytes moved (fewer than asked
  // at the end of the file or of the drive's space) or -errno; an
  // interrupted call is repeated.
  virtual int64_t ReadAt(void* data, size_t bytes, int64_t offset) = 0;
  virtual int64_t WriteAt(const void* data, size_t bytes, int64_t offset) = 0;
  // Sets aside `bytes` of the drive for the file (fallocate): 0 or the
  // errno (ENOSPC); 0 where the file system cannot set space aside, since
  // the writes then take it as they go.
  virtual int Reserve(int64_t bytes) = 0;
  // Puts what was written, and the file's size, on the drive (fdatasync):
  // 0 or the errno.
  virtual int Flush() = 0;
  // The descriptor, for a queue over the file.
  virtual int Descriptor() const = 0;
};

// One finished request of a queue: the tag it was prepared with and its
// result, the bytes moved or -errno.
struct IoCompletion {
  uint64_t tag = 0;
  int32_t result = 0;
};

// A submission queue over one file. A request is prepared, then handed to
// the kernel; completions are reaped in any order, several at once. At most
// `depth` requests (as opened) may be prepared or in flight at once. Only
// the thread that opened the queue may use it (the kernel is told there is
// one submitter), and it must close it too.
class IoRing {
 public:
  virtual ~IoRing() = default;
  // Prepares one transfer of `bytes` at `offset`; nothing reaches the
  // kernel before Submit.
  virtual void PrepareRead(void* data, uint32_t bytes, int64_t offset, uint64_t tag) = 0;
  virtual void PrepareWrite(const void* data, uint32_t bytes, int64_t offset, uint64_t tag) = 0;
  // Hands what was prepared to the kernel (one system call): 0, or -errno
  // when the kernel took none of it; what was prepared then stays in the
  // queue, never handed over, and the queue is good for nothing more than
  // waiting for the requests already in flight.
  virtual int Submit() = 0;
  // Returns once at least one completion is there to reap, at once when
  // one already is (without a system call): 0 or -errno; an interrupted
  // wait returns 0 (Reap may then find nothing).
  virtual int Wait() = 0;
  // Takes up to `max` completions that are there, without waiting: how many.
  virtual int Reap(IoCompletion* out, int max) = 0;
};

class DriveIo {
 public:
  virtual ~DriveIo() = default;

  // Makes `path`, which must not exist, as a file for direct transfers (mode
  // 0600, links never followed), locked before its name appears, and
  // registers it for deletion at an abnormal exit (ExitCleanup). Null with
  // `error` set: EEXIST when the name is taken, EINVAL when the file system
  // refuses direct transfers (nothing is left behind), or another errno.
  virtual std::unique_ptr<DirectFile> CreateDirect(const std::string& path, int& error) = 0;
  // A queue of `depth` requests over `file`, for the calling thread alone;
  // null with `error` set where
  // the kernel refuses io_uring (ENOSYS: none; EPERM: a seccomp filter or
  // io_uring_disabled) or lacks its read and write operations (EOPNOTSUPP).
  virtual std::unique_ptr<IoRing> OpenRing(DirectFile& file, int depth, int& error) = 0;
  // Deletes the file: 0 when it is gone (or never was), else the errno; a
  // deleted file is forgotten by the exit's clean-up.
  virtual int Remove(const std::string& path) = 0;
  // Deletes `path` when it is a regular file whose lock nobody holds (the
  // process that made it has ended, however it ended): true when it was
  // deleted. A live copy's file, or anything but a regular file, stays.
  virtual bool RemoveIfAbandoned(const std::string& path) = 0;

  // The operating system's; lives for the whole program.
  static DriveIo& Default();
};

}  // namespace torvik::platform
