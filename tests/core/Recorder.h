// Recording fakes of the window and the tests, for driving the run state and
// the group sequencers without a screen. Every call is logged as one line.
#pragma once

#include <QStringList>
#include <functional>
#include <map>

#include "core/results/Timing.h"
#include "core/run/BenchSteps.h"
#include "core/run/RunState.h"
#include "core/run/RunView.h"

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
  QString ShownStatusText() const override {
    const QStringList shown = Statuses();
    return shown.isEmpty() ? QString() : shown.last();
  }
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
  void ShowNotice(const QString& text) override {
    messages << QStringLiteral("notice: ") + text;
    log << QStringLiteral("notice ") + text;
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
class RecordingTests : public BenchSteps {
 public:
  RecordingTests(RunState& state, RecordingView& view) : state_(state), view_(view) {}

  void StartCalcWorker() override { Step("PrimeLoadWorker"); }
  void StartRootWorker() override { Step("ArctanLoadWorker"); }
  // Logged by the step's name: "PrimeTest", "DiskWrite40", ...
  void RunTest(Test test) override {
    Step(EntryOf(test).operation);
    TimeValue& elapsed = state_.Results()[test].elapsed;
    const TimeValue taken = TimeValue::FromTenths(TenthsOf(test));
    elapsed = EntryOf(test).accumulated ? elapsed + taken : taken;
    state_.ShowElapsed(test);
  }
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
  QStringList CleanupTestData() override {
    Step("CleanupTestData");
    return undeletable;
  }

  QStringList calls;
  std::map<QString, std::function<void()>> before;  // runs before the named step
  std::map<Test, int64_t> tenths;                   // time each test takes; default 1
  bool driveUnusable = false;
  QStringList undeletable;  // what CleanupTestData reports it could not delete

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

  RunState& state_;
  RecordingView& view_;
};

}  // namespace torvik::testing
