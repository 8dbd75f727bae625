#include "core/history/RunArchive.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QUuid>

#include "core/history/StoredRun.h"

namespace torvik {
namespace {

// Stores beside this PC's ("results.sqlite" -> "results.aside-<uuid>.sqlite"):
// their name pattern, and a new one's path.
QString AsidePattern(const QFileInfo& local) { return local.completeBaseName() + QStringLiteral(".aside-*.sqlite"); }
QString NewAsidePath(const QFileInfo& local) {
  return local.dir().filePath(local.completeBaseName() + QStringLiteral(".aside-") +
                              QUuid::createUuid().toString(QUuid::WithoutBraces) + QStringLiteral(".sqlite"));
}

}  // namespace

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
  TakeBackAside();
  const StoredRun stored = RunFromRecord(run);
  if (local_.Record(stored)) {
    lastRecordFailure_.clear();  // a later failure is news again
    return true;
  }
  if (local_.Busy() && KeepAside(stored)) return true;
  // Not kept here, not sent either: the shared store gets it only from here.
  Tell(lastRecordFailure_, local_.Error(),
       texts::CannotRecord() + local_.Error() + (shared_ ? texts::NotSentEither() : QString()));
  return false;
}

bool RunArchive::KeepAside(const StoredRun& run) {
  const QString path = NewAsidePath(QFileInfo(local_.Path()));
  {
    ResultStore aside(path);
    if (aside.Record(run)) {
      if (notice_) notice_(texts::KeptAside().arg(path));
      return true;
    }
  }
  QFile::remove(path);
  return false;
}

void RunArchive::TakeBackAside() {
  const QFileInfo local(local_.Path());
  const QStringList asides = local.dir().entryList({AsidePattern(local)}, QDir::Files, QDir::Name);
  for (const QString& name : asides) {
    const QString path = local.dir().filePath(name);
    bool taken = false;
    {
      ResultStore aside(path);
      const std::vector<StoredRun> runs = aside.RunsWithTests({});
      ImportCounts counts;
      // One that cannot be read now, or has no run yet (its copy is still
      // writing it), stays for the next time.
      taken = aside.Error().isEmpty() && !runs.empty() && local_.Adopt(runs, counts);
    }
    if (!taken) continue;
    for (const char* companion : {"", "-wal", "-shm", "-journal"}) QFile::remove(path + QLatin1String(companion));
  }
}

SyncResult RunArchive::SendWaiting() {
  if (!shared_) return {};
  TakeBackAside();
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
