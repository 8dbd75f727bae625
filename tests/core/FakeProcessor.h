// A processor made of register values: synthetic leaves set by a test, or a
// register set captured from a real processor (tests/data/cpuid/*.txt, one
// "leaf subleaf eax ebx ecx edx" line each, hexadecimal). Its time-stamp
// counter runs at a chosen rate against the monotonic clock.
#pragma once

#include <QFile>
#include <QString>
#include <QTextStream>
#include <chrono>
#include <cstring>
#include <map>
#include <utility>

#include "platform/ProcessorProbe.h"

namespace torvik::testing {

class FakeProcessor : public platform::ProcessorProbe {
 public:
  using Registers = platform::CpuidRegisters;

  static FakeProcessor FromCapture(const QString& name) {
    FakeProcessor processor;
    QFile file(QStringLiteral(TORVIK_TEST_DATA "/cpuid/") + name + QStringLiteral(".txt"));
    if (!file.open(QIODevice::ReadOnly)) qFatal("missing register set %s", qPrintable(name));
    QTextStream in(&file);
    while (!in.atEnd()) {
      const QString line = in.readLine().trimmed();
      if (line.isEmpty() || line.startsWith(u'#')) continue;
      const QStringList f = line.split(u' ', Qt::SkipEmptyParts);
      if (f.size() != 6) qFatal("bad register line: %s", qPrintable(line));
      auto hex = [&](int i) { return f[i].toUInt(nullptr, 16); };
      processor.Set(hex(0), {hex(2), hex(3), hex(4), hex(5)}, hex(1));
    }
    return processor;
  }

  // A processor with CPUID: vendor id, leaf-1 EAX and EDX.
  static FakeProcessor WithLeaf1(const char* vendorId, uint32_t eax, uint32_t edx = 0) {
    FakeProcessor processor;
    processor.SetVendor(vendorId);
    processor.Set(1, {eax, 0, 0, edx});
    return processor;
  }

  void Set(uint32_t leaf, Registers registers, uint32_t subleaf = 0) { leaves_[{leaf, subleaf}] = registers; }

  void SetVendor(const char* id) {
    uint32_t words[3] = {0, 0, 0};
    for (int i = 0; i < 12 && id[i]; ++i) words[i / 4] |= uint32_t(uint8_t(id[i])) << (8 * (i % 4));
    Registers leaf0 = leaves_[{0, 0}];
    leaf0.ebx = words[0];
    leaf0.edx = words[1];
    leaf0.ecx = words[2];
    Set(0, leaf0);
  }

  // A brand string in leaves 0x80000002-4 (and 0x80000000 saying they exist).
  void SetBrand(const QByteArray& brand) {
    QByteArray bytes = brand.leftJustified(48, '\0', true);
    Set(0x80000000, {0x80000004, 0, 0, 0});
    for (int leaf = 0; leaf < 3; ++leaf) {
      uint32_t w[4];
      for (int i = 0; i < 4; ++i) std::memcpy(&w[i], bytes.constData() + leaf * 16 + i * 4, 4);
      Set(0x80000002 + leaf, {w[0], w[1], w[2], w[3]});
    }
  }

  bool hasCpuid = true;
  double cyclesPerNanosecond = 0;  // the counter's rate; 0 = it stands still
  bool stuckSet = false, stuckClear = false, alignmentFixed = false;
  mutable int cpuidCalls = 0;
  mutable int counterReads = 0;  // every measurement of the clock reads the counter

  bool HasCpuid() const override { return hasCpuid; }
  Registers Cpuid(uint32_t leaf, uint32_t subleaf) const override {
    ++cpuidCalls;
    auto it = leaves_.find({leaf, subleaf});
    return it == leaves_.end() ? Registers{} : it->second;
  }
  uint64_t ReadTimeStampCounter() const override {
    ++counterReads;
    const auto ns = std::chrono::steady_clock::now().time_since_epoch();
    return static_cast<uint64_t>(std::chrono::duration<double, std::nano>(ns).count() * cyclesPerNanosecond);
  }
  bool FlagsHighBitsStuckSet() const override { return stuckSet; }
  bool FlagsHighBitsStuckClear() const override { return stuckClear; }
  bool AlignmentFlagFixed() const override { return alignmentFixed; }

 private:
  std::map<std::pair<uint32_t, uint32_t>, Registers> leaves_;
};

}  // namespace torvik::testing
