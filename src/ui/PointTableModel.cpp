#include "ui/PointTableModel.h"

namespace torvik {

void PointTableModel::Add(const MeasuredPoint& point) {
  const int row = static_cast<int>(rows_.size());
  beginInsertRows({}, row, row);
  rows_.push_back(PointTableRowOf(point));
  endInsertRows();
}

void PointTableModel::Clear() {
  beginResetModel();
  rows_.clear();
  endResetModel();
}

int PointTableModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int PointTableModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : kColumns; }

QVariant PointTableModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= rowCount()) return {};
  const PointTableRow& row = rows_[static_cast<size_t>(index.row())];
  if (role == Qt::TextAlignmentRole) {
    return int(index.column() == kRate ? Qt::AlignRight | Qt::AlignVCenter : Qt::AlignLeft | Qt::AlignVCenter);
  }
  if (role != Qt::DisplayRole && role != Qt::ToolTipRole && role != Qt::AccessibleTextRole) return {};
  switch (index.column()) {
    case kTest: return row.test;
    case kRate: return row.rate;
    case kDetail: return row.detail;
    default: return {};
  }
}

QVariant PointTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (role != Qt::DisplayRole || orientation != Qt::Horizontal)
    return QAbstractTableModel::headerData(section, orientation, role);
  switch (section) {
    case kTest: return tr("テスト");
    case kRate: return tr("速度");
    case kDetail: return tr("詳細");
    default: return {};
  }
}

}  // namespace torvik
