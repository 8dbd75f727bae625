// Whether transparent huge pages back a block of memory: the AnonHugePages
// that /proc/self/smaps gives for the mappings over an address range, and
// the system's setting in /sys/kernel/mm/transparent_hugepage/enabled.
// Pure parsers, tested with captured text; any thread.
#pragma once

#include <QString>
#include <cstdint>
#include <optional>
#include <string>

namespace torvik {

// The bytes on huge pages (AnonHugePages, kB) of the mappings of `smaps`
// that overlap [begin, end); none when no mapping overlaps it or none says.
std::optional<int64_t> AnonHugePageBytes(const std::string& smaps, uintptr_t begin, uintptr_t end);

// "always [madvise] never\n" -> "madvise"; empty when nothing is chosen.
QString TransparentHugePageMode(const std::string& enabled);

}  // namespace torvik
