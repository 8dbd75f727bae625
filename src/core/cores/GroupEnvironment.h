// GroupEnvironment: what the cores and ram groups take from the machine
// around them: where MemAvailable is read, how threads are pinned, where
// large blocks come from, and the noise probe that looks at the machine
// around each point (none: nobody looks). Defaults are this machine's;
// tests substitute fakes. The pointers must outlive the group; the group's
// thread uses them, its measuring threads only the affinity.
#pragma once

#include "core/machine/MachineNoise.h"
#include "platform/PageMemory.h"
#include "platform/ProcessorAffinity.h"
#include "platform/SystemSources.h"

namespace torvik {

struct GroupEnvironment {
  const platform::SystemSources* sources = &platform::SystemSources::Default();
  const platform::ProcessorAffinity* affinity = &platform::ProcessorAffinity::Default();
  const platform::PageMemory* memory = &platform::PageMemory::Default();
  const MachineNoise* noise = nullptr;
};

// MemAvailable of the machine `sources` show, in bytes; nothing when
// /proc/meminfo cannot be read.
std::optional<int64_t> AvailableMemory(const platform::SystemSources& sources);

// Refuses (MeasureFailure::NotEnoughMemory) when `neededBytes` is more than
// MemAvailable; a machine that cannot say lets the group go on.
void CheckAvailableMemory(const platform::SystemSources& sources, int64_t neededBytes);

}  // namespace torvik
