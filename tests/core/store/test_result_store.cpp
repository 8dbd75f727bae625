// The results store: its schema made, upgraded and refused; one transaction
// per run; files it cannot use left byte for byte; the list, deletion and
// the CSV export. What either dialect does runs twice: on a file, and on a
// PostgreSQL server of the test's own (that row skipped, with the reason,
// without one).
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QtTest>

#include "ScratchServer.h"
#include "core/archive/CsvExport.h"
#include "StoreAnswers.h"
#include "core/store/FileConnection.h"
#include "core/store/ResultStore.h"
#include "core/store/SchemaSteps.h"
#include "core/records/StoreLocation.h"

using namespace torvik;

namespace {

StoredRun Run(const QString& group, int64_t sortTime, std::vector<StoredTest> tests) {
  StoredRun run;
  run.started = QDateTime::fromSecsSinceEpoch(sortTime, QTimeZone::utc()).toString(Qt::ISODate);
  run.sortTime = sortTime;
  run.group = group;
  run.benchNo = 1128;
  run.totalTenths = 47;
  run.totalSeconds = 4.7;
  run.pcName = QStringLiteral("bench, \"one\"");  // a comma and quotes, for the CSV
  run.processor = QStringLiteral("AuthenticAMD AMD EPYC 2596.15MHz");
  run.tests = std::move(tests);
  return run;
}

StoredTest Row(const char* id, int64_t tenths, double seconds, double rate, const char* unit) {
  return StoredTest{QLatin1String(id), tenths, seconds, rate, QLatin1String(unit), std::nullopt};
}

QByteArray Bytes(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Every file in `folder` (links and companions such as -wal too) with a
// digest of its bytes.
QMap<QString, QByteArray> Files(const QString& folder) {
  QMap<QString, QByteArray> files;
  for (const QString& name : QDir(folder).entryList(QDir::Files | QDir::System | QDir::Hidden)) {
    files[name] = QCryptographicHash::hash(Bytes(folder + u'/' + name), QCryptographicHash::Sha1).toHex();
  }
  return files;
}

// RFC 4180 fields of one line.
QStringList CsvFields(const QString& line) {
  QStringList fields;
  QString field;
  bool quoted = false;
  for (qsizetype i = 0; i < line.size(); ++i) {
    const QChar c = line[i];
    if (quoted && c == u'"' && i + 1 < line.size() && line[i + 1] == u'"') {
      field += u'"';
      ++i;
    } else if (c == u'"') {
      quoted = !quoted;
    } else if (c == u',' && !quoted) {
      fields << field;
      field.clear();
    } else {
      field += c;
    }
  }
  return fields << field;
}

// One value read past the store, as SQL of one's own would read it.
QVariant Scalar(const QString& location, const QString& sql) {
  QVariant value;
  {
    const bool server = IsServerUrl(location);
    QSqlDatabase db =
        QSqlDatabase::addDatabase(server ? QStringLiteral("QPSQL") : QStringLiteral("QSQLITE"), QStringLiteral("own"));
    const ServerAddress address = ParseServerUrl(location);
    db.setHostName(address.host);
    db.setUserName(address.user);
    db.setDatabaseName(server ? address.database : location);
    QSqlQuery q(db);
    if (db.open() && q.exec(sql) && q.next()) value = q.value(0);
  }
  QSqlDatabase::removeDatabase(QStringLiteral("own"));
  return value;
}

}  // namespace

class ResultStoreTest : public QObject {
  Q_OBJECT

 private slots:
  void createdOnFirstUse_data() { Dialects(); }
  void createdOnFirstUse() {
    const QString location = FreshLocation();
    if (location.isEmpty()) QSKIP(qPrintable(server_->Unavailable()));
    ResultStore store(location);
    QVERIFY_OK(store.Open());
    QCOMPARE(ValueOf(store.SchemaVersion()), kStoreSchemaVersion);
    StoredRun run = Run("cpu", 100, {Row("prime", 8, 0.8123, 5.6e8, "ops/s"), Row("trig", 39, 3.9, 3.1e7, "ops/s")});
    run.platform = QStringLiteral("xcb");
    run.series = QStringLiteral("series-1");
    run.hostName = QStringLiteral("node07");
    run.machineId = QStringLiteral("0123456789abcdef0123456789abcdef");
    TestNoise& noise = run.tests[0].noise.emplace();
    noise.seconds = 0.82;
    noise.othersCoreSeconds = 0.4;
    noise.clockMinMhz = 2200;
    noise.clockMaxMhz = 3600;
    noise.governor = QStringLiteral("schedutil");
    noise.hypervisor = true;
    noise.loadAverage = 1.5;
    QVERIFY_OK(store.Record(run));
    const StoredRun back = RunWithTests(store, ValueOf(store.Runs(10)).front().id);
    QCOMPARE(back.group, QStringLiteral("cpu"));
    QCOMPARE(back.platform, QStringLiteral("xcb"));
    QCOMPARE(back.benchNo, std::optional<int32_t>(1128));
    QCOMPARE(back.tests.size(), size_t{2});
    QCOMPARE(*back.tests[0].seconds, 0.8123);
    QCOMPARE(back.tests[0].unit, QStringLiteral("ops/s"));
    QCOMPARE(back.series, QStringLiteral("series-1"));
    QCOMPARE(back.hostName, QStringLiteral("node07"));
    QCOMPARE(back.machineId, QStringLiteral("0123456789abcdef0123456789abcdef"));
    QCOMPARE(ValueOf(store.Runs(10, {.machineId = back.machineId})).size(), size_t{1});
    QCOMPARE(back.values.processorName, QStringLiteral("AuthenticAMD AMD EPYC"));
    QCOMPARE(back.values.clockMhz, std::optional<double>(2596.15));
    const TestNoise& kept = *back.tests[0].noise;
    QCOMPARE(kept.othersCoreSeconds, std::optional<double>(0.4));
    QCOMPARE(kept.clockMinMhz, std::optional<int>(2200));
    QCOMPARE(kept.governor, QStringLiteral("schedutil"));
    QVERIFY(kept.hypervisor && kept.SharedProcessor() && kept.ClockMoved());
    QVERIFY(!back.tests[1].noise);  // nobody looked
    // The instant in the dialect's own terms: timestamptz, or ISO text in UTC.
    const QVariant instant = Scalar(location, QStringLiteral("SELECT started_utc FROM runs"));
    QCOMPARE(instant.toDateTime(), QDateTime::fromSecsSinceEpoch(100, QTimeZone::utc()));
    QVERIFY_OK(store.Record(Run("cpu", 200, {Row("prime", 8, 0.8, 5.6e8, "ops/s")})));
    QCOMPARE(SeriesOfRun(store, back.id).size(), size_t{1});  // the new run belongs to no series
    ResultStore again(location);  // a second copy finds the schema made
    QVERIFY_OK(again.Open());
    QCOMPARE(ValueOf(again.RunCount()), 2);
  }

  // Where a store lives: a file, or a server's URL in libpq's form, its
  // password never shown, its schema in the server's words.
  void serverUrls_data() {
    // A silent peer is found by the connection itself as well.
#define kBounds "keepalives_idle=5;keepalives_interval=2;keepalives_count=3;tcp_user_timeout=15000;"
    QTest::addColumn<QString>("url");
    QTest::addColumn<QString>("host");
    QTest::addColumn<int>("port");
    QTest::addColumn<QString>("options");  // or the error's words
    QTest::newRow("a socket folder") << "postgresql://bench@/torvik?host=/run/postgresql"
                                     << "/run/postgresql" << -1
                                     << "connect_timeout=5;" kBounds "options='-c statement_timeout=10000'";
    QTest::newRow("a host, a port, TLS")
        << "postgres://bench:pw@db.example:5433/torvik?sslmode=verify-full"
        << "db.example" << 5433 << "sslmode='verify-full';connect_timeout=5;" kBounds "options='-c statement_timeout=10000'";
    QTest::newRow("its own timeout") << "postgresql://db/torvik?connect_timeout=2"
                                     << "db" << -1 << "connect_timeout='2';" kBounds "options='-c statement_timeout=10000'";
    // A space cannot start another keyword (another host, a password).
    QTest::newRow("a keyword smuggled in a value")
        << "postgresql://db/torvik?application_name=x%20host=/elsewhere%20password=pw"
        << "db" << -1 << "application_name='x host=/elsewhere password=pw';connect_timeout=5;" kBounds
                         "options='-c statement_timeout=10000'";
    QTest::newRow("the server's own options, the timeout kept")
        << "postgresql://db/torvik?options=-c%20work_mem%3D64MB"
        << "db" << -1 << "connect_timeout=5;" kBounds "options='-c work_mem=64MB -c statement_timeout=10000'";
    QTest::newRow("its own statement timeout") << "postgresql://db/torvik?options=-c%20statement_timeout%3D2000"
                                               << "db" << -1 << "connect_timeout=5;" kBounds "options='-c statement_timeout=2000'";
    QTest::newRow("its own keepalives")
        << "postgresql://db/torvik?keepalives_idle=60" << "db" << -1
        << "keepalives_idle='60';connect_timeout=5;keepalives_interval=2;keepalives_count=3;tcp_user_timeout=15000;"
           "options='-c statement_timeout=10000'";
    QTest::newRow("a port that is none") << "postgresql://db/torvik?port=abc"
                                         << "" << -1 << "no port";
    QTest::newRow("no libpq keyword") << "postgresql://db/torvik?Host=x"
                                      << "" << -1 << "no connection parameter";
    QTest::newRow("no database") << "postgresql://bench@db"
                                 << "" << -1 << "names no database";
    QTest::newRow("a ';' in a parameter") << "postgresql://db/t?application_name=a;b"
                                          << "" << -1 << "';'";
#undef kBounds
  }
  void serverUrls() {
    QFETCH(QString, url);
    QFETCH(QString, host);
    QFETCH(int, port);
    QFETCH(QString, options);
    const ServerAddress address = ParseServerUrl(url);
    if (host.isEmpty()) {
      QVERIFY2(address.error.contains(options), qPrintable(address.error));
      return;
    }
    QVERIFY2(address.error.isEmpty(), qPrintable(address.error));
    QCOMPARE(address.host, host);
    QCOMPARE(address.port, port);
    QCOMPARE(address.database, QStringLiteral("torvik"));
    QCOMPARE(address.options, options);
    QVERIFY(!ShownLocation(url).contains(QStringLiteral(":pw@")));
    QVERIFY(IsServerUrl(url) && !IsServerUrl(QStringLiteral("/home/user/results.sqlite")));
  }

  // A password in any of libpq's places in a URL: refused with where it
  // belongs, and never shown.
  void passwordsInAUrl_data() {
    QTest::addColumn<QString>("url");
    QTest::addColumn<bool>("refused");
    QTest::newRow("its user part") << "postgresql://bench:s3cr3t@db/torvik" << true;
    QTest::newRow("a password parameter") << "postgresql://bench@db/torvik?sslmode=require&password=s3cr3t" << true;
    QTest::newRow("in capitals, encoded") << "postgres://db/torvik?PASS%57ORD=s3cr3t" << true;
    QTest::newRow("the key's pass phrase") << "postgresql://db/torvik?sslpassword=s3cr3t&sslkey=/k" << true;
    QTest::newRow("none") << "postgresql://bench@db/torvik?sslmode=verify-full&passfile=/s3cr3t" << false;
  }
  void passwordsInAUrl() {
    QFETCH(QString, url);
    QFETCH(bool, refused);
    const QString refusal = PasswordRefusal(url);
    QCOMPARE(!refusal.isEmpty(), refused);
    if (refused) {
      QVERIFY(refusal.contains(QStringLiteral("~/.pgpass")) && refusal.contains(QStringLiteral("PGPASSWORD")));
      QVERIFY(!ShownLocation(url).contains(QStringLiteral("s3cr3t")));
    }
  }

  // A full or failing disk under the store is told in the disk's words
  // with SQLite's code, never SQLite's own text alone; other failures keep
  // the driver's words.
  void aDisksFailureIsToldAsTheDisks_data() {
    QTest::addColumn<QString>("code");
    QTest::addColumn<QString>("told");
    QTest::newRow("full") << "13" << "is full";
    QTest::newRow("i/o error") << "10" << "could not be written or read";
    QTest::newRow("extended i/o error (write)") << "778" << "could not be written or read";
    QTest::newRow("anything else") << "1" << "no such table";
  }
  void aDisksFailureIsToldAsTheDisks() {
    QFETCH(QString, code);
    QFETCH(QString, told);
    const FileConnection connection(QStringLiteral("/srv/results.sqlite"));
    const QString text = connection.Describe(QSqlError(QStringLiteral("Unable to fetch row"), QStringLiteral("no such table"),
                                                       QSqlError::StatementError, code));
    QVERIFY2(text.startsWith(QStringLiteral("/srv/results.sqlite: ")) && text.contains(told), qPrintable(text));
  }

  // A store version 2 wrote (two cpu runs: one measured, two imported from
  // a sheet, one of those with a date in no known format) gets its facts as
  // values, its texts kept.
  void aVersionTwoStoreGetsItsFactsAsValues() {
    QTemporaryDir dir;
    const QString path = dir.path() + QStringLiteral("/results.sqlite");
    QVERIFY(QFile::copy(QStringLiteral(TORVIK_TEST_DATA "/stores/version2.sqlite"), path));
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
    ResultStore store(path);
    QVERIFY_OK(store.Open());
    QCOMPARE(ValueOf(store.SchemaVersion()), kStoreSchemaVersion);
    const std::vector<StoredRun> runs = ValueOf(store.Runs(10));
    QCOMPARE(runs.size(), size_t{3});
    for (const StoredRun& run : runs) {
      const FactValues& v = run.values;
      QCOMPARE(v.processorName, QStringLiteral("AuthenticAMD AMD EPYC"));
      QCOMPARE(v.clockMhz, std::optional<double>(2596.13));
      QCOMPARE(v.memoryMb, std::optional<int64_t>(24106));
      QCOMPARE(v.l1DataKb, std::optional<int>(48));
      QCOMPARE(v.l1InstructionKb, std::optional<int>(32));
      QCOMPARE(v.l2Kb, std::optional<int>(1024));
      QCOMPARE(v.l2LineBytes, std::optional<int>(64));
      QCOMPARE(v.l2Ways, std::optional<int>(16));
      QVERIFY(!v.screenWidth);  // measured without a display
      QCOMPARE(v.displayAdapter, QStringLiteral("?"));
    }
    QCOMPARE(runs[0].started, QStringLiteral("the eighth of December"));  // the text kept, no date made up
    QVERIFY(runs[0].values.startedAt.isEmpty());
    QCOMPARE(runs[1].values.startedAt, QStringLiteral("2026-12-08T18:42:56"));
    QCOMPARE(runs[2].values.startedAt, QStringLiteral("2026-12-08T18:42:44+00:00"));
    QCOMPARE(RunWithTests(store, runs[2].id).tests.size(), size_t{2});
  }

  void upgradedFromVersionOne() {
    QTemporaryDir dir;
    const QString path = dir.path() + QStringLiteral("/results.sqlite");
    {
      // A store as version 1 made it, with a run in it.
      QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("v1"));
      db.setDatabaseName(path);
      QVERIFY(db.open());
      QSqlQuery q(db);
      QVERIFY(q.exec(
          "CREATE TABLE runs (id INTEGER PRIMARY KEY, started TEXT NOT NULL, sort_time INTEGER NOT NULL, group_name "
          "TEXT NOT NULL, stopped INTEGER NOT NULL, bench_no INTEGER, total_tenths INTEGER NOT NULL, total_seconds "
          "REAL, user_name TEXT NOT NULL, pc_name TEXT NOT NULL, os TEXT NOT NULL, processor TEXT NOT NULL, caches "
          "TEXT NOT NULL, memory TEXT NOT NULL, display TEXT NOT NULL, test_directory TEXT NOT NULL, origin TEXT NOT "
          "NULL)"));
      QVERIFY(q.exec(
          "CREATE TABLE tests (run_id INTEGER NOT NULL REFERENCES runs(id) ON DELETE CASCADE, test TEXT NOT NULL, "
          "tenths INTEGER NOT NULL, seconds REAL, rate REAL, unit TEXT NOT NULL, PRIMARY KEY (run_id, test))"));
      QVERIFY(q.exec("CREATE INDEX runs_by_time ON runs(sort_time DESC, id DESC)"));
      QVERIFY(
          q.exec("INSERT INTO runs VALUES (7, 'then', 5, 'memory', 0, 1, 1, 0.05, '', 'old-pc', '', '', '', '', "
                 "'', '', 'program')"));
      QVERIFY(q.exec("PRAGMA user_version = 1"));
      db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("v1"));
    ResultStore store(path);
    QVERIFY_OK(store.Open());
    QCOMPARE(ValueOf(store.SchemaVersion()), kStoreSchemaVersion);
    QCOMPARE(ValueOf(store.Runs(10)).front().pcName, QStringLiteral("old-pc"));  // kept through the upgrade
    StoredRun imported = Run("cpu", 10, {});
    imported.sheetKey = QStringLiteral("key");
    const ImportCounts counts = ValueOf(store.Import({imported, imported}));  // step 2's key: imported once
    QCOMPARE(counts.imported, 1);
    QCOMPARE(counts.duplicates, 1);
  }

  // Only TORVIK's own store is ever written: anything else at its path is
  // refused before a byte of it or its companions changes, and no file is
  // added beside it.
  void foreignFilesAreLeftAsTheyAre_data() {
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("reason");
    QTest::newRow("random bytes") << "noise"
                                  << "not a database";
    QTest::newRow("a newer schema") << "version 99"
                                    << "newer TORVIK";
    QTest::newRow("a negative version") << "version -1"
                                        << "not TORVIK's";
    QTest::newRow("another program's database") << "foreign"
                                                << "not TORVIK's";
    QTest::newRow("an empty file") << "empty"
                                   << "empty file";
    QTest::newRow("a link to another program's database") << "link"
                                                          << "symbolic link";
    QTest::newRow("a dangling link") << "dangling"
                                     << "symbolic link";
    // Another program's database caught while it writes: recovery opening
    // it to write would checkpoint the one, roll back the other.
    QTest::newRow("a WAL not checkpointed") << "wal"
                                            << "not TORVIK's";
    QTest::newRow("a hot journal") << "journal"
                                   << "not TORVIK's";
  }
  // What a copy killed while making the store left beside it goes at the
  // next open; a living copy's build, another store's and another name stay.
  void buildsOfDeadCopiesAreRemoved() {
    QTemporaryDir dir;
    const QString path = dir.path() + QStringLiteral("/results.sqlite");
    QProcess gone;
    gone.start(QStringLiteral("true"));
    QVERIFY(gone.waitForFinished());
    const QString dead = QString::number(gone.processId() > 0 ? gone.processId() : 999'999'999);
    const QString alive = QString::number(QCoreApplication::applicationPid());
    const QStringList orphans = {"results.sqlite.new-" + dead + "-1", "results.sqlite.new-" + dead + "-1-journal"};
    const QStringList kept = {"results.sqlite.new-" + alive + "-7", "other.sqlite.new-" + dead + "-1",
                              "results.sqlite.new-" + dead + "-1.bak"};
    for (const QString& name : orphans + kept) {
      QFile file(dir.filePath(name));
      QVERIFY(file.open(QIODevice::WriteOnly));
    }
    ResultStore store(path);
    QVERIFY_OK(store.Open());
    for (const QString& name : orphans) QVERIFY2(!QFile::exists(dir.filePath(name)), qPrintable(name));
    for (const QString& name : kept) QVERIFY2(QFile::exists(dir.filePath(name)), qPrintable(name));
  }

  void foreignFilesAreLeftAsTheyAre() {
    QFETCH(QString, kind);
    QFETCH(QString, reason);
    QTemporaryDir dir;
    const QString path = dir.path() + QStringLiteral("/results.sqlite");
    const QString other = dir.path() + QStringLiteral("/other.sqlite");
    auto database = [](const QString& file, const QStringList& statements) {
      {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("maker"));
        db.setDatabaseName(file);
        QVERIFY(db.open());
        for (const QString& statement : statements) QVERIFY(QSqlQuery(db).exec(statement));
        db.close();
      }
      QSqlDatabase::removeDatabase(QStringLiteral("maker"));
    };
    const QStringList foreignTables = {"CREATE TABLE runs (x INTEGER)", "CREATE TABLE tests (y TEXT)",
                                       "PRAGMA user_version = 2"};
    if (kind == u"noise") {
      QByteArray noise(8192, '\0');
      for (int i = 0; i < noise.size(); ++i) noise[i] = static_cast<char>((i * 7919 + 13) % 251);
      QFile file(path);
      QVERIFY(file.open(QIODevice::WriteOnly) && file.write(noise) == noise.size());
    } else if (kind.startsWith(u"version")) {
      database(path, {QStringLiteral("PRAGMA user_version = %1").arg(kind.section(u' ', 1))});
    } else if (kind == u"foreign") {
      database(path, foreignTables);
    } else if (kind == u"empty") {
      QFile file(path);
      QVERIFY(file.open(QIODevice::WriteOnly));
    } else if (kind == u"link") {
      database(other, foreignTables);
      QVERIFY(QFile::link(other, path));
    } else if (kind == u"dangling") {
      QVERIFY(QFile::link(other, path));
    } else if (kind == u"wal" || kind == u"journal") {
      // Copied while its writer has it open: the transaction only in the
      // -wal, or half written with the journal that undoes it.
      QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("writer")));
      const QString source = dir.path() + QStringLiteral("/writer/other.sqlite");
      const QString companion = kind == u"wal" ? QStringLiteral("-wal") : QStringLiteral("-journal");
      {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("writer"));
        db.setDatabaseName(source);
        QVERIFY(db.open());
        QSqlQuery q(db);
        const QStringList setup = kind == u"wal" ? QStringList{"PRAGMA journal_mode=WAL", "PRAGMA wal_autocheckpoint=0"}
                                                 : QStringList{"PRAGMA cache_size=1"};
        for (const QString& statement : setup + foreignTables) QVERIFY(q.exec(statement));
        if (kind == u"journal") QVERIFY(q.exec(QStringLiteral("BEGIN")));
        QVERIFY(
            q.exec(QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 2000) "
                                  "INSERT INTO runs SELECT printf('%100d', i) FROM n")));
        QVERIFY(QFile::copy(source, path) && QFile::copy(source + companion, path + companion));
        if (kind == u"journal") QVERIFY(q.exec(QStringLiteral("ROLLBACK")));
        q.finish();
        db.close();
      }
      QSqlDatabase::removeDatabase(QStringLiteral("writer"));
    }
    const QMap<QString, QByteArray> before = Files(dir.path());
    ResultStore store(path);
    const ArchiveResult<OpenedStore> opened = store.Open();
    QCOMPARE(opened.Kind(), FailureKind::NotTorvik);
    QVERIFY2(opened.Text().contains(reason), qPrintable(opened.Text()));
    QCOMPARE(store.Record(Run("cpu", 1, {})).Kind(), FailureKind::NotTorvik);  // refused for good
    QVERIFY(!store.Import({Run("cpu", 2, {})}).Ok());
    QCOMPARE(Files(dir.path()), before);
  }

  void aRunIsKeptWholeOrNotAtAll_data() { Dialects(); }
  void aRunIsKeptWholeOrNotAtAll() {
    const QString location = FreshLocation();
    if (location.isEmpty()) QSKIP(qPrintable(server_->Unavailable()));
    ResultStore store(location);
    QVERIFY_OK(store.Record(Run("cpu", 1, {Row("prime", 8, 0.8, 1, "ops/s")})));
    // The second test row fails (the same test twice): the run row written
    // just before it must go too.
    QVERIFY(!store.Record(Run("cpu", 2, {Row("prime", 8, 0.8, 1, "ops/s"), Row("prime", 9, 0.9, 1, "ops/s")})).Ok());
    QCOMPARE(ValueOf(store.RunCount()), 1);
    QVERIFY_OK(store.Record(Run("memory", 3, {Row("memory", 0, 0.05, 42.8, "GB/s")})));
    QCOMPARE(ValueOf(store.RunCount()), 2);
  }

  void listDeleteAndCsv_data() { Dialects(); }
  void listDeleteAndCsv() {
    const QString location = FreshLocation();
    if (location.isEmpty()) QSKIP(qPrintable(server_->Unavailable()));
    ResultStore store(location);
    QVERIFY_OK(store.Record(
        Run("cpu", 100, {Row("prime", 8, 0.8123, 5.6e8, "ops/s"), Row("trig", 39, 3.91, 3.07e7, "ops/s")})));
    QVERIFY_OK(store.Record(Run("memory", 300, {Row("memory", 0, 0.0443, 48.3, "GB/s")})));
    QVERIFY_OK(store.Record(Run("hdd", 200, {Row("read40", 3, 0.33, 381.3, "MB/s")})));
    const std::vector<StoredRun> runs = ValueOf(store.Runs(10));
    QCOMPARE(runs.size(), size_t{3});
    QCOMPARE(runs[0].group, QStringLiteral("memory"));  // newest first
    QCOMPARE(runs[2].group, QStringLiteral("cpu"));

    const QByteArray csv = CsvOfRuns(ValueOf(store.RunsWithTests({runs[0].id, runs[2].id})));
    const QStringList lines = QString::fromUtf8(csv).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), 1 + 3);  // the header and one row per run and test
    const QStringList header = CsvFields(lines[0]);
    const QStringList memory = CsvFields(lines[1]);
    QCOMPARE(memory[header.indexOf("pc_name")], QStringLiteral("bench, \"one\""));
    QCOMPARE(memory[header.indexOf("test")], QStringLiteral("memory"));
    QCOMPARE(memory[header.indexOf("seconds")].toDouble(), 0.0443);
    QCOMPARE(memory[header.indexOf("rate")].toDouble(), 48.3);
    QCOMPARE(CsvFields(lines[3])[header.indexOf("test")], QStringLiteral("trig"));
    QCOMPARE(CsvFields(lines[3])[header.indexOf("tenths")], QStringLiteral("39"));

    QVERIFY(csv.startsWith("\xEF\xBB\xBF"));  // UTF-8, said at the start for spreadsheets

    QVERIFY_OK(store.Delete({runs[0].id, runs[1].id}));
    QCOMPARE(ValueOf(store.RunCount()), 1);
    QCOMPARE(RunWithTests(store, runs[0].id).id, int64_t{0});
    QCOMPARE(RunWithTests(store, runs[2].id).tests.size(), size_t{2});
  }

  // The list's filters and pages answered by the store itself: one PC's
  // runs in any case, a part of the processor (its wildcards taken as
  // text), one group; pages after a run's key neither skip nor repeat a run,
  // runs of the same second included; the series of several runs with their
  // tests at once.
  void filtersPagesAndSeries_data() { Dialects(); }
  void filtersPagesAndSeries() {
    const QString location = FreshLocation();
    if (location.isEmpty()) QSKIP(qPrintable(server_->Unavailable()));
    ResultStore store(location);
    const std::tuple<int64_t, const char*, const char*, const char*, const char*> rows[] = {
        {100, "Desk-1", "AMD EPYC 50% off", "cpu", "s"},   {100, "desk-1", "AMD EPYC 500", "cpu", "s"},
        {100, "other", "AMD EPYC 500", "cpu", "s"},        {200, "other", "AMD EPYC 500", "memory", ""},
        {200, "other", "Intel Xeon", "memory", ""},        {300, "desk-10", "Intel Xeon", "hdd", ""},
        {400, "other", "Intel Xeon", "cpu", "t"}};
    for (const auto& [time, pc, processor, group, series] : rows) {
      StoredRun run = Run(QLatin1String(group), time, {Row("prime", 8, 0.8, 5.6e8, "ops/s")});
      run.pcName = QLatin1String(pc);
      run.processor = QLatin1String(processor);
      run.series = QLatin1String(series);
      QVERIFY_OK(store.Record(run));
    }
    std::vector<int64_t> all, paged;
    for (const StoredRun& run : ValueOf(store.Runs(100))) all.push_back(run.id);
    QCOMPARE(all.size(), size_t{7});
    std::optional<RunKey> after;
    for (std::vector<StoredRun> page; !(page = ValueOf(store.Runs(2, {}, after))).empty();) {
      for (const StoredRun& run : page) paged.push_back(run.id);
      after = RunKey{page.back().sortTime, page.back().id};
    }
    QCOMPARE(paged, all);
    const std::pair<RunFilter, int> filters[] = {{{.pcName = "DESK-1"}, 2},
                                                 {{.processor = "50%"}, 1},
                                                 {{.processor = "epyc"}, 4},
                                                 {{.pcName = "other", .group = "memory"}, 2},
                                                 {{.group = "hdd"}, 1}};
    for (const auto& [filter, count] : filters) {
      QCOMPARE(static_cast<int>(ValueOf(store.Runs(100, filter)).size()), count);
      QCOMPARE(ValueOf(store.RunCount(filter)), count);
    }
    const std::vector<std::vector<StoredRun>> series = ValueOf(store.SeriesOf({all[5], all[0], 999}));
    QCOMPARE(series[0].size(), size_t{3});  // the ticked run, then the others oldest first
    QCOMPARE(series[0][0].id, all[5]);
    QVERIFY(series[0][1].id < series[0][2].id);
    QCOMPARE(series[0][1].tests.size(), size_t{1});
    QCOMPARE(series[1].size(), size_t{1});
    QVERIFY(series[2].empty());
  }

  // Names come from other machines' sheets: none may run as a formula in a
  // spreadsheet. Numbers stay numbers.
  void csvKeepsFormulasInert_data() { Dialects(); }
  void csvKeepsFormulasInert() {
    const QString location = FreshLocation();
    if (location.isEmpty()) QSKIP(qPrintable(server_->Unavailable()));
    ResultStore store(location);
    StoredRun run = Run("cpu", 100, {Row("prime", 8, 0.8, 5.6e8, "ops/s")});
    run.pcName = QStringLiteral("=HYPERLINK(\"http://x\")");
    run.userName = QStringLiteral("+1");
    run.processor = QStringLiteral("@SUM(A1)");
    run.origin = QStringLiteral("-x");
    QVERIFY_OK(store.Record(run));
    const QByteArray csv = CsvOfRuns(ValueOf(store.RunsWithTests({})));
    const QStringList lines = QString::fromUtf8(csv.mid(3)).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
    const QStringList header = CsvFields(lines[0]);
    const QStringList row = CsvFields(lines[1]);
    QCOMPARE(row[header.indexOf("pc_name")], QStringLiteral("'=HYPERLINK(\"http://x\")"));
    QCOMPARE(row[header.indexOf("user_name")], QStringLiteral("'+1"));
    QCOMPARE(row[header.indexOf("processor")], QStringLiteral("'@SUM(A1)"));
    QCOMPARE(row[header.indexOf("origin")], QStringLiteral("'-x"));
    QCOMPARE(row[header.indexOf("tenths")], QStringLiteral("8"));
  }

 private:
  static void Dialects() {
    QTest::addColumn<bool>("server");
    QTest::newRow("sqlite") << false;
    QTest::newRow("postgresql") << true;
  }
  // A store nobody has used, of the row's dialect: a file in a folder yet to
  // be made, or a new database on the server (started at the first such
  // row). Empty when there is no server.
  QString FreshLocation() {
    QFETCH(bool, server);
    const QString name = QStringLiteral("store%1").arg(++stores_);
    if (!server) return scratch_.path() + u'/' + name + QStringLiteral("/results.sqlite");
    if (!server_) server_ = std::make_unique<testing::ScratchServer>();
    return server_->Unavailable().isEmpty() && server_->CreateDatabase(name) ? server_->Url(name) : QString();
  }

  QTemporaryDir scratch_;
  std::unique_ptr<testing::ScratchServer> server_;
  int stores_ = 0;
};

QTEST_GUILESS_MAIN(ResultStoreTest)
#include "test_result_store.moc"
