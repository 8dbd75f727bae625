// The bytes a block device has read and written since boot, from
// /proc/diskstats (sectors of 512 bytes whatever the drive's own sector
// size), by device number: what the drive group sets against its own bytes
// to see what other processes moved on the same drive. Pure; any thread.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace torvik {

struct DiskCounters {
  int64_t readBytes = 0;
  int64_t writtenBytes = 0;
  int64_t Total() const { return readBytes + writtenBytes; }
};

// The counters of device `major`:`minor` in the text of /proc/diskstats;
// none when it has no such line or the line is cut short.
std::optional<DiskCounters> ParseDiskStats(const std::string& text, uint32_t major, uint32_t minor);

// What others moved on the drive between two readings of its counters,
// beside the `ownBytes` this program moved there meanwhile: never below 0
// (the program's last requests may be counted in the next reading); none
// without both readings, or when the counters went back (the device was
// replaced).
std::optional<int64_t> OthersBytes(const std::optional<DiskCounters>& before, const std::optional<DiskCounters>& after,
                                   int64_t ownBytes);

}  // namespace torvik
