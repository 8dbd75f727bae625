// The date and time of a run as machine-readable output gives it (the JSON
// document, the results store). Pure; any thread.
#pragma once

#include <QDateTime>
#include <QString>

namespace torvik {

// "2026-12-08T14:05:09+09:00": ISO 8601 with the local offset spelt out.
QString IsoDateTimeWithOffset(const QDateTime& time);

}  // namespace torvik
