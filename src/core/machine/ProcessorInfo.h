// ProcessorInfo: identifies the x86 processor once, in its constructor (CPUID
// presence, vendor, family/model/stepping and type, the feature flags, the
// level-1 and level-2 caches, a short name), and measures the clock by
// setting the time-stamp counter against the tick count or the performance
// counter. The facts never change after construction. GUI thread only: the
// measurements block the caller and share the stopwatch.
#pragma once

#include <QString>
#include <array>

#include "core/machine/ProcessorFacts.h"
#include "platform/ProcessorProbe.h"

namespace torvik {

class ProcessorInfo {
 public:
  // `probe` must outlive the component (measurements read its counter).
  explicit ProcessorInfo(const platform::ProcessorProbe& probe = platform::HardwareProcessor());

  CpuVendor Vendor() const { return vendor_; }
  // The vendor id up to its first NUL, at most 12 characters.
  QString VendorName() const;
  KnownCpu CPU() const { return cpu_; }
  QString CPUName() const { return cpuName_; }
  uint8_t Family() const { return family_; }
  uint8_t Model() const { return model_; }
  uint8_t Stepping() const { return stepping_; }
  bool HasCPUID() const { return hasCpuid_; }
  uint8_t ProcessorType() const { return processorType_; }
  bool OverDrive() const { return overDrive_; }
  bool DualCPU() const { return dualCpu_; }
  const CpuFeatureFlags& FeatureFlags() const { return featureFlags_; }
  bool L1CacheSupport() const { return l1CacheSupport_; }
  const CacheInfo& L1DataCache() const { return l1DataCache_; }
  const CacheInfo& L1InstCache() const { return l1InstCache_; }
  bool L2CacheSupport() const { return l2CacheSupport_; }
  const CacheInfo& L2Cache() const { return l2Cache_; }
  QString Version() const { return QStringLiteral("TFCPUInfo v0.52"); }
  const platform::CpuidRegisters& Leaf1() const { return leaf1_; }

  // The clock in MHz: time-stamp cycles over 750 ms of the tick count, after a
  // 55 ms settling sleep (about 805 ms in all); 0 at once without a counter.
  double GetTickSpeed();
  // The clock in MHz over a busy wait of `seconds` on the performance
  // counter; 0 without waiting when there is no performance counter.
  double MeasureSpeed(uint16_t seconds);
  double GetSpeed() { return MeasureSpeed(1); }

  void StartTimeStamp();
  void StopTimeStamp();
  // One reading of the time-stamp counter, or 0 without one.
  int64_t ReadTimeStamp() const;

 private:
  void Identify();
  void DetectFeatureFlags();
  void DetectCaches();
  void ReadIntelDescriptors();
  void ReadCacheLeaves(uint32_t leaf);
  void ReadAmdCacheLeaves();
  bool HasAmdCacheTopology() const;
  bool OutsideTableEra() const;
  QString BrandString() const;

  const platform::ProcessorProbe& probe_;
  bool hasCpuid_ = false;
  platform::CpuidRegisters leaf1_;
  uint32_t highestLeaf_ = 0;
  CpuVendor vendor_ = CpuVendor::vdUnknown;
  std::array<char, 12> vendorId_{};  // NUL-terminated only when shorter than 12
  KnownCpu cpu_ = KnownCpu::cpuUnknown;
  QString cpuName_;
  uint8_t processorType_ = 0;
  uint8_t family_ = 0;
  uint8_t model_ = 0;
  uint8_t stepping_ = 0;
  bool dualCpu_ = false;
  bool overDrive_ = false;
  bool hasTimeStamp_ = false;
  CpuFeatureFlags featureFlags_;
  bool l1CacheSupport_ = false;
  CacheInfo l1DataCache_;
  CacheInfo l1InstCache_;
  bool l2CacheSupport_ = false;
  CacheInfo l2Cache_;
  int64_t stopwatchStart_ = 0;
  int64_t stopwatchStop_ = 0;
  int64_t stopwatchElapsed_ = 0;
};

// The status line's processor line: the name, a blank, the clock rounded to
// the nearest whole MHz (halves to the even neighbour) and "MHz".
QString ProcessorLine(const QString& cpuName, double mhz);

}  // namespace torvik
