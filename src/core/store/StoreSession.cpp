#include "core/store/StoreSession.h"

#include <QSqlRecord>
#include <algorithm>
#include <map>

#include "core/records/StoreLocation.h"
#include "core/store/FileConnection.h"
#include "core/store/RunColumns.h"
#include "core/store/RunQuery.h"
#include "core/store/ServerConnection.h"

namespace torvik {
namespace {

// The one place the kind of store is chosen: a server for a
// "postgresql://" URL, else a SQLite file at that path.
std::unique_ptr<StoreConnection> ConnectionTo(const QString& location, const QString& clientName) {
  if (IsServerUrl(location)) return std::make_unique<ServerConnection>(location, clientName);
  return std::make_unique<FileConnection>(location);
}

// The catalogue's order, tests it does not know last.
size_t CatalogueIndex(const StoredTest& test) {
  const std::optional<Test> known = TestOfId(test.test);
  return known ? static_cast<size_t>(*known) : kTestCount;
}

}  // namespace

StoreSession::StoreSession(const QString& location, const QString& clientName)
    : path_(location), connection_(ConnectionTo(location, clientName)) {}

StoreSession::Operation::Operation(StoreSession& session) : session_(session) {
  session_.connection_->BeginOperation();
  status_ = session_.OpenNow();
}

StoreSession::Operation::~Operation() { session_.connection_->EndOperation(); }

ArchiveStatus StoreSession::Failure(FailureKind kind, const QString& text) {
  connection_->NoteFailure();
  return ArchiveStatus::Failure(kind, text);
}

ArchiveStatus StoreSession::Failure(const QSqlError& error) {
  return Failure(connection_->KindOf(error), connection_->Describe(error));
}

ArchiveStatus StoreSession::OpenNow() {
  if (state_ == State::Refused) return Failure(refusal_.Kind(), refusal_.Text());
  if (state_ == State::Open) {
    if (connection_->StillThere()) return {};
    state_ = State::Closed;  // made afresh below
  }
  StoreFailure failure;
  if (!connection_->Open(failure)) {
    const ArchiveStatus status = Failure(connection_->KindOf(failure), failure.reason);
    if (failure.refused) {
      state_ = State::Refused;
      refusal_ = status;
    }
    return status;
  }
  state_ = State::Open;
  return {};
}

ArchiveStatus StoreSession::Read(QSqlQuery& query, const QString& statement, const QVariantList& values) {
  query = QSqlQuery(connection_->Database());
  // Rows are read once, in order: none is kept for going back.
  query.setForwardOnly(true);
  connection_->NextStatement();
  // Without values a read is sent as it is: one round trip to a server
  // instead of Qt's three (PREPARE, EXECUTE, DEALLOCATE).
  if (values.isEmpty()) return query.exec(statement) ? ArchiveStatus() : Failure(query.lastError());
  if (!query.prepare(statement)) return Failure(query.lastError());
  for (const QVariant& value : values) query.addBindValue(value);
  return query.exec() ? ArchiveStatus() : Failure(query.lastError());
}

QString StoreSession::RunColumnList(const QString& prefix) const {
  return ColumnList<StoredRun>(ColumnsAt(RunColumns(), connection_->Version()), prefix);
}

ArchiveResult<std::vector<StoredRun>> StoreSession::RunsOf(const QString& statement, const QVariantList& values) {
  QSqlQuery q;
  if (ArchiveStatus read = Read(q, statement, values); !read.Ok()) return read;
  std::vector<StoredRun> runs;
  const RowReader<StoredRun> reader(RunColumns(), q.record());
  while (q.next()) runs.push_back(reader.Read(q));
  return runs;
}

QString StoreSession::AmongIds(const char* column, const std::vector<int64_t>& ids, QVariantList& values) const {
  if (Dialect() != StoreDialect::Postgres) return QStringLiteral("%1 IN (%2)").arg(QLatin1String(column), IdList(ids));
  values << QStringLiteral("{%1}").arg(IdList(ids));
  return QStringLiteral("%1 = ANY(CAST(? AS BIGINT[]))").arg(QLatin1String(column));
}

ArchiveStatus StoreSession::AttachTests(std::vector<StoredRun>& runs, const QString& condition,
                                        const QVariantList& values) {
  if (runs.empty()) return {};
  QSqlQuery q;
  const std::vector<Column<StoredTest>> columns = ColumnsAt(TestColumns(), connection_->Version());
  const QString statement =
      QStringLiteral("SELECT run_id, %1 FROM tests WHERE %2").arg(ColumnList<StoredTest>(columns), condition);
  if (ArchiveStatus read = Read(q, statement, values); !read.Ok()) return read;
  std::map<int64_t, StoredRun*> byId;
  for (StoredRun& run : runs) byId[run.id] = &run;
  const RowReader<StoredTest> reader(columns, q.record());
  const int runId = q.record().indexOf(QStringLiteral("run_id"));
  while (q.next()) {
    const auto run = byId.find(q.value(runId).toLongLong());
    if (run != byId.end()) run->second->tests.push_back(reader.Read(q));
  }
  for (StoredRun& run : runs) {
    std::stable_sort(run.tests.begin(), run.tests.end(),
                     [](const StoredTest& a, const StoredTest& b) { return CatalogueIndex(a) < CatalogueIndex(b); });
  }
  return {};
}

ArchiveStatus StoreSession::Write(const std::function<QSqlError(Statements&)>& body) {
  const QSqlError error = InWriteTransaction(*connection_, body);
  return error.type() == QSqlError::NoError ? ArchiveStatus() : Failure(error);
}

QSqlError StoreSession::InsertRun(Statements& statements, const StoredRun& run) {
  QSqlError error;
  const int version = connection_->Version();
  QSqlQuery* q = statements.Prepare(
      InsertRunStatement(version) + QLatin1String(WordsOf(connection_->Dialect()).returningId), error);
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

}  // namespace torvik
