#include "core/store/StoreSync.h"

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
    ArchiveResult<std::vector<StoredRun>> part = local.Unsent(kSendPart);
    if (!part.Ok()) {
      result.failure = part.Status();  // nothing could be read here
      break;
    }
    if (part.Value().empty()) break;
    const ArchiveResult<ReceiveCounts> counts = shared.Receive(part.Value());
    if (!counts.Ok()) {
      result.failure = counts.Status();
      break;
    }
    std::vector<int64_t> ids = counts.Value().received;
    ids.insert(ids.end(), counts.Value().present.begin(), counts.Value().present.end());
    if (ids.empty() && counts.Value().refused.empty()) break;  // nothing changed here: never the same part again
    // Not marked: sent again next time, and kept once all the same.
    ArchiveStatus marked = local.MarkSent(ids);
    if (marked.Ok()) marked = local.SetAside(counts.Value().refused);
    if (!marked.Ok()) {
      result.failure = marked;
      break;
    }
    result.sent += static_cast<int>(counts.Value().received.size());
    for (const auto& [id, why] : counts.Value().refused) result.setAside << why;
  }
  if (!result.failure.Ok()) result.waiting = local.UnsentCount().ValueOr(0);
  return result;
}

}  // namespace torvik
