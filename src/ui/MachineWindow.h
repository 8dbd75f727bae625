// MachineWindow: the window that measures today's machine ("現行マシン計測"),
// opened from the main window's 設定 menu beside the classic window. Its
// buttons run the cores group, the ram group, both in turn (cores, then
// ram) and the drive group through the program's one run session; Stop
// ends a run after the point under way, the points done kept. While it
// runs a group it is the view of the run (through the ViewRouter): the
// gauge and status line follow the group, each point is added to the table
// and drawn in the charts as it comes, and after a group its facts are
// shown (the processors it could use and why fewer, the levels of the
// latency curve beside the reported caches, the drive). Every finished or
// stopped run goes to the results archive, as the main window's do. A
// group the settings do not let run is refused in a box before anything
// runs. While the main window runs, its buttons wait (SetLockedByOtherWindow),
// and it says when it runs (runningChanged) so the main window's wait.
// Closing it during a run stops the run at its next point; Esc closes it
// when idle. GUI thread only.
#pragma once

#include <QDialog>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableView>
#include <map>
#include <vector>

#include "core/archive/BackgroundArchive.h"
#include "core/run/RunView.h"
#include "core/run/ViewRouter.h"
#include "core/session/BenchSession.h"
#include "ui/Gauge.h"
#include "ui/MachineCharts.h"
#include "ui/PointTableModel.h"
#include "ui/StatusLine.h"

namespace torvik {

class MachineWindow : public QDialog, public RunView {
  Q_OBJECT

 public:
  // What a button runs.
  enum class Choice { Cores, Ram, CoresThenRam, Drive };

  // `session`, `archive` and `router` (the run state's view) must outlive the window.
  MachineWindow(BenchSession& session, BackgroundArchive& archive, ViewRouter& router, QWidget* parent = nullptr);

  // What the buttons do: runs the groups of `choice` in turn, each kept in
  // the archive; a refusal of any of them is shown before any runs, and a
  // stopped or failed group ends the turn. Returns when they have run.
  void RunChoice(Choice choice);
  // The Stop button.
  void BStopClick() { session_.Stop(); }
  // True from the start of a choice's run to its end.
  bool Running() const { return running_; }
  // The main window runs a group (true) or has ended it (false): the
  // group buttons wait meanwhile.
  void SetLockedByOtherWindow(bool locked);
  // The points shown since the last run began, in order.
  const std::vector<MeasuredPoint>& Points() const { return points_; }
  PointTableModel& Table() { return *model_; }

  // RunView, while it runs a group: the classic labels and buttons are the
  // main window's (left alone); Stop is this window's.
  void SetResultText(ResultLabel, const QString&) override {}
  void SetResultDetail(ResultLabel, const QString&) override {}
  void SetStatusText(const QString& text) override { status_->SetText(text); }
  QString ShownStatusText() const override { return status_->text(); }
  void ShowProcessorLine() override {}
  void SetGauge(int progress) override { gauge_->SetProgress(progress); }
  void SetButtonEnabled(Button button, bool enabled) override;
  void FocusButton(Button button) override;
  void RepaintNow() override { repaint(); }
  void RepaintLabel(ResultLabel) override {}
  void PumpMessages() override;
  // A close of this window stops its run instead (the main window's close unwinds it).
  bool CloseRequested() const override { return false; }
  void ShowMessage(const QString& text, MessageIcon icon) override;
  void ShowNotice(const QString& text) override { ShowMessage(text, MessageIcon::Error); }
  void ShowPoint(const MeasuredPoint& point) override;

 signals:
  // A run of this window begins (true) or has ended (false).
  void runningChanged(bool running);
  // A point has been added to the table and charts.
  void pointShown();

 public slots:
  // Esc and the window's close: not while a run goes on.
  void reject() override;

 protected:
  void changeEvent(QEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  void BuildControls();
  void Retranslate();
  // Enables the group buttons when neither window runs.
  void UpdateButtons();
  // Adds a finished group's facts to the facts shown.
  void ShowFacts(Group group, const RunRecord& run);

  BenchSession& session_;
  BackgroundArchive& archive_;
  ViewRouter& router_;
  std::map<Choice, QPushButton*> buttons_;
  QPushButton* stop_ = nullptr;
  Gauge* gauge_ = nullptr;
  StatusLine* status_ = nullptr;
  MachineCharts* charts_ = nullptr;
  PointTableModel* model_ = nullptr;
  QTableView* table_ = nullptr;
  QLabel* factsTitle_ = nullptr;
  QPlainTextEdit* facts_ = nullptr;
  std::vector<MeasuredPoint> points_;
  std::vector<std::pair<Group, QJsonObject>> factsShown_;
  bool running_ = false;
  bool ranOnce_ = false;
  bool lockedByOther_ = false;
  bool closeAfterRun_ = false;
};

}  // namespace torvik
