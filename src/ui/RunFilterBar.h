// RunFilterBar: the row above the comparison window's list that chooses
// which runs it shows: a group, a machine (its PC name, or its host name),
// and the days from and to. What it chooses is a RunFilter the store
// applies; it says when the user changed it. GUI thread only.
#pragma once

#include <QComboBox>
#include <QDateEdit>
#include <QLineEdit>
#include <QWidget>

#include "core/records/RunFilter.h"

namespace torvik {

class RunFilterBar : public QWidget {
  Q_OBJECT

 public:
  explicit RunFilterBar(QWidget* parent = nullptr);

  // The group, machine and days chosen (the days in local time, from the
  // first second of the first to the last of the last).
  RunFilter Filter() const;

 signals:
  // A field was left or a group chosen: the filter may be another.
  void edited();

 private:
  QComboBox* group_ = nullptr;
  QLineEdit* machine_ = nullptr;
  QDateEdit* since_ = nullptr;
  QDateEdit* until_ = nullptr;
};

}  // namespace torvik
