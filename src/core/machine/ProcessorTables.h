// The lookup tables of processor identification: vendor ids to vendors, the
// Intel leaf-2 cache descriptors, and each vendor's naming table over family
// and model. Pure functions; any thread.
#pragma once

#include <QString>
#include <optional>

#include "core/machine/ProcessorFacts.h"

namespace torvik {

// Compares the vendor id (up to its first NUL, at most 12 characters)
// without regard to ASCII letter case; anything unknown is vdUnknown.
CpuVendor LookupVendor(const QString& vendorId);

// The word a vendor's name starts from: "Intel", "AMD", "Cyrix", "Winchip",
// "Rise", and "Unknown" for an unknown vendor.
QString VendorWord(CpuVendor vendor);

// An Intel leaf-2 level-1 descriptor: which cache it describes and how.
struct Level1Descriptor {
  bool instruction;  // else data
  CacheInfo cache;
};
std::optional<Level1Descriptor> LookupLevel1Descriptor(uint8_t descriptor);
std::optional<CacheInfo> LookupLevel2Descriptor(uint8_t descriptor);

struct CpuNaming {
  KnownCpu cpu;
  QString name;
  bool operator==(const CpuNaming&) const = default;
};

// The vendor's naming table. Family and model are the 4-bit fields of leaf 1.
// Where no row matches, the vendor word with cpuUnknown.
CpuNaming NameProcessor(CpuVendor vendor, int family, int model, bool l2CacheSupport, uint16_t l2CacheSize);

}  // namespace torvik
