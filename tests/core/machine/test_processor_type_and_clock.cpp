// ProcessorTypeAndClock: identification, the description texts, the clock chain
// (measurement, recorded clock, cycle count), the time-stamp words and the
// about box chain.
#include <QtTest>

#include "FakeProcessor.h"
#include "core/machine/ProcessorTypeAndClock.h"

using namespace torvik;
using testing::FakeProcessor;

namespace {

constexpr uint32_t kFpu = 1u << 0, kTsc = 1u << 4, kApic = 1u << 9;

// Counts its calls and answers with a fixed clock.
struct RecordedClockFake {
  int mhz = 0;
  int calls = 0;
  ProcessorTypeAndClock::RecordedClock Reader() {
    return [this] {
      ++calls;
      return mhz;
    };
  }
};

struct ScriptedPrompter : AboutPrompter {
  QList<bool> answers;
  QStringList captions;
  QString lastText;
  bool AskYesNo(const QString& caption, const QString& text) override {
    captions << caption;
    lastText = text;
    return answers.isEmpty() ? false : answers.takeFirst();
  }
  void Inform(const QString& caption, const QString& text) override {
    captions << QStringLiteral("info:") + caption;
    lastText = text;
  }
};

}  // namespace

class CpuidComponentTest : public QObject {
  Q_OBJECT

 private slots:
  void description_data() {
    QTest::addColumn<uint>("eax");
    QTest::addColumn<QString>("description");
    auto row = [](const char* tag, uint eax, const char* text) {
      QTest::newRow(tag) << eax << QString::fromLatin1(text);
    };
    row("486 model 0", 0x400, "Intel 486 DX");
    row("486 model 1", 0x410, "Intel 486 DX");
    row("486 model 2", 0x420, "Intel 486 SX");
    row("486 model 3", 0x430, "Intel 486 DX2");
    row("486 model 4", 0x440, "Intel 486 SL");
    row("486 model 5", 0x450, "Intel 486 SX2");
    row("486 model 6", 0x460, "Intel 486");
    row("486 model 7", 0x470, "Intel 486 DX2 WriteBack");
    row("486 model 8", 0x480, "Intel 486 DX4");
    row("486 overdrive", 0x1430, "Intel 486 Overdrive DX2");
    row("Pentium model 0", 0x500, "Intel Pentium");
    row("Pentium model 1", 0x510, "Intel Pentium 60/66 Mhz");
    row("Pentium model 2", 0x520, "Intel Pentium 75-200 Mhz");
    row("Pentium overdrive model 2", 0x1520, "Intel Pentium Overdrive 75-200 Mhz");
    row("Pentium model 3", 0x530, "Intel Pentium (486 - Pentuim)");
    row("Pentium model 4", 0x543, "Intel Pentium MMX 166/200 Mhz");
    row("Pentium model 5", 0x550, "Intel Pentium");
    row("Pentium model 6", 0x560, "Intel Pentium (75,90,100,120,133)");
    row("P6 model 1", 0x611, "Intel Pentium Pro");
    row("P6 model 3", 0x633, "Intel Pentium II");
    row("P6 model 3 overdrive", 0x1633, "Intel Pentium II Overdrive");
    row("P6 model 5", 0x652, "Intel Pentium P6");
    row("P6 model 6", 0x660, "Unknown Type");
    row("P6 model 6 overdrive", 0x1660, "Unknown Type Overdrive");
    row("family 15", 0xF29, "Unknown Type");
    row("modern Intel, 4-bit model 14", 0x906EA, "Unknown Type");
    row("family 3", 0x300, "Unknown Type");
  }
  void description() {
    QFETCH(uint, eax);
    QFETCH(QString, description);
    RecordedClockFake clock;
    FakeProcessor componentProcessor = FakeProcessor::WithLeaf1("GenuineIntel", eax);
    ProcessorTypeAndClock component(componentProcessor, clock.Reader());
    QCOMPARE(component.ProcessorDescription(), description);
  }

  void vendorIsNotConsultedForTheDescription() {
    RecordedClockFake clock;
    FakeProcessor amdProcessor = FakeProcessor::WithLeaf1("AuthenticAMD", 0x560);
    ProcessorTypeAndClock amd(amdProcessor, clock.Reader());
    QCOMPARE(amd.ProcessorDescription(), QStringLiteral("Intel Pentium (75,90,100,120,133)"));
    QCOMPARE(amd.ProcessorVendor(), QStringLiteral("AuthenticAMD"));
  }

  void withoutCpuidTheFlagTestsDescribe() {
    struct Case {
      bool stuckSet, stuckClear, alignmentFixed;
      const char* text;
    };
    const Case cases[] = {
        {false, false, false, "80486 Processor"}, {true, false, false, "8086/8088 Processor"},
        {false, true, false, "80286 Processor"},  {false, false, true, "80386 Processor"},
        {true, false, true, "80386 Processor"},  // each success replaces the text, in order
    };
    for (const Case& c : cases) {
      FakeProcessor processor;
      processor.hasCpuid = false;
      processor.stuckSet = c.stuckSet;
      processor.stuckClear = c.stuckClear;
      processor.alignmentFixed = c.alignmentFixed;
      RecordedClockFake clock;
      ProcessorTypeAndClock component(processor, clock.Reader());
      QCOMPARE(component.ProcessorDescription(), QLatin1String(c.text));
      QVERIFY(!component.HasCPUID());
      QCOMPARE(component.ProcessorVendor(), QStringLiteral("Unknown Vendor"));
      QVERIFY(!component.HasFPU() && !component.HasTimeStamp() && !component.HasAPIC());
    }
  }

  void identificationFieldsAndFlags() {
    FakeProcessor processor = FakeProcessor::WithLeaf1("GenuineIntel", 0x2673, kFpu | kApic);
    processor.Set(1, {0x2673, 0x11, 0x22, kFpu | kApic});
    RecordedClockFake clock;
    ProcessorTypeAndClock component(processor, clock.Reader());
    QCOMPARE(component.ProcessorType(), 2);
    QCOMPARE(component.ProcessorFamily(), 6);
    QCOMPARE(component.ProcessorModel(), 7);
    QCOMPARE(component.ProcessorStepping(), 3);
    QCOMPARE(component.CPUID1(), 0x2673);
    QCOMPARE(component.CPUID2(), 0x11);
    QCOMPARE(component.CPUID3(), 0x22);
    QCOMPARE(component.CPUID4(), int32_t(kFpu | kApic));
    QVERIFY(component.HasFPU() && component.HasAPIC() && !component.HasTimeStamp());
    QCOMPARE(component.VCLVersion(), QStringLiteral("1.02"));
    QVERIFY(component.About().isEmpty());
  }

  void measuredClockWinsAndTheRecordedClockIsNotRead() {
    FakeProcessor processor = FakeProcessor::WithLeaf1("GenuineIntel", 0x683, kTsc);
    processor.cyclesPerNanosecond = 3.0;
    RecordedClockFake clock;
    clock.mhz = 1234;
    QElapsedTimer timer;
    timer.start();
    ProcessorTypeAndClock component(processor, clock.Reader());
    QVERIFY(timer.elapsed() >= 990);  // the one-second busy wait
    QCOMPARE(clock.calls, 0);
    // The fake counter runs at 3 GHz of real time: measured, not the
    // recorded 1234 MHz (within 10 %: a loaded machine may preempt the
    // measurement between its two readings).
    QVERIFY2(std::abs(component.ProcessorSpeed() - 3000) < 300, qPrintable(QString::number(component.ProcessorSpeed())));
    // Asked again, the cycles per second come back without a second wait:
    // no measurement, so the counter is not read.
    const int reads = processor.counterReads;
    const int64_t cycles = component.GetCPUSpeed();
    QCOMPARE(processor.counterReads, reads);
    QVERIFY(std::abs(cycles - 3'000'000'000LL) < 300'000'000LL);
  }

  void withoutCounterTheRecordedClockServes() {
    RecordedClockFake clock;
    clock.mhz = 2596;
    FakeProcessor componentProcessor = FakeProcessor::WithLeaf1("AuthenticAMD", 0xA10F11, kFpu);
    ProcessorTypeAndClock component(componentProcessor, clock.Reader());
    QCOMPARE(clock.calls, 1);
    QCOMPARE(component.ProcessorSpeed(), 2596.0);
    QCOMPARE(component.GetCPUSpeed(), 2'596'000'000LL);
  }

  void withNothingToMeasureTheSpeedStaysZero() {
    RecordedClockFake clock;
    FakeProcessor componentProcessor = FakeProcessor::WithLeaf1("GenuineIntel", 0x543, kFpu);
    ProcessorTypeAndClock component(componentProcessor, clock.Reader());
    QCOMPARE(component.ProcessorSpeed(), 0.0);
    QCOMPARE(componentProcessor.counterReads, 0);  // the cycle count is skipped without a counter
  }

  void recordedClockBeforeTheCycleCount() {
    // A counter, but the measurement found nothing (it stands still): the
    // recorded clock is next, and the cycle count is not reached.
    FakeProcessor processor = FakeProcessor::WithLeaf1("GenuineIntel", 0x683, kTsc);
    RecordedClockFake clock;
    clock.mhz = 800;
    ProcessorTypeAndClock component(processor, clock.Reader());
    QCOMPARE(clock.calls, 1);
    QCOMPARE(component.ProcessorSpeed(), 800.0);
  }

  void ticksPerSecondWithoutCounterWaitsAndGivesZero() {
    RecordedClockFake clock;
    FakeProcessor componentProcessor = FakeProcessor::WithLeaf1("GenuineIntel", 0x543);
    ProcessorTypeAndClock component(componentProcessor, clock.Reader());
    QElapsedTimer timer;
    timer.start();
    QCOMPARE(component.GetTicksPerSecond(1), 0);
    QVERIFY(timer.elapsed() >= 990);
  }

  void timeStampWordsSplitTheCounter() {
    FakeProcessor processor = FakeProcessor::WithLeaf1("GenuineIntel", 0x543, kTsc);
    processor.cyclesPerNanosecond = 1.0;
    RecordedClockFake clock;
    ProcessorTypeAndClock component(processor, clock.Reader());
    const uint64_t words = (uint64_t{component.TimeStampHiHi()} << 48) | (uint64_t{component.TimeStampHiLo()} << 32) |
                           (uint64_t{component.TimeStampLoHi()} << 16) | component.TimeStampLoLo();
    const uint64_t now = processor.ReadTimeStampCounter();
    QVERIFY(words > 0 && words <= now);
    QVERIFY(now - words < 5'000'000'000ULL);  // taken at construction, a few seconds ago at most
    const TimeStampValue value = component.GetTimeStamp();
    QVERIFY(static_cast<uint64_t>(value.Value()) >= now);
  }

  void timeStampIsZeroWhenLeaf1HasNoCounter() {
    RecordedClockFake clock;
    FakeProcessor componentProcessor = FakeProcessor::WithLeaf1("GenuineIntel", 0x543);
    ProcessorTypeAndClock component(componentProcessor, clock.Reader());
    QCOMPARE(component.GetTimeStamp().Value(), 0);
    QCOMPARE(component.TimeStampLoLo(), 0);
  }

  void aboutChainFollowsTheAnswers() {
    RecordedClockFake clock;
    FakeProcessor componentProcessor = FakeProcessor::WithLeaf1("GenuineIntel", 0x543);
    ProcessorTypeAndClock component(componentProcessor, clock.Reader());
    ScriptedPrompter all;
    all.answers = {true, true, true};
    component.ShowAbout(all);
    QCOMPARE(all.captions, QStringList({"About TCPUID..", "ShowPublicMethods(1)", "ShowPublicMethods(2)",
                                        "info:ShowPublicMethods(3)"}));
    ScriptedPrompter stop;
    stop.answers = {true, false};
    component.ShowAbout(stop);
    QCOMPARE(stop.captions, QStringList({"About TCPUID..", "ShowPublicMethods(1)"}));
    QVERIFY(stop.lastText.endsWith(QStringLiteral("=== Click YES for more Public Methods ===")));
    ScriptedPrompter no;
    component.ShowAbout(no);
    QCOMPARE(no.captions.size(), 1);
    QVERIFY(no.lastText.endsWith(QStringLiteral("=== Click YES to see TCPUID Public Methods ===")));
    QVERIFY(no.lastText.contains(QStringLiteral("1.02")));
  }
};

QTEST_GUILESS_MAIN(CpuidComponentTest)
#include "test_processor_type_and_clock.moc"
