#include "core/store/RunReceiver.h"

#include <set>

#include "core/store/StoreSession.h"

namespace torvik {
namespace {

// `run` as the shared store keeps it: sent nowhere further, with no problem.
StoredRun AsReceived(const StoredRun& run) {
  StoredRun kept = run;
  kept.sent = true;
  kept.sendProblem.clear();
  return kept;
}

// The uuids of `runs` the store has already, in one read.
QSqlError UuidsPresent(Statements& s, const std::vector<StoredRun>& runs, std::set<QString>& present) {
  QSqlError error;
  QStringList marks;
  for (size_t i = 0; i < runs.size(); ++i) marks << QStringLiteral("?");
  QSqlQuery* known = s.Prepare(QStringLiteral("SELECT uuid FROM runs WHERE uuid IN (%1)").arg(marks.join(u',')), error);
  if (known == nullptr) return error;
  for (const StoredRun& run : runs) known->addBindValue(run.uuid);
  if (!known->exec()) return known->lastError();
  while (known->next()) present.insert(known->value(0).toString());
  known->finish();  // no read stays open across a write
  return {};
}

// The part at once: `oneByOne` is set when a run was refused for what it holds.
QSqlError ReceiveAtOnce(StoreSession& shared, Statements& s, const std::vector<StoredRun>& runs, ReceiveCounts& counts,
                        bool& oneByOne) {
  counts = {};  // a busy store's first try counted for nothing
  std::set<QString> present;
  if (QSqlError error = UuidsPresent(s, runs, present); error.type() != QSqlError::NoError) return error;
  for (const StoredRun& run : runs) {
    if (present.count(run.uuid) > 0) {
      counts.present.push_back(run.id);
      continue;
    }
    if (QSqlError error = shared.InsertRun(s, AsReceived(run)); error.type() != QSqlError::NoError) {
      oneByOne = shared.Connection().Classify(error) != StoreConnection::InsertFailure::Other;
      return error;
    }
    counts.received.push_back(run.id);
  }
  return {};
}

// Each run under a savepoint of its own: one the store will not take is undone alone.
QSqlError ReceiveOneByOne(StoreSession& shared, Statements& s, const std::vector<StoredRun>& runs,
                          ReceiveCounts& counts) {
  counts = {};  // a busy store's first try counted for nothing
  std::set<QString> present;
  QSqlError error = UuidsPresent(s, runs, present);
  if (error.type() != QSqlError::NoError) return error;
  for (const StoredRun& run : runs) {
    if (present.count(run.uuid) > 0) {
      counts.present.push_back(run.id);
      continue;
    }
    if (error = s.Run(QStringLiteral("SAVEPOINT one_run")); error.type() != QSqlError::NoError) return error;
    const QSqlError inserted = shared.InsertRun(s, AsReceived(run));
    if (inserted.type() == QSqlError::NoError) {
      if (error = s.Run(QStringLiteral("RELEASE SAVEPOINT one_run")); error.type() != QSqlError::NoError) return error;
      counts.received.push_back(run.id);
      continue;
    }
    if (error = s.Run(QStringLiteral("ROLLBACK TO SAVEPOINT one_run")); error.type() != QSqlError::NoError) {
      return error;
    }
    switch (shared.Connection().Classify(inserted)) {
      case StoreConnection::InsertFailure::AlreadyThere: counts.present.push_back(run.id); break;
      case StoreConnection::InsertFailure::RefusedContent:
        counts.refused.emplace_back(run.id, shared.Connection().Describe(inserted));
        break;
      case StoreConnection::InsertFailure::Other: return inserted;
    }
  }
  return {};
}

}  // namespace

ArchiveResult<ReceiveCounts> ReceiveRuns(StoreSession& shared, const std::vector<StoredRun>& runs) {
  // All at once first: one read for the runs the store has, then the
  // others. Only when one of them is refused for what it holds is the part
  // sent again one run at a time, each run undone alone.
  ReceiveCounts counts;
  bool oneByOne = false;
  const ArchiveStatus atOnce =
      shared.Write([&](Statements& s) { return ReceiveAtOnce(shared, s, runs, counts, oneByOne); });
  if (atOnce.Ok()) return counts;
  if (!oneByOne) return atOnce;
  const ArchiveStatus alone = shared.Write([&](Statements& s) { return ReceiveOneByOne(shared, s, runs, counts); });
  if (!alone.Ok()) return alone;
  return counts;
}

}  // namespace torvik
