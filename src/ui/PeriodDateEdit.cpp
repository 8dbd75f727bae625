#include "ui/PeriodDateEdit.h"

namespace torvik {

// QWidget's own move along the focus chain, not QDateTimeEdit's step to
// the next section.
bool PeriodDateEdit::focusNextPrevChild(bool next) { return QWidget::focusNextPrevChild(next); }

}  // namespace torvik
