#include "core/archive/RunArchive.h"

#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSysInfo>
#include <QUuid>

#include "core/records/StoreLocation.h"
#include "core/records/StoredRun.h"
#include "core/store/ResultStore.h"
#include "core/store/StoreSync.h"

namespace torvik {
namespace {

// Stores beside this PC's ("results.sqlite" -> "results.aside-<uuid>.sqlite"):
// their name pattern, and a new one's path.
QString AsidePattern(const QFileInfo& local) { return local.completeBaseName() + QStringLiteral(".aside-*.sqlite"); }
QString NewAsidePath(const QFileInfo& local) {
  return local.dir().filePath(local.completeBaseName() + QStringLiteral(".aside-") +
                              QUuid::createUuid().toString(QUuid::WithoutBraces) + QStringLiteral(".sqlite"));
}

// What makes a failure news: its kind; of the failures without a kind of
// their own, what they say.
QString FailureKey(const ArchiveStatus& failure) {
  const QString kind = QString::number(static_cast<int>(failure.Kind()));
  return failure.Kind() == FailureKind::Failed ? kind + u':' + failure.Text() : kind;
}

}  // namespace

RunArchive::RunArchive(const QString& localPath, const QString& clientName)
    : local_(std::make_unique<ResultStore>(localPath, clientName)), clientName_(clientName) {}

RunArchive::~RunArchive() = default;

QString RunArchive::DefaultLocalPath() { return ResultStore::DefaultPath(); }

void RunArchive::UseSharedStore(const QString& url) {
  shared_.reset();
  lastSendFailure_.clear();  // another server: its failure is news
  adviceTold_.clear();
  if (!url.isEmpty()) shared_ = std::make_unique<ResultStore>(url, clientName_);
}

bool RunArchive::HasLocalStore() const { return ResultStore::FileExists(local_->Path()); }

ResultStore& RunArchive::Readable() {
  if (shared_ || HasLocalStore()) return Compared();
  // Reads make no store: before this PC has one, they read an empty one.
  if (!empty_) empty_ = std::make_unique<ResultStore>(ResultStore::InMemory());
  return *empty_;
}

QString RunArchive::ComparedShown() const { return shared_ ? ShownLocation(shared_->Path()) : local_->Path(); }

QString RunArchive::PcName() const {
  const QString prefix = QStringLiteral("torvik ");
  return clientName_.startsWith(prefix) ? clientName_.mid(prefix.size()) : QSysInfo::machineHostName();
}

QString RunArchive::ComparedLabel() const {
  if (!shared_) return texts::ThisPcsStoreOf().arg(PcName());
  return shared_->Label().isEmpty() ? DatabaseOf(shared_->Path()) : shared_->Label();
}

void RunArchive::Tell(QString& last, const QString& kind, const QString& text) {
  if (kind == last) return;
  last = kind;
  if (notice_) notice_(text);
}

ArchiveStatus RunArchive::Keep(const RunRecord& run) {
  // A group of today's machine has its points instead of results.
  bool any = !run.points.empty();
  for (const TestEntry& entry : kTests) any = any || run.results[entry.test].HasResult();
  if (!any) return {};  // nothing to keep
  TakeBackAside();
  StoredRun stored = RunFromRecord(run);
  stored.torvikSchema = ResultStore::KnownSchema();
  const ArchiveStatus recorded = local_->Record(stored);
  if (recorded.Ok()) {
    lastRecordFailure_.clear();  // a later failure is news again
    return recorded;
  }
  if (recorded.Kind() == FailureKind::Busy && KeepAside(stored)) return {};
  // Not kept here, not sent either: the shared store gets it only from here.
  Tell(lastRecordFailure_, FailureKey(recorded),
       texts::CannotRecord() + recorded.Text() + (shared_ ? texts::NotSentEither() : QString()));
  return recorded;
}

bool RunArchive::KeepAside(const StoredRun& run) {
  const QString path = NewAsidePath(QFileInfo(local_->Path()));
  {
    ResultStore aside(path);
    if (aside.Record(run).Ok()) {
      if (notice_) notice_(texts::KeptAside().arg(path));
      return true;
    }
  }
  QFile::remove(path);
  return false;
}

void RunArchive::TakeBackAside() {
  const QFileInfo local(local_->Path());
  const QStringList asides = local.dir().entryList({AsidePattern(local)}, QDir::Files, QDir::Name);
  // Only the names this program gives, of files of this user's.
  const QRegularExpression exact(QStringLiteral("^%1\\.aside-[0-9a-f]{8}-[0-9a-f]{4}-[0-9a-f]{4}-[0-9a-f]{4}-[0-9a-f]{12}\\.sqlite$")
                                     .arg(QRegularExpression::escape(local.completeBaseName())));
  for (const QString& name : asides) {
    const QString path = local.dir().filePath(name);
    const QFileInfo file(path);
    if (!exact.match(name).hasMatch() || file.isSymLink() || file.ownerId() != geteuid()) continue;
    bool taken = false;
    {
      ResultStore aside(path);
      const ArchiveResult<std::vector<StoredRun>> runs = aside.RunsWithTests(std::vector<int64_t>{});
      // One that cannot be read now, or has no run yet (its copy is still
      // writing it), stays for the next time; one that can never join
      // (damaged, of a newer TORVIK, not a store) is said once and kept.
      taken = runs.Ok() && !runs.Value().empty() && local_->Adopt(runs.Value()).Ok();
      if (!runs.Ok() && runs.Kind() == FailureKind::NotTorvik && !asidesTold_.contains(path)) {
        asidesTold_ << path;
        if (notice_) notice_(texts::AsideCannotJoin().arg(path, runs.Text()));
      }
    }
    if (!taken) continue;
    for (const char* companion : {"", "-wal", "-shm", "-journal"}) QFile::remove(path + QLatin1String(companion));
  }
}

SyncResult RunArchive::SendWaiting() {
  if (!shared_) return {};
  TakeBackAside();
  const SyncResult sync = SendWaitingRuns(*local_, *shared_);
  if (!sync.failure.Ok()) {
    // A server away is one kind of failure, however it went (lost, then not reached).
    Tell(lastSendFailure_, FailureKey(sync.failure), texts::CannotSend().arg(sync.waiting) + sync.failure.Text());
  } else if (!lastSendFailure_.isEmpty()) {
    lastSendFailure_.clear();
    if (notice_ && sync.sent > 0) notice_(texts::SentAfterAll().arg(sync.sent));
  }
  if (!sync.setAside.isEmpty()) {
    Tell(lastSetAside_, sync.setAside.front(), texts::SetAside().arg(sync.setAside.size()) + sync.setAside.front());
  }
  if (const QString& advice = shared_->Advice(); !advice.isEmpty()) Tell(adviceTold_, advice, advice);
  return sync;
}

}  // namespace torvik
