#include "core/cores/GroupEnvironment.h"

#include "core/cores/MeasureFailure.h"
#include "core/machine/SysInfoParsers.h"

namespace torvik {

std::optional<int64_t> AvailableMemory(const platform::SystemSources& sources) {
  const std::optional<std::string> text = sources.ReadFile("/proc/meminfo");
  if (!text) return std::nullopt;
  const std::optional<MemInfo> info = ParseMemInfo(*text);
  if (!info) return std::nullopt;
  return info->available;
}

void CheckAvailableMemory(const platform::SystemSources& sources, int64_t neededBytes) {
  const std::optional<int64_t> available = AvailableMemory(sources);
  if (available && neededBytes > *available) throw MeasureFailure::NotEnoughMemory(neededBytes, *available);
}

}  // namespace torvik
