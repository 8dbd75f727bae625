// What a view says while the archive reads for it, and when it cannot.
#pragma once

#include <QCoreApplication>
#include <QString>

namespace torvik::texts {

inline QString Loading() { return QCoreApplication::translate("torvik::ComparisonWindow", "読み込み中…"); }
inline QString CannotRead() { return QCoreApplication::translate("torvik::ComparisonWindow", "計測結果を読めません: "); }

}  // namespace torvik::texts
