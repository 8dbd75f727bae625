#include "core/machine/ProcessorTables.h"

namespace torvik {

CpuVendor LookupVendor(const QString& vendorId) {
  qsizetype end = vendorId.indexOf(QChar(0));
  if (end < 0) end = vendorId.size();
  const QString id = vendorId.left(std::min<qsizetype>(end, 12));
  struct Row {
    const char* id;
    CpuVendor vendor;
  };
  static const Row kRows[] = {
      {"GenuineIntel", CpuVendor::vdIntel}, {"AuthenticAMD", CpuVendor::vdAMD},  {"CentaurHauls", CpuVendor::vdIDT},
      {"CyrixInstead", CpuVendor::vdCyrix}, {"RiseRiseRise", CpuVendor::vdRise},
  };
  for (const Row& row : kRows) {
    // ASCII case folding only: the ids are ASCII.
    if (id.compare(QLatin1String(row.id), Qt::CaseInsensitive) == 0) return row.vendor;
  }
  return CpuVendor::vdUnknown;
}

QString VendorWord(CpuVendor vendor) {
  switch (vendor) {
    case CpuVendor::vdIntel: return QStringLiteral("Intel");
    case CpuVendor::vdAMD: return QStringLiteral("AMD");
    case CpuVendor::vdCyrix: return QStringLiteral("Cyrix");
    case CpuVendor::vdIDT: return QStringLiteral("Winchip");
    case CpuVendor::vdRise: return QStringLiteral("Rise");
    case CpuVendor::vdUnknown: break;
  }
  return QStringLiteral("Unknown");
}

std::optional<Level1Descriptor> LookupLevel1Descriptor(uint8_t descriptor) {
  switch (descriptor) {
    case 0x06: return Level1Descriptor{true, {4, 32, 0, 8}};
    case 0x08: return Level1Descriptor{true, {4, 32, 0, 16}};
    case 0x0A: return Level1Descriptor{false, {2, 32, 0, 8}};
    case 0x0C: return Level1Descriptor{false, {4, 32, 0, 16}};
  }
  return std::nullopt;
}

std::optional<CacheInfo> LookupLevel2Descriptor(uint8_t descriptor) {
  switch (descriptor) {
    case 0x41: return CacheInfo{4, 32, 0, 128};
    case 0x42: return CacheInfo{4, 32, 0, 256};
    case 0x43: return CacheInfo{4, 32, 0, 512};
    case 0x44: return CacheInfo{4, 32, 0, 1024};
    case 0x45: return CacheInfo{4, 32, 0, 2048};
    case 0x82: return CacheInfo{8, 32, 0, 256};
  }
  return std::nullopt;
}

namespace {

CpuNaming Named(KnownCpu cpu, const char* name) { return {cpu, QLatin1String(name)}; }

std::optional<CpuNaming> NameIntel(int family, int model, bool l2CacheSupport, uint16_t l2CacheSize) {
  using enum KnownCpu;
  if (family == 4) {
    switch (model) {
      case 0:
      case 1: return Named(cpu80486DX, "486DX");
      case 2: return Named(cpu80486SX, "486SX");
      case 3: return Named(cpu80486DX2, "486DX2");
      case 4: return Named(cpu80486SL, "486SL");
      case 5: return Named(cpu80486SX2, "486SX2");
      case 7: return Named(cpu80486DX2WB, "486DX2 WriteBack");
      case 8: return Named(cpui486DX4, "DX4");
      default: return Named(cpu80486, "80486");
    }
  }
  if (family == 5) {
    switch (model) {
      case 1: return Named(cpuP5, "Pentium");
      case 2:
      case 3: return Named(cpuP54C, "Pentium");
      default: return Named(cpuP55C, "MMX Pentium");
    }
  }
  if (family == 6) {
    switch (model) {
      case 1:
      case 2: return Named(cpuPentiumPro, "Pentium Pro");
      case 3:
      case 4: return Named(cpuPentium2, "Pentium II");
      case 5:
        if (!l2CacheSupport) return Named(cpuCeleron, "Celeron");
        if (l2CacheSize == 512) return Named(cpuPentium2orXeon, "Pentium II");
        return Named(cpuXeon, "Pentium II Xeon");
      case 6:
        // Looks at the size alone: 0 when no level-2 descriptor was found.
        if (l2CacheSize == 128) return Named(cpuCeleron, "Celeron");
        if (l2CacheSize == 256) return Named(cpuMobilePentium2, "Mobile Pentium II");
        return Named(cpuPentium2, "Pentium II");
      case 7:
        if (l2CacheSize <= 512) return Named(cpuPentium3orXeon, "Pentium III");
        return Named(cpuPentium3Xeon, "Pentium III Xeon");
      default: return Named(cpuPentium3, "Pentium III");
    }
  }
  return std::nullopt;
}

std::optional<CpuNaming> NameAmd(int family, int model) {
  using enum KnownCpu;
  if (family == 6) return Named(cpuK7, "Athlon");
  if (family != 5) return std::nullopt;
  if (model <= 3) return Named(cpuK5, "K5");
  if (model == 6 || model == 7) return Named(cpuK6, "K6");
  if (model == 8) return Named(cpuK62, "K6-2");
  if (model == 9) return Named(cpuK63, "K6-III");
  return std::nullopt;
}

std::optional<CpuNaming> NameCyrix(int family) {
  using enum KnownCpu;
  if (family == 4) return Named(cpuMediaGX, "MediaGX");
  if (family == 5) return Named(cpu6x86, "6x86");
  if (family == 6) return Named(cpuM2, "MII");
  return std::nullopt;
}

std::optional<CpuNaming> NameIdt(int family, int model) {
  if (family == 5 && model == 4) return Named(KnownCpu::cpuC6, "C6");
  if (family == 5 && model == 8) return Named(KnownCpu::cpuWinChip2, "WinChip 2");
  return std::nullopt;
}

std::optional<CpuNaming> NameRise(int family) {
  if (family == 5) return Named(KnownCpu::cpumP6, "mP6");
  return std::nullopt;
}

}  // namespace

CpuNaming NameProcessor(CpuVendor vendor, int family, int model, bool l2CacheSupport, uint16_t l2CacheSize) {
  std::optional<CpuNaming> match;
  switch (vendor) {
    case CpuVendor::vdIntel: match = NameIntel(family, model, l2CacheSupport, l2CacheSize); break;
    case CpuVendor::vdAMD: match = NameAmd(family, model); break;
    case CpuVendor::vdCyrix: match = NameCyrix(family); break;
    case CpuVendor::vdIDT: match = NameIdt(family, model); break;
    case CpuVendor::vdRise: match = NameRise(family); break;
    case CpuVendor::vdUnknown: break;
  }
  return match.value_or(CpuNaming{KnownCpu::cpuUnknown, VendorWord(vendor)});
}

}  // namespace torvik
