#include "core/history/StoreSync.h"

namespace torvik {
namespace {

// Runs go this many at a time, each part in one transaction on either
// side: a long queue never lies whole in memory here or in the server's
// session, and a part sent is marked here before the next leaves.
constexpr int kSendPart = 500;

}  // namespace

SyncResult SendWaitingRuns(ResultStore& local, ResultStore& shared) {
  SyncResult result;
  for (;;) {
    const std::vector<StoredRun> part = local.Unsent(kSendPart);
    if (part.empty()) {
      result.error = local.Error();  // empty unless nothing could be read here
      break;
    }
    ReceiveCounts counts;
    if (!shared.Receive(part, counts)) {
      result.error = shared.Error();
      result.unreachable = shared.Unreachable();
      break;
    }
    std::vector<int64_t> ids = counts.received;
    ids.insert(ids.end(), counts.present.begin(), counts.present.end());
    if (ids.empty() && counts.refused.empty()) break;  // nothing changed here: never the same part again
    // Not marked: sent again next time, and kept once all the same.
    if (!local.MarkSent(ids) || !local.SetAside(counts.refused)) {
      result.error = local.Error();
      break;
    }
    result.sent += static_cast<int>(counts.received.size());
    for (const auto& [id, why] : counts.refused) result.setAside << why;
  }
  if (!result.error.isEmpty()) result.waiting = local.UnsentCount();
  return result;
}

}  // namespace torvik
