// ComparisonWindow: the recorded runs side by side. A list of every run
// kept in the results store, newest first, with a tick box each; for the
// ticked runs one horizontal bar chart per test, one bar per run labelled
// with its value, in seconds or in rates (an imported sheet has tenths only:
// its seconds are those, its rates follow from them). It deletes the ticked
// runs after asking, exports them as CSV, and imports result sheets.
// Resizable; it opens at its last size, shrunk to fit the screen, and
// scrolls its charts inside. Opened from the 設定 menu; GUI thread only.
#pragma once

#include <QChartView>
#include <QCoreApplication>
#include <QDialog>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>
#include <QVBoxLayout>
#include <map>

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
  // The bars of a test's chart: run label and value, in the list's order.
  std::vector<std::pair<QString, double>> Bars(const QString& test) const;
  // The tests that have a chart now.
  QStringList ChartedTests() const;

  // The buttons' work, without their file dialogs (tests call them).
  QString ImportSheets(const QStringList& files);
  bool ExportCsv(const QString& path);
  void DeleteTicked();

 protected:
  void hideEvent(QHideEvent* event) override;

 private:
  void RebuildCharts();
  void ImportClicked();
  void ExportClicked();
  void DeleteClicked();

  ResultStore& store_;
  RunListModel* model_ = nullptr;
  QTableView* list_ = nullptr;
  QRadioButton* seconds_ = nullptr;
  QRadioButton* rates_ = nullptr;
  QPushButton* delete_ = nullptr;
  QPushButton* export_ = nullptr;
  QLabel* status_ = nullptr;
  QVBoxLayout* charts_ = nullptr;
  std::map<QString, std::vector<std::pair<QString, double>>> bars_;
};

}  // namespace torvik
