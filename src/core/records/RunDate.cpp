#include "core/records/RunDate.h"

#include <QCoreApplication>

namespace torvik {

QString DateUnknownText() { return QCoreApplication::translate("RunDate", "日付不明"); }

QString StartedText(const StoredRun& run) { return run.Undated() ? DateUnknownText() : run.started; }

}  // namespace torvik
