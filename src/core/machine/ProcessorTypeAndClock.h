// ProcessorTypeAndClock: the second processor component. In its constructor it identifies
// the processor through CPUID, composes a one-line description, takes a
// snapshot of the time-stamp counter and finds the clock through a chain of
// methods: a one-second measurement against the performance counter, the
// clock the operating system recorded, and a last count of cycles against
// the tick count. GUI thread only (construction busy-waits about a second).
#pragma once

#include <QString>
#include <functional>

#include "platform/ProcessorProbe.h"

namespace torvik {

// Shows the about box chain of the component: question boxes with Yes/No
// (true = Yes) and a closing information box.
class AboutPrompter {
 public:
  virtual ~AboutPrompter() = default;
  virtual bool AskYesNo(const QString& caption, const QString& text) = 0;
  virtual void Inform(const QString& caption, const QString& text) = 0;
};

// A 64-bit counter reading as its signed high and unsigned low halves.
struct TimeStampValue {
  int32_t high = 0;
  uint32_t low = 0;
  int64_t Value() const { return static_cast<int64_t>((uint64_t{static_cast<uint32_t>(high)} << 32) | low); }
};

class ProcessorTypeAndClock {
 public:
  // The clock in MHz that the operating system recorded (0 when none).
  using RecordedClock = std::function<int()>;

  // `probe` must outlive the component.
  explicit ProcessorTypeAndClock(const platform::ProcessorProbe& probe = platform::HardwareProcessor(),
                                 RecordedClock recordedClock = DefaultRecordedClock());

  static RecordedClock DefaultRecordedClock();

  QString About() const { return about_; }
  void SetAbout(const QString& text) { about_ = text; }
  QString VCLVersion() const { return QStringLiteral("1.02"); }
  bool HasCPUID() const { return hasCpuid_; }
  int32_t CPUID1() const { return static_cast<int32_t>(leaf1_.eax); }
  int32_t CPUID2() const { return static_cast<int32_t>(leaf1_.ebx); }
  int32_t CPUID3() const { return static_cast<int32_t>(leaf1_.ecx); }
  int32_t CPUID4() const { return static_cast<int32_t>(leaf1_.edx); }
  int32_t ProcessorType() const { return processorType_; }
  int32_t ProcessorFamily() const { return family_; }
  int32_t ProcessorModel() const { return model_; }
  int32_t ProcessorStepping() const { return stepping_; }
  QString ProcessorVendor() const { return vendor_; }
  double ProcessorSpeed() const { return processorSpeed_; }
  QString ProcessorDescription() const { return description_; }
  uint16_t TimeStampHiHi() const { return timeStampWords_[0]; }
  uint16_t TimeStampHiLo() const { return timeStampWords_[1]; }
  uint16_t TimeStampLoHi() const { return timeStampWords_[2]; }
  uint16_t TimeStampLoLo() const { return timeStampWords_[3]; }
  bool HasFPU() const { return hasFpu_; }
  bool HasTimeStamp() const { return hasTimeStamp_; }
  bool HasAPIC() const { return hasApic_; }

  // The about box, then up to three pages of the public methods.
  void ShowAbout(AboutPrompter& prompter) const;
  void ShowPublicMethods1(AboutPrompter& prompter) const;

  // Re-reads the four time-stamp words when there is a time-stamp counter.
  void RefreshTimeStamp();
  // Runs CPUID leaf 1 itself; one counter reading when it reports a
  // time-stamp counter, else 0.
  TimeStampValue GetTimeStamp() const;
  void StartTimer();
  void StopTimer();
  // Cycles per second over a busy wait of `iterations` seconds on the
  // performance counter; 0 when there is none.
  int64_t GetTicksPerSecond(uint16_t iterations);
  // The cycles per second, measured on the first call only.
  int64_t GetCPUSpeed();

 private:
  bool IdentifyProcessor();
  QString BuildDescription() const;
  int64_t ReadRegistrySpeed();
  int64_t CountCyclesPerSecond() const;
  void ShowPublicMethods2(AboutPrompter& prompter) const;
  void ShowPublicMethods3(AboutPrompter& prompter) const;

  const platform::ProcessorProbe& probe_;
  RecordedClock recordedClock_;
  QString about_;
  bool hasCpuid_ = false;
  platform::CpuidRegisters leaf1_;
  int32_t processorType_ = 0;
  int32_t family_ = 0;
  int32_t model_ = 0;
  int32_t stepping_ = 0;
  QString vendor_ = QStringLiteral("Unknown Vendor");
  int64_t cyclesPerSecond_ = 0;
  double processorSpeed_ = 0;
  double measuredClock_ = 0;
  QString description_ = QStringLiteral("Not Intel");
  uint16_t timeStampWords_[4] = {0, 0, 0, 0};
  bool hasFpu_ = false;
  bool hasTimeStamp_ = false;
  bool hasApic_ = false;
  int64_t timerStart_ = 0;
  int64_t timerStop_ = 0;
  int64_t timerElapsed_ = 0;
};

}  // namespace torvik
