// Decoding the two leaves both processor components read: the signature in
// leaf 1's EAX and the vendor id in leaf 0. Pure; any thread.
#pragma once

#include <QString>
#include <array>
#include <cstdint>

#include "platform/ProcessorProbe.h"

namespace torvik {

struct ProcessorSignature {
  int type = 0;      // EAX bits 12-13
  int family = 0;    // bits 8-11
  int model = 0;     // bits 4-7
  int stepping = 0;  // bits 0-3
};

// The extended family and model fields are not part of family and model.
inline ProcessorSignature DecodeSignature(uint32_t eax) {
  return ProcessorSignature{static_cast<int>((eax >> 12) & 0x3), static_cast<int>((eax >> 8) & 0xF),
                            static_cast<int>((eax >> 4) & 0xF), static_cast<int>(eax & 0xF)};
}

using VendorId = std::array<char, 12>;

// EBX, then EDX, then ECX of leaf 0, each low byte first ("GenuineIntel").
inline VendorId DecodeVendorId(const platform::CpuidRegisters& leaf0) {
  VendorId id{};
  int at = 0;
  for (uint32_t word : {leaf0.ebx, leaf0.edx, leaf0.ecx}) {
    for (int shift = 0; shift < 32; shift += 8) id[at++] = static_cast<char>((word >> shift) & 0xFF);
  }
  return id;
}

// The id up to its first NUL, at most 12 characters.
inline QString VendorIdText(const VendorId& id) {
  int length = 0;
  while (length < 12 && id[length] != '\0') ++length;
  return QString::fromLatin1(id.data(), length);
}

}  // namespace torvik
