// The comparison window's ranking view: the latest series of every machine
// of the list's filter in one group (the one chosen, else the list's, else
// the ticked or newest run's), against the baseline machine chosen, read
// and worked out on the archive's thread (ResultStore::LatestSeries,
// RankMachines) and drawn by RankingTable. GUI thread only.
#pragma once

#include <QComboBox>
#include <QLabel>
#include <QTableWidget>
#include <QWidget>

#include "core/archive/BackgroundArchive.h"
#include "core/records/RunFilter.h"
#include "core/records/StoredRun.h"

namespace torvik {

class RankingView : public QWidget {
  Q_OBJECT

 public:
  // `archive` must outlive the view.
  explicit RankingView(BackgroundArchive& archive, QWidget* parent = nullptr);

  // Reads and draws the ranking of `filter`'s machines; `group` is the group
  // shown until the user chooses one. An answer to an earlier call is dropped.
  void Show(const RunFilter& filter, const QString& group);

 private:
  void Read();

  BackgroundArchive& archive_;
  QComboBox* group_ = nullptr;
  QComboBox* baseline_ = nullptr;
  QTableWidget* table_ = nullptr;
  QLabel* message_ = nullptr;
  RunFilter filter_;
  bool groupChosen_ = false;  // by the user; until then, the one given
  int asked_ = 0;
};

}  // namespace torvik
