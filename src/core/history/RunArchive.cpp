#include "core/history/RunArchive.h"

#include "core/history/StoredRun.h"

namespace torvik {

RunArchive::RunArchive(const QString& localPath, const QString& clientName)
    : local_(localPath, clientName), clientName_(clientName) {}

void RunArchive::UseSharedStore(const QString& url) {
  shared_.reset();
  sendFailureTold_ = false;
  if (!url.isEmpty()) shared_ = std::make_unique<ResultStore>(url, clientName_);
}

void RunArchive::Tell(bool& told, const QString& text) {
  if (told) return;
  told = true;
  if (notice_) notice_(text);
}

bool RunArchive::Keep(const RunRecord& run) {
  bool any = false;
  for (const TestEntry& entry : kTests) any = any || run.results[entry.test].HasResult();
  if (!any) return true;  // nothing to keep
  if (local_.Record(RunFromRecord(run))) return true;
  Tell(recordFailureTold_, texts::CannotRecord() + local_.Error());
  return false;
}

SyncResult RunArchive::SendWaiting() {
  if (!shared_) return {};
  const SyncResult sync = SendWaitingRuns(local_, *shared_);
  if (!sync.error.isEmpty()) Tell(sendFailureTold_, texts::CannotSend().arg(sync.waiting) + sync.error);
  return sync;
}

}  // namespace torvik
