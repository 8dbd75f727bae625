#include "core/machine/MachineComponents.h"

#include <QFile>

#include "core/machine/OsDescription.h"

namespace torvik {
namespace {

// No registry on Linux: the display description comes from the DRM adapter.
class NoRegistry : public RegistryView {
 public:
  std::optional<Key> Open(const QString&) const override { return std::nullopt; }
};

}  // namespace

MachineComponents::MachineComponents(const platform::ProcessorProbe& probe, const platform::SystemSources& sources,
                                     const DisplayFacts& display, ClockComponent clockComponent)
    : probe_(probe),
      processor_(probe),
      system_(sources, display.screen),
      noise_(sources),
      display_(display),
      identity_(IdentityOf(sources)) {
  if (clockComponent == ClockComponent::AtStart) processorType_.emplace(probe);
}

const ProcessorTypeAndClock& MachineComponents::ProcessorType() {
  if (!processorType_) processorType_.emplace(probe_);
  return *processorType_;
}

QString MachineComponents::MeasureProcessorLine() {
  lastMhz_ = processor_.GetTickSpeed();
  return ProcessorLine(processor_.CPUName(), *lastMhz_);
}

void MachineComponents::MeasureClock() { lastMhz_ = processor_.GetSpeed(); }

MachineFacts MachineComponents::Facts(const QString& testDirectory, platform::FileSystem& fileSystem) {
  MachineFacts facts;
  facts.hostName = identity_.hostName;
  facts.machineId = identity_.machineId;
  facts.os = BuildOsDescription(system_.Version());
  facts.display = BuildDisplayDescription(system_.Version(), system_.Facts().dsDisplayDevice, NoRegistry(),
                                          system_.DisplayAdapter());
  facts.displayAdapter = system_.DisplayAdapter();
  facts.platform = display_.platform;
  facts.hasDisplay = display_.hasScreen;
  facts.screenWidth = system_.Facts().dsScreenWidth;
  facts.screenHeight = system_.Facts().dsScreenHeight;
  facts.screenDepth = system_.Facts().dsResolution;
  ProcessorSummary& p = facts.processor;
  p.vendor = processor_.VendorName();
  p.name = processor_.CPUName();
  p.clockMhz = lastMhz_.value_or(0);
  p.family = processor_.Family();
  p.model = processor_.Model();
  p.stepping = processor_.Stepping();
  p.type = ProcessorType().ProcessorType();
  p.l1Caches = processor_.L1CacheSupport();
  p.l1DataKb = processor_.L1DataCache().Size;
  p.l1InstructionKb = processor_.L1InstCache().Size;
  p.l2Cache = processor_.L2CacheSupport();
  p.l2Kb = processor_.L2Cache().Size;
  p.l2LineBytes = processor_.L2Cache().LineSize;
  p.l2Ways = processor_.L2Cache().Associativity;
  facts.freeMemory = system_.Facts().miFreePhys;
  facts.totalMemory = system_.Facts().miTotalPhys;
  facts.testDirectory.path = testDirectory;
  facts.testDirectory.queried = fileSystem.QueryDiskSpace(
      QFile::encodeName(testDirectory).toStdString(), facts.testDirectory.totalBytes, facts.testDirectory.freeBytes);
  return facts;
}

}  // namespace torvik
