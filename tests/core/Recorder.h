// Recording fakes of the window and the tests, for driving the run state and
// the group sequencers without a screen. Every call is logged as one line.
#pragma once

#include <QStringList>
#include <functional>
#include <map>

#include "core/run/BenchSteps.h"
#include "core/run/RunState.h"
#include "core/run/RunView.h"
#include "core/results/Timing.h"

namespace torvik::testing {

inline QString ButtonName(Button b) {
  static const char* names[] = {"BCPU", "B2D", "BMix", "BHDD", "BAll", "BRep", "BStop"};
  return QLatin1String(names[static_cast<int>(b)]);
}

class RecordingView : public RunView {
 public:
  void SetResultText(ResultLabel label, const QString& text) override {
    labels[label] = text;
    log << QStringLiteral("label %1 %2").arg(static_cast<int>(label)).arg(text);
  }
  void SetResultDetail(ResultLabel label, const QString& text) override { details[label] = text; }
  void SetStatusText(const QString& text) override { log << QStringLiteral("status ") + text; }
  void ShowProcessorLine() override { log << QStringLiteral("processor line"); }
  void SetGauge(int progress) override {
    gauge.append(progress);
    log << QStringLiteral("gauge %1").arg(progress);
  }
  void SetButtonEnabled(Button button, bool enabled) override {
    enabledButtons[button] = enabled;
    log << QStringLiteral("%1 %2").arg(enabled ? "enable" : "disable", ButtonName(button));
  }
  void FocusButton(Button button) override { log << QStringLiteral("focus ") + ButtonName(button); }
  void RepaintNow() override { log << QStringLiteral("repaint"); }
  void RepaintLabel(ResultLabel label) override {
    log << QStringLiteral("repaint label %1").arg(static_cast<int>(label));
  }
  void PumpMessages() override {
    log << QStringLiteral("pump");
    if (onPump) onPump();
  }
  bool CloseRequested() const override { return closeRequested; }
  void ShowMessage(const QString& text, MessageIcon icon) override {
    messages << QStringLiteral("%1: %2").arg(icon == MessageIcon::Error ? "error" : "info", text);
    log << QStringLiteral("message ") + text;
  }

  // The status texts in the order shown.
  QStringList Statuses() const {
    QStringList result;
    for (const QString& line : log) {
      if (line.startsWith(QStringLiteral("status "))) result << line.mid(7);
    }
    return result;
  }

  QStringList log;
  QStringList messages;
  QList<int> gauge;
  std::map<ResultLabel, QString> labels;
  std::map<ResultLabel, QString> details;
  std::map<Button, bool> enabledButtons;
  bool closeRequested = false;
  std::function<void()> onPump;
};

// Each test "takes" a fixed time: its slot's elapsed becomes (or, for the disk
// tests, grows by) the configured tenths. A hook may run before any step.
class RecordingTests : public BenchTests {
 public:
  RecordingTests(RunState& state, RecordingView& view) : state_(state), view_(view) {}

  void StartCalcWorker() override { Step("PrimeLoadWorker"); }
  void StartRootWorker() override { Step("ArctanLoadWorker"); }
  void PrimeTest() override { Timed("PrimeTest", Test::Calc); }
  void TrigTest() override { Timed("TrigTest", Test::Trig); }
  void SquareTest() override { Timed("SquareTest", Test::Square); }
  void CircleTest() override { Timed("CircleTest", Test::Circle); }
  void TriangleTest() override { Timed("TriangleTest", Test::Triangle); }
  void TextTest() override { Timed("TextTest", Test::Text); }
  void ScrollTest() override { Timed("ScrollTest", Test::Scroll); }
  void MemoryCopyTest() override { Timed("MemoryCopyTest", Test::Memory); }
  void MixModeTest() override { Timed("MixModeTest", Test::Mix); }
  void DiskWrite40() override { Accumulated("DiskWrite40", Test::Write1); }
  void DiskWrite50() override { Accumulated("DiskWrite50", Test::Write2); }
  void DiskWrite60() override { Accumulated("DiskWrite60", Test::Write3); }
  void DiskRead40() override { Accumulated("DiskRead40", Test::Read1); }
  void DiskRead50() override { Accumulated("DiskRead50", Test::Read2); }
  void DiskRead60() override { Accumulated("DiskRead60", Test::Read3); }
  void CheckTestDrive() override {
    Step("CheckTestDrive");
    if (driveUnusable) {
      state_.View().ShowMessage(QStringLiteral("drive refused"), MessageIcon::Error);
      state_.BStopClick();
    }
  }
  void PrepareMemoryBuffers() override { Step("PrepareMemoryBuffers"); }
  void PrepareDiskFiles() override { Step("PrepareDiskFiles"); }
  void ScratchWrite() override { Step("ScratchWrite"); }
  void CleanupTestData() override { Step("CleanupTestData"); }

  QStringList calls;
  std::map<QString, std::function<void()>> before;  // runs before the named step
  std::map<Test, int64_t> tenths;                   // time each test takes; default 1
  bool driveUnusable = false;

 private:
  void Step(const char* name) {
    const QString key = QLatin1String(name);
    calls << key;
    view_.log << QStringLiteral("call ") + key;
    auto hook = before.find(key);
    if (hook != before.end()) hook->second();
  }
  int64_t TenthsOf(Test test) const {
    auto it = tenths.find(test);
    return it == tenths.end() ? 1 : it->second;
  }
  void Timed(const char* name, Test test) {
    Step(name);
    state_.Results()[test].elapsed = TimeValue::FromTenths(TenthsOf(test));
    state_.ShowElapsed(test);
  }
  void Accumulated(const char* name, Test test) {
    Step(name);
    state_.Results()[test].elapsed += TimeValue::FromTenths(TenthsOf(test));
    state_.ShowElapsed(test);
  }

  RunState& state_;
  RecordingView& view_;
};

}  // namespace torvik::testing
