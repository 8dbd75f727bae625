// PointTableModel: the figures of today's machine as the window's table
// shows them, one row a point in the order measured, in the command line's
// columns (test, rate with its unit, detail: a latency's huge pages, a
// drive row's requests a second, percentiles and engine). GUI thread only.
#pragma once

#include <QAbstractTableModel>
#include <vector>

#include "core/report/PointTable.h"
#include "core/results/MeasuredPoint.h"

namespace torvik {

class PointTableModel : public QAbstractTableModel {
  Q_OBJECT

 public:
  enum Column { kTest, kRate, kDetail, kColumns };

  explicit PointTableModel(QObject* parent = nullptr) : QAbstractTableModel(parent) {}

  // A row for `point` at the end.
  void Add(const MeasuredPoint& point);
  // No rows.
  void Clear();
  // The header's words again (the language changed).
  void Retranslate() { emit headerDataChanged(Qt::Horizontal, 0, kColumns - 1); }

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

 private:
  std::vector<PointTableRow> rows_;
};

}  // namespace torvik
