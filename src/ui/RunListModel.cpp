#include "ui/RunListModel.h"

#include <algorithm>
#include <limits>

#include "core/base/TimeValue.h"
#include "core/results/Timing.h"

namespace torvik {
namespace {

enum Column { kDate, kGroup, kPcName, kProcessor, kBenchNo, kTotal, kOrigin, kColumns };

RunKey KeyOf(const StoredRun& run) { return {run.sortTime, run.id}; }

}  // namespace

RunListModel::RunListModel(BackgroundArchive& archive, QObject* parent)
    : QAbstractTableModel(parent), archive_(archive) {
  Reload();
}

void RunListModel::SetFilter(const RunFilter& filter) {
  filter_ = filter;
  Reload();
}

void RunListModel::Reload() {
  const int generation = ++generation_;
  reading_ = true;
  archive_.Ask<Page>(
      this,
      [filter = filter_](RunArchive& archive) {
        ResultStore& store = archive.Compared();
        Page page;
        page.total = store.RunCount(filter);
        if (store.Error().isEmpty()) page.runs = store.Runs(kPage, filter);
        page.error = store.Error();
        return page;
      },
      [this, generation](const Page& page) {
        if (generation != generation_) return;
        reading_ = false;
        beginResetModel();
        runs_ = page.error.isEmpty() ? page.runs : std::vector<StoredRun>();
        total_ = page.error.isEmpty() ? page.total : 0;
        endResetModel();
        emit listRead(page.error);
        emit tickedChanged();
      });
}

std::vector<int64_t> RunListModel::Ticked() const {
  std::vector<std::pair<RunKey, int64_t>> ordered;
  for (const auto& [id, key] : ticked_) ordered.emplace_back(key, id);
  std::sort(ordered.begin(), ordered.end(), [](const auto& a, const auto& b) {
    return std::tie(a.first.sortTime, a.first.id) > std::tie(b.first.sortTime, b.first.id);
  });
  std::vector<int64_t> ids;
  for (const auto& entry : ordered) ids.push_back(entry.second);
  return ids;
}

void RunListModel::SetTicked(int row, bool ticked) {
  setData(index(row, kDate), ticked ? Qt::Checked : Qt::Unchecked, Qt::CheckStateRole);
}

void RunListModel::TickedRowsChanged() {
  if (!runs_.empty()) emit dataChanged(index(0, kDate), index(rowCount() - 1, kDate), {Qt::CheckStateRole});
  emit tickedChanged();
}

void RunListModel::ClearTicks() {
  ticked_.clear();
  TickedRowsChanged();
}

void RunListModel::Ticks(const Page& machine) {
  if (!machine.error.isEmpty()) return emit readFailed(machine.error);
  for (const StoredRun& run : machine.runs) ticked_[run.id] = KeyOf(run);
  TickedRowsChanged();
}

void RunListModel::TickMachineOf(int row) {
  if (row < 0 || row >= rowCount()) return;
  const StoredRun& chosen = RunAt(row);
  // The machine by its stable id where the run has one, else by its PC name.
  RunFilter machine{.processorName = chosen.values.processorName, .machineId = chosen.machineId};
  if (chosen.machineId.isEmpty()) machine.pcName = chosen.pcName;
  archive_.Ask<Page>(
      this,
      [machine](RunArchive& archive) {
        ResultStore& store = archive.Compared();
        Page page;
        page.runs = store.Runs(std::numeric_limits<int>::max(), machine);
        page.error = store.Error();
        // The filter takes a name in any case (and an empty processor for
        // any): the machine is this one alone.
        std::erase_if(page.runs, [&machine](const StoredRun& run) {
          return (machine.pcName && run.pcName != *machine.pcName) ||
                 run.values.processorName != machine.processorName;
        });
        return page;
      },
      [this](const Page& page) { Ticks(page); });
}

int RunListModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(runs_.size());
}

int RunListModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : kColumns; }

QVariant RunListModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid()) return {};
  const StoredRun& run = RunAt(index.row());
  if (role == Qt::CheckStateRole && index.column() == kDate) {
    return ticked_.contains(run.id) ? Qt::Checked : Qt::Unchecked;
  }
  if (role == Qt::TextAlignmentRole && (index.column() == kBenchNo || index.column() == kTotal)) {
    return QVariant(Qt::AlignRight | Qt::AlignVCenter);
  }
  if (role != Qt::DisplayRole) return {};
  switch (index.column()) {
    case kDate: return run.origin == kOriginProgram ? run.started.left(19).replace(u'T', u' ') : run.started;
    case kGroup: return run.group;
    case kPcName: return run.MachineName();
    case kProcessor: return run.processor;
    case kBenchNo: return run.benchNo ? QString::number(*run.benchNo) : QStringLiteral("Bench Stop");
    case kTotal: return FormatSeconds(TimeValue::FromTenths(run.totalTenths)).trimmed();
    case kOrigin: return run.origin == kOriginProgram ? tr("計測") : tr("シート");
  }
  return {};
}

bool RunListModel::setData(const QModelIndex& index, const QVariant& value, int role) {
  if (!index.isValid() || role != Qt::CheckStateRole || index.column() != kDate) return false;
  const StoredRun& run = RunAt(index.row());
  if (value.toInt() == Qt::Checked) {
    ticked_[run.id] = KeyOf(run);
  } else {
    ticked_.erase(run.id);
  }
  emit dataChanged(index, index, {Qt::CheckStateRole});
  emit tickedChanged();
  return true;
}

Qt::ItemFlags RunListModel::flags(const QModelIndex& index) const {
  Qt::ItemFlags flags = QAbstractTableModel::flags(index);
  if (index.column() == kDate) flags |= Qt::ItemIsUserCheckable;
  return flags;
}

QVariant RunListModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
  static const char* const titles[kColumns] = {QT_TR_NOOP("日時"),       QT_TR_NOOP("グループ"), QT_TR_NOOP("PC名"),
                                               QT_TR_NOOP("プロセッサ"), QT_TR_NOOP("Bench No"), QT_TR_NOOP("合計"),
                                               QT_TR_NOOP("記録元")};
  return tr(titles[section]);
}

bool RunListModel::canFetchMore(const QModelIndex& parent) const {
  return !parent.isValid() && !reading_ && static_cast<int>(runs_.size()) < total_;
}

void RunListModel::fetchMore(const QModelIndex& parent) {
  if (!canFetchMore(parent) || runs_.empty()) return;
  const int generation = generation_;
  const RunKey after = KeyOf(runs_.back());
  reading_ = true;
  archive_.Ask<Page>(
      this,
      [after, filter = filter_](RunArchive& archive) {
        ResultStore& store = archive.Compared();
        Page page;
        page.runs = store.Runs(kPage, filter, after);
        page.error = store.Error();
        return page;
      },
      [this, generation](const Page& page) {
        if (generation != generation_) return;
        reading_ = false;
        if (!page.error.isEmpty() || page.runs.empty()) {
          total_ = static_cast<int>(runs_.size());  // nothing more to ask for until the list is read again
          if (!page.error.isEmpty()) emit readFailed(page.error);
          return;
        }
        const int first = static_cast<int>(runs_.size());
        beginInsertRows({}, first, first + static_cast<int>(page.runs.size()) - 1);
        runs_.insert(runs_.end(), page.runs.begin(), page.runs.end());
        endInsertRows();
      });
}

}  // namespace torvik
