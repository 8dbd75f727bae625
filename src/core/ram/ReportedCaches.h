// The caches the kernel reports for a processor
// (/sys/devices/system/cpu/cpuN/cache/index*/{level,type,size,
// shared_cpu_list}), and the last-level cache they add up to across the
// processors a group uses: the sizes the ram group's arrays and curve are
// made from and its detected levels are set beside. Read through
// SystemSources, so tests give a captured tree. Plain values; any thread.
#pragma once

#include <QString>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/SystemSources.h"

namespace torvik {

struct ReportedCache {
  int level = 0;
  QString type;  // "Data", "Instruction", "Unified"
  int64_t bytes = 0;
  std::vector<int> sharedBy;  // the processors that share this one
};

// "48K\n" -> 49152; "32768K", "2M", "1G"; a plain number is bytes. None
// when malformed.
std::optional<int64_t> ParseCacheSize(const std::string& text);

// The caches of `processor`, by level, data before instruction; those
// without a level or a size are left out.
std::vector<ReportedCache> ReadReportedCaches(const platform::SystemSources& sources, int processor);

// The caches data goes through (data and unified), by level: L1d, L2, L3.
std::vector<ReportedCache> DataCaches(const std::vector<ReportedCache>& caches);

// The largest level's data cache of `caches`; 0 when there is none.
int64_t LastLevelBytes(const std::vector<ReportedCache>& caches);

// The last-level caches `processors` use between them, each counted once
// (by the processors that share it): the total a many-thread working set
// must exceed to come from memory.
int64_t LastLevelTotal(const platform::SystemSources& sources, const std::vector<int>& processors);

}  // namespace torvik
