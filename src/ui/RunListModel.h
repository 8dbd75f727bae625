// RunListModel: the recorded runs as a table, newest first (date, group,
// PC name, processor, bench number, total, origin), each with a tick box.
// Rows are read from the store a page at a time as the view scrolls, so a
// store of ten thousand runs opens at once. GUI thread only.
#pragma once

#include <QAbstractTableModel>
#include <set>
#include <vector>

#include "core/history/ResultStore.h"

namespace torvik {

class RunListModel : public QAbstractTableModel {
  Q_OBJECT

 public:
  static constexpr int kPage = 200;

  // `store` must outlive the model.
  explicit RunListModel(ResultStore& store, QObject* parent = nullptr);

  // Reads the store again from its first page; the ticks stay.
  void Reload();
  const StoredRun& RunAt(int row) const { return runs_[static_cast<size_t>(row)]; }
  // The ticked runs' ids, in the list's order.
  std::vector<int64_t> Ticked() const;
  void SetTicked(int row, bool ticked);
  // Unticks every run, telling the view once.
  void ClearTicks();
  // Ticks every run of the PC name and processor (without its measured
  // clock) of the run at `row`, reading the whole list first.
  void TickMachineOf(int row);

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  bool setData(const QModelIndex& index, const QVariant& value, int role) override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
  bool canFetchMore(const QModelIndex& parent) const override;
  void fetchMore(const QModelIndex& parent) override;

 signals:
  void tickedChanged();

 private:
  ResultStore& store_;
  std::vector<StoredRun> runs_;
  int total_ = 0;
  std::set<int64_t> ticked_;
};

}  // namespace torvik
