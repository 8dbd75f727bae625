// PeriodDateEdit: a date field for one end of a period, as the comparison
// window's filter has two. Tab and Shift+Tab leave it for the next and the
// previous control at once, from any section and while it shows its "no
// bound" text (a plain QDateEdit keeps forward Tab among its sections, and
// keeps it for good while it shows that text). Inside it the keys work as
// in any date field: the arrows move between and change the year, month
// and day. GUI thread only.
#pragma once

#include <QDateEdit>

namespace torvik {

class PeriodDateEdit : public QDateEdit {
 public:
  explicit PeriodDateEdit(QWidget* parent = nullptr) : QDateEdit(parent) {}

 protected:
  bool focusNextPrevChild(bool next) override;
};

}  // namespace torvik
