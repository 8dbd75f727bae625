// Every open here is non-blocking first: a FIFO, or a device that waits for
// a carrier, answers at once; the descriptor is made blocking again once it
// is known to be what was asked for.
#include "platform/PlainFiles.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace torvik::platform {
namespace {

int OpenNonBlocking(const std::string& path, int flags) {
  int fd;
  do {
    fd = open(path.c_str(), flags | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  } while (fd < 0 && errno == EINTR);
  return fd;
}

int MakeBlocking(int fd) {
  const int flags = fcntl(fd, F_GETFL);
  return flags < 0 || fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0 ? errno : 0;
}

}  // namespace

FileKind KindOf(const std::string& path) {
  struct stat st {};
  if (stat(path.c_str(), &st) != 0) return FileKind::Missing;
  if (S_ISREG(st.st_mode)) return FileKind::Regular;
  if (S_ISDIR(st.st_mode)) return FileKind::Directory;
  return FileKind::Special;
}

bool IsSymbolicLink(const std::string& path) {
  struct stat st {};
  return lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode);
}

int WriteInPlace(const std::string& path, const std::string& bytes) {
  const int fd = OpenNonBlocking(path, O_WRONLY);
  if (fd < 0) return errno;
  struct stat st {};
  int error = fstat(fd, &st) != 0 ? errno : 0;
  if (error == 0 && S_ISREG(st.st_mode) && ftruncate(fd, 0) != 0) error = errno;
  if (error == 0) error = MakeBlocking(fd);
  size_t done = 0;
  while (error == 0 && done < bytes.size()) {
    const ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) error = errno;
    if (n > 0) done += static_cast<size_t>(n);
  }
  if (close(fd) != 0 && error == 0 && errno != EINTR) error = errno;
  return error;
}

int WriteToDescriptor(int fd, const std::string& bytes) {
  size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return errno;
    done += static_cast<size_t>(n);
  }
  return 0;
}

int PublishNewFile(const std::string& from, const std::string& to) {
  // link() never replaces: two copies publishing at once, one wins.
  const int error = link(from.c_str(), to.c_str()) == 0 ? 0 : errno;
  unlink(from.c_str());
  return error;
}

int OpenRegularFileForReading(const std::string& path) {
  const int fd = OpenNonBlocking(path, O_RDONLY);
  if (fd < 0) return -errno;
  struct stat st {};
  int error = fstat(fd, &st) != 0 ? errno : 0;
  if (error == 0 && !S_ISREG(st.st_mode)) error = S_ISDIR(st.st_mode) ? EISDIR : EINVAL;
  if (error == 0) error = MakeBlocking(fd);
  if (error != 0) {
    close(fd);
    return -error;
  }
  return fd;
}

}  // namespace torvik::platform
