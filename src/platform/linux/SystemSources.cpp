#include "platform/SystemSources.h"

#include <dirent.h>
#include <pwd.h>
#include <sched.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/statvfs.h>
#include <sys/sysinfo.h>
#include <sys/sysmacros.h>
#include <sys/utsname.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace torvik::platform {
namespace {

// statfs()'s magic numbers of the file systems whose kind the drive type
// depends on: network shares, optical discs and memory. The disk file systems
// need no name: their block device decides.
std::string FileSystemTypeName(unsigned long magic) {
  switch (magic) {
    case 0x6969: return "nfs";
    case 0xFF534D42: return "cifs";
    case 0xFE534D42: return "smb3";
    case 0x517B: return "smbfs";
    case 0x01021997: return "9p";
    case 0x5346414F: return "afs";
    case 0x00C36400: return "ceph";
    case 0x9660: return "iso9660";
    case 0x15013346: return "udf";
    case 0x01021994: return "tmpfs";
    case 0x858458F6: return "ramfs";
    case 0xEF53: return "ext4";  // ext2, ext3 and ext4 share it
    case 0x58465342: return "xfs";
    case 0x9123683E: return "btrfs";
    case 0xF2F52010: return "f2fs";
    case 0x4D44: return "vfat";
    case 0x794C7630: return "overlay";
    default: return {};
  }
}

class LinuxSources : public SystemSources {
 public:
  std::optional<std::string> ReadFile(const std::string& path) const override {
    std::ifstream file(path, std::ios::binary);
    if (!file) return std::nullopt;
    std::ostringstream text;
    text << file.rdbuf();
    if (file.bad()) return std::nullopt;
    return text.str();
  }

  std::vector<std::string> ListDirectory(const std::string& path) const override {
    std::vector<std::string> names;
    DIR* dir = opendir(path.c_str());
    if (dir == nullptr) return names;
    while (const dirent* entry = readdir(dir)) {
      const std::string name = entry->d_name;
      if (name != "." && name != "..") names.push_back(name);
    }
    closedir(dir);
    return names;
  }

  std::optional<std::string> ReadLink(const std::string& path) const override {
    char target[PATH_MAX];
    const ssize_t n = readlink(path.c_str(), target, sizeof target);
    if (n < 0) return std::nullopt;
    return std::string(target, static_cast<size_t>(n));
  }

  std::optional<std::string> RealPath(const std::string& path) const override {
    char* resolved = realpath(path.c_str(), nullptr);
    if (resolved == nullptr) return std::nullopt;
    std::string result = resolved;
    std::free(resolved);
    return result;
  }

  std::optional<std::pair<uint32_t, uint32_t>> DeviceNumberOfNode(const std::string& path) const override {
    struct stat st {};
    if (stat(path.c_str(), &st) != 0 || !S_ISBLK(st.st_mode)) return std::nullopt;
    return std::make_pair(major(st.st_rdev), minor(st.st_rdev));
  }

  std::optional<PathFileSystem> FileSystemOf(const std::string& path) const override {
    struct stat st {};
    struct statfs fs {};
    if (stat(path.c_str(), &st) != 0 || statfs(path.c_str(), &fs) != 0) return std::nullopt;
    return PathFileSystem{major(st.st_dev), minor(st.st_dev),
                          FileSystemTypeName(static_cast<unsigned long>(fs.f_type))};
  }

  std::optional<VolumeFacts> Volume(const std::string& path) const override {
    struct statvfs fs {};
    if (statvfs(path.c_str(), &fs) != 0) return std::nullopt;
    return VolumeFacts{fs.f_frsize, fs.f_blocks, fs.f_bavail};
  }

  SystemFacts System() const override {
    SystemFacts facts;
    utsname name{};
    if (uname(&name) == 0) {
      facts.kernelRelease = name.release;
      facts.machine = name.machine;
    }
    char host[256] = {};
    if (gethostname(host, sizeof host - 1) == 0) facts.hostName = host;
    if (const passwd* user = getpwuid(getuid())) {
      facts.hasPasswdEntry = true;
      facts.loginName = user->pw_name ? user->pw_name : "";
      facts.fullName = user->pw_gecos ? user->pw_gecos : "";
    }
    facts.processorsOnline = static_cast<int32_t>(sysconf(_SC_NPROCESSORS_ONLN));
    cpu_set_t set;
    CPU_ZERO(&set);
    if (sched_getaffinity(0, sizeof set, &set) == 0) {
      for (int cpu = 0; cpu < 64; ++cpu) {
        if (CPU_ISSET(cpu, &set)) facts.affinityMask |= uint64_t{1} << cpu;
      }
    }
    facts.pageSize = sysconf(_SC_PAGESIZE);
    struct sysinfo info {};
    if (sysinfo(&info) == 0) {
      facts.totalRam = static_cast<int64_t>(info.totalram) * info.mem_unit;
      facts.freeRam = static_cast<int64_t>(info.freeram) * info.mem_unit;
      facts.totalSwap = static_cast<int64_t>(info.totalswap) * info.mem_unit;
      facts.freeSwap = static_cast<int64_t>(info.freeswap) * info.mem_unit;
    }
    return facts;
  }
};

}  // namespace

const SystemSources& SystemSources::Default() {
  static const LinuxSources sources;
  return sources;
}

}  // namespace torvik::platform
