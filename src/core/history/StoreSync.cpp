#include "core/history/StoreSync.h"

namespace torvik {

SyncResult SendWaitingRuns(ResultStore& local, ResultStore& shared) {
  SyncResult result;
  const std::vector<StoredRun> waiting = local.Unsent();
  if (waiting.empty()) {
    result.error = local.Error();  // empty unless nothing could be read here
    return result;
  }
  result.waiting = static_cast<int>(waiting.size());
  if (!shared.Receive(waiting, result.sent)) {
    result.error = shared.Error();
    result.unreachable = shared.Unreachable();
    return result;
  }
  std::vector<int64_t> ids;
  for (const StoredRun& run : waiting) ids.push_back(run.id);
  // Not marked: sent again next time, and kept once all the same.
  if (!local.MarkSent(ids)) {
    result.error = local.Error();
    return result;
  }
  result.waiting = 0;
  return result;
}

}  // namespace torvik
