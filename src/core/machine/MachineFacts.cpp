#include "core/machine/MachineFacts.h"

#include "core/machine/OsDescription.h"

namespace torvik {
namespace {

// No registry on Linux: the display description comes from the DRM adapter.
class NoRegistry : public RegistryView {
 public:
  std::optional<Key> Open(const QString&) const override { return std::nullopt; }
};

}  // namespace

void GatherMachineFacts(ReportInputs& in, ProcessorInfo& processor, const ProcessorTypeAndClock& processorType,
                        const SystemInfo& system, std::optional<double> knownMhz) {
  in.osDescription = BuildOsDescription(system.Version());
  in.displayDescription =
      BuildDisplayDescription(system.Version(), system.Facts().dsDisplayDevice, NoRegistry(), system.DisplayAdapter());
  in.vendorName = processor.VendorName();
  in.cpuName = processor.CPUName();
  in.speedMhz = knownMhz ? *knownMhz : processor.GetSpeed();
  in.l1CacheSupport = processor.L1CacheSupport();
  in.l1DataSize = processor.L1DataCache().Size;
  in.l1InstSize = processor.L1InstCache().Size;
  in.l2CacheSupport = processor.L2CacheSupport();
  in.l2Size = processor.L2Cache().Size;
  in.l2LineSize = processor.L2Cache().LineSize;
  in.l2Associativity = processor.L2Cache().Associativity;
  in.family = processor.Family();
  in.model = processor.Model();
  in.stepping = processor.Stepping();
  in.processorType = processorType.ProcessorType();
  in.freePhysical = system.Facts().miFreePhys;
  in.totalPhysical = system.Facts().miTotalPhys;
  in.screenWidth = system.Facts().dsScreenWidth;
  in.screenHeight = system.Facts().dsScreenHeight;
  in.screenDepth = system.Facts().dsResolution;
}

}  // namespace torvik
