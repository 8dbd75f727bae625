// MachineFacts: what a run says of the machine it ran on, as plain values:
// who it is (host name, stable machine id), the OS and display descriptions, the screen, the processor with its
// measured clock, caches and type, the memory and the test directory with
// its free space. The result sheet, the JSON document and the results store
// each format what they need from one such value. Plain values; any thread.
#pragma once

#include <QString>
#include <cstdint>

namespace torvik {

struct ProcessorSummary {
  QString vendor;  // "AuthenticAMD"
  QString name;    // "AMD EPYC"
  double clockMhz = 0;
  int family = 0, model = 0, stepping = 0;
  int32_t type = 0;  // the CPUID processor type: 0 OEM, 1 OverDrive, 2 dual
  bool l1Caches = false;
  int l1DataKb = 0, l1InstructionKb = 0;
  bool l2Cache = false;
  int l2Kb = 0, l2LineBytes = 0, l2Ways = 0;
};

struct TestDirectoryFacts {
  QString path;          // with its trailing "/"
  bool queried = false;  // false: the volume query failed, no space known
  double freeBytes = 0, totalBytes = 0;
};

struct MachineFacts {
  QString hostName;
  QString machineId;        // MachineIdentity's: never the system's own id
  QString os;               // "Linux 6.18 (Build 44: Debian GNU/Linux 12 (bookworm))"
  QString display;          // the display device description of the sheet: "?"
  QString displayAdapter;   // the adapter's own name ("?" when none is known)
  QString platform;         // Qt's platform: "xcb", "wayland", "offscreen"
  bool hasDisplay = false;  // false: a run without a screen (Qt's offscreen platform)
  int32_t screenWidth = 0, screenHeight = 0, screenDepth = 0;
  ProcessorSummary processor;
  int64_t freeMemory = 0, totalMemory = 0;  // physical, bytes
  TestDirectoryFacts testDirectory;
};

// Bytes in MB as the sheet and the store give memory: the truncated
// quotient plus one.
int64_t MemoryMegabytes(int64_t bytes);

// The screen after the display device, as the sheet and the store write
// it: "(1920x1200 24BitColor)"; kNoScreen for a run with no screen (no
// X or Wayland display: Qt's offscreen platform has a 0x0 one).
inline constexpr char kNoScreen[] = "(no display)";
QString ScreenText(const MachineFacts& m);

}  // namespace torvik
