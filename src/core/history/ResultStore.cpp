#include "core/history/ResultStore.h"

#include <unistd.h>

#include <QDir>
#include <QFileInfo>
#include <QIODevice>
#include <QScopeGuard>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QUuid>
#include <QVariant>
#include <atomic>

#include "core/base/IsoDateTime.h"
#include "core/history/SheetParser.h"
#include "core/history/StoreLocation.h"
#include "platform/PlainFiles.h"

namespace torvik {
namespace {

// One statement of a schema step: the same in both dialects (the server's
// types mapped by ForDialect), or written for each where they differ.
struct StepStatement {
  StepStatement(const char* both) : sqlite(both) {}  // implicit: a step lists plain statements
  StepStatement(const char* sqlite, const char* postgres) : sqlite(sqlite), postgres(postgres) {}
  QString For(StoreDialect dialect) const {
    if (dialect == StoreDialect::Postgres && postgres != nullptr) return QLatin1String(postgres);
    return ForDialect(sqlite, dialect);
  }
  const char* sqlite;
  const char* postgres = nullptr;
};

// Step n takes the schema from version n - 1 to n. Never edit a step that
// has shipped: add the next one.
const std::vector<std::vector<StepStatement>> kSteps = {
    // 1: the runs and their tests.
    {"CREATE TABLE runs ("
     " id INTEGER PRIMARY KEY,"
     " started TEXT NOT NULL,"
     " sort_time INTEGER NOT NULL,"
     " group_name TEXT NOT NULL,"
     " stopped INTEGER NOT NULL,"
     " bench_no INTEGER,"
     " total_tenths INTEGER NOT NULL,"
     " total_seconds REAL,"
     " user_name TEXT NOT NULL, pc_name TEXT NOT NULL,"
     " os TEXT NOT NULL, processor TEXT NOT NULL, caches TEXT NOT NULL,"
     " memory TEXT NOT NULL, display TEXT NOT NULL, test_directory TEXT NOT NULL,"
     " origin TEXT NOT NULL)",
     "CREATE TABLE tests ("
     " run_id INTEGER NOT NULL REFERENCES runs(id) ON DELETE CASCADE,"
     " test TEXT NOT NULL,"
     " tenths INTEGER NOT NULL,"
     " seconds REAL, rate REAL, unit TEXT NOT NULL,"
     " PRIMARY KEY (run_id, test))",
     "CREATE INDEX runs_by_time ON runs(sort_time DESC, id DESC)"},
    // 2: an imported block's key (date, bench number, PC name), so that it
    // is imported once.
    {"ALTER TABLE runs ADD COLUMN sheet_key TEXT", "CREATE UNIQUE INDEX runs_by_sheet_key ON runs(sheet_key)"},
    // 3: the Qt platform a run's figures were measured on (null for a sheet).
    {"ALTER TABLE runs ADD COLUMN platform TEXT"},
    // 4: the facts as values beside their texts (filled for the runs kept
    // so far by ConvertFactsToValues), the series of a command's
    // repetitions, and the machine's noise around each test.
    {"ALTER TABLE runs ADD COLUMN started_at TEXT",
     "ALTER TABLE runs ADD COLUMN processor_name TEXT",
     "ALTER TABLE runs ADD COLUMN clock_mhz REAL",
     "ALTER TABLE runs ADD COLUMN memory_mb INTEGER",
     "ALTER TABLE runs ADD COLUMN l1_data_kb INTEGER",
     "ALTER TABLE runs ADD COLUMN l1_instruction_kb INTEGER",
     "ALTER TABLE runs ADD COLUMN l2_kb INTEGER",
     "ALTER TABLE runs ADD COLUMN l2_line_bytes INTEGER",
     "ALTER TABLE runs ADD COLUMN l2_ways INTEGER",
     "ALTER TABLE runs ADD COLUMN screen_width INTEGER",
     "ALTER TABLE runs ADD COLUMN screen_height INTEGER",
     "ALTER TABLE runs ADD COLUMN screen_depth INTEGER",
     "ALTER TABLE runs ADD COLUMN display_adapter TEXT",
     "ALTER TABLE runs ADD COLUMN series TEXT",
     "CREATE INDEX runs_by_series ON runs(series)",
     "ALTER TABLE tests ADD COLUMN noise_seconds REAL",
     "ALTER TABLE tests ADD COLUMN others_core_seconds REAL",
     "ALTER TABLE tests ADD COLUMN clock_min_mhz INTEGER",
     "ALTER TABLE tests ADD COLUMN clock_max_mhz INTEGER",
     "ALTER TABLE tests ADD COLUMN governor TEXT",
     "ALTER TABLE tests ADD COLUMN hypervisor INTEGER",
     "ALTER TABLE tests ADD COLUMN load_average REAL"},
    // 5: a run's identity everywhere (made when it is first kept) and,
    // locally, whether it has reached the shared store (0: waiting; null:
    // kept before there was one, never sent).
    {"ALTER TABLE runs ADD COLUMN uuid TEXT", "CREATE UNIQUE INDEX runs_by_uuid ON runs(uuid)",
     "ALTER TABLE runs ADD COLUMN sent INTEGER"},
    // 6: the instant a run started in each dialect's own terms, for SQL of
    // one's own: the server's timestamptz, ISO 8601 text in UTC locally.
    // Worked out from sort_time, never written (started_at keeps the
    // machine's own offset, which a timestamptz would lose).
    {StepStatement{"ALTER TABLE runs ADD COLUMN started_utc TEXT GENERATED ALWAYS AS "
                   "(strftime('%Y-%m-%dT%H:%M:%SZ', sort_time, 'unixepoch')) VIRTUAL",
                   "ALTER TABLE runs ADD COLUMN started_utc TIMESTAMPTZ GENERATED ALWAYS AS "
                   "(to_timestamp(sort_time)) STORED"}},
};
static_assert(kStoreSchemaVersion == 6);
constexpr int kValuesStep = 4;

const char* const kRunColumns =
    "id, started, sort_time, group_name, stopped, bench_no, total_tenths, total_seconds, user_name, pc_name, os, "
    "processor, caches, memory, display, test_directory, origin, sheet_key, platform, series, started_at, "
    "processor_name, clock_mhz, memory_mb, l1_data_kb, l1_instruction_kb, l2_kb, l2_line_bytes, l2_ways, "
    "screen_width, screen_height, screen_depth, display_adapter, uuid, sent";
const char* const kValueColumns =
    "started_at, processor_name, clock_mhz, memory_mb, l1_data_kb, l1_instruction_kb, l2_kb, l2_line_bytes, "
    "l2_ways, screen_width, screen_height, screen_depth, display_adapter";
const char* const kNoiseColumns =
    "noise_seconds, others_core_seconds, clock_min_mhz, clock_max_mhz, governor, hypervisor, load_average";

template <typename T>
QVariant Optional(const std::optional<T>& value) {
  return value ? QVariant::fromValue(*value) : QVariant();
}
template <typename T>
std::optional<T> OptionalOf(const QVariant& value) {
  return value.isNull() ? std::nullopt : std::optional<T>(value.value<T>());
}
QVariant OrNull(const QString& text) { return text.isEmpty() ? QVariant() : QVariant(text); }

// The facts as values, in kValueColumns' order.
std::vector<QVariant> ValueFields(const FactValues& v) {
  return {OrNull(v.startedAt),     OrNull(v.processorName),     Optional(v.clockMhz),     Optional(v.memoryMb),
          Optional(v.l1DataKb),    Optional(v.l1InstructionKb), Optional(v.l2Kb),         Optional(v.l2LineBytes),
          Optional(v.l2Ways),      Optional(v.screenWidth),     Optional(v.screenHeight), Optional(v.screenDepth),
          OrNull(v.displayAdapter)};
}

// A test's noise, in kNoiseColumns' order.
std::vector<QVariant> NoiseFields(const std::optional<TestNoise>& noise) {
  if (!noise) return std::vector<QVariant>(7);
  return {noise->seconds,
          Optional(noise->othersCoreSeconds),
          Optional(noise->clockMinMhz),
          Optional(noise->clockMaxMhz),
          OrNull(noise->governor),
          QVariant(noise->hypervisor ? 1 : 0),
          Optional(noise->loadAverage)};
}

// Text columns are never null: an empty text is stored as such.
QVariant Text(const QString& text) { return QVariant(text.isNull() ? QStringLiteral("") : text); }

StoredRun RunOf(const QSqlQuery& q) {
  StoredRun run;
  run.id = q.value(0).toLongLong();
  run.started = q.value(1).toString();
  run.sortTime = q.value(2).toLongLong();
  run.group = q.value(3).toString();
  run.stopped = q.value(4).toInt() != 0;
  if (!q.value(5).isNull()) run.benchNo = q.value(5).toInt();
  run.totalTenths = q.value(6).toLongLong();
  if (!q.value(7).isNull()) run.totalSeconds = q.value(7).toDouble();
  run.userName = q.value(8).toString();
  run.pcName = q.value(9).toString();
  run.os = q.value(10).toString();
  run.processor = q.value(11).toString();
  run.caches = q.value(12).toString();
  run.memory = q.value(13).toString();
  run.display = q.value(14).toString();
  run.testDirectory = q.value(15).toString();
  run.origin = q.value(16).toString();
  run.sheetKey = q.value(17).toString();
  run.platform = q.value(18).toString();
  run.series = q.value(19).toString();
  FactValues& v = run.values;
  v.startedAt = q.value(20).toString();
  v.processorName = q.value(21).toString();
  v.clockMhz = OptionalOf<double>(q.value(22));
  v.memoryMb = OptionalOf<qlonglong>(q.value(23));
  std::optional<int>* counts[] = {&v.l1DataKb, &v.l1InstructionKb, &v.l2Kb,         &v.l2LineBytes,
                                  &v.l2Ways,   &v.screenWidth,     &v.screenHeight, &v.screenDepth};
  for (int i = 0; i < 8; ++i) *counts[i] = OptionalOf<int>(q.value(24 + i));
  v.displayAdapter = q.value(32).toString();
  run.uuid = q.value(33).toString();
  run.sent = q.value(34).isNull() || q.value(34).toInt() != 0;
  return run;
}

// Step 4 for the runs kept before it: their facts read from their texts.
QSqlError ConvertFactsToValues(QSqlDatabase& db) {
  QSqlQuery read(db);
  if (!read.exec(QStringLiteral("SELECT id, started, processor, caches, memory, display FROM runs"))) {
    return read.lastError();
  }
  std::vector<std::pair<qlonglong, FactValues>> converted;
  while (read.next()) {
    const FactTexts texts{read.value(1).toString(), read.value(2).toString(), read.value(3).toString(),
                          read.value(4).toString(), read.value(5).toString()};
    converted.emplace_back(read.value(0).toLongLong(), ValuesFromText(texts));
  }
  read.finish();
  QSqlQuery write(db);
  write.prepare(QStringLiteral("UPDATE runs SET (%1) = (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?) WHERE id = ?")
                    .arg(QLatin1String(kValueColumns)));
  for (const auto& [id, values] : converted) {
    for (const QVariant& field : ValueFields(values)) write.addBindValue(field);
    write.addBindValue(id);
    if (!write.exec()) return write.lastError();
  }
  return {};
}

QString IdList(const std::vector<int64_t>& ids) {
  QStringList list;
  for (int64_t id : ids) list << QString::number(id);
  return list.join(u',');
}

// RFC 4180 quoting; a text that a spreadsheet would take for a formula
// (=, +, -, @, a tab or a carriage return first) starts with an apostrophe,
// which spreadsheets hide and honour.
QString CsvField(QString text, bool isText) {
  static const QString kFormulaStarts = QStringLiteral("=+-@\t\r");
  if (isText && !text.isEmpty() && kFormulaStarts.contains(text.front())) text.prepend(u'\'');
  if (!text.contains(u',') && !text.contains(u'"') && !text.contains(u'\n') && !text.contains(u'\r')) return text;
  return u'"' + text.replace(QStringLiteral("\""), QStringLiteral("\"\"")) + u'"';
}

constexpr int kBusyTimeoutMs = 5'000;
constexpr int kWriteAttempts = 3;

// Another copy holds the store just now: SQLite's "busy" and "locked", the
// server's serialization failure, deadlock and lock not available.
bool Transient(const QSqlError& error, StoreDialect dialect) {
  if (dialect == StoreDialect::Postgres) {
    // 23505: another machine sent the same run at the same moment; tried
    // again, it is found sent.
    const QString state = error.nativeErrorCode();
    return state == u"40001" || state == u"40P01" || state == u"55P03" || state == u"23505";
  }
  const int code = error.nativeErrorCode().toInt() & 0xff;
  return code == 5 || code == 6;
}

// The server's schema version row, and the lock that lets one copy at a
// time create or upgrade the schema there.
constexpr char kServerVersionTable[] = "torvik_schema";
constexpr qlonglong kSchemaLockKey = 0x544f52564b;  // "TORVK"

// The names of a table's columns.
QStringList ColumnsOf(QSqlDatabase& db, StoreDialect dialect, const char* table) {
  QSqlQuery q(db);
  QStringList found;
  if (dialect == StoreDialect::Postgres) {
    q.prepare(
        QStringLiteral("SELECT column_name FROM information_schema.columns "
                       "WHERE table_schema = current_schema() AND table_name = ?"));
    q.addBindValue(QLatin1String(table));
    if (!q.exec()) return found;
    while (q.next()) found << q.value(0).toString();
    return found;
  }
  if (!q.exec(QStringLiteral("PRAGMA table_info(%1)").arg(QLatin1String(table)))) return found;
  while (q.next()) found << q.value(1).toString();
  return found;
}

// The tables and columns only TORVIK's store has.
bool HasTorvikTables(QSqlDatabase& db, StoreDialect dialect) {
  const std::pair<const char*, QStringList> expected[] = {
      {"runs", {"id", "started", "sort_time", "group_name", "total_tenths", "origin"}},
      {"tests", {"run_id", "test", "tenths", "seconds", "rate", "unit"}},
  };
  for (const auto& [table, columns] : expected) {
    const QStringList found = ColumnsOf(db, dialect, table);
    for (const QString& column : columns) {
      if (!found.contains(column)) return false;
    }
  }
  return true;
}

QString Number(const std::optional<double>& value) { return value ? QString::number(*value, 'g', 12) : QString(); }

}  // namespace

ResultStore::ResultStore(const QString& path)
    : path_(path),
      shown_(ShownLocation(path)),
      dialect_(IsServerUrl(path) ? StoreDialect::Postgres : StoreDialect::Sqlite) {
  static std::atomic<int> connections{0};
  connection_ = QStringLiteral("torvik-results-%1").arg(++connections);
}

ResultStore::~ResultStore() {
  if (QSqlDatabase::contains(connection_)) {
    QSqlDatabase::database(connection_, false).close();
    QSqlDatabase::removeDatabase(connection_);
  }
}

QString ResultStore::DefaultPath() {
  return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) + QStringLiteral("/results.sqlite");
}

bool ResultStore::Fail(const QString& reason) {
  error_ = reason;
  askServer_ = dialect_ == StoreDialect::Postgres;
  return false;
}

bool ResultStore::ConnectionLost() {
  // Long enough that a window reading many runs asks once; short enough
  // that a send after a group always asks.
  constexpr qint64 kIdleMs = 5'000;
  if (dialect_ != StoreDialect::Postgres) return false;
  const bool ask = askServer_ || !lastUse_.isValid() || lastUse_.hasExpired(kIdleMs);
  askServer_ = false;
  lastUse_.restart();
  if (!ask) return false;
  QSqlQuery ping(QSqlDatabase::database(connection_));
  if (ping.exec(QStringLiteral("SELECT 1"))) return false;
  state_ = State::Closed;
  return true;
}

bool ResultStore::Refuse(const QString& reason) {
  state_ = State::Refused;
  return Fail(reason);
}

bool ResultStore::Open() {
  if (state_ == State::Open && !ConnectionLost()) return true;
  if (state_ == State::Refused) return false;
  if (dialect_ == StoreDialect::Postgres) return OpenServer();
  if (!QSqlDatabase::isDriverAvailable(QStringLiteral("QSQLITE"))) {
    return Fail(QStringLiteral("Qt's SQLite driver is not installed (Debian: libqt6sql6-sqlite)"));
  }
  const std::string name = QFile::encodeName(path_).toStdString();
  if (platform::IsSymbolicLink(name)) {
    return Refuse(QStringLiteral("%1 is a symbolic link, not TORVIK's results store").arg(shown_));
  }
  switch (platform::KindOf(name)) {
    case platform::FileKind::Missing:
      if (!Create()) return false;
      break;
    case platform::FileKind::Regular: break;
    case platform::FileKind::Directory:
    case platform::FileKind::Special: return Refuse(QStringLiteral("%1 is not a file").arg(shown_));
  }
  if (QFileInfo(path_).size() == 0) {
    return Refuse(QStringLiteral("%1 is an empty file, not TORVIK's results store").arg(shown_));
  }
  if (QSqlDatabase::contains(connection_)) QSqlDatabase::removeDatabase(connection_);
  QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection_);
  db.setDatabaseName(path_);
  db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(kBusyTimeoutMs));
  if (!db.open()) return Fail(db.lastError().text());
  if (!Recognise()) {
    db.close();
    return false;
  }
  QSqlQuery q(db);
  q.exec(QStringLiteral("PRAGMA foreign_keys=ON"));  // the server always keeps its references
  state_ = State::Open;
  return true;
}

bool ResultStore::OpenServer() {
  if (!QSqlDatabase::isDriverAvailable(QStringLiteral("QPSQL"))) {
    return Fail(QStringLiteral("Qt's PostgreSQL driver is not installed (Debian: libqt6sql6-psql)"));
  }
  const ServerAddress address = ParseServerUrl(path_);
  if (!address.error.isEmpty()) return Refuse(address.error);
  if (QSqlDatabase::contains(connection_)) QSqlDatabase::removeDatabase(connection_);
  QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), connection_);
  db.setHostName(address.host);
  if (address.port > 0) db.setPort(address.port);
  db.setUserName(address.user);
  db.setPassword(address.password);
  db.setDatabaseName(address.database);
  db.setConnectOptions(address.options);
  // Not kept: a server that could not be reached is tried again next time.
  if (!db.open()) return Fail(QStringLiteral("%1: %2").arg(shown_, db.lastError().text().simplified()));
  if (!RecogniseServer()) {
    db.close();
    return false;
  }
  state_ = State::Open;
  askServer_ = false;
  lastUse_.restart();
  return true;
}

// Under the server's advisory lock, so that many machines starting at once
// create or upgrade the schema once: an empty database gets every step, an
// older schema the steps it lacks; a newer or foreign one is refused
// untouched (the transaction is rolled back).
bool ResultStore::RecogniseServer() {
  QString refusal;
  const bool done = Write([&](QSqlDatabase& db) -> QSqlError {
    const QSqlError abort(QStringLiteral("refused"), QString(), QSqlError::UnknownError);
    QSqlQuery q(db);
    if (!q.exec(QStringLiteral("SELECT pg_advisory_xact_lock(%1)").arg(kSchemaLockKey))) return q.lastError();
    const bool versioned = !ColumnsOf(db, dialect_, kServerVersionTable).isEmpty();
    if (!versioned) {
      if (!ColumnsOf(db, dialect_, "runs").isEmpty() || !ColumnsOf(db, dialect_, "tests").isEmpty()) {
        refusal = QStringLiteral("%1 is not TORVIK's results store (its tables are another program's)").arg(shown_);
        return abort;
      }
      for (const std::vector<StepStatement>& step : kSteps) {
        for (const StepStatement& statement : step) {
          if (!q.exec(statement.For(dialect_))) return q.lastError();
        }
      }
      if (!q.exec(QStringLiteral("CREATE TABLE %1 (version INTEGER NOT NULL)").arg(kServerVersionTable)) ||
          !q.exec(QStringLiteral("INSERT INTO %1 VALUES (%2)").arg(kServerVersionTable).arg(kStoreSchemaVersion))) {
        return q.lastError();
      }
      return {};
    }
    if (!q.exec(QStringLiteral("SELECT version FROM %1").arg(kServerVersionTable)) || !q.next()) {
      refusal = QStringLiteral("%1 is not TORVIK's results store (no schema version)").arg(shown_);
      return abort;
    }
    const int version = q.value(0).toInt();
    q.finish();
    if (version > kStoreSchemaVersion) {
      refusal = QStringLiteral("%1 was written by a newer TORVIK (schema %2; this one knows %3)")
                    .arg(shown_)
                    .arg(version)
                    .arg(kStoreSchemaVersion);
      return abort;
    }
    if (version < 1 || !HasTorvikTables(db, dialect_)) {
      refusal = QStringLiteral("%1 is not TORVIK's results store (schema %2)").arg(shown_).arg(version);
      return abort;
    }
    return UpgradeSteps(db, version);
  });
  if (!refusal.isEmpty()) return Refuse(refusal);
  return done;
}

QSqlError ResultStore::UpgradeSteps(QSqlDatabase& db, int from) {
  QSqlQuery q(db);
  for (int step = from + 1; step <= kStoreSchemaVersion; ++step) {
    for (const StepStatement& statement : kSteps[step - 1]) {
      if (!q.exec(statement.For(dialect_))) return q.lastError();
    }
    if (step == kValuesStep) {
      if (const QSqlError error = ConvertFactsToValues(db); error.type() != QSqlError::NoError) return error;
    }
  }
  if (from == kStoreSchemaVersion) return {};
  const QString update = dialect_ == StoreDialect::Postgres
                             ? QStringLiteral("UPDATE %1 SET version = %2").arg(kServerVersionTable)
                             : QStringLiteral("PRAGMA user_version = %2");
  if (!q.exec(update.arg(kStoreSchemaVersion))) return q.lastError();
  return {};
}

bool ResultStore::Create() {
  const QFileInfo file(path_);
  if (!QDir().mkpath(file.absolutePath()))
    return Fail(QStringLiteral("cannot make the folder %1").arg(file.absolutePath()));
  static std::atomic<int> builds{0};
  const QString temporary = QStringLiteral("%1.new-%2-%3").arg(shown_).arg(getpid()).arg(++builds);
  const QString builder = connection_ + QStringLiteral("-new");
  QString reason;
  {
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), builder);
    db.setDatabaseName(temporary);
    if (!db.open()) {
      reason = db.lastError().text();
    } else {
      QSqlQuery q(db);
      for (const std::vector<StepStatement>& step : kSteps) {
        for (const StepStatement& statement : step) {
          if (reason.isEmpty() && !q.exec(statement.For(StoreDialect::Sqlite))) reason = q.lastError().text();
        }
      }
      for (const QString& pragma : {QStringLiteral("PRAGMA user_version = %1").arg(kStoreSchemaVersion),
                                    QStringLiteral("PRAGMA journal_mode=WAL")}) {
        if (reason.isEmpty() && !q.exec(pragma)) reason = q.lastError().text();
      }
      q.finish();
      db.close();
    }
  }
  QSqlDatabase::removeDatabase(builder);
  const std::string made = QFile::encodeName(temporary).toStdString();
  if (!reason.isEmpty()) {
    unlink(made.c_str());
    return Fail(QStringLiteral("%1: %2").arg(temporary, reason));
  }
  // Another copy that made the store first wins; its store is as good.
  const int error = platform::PublishNewFile(made, QFile::encodeName(path_).toStdString());
  if (error != 0 && error != EEXIST) return Fail(QStringLiteral("%1: %2").arg(shown_, qt_error_string(error)));
  return true;
}

bool ResultStore::Recognise() {
  QSqlDatabase db = QSqlDatabase::database(connection_);
  int version = 0;
  {
    // Read before anything is written: a foreign or damaged file fails here, untouched.
    QSqlQuery q(db);
    if (!q.exec(QStringLiteral("PRAGMA user_version")) || !q.next()) {
      const QSqlError error = q.lastError();
      return Transient(error, dialect_) ? Fail(QStringLiteral("%1: %2").arg(shown_, error.text()))
                                        : Refuse(QStringLiteral("%1: %2").arg(shown_, error.text()));
    }
    version = q.value(0).toInt();
  }
  if (version > kStoreSchemaVersion) {
    return Refuse(QStringLiteral("%1 was written by a newer TORVIK (schema %2; this one knows %3)")
                      .arg(shown_)
                      .arg(version)
                      .arg(kStoreSchemaVersion));
  }
  if (version < 1 || !HasTorvikTables(db, dialect_)) {
    return Refuse(QStringLiteral("%1 is not TORVIK's results store (schema %2)").arg(shown_).arg(version));
  }
  if (version == kStoreSchemaVersion) return true;
  // Upgraded once, by whichever copy takes the write lock first.
  return Write([&](QSqlDatabase& locked) {
    QSqlQuery q(locked);
    if (!q.exec(QStringLiteral("PRAGMA user_version")) || !q.next()) return q.lastError();
    const int now = q.value(0).toInt();
    q.finish();
    return UpgradeSteps(locked, now);
  });
}

bool ResultStore::Write(const std::function<QSqlError(QSqlDatabase&)>& body) {
  QSqlDatabase db = QSqlDatabase::database(connection_);
  QSqlError error;
  for (int attempt = 0; attempt < kWriteAttempts; ++attempt) {
    QSqlQuery control(db);
    const auto ended = qScopeGuard([this] { prepared_.clear(); });  // after COMMIT or ROLLBACK
    // The write lock at once: a transaction that only upgraded from a read
    // lock later could fail at once against another copy's write.
    if (!control.exec(dialect_ == StoreDialect::Postgres ? QStringLiteral("BEGIN")
                                                         : QStringLiteral("BEGIN IMMEDIATE"))) {
      error = control.lastError();
      if (Transient(error, dialect_)) continue;
      break;
    }
    error = body(db);
    if (error.type() == QSqlError::NoError) {
      if (control.exec(QStringLiteral("COMMIT"))) return true;
      error = control.lastError();
    }
    control.exec(QStringLiteral("ROLLBACK"));
    if (!Transient(error, dialect_)) break;
  }
  return Fail(QStringLiteral("%1: %2").arg(shown_, error.text().simplified()));
}

int ResultStore::SchemaVersion() {
  if (!Open()) return -1;
  QSqlQuery q(QSqlDatabase::database(connection_));
  const QString version = dialect_ == StoreDialect::Postgres
                              ? QStringLiteral("SELECT version FROM %1").arg(kServerVersionTable)
                              : QStringLiteral("PRAGMA user_version");
  return q.exec(version) && q.next() ? q.value(0).toInt() : -1;
}

QSqlQuery& ResultStore::Prepared(QSqlDatabase& db, const QString& statement) {
  QSqlQuery& q = prepared_.emplace_back(db);
  q.prepare(statement);
  return q;
}

QSqlError ResultStore::InsertRun(QSqlDatabase& db, const StoredRun& run) {
  QSqlQuery& q = Prepared(
      db, QStringLiteral("INSERT INTO runs (started, sort_time, group_name, stopped, bench_no, total_tenths, "
                         "total_seconds, user_name, pc_name, os, processor, caches, memory, display, test_directory, "
                         "origin, sheet_key, platform, series, uuid, sent, %1) VALUES (%2?)")
                  .arg(QLatin1String(kValueColumns), QStringLiteral("?, ").repeated(21 + 12)) +
              (dialect_ == StoreDialect::Postgres ? QStringLiteral(" RETURNING id") : QString()));
  for (const QVariant& value :
       {Text(run.started),
        QVariant(qlonglong(run.sortTime)),
        Text(run.group),
        QVariant(run.stopped ? 1 : 0),
        Optional(run.benchNo),
        QVariant(qlonglong(run.totalTenths)),
        Optional(run.totalSeconds),
        Text(run.userName),
        Text(run.pcName),
        Text(run.os),
        Text(run.processor),
        Text(run.caches),
        Text(run.memory),
        Text(run.display),
        Text(run.testDirectory),
        Text(run.origin),
        OrNull(run.sheetKey),
        OrNull(run.platform),
        OrNull(run.series),
        run.uuid.isEmpty() ? QVariant(QUuid::createUuid().toString(QUuid::WithoutBraces)) : QVariant(run.uuid),
        QVariant(run.sent ? 1 : 0)}) {
    q.addBindValue(value);
  }
  // The values follow from the texts, for a run and an imported sheet alike.
  for (const QVariant& value : ValueFields(ValuesFromText(run.Texts()))) q.addBindValue(value);
  if (!q.exec()) return q.lastError();
  const qlonglong id =
      dialect_ == StoreDialect::Postgres ? (q.next() ? q.value(0).toLongLong() : 0) : q.lastInsertId().toLongLong();
  q.finish();
  QSqlQuery& t = Prepared(db, QStringLiteral("INSERT INTO tests (run_id, test, tenths, seconds, rate, unit, %1) "
                                             "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)")
                                  .arg(QLatin1String(kNoiseColumns)));
  for (const StoredTest& test : run.tests) {
    t.addBindValue(id);
    t.addBindValue(test.test);
    t.addBindValue(qlonglong(test.tenths));
    t.addBindValue(Optional(test.seconds));
    t.addBindValue(Optional(test.rate));
    t.addBindValue(Text(test.unit));
    for (const QVariant& value : NoiseFields(test.noise)) t.addBindValue(value);
    if (!t.exec()) return t.lastError();
  }
  return {};
}

bool ResultStore::Record(const StoredRun& run) {
  if (!Open()) return false;
  return Write([&](QSqlDatabase& db) { return InsertRun(db, run); });
}

bool ResultStore::InsertNew(const std::vector<StoredRun>& runs, const char* keyColumn, QString StoredRun::*key,
                            bool markSent, ImportCounts& counts) {
  counts = {};
  if (!Open()) return false;
  const bool written = Write([&](QSqlDatabase& db) {
    counts = {};  // a busy store's first try counted for nothing
    QSqlQuery& known = Prepared(db, QStringLiteral("SELECT 1 FROM runs WHERE %1 = ?").arg(QLatin1String(keyColumn)));
    for (const StoredRun& run : runs) {
      known.addBindValue(run.*key);
      if (!known.exec()) return known.lastError();
      const bool present = known.next();
      known.finish();  // no read stays open across a write
      if (present) {
        ++counts.duplicates;
        continue;
      }
      StoredRun kept = run;
      if (markSent) kept.sent = true;
      if (const QSqlError error = InsertRun(db, kept); error.type() != QSqlError::NoError) return error;
      ++counts.imported;
    }
    return QSqlError();
  });
  if (!written) counts = {};
  return written;
}

bool ResultStore::Import(const std::vector<StoredRun>& runs, ImportCounts& counts) {
  return InsertNew(runs, "sheet_key", &StoredRun::sheetKey, false, counts);
}

int ResultStore::RunCount() {
  if (!Open()) return 0;
  QSqlQuery q(QSqlDatabase::database(connection_));
  return q.exec(QStringLiteral("SELECT count(*) FROM runs")) && q.next() ? q.value(0).toInt() : 0;
}

std::vector<StoredRun> ResultStore::Runs(int offset, int limit) {
  std::vector<StoredRun> runs;
  if (!Open()) return runs;
  QSqlQuery q(QSqlDatabase::database(connection_));
  q.prepare(QStringLiteral("SELECT %1 FROM runs ORDER BY sort_time DESC, id DESC LIMIT ? OFFSET ?")
                .arg(QLatin1String(kRunColumns)));
  q.addBindValue(limit);
  q.addBindValue(offset);
  if (!q.exec()) {
    Fail(q.lastError().text());
    return runs;
  }
  while (q.next()) runs.push_back(RunOf(q));
  return runs;
}

StoredRun ResultStore::RunWithTests(int64_t id) {
  if (!Open()) return {};
  QSqlDatabase db = QSqlDatabase::database(connection_);
  QSqlQuery q(db);
  q.prepare(QStringLiteral("SELECT %1 FROM runs WHERE id = ?").arg(QLatin1String(kRunColumns)));
  q.addBindValue(qlonglong(id));
  if (!q.exec() || !q.next()) return {};
  StoredRun run = RunOf(q);
  QSqlQuery t(db);
  t.prepare(QStringLiteral("SELECT test, tenths, seconds, rate, unit, %1 FROM tests WHERE run_id = ?")
                .arg(QLatin1String(kNoiseColumns)));
  t.addBindValue(qlonglong(id));
  t.exec();
  while (t.next()) {
    StoredTest test;
    test.test = t.value(0).toString();
    test.tenths = t.value(1).toLongLong();
    if (!t.value(2).isNull()) test.seconds = t.value(2).toDouble();
    if (!t.value(3).isNull()) test.rate = t.value(3).toDouble();
    test.unit = t.value(4).toString();
    if (!t.value(5).isNull()) {
      TestNoise& noise = test.noise.emplace();
      noise.seconds = t.value(5).toDouble();
      noise.othersCoreSeconds = OptionalOf<double>(t.value(6));
      noise.clockMinMhz = OptionalOf<int>(t.value(7));
      noise.clockMaxMhz = OptionalOf<int>(t.value(8));
      noise.governor = t.value(9).toString();
      noise.hypervisor = t.value(10).toInt() != 0;
      noise.loadAverage = OptionalOf<double>(t.value(11));
    }
    run.tests.push_back(test);
  }
  return run;
}

std::vector<StoredRun> ResultStore::SeriesOf(int64_t id) {
  const StoredRun run = RunWithTests(id);
  if (run.id == 0) return {};
  if (run.series.isEmpty()) return {run};
  std::vector<int64_t> ids;
  QSqlQuery q(QSqlDatabase::database(connection_));
  q.prepare(QStringLiteral("SELECT id FROM runs WHERE series = ? AND group_name = ? ORDER BY id"));
  q.addBindValue(run.series);
  q.addBindValue(run.group);
  if (!q.exec()) return {run};
  while (q.next()) ids.push_back(q.value(0).toLongLong());
  std::vector<StoredRun> series = {run};
  for (int64_t member : ids) {
    if (member != id) series.push_back(RunWithTests(member));
  }
  return series;
}

std::vector<StoredRun> ResultStore::Unsent() {
  std::vector<StoredRun> runs;
  if (!Open()) return runs;
  std::vector<int64_t> ids;
  QSqlQuery q(QSqlDatabase::database(connection_));
  if (!q.exec(QStringLiteral("SELECT id FROM runs WHERE sent = 0 ORDER BY id"))) {
    Fail(q.lastError().text());
    return runs;
  }
  while (q.next()) ids.push_back(q.value(0).toLongLong());
  for (int64_t id : ids) runs.push_back(RunWithTests(id));
  return runs;
}

bool ResultStore::Receive(const std::vector<StoredRun>& runs, int& received) {
  // A run sent before is kept once; the shared store sends nothing on.
  ImportCounts counts;
  const bool written = InsertNew(runs, "uuid", &StoredRun::uuid, true, counts);
  received = counts.imported;
  return written;
}

bool ResultStore::MarkSent(const std::vector<int64_t>& ids) {
  if (!Open()) return false;
  if (ids.empty()) return true;
  return Write([&](QSqlDatabase& db) {
    QSqlQuery q(db);
    if (!q.exec(QStringLiteral("UPDATE runs SET sent = 1 WHERE id IN (%1)").arg(IdList(ids)))) return q.lastError();
    return QSqlError();
  });
}

bool ResultStore::Delete(const std::vector<int64_t>& ids) {
  if (!Open()) return false;
  if (ids.empty()) return true;
  const QString list = IdList(ids);
  return Write([&](QSqlDatabase& db) {
    QSqlQuery q(db);
    if (!q.exec(QStringLiteral("DELETE FROM tests WHERE run_id IN (%1)").arg(list)) ||
        !q.exec(QStringLiteral("DELETE FROM runs WHERE id IN (%1)").arg(list))) {
      return q.lastError();
    }
    return QSqlError();
  });
}

bool ResultStore::ExportCsv(const std::vector<int64_t>& ids, QIODevice& out) {
  if (!Open()) return false;
  QSqlQuery q(QSqlDatabase::database(connection_));
  const QString where = ids.empty() ? QString() : QStringLiteral("WHERE r.id IN (%1) ").arg(IdList(ids));
  if (!q.exec(QStringLiteral("SELECT r.id, r.started, r.group_name, r.origin, r.pc_name, r.user_name, r.processor, "
                             "r.stopped, r.bench_no, r.total_tenths, t.test, t.tenths, t.seconds, t.rate, t.unit "
                             "FROM runs r JOIN tests t ON t.run_id = r.id %1"
                             "ORDER BY r.sort_time DESC, r.id DESC, t.%2")
                  .arg(where, dialect_ == StoreDialect::Postgres ? QStringLiteral("ctid") : QStringLiteral("rowid")))) {
    return Fail(q.lastError().text());
  }
  QStringList lines = {
      QStringLiteral("run,started,group,origin,pc_name,user_name,processor,stopped,bench_no,"
                     "total_tenths,test,tenths,seconds,rate,unit")};
  // The columns that hold text: they may start like a formula.
  constexpr bool kText[15] = {false, true,  true, true,  true,  true,  true, false,
                              false, false, true, false, false, false, true};
  while (q.next()) {
    QStringList fields;
    for (int column = 0; column < 15; ++column) {
      const QVariant value = q.value(column);
      QString text = value.isNull()                        ? QString()
                     : value.typeId() == QMetaType::Double ? Number(value.toDouble())
                                                           : value.toString();
      // One date format: an imported sheet's date in ISO 8601 like a run's.
      if (column == 1 && q.value(3).toString() == kOriginSheet) {
        if (const std::optional<QDateTime> date = SheetDate(text)) text = IsoDateTimeWithOffset(*date);
      }
      fields << CsvField(text, kText[column]);
    }
    lines << fields.join(u',');
  }
  // UTF-8 with its byte order mark, so spreadsheets read Japanese names.
  const QByteArray bytes =
      QByteArray("\xEF\xBB\xBF") + (lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n")).toUtf8();
  if (out.write(bytes) != bytes.size()) return Fail(out.errorString());
  return true;
}

}  // namespace torvik
