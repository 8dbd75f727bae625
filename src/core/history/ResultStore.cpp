#include "core/history/ResultStore.h"

#include <QSqlQuery>
#include <QStandardPaths>
#include <QStringList>
#include <QVariant>
#include <algorithm>
#include <map>
#include <set>

#include "core/history/FileConnection.h"
#include "core/history/RunColumns.h"
#include "core/history/ServerConnection.h"
#include "core/history/StoreLocation.h"
#include "core/history/WriteTransaction.h"

namespace torvik {
namespace {

QString IdList(const std::vector<int64_t>& ids) {
  QStringList list;
  for (int64_t id : ids) list << QString::number(id);
  return list.join(u',');
}

// A LIKE pattern matching `part` anywhere, its wildcards taken as text
// (escaped with '!').
QString ContainsPattern(QString part) {
  part.replace(u'!', QStringLiteral("!!")).replace(u'%', QStringLiteral("!%")).replace(u'_', QStringLiteral("!_"));
  return u'%' + part + u'%';
}

// A run's machine as lists name it: the PC name, else the host name (a
// store older than the host name has the PC name alone); and its
// processor's model, else the processor's text.
QString MachineName(int version) {
  return version >= kHostNameStep
             ? QStringLiteral("CASE WHEN coalesce(pc_name, '') = '' THEN coalesce(host_name, '') ELSE pc_name END")
             : QStringLiteral("coalesce(pc_name, '')");
}
const QString kProcessorModel =
    QStringLiteral("CASE WHEN coalesce(processor_name, '') = '' THEN coalesce(processor, '') ELSE processor_name END");

// The conditions of `filter`, and `after`, each with its values.
QString Where(const RunFilter& filter, const std::optional<RunKey>& after, QVariantList& values, int version) {
  QStringList conditions;
  if (filter.pcName) {
    conditions << QStringLiteral("lower(pc_name) = lower(?)");
    values << (filter.pcName->isNull() ? QStringLiteral("") : *filter.pcName);
  }
  if (!filter.processor.isEmpty()) {
    conditions << QStringLiteral("lower(processor) LIKE lower(?) ESCAPE '!'");
    values << ContainsPattern(filter.processor);
  }
  if (!filter.processorName.isEmpty()) {
    conditions << QStringLiteral("processor_name = ?");
    values << filter.processorName;
  }
  if (!filter.machineId.isEmpty()) {
    conditions << QStringLiteral("machine_id = ?");
    values << filter.machineId;
  }
  if (!filter.group.isEmpty()) {
    conditions << QStringLiteral("group_name = ?");
    values << filter.group;
  }
  if (filter.machine) {
    conditions << QStringLiteral("lower(%1) = lower(?)").arg(MachineName(version));
    values << (filter.machine->isNull() ? QStringLiteral("") : *filter.machine);
  }
  if (filter.from) {
    conditions << QStringLiteral("sort_time >= ?");
    values << qlonglong(*filter.from);
  }
  if (filter.to) {
    conditions << QStringLiteral("sort_time <= ?");
    values << qlonglong(*filter.to);
  }
  if (after) {
    conditions << QStringLiteral("(sort_time, id) < (?, ?)");
    values << qlonglong(after->sortTime) << qlonglong(after->id);
  }
  return conditions.isEmpty() ? QString() : QStringLiteral("WHERE ") + conditions.join(QStringLiteral(" AND "));
}

// The catalogue's order, tests it does not know last.
size_t CatalogueIndex(const StoredTest& test) {
  const std::optional<Test> known = TestOfId(test.test);
  return known ? static_cast<size_t>(*known) : kTestCount;
}

const QString kNewestFirst = QStringLiteral("ORDER BY sort_time DESC, id DESC");

// The one place the kind of store is chosen: a server for a
// "postgresql://" URL, else a SQLite file at that path.
std::unique_ptr<StoreConnection> ConnectionTo(const QString& location, const QString& clientName) {
  if (IsServerUrl(location)) return std::make_unique<ServerConnection>(location, clientName);
  return std::make_unique<FileConnection>(location);
}

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

}  // namespace

ResultStore::ResultStore(const QString& location, const QString& clientName)
    : path_(location), connection_(ConnectionTo(location, clientName)) {}

ResultStore::~ResultStore() = default;

QString ResultStore::DefaultPath() {
  return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) + QStringLiteral("/results.sqlite");
}

bool ResultStore::Fail(const QString& reason) {
  error_ = reason;
  connection_->NoteFailure();
  return false;
}

bool ResultStore::FailWith(const QSqlError& error) {
  unreachable_ = connection_->Unreachable(error);
  busy_ = connection_->Transient(error);
  return Fail(connection_->Describe(error));
}

ResultStore::Operation::Operation(ResultStore& store) : store_(store) {
  store_.connection_->BeginOperation();
  open_ = store_.OpenNow();
}

ResultStore::Operation::~Operation() { store_.connection_->EndOperation(); }

bool ResultStore::Open() { return bool(Operation(*this)); }

bool ResultStore::OpenNow() {
  error_.clear();
  unreachable_ = false;
  busy_ = false;
  if (state_ == State::Refused) return Fail(refusal_);
  if (state_ == State::Open) {
    if (connection_->StillThere()) return true;
    state_ = State::Closed;  // made afresh below
  }
  StoreFailure failure;
  if (!connection_->Open(failure)) {
    unreachable_ = failure.unreachable;
    if (failure.refused) {
      state_ = State::Refused;
      refusal_ = failure.reason;
    }
    return Fail(failure.reason);
  }
  state_ = State::Open;
  return true;
}

int ResultStore::SchemaVersion() {
  QSqlQuery q;
  if (!Operation(*this) || !Read(q, QLatin1String(WordsOf(connection_->Dialect()).readVersion)) || !q.next()) return -1;
  return q.value(0).toInt();
}

bool ResultStore::MayDelete() {
  QSqlQuery q;
  const Operation open(*this);
  return open && Read(q, QLatin1String(WordsOf(connection_->Dialect()).mayDelete)) && q.next() && q.value(0).toBool();
}

bool ResultStore::Read(QSqlQuery& query, const QString& statement, const QVariantList& values) {
  query = QSqlQuery(connection_->Database());
  // Rows are read once, in order: none is kept for going back.
  query.setForwardOnly(true);
  connection_->NextStatement();
  // Without values a read is sent as it is: one round trip to a server
  // instead of Qt's three (PREPARE, EXECUTE, DEALLOCATE).
  if (values.isEmpty()) return query.exec(statement) || FailWith(query.lastError());
  if (!query.prepare(statement)) return FailWith(query.lastError());
  for (const QVariant& value : values) query.addBindValue(value);
  if (!query.exec()) return FailWith(query.lastError());
  return true;
}

QString ResultStore::RunColumnList(const QString& prefix) const {
  return ColumnList<StoredRun>(ColumnsAt(RunColumns(), connection_->Version()), prefix);
}

std::vector<StoredRun> ResultStore::ReadRuns(const QString& where, const QVariantList& values, const QString& order) {
  return RunsOf(QStringLiteral("SELECT %1 FROM runs %2 %3").arg(RunColumnList(), where, order), values);
}

std::vector<StoredRun> ResultStore::RunsOf(const QString& statement, const QVariantList& values) {
  std::vector<StoredRun> runs;
  QSqlQuery q;
  if (!Read(q, statement, values)) return runs;
  const RowReader<StoredRun> reader(RunColumns(), q.record());
  while (q.next()) runs.push_back(reader.Read(q));
  return runs;
}

bool ResultStore::AttachTests(std::vector<StoredRun>& runs, const QString& condition) {
  if (runs.empty()) return true;
  QSqlQuery q;
  const std::vector<Column<StoredTest>> columns = ColumnsAt(TestColumns(), connection_->Version());
  if (!Read(q, QStringLiteral("SELECT run_id, %1 FROM tests WHERE %2").arg(ColumnList<StoredTest>(columns), condition))) {
    return false;
  }
  std::map<int64_t, StoredRun*> byId;
  for (StoredRun& run : runs) byId[run.id] = &run;
  const RowReader<StoredTest> reader(columns, q.record());
  const int runId = q.record().indexOf(QStringLiteral("run_id"));
  while (q.next()) {
    const auto run = byId.find(q.value(runId).toLongLong());
    if (run != byId.end()) run->second->tests.push_back(reader.Read(q));
  }
  for (StoredRun& run : runs) {
    std::stable_sort(run.tests.begin(), run.tests.end(), [](const StoredTest& a, const StoredTest& b) {
      return CatalogueIndex(a) < CatalogueIndex(b);
    });
  }
  return true;
}

bool ResultStore::Write(const std::function<QSqlError(Statements&)>& body) {
  const QSqlError error = InWriteTransaction(*connection_, body);
  return error.type() == QSqlError::NoError || FailWith(error);
}

QSqlError ResultStore::InsertRun(Statements& statements, const StoredRun& run) {
  QSqlError error;
  const int version = connection_->Version();
  QSqlQuery* q =
      statements.Prepare(InsertRunStatement(version) + QLatin1String(WordsOf(connection_->Dialect()).returningId), error);
  if (q == nullptr) return error;
  BindRun(*q, run, version);
  if (!q->exec()) return q->lastError();
  const bool returned = connection_->Dialect() == StoreDialect::Postgres;
  if (returned && !q->next()) {
    const QSqlError error = q->lastError();
    return error.type() != QSqlError::NoError ? error
                                              : QSqlError(QStringLiteral("the server gave no id for the new run"),
                                                          QString(), QSqlError::StatementError);
  }
  const int64_t id = returned ? q->value(0).toLongLong() : q->lastInsertId().toLongLong();
  q->finish();
  if (run.tests.empty()) return {};
  QSqlQuery* t = statements.Prepare(InsertTestStatement(version, static_cast<int>(run.tests.size())), error);
  if (t == nullptr) return error;
  for (const StoredTest& test : run.tests) BindTest(*t, id, test, version);
  return t->exec() ? QSqlError() : t->lastError();
}

bool ResultStore::Record(const StoredRun& run) {
  const Operation open(*this);
  if (!open) return false;
  return Write([&](Statements& s) { return InsertRun(s, run); });
}

bool ResultStore::InsertNew(const std::vector<StoredRun>& runs, const char* keyColumn, QString StoredRun::*key,
                            bool markSent, ImportCounts& counts) {
  counts = {};
  const Operation open(*this);
  if (!open) return false;
  const bool written = Write([&](Statements& s) {
    counts = {};  // a busy store's first try counted for nothing
    QSqlError error;
    QSqlQuery* known = s.Prepare(QStringLiteral("SELECT 1 FROM runs WHERE %1 = ?").arg(QLatin1String(keyColumn)), error);
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
      StoredRun kept = run;
      if (markSent) kept.sent = true;
      if (error = InsertRun(s, kept); error.type() != QSqlError::NoError) return error;
      ++counts.imported;
    }
    return QSqlError();
  });
  if (!written) counts = {};
  return written;
}

bool ResultStore::Adopt(const std::vector<StoredRun>& runs, ImportCounts& counts) {
  return InsertNew(runs, "uuid", &StoredRun::uuid, false, counts);
}

bool ResultStore::Import(const std::vector<StoredRun>& runs, ImportCounts& counts) {
  return InsertNew(runs, "sheet_key", &StoredRun::sheetKey, false, counts);
}

bool ResultStore::Receive(const std::vector<StoredRun>& runs, ReceiveCounts& counts) {
  counts = {};
  const Operation open(*this);
  if (!open) return false;
  // All at once first: one read for the runs the store has, then the
  // others. Only when one of them is refused for what it holds is the part
  // sent again one run at a time, each run undone alone.
  bool oneByOne = false;
  if (Write([&](Statements& s) { return ReceiveAtOnce(s, runs, counts, oneByOne); })) return true;
  counts = {};
  if (!oneByOne) return false;
  error_.clear();
  const bool written = Write([&](Statements& s) { return ReceiveOneByOne(s, runs, counts); });
  if (!written) counts = {};
  return written;
}

QSqlError ResultStore::ReceiveAtOnce(Statements& s, const std::vector<StoredRun>& runs, ReceiveCounts& counts,
                                     bool& oneByOne) {
  counts = {};  // a busy store's first try counted for nothing
  std::set<QString> present;
  if (QSqlError error = UuidsPresent(s, runs, present); error.type() != QSqlError::NoError) return error;
  for (const StoredRun& run : runs) {
    if (present.count(run.uuid) > 0) {
      counts.present.push_back(run.id);
      continue;
    }
    if (QSqlError error = InsertRun(s, AsReceived(run)); error.type() != QSqlError::NoError) {
      oneByOne = connection_->Classify(error) != StoreConnection::InsertFailure::Other;
      return error;
    }
    counts.received.push_back(run.id);
  }
  return {};
}

QSqlError ResultStore::ReceiveOneByOne(Statements& s, const std::vector<StoredRun>& runs, ReceiveCounts& counts) {
  counts = {};  // a busy store's first try counted for nothing
  std::set<QString> present;
  QSqlError error = UuidsPresent(s, runs, present);
  if (error.type() != QSqlError::NoError) return error;
  for (const StoredRun& run : runs) {
    if (present.count(run.uuid) > 0) {
      counts.present.push_back(run.id);
      continue;
    }
    // Each run on its own: one the store will not take is undone alone.
    if (error = s.Run(QStringLiteral("SAVEPOINT one_run")); error.type() != QSqlError::NoError) return error;
    const QSqlError inserted = InsertRun(s, AsReceived(run));
    if (inserted.type() == QSqlError::NoError) {
      if (error = s.Run(QStringLiteral("RELEASE SAVEPOINT one_run")); error.type() != QSqlError::NoError) return error;
      counts.received.push_back(run.id);
      continue;
    }
    if (error = s.Run(QStringLiteral("ROLLBACK TO SAVEPOINT one_run")); error.type() != QSqlError::NoError) {
      return error;
    }
    switch (connection_->Classify(inserted)) {
      case StoreConnection::InsertFailure::AlreadyThere: counts.present.push_back(run.id); break;
      case StoreConnection::InsertFailure::RefusedContent:
        counts.refused.emplace_back(run.id, connection_->Describe(inserted));
        break;
      case StoreConnection::InsertFailure::Other: return inserted;
    }
  }
  return {};
}

bool ResultStore::SetAside(const std::vector<std::pair<int64_t, QString>>& runs) {
  const Operation open(*this);
  if (!open) return false;
  if (runs.empty()) return true;
  return Write([&](Statements& s) {
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

std::vector<StoredRun> ResultStore::SetAsideRuns() {
  const Operation open(*this);
  if (!open) return {};
  return ReadRuns(QStringLiteral("WHERE sent = 2"), {}, kNewestFirst);
}

int ResultStore::RunCount(const RunFilter& filter) {
  QVariantList values;
  QSqlQuery q;
  const Operation open(*this);
  if (!open ||
      !Read(q, QStringLiteral("SELECT count(*) FROM runs ") + Where(filter, {}, values, connection_->Version()),
            values))
    return 0;
  return q.next() ? q.value(0).toInt() : 0;
}

std::vector<StoredRun> ResultStore::Runs(int limit, const RunFilter& filter, const std::optional<RunKey>& after) {
  const Operation open(*this);
  if (!open) return {};
  QVariantList values;
  const QString where = Where(filter, after, values, connection_->Version());
  values << limit;
  return ReadRuns(where, values, kNewestFirst + QStringLiteral(" LIMIT ?"));
}

StoredRun ResultStore::RunWithTests(int64_t id) {
  std::vector<StoredRun> runs = RunsWithTests({id});
  return runs.empty() ? StoredRun() : runs.front();
}

std::vector<StoredRun> ResultStore::RunsWithTests(const std::vector<int64_t>& ids) {
  const Operation open(*this);
  if (!open) return {};
  const QString list = IdList(ids);
  std::vector<StoredRun> runs =
      ReadRuns(ids.empty() ? QString() : QStringLiteral("WHERE id IN (%1)").arg(list), {}, kNewestFirst);
  if (!AttachTests(runs, ids.empty() ? QStringLiteral("1 = 1") : QStringLiteral("run_id IN (%1)").arg(list))) return {};
  return runs;
}

std::vector<StoredRun> ResultStore::RunsWithTests(const RunFilter& filter, int limit) {
  const Operation open(*this);
  if (!open) return {};
  QVariantList values;
  const QString where = Where(filter, {}, values, connection_->Version());
  values << limit;
  std::vector<StoredRun> runs = ReadRuns(where, values, kNewestFirst + QStringLiteral(" LIMIT ?"));
  std::vector<int64_t> ids;
  for (const StoredRun& run : runs) ids.push_back(run.id);
  if (!AttachTests(runs, QStringLiteral("run_id IN (%1)").arg(IdList(ids)))) return {};
  return runs;
}

std::vector<std::vector<StoredRun>> ResultStore::LatestSeries(const RunFilter& filter, int limit) {
  std::vector<int64_t> ids;
  {
    const Operation open(*this);
    if (!open) return {};
    QVariantList values;
    const QString where = Where(filter, {}, values, connection_->Version());
    values << limit;
    QSqlQuery q;
    // Numbered newest first within each machine and group; the first of each.
    const QString statement =
        QStringLiteral(
            "SELECT id FROM (SELECT id, sort_time, row_number() OVER (PARTITION BY %1, %2, group_name "
            "ORDER BY sort_time DESC, id DESC) AS place FROM runs %3) numbered "
            "WHERE place = 1 ORDER BY sort_time DESC, id DESC LIMIT ?")
            .arg(MachineName(connection_->Version()), kProcessorModel, where);
    if (!Read(q, statement, values)) return {};
    while (q.next()) ids.push_back(q.value(0).toLongLong());
  }
  return SeriesOf(ids);
}

std::vector<std::vector<StoredRun>> ResultStore::SeriesOf(const std::vector<int64_t>& ids) {
  std::vector<std::vector<StoredRun>> series(ids.size());
  if (ids.empty()) return series;
  const Operation open(*this);
  if (!open) return series;
  // The runs asked for and every run of their series, in one read (each
  // half answered by an index: the key, the series; the series' runs of
  // other groups are dropped below). By the series alone: joined on the
  // group too, SQLite would walk the group's index, every run of the group
  // once per run asked for.
  const QString list = IdList(ids);
  std::vector<StoredRun> runs = RunsOf(
      QStringLiteral("SELECT %1 FROM runs WHERE id IN (%2) UNION "
                     "SELECT %1 FROM runs WHERE series IN (SELECT series FROM runs WHERE id IN (%2)) ORDER BY id")
          .arg(RunColumnList(), list));
  std::vector<int64_t> found;
  for (const StoredRun& run : runs) found.push_back(run.id);
  if (!AttachTests(runs, QStringLiteral("run_id IN (%1)").arg(IdList(found)))) return series;
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

std::vector<StoredRun> ResultStore::Unsent(int limit) {
  const Operation open(*this);
  if (!open) return {};
  std::vector<StoredRun> runs =
      limit < 0 ? ReadRuns(QStringLiteral("WHERE sent = 0"), {}, QStringLiteral("ORDER BY id"))
                : ReadRuns(QStringLiteral("WHERE sent = 0"), {limit}, QStringLiteral("ORDER BY id LIMIT ?"));
  std::vector<int64_t> ids;
  for (const StoredRun& run : runs) ids.push_back(run.id);
  if (!AttachTests(runs, QStringLiteral("run_id IN (%1)").arg(IdList(ids)))) return {};
  return runs;
}

int ResultStore::UnsentCount() {
  QSqlQuery q;
  const Operation open(*this);
  if (!open || !Read(q, QStringLiteral("SELECT count(*) FROM runs WHERE sent = 0")) || !q.next()) return 0;
  return q.value(0).toInt();
}

bool ResultStore::MarkSent(const std::vector<int64_t>& ids) {
  const Operation open(*this);
  if (!open) return false;
  if (ids.empty()) return true;
  return Write([&](Statements& s) {
    return s.Run(QStringLiteral("UPDATE runs SET sent = 1 WHERE id IN (%1)").arg(IdList(ids)));
  });
}

bool ResultStore::Delete(const std::vector<int64_t>& ids) {
  const Operation open(*this);
  if (!open) return false;
  if (ids.empty()) return true;
  const QString list = IdList(ids);
  return Write([&](Statements& s) {
    QSqlError error = s.Run(QStringLiteral("DELETE FROM tests WHERE run_id IN (%1)").arg(list));
    if (error.type() == QSqlError::NoError) error = s.Run(QStringLiteral("DELETE FROM runs WHERE id IN (%1)").arg(list));
    return error;
  });
}

}  // namespace torvik
