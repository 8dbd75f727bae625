// SystemSources: where the system information comes from on this machine:
// files of /proc, /sys, /etc and /dev (read whole, listed, links followed),
// the volume query, device numbers, the file system holding a path, and a
// few system calls (uname, the user's passwd entry, the host name, the
// processor counts). The program uses SystemSources::Default(); tests read a
// captured tree instead. GUI thread.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace torvik::platform {

struct VolumeFacts {
  uint64_t blockSize = 0;  // f_frsize
  uint64_t blocks = 0;
  uint64_t blocksAvailable = 0;  // to this user
};

// The file system that holds a path, asked of the path itself rather than of
// the mount table (which hides the mounts above a chroot's root).
struct PathFileSystem {
  uint32_t major = 0, minor = 0;  // st_dev: 0:n for file systems without a block device
  std::string type;               // as the mount table names it: "ext4", "tmpfs", ...; empty when unknown
};

struct SystemFacts {
  std::string kernelRelease;
  std::string machine;  // uname's hardware name: "x86_64", "aarch64", ...
  std::string hostName;
  std::string loginName;
  std::string fullName;  // the passwd entry's comment field
  bool hasPasswdEntry = false;
  int32_t processorsOnline = 0;
  uint64_t affinityMask = 0;
  int64_t pageSize = 0;
  // sysinfo(): used when /proc/meminfo cannot be read.
  int64_t totalRam = 0, freeRam = 0, totalSwap = 0, freeSwap = 0;
};

class SystemSources {
 public:
  virtual ~SystemSources() = default;
  // The whole file, or nothing when it does not exist or cannot be read.
  virtual std::optional<std::string> ReadFile(const std::string& path) const = 0;
  // The names in a directory (not "." and ".."); empty when absent.
  virtual std::vector<std::string> ListDirectory(const std::string& path) const = 0;
  // The target of a symbolic link, as stored.
  virtual std::optional<std::string> ReadLink(const std::string& path) const = 0;
  // The path with every link and "." or ".." resolved; nothing when missing.
  virtual std::optional<std::string> RealPath(const std::string& path) const = 0;
  // major:minor of a block device node (st_rdev).
  virtual std::optional<std::pair<uint32_t, uint32_t>> DeviceNumberOfNode(const std::string& path) const = 0;
  virtual std::optional<PathFileSystem> FileSystemOf(const std::string& path) const = 0;
  virtual std::optional<VolumeFacts> Volume(const std::string& path) const = 0;
  virtual SystemFacts System() const = 0;

  // This machine; lives for the whole program.
  static const SystemSources& Default();
};

}  // namespace torvik::platform
