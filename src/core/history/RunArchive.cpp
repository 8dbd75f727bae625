#include "core/history/RunArchive.h"

#include "core/history/StoredRun.h"

namespace torvik {

RunArchive::RunArchive(const QString& localPath, const QString& clientName)
    : local_(localPath, clientName), clientName_(clientName) {}

void RunArchive::UseSharedStore(const QString& url) {
  shared_.reset();
  lastSendFailure_.clear();  // another server: its failure is news
  adviceTold_.clear();
  if (!url.isEmpty()) shared_ = std::make_unique<ResultStore>(url, clientName_);
}

void RunArchive::Tell(QString& last, const QString& kind, const QString& text) {
  if (kind == last) return;
  last = kind;
  if (notice_) notice_(text);
}

bool RunArchive::Keep(const RunRecord& run) {
  bool any = false;
  for (const TestEntry& entry : kTests) any = any || run.results[entry.test].HasResult();
  if (!any) return true;  // nothing to keep
  if (local_.Record(RunFromRecord(run))) {
    lastRecordFailure_.clear();  // a later failure is news again
    return true;
  }
  // Not kept here, not sent either: the shared store gets it only from here.
  Tell(lastRecordFailure_, local_.Error(),
       texts::CannotRecord() + local_.Error() + (shared_ ? texts::NotSentEither() : QString()));
  return false;
}

SyncResult RunArchive::SendWaiting() {
  if (!shared_) return {};
  const SyncResult sync = SendWaitingRuns(local_, *shared_);
  if (!sync.error.isEmpty()) {
    // A server away is one kind of failure, however it went (lost, then not
    // reached); any other is known by its words.
    const QString kind = sync.unreachable ? QStringLiteral("unreachable") : sync.error;
    Tell(lastSendFailure_, kind, texts::CannotSend().arg(sync.waiting) + sync.error);
  } else if (!lastSendFailure_.isEmpty()) {
    lastSendFailure_.clear();
    if (notice_ && sync.sent > 0) notice_(texts::SentAfterAll().arg(sync.sent));
  }
  if (!sync.setAside.isEmpty()) {
    Tell(lastSetAside_, sync.setAside.front(),
         texts::SetAside().arg(sync.setAside.size()) + sync.setAside.front());
  }
  if (const QString& advice = shared_->Advice(); !advice.isEmpty()) Tell(adviceTold_, advice, advice);
  return sync;
}

}  // namespace torvik
