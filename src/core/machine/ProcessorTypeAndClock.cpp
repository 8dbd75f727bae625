#include "core/machine/ProcessorTypeAndClock.h"

#include <algorithm>
#include <cmath>

#include "core/machine/CpuidDecode.h"
#include "platform/Clock.h"
#include "platform/RecordedClock.h"

namespace torvik {
namespace {

const QString kAboutText = QStringLiteral(
    "TCPUID 1.02\n"
    "A non-visual component that identifies the processor through CPUID, "
    "describes it in one line and finds its clock.\n"
    "Written for TORVIK.\n\n");

}  // namespace

ProcessorTypeAndClock::ProcessorTypeAndClock(const platform::ProcessorProbe& probe, RecordedClock recordedClock)
    : probe_(probe), recordedClock_(std::move(recordedClock)) {
  hasCpuid_ = IdentifyProcessor();
  description_ = BuildDescription();
  if (hasCpuid_) {
    hasFpu_ = (leaf1_.edx & (1u << 0)) != 0;
    hasTimeStamp_ = (leaf1_.edx & (1u << 4)) != 0;
    hasApic_ = (leaf1_.edx & (1u << 9)) != 0;
    if (hasTimeStamp_) {
      RefreshTimeStamp();
      if (cyclesPerSecond_ == 0) GetCPUSpeed();
    }
  }
  if (cyclesPerSecond_ == 0) cyclesPerSecond_ = ReadRegistrySpeed();
  // The last fallback counts time-stamp cycles; without a counter there is
  // nothing to count and the speed stays 0.
  if (cyclesPerSecond_ == 0 && hasTimeStamp_) cyclesPerSecond_ = CountCyclesPerSecond();
  if (measuredClock_ > 0) {
    processorSpeed_ = measuredClock_;
  } else if (cyclesPerSecond_ > 0) {
    processorSpeed_ = cyclesPerSecond_ / 1'000'000.0;
  }
}

ProcessorTypeAndClock::RecordedClock ProcessorTypeAndClock::DefaultRecordedClock() {
  return &platform::RecordedProcessorMhz;
}

bool ProcessorTypeAndClock::IdentifyProcessor() {
  if (!probe_.HasCpuid()) return false;
  leaf1_ = probe_.Cpuid(1);
  const ProcessorSignature signature = DecodeSignature(leaf1_.eax);
  processorType_ = signature.type;
  family_ = signature.family;
  model_ = signature.model;
  stepping_ = signature.stepping;
  vendor_ = VendorIdText(DecodeVendorId(probe_.Cpuid(0)));
  return true;
}

// The vendor is not consulted: the family and model rules apply to any vendor.
QString ProcessorTypeAndClock::BuildDescription() const {
  if (!hasCpuid_) {
    QString text = QStringLiteral("80486 Processor");
    if (probe_.FlagsHighBitsStuckSet()) text = QStringLiteral("8086/8088 Processor");
    if (probe_.FlagsHighBitsStuckClear()) text = QStringLiteral("80286 Processor");
    if (probe_.AlignmentFlagFixed()) text = QStringLiteral("80386 Processor");
    return text;
  }
  const QString overdrive = processorType_ == 1 ? QStringLiteral(" Overdrive") : QString();
  switch (family_) {
    case 4: {
      QString model;
      switch (model_) {
        case 0:
        case 1: model = QStringLiteral(" DX"); break;
        case 2: model = QStringLiteral(" SX"); break;
        case 3: model = QStringLiteral(" DX2"); break;
        case 4: model = QStringLiteral(" SL"); break;
        case 5: model = QStringLiteral(" SX2"); break;
        case 7: model = QStringLiteral(" DX2 WriteBack"); break;
        case 8: model = QStringLiteral(" DX4"); break;
      }
      return QStringLiteral("Intel 486") + overdrive + model;
    }
    case 5: {
      QString model;
      switch (model_) {
        case 1: model = QStringLiteral(" 60/66 Mhz"); break;
        case 2: model = QStringLiteral(" 75-200 Mhz"); break;
        case 3: model = QStringLiteral(" (486 - Pentuim)"); break;
        case 4: model = QStringLiteral(" MMX 166/200 Mhz"); break;
        case 6: model = QStringLiteral(" (75,90,100,120,133)"); break;
      }
      return QStringLiteral("Intel Pentium") + overdrive + model;
    }
    case 6: {
      QString text = QStringLiteral("Unknown Type");
      if (model_ == 1) text = QStringLiteral("Intel Pentium Pro");
      if (model_ == 3) text = QStringLiteral("Intel Pentium II");
      if (model_ == 5) text = QStringLiteral("Intel Pentium P6");
      return text + overdrive;
    }
  }
  return QStringLiteral("Unknown Type");
}

TimeStampValue ProcessorTypeAndClock::GetTimeStamp() const {
  if ((probe_.Cpuid(1).edx & (1u << 4)) == 0) return {};
  const uint64_t counter = probe_.ReadTimeStampCounter();
  return TimeStampValue{static_cast<int32_t>(counter >> 32), static_cast<uint32_t>(counter)};
}

void ProcessorTypeAndClock::RefreshTimeStamp() {
  if (!hasTimeStamp_) return;
  const uint64_t counter = static_cast<uint64_t>(GetTimeStamp().Value());
  for (int i = 0; i < 4; ++i) timeStampWords_[i] = static_cast<uint16_t>(counter >> (48 - 16 * i));
}

void ProcessorTypeAndClock::StartTimer() {
  timerStart_ = GetTimeStamp().Value();
  timerStop_ = 0;
  timerElapsed_ = 0;
}

void ProcessorTypeAndClock::StopTimer() {
  timerStop_ = GetTimeStamp().Value();
  timerElapsed_ = timerStop_ - timerStart_;
}

int64_t ProcessorTypeAndClock::GetTicksPerSecond(uint16_t iterations) {
  int64_t frequency = 0;
  if (!platform::PerformanceFrequency(frequency)) return 0;
  iterations = std::max<uint16_t>(iterations, 1);  // never divide by 0
  const int64_t target = int64_t{iterations} * frequency + platform::PerformanceCounter();
  StartTimer();
  while (platform::PerformanceCounter() < target) {
    // Busy wait: no sleep, no message processing.
  }
  StopTimer();
  const int64_t result = std::llround(static_cast<double>(timerElapsed_) / iterations);
  measuredClock_ = result / 1'000'000.0;
  return result;
}

int64_t ProcessorTypeAndClock::GetCPUSpeed() {
  if (cyclesPerSecond_ == 0) cyclesPerSecond_ = GetTicksPerSecond(1);
  return cyclesPerSecond_;
}

int64_t ProcessorTypeAndClock::ReadRegistrySpeed() {
  const int mhz = recordedClock_ ? recordedClock_() : 0;
  if (mhz <= 0) return 0;
  cyclesPerSecond_ = int64_t{mhz} * 1'000'000;
  return cyclesPerSecond_;
}

// From the first tick change to t0 + 1000 ms: a little under a second.
int64_t ProcessorTypeAndClock::CountCyclesPerSecond() const {
  const int32_t t0 = platform::TickCount();
  while (platform::TickCount() == t0) {
  }
  const uint64_t c0 = probe_.ReadTimeStampCounter();
  while (platform::TickCount() < t0 + 1000) {
  }
  const uint64_t c1 = probe_.ReadTimeStampCounter();
  return static_cast<int64_t>(c1 - c0);
}

void ProcessorTypeAndClock::ShowAbout(AboutPrompter& prompter) const {
  const QString text = (about_.isEmpty() ? kAboutText : about_ + QStringLiteral("\n\n")) +
                       QStringLiteral("=== Click YES to see TCPUID Public Methods ===");
  if (prompter.AskYesNo(QStringLiteral("About TCPUID.."), text)) ShowPublicMethods1(prompter);
}

void ProcessorTypeAndClock::ShowPublicMethods1(AboutPrompter& prompter) const {
  const QString text = QStringLiteral(
      "ShowAbout - shows the about box and these pages\n"
      "ShowPublicMethods1 - shows the first page of this list\n"
      "RefreshTimeStamp - reads the time-stamp counter into the four TimeStamp words\n"
      "GetTimeStamp - one reading of the 64-bit time-stamp counter\n\n"
      "=== Click YES for more Public Methods ===");
  if (prompter.AskYesNo(QStringLiteral("ShowPublicMethods(1)"), text)) ShowPublicMethods2(prompter);
}

void ProcessorTypeAndClock::ShowPublicMethods2(AboutPrompter& prompter) const {
  const QString text = QStringLiteral(
      "StartTimer - starts the time-stamp stopwatch\n"
      "StopTimer - stops it; the elapsed cycles are kept\n"
      "GetTicksPerSecond(n) - cycles per second over a busy wait of n seconds\n\n"
      "=== Click YES for more Public Methods ===");
  if (prompter.AskYesNo(QStringLiteral("ShowPublicMethods(2)"), text)) ShowPublicMethods3(prompter);
}

void ProcessorTypeAndClock::ShowPublicMethods3(AboutPrompter& prompter) const {
  prompter.Inform(QStringLiteral("ShowPublicMethods(3)"),
                  QStringLiteral("GetCPUSpeed - the cycles per second, measured once and then remembered\n"
                                 "Create - identifies the processor and finds its clock"));
}

}  // namespace torvik
