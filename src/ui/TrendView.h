// The comparison window's trend view: for the machines of the ticked runs
// (at most a chart's colours), each machine's runs of that group within the
// list's days, read on the archive's thread, worked out by PlanTrends and
// drawn by TrendChart, with what its marks mean above. GUI thread only.
#pragma once

#include <QLabel>
#include <QWidget>
#include <vector>

#include "core/archive/BackgroundArchive.h"
#include "core/records/RunFilter.h"
#include "core/records/StoredRun.h"

namespace torvik {

class TrendView : public QWidget {
  Q_OBJECT

 public:
  // `archive` must outlive the view.
  explicit TrendView(BackgroundArchive& archive, QWidget* parent = nullptr);

  // Reads and draws the trend of `ticked`'s machines (ResultStore::SeriesOf
  // of the ticked runs) within `filter`'s days; an answer to an earlier call
  // is dropped.
  void Show(const std::vector<std::vector<StoredRun>>& ticked, const RunFilter& filter);

 private:
  void Replace(QWidget* charts);

  BackgroundArchive& archive_;
  QLabel* message_ = nullptr;
  QWidget* charts_ = nullptr;
  int asked_ = 0;
};

}  // namespace torvik
