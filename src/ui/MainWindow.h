// MainWindow: the TORVIK main window. A fixed layout of test names and result
// labels, the group buttons, the progress gauge, the status line and the
// menu. It is the RunView through which the run session shows its runs and
// the stage the drawing tests draw on; its buttons hand their group to the
// session and the finished run to the results archive, and the Report button
// writes the session's record of the run on screen to the sheet. What the
// archive tells (a run not kept, runs not sent) is shown once no group runs:
// never a box in the middle of a measured test.
//
// A group runs inside its button's click handler on the GUI thread; the
// window stays alive only where the run pumps messages. Closing the window
// during a run ends the run at its next pumping point, then the program.
// GUI thread only.
#pragma once

#include <QDialog>
#include <QLabel>
#include <QPushButton>
#include <QStringList>
#include <map>

#include "core/archive/BackgroundArchive.h"
#include "core/machine/MachineComponents.h"
#include "core/run/RunView.h"
#include "core/session/BenchSession.h"
#include "ui/AboutDialog.h"
#include "ui/Gauge.h"
#include "ui/MessagePump.h"
#include "ui/StageWindow.h"
#include "ui/StatusLine.h"

namespace torvik {

class MainWindow : public StageWindow, public RunView {
  Q_OBJECT

 public:
  // `machine` (the processor line, the about box) must outlive the window.
  explicit MainWindow(MachineComponents& machine, QWidget* parent = nullptr);
  ~MainWindow() override;

  // The session whose runs the buttons start, and the archive that keeps
  // them; both must outlive the window. Attaching them completes the
  // window's creation (FormCreate).
  void SetSession(BenchSession& session, BackgroundArchive& archive);
  // The settings dialog, created after the main window.
  void SetSettingsDialog(QDialog* dialog) { settingsDialog_ = dialog; }

  // True from a group's start to its end, nested handlers included.
  bool Running() const { return session_ != nullptr && session_->Running(); }
  // The program must end (a termination signal): every modal window gives
  // way and the window closes as the user's close does, a running group
  // unwinding at its next pumping point with its test data deleted. The
  // program then exits with 128 + `signal`.
  void RequestTermination(int signal);
  // 0, or 128 + the signal that ended the program.
  int ExitStatus() const { return exitStatus_; }
  // Closes whatever modal window is open (a message box, the settings
  // dialog, the about box), so that what waits on it can go on.
  static void CloseModalWindows();

  // RunView
  void SetResultText(ResultLabel label, const QString& text) override;
  void SetResultDetail(ResultLabel label, const QString& text) override;
  void SetStatusText(const QString& text) override;
  QString ShownStatusText() const override { return LFill->text(); }
  void ShowProcessorLine() override;
  void SetGauge(int progress) override;
  void SetButtonEnabled(Button button, bool enabled) override;
  void FocusButton(Button button) override;
  void RepaintNow() override;
  void RepaintLabel(ResultLabel label) override;
  void PumpMessages() override;
  bool CloseRequested() const override { return closeRequested_; }
  void ShowMessage(const QString& text, MessageIcon icon) override;
  void ShowNotice(const QString& text) override { ShowMessage(text, MessageIcon::Error); }

  // Stage: besides keeping the window on top, hides (StageOn) or shows
  // (StageOff) the separator bars, buttons and top-level menu items.
  void StageOn() override;
  void StageOff() override;

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
  AboutDialog& About() { return aboutDialog_; }

 protected:
  void changeEvent(QEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  void BuildLabels();
  void BuildControls();
  void BuildMenu();
  void FormCreate();
  void RunGroup(Group group);
  // Shows `text` now, or once the running group has ended.
  void TellWhenIdle(const QString& text);
  void ShowWaitingNotices();
  // Gives each result label whose text changed its spoken name.
  void AnnounceResults();
  QPushButton* ButtonOf(Button button) const;

  MachineComponents& machine_;
  BenchSession* session_ = nullptr;
  BackgroundArchive* archive_ = nullptr;
  QStringList waitingNotices_;
  std::map<ResultLabel, QLabel*> resultLabels_;
  std::map<Button, QPushButton*> buttons_;
  Gauge* gauge_ = nullptr;
  StatusLine* LFill = nullptr;
  AboutDialog aboutDialog_;
  MessagePump pump_;
  QDialog* settingsDialog_ = nullptr;
  bool closeRequested_ = false;
  bool focusRingShown_ = false;  // once, at the first activation
  bool drawingNoteShown_ = false;
  int exitStatus_ = 0;
};

}  // namespace torvik
