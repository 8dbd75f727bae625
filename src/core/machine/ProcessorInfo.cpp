#include "core/machine/ProcessorInfo.h"

#include <algorithm>
#include <cstring>

#include "core/base/Rounding.h"
#include "core/machine/CpuidDecode.h"
#include "core/machine/ProcessorTables.h"
#include "platform/Clock.h"

namespace torvik {
namespace {

bool Bit(uint32_t value, int bit) { return ((value >> bit) & 1u) != 0; }

// The four bytes of a register, low byte first.
void AppendBytes(std::string& text, uint32_t value) {
  for (int shift = 0; shift < 32; shift += 8) text.push_back(static_cast<char>((value >> shift) & 0xFF));
}

// The ways of AMD's 4-bit level-2 associativity code (0x80000006 ECX bits
// 12-15) for a cache of `lines` lines; 0 for the codes that name no count.
uint16_t AmdLevel2Ways(uint32_t code, uint32_t lines) {
  switch (code) {
    case 0x1: return 1;
    case 0x2: return 2;
    case 0x3: return 3;
    case 0x4: return 4;
    case 0x5: return 6;
    case 0x6: return 8;
    case 0x8: return 16;
    case 0xA: return 32;
    case 0xB: return 48;
    case 0xC: return 64;
    case 0xD: return 96;
    case 0xE: return 128;
    case 0xF: return static_cast<uint16_t>(std::min<uint32_t>(lines, 0xFFFF));  // fully associative
    default: return 0;
  }
}

// A cache described by AMD's extended leaves: the L1 layout of 0x80000005.
CacheInfo AmdLevel1(uint32_t value) {
  return CacheInfo{static_cast<uint16_t>((value >> 16) & 0xFF), static_cast<uint8_t>(value & 0xFF),
                   static_cast<uint8_t>((value >> 8) & 0xFF), static_cast<uint16_t>((value >> 24) & 0xFF)};
}

}  // namespace

ProcessorInfo::ProcessorInfo(const platform::ProcessorProbe& probe) : probe_(probe) {
  std::memcpy(vendorId_.data(), "Unknown", 8);  // NUL-terminated
  hasCpuid_ = probe_.HasCpuid();
  if (hasCpuid_) Identify();
  vendor_ = LookupVendor(VendorName());
  if (hasCpuid_) {
    DetectFeatureFlags();
    DetectCaches();
    hasTimeStamp_ = featureFlags_.TSC;
  }
  const CpuNaming naming = NameProcessor(vendor_, family_, model_, l2CacheSupport_, l2Cache_.Size);
  cpu_ = naming.cpu;
  cpuName_ = naming.name;
  if (OutsideTableEra()) {
    // The tables describe processors up to about 2000; a processor with
    // extended family or model fields would get a plainly wrong name from
    // them, so it is named by its own brand string.
    cpu_ = KnownCpu::cpuUnknown;
    const QString brand = BrandString();
    cpuName_ = brand.isEmpty() ? VendorWord(vendor_) : brand;
  }
}

QString ProcessorInfo::VendorName() const { return VendorIdText(vendorId_); }

// Leaf 1 comes first, then leaf 0 for the vendor id; the extended family and
// model fields are not part of family and model.
void ProcessorInfo::Identify() {
  leaf1_ = probe_.Cpuid(1);
  const ProcessorSignature signature = DecodeSignature(leaf1_.eax);
  processorType_ = signature.type;
  family_ = signature.family;
  model_ = signature.model;
  stepping_ = signature.stepping;
  const platform::CpuidRegisters leaf0 = probe_.Cpuid(0);
  highestLeaf_ = leaf0.eax;
  vendorId_ = DecodeVendorId(leaf0);
  overDrive_ = processorType_ == 1;
  dualCpu_ = processorType_ == 2;
}

void ProcessorInfo::DetectFeatureFlags() {
  const uint32_t edx = leaf1_.edx;
  CpuFeatureFlags& f = featureFlags_;
  f.FPU = Bit(edx, 0);
  f.VME = Bit(edx, 1);
  f.DE = Bit(edx, 2);
  f.PSE = Bit(edx, 3);
  f.TSC = Bit(edx, 4);
  f.MSR = Bit(edx, 5);
  f.PAE = Bit(edx, 6);
  f.MCE = Bit(edx, 7);
  f.CX8 = Bit(edx, 8);
  f.APIC = Bit(edx, 9);
  f.SEP = Bit(edx, 11);
  f.MTRR = Bit(edx, 12);
  f.PGE = Bit(edx, 13);
  f.MCA = Bit(edx, 14);
  f.CMOV = Bit(edx, 15);
  f.PAT = Bit(edx, 16);
  f.PSE36 = Bit(edx, 17);
  f.PN = Bit(edx, 18);
  f.MMX = Bit(edx, 23);
  f.FXSR = Bit(edx, 24);
  f.XMM = Bit(edx, 25);
}

void ProcessorInfo::DetectCaches() {
  switch (vendor_) {
    case CpuVendor::vdIntel:
      if (OutsideTableEra()) {
        ReadCacheLeaves(4);
      } else {
        ReadIntelDescriptors();
      }
      break;
    case CpuVendor::vdAMD:
      ReadAmdCacheLeaves();
      // The tables' era keeps AMD's raw level-2 code; a newer processor gets
      // its true geometry, from the deterministic cache leaves when it has them.
      if (OutsideTableEra()) {
        const CacheInfo coded = l2Cache_;
        if (HasAmdCacheTopology()) ReadCacheLeaves(0x8000001D);
        if (!l2CacheSupport_ || l2Cache_ == coded) {
          l2Cache_ = coded;
          const uint32_t lines = coded.LineSize > 0 ? uint32_t{coded.Size} * 1024 / coded.LineSize : 0;
          l2Cache_.Associativity = AmdLevel2Ways(coded.Associativity, lines);
          l2CacheSupport_ = l2Cache_.Size > 0;
        }
      }
      featureFlags_.AMD3DNow = Bit(probe_.Cpuid(0x80000001).edx, 31);
      break;
    case CpuVendor::vdIDT: {
      const platform::CpuidRegisters l1 = probe_.Cpuid(0x80000005);
      l1DataCache_ = AmdLevel1(l1.ecx);
      l1InstCache_ = AmdLevel1(l1.edx);
      l1CacheSupport_ = l1InstCache_.Size > 0;
      featureFlags_.AMD3DNow = Bit(leaf1_.edx, 31);
      break;
    }
    case CpuVendor::vdCyrix:
    case CpuVendor::vdRise:
    case CpuVendor::vdUnknown: break;
  }
}

// Leaf 2, EDX only: bytes 1 and 3 name level-1 caches (byte 3 last, so it
// wins), byte 0 the level-2 cache; byte 2 and unknown values change nothing.
void ProcessorInfo::ReadIntelDescriptors() {
  const uint32_t edx = probe_.Cpuid(2).edx;
  for (int shift : {8, 24}) {
    if (const auto l1 = LookupLevel1Descriptor((edx >> shift) & 0xFF)) {
      (l1->instruction ? l1InstCache_ : l1DataCache_) = l1->cache;
      l1CacheSupport_ = true;
    }
  }
  if (const auto l2 = LookupLevel2Descriptor(edx & 0xFF)) {
    l2Cache_ = *l2;
    l2CacheSupport_ = true;
  }
}

// Leaf 4, the deterministic cache parameters, one subleaf per cache until a
// subleaf of type 0.
// Intel's leaf 4 and AMD's 0x8000001D share one layout: one subleaf per
// cache, until a subleaf of type 0.
void ProcessorInfo::ReadCacheLeaves(uint32_t leaf) {
  if (leaf == 4 && highestLeaf_ < 4) return;
  for (uint32_t index = 0; index < 32; ++index) {
    const platform::CpuidRegisters r = probe_.Cpuid(leaf, index);
    const uint32_t type = r.eax & 0x1F;  // 1 data, 2 instruction, 3 unified
    if (type == 0) break;
    const uint32_t level = (r.eax >> 5) & 0x7;
    const uint64_t ways = (r.ebx >> 22) + 1;
    const uint64_t partitions = ((r.ebx >> 12) & 0x3FF) + 1;
    const uint64_t lineSize = (r.ebx & 0xFFF) + 1;
    const uint64_t sets = uint64_t{r.ecx} + 1;
    const CacheInfo cache{
        static_cast<uint16_t>(std::min<uint64_t>(ways, 0xFFFF)),
        static_cast<uint8_t>(std::min<uint64_t>(lineSize, 0xFF)),
        static_cast<uint8_t>(std::min<uint64_t>(partitions, 0xFF)),
        static_cast<uint16_t>(std::min<uint64_t>(ways * partitions * lineSize * sets / 1024, 0xFFFF))};
    if (level == 1 && type == 1) {
      l1DataCache_ = cache;
      l1CacheSupport_ = true;
    } else if (level == 1 && type == 2) {
      l1InstCache_ = cache;
      l1CacheSupport_ = true;
    } else if (level == 2) {
      l2Cache_ = cache;
      l2CacheSupport_ = true;
    }
  }
}

// 0x80000005 (level 1) and 0x80000006 (level 2), read without asking
// 0x80000000 first. The level-2 associativity is AMD's raw 4-bit code here.
void ProcessorInfo::ReadAmdCacheLeaves() {
  const platform::CpuidRegisters l1 = probe_.Cpuid(0x80000005);
  l1DataCache_ = AmdLevel1(l1.ecx);
  l1InstCache_ = AmdLevel1(l1.edx);
  l1CacheSupport_ = l1InstCache_.Size > 0;
  const uint32_t l2 = probe_.Cpuid(0x80000006).ecx;
  l2Cache_ = CacheInfo{static_cast<uint16_t>((l2 >> 12) & 0xF), static_cast<uint8_t>(l2 & 0xFF),
                       static_cast<uint8_t>((l2 >> 8) & 0xF), static_cast<uint16_t>(l2 >> 16)};
  l2CacheSupport_ = l2Cache_.Size > 0;
}

// Leaf 0x8000001D exists when the extended leaves reach it and
// 0x80000001 ECX bit 22 (topology extensions) is set.
bool ProcessorInfo::HasAmdCacheTopology() const {
  return probe_.Cpuid(0x80000000).eax >= 0x8000001D && Bit(probe_.Cpuid(0x80000001).ecx, 22);
}

bool ProcessorInfo::OutsideTableEra() const {
  const uint32_t extendedFamily = (leaf1_.eax >> 20) & 0xFF;
  const uint32_t extendedModel = (leaf1_.eax >> 16) & 0xF;
  return hasCpuid_ && (extendedFamily != 0 || extendedModel != 0);
}

// Leaves 0x80000002-0x80000004, up to the first NUL, blanks trimmed; empty
// when the processor has no brand string.
QString ProcessorInfo::BrandString() const {
  if (probe_.Cpuid(0x80000000).eax < 0x80000004) return {};
  std::string text;
  for (uint32_t leaf = 0x80000002; leaf <= 0x80000004; ++leaf) {
    const platform::CpuidRegisters r = probe_.Cpuid(leaf);
    for (uint32_t word : {r.eax, r.ebx, r.ecx, r.edx}) AppendBytes(text, word);
  }
  return QString::fromLatin1(text.c_str()).trimmed();
}

double ProcessorInfo::GetTickSpeed() {
  if (!hasTimeStamp_) return 0;
  platform::Sleep(55);
  const int32_t t0 = platform::TickCount();
  const int64_t c0 = ReadTimeStamp();
  platform::Sleep(750);
  const int32_t t1 = platform::TickCount();
  const int64_t c1 = ReadTimeStamp();
  return static_cast<double>(c1 - c0) / (static_cast<double>(t1 - t0) * 1000.0);
}

double ProcessorInfo::MeasureSpeed(uint16_t seconds) {
  int64_t frequency = 0;
  if (!platform::PerformanceFrequency(frequency)) return 0;
  seconds = std::max<uint16_t>(seconds, 1);  // callers pass at least 1; never divide by 0
  const int64_t target = int64_t{seconds} * frequency + platform::PerformanceCounter();
  StartTimeStamp();
  while (platform::PerformanceCounter() < target) {
    // Busy wait: no sleep, no message processing.
  }
  StopTimeStamp();
  return static_cast<double>(stopwatchElapsed_) / seconds / 1'000'000.0;
}

void ProcessorInfo::StartTimeStamp() {
  stopwatchStart_ = ReadTimeStamp();
  stopwatchStop_ = 0;
  stopwatchElapsed_ = 0;
}

void ProcessorInfo::StopTimeStamp() {
  stopwatchStop_ = ReadTimeStamp();
  stopwatchElapsed_ = stopwatchStop_ - stopwatchStart_;
}

int64_t ProcessorInfo::ReadTimeStamp() const {
  return hasTimeStamp_ ? static_cast<int64_t>(probe_.ReadTimeStampCounter()) : 0;
}

QString ProcessorLine(const QString& cpuName, double mhz) {
  return cpuName + u' ' + QString::number(static_cast<qint64>(RoundHalfEven(mhz))) + QStringLiteral("MHz");
}

}  // namespace torvik
