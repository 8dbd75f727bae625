// ComparisonWindow: the recorded runs side by side. A list of every run
// kept in the results store, newest first, with a tick box each (and a
// button that ticks every run of the selected one's PC name and processor);
// for the ticked runs, each with the repetitions of its command, one grouped
// bar chart per group of tests (ComparisonChart) in seconds or in rates
// against a baseline run (the first ticked, or the one chosen), and each
// run's overall figure against it. The charts export as PNG or SVG. It
// deletes the ticked runs after asking, exports them as CSV, and imports
// result sheets.
// Resizable; it opens at its last size, shrunk to fit the screen, and
// scrolls its charts inside. Opened from the 設定 menu; GUI thread only.
#pragma once

#include <QComboBox>
#include <QCoreApplication>
#include <QDialog>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>
#include <QVBoxLayout>
#include <map>

#include "core/history/ComparisonFigures.h"
#include "core/history/ResultStore.h"
#include "ui/RunListModel.h"

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
  // `store` must outlive the window.
  explicit ComparisonWindow(ResultStore& store, QWidget* parent = nullptr);

  RunListModel& Runs() { return *model_; }
  // Seconds (false) or rates (true) in the charts.
  void SetShowRates(bool rates);
  // A test's figures: run label and value (seconds, or the rate in the
  // test's unit), in the list's order.
  std::vector<std::pair<QString, double>> Bars(const QString& test) const;
  // The tests that have a chart now.
  QStringList ChartedTests() const;

  // The buttons' work, without their file dialogs (tests call them).
  QString ImportSheets(const QStringList& files);
  bool ExportCsv(const QString& path);
  void DeleteTicked();
  // The charts as PNG, or SVG for a path ending in .svg; empty, or why not.
  QString ExportCharts(const QString& path);

 signals:
  // The shared store's URL was changed in its dialog (empty: none); whoever
  // opened the window switches stores and opens it again on the new one.
  void sharedStoreChosen(const QString& url);

 protected:
  void hideEvent(QHideEvent* event) override;

 private:
  void RebuildCharts();
  void ImportClicked();
  void ExportClicked();
  void DeleteClicked();
  void PictureClicked();

  ResultStore& store_;
  RunListModel* model_ = nullptr;
  QTableView* list_ = nullptr;
  QRadioButton* seconds_ = nullptr;
  QRadioButton* rates_ = nullptr;
  QPushButton* delete_ = nullptr;
  QPushButton* export_ = nullptr;
  QPushButton* picture_ = nullptr;
  QComboBox* baseline_ = nullptr;
  QLabel* overall_ = nullptr;
  QWidget* chartArea_ = nullptr;
  std::vector<ComparedRun> compared_;
  QLabel* status_ = nullptr;
  QVBoxLayout* charts_ = nullptr;
  std::map<QString, std::vector<std::pair<QString, double>>> bars_;
};

}  // namespace torvik
