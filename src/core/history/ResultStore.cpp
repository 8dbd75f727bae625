#include "core/history/ResultStore.h"

#include <QDir>
#include <QFileInfo>
#include <QIODevice>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QVariant>
#include <atomic>

namespace torvik {
namespace {

// Step n takes the schema from version n - 1 to n. Never edit a step that
// has shipped: add the next one.
const std::vector<std::vector<const char*>> kSteps = {
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
};
static_assert(kStoreSchemaVersion == 2);

const char* const kRunColumns =
    "id, started, sort_time, group_name, stopped, bench_no, total_tenths, total_seconds, user_name, pc_name, os, "
    "processor, caches, memory, display, test_directory, origin, sheet_key";

QVariant Optional(const std::optional<double>& value) { return value ? QVariant(*value) : QVariant(); }

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
  return run;
}

QString IdList(const std::vector<int64_t>& ids) {
  QStringList list;
  for (int64_t id : ids) list << QString::number(id);
  return list.join(u',');
}

QString CsvField(const QString& text) {
  if (!text.contains(u',') && !text.contains(u'"') && !text.contains(u'\n') && !text.contains(u'\r')) return text;
  return u'"' + QString(text).replace(QStringLiteral("\""), QStringLiteral("\"\"")) + u'"';
}

QString Number(const std::optional<double>& value) { return value ? QString::number(*value, 'g', 12) : QString(); }

}  // namespace

ResultStore::ResultStore(const QString& path) : path_(path) {
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
  return false;
}

bool ResultStore::Open() {
  if (opened_ != -1) return opened_ == 1;
  opened_ = 0;
  const QFileInfo file(path_);
  if (file.exists() && !file.isFile()) return Fail(QStringLiteral("%1 is not a file").arg(path_));
  if (!QDir().mkpath(file.absolutePath()))
    return Fail(QStringLiteral("cannot make the folder %1").arg(file.absolutePath()));
  if (!QSqlDatabase::isDriverAvailable(QStringLiteral("QSQLITE"))) {
    return Fail(QStringLiteral("Qt's SQLite driver is not installed (Debian: libqt6sql6-sqlite)"));
  }
  QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection_);
  db.setDatabaseName(path_);
  if (!db.open()) return Fail(db.lastError().text());
  // Read before anything is written: a damaged file fails here, untouched.
  QSqlQuery q(db);
  if (!q.exec(QStringLiteral("SELECT count(*) FROM sqlite_master")) || !q.exec(QStringLiteral("PRAGMA user_version")) ||
      !q.next()) {
    return Fail(QStringLiteral("%1: %2").arg(path_, q.lastError().text()));
  }
  const int version = q.value(0).toInt();
  if (version > kStoreSchemaVersion) {
    return Fail(QStringLiteral("%1 was written by a newer TORVIK (schema %2; this one knows %3)")
                    .arg(path_)
                    .arg(version)
                    .arg(kStoreSchemaVersion));
  }
  if (version < kStoreSchemaVersion && !Upgrade(version)) return false;
  q.exec(QStringLiteral("PRAGMA journal_mode=WAL"));
  q.exec(QStringLiteral("PRAGMA foreign_keys=ON"));
  opened_ = 1;
  return true;
}

bool ResultStore::Upgrade(int from) {
  QSqlDatabase db = QSqlDatabase::database(connection_);
  if (!db.transaction()) return Fail(db.lastError().text());
  QSqlQuery q(db);
  for (int step = from + 1; step <= kStoreSchemaVersion; ++step) {
    for (const char* statement : kSteps[step - 1]) {
      if (!q.exec(QLatin1String(statement))) {
        const QString reason = q.lastError().text();
        db.rollback();
        return Fail(QStringLiteral("%1: schema step %2: %3").arg(path_).arg(step).arg(reason));
      }
    }
  }
  if (!q.exec(QStringLiteral("PRAGMA user_version = %1").arg(kStoreSchemaVersion)) || !db.commit()) {
    const QString reason = db.lastError().text();
    db.rollback();
    return Fail(reason);
  }
  return true;
}

int ResultStore::SchemaVersion() {
  if (!Open()) return -1;
  QSqlQuery q(QSqlDatabase::database(connection_));
  return q.exec(QStringLiteral("PRAGMA user_version")) && q.next() ? q.value(0).toInt() : -1;
}

bool ResultStore::InsertRun(const StoredRun& run) {
  QSqlDatabase db = QSqlDatabase::database(connection_);
  QSqlQuery q(db);
  q.prepare(QStringLiteral(
      "INSERT INTO runs (started, sort_time, group_name, stopped, bench_no, total_tenths, total_seconds, user_name, "
      "pc_name, os, processor, caches, memory, display, test_directory, origin, sheet_key) "
      "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"));
  for (const QVariant& value :
       {Text(run.started), QVariant(qlonglong(run.sortTime)), Text(run.group), QVariant(run.stopped ? 1 : 0),
        run.benchNo ? QVariant(*run.benchNo) : QVariant(), QVariant(qlonglong(run.totalTenths)),
        Optional(run.totalSeconds), Text(run.userName), Text(run.pcName), Text(run.os), Text(run.processor),
        Text(run.caches), Text(run.memory), Text(run.display), Text(run.testDirectory), Text(run.origin),
        run.sheetKey.isEmpty() ? QVariant() : QVariant(run.sheetKey)}) {
    q.addBindValue(value);
  }
  if (!q.exec()) return Fail(q.lastError().text());
  const qlonglong id = q.lastInsertId().toLongLong();
  QSqlQuery t(db);
  t.prepare(QStringLiteral("INSERT INTO tests (run_id, test, tenths, seconds, rate, unit) VALUES (?, ?, ?, ?, ?, ?)"));
  for (const StoredTest& test : run.tests) {
    t.addBindValue(id);
    t.addBindValue(test.test);
    t.addBindValue(qlonglong(test.tenths));
    t.addBindValue(Optional(test.seconds));
    t.addBindValue(Optional(test.rate));
    t.addBindValue(Text(test.unit));
    if (!t.exec()) return Fail(t.lastError().text());
  }
  return true;
}

bool ResultStore::Record(const StoredRun& run) {
  if (!Open()) return false;
  QSqlDatabase db = QSqlDatabase::database(connection_);
  if (!db.transaction()) return Fail(db.lastError().text());
  if (!InsertRun(run) || !db.commit()) {
    if (error_.isEmpty()) error_ = db.lastError().text();
    db.rollback();
    return false;
  }
  return true;
}

bool ResultStore::Import(const std::vector<StoredRun>& runs, ImportCounts& counts) {
  counts = {};
  if (!Open()) return false;
  QSqlDatabase db = QSqlDatabase::database(connection_);
  if (!db.transaction()) return Fail(db.lastError().text());
  QSqlQuery known(db);
  known.prepare(QStringLiteral("SELECT 1 FROM runs WHERE sheet_key = ?"));
  for (const StoredRun& run : runs) {
    known.addBindValue(run.sheetKey);
    if (known.exec() && known.next()) {
      ++counts.duplicates;
      continue;
    }
    if (!InsertRun(run)) {
      db.rollback();
      counts = {};
      return false;
    }
    ++counts.imported;
  }
  if (!db.commit()) {
    const QString reason = db.lastError().text();
    db.rollback();
    counts = {};
    return Fail(reason);
  }
  return true;
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
  t.prepare(QStringLiteral("SELECT test, tenths, seconds, rate, unit FROM tests WHERE run_id = ?"));
  t.addBindValue(qlonglong(id));
  t.exec();
  while (t.next()) {
    StoredTest test;
    test.test = t.value(0).toString();
    test.tenths = t.value(1).toLongLong();
    if (!t.value(2).isNull()) test.seconds = t.value(2).toDouble();
    if (!t.value(3).isNull()) test.rate = t.value(3).toDouble();
    test.unit = t.value(4).toString();
    run.tests.push_back(test);
  }
  return run;
}

bool ResultStore::Delete(const std::vector<int64_t>& ids) {
  if (!Open()) return false;
  if (ids.empty()) return true;
  QSqlDatabase db = QSqlDatabase::database(connection_);
  if (!db.transaction()) return Fail(db.lastError().text());
  QSqlQuery q(db);
  const QString list = IdList(ids);
  if (!q.exec(QStringLiteral("DELETE FROM tests WHERE run_id IN (%1)").arg(list)) ||
      !q.exec(QStringLiteral("DELETE FROM runs WHERE id IN (%1)").arg(list)) || !db.commit()) {
    const QString reason = q.lastError().text();
    db.rollback();
    return Fail(reason);
  }
  return true;
}

bool ResultStore::ExportCsv(const std::vector<int64_t>& ids, QIODevice& out) {
  if (!Open()) return false;
  QSqlQuery q(QSqlDatabase::database(connection_));
  const QString where = ids.empty() ? QString() : QStringLiteral("WHERE r.id IN (%1) ").arg(IdList(ids));
  if (!q.exec(QStringLiteral("SELECT r.id, r.started, r.group_name, r.origin, r.pc_name, r.user_name, r.processor, "
                             "r.stopped, r.bench_no, r.total_tenths, t.test, t.tenths, t.seconds, t.rate, t.unit "
                             "FROM runs r JOIN tests t ON t.run_id = r.id %1"
                             "ORDER BY r.sort_time DESC, r.id DESC, t.rowid")
                  .arg(where))) {
    return Fail(q.lastError().text());
  }
  QStringList lines = {
      QStringLiteral("run,started,group,origin,pc_name,user_name,processor,stopped,bench_no,"
                     "total_tenths,test,tenths,seconds,rate,unit")};
  while (q.next()) {
    QStringList fields;
    for (int column = 0; column < 15; ++column) {
      const QVariant value = q.value(column);
      fields << CsvField(value.isNull()                        ? QString()
                         : value.typeId() == QMetaType::Double ? Number(value.toDouble())
                                                               : value.toString());
    }
    lines << fields.join(u',');
  }
  const QByteArray bytes = (lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n")).toUtf8();
  if (out.write(bytes) != bytes.size()) return Fail(out.errorString());
  return true;
}

}  // namespace torvik
