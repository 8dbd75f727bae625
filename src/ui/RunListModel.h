// RunListModel: the kept runs as a table, newest first (date, group, PC
// name, processor, bench number, total, origin), each with a tick box. Rows
// are read a page at a time as the view scrolls, on the archive's thread:
// the list shows what has arrived and the window goes on meanwhile. Ticks
// are kept by run, so runs ticked by "same machine" need not be in the
// rows read so far. GUI thread only.
#pragma once

#include <QAbstractTableModel>
#include <map>
#include <vector>

#include "core/archive/BackgroundArchive.h"
#include "core/records/RunFilter.h"
#include "core/records/StoredRun.h"

namespace torvik {

class RunListModel : public QAbstractTableModel {
  Q_OBJECT

 public:
  static constexpr int kPage = 200;

  // `archive` must outlive the model. The first page is asked for at once.
  explicit RunListModel(BackgroundArchive& archive, QObject* parent = nullptr);

  // Reads the list again from its first page; the ticks stay.
  void Reload();
  // Lists only the runs of `filter` (read by the store), from the first page.
  void SetFilter(const RunFilter& filter);
  const RunFilter& Filter() const { return filter_; }
  // Whether a read of the list is under way.
  bool Loading() const { return reading_; }
  const StoredRun& RunAt(int row) const { return runs_[static_cast<size_t>(row)]; }
  // The ticked runs' ids, in the list's order.
  std::vector<int64_t> Ticked() const;
  void SetTicked(int row, bool ticked);
  // Unticks every run, telling the view once.
  void ClearTicks();
  // Ticks every run of the PC name and processor (without its measured
  // clock) of the run at `row`, asked of the store.
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
  // A read of the list from its start has ended: `error` empty when the
  // rows arrived.
  void listRead(const QString& error);
  // A further page, or the runs of a machine to tick, could not be read.
  void readFailed(const QString& error);

 private:
  using Runs = ArchiveResult<std::vector<StoredRun>>;

  void TickedRowsChanged();

  BackgroundArchive& archive_;
  std::vector<StoredRun> runs_;
  int total_ = 0;
  bool reading_ = false;
  int generation_ = 0;                // a reload makes the answers to older reads stale
  std::map<int64_t, RunKey> ticked_;  // by id, with its place in the list
  RunFilter filter_;
};

}  // namespace torvik
