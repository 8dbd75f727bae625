// MachineComponents: the machine's components, created once, in this
// order: the processor identification (TCPU), the system snapshot (TSys)
// and the processor type and clock component (CPUID1, whose construction
// busy-waits a second to measure the clock). The window makes all three
// when the program starts; the command line leaves CPUID1 until the
// machine's facts are first needed, so that nothing is measured before a
// run is refused or begins. They serve the status line's processor line,
// the about box, and the machine's facts of every run and report. GUI
// thread only: the clock measurements block the caller.
#pragma once

#include <QString>
#include <optional>

#include "core/machine/MachineFacts.h"
#include "core/machine/MachineIdentity.h"
#include "core/machine/MachineNoise.h"
#include "core/machine/ProcessorInfo.h"
#include "core/machine/ProcessorTypeAndClock.h"
#include "core/machine/SystemInfo.h"
#include "platform/FileSystem.h"

namespace torvik {

// When the processor type and clock component is made.
enum class ClockComponent { AtStart, WhenFirstNeeded };

// The display the program shows its figures on, as the composition found it.
struct DisplayFacts {
  QString platform;        // Qt's platform: "xcb", "wayland", "offscreen", ...
  bool hasScreen = false;  // a real screen to draw on and to describe
  ScreenFacts screen;      // its size and depth; none without one
};

class MachineComponents {
 public:
  // `probe` and `sources` must outlive the components. `display`: where
  // the figures are shown (without a screen the facts describe none).
  MachineComponents(const platform::ProcessorProbe& probe, const platform::SystemSources& sources,
                    const DisplayFacts& display, ClockComponent clockComponent = ClockComponent::AtStart);
  MachineComponents(const MachineComponents&) = delete;
  MachineComponents& operator=(const MachineComponents&) = delete;

  ProcessorInfo& Processor() { return processor_; }
  // Made now (a second of busy waiting) when it was left for later.
  const ProcessorTypeAndClock& ProcessorType();
  const SystemInfo& System() const { return system_; }
  const platform::ProcessorProbe& Probe() const { return probe_; }
  const MachineNoise& Noise() const { return noise_; }

  // The status line's processor line ("AMD EPYC 2597MHz"), the clock
  // measured anew against the tick count (about 0.8 s).
  QString MeasureProcessorLine();
  // Measures the clock anew against the performance counter (about 1 s),
  // as the report does.
  void MeasureClock();
  // The clock the last measurement found; none before the first.
  std::optional<double> LastClockMhz() const { return lastMhz_; }

  // The machine's facts with the clock measured last (0 before any) and
  // the space of `testDirectory` queried now through `fileSystem`.
  MachineFacts Facts(const QString& testDirectory, platform::FileSystem& fileSystem);

 private:
  const platform::ProcessorProbe& probe_;
  ProcessorInfo processor_;
  SystemInfo system_;
  MachineNoise noise_;
  std::optional<ProcessorTypeAndClock> processorType_;
  DisplayFacts display_;
  MachineIdentity identity_;
  std::optional<double> lastMhz_;
};

}  // namespace torvik
