#include "core/drive/DiskStats.h"

#include <algorithm>
#include <sstream>

namespace torvik {

std::optional<DiskCounters> ParseDiskStats(const std::string& text, uint32_t major, uint32_t minor) {
  std::istringstream lines(text);
  std::string line;
  while (std::getline(lines, line)) {
    std::istringstream fields(line);
    uint64_t lineMajor = 0, lineMinor = 0;
    std::string name;
    if (!(fields >> lineMajor >> lineMinor >> name) || lineMajor != major || lineMinor != minor) continue;
    // reads completed, reads merged, sectors read, ms reading, writes
    // completed, writes merged, sectors written, ...
    uint64_t values[7] = {};
    for (uint64_t& value : values) {
      if (!(fields >> value)) return std::nullopt;
    }
    constexpr uint64_t kLargestSectors = INT64_MAX / 512;
    if (values[2] > kLargestSectors || values[6] > kLargestSectors) return std::nullopt;
    return DiskCounters{static_cast<int64_t>(values[2]) * 512, static_cast<int64_t>(values[6]) * 512};
  }
  return std::nullopt;
}

std::optional<int64_t> OthersBytes(const std::optional<DiskCounters>& before, const std::optional<DiskCounters>& after,
                                   int64_t ownBytes) {
  if (!before || !after) return std::nullopt;
  if (after->readBytes < before->readBytes || after->writtenBytes < before->writtenBytes) return std::nullopt;
  return std::max<int64_t>(0, after->Total() - before->Total() - ownBytes);
}

}  // namespace torvik
