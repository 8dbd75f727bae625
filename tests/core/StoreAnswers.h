// A store's answers for tests that read one run or one series: the value,
// or the test failing with the store's words.
#pragma once

#include "ArchiveAnswers.h"
#include "core/store/ResultStore.h"

// One run with its tests, or an empty run (id 0) when the store has none.
inline torvik::StoredRun RunWithTests(torvik::ResultStore& store, int64_t id) {
  const std::vector<torvik::StoredRun> runs = ValueOf(store.RunsWithTests(std::vector<int64_t>{id}));
  return runs.empty() ? torvik::StoredRun() : runs.front();
}

// The run `id` and the other repetitions of its series.
inline std::vector<torvik::StoredRun> SeriesOfRun(torvik::ResultStore& store, int64_t id) {
  const std::vector<std::vector<torvik::StoredRun>> series = ValueOf(store.SeriesOf({id}));
  return series.empty() ? std::vector<torvik::StoredRun>() : series.front();
}
