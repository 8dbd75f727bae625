// The machine's part of a result report, gathered from the processor
// components and the system snapshot: the OS and display descriptions, the
// processor with its clock measured afresh (about a second), its caches and
// type, the memory and the screen. Shared by the Report button and the
// command line. GUI thread.
#pragma once

#include <optional>

#include "core/machine/ProcessorInfo.h"
#include "core/machine/ProcessorTypeAndClock.h"
#include "core/report/ReportBuilder.h"
#include "core/machine/SystemInfo.h"

namespace torvik {

// `knownMhz`: a clock measured a moment ago, used instead of measuring.
void GatherMachineFacts(ReportInputs& in, ProcessorInfo& processor, const ProcessorTypeAndClock& processorType,
                        const SystemInfo& system, std::optional<double> knownMhz = std::nullopt);

}  // namespace torvik
