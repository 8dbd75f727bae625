#include "ui/RunListModel.h"

#include <algorithm>

#include "core/archive/ArchiveReads.h"
#include "core/base/TimeValue.h"
#include "core/records/RunDate.h"
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
  archive_.Ask<ArchiveResult<RunPage>>(
      this, [filter = filter_](RunArchive& archive) { return FirstPage(archive, filter, kPage); },
      [this, generation](const ArchiveResult<RunPage>& page) {
        if (generation != generation_) return;
        reading_ = false;
        beginResetModel();
        runs_ = page.Ok() ? page.Value().runs : std::vector<StoredRun>();
        total_ = page.Ok() ? page.Value().total : 0;
        endResetModel();
        emit listRead(page.Text());
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

void RunListModel::TickMachineOf(int row) {
  if (row < 0 || row >= rowCount()) return;
  archive_.Ask<Runs>(
      this, [chosen = RunAt(row)](RunArchive& archive) { return RunsOfMachine(archive, chosen); },
      [this](const Runs& machine) {
        if (!machine.Ok()) return emit readFailed(machine.Text());
        for (const StoredRun& run : machine.Value()) ticked_[run.id] = KeyOf(run);
        TickedRowsChanged();
      });
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
    case kDate: return run.origin == kOriginProgram ? run.started.left(19).replace(u'T', u' ') : StartedText(run);
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
  archive_.Ask<Runs>(
      this, [after, filter = filter_](RunArchive& archive) { return ListRuns(archive, filter, kPage, after); },
      [this, generation](const Runs& page) {
        if (generation != generation_) return;
        reading_ = false;
        if (!page.Ok() || page.Value().empty()) {
          total_ = static_cast<int>(runs_.size());  // nothing more to ask for until the list is read again
          if (!page.Ok()) emit readFailed(page.Text());
          return;
        }
        const int first = static_cast<int>(runs_.size());
        beginInsertRows({}, first, first + static_cast<int>(page.Value().size()) - 1);
        runs_.insert(runs_.end(), page.Value().begin(), page.Value().end());
        endInsertRows();
      });
}

}  // namespace torvik
