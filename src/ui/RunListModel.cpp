#include "ui/RunListModel.h"

#include "core/base/TimeValue.h"
#include "core/results/Timing.h"

namespace torvik {
namespace {

enum Column { kDate, kGroup, kPcName, kProcessor, kBenchNo, kTotal, kOrigin, kColumns };

}  // namespace

RunListModel::RunListModel(ResultStore& store, QObject* parent) : QAbstractTableModel(parent), store_(store) {
  Reload();
}

void RunListModel::Reload() {
  beginResetModel();
  total_ = store_.RunCount();
  runs_ = store_.Runs(0, kPage);
  endResetModel();
  emit tickedChanged();
}

std::vector<int64_t> RunListModel::Ticked() const {
  std::vector<int64_t> ids;
  for (const StoredRun& run : runs_) {
    if (ticked_.contains(run.id)) ids.push_back(run.id);
  }
  return ids;
}

void RunListModel::SetTicked(int row, bool ticked) {
  setData(index(row, kDate), ticked ? Qt::Checked : Qt::Unchecked, Qt::CheckStateRole);
}

void RunListModel::ClearTicks() {
  ticked_.clear();
  if (!runs_.empty()) emit dataChanged(index(0, kDate), index(rowCount() - 1, kDate), {Qt::CheckStateRole});
  emit tickedChanged();
}

void RunListModel::TickMachineOf(int row) {
  if (row < 0 || row >= rowCount()) return;
  const QString pc = runs_[static_cast<size_t>(row)].pcName;
  const QString processor = runs_[static_cast<size_t>(row)].values.processorName;
  while (canFetchMore({})) fetchMore({});
  for (const StoredRun& run : runs_) {
    if (run.pcName == pc && run.values.processorName == processor) ticked_.insert(run.id);
  }
  if (!runs_.empty()) emit dataChanged(index(0, kDate), index(rowCount() - 1, kDate), {Qt::CheckStateRole});
  emit tickedChanged();
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
    case kPcName: return run.pcName;
    case kProcessor: return run.processor;
    case kBenchNo: return run.benchNo ? QString::number(*run.benchNo) : QStringLiteral("Bench Stop");
    case kTotal: return FormatSeconds(TimeValue::FromTenths(run.totalTenths)).trimmed();
    case kOrigin: return run.origin == kOriginProgram ? tr("計測") : tr("シート");
  }
  return {};
}

bool RunListModel::setData(const QModelIndex& index, const QVariant& value, int role) {
  if (!index.isValid() || role != Qt::CheckStateRole || index.column() != kDate) return false;
  const int64_t id = RunAt(index.row()).id;
  if (value.toInt() == Qt::Checked) {
    ticked_.insert(id);
  } else {
    ticked_.erase(id);
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
  return !parent.isValid() && static_cast<int>(runs_.size()) < total_;
}

void RunListModel::fetchMore(const QModelIndex& parent) {
  if (parent.isValid()) return;
  std::vector<StoredRun> more = store_.Runs(static_cast<int>(runs_.size()), kPage);
  if (more.empty()) {
    total_ = static_cast<int>(runs_.size());
    return;
  }
  const int first = static_cast<int>(runs_.size());
  beginInsertRows({}, first, first + static_cast<int>(more.size()) - 1);
  for (StoredRun& run : more) runs_.push_back(std::move(run));
  endInsertRows();
}

}  // namespace torvik
