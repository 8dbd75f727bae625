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
  ReceiveCounts counts;
  if (!shared.Receive(waiting, counts)) {
    result.error = shared.Error();
    result.unreachable = shared.Unreachable();
    return result;
  }
  result.sent = static_cast<int>(counts.received.size());
  std::vector<int64_t> ids = counts.received;
  ids.insert(ids.end(), counts.present.begin(), counts.present.end());
  // Not marked: sent again next time, and kept once all the same.
  if (!local.MarkSent(ids) || !local.SetAside(counts.refused)) {
    result.error = local.Error();
    return result;
  }
  for (const auto& [id, why] : counts.refused) result.setAside << why;
  result.waiting = 0;
  return result;
}

}  // namespace torvik
