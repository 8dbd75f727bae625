// MainWindow: the TORVIK main window. A fixed layout of test names and result
// labels, the group buttons, the progress gauge, the status line and the
// menu; it owns the run state, the program's tests and the group sequencer,
// and is the RunView through which they show their progress.
//
// A group runs inside its button's click handler on the GUI thread; the
// window stays alive only where the run pumps messages. Closing the window
// during a run ends the run at its next pumping point, then the program.
// GUI thread only.
#pragma once

#include <QLabel>
#include <QMainWindow>
#include <QPlainTextEdit>
#include <QPushButton>
#include <map>
#include <memory>

#include "core/workloads/BenchWorkloads.h"
#include "core/run/GroupSequencer.h"
#include "core/machine/ProcessorInfo.h"
#include "core/machine/ProcessorTypeAndClock.h"
#include "core/history/ResultStore.h"
#include "core/run/RunState.h"
#include "core/run/RunView.h"
#include "core/settings/SettingsStore.h"
#include "core/machine/SystemInfo.h"
#include "ui/AboutDialog.h"
#include "ui/DesignScale.h"
#include "ui/Gauge.h"
#include "ui/GraphicsTests.h"
#include "ui/StageSurface.h"

namespace torvik {

class MainWindow : public QMainWindow, public RunView {
  Q_OBJECT

 public:
  // The Memo's capacity in characters.
  static constexpr int kMemoMaxLength = 64'512;

  // `processor` is the one the processor components identify and measure;
  // `settings` the store of the test path and names (null: the user's own);
  // `rules` what makes a test path usable (null: this machine's rules).
  explicit MainWindow(const platform::ProcessorProbe& processor = platform::HardwareProcessor(),
                      SettingsStore* settings = nullptr, TestPathRules* rules = nullptr, QWidget* parent = nullptr);
  ~MainWindow() override;

  RunState& State() { return state_; }
  TestFiles& Files() { return bench_.Files(); }
  const QString& UserName() const { return userName_; }
  const QString& PcName() const { return pcName_; }
  const ProcessorInfo& Processor() const { return *TCPU; }
  const SystemInfo& System() const { return *TSys; }
  // True from a group's start to its end, nested handlers included.
  bool Running() const { return runDepth_ > 0; }
  // The program must end (a termination signal): every modal window gives
  // way and the window closes as the user's close does, a running group
  // unwinding at its next pumping point with its test data deleted. The
  // program then exits with 128 + `signal`.
  void RequestTermination(int signal);
  // 0, or 128 + the signal that ended the program.
  int ExitStatus() const { return exitStatus_; }

  // RunView
  void SetResultText(ResultLabel label, const QString& text) override;
  void SetResultDetail(ResultLabel label, const QString& text) override;
  void SetStatusText(const QString& text) override;
  void ShowProcessorLine() override;
  void SetGauge(int progress) override;
  void SetButtonEnabled(Button button, bool enabled) override;
  void FocusButton(Button button) override;
  void RepaintNow() override;
  void RepaintLabel(ResultLabel label) override;
  void PumpMessages() override;
  bool CloseRequested() const override { return closeRequested_; }
  void ShowMessage(const QString& text, MessageIcon icon) override;

  // The drawing stage: the window as a full-screen, topmost surface.
  StageSurface& PaintBox() { return *Paint; }
  GraphicsTests& Graphics() { return *graphics_; }
  QPlainTextEdit& MemoBox() { return *Memo; }
  QWidget& ClientArea() { return *centralWidget(); }
  // Moves the window to 0,0 and makes it (frame included) cover the screen.
  void CoverScreen();
  // Gives the window back its saved height, then its width.
  void RestoreSize(QSize saved);
  // Centres the window, frame included, on its screen (never above or left of it).
  void Centre();
  // Hides (StageOn) or shows (StageOff) the separator bars, buttons and
  // top-level menu items, and sets or clears the stay-on-top flag.
  void StageOn();
  void StageOff();
  bool StaysOnTop() const { return windowFlags().testFlag(Qt::WindowStaysOnTopHint); }

  // Handlers.
  void BCPUClick();
  void B2DClick();
  void BMixClick();
  void BHDDClick();
  void BAllClick();
  void BStopClick();
  // Appends the result block to the sheet beside the executable and opens it.
  void BRepClick();
  // The sheet: the executable's path with its extension replaced by ".txt"
  // when it can be written there, else that name in the per-user data folder.
  static QString SheetPath();
  void MExitClick();
  // Shows the settings dialog, then re-reads the test path, user name and PC name.
  void MSetClick();
  void MHelpClick();
  void MAboutClick();
  // Opens the comparison of the recorded runs.
  void MCompareClick();
  // The settings dialog, created after the main window.
  void SetSettingsDialog(QDialog* dialog) { settingsDialog_ = dialog; }
  // Where finished groups are recorded (null: the user's own store, opened
  // at the first record). `store` must outlive the window.
  void SetResultStore(ResultStore* store) { store_ = store; }
  ResultStore& Store();
  AboutDialog& About() { return aboutDialog_; }

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void BuildLabels(QWidget* client);
  void BuildControls(QWidget* client);
  void BuildMenu();
  void SetStaysOnTop(bool on);
  void FormCreate();
  void RunGroup(void (GroupSequencer::*group)(), const char* name);
  // Keeps the group that just finished in the results store; a store that
  // fails is reported once per program start and never stops a run.
  void RecordRun(const QString& group, const QDateTime& started);
  QPushButton* ButtonOf(Button button) const;

  const DesignScale scale_;
  std::unique_ptr<SettingsStore> ownSettings_;
  SettingsStore& settings_;
  std::unique_ptr<TestPathRules> ownRules_;
  TestPathRules& rules_;
  RunState state_;
  Benchmark bench_;
  GroupSequencer sequencer_;

  std::map<ResultLabel, QLabel*> resultLabels_;
  std::map<Button, QPushButton*> buttons_;
  Gauge* gauge_ = nullptr;
  QLabel* LFill = nullptr;
  StageSurface* Paint = nullptr;
  QPlainTextEdit* Memo = nullptr;

  // The non-visual components, created after the controls in this order.
  std::unique_ptr<GraphicsTests> graphics_;
  QSize clientSize_;
  std::unique_ptr<ProcessorInfo> TCPU;
  std::unique_ptr<SystemInfo> TSys;
  AboutDialog aboutDialog_;
  QDialog* settingsDialog_ = nullptr;
  std::unique_ptr<torvik::ProcessorTypeAndClock> CPUID1;

  QString userName_;
  QString pcName_;
  std::unique_ptr<ResultStore> ownStore_;
  ResultStore* store_ = nullptr;
  bool storeFailureShown_ = false;
  double lastMhz_ = 0;  // the clock the processor line measured last
  int runDepth_ = 0;    // groups running, a handler re-entered from a pump counted too
  bool closeRequested_ = false;
  int exitStatus_ = 0;
};

}  // namespace torvik
