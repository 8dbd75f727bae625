// Processors other than x86: no CPUID and no time-stamp counter, so
// identification takes its "no CPUID" path.
#include "platform/ProcessorProbe.h"

namespace torvik::platform {
namespace {

class NoCpuidProcessor : public ProcessorProbe {
 public:
  bool HasCpuid() const override { return false; }
  CpuidRegisters Cpuid(uint32_t, uint32_t) const override { return {}; }
  uint64_t ReadTimeStampCounter() const override { return 0; }
  bool FlagsHighBitsStuckSet() const override { return false; }
  bool FlagsHighBitsStuckClear() const override { return false; }
  bool AlignmentFlagFixed() const override { return false; }
};

}  // namespace

const ProcessorProbe& HardwareProcessor() {
  static const NoCpuidProcessor processor;
  return processor;
}

}  // namespace torvik::platform
