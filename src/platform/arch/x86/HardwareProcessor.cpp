// x86 and x86-64: the real instructions.
#include <cpuid.h>
#include <x86intrin.h>

#include "platform/ProcessorProbe.h"

namespace torvik::platform {
namespace {

// Inverts the EFLAGS bits of `mask`, reads EFLAGS back and restores it;
// returns the bits that changed. The stack pointer first skips the x86-64
// red zone, where the compiler may keep locals of this leaf function.
uint32_t InvertFlagsAndRead(uint32_t mask) {
#if defined(__x86_64__)
  uint64_t before = 0, after = 0;
  asm volatile(
      "sub $128, %%rsp\n\t"
      "pushfq\n\t"
      "popq %0\n\t"
      "movq %0, %1\n\t"
      "xorq %2, %1\n\t"
      "pushq %1\n\t"
      "popfq\n\t"
      "pushfq\n\t"
      "popq %1\n\t"
      "pushq %0\n\t"
      "popfq\n\t"
      "add $128, %%rsp"
      : "=&r"(before), "=&r"(after)
      : "r"(uint64_t{mask})
      : "cc");
  return static_cast<uint32_t>((before ^ after) & mask);
#else
  uint32_t before = 0, after = 0;
  asm volatile(
      "pushfl\n\t"
      "popl %0\n\t"
      "movl %0, %1\n\t"
      "xorl %2, %1\n\t"
      "pushl %1\n\t"
      "popfl\n\t"
      "pushfl\n\t"
      "popl %1\n\t"
      "pushl %0\n\t"
      "popfl"
      : "=&r"(before), "=&r"(after)
      : "r"(mask)
      : "cc");
  return (before ^ after) & mask;
#endif
}

#if defined(__i386__)
// Writes the 16-bit FLAGS with bits 12-15 cleared (set = false) or set, reads
// them back and restores them; returns bits 12-15 as read back.
uint32_t FlagsHighBitsAfter(bool set) {
  uint32_t saved = 0, readBack = 0;
  asm volatile(
      "pushfl\n\t"
      "popl %0\n\t"
      "movl %0, %1\n\t"
      "andl $0x0FFF, %1\n\t"
      "testl %2, %2\n\t"
      "jz 1f\n\t"
      "orl $0xF000, %1\n\t"
      "1:\n\t"
      "pushl %1\n\t"
      "popfl\n\t"
      "pushfl\n\t"
      "popl %1\n\t"
      "pushl %0\n\t"
      "popfl"
      : "=&r"(saved), "=&r"(readBack)
      : "r"(static_cast<uint32_t>(set))
      : "cc");
  return readBack & 0xF000;
}

// Inverts the alignment-check bit with the stack pointer aligned down to a
// multiple of 4; returns every EFLAGS bit that changed.
uint32_t AlignmentFlagChange() {
  uint32_t before = 0, after = 0;
  asm volatile(
      "movl %%esp, %%edx\n\t"
      "andl $0xFFFFFFFC, %%esp\n\t"
      "pushfl\n\t"
      "popl %0\n\t"
      "movl %0, %1\n\t"
      "xorl $0x40000, %1\n\t"
      "pushl %1\n\t"
      "popfl\n\t"
      "pushfl\n\t"
      "popl %1\n\t"
      "pushl %0\n\t"
      "popfl\n\t"
      "movl %%edx, %%esp"
      : "=&r"(before), "=&r"(after)
      :
      : "edx", "cc");
  return before ^ after;
}
#endif

class X86Processor : public ProcessorProbe {
 public:
  bool HasCpuid() const override { return InvertFlagsAndRead(0x200000) != 0; }

  CpuidRegisters Cpuid(uint32_t leaf, uint32_t subleaf) const override {
    CpuidRegisters r;
    __cpuid_count(leaf, subleaf, r.eax, r.ebx, r.ecx, r.edx);
    return r;
  }

  uint64_t ReadTimeStampCounter() const override { return __rdtsc(); }

#if defined(__i386__)
  bool FlagsHighBitsStuckSet() const override { return FlagsHighBitsAfter(false) == 0xF000; }
  bool FlagsHighBitsStuckClear() const override { return FlagsHighBitsAfter(true) == 0; }
  bool AlignmentFlagFixed() const override { return AlignmentFlagChange() == 0; }
#else
  // Every x86-64 processor has CPUID; these tests belong to older ones.
  bool FlagsHighBitsStuckSet() const override { return false; }
  bool FlagsHighBitsStuckClear() const override { return false; }
  bool AlignmentFlagFixed() const override { return false; }
#endif
};

}  // namespace

const ProcessorProbe& HardwareProcessor() {
  static const X86Processor processor;
  return processor;
}

}  // namespace torvik::platform
