#include "core/store/ResultStore.h"

#include <QSqlQuery>
#include <QStandardPaths>
#include <QVariant>
#include <algorithm>
#include <set>

#include "core/store/FileConnection.h"
#include "core/store/MachineQuery.h"
#include "core/store/MachineRegistry.h"
#include "core/store/RunColumns.h"
#include "core/store/RunQuery.h"
#include "core/store/RunReceiver.h"
#include "core/store/SchemaSteps.h"
#include "core/store/StoreSession.h"

namespace torvik {
namespace {

std::vector<int64_t> IdsOf(const std::vector<StoredRun>& runs) {
  std::vector<int64_t> ids;
  for (const StoredRun& run : runs) ids.push_back(run.id);
  return ids;
}

// `condition`'s conditions as more of a WHERE clause: "AND ..."; "" for none.
QString AndConditions(const RunCondition& condition) {
  return condition.where.isEmpty() ? QString() : QStringLiteral("AND ") + condition.where.mid(6);
}

// A run's columns that a trend and a machine's facts do not read: texts
// of its own (who ran it, the caches, the test folder, where it came from),
// left on the server when many runs of many machines travel. Its
// started_at stays: a sheet's block without one has no known date and is
// left out of the trend.
bool TrendNeeds(const char* column) {
  static const QStringList kLeft{"started",      "user_name",      "caches",          "test_directory",
                                 "uuid",         "sheet_key",      "platform",        "send_problem",
                                 "sent_by",      "received_at",    "torvik_version",  "display_adapter",
                                 "started_utc"};
  return !kLeft.contains(QLatin1String(column));
}

}  // namespace

ResultStore::ResultStore(const QString& location, const QString& clientName)
    : session_(std::make_unique<StoreSession>(location, clientName)) {}

ResultStore::~ResultStore() = default;

QString ResultStore::DefaultPath() {
  return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) + QStringLiteral("/results.sqlite");
}

int ResultStore::KnownSchema() { return kStoreSchemaVersion; }

QString ResultStore::InMemory() { return FileConnection::InMemory(); }

bool ResultStore::FileExists(const QString& path) { return FileConnection::Exists(path); }

const QString& ResultStore::Path() const { return session_->Path(); }

const QString& ResultStore::Advice() const { return session_->Connection().Advice(); }

ArchiveResult<OpenedStore> ResultStore::Open() {
  const StoreSession::Operation open(*session_);
  if (!open) return open.Status();
  const StoreConnection& connection = session_->Connection();
  return OpenedStore{connection.FoundVersion(), connection.Version(), connection.Advice()};
}

ArchiveResult<int> ResultStore::SchemaVersion() {
  const StoreSession::Operation open(*session_);
  if (!open) return open.Status();
  QSqlQuery q;
  if (ArchiveStatus read = session_->Read(q, QLatin1String(WordsOf(session_->Dialect()).readVersion)); !read.Ok()) {
    return read;
  }
  if (!q.next()) return session_->Failure(q.lastError());
  return SchemaRecordOf(q).schema;
}

ArchiveResult<bool> ResultStore::MayDelete() {
  const StoreSession::Operation open(*session_);
  if (!open) return open.Status();
  QSqlQuery q;
  if (ArchiveStatus read = session_->Read(q, QLatin1String(WordsOf(session_->Dialect()).mayDelete)); !read.Ok()) {
    return read;
  }
  return q.next() && q.value(0).toBool();
}

ArchiveStatus ResultStore::Record(const StoredRun& run) {
  const StoreSession::Operation open(*session_);
  if (!open) return open.Status();
  return session_->Write([&](Statements& s) { return session_->InsertRun(s, run); });
}

ArchiveResult<ImportCounts> ResultStore::InsertNew(const std::vector<StoredRun>& runs, const char* keyColumn,
                                                   QString StoredRun::*key) {
  const StoreSession::Operation open(*session_);
  if (!open) return open.Status();
  ImportCounts counts;
  const ArchiveStatus written = session_->Write([&](Statements& s) {
    counts = {};  // a busy store's first try counted for nothing
    QSqlError error;
    QSqlQuery* known =
        s.Prepare(QStringLiteral("SELECT 1 FROM runs WHERE %1 = ?").arg(QLatin1String(keyColumn)), error);
    if (known == nullptr) return error;
    for (const StoredRun& run : runs) {
      known->addBindValue(run.*key);
      if (!known->exec()) return known->lastError();
      const bool present = known->next();
      known->finish();  // no read stays open across a write
      if (present) {
        ++counts.duplicates;
        continue;
      }
      if (error = session_->InsertRun(s, run); error.type() != QSqlError::NoError) return error;
      ++counts.imported;
    }
    return QSqlError();
  });
  if (!written.Ok()) return written;
  return counts;
}

ArchiveResult<ImportCounts> ResultStore::Adopt(const std::vector<StoredRun>& runs) {
  return InsertNew(runs, "uuid", &StoredRun::uuid);
}

ArchiveResult<ImportCounts> ResultStore::Import(const std::vector<StoredRun>& runs) {
  return InsertNew(runs, "sheet_key", &StoredRun::sheetKey);
}

ArchiveResult<ReceiveCounts> ResultStore::Receive(const std::vector<StoredRun>& runs) {
  const StoreSession::Operation open(*session_);
  if (!open) return open.Status();
  return ReceiveRuns(*session_, runs);
}

ArchiveStatus ResultStore::SetAside(const std::vector<std::pair<int64_t, QString>>& runs) {
  const StoreSession::Operation open(*session_);
  if (!open) return open.Status();
  if (runs.empty()) return {};
  return session_->Write([&](Statements& s) {
    QSqlError error;
    QSqlQuery* q = s.Prepare(QStringLiteral("UPDATE runs SET sent = 2, send_problem = ? WHERE id = ?"), error);
    if (q == nullptr) return error;
    for (const auto& [id, why] : runs) {
      q->addBindValue(why.left(1'000));
      q->addBindValue(qlonglong(id));
      if (!q->exec()) return q->lastError();
    }
    return QSqlError();
  });
}

ArchiveResult<std::vector<StoredRun>> ResultStore::SetAsideRuns() {
  const StoreSession::Operation open(*session_);
  if (!open) return open.Status();
  return session_->RunsOf(
      QStringLiteral("SELECT %1 FROM runs WHERE sent = 2 %2").arg(session_->RunColumnList(), NewestFirst()));
}

ArchiveResult<int> ResultStore::RunCount(const RunFilter& filter) {
  const StoreSession::Operation open(*session_);
  if (!open) return open.Status();
  const RunCondition condition = RunConditionOf(filter, {}, session_->Version());
  QSqlQuery q;
  const ArchiveStatus read =
      session_->Read(q, QStringLiteral("SELECT count(*) FROM runs ") + condition.where, condition.values);
  if (!read.Ok()) return read;
  return q.next() ? q.value(0).toInt() : 0;
}

ArchiveResult<std::vector<StoredRun>> ResultStore::Runs(int limit, const RunFilter& filter,
                                                        const std::optional<RunKey>& after) {
  const StoreSession::Operation open(*session_);
  if (!open) return open.Status();
  RunCondition condition = RunConditionOf(filter, after, session_->Version());
  condition.values << limit;
  return session_->RunsOf(QStringLiteral("SELECT %1 FROM runs %2 %3 LIMIT ?")
                              .arg(session_->RunColumnList(), condition.where, NewestFirst()),
                          condition.values);
}

ArchiveResult<std::vector<StoredRun>> ResultStore::WithTests(const QString& where, const QVariantList& values,
                                                             const QString& order) {
  ArchiveResult<std::vector<StoredRun>> runs = session_->RunsOf(
      QStringLiteral("SELECT %1 FROM runs %2 %3").arg(session_->RunColumnList(), where, order), values);
  if (!runs.Ok()) return runs;
  QVariantList ids;
  const QString among = session_->AmongIds("run_id", IdsOf(runs.Value()), ids);
  if (ArchiveStatus tests = session_->AttachTests(runs.Value(), among, ids); !tests.Ok()) return tests;
  return runs;
}

ArchiveResult<std::vector<StoredRun>> ResultStore::RunsWithTests(const std::vector<int64_t>& ids) {
  const StoreSession::Operation open(*session_);
  if (!open) return open.Status();
  if (!ids.empty()) return WithTests(QStringLiteral("WHERE id IN (%1)").arg(IdList(ids)), {}, NewestFirst());
  ArchiveResult<std::vector<StoredRun>> runs =
      session_->RunsOf(QStringLiteral("SELECT %1 FROM runs %2").arg(session_->RunColumnList(), NewestFirst()));
  if (!runs.Ok()) return runs;
  if (ArchiveStatus tests = session_->AttachTests(runs.Value(), QStringLiteral("1 = 1")); !tests.Ok()) return tests;
  return runs;
}

ArchiveResult<std::vector<StoredRun>> ResultStore::RunsWithTests(const RunFilter& filter, int limit) {
  const StoreSession::Operation open(*session_);
  if (!open) return open.Status();
  RunCondition condition = RunConditionOf(filter, {}, session_->Version());
  condition.values << limit;
  return WithTests(condition.where, condition.values, NewestFirst() + QStringLiteral(" LIMIT ?"));
}

ArchiveResult<std::vector<std::vector<StoredRun>>> ResultStore::LatestSeries(const RunFilter& filter, int limit) {
  std::vector<int64_t> ids;
  {
    const StoreSession::Operation open(*session_);
    if (!open) return open.Status();
    RunCondition condition = RunConditionOf(filter, {}, session_->Version());
    QString conditions = AndConditions(condition);
    // On a shared store that keeps machines, only approved ones are ranked:
    // a new machine waits for its owner, a retired one is ranked no more.
    if (KeepsMachines(*session_)) {
      conditions += QStringLiteral(" AND machine_id IN (SELECT machine_id FROM machines WHERE state = 'approved')");
    }
    condition.values << limit;
    QSqlQuery q;
    if (ArchiveStatus read = session_->Read(q, LatestOfEachMachine(conditions, session_->Version()), condition.values);
        !read.Ok()) {
      return read;
    }
    while (q.next()) ids.push_back(q.value(0).toLongLong());
  }
  return SeriesOf(ids);
}

ArchiveResult<int> ResultStore::UnrankedMachinesOf(const RunFilter& filter) {
  const StoreSession::Operation open(*session_);
  if (!open) return open.Status();
  if (!KeepsMachines(*session_)) return 0;
  const RunCondition condition = RunConditionOf(filter, {}, session_->Version());
  const QString unranked = AndConditions(condition) +
                           QStringLiteral(" AND (coalesce(machine_id, '') = '' OR machine_id NOT IN "
                                          "(SELECT machine_id FROM machines WHERE state = 'approved'))");
  QSqlQuery q;
  if (ArchiveStatus read = session_->Read(q, MachinesWithRuns(unranked, session_->Version()), condition.values);
      !read.Ok()) {
    return read;
  }
  std::set<std::pair<QString, QString>> machines;  // a machine's groups counted once
  while (q.next()) machines.emplace(q.value(0).toString(), q.value(1).toString());
  return static_cast<int>(machines.size());
}

ArchiveResult<std::vector<MachineKey>> ResultStore::MachinesOf(const RunFilter& filter) {
  const StoreSession::Operation open(*session_);
  if (!open) return open.Status();
  const RunCondition condition = RunConditionOf(filter, {}, session_->Version());
  QSqlQuery q;
  if (ArchiveStatus read =
          session_->Read(q, MachinesWithRuns(AndConditions(condition), session_->Version()), condition.values);
      !read.Ok()) {
    return read;
  }
  std::vector<MachineKey> machines;
  while (q.next()) machines.push_back({q.value(0).toString(), q.value(1).toString(), q.value(2).toString()});
  return machines;
}

ArchiveResult<std::vector<StoredRun>> ResultStore::NewestRunsOf(const std::vector<MachineKey>& machines,
                                                                const RunFilter& filter, int limit) {
  if (machines.empty()) return std::vector<StoredRun>();
  const StoreSession::Operation open(*session_);
  if (!open) return open.Status();
  const RunCondition condition = RunConditionOf(filter, {}, session_->Version());
  QVariantList values;
  for (const MachineKey& machine : machines) {
    values << machine.name << machine.processor << machine.group << condition.values << limit;
  }
  std::vector<Column<StoredRun>> columns = ColumnsAt(RunColumns(), session_->Version());
  std::erase_if(columns, [](const Column<StoredRun>& column) { return !TrendNeeds(column.name); });
  ArchiveResult<std::vector<StoredRun>> runs =
      session_->RunsOf(NewestRunsOfMachines(ColumnList<StoredRun>(columns), AndConditions(condition),
                                            session_->Version(), static_cast<int>(machines.size())),
                       values);
  if (!runs.Ok()) return runs;
  QVariantList ids;
  const QString among = session_->AmongIds("run_id", IdsOf(runs.Value()), ids);
  if (ArchiveStatus tests = session_->AttachTests(runs.Value(), among, ids); !tests.Ok()) return tests;
  return runs;
}

ArchiveResult<std::vector<MachineRunCount>> ResultStore::RunCountsOf(const RunFilter& filter) {
  const StoreSession::Operation open(*session_);
  if (!open) return open.Status();
  const RunCondition condition = RunConditionOf(filter, {}, session_->Version());
  QSqlQuery q;
  if (ArchiveStatus read =
          session_->Read(q, RunCountsOfMachines(condition.where, session_->Version()), condition.values);
      !read.Ok()) {
    return read;
  }
  std::vector<MachineRunCount> counts;
  while (q.next()) counts.push_back({q.value(0).toString(), q.value(1).toString(), q.value(2).toInt()});
  return counts;
}

ArchiveResult<std::vector<std::vector<StoredRun>>> ResultStore::SeriesOf(const std::vector<int64_t>& ids) {
  std::vector<std::vector<StoredRun>> series(ids.size());
  if (ids.empty()) return series;
  const StoreSession::Operation open(*session_);
  if (!open) return open.Status();
  // The runs asked for and every run of their series, in one read (each
  // half answered by an index: the key, the series; the series' runs of
  // other groups are dropped below). By the series alone: joined on the
  // group too, SQLite would walk the group's index, every run of the group
  // once per run asked for.
  QVariantList asked;
  const QString first = session_->AmongIds("id", ids, asked), second = session_->AmongIds("id", ids, asked);
  ArchiveResult<std::vector<StoredRun>> read = session_->RunsOf(
      QStringLiteral("SELECT %1 FROM runs WHERE %2 UNION "
                     "SELECT %1 FROM runs WHERE series IN (SELECT series FROM runs WHERE %3) ORDER BY id")
          .arg(session_->RunColumnList(), first, second),
      asked);
  if (!read.Ok()) return read.Status();
  std::vector<StoredRun>& runs = read.Value();
  QVariantList found;
  const QString among = session_->AmongIds("run_id", IdsOf(runs), found);
  if (ArchiveStatus tests = session_->AttachTests(runs, among, found); !tests.Ok()) return tests;
  for (size_t i = 0; i < ids.size(); ++i) {
    const auto asked = std::find_if(runs.begin(), runs.end(), [&](const StoredRun& run) { return run.id == ids[i]; });
    if (asked == runs.end()) continue;
    series[i].push_back(*asked);
    if (asked->series.isEmpty()) continue;
    for (const StoredRun& run : runs) {
      if (run.id != asked->id && run.series == asked->series && run.group == asked->group) series[i].push_back(run);
    }
  }
  return series;
}

ArchiveResult<std::vector<StoredRun>> ResultStore::Unsent(int limit) {
  const StoreSession::Operation open(*session_);
  if (!open) return open.Status();
  if (limit < 0) return WithTests(QStringLiteral("WHERE sent = 0"), {}, QStringLiteral("ORDER BY id"));
  return WithTests(QStringLiteral("WHERE sent = 0"), {limit}, QStringLiteral("ORDER BY id LIMIT ?"));
}

ArchiveResult<int> ResultStore::UnsentCount() {
  const StoreSession::Operation open(*session_);
  if (!open) return open.Status();
  QSqlQuery q;
  if (ArchiveStatus read = session_->Read(q, QStringLiteral("SELECT count(*) FROM runs WHERE sent = 0")); !read.Ok()) {
    return read;
  }
  return q.next() ? q.value(0).toInt() : 0;
}

ArchiveStatus ResultStore::MarkSent(const std::vector<int64_t>& ids) {
  const StoreSession::Operation open(*session_);
  if (!open) return open.Status();
  if (ids.empty()) return {};
  return session_->Write([&](Statements& s) {
    return s.Run(QStringLiteral("UPDATE runs SET sent = 1 WHERE id IN (%1)").arg(IdList(ids)));
  });
}

ArchiveStatus ResultStore::Delete(const std::vector<int64_t>& ids) {
  const StoreSession::Operation open(*session_);
  if (!open) return open.Status();
  if (ids.empty()) return {};
  const QString list = IdList(ids);
  return session_->Write([&](Statements& s) {
    QSqlError error = s.Run(QStringLiteral("DELETE FROM tests WHERE run_id IN (%1)").arg(list));
    if (error.type() == QSqlError::NoError)
      error = s.Run(QStringLiteral("DELETE FROM runs WHERE id IN (%1)").arg(list));
    return error;
  });
}

ArchiveResult<std::vector<FleetMachine>> ResultStore::Machines(int64_t now) {
  const StoreSession::Operation open(*session_);
  if (!open) return open.Status();
  return ReadMachines(*session_, now);
}

ArchiveResult<bool> ResultStore::MayDecideMachines() {
  const StoreSession::Operation open(*session_);
  if (!open) return open.Status();
  return torvik::MayDecideMachines(*session_);
}

ArchiveResult<int> ResultStore::SetMachineState(const QString& machineId, MachineState state) {
  const StoreSession::Operation open(*session_);
  if (!open) return open.Status();
  return ChangeMachineState(*session_, machineId, state);
}

ArchiveResult<FleetRights> ResultStore::GrantRights() {
  const StoreSession::Operation open(*session_);
  if (!open) return open.Status();
  FleetRights granted;
  if (const QSqlError error = session_->Connection().GrantRights(granted); error.type() != QSqlError::NoError) {
    return session_->Failure(error);
  }
  return granted;
}

const QString& ResultStore::Label() const { return session_->Connection().Label(); }

ArchiveStatus ResultStore::SetLabel(const QString& label) {
  const StoreSession::Operation open(*session_);
  if (!open) return open.Status();
  if (session_->Dialect() != StoreDialect::Postgres) return {};
  return session_->Write([&](Statements& s) {
    QSqlError error;
    QSqlQuery* q = s.Prepare(QStringLiteral("UPDATE torvik_schema SET label = ?"), error);
    if (q == nullptr) return error;
    q->addBindValue(label.isEmpty() ? QVariant() : QVariant(label.left(200)));
    return q->exec() ? QSqlError() : q->lastError();
  });
}

}  // namespace torvik
