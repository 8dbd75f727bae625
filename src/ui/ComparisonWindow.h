// ComparisonWindow: the kept runs side by side. A list of every run in the
// results store, newest first, with a tick box each (and a button that
// ticks every run of the selected one's PC name and processor); for the
// ticked runs, each with the repetitions of its command, one grouped bar
// chart per group of tests in seconds or in rates against a baseline run
// (the first ticked, or the one chosen), and each run's overall figure
// against it: worked out by PlanComparison, drawn by ComparisonChart. Beside
// the comparison, the trend of the ticked runs' machines (MachineTrend,
// TrendView) and the ranking of every machine's latest series
// (MachineRanking, RankingView); the list filtered by group, machine and
// days in the store. The
// charts export as PNG or SVG, the ticked runs as a report page (HTML). It
// deletes the ticked runs (each with its
// series) after asking, where the role may, exports them as CSV, and
// imports result sheets.
// Every read and write of the store runs on the archive's thread: the
// window says "読み込み中…" while one waits, stays usable (close, untick,
// scroll), and shows a failure as its message in the list's place.
// Resizable; it opens at its last size, shrunk to fit the screen, and
// scrolls its charts inside. Opened from the 設定 menu; GUI thread only.
#pragma once

#include <QComboBox>
#include <QCoreApplication>
#include <QDialog>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QStackedWidget>
#include <QTabWidget>
#include <QTableView>
#include <QVBoxLayout>
#include <functional>

#include "core/analysis/ComparisonPlan.h"
#include "core/archive/ArchiveWrites.h"
#include "core/archive/BackgroundArchive.h"
#include "ui/RankingView.h"
#include "ui/ReadingTexts.h"
#include "ui/RunFilterBar.h"
#include "ui/RunListModel.h"
#include "ui/TrendView.h"

namespace torvik {

namespace texts {
inline QString ComparisonCaption() {
  return QCoreApplication::translate("torvik::ComparisonWindow", "TORVIK - 計測結果の比較");
}
inline QString ImportSheets() {
  return QCoreApplication::translate("torvik::ComparisonWindow", "シートを読み込む(&I)...");
}
}  // namespace texts

class ComparisonWindow : public QDialog {
  Q_OBJECT

 public:
  // `archive` must outlive the window.
  explicit ComparisonWindow(BackgroundArchive& archive, QWidget* parent = nullptr);

  RunListModel& Runs() { return *model_; }
  // Seconds (false) or rates (true) in the charts.
  void SetShowRates(bool rates);

  // The buttons' work, without their dialogs (tests call them); each ends
  // with workEnded.
  void ImportSheets(const QStringList& files);
  void ExportCsv(const QString& path);
  // The report page of the ticked runs (each with its series), against the
  // baseline chosen, written whole to `path`.
  void ExportPage(const QString& path);
  // Deletes the ticked runs with every repetition of their series, where
  // this role may delete (a shared store's members may not).
  void DeleteTicked();
  // The charts as PNG, or SVG for a path ending in .svg; empty, or why not.
  QString ExportCharts(const QString& path);

 signals:
  // The shared store's URL was changed in its dialog (empty: none); whoever
  // opened the window switches stores and opens it again on the new one.
  void sharedStoreChosen(const QString& url);
  // The charts of the ticked runs have been drawn anew.
  void chartsDrawn();
  // A button's work has ended; what the window says of it.
  void workEnded(const QString& message);

 protected:
  void hideEvent(QHideEvent* event) override;

 private:
  // Asks for the ticked runs' series, then draws them.
  void ReadTicked();
  // Works out the plan of the series read last and draws it.
  void Draw();
  // The list's filter from its fields (group, PC, days), read anew.
  void ApplyFilter();
  // The trend or the ranking, read anew when its tab is shown (or the
  // ticks or the filter change while it is).
  void ShowView();
  void ShowListState(const QString& error);
  void EndWork(const QString& message);
  // Deletes the ticked runs with their series once this role is found to
  // be allowed, after `confirm`ing with the user (which store, whose runs,
  // how many).
  void Delete(bool confirm);
  // The question that names the store, the machines and the count.
  QString DeletionQuestion(const DeletionPlan& deletion, size_t ticked) const;
  // Imports `files`, then gives `then` the counts.
  void Import(const QStringList& files, const std::function<void(const QString&)>& then);
  void ImportClicked();
  void ExportClicked();
  void PageClicked();
  void DeleteClicked();
  void PictureClicked();

  BackgroundArchive& archive_;
  RunListModel* model_ = nullptr;
  QStackedWidget* listPlace_ = nullptr;
  QTableView* list_ = nullptr;
  QLabel* listMessage_ = nullptr;
  QRadioButton* seconds_ = nullptr;
  QRadioButton* rates_ = nullptr;
  QPushButton* import_ = nullptr;
  QPushButton* delete_ = nullptr;
  QPushButton* export_ = nullptr;
  QPushButton* page_ = nullptr;
  QPushButton* picture_ = nullptr;
  QComboBox* baseline_ = nullptr;
  QLabel* overall_ = nullptr;
  QWidget* chartArea_ = nullptr;
  QScrollArea* chartScroll_ = nullptr;  // one Tab stop; its description reads the charts
  QLabel* status_ = nullptr;
  QVBoxLayout* charts_ = nullptr;
  QTabWidget* views_ = nullptr;
  RunFilterBar* filter_ = nullptr;
  TrendView* trend_ = nullptr;
  RankingView* ranking_ = nullptr;
  std::vector<std::vector<StoredRun>> series_;  // of the ticked runs, read last
  int seriesAsked_ = 0;                         // a tick changed since: the answer is stale
  bool listReadable_ = false;
};

}  // namespace torvik
