// A run's date as lists and pages show it: its start as kept (a run's ISO
// 8601 time, an imported sheet's date text), or "日付不明" ("date unknown")
// for an imported block whose date could not be placed (StoredRun::
// Undated), in the program's language. Any thread (the translator is
// installed before any thread starts).
#pragma once

#include <QString>

#include "core/records/StoredRun.h"

namespace torvik {

// "日付不明": what is shown where a date is unknown.
QString DateUnknownText();

// `run.started`, or DateUnknownText() for an undated block.
QString StartedText(const StoredRun& run);

}  // namespace torvik
