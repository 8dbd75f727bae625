// A fleet's shared store on a real PostgreSQL server of the test's own, set
// up as an administrator does: group roles for the PCs and the readers, a
// login role per PC, the owner's TORVIK making the tables and granting the
// rights. From psql as a member (every refusal by its SQLSTATE): no run for
// another role's machine, no sender or arrival written, nothing written to
// the version record or the machines, nothing changed, deleted or locked.
// The server records the sender, the arrival and the TORVIK of every run;
// a PC whose machine id is another role's has its run set aside while the
// runs behind it go; a new machine waits for approval. An older TORVIK keeps
// sending after an additive step and is told, with a non-zero exit, after a
// breaking one; four owners upgrading at once say what each did; a member
// meeting an older store names its owner's command; the shared reads are
// answered by indexes, in both dialects. Skipped, with the
// reason, without the server.
#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QtTest>
#include <memory>

#include "JsonSchemaCheck.h"
#include "ProgramRun.h"
#include "ScratchServer.h"
#include "StoreAnswers.h"
#include "core/archive/ArchiveExports.h"
#include "core/archive/RunArchive.h"
#include "core/store/MachineQuery.h"
#include "core/store/ResultStore.h"
#include "core/store/RunQuery.h"
#include "core/store/SchemaSteps.h"
#include "core/store/StoreSync.h"

using namespace torvik;

namespace {

// SQLSTATEs: the role lacks a right; the server's rules of a fleet (a
// machine of another role's; tests for a run this role did not send).
const auto kNoRights = QStringLiteral("42501");
const auto kAnotherRolesMachine = QStringLiteral("TV001");
const auto kNotThisRolesRun = QStringLiteral("TV003");

constexpr char kMachineOne[] = "0123456789abcdef0123456789abcdef";
constexpr char kMachineTwo[] = "fedcba9876543210fedcba9876543210";

StoredRun MemoryRun(int64_t time, const char* machineId, const char* pc) {
  StoredRun run;
  run.started = QDateTime::fromSecsSinceEpoch(time, QTimeZone::utc()).toString(Qt::ISODate);
  run.sortTime = time;
  run.group = QStringLiteral("memory");
  run.benchNo = 900;
  run.totalTenths = 1;
  run.pcName = QLatin1String(pc);
  run.hostName = QLatin1String(pc);
  run.machineId = QLatin1String(machineId);
  run.processor = QStringLiteral("AuthenticAMD AMD EPYC 2596.13MHz");
  run.torvikVersion = QStringLiteral("3.03");
  run.torvikSchema = ResultStore::KnownSchema();
  run.tests = {StoredTest{"memory", 0, 0.0443, 48.3, "GB/s", std::nullopt}};
  return run;
}

// A run's row as INSERT INTO runs writes it by hand, with `extra` columns.
QString InsertRun(const QString& machineId, const QString& extraColumns = {}, const QString& extraValues = {}) {
  return QStringLiteral(
             "INSERT INTO runs (started, sort_time, group_name, stopped, total_tenths, user_name, pc_name, os, "
             "processor, caches, memory, display, test_directory, origin, uuid, machine_id%1) VALUES ('x', 1, "
             "'memory', 0, 1, '', 'forged', '', '', '', '', '', '', 'program', gen_random_uuid()::text, '%2'%3)")
      .arg(extraColumns, machineId, extraValues);
}

// A machine of the test's own: its store and settings under `home`, no display.
QProcessEnvironment MachineEnvironment(const QString& home) {
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY"}) environment.remove(QLatin1String(name));
  environment.insert(QStringLiteral("XDG_DATA_HOME"), home + QStringLiteral("/data"));
  environment.insert(QStringLiteral("XDG_CONFIG_HOME"), home + QStringLiteral("/config"));
  environment.insert(QStringLiteral("HOME"), home);
  return environment;
}

}  // namespace

class FleetStoreTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() {
    if (!server_.Unavailable().isEmpty()) QSKIP(qPrintable(server_.Unavailable()));
    QVERIFY(scratch_.isValid());
    QVERIFY(MakeFleetDatabase(QStringLiteral("fleet")));
    // The owner's TORVIK makes the tables and grants the rights.
    ResultStore owner(Url("fleet", "torvik_owner"));
    QCOMPARE(ValueOf(owner.Open()).foundVersion, 0);
    const FleetRights rights = ValueOf(owner.GrantRights());
    QCOMPARE(rights.granted, QStringList({"torvik_member", "torvik_reader"}));
    // desk_1's machine, through TORVIK.
    ResultStore desk1(Url("fleet", "desk_1"));
    QVERIFY_OK(desk1.Record(MemoryRun(1'000, kMachineOne, "desk-1")));
    desk1RunId_ = ValueOf(desk1.Runs(1)).front().id;
  }

  // What a member (desk_2) may not do from psql, each refused by its
  // SQLSTATE; the rights an older set-up's default privileges gave (INSERT
  // into every table) taken back by the owner's TORVIK.
  void aMemberCannotForgeNorChange_data() {
    QTest::addColumn<QString>("sql");
    QTest::addColumn<QString>("state");
    QTest::newRow("a run for another role's machine") << InsertRun(kMachineOne) << kAnotherRolesMachine;
    QTest::newRow("its sender written") << InsertRun(kMachineTwo, ", sent_by", ", 'desk_1'") << kNoRights;
    QTest::newRow("its arrival written") << InsertRun(kMachineTwo, ", received_at", ", now() - interval '9 days'")
                                         << kNoRights;
    QTest::newRow("its id chosen") << InsertRun(kMachineTwo, ", id", ", 1") << kNoRights;
    QTest::newRow("tests added to another's run")
        << QStringLiteral("INSERT INTO tests (run_id, test, tenths, unit) VALUES (%1, 'prime', 1, 'ops/s')")
               .arg(desk1RunId_)
        << kNotThisRolesRun;
    QTest::newRow("into the version record") << QStringLiteral("INSERT INTO torvik_schema VALUES (99)") << kNoRights;
    QTest::newRow("the version record changed") << QStringLiteral("UPDATE torvik_schema SET oldest_writer = 99")
                                                << kNoRights;
    QTest::newRow("a machine approved") << QStringLiteral("UPDATE machines SET state = 'approved'") << kNoRights;
    QTest::newRow("a machine registered")
        << QStringLiteral("INSERT INTO machines (machine_id, role_name) VALUES ('x', 'desk_2')") << kNoRights;
    QTest::newRow("a run changed") << QStringLiteral("UPDATE runs SET pc_name = 'x'") << kNoRights;
    QTest::newRow("a run deleted") << QStringLiteral("DELETE FROM runs") << kNoRights;
    QTest::newRow("the table truncated") << QStringLiteral("TRUNCATE runs") << kNoRights;
    QTest::newRow("the table dropped") << QStringLiteral("DROP TABLE tests") << kNoRights;
    QTest::newRow("the table altered") << QStringLiteral("ALTER TABLE runs ADD COLUMN x TEXT") << kNoRights;
    QTest::newRow("the table locked") << QStringLiteral("BEGIN; LOCK TABLE runs IN ACCESS EXCLUSIVE MODE; COMMIT") << kNoRights;
    QTest::newRow("a table made") << QStringLiteral("CREATE TABLE mine (x INTEGER)") << kNoRights;
    QTest::newRow("more rights granted to itself")
        << QStringLiteral("GRANT UPDATE ON runs TO torvik_member; UPDATE runs SET pc_name = 'x'") << kNoRights;
  }
  void aMemberCannotForgeNorChange() {
    QFETCH(QString, sql);
    QFETCH(QString, state);
    QByteArray printed;
    QCOMPARE(server_.Psql(QStringLiteral("fleet"), QStringLiteral("desk_2"), sql, &printed), state);
    // Nothing of it there.
    QCOMPARE(Scalar("SELECT count(*) FROM runs WHERE pc_name IN ('forged', 'x')").toInt(), 0);
    QCOMPARE(Scalar("SELECT count(*) FROM machines WHERE state = 'approved'").toInt(), 0);
    QCOMPARE(Scalar("SELECT count(*) FROM tests WHERE test = 'prime'").toInt(), 0);
  }

  // The server says who sent each run and when it arrived, whatever the PC
  // claims; a member's own new machine is its own from then on, pending.
  void theServerRecordsTheSender() {
    QCOMPARE(server_.Psql(QStringLiteral("fleet"), QStringLiteral("desk_2"), InsertRun(QStringLiteral("own-machine"))),
             QString());
    QCOMPARE(Scalar("SELECT sent_by || ' ' || (received_at > now() - interval '1 hour') FROM runs WHERE machine_id = "
                    "'own-machine'")
                 .toString(),
             QStringLiteral("desk_2 true"));
    QCOMPARE(Scalar("SELECT role_name || ' ' || state FROM machines WHERE machine_id = 'own-machine'").toString(),
             QStringLiteral("desk_2 pending"));
    ResultStore reader(Url("fleet", "viewer"));
    const StoredRun kept = RunWithTests(reader, desk1RunId_);
    QCOMPARE(kept.sentBy, QStringLiteral("desk_1"));
    QVERIFY(!kept.receivedAt.isEmpty());
    QCOMPARE(kept.torvikVersion, QStringLiteral("3.03"));
    QCOMPARE(kept.torvikSchema, std::optional<int>(kStoreSchemaVersion));
    QCOMPARE(kept.tests.size(), size_t{1});
    // A reader reads, and adds nothing.
    QCOMPARE(server_.Psql(QStringLiteral("fleet"), QStringLiteral("viewer"), InsertRun(QStringLiteral("viewer-pc"))),
             kNoRights);
    QCOMPARE(Scalar("SELECT count(*) FROM runs WHERE machine_id = 'own-machine'").toInt(), 1);
    QVERIFY(server_.Psql(QStringLiteral("fleet"), QStringLiteral("desk_2"),
                         QStringLiteral("DELETE FROM machines WHERE machine_id = 'own-machine'")) == kNoRights);
    // The owner takes the hand-made machine out for the cases that follow.
    QCOMPARE(server_.Psql(QStringLiteral("fleet"), QStringLiteral("torvik_owner"),
                          QStringLiteral("DELETE FROM runs WHERE machine_id = 'own-machine'; DELETE FROM machines "
                                         "WHERE machine_id = 'own-machine'")),
             QString());
  }

  // A PC with another's machine id (a copied /etc/machine-id, a cloned
  // image): that run set aside on the PC with why, the runs behind it sent.
  void aCopiedMachineIdIsSetAside() {
    ResultStore local(scratch_.path() + QStringLiteral("/desk-2.sqlite"));
    QVERIFY_OK(local.Record(MemoryRun(2'000, kMachineOne, "desk-1")));
    QVERIFY_OK(local.Record(MemoryRun(2'001, kMachineTwo, "desk-2")));
    ResultStore shared(Url("fleet", "desk_2"));
    const SyncResult sync = SendWaitingRuns(local, shared);
    QVERIFY_OK(sync.failure);
    QCOMPARE(sync.sent, 1);
    QCOMPARE(sync.setAside.size(), 1);
    QCOMPARE(ValueOf(local.SetAsideRuns()).front().machineId, QLatin1String(kMachineOne));
    QCOMPARE(Scalar("SELECT count(*) FROM runs WHERE machine_id = '%1'", kMachineOne).toInt(), 1);  // desk-1's own
    QCOMPARE(Scalar("SELECT role_name FROM machines WHERE machine_id = '%1'", kMachineTwo).toString(),
             QStringLiteral("desk_2"));
  }

  // The machines as the owner sees them: pending until approved, then
  // approved, retired; only the owner decides.
  void machinesArePendingUntilApproved() {
    ResultStore member(Url("fleet", "desk_2"));
    QVERIFY(!ValueOf(member.MayDecideMachines()));
    ResultStore owner(Url("fleet", "torvik_owner"));
    QVERIFY(ValueOf(owner.MayDecideMachines()));
    const int64_t now = QDateTime::currentSecsSinceEpoch();
    std::vector<FleetMachine> machines = ValueOf(owner.Machines(now));
    QCOMPARE(machines.size(), size_t{2});
    const FleetMachine& one = machines[0];  // by id
    QCOMPARE(one.machineId, QLatin1String(kMachineOne));
    QCOMPARE(one.role, QStringLiteral("desk_1"));
    QCOMPARE(one.state, MachineState::Pending);
    QCOMPARE(one.firstRun, std::optional<int64_t>(desk1RunId_));
    QCOMPARE(one.lastSender, QStringLiteral("desk_1"));
    QCOMPARE(one.lastSchema, std::optional<int>(kStoreSchemaVersion));
    QVERIFY(one.lastReceived && std::abs(*one.lastReceived - now) < 3'600);
    QCOMPARE(ValueOf(owner.LatestSeries({}, 100)).size(), size_t{0});  // none ranked while pending
    const int unranked = ValueOf(owner.UnrankedMachinesOf({}));
    QVERIFY(unranked >= 2);
    // The owner's --ranking says why it ranks none (it said "(no runs)" alone).
    QTemporaryDir data;
    const Outcome ranking =
        RunProgram(QStringLiteral(TORVIK_BINARY), data, {QStringLiteral("--store"), Url("fleet", "torvik_owner"),
                                                         QStringLiteral("--ranking")});
    QCOMPARE(ranking.exitCode, 0);
    QVERIFY(ranking.err.contains(QStringLiteral("no machine is ranked: %1 machine(s)").arg(unranked).toUtf8()));
    QCOMPARE(ValueOf(owner.SetMachineState(QLatin1String(kMachineOne), MachineState::Approved)), 1);
    QCOMPARE(ValueOf(owner.UnrankedMachinesOf({})), unranked - 1);
    QCOMPARE(ValueOf(owner.Machines(now)).front().state, MachineState::Approved);
    const std::vector<std::vector<StoredRun>> ranked = ValueOf(owner.LatestSeries({}, 100));
    QCOMPARE(ranked.size(), size_t{1});
    QCOMPARE(ranked.front().front().machineId, QLatin1String(kMachineOne));
    QCOMPARE(ValueOf(owner.SetMachineState(QStringLiteral("no such machine"), MachineState::Retired)), 0);
  }

  // --machines for cron: a machine not heard of for longer than --stale
  // days makes it exit 3, and is marked so in JSON; within, it exits 0.
  void machinesExitForTheStale_data() {
    QTest::addColumn<QString>("staleDays");
    QTest::addColumn<int>("exitCode");
    QTest::newRow("silent 10 days, stale after 7") << "7" << 3;
    QTest::newRow("silent 10 days, stale after 30") << "30" << 0;
  }
  void machinesExitForTheStale() {
    QFETCH(QString, staleDays);
    QFETCH(int, exitCode);
    QCOMPARE(server_.Psql(QStringLiteral("fleet"), QStringLiteral("torvik_owner"),
                          QStringLiteral("UPDATE machines SET last_received = now() - interval '10 days'")),
             QString());
    const QString home = scratch_.path() + QStringLiteral("/admin");
    QVERIFY(QDir().mkpath(home));
    QProcess torvik;
    torvik.setProcessEnvironment(MachineEnvironment(home));
    torvik.start(QStringLiteral(TORVIK_BINARY), {QStringLiteral("--store"), Url("fleet", "torvik_owner"),
                                                 QStringLiteral("--machines"), QStringLiteral("--stale"), staleDays,
                                                 QStringLiteral("--format"), QStringLiteral("json")});
    QVERIFY(torvik.waitForFinished(60'000));
    QVERIFY2(torvik.exitCode() == exitCode, torvik.readAllStandardError().constData());
    const QByteArray document = torvik.readAllStandardOutput();
    QByteArray problem;
    const SchemaCheck check = CheckAgainstSchema(document, QStringLiteral(TORVIK_SCHEMA_DIR "/machines.schema.json"),
                                                 QDir(home).filePath(QStringLiteral("machines.json")), problem);
    QVERIFY2(check != SchemaCheck::Invalid, problem.constData());
    const QJsonArray machines = QJsonDocument::fromJson(document)["machines"].toArray();
    QCOMPARE(machines.size(), 2);
    for (const QJsonValue& machine : machines) {
      QCOMPARE(machine["stale"].toBool(), exitCode == 3);
      QCOMPARE(machine["runs_30_days"].toInt(), 0);  // their runs' own times lie in 1970
    }
  }

  // The version record: the real schema and the oldest writer; TORVIKs that
  // read `version` alone (schema 10 and before) see the newest they may
  // take for their own while they may still write.
  void theVersionRecordServesOlderReaders() {
    QCOMPARE(Scalar("SELECT schema_version FROM torvik_schema").toInt(), kStoreSchemaVersion);
    QCOMPARE(Scalar("SELECT version FROM torvik_schema").toInt(), kLastVersionOnlySchema);
    QCOMPARE(Scalar("SELECT oldest_writer FROM torvik_schema").toInt(),
             OldestWriterAfter(1, 0, kStoreSchemaVersion));
    QCOMPARE(VersionOnlyRecord(kStoreSchemaVersion, kLastVersionOnlySchema + 1), kStoreSchemaVersion);
    QCOMPARE(OldestWriterAfter(7, 0, kStoreSchemaVersion), 7);  // never lower than before
  }

  // A newer TORVIK's step simulated on the server (a column of its own, the
  // record of its schema): after an additive one this TORVIK keeps sending;
  // after a breaking one it is told, exits non-zero, and keeps its run.
  void anOlderTorvikAfterANewerStep_data() {
    QTest::addColumn<int>("oldestWriter");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<int>("arrived");
    QTest::newRow("additive: still takes this TORVIK") << kStoreSchemaVersion << 0 << 1;
    QTest::newRow("breaking: takes newer ones only") << kStoreSchemaVersion + 1 << 3 << 0;
  }
  void anOlderTorvikAfterANewerStep() {
    QFETCH(int, oldestWriter);
    QFETCH(int, exitCode);
    QFETCH(int, arrived);
    const QString database = QStringLiteral("newer%1").arg(oldestWriter);
    QVERIFY(MakeFleetDatabase(database));
    QVERIFY_OK(ResultStore(server_.Url(database, QStringLiteral("torvik_owner"), {})).GrantRights());
    QCOMPARE(server_.Psql(database, QStringLiteral("torvik_owner"),
                          QStringLiteral("ALTER TABLE runs ADD COLUMN from_the_future TEXT DEFAULT 'x'; "
                                         "UPDATE torvik_schema SET schema_version = %1, oldest_writer = %2")
                              .arg(kStoreSchemaVersion + 1)
                              .arg(oldestWriter)),
             QString());
    const QString home = scratch_.path() + u'/' + database;
    QVERIFY(QDir().mkpath(home + QStringLiteral("/work")));
    QProcess torvik;
    torvik.setProcessEnvironment(MachineEnvironment(home));
    torvik.start(QStringLiteral(TORVIK_BINARY),
                 {QStringLiteral("--run"), QStringLiteral("memory"), QStringLiteral("--dir"), home + QStringLiteral("/work"),
                  QStringLiteral("--quiet"), QStringLiteral("--format"), QStringLiteral("json"), QStringLiteral("--store"),
                  server_.Url(database, QStringLiteral("desk_1"), {})});
    QVERIFY(torvik.waitForFinished(120'000));
    const QByteArray err = torvik.readAllStandardError();
    QVERIFY2(torvik.exitCode() == exitCode, err.constData());
    QVERIFY(!torvik.readAllStandardOutput().isEmpty());  // the result comes either way
    QCOMPARE(Scalar(database, "SELECT count(*) FROM runs").toInt(), arrived);
    ResultStore local(home + QStringLiteral("/data/Varn/TORVIK/results.sqlite"));
    QCOMPARE(ValueOf(local.UnsentCount()), 1 - arrived);  // kept here, waiting for a newer TORVIK
    if (exitCode != 0) QVERIFY2(err.contains("install the newer TORVIK"), err.constData());
  }

  // Four owners upgrading an empty database at once: one made it, and each
  // says what it did.
  void fourUpgradesAtOnceSayWhatEachDid() {
    QVERIFY(MakeFleetDatabase(QStringLiteral("four")));
    std::vector<std::unique_ptr<QProcess>> owners;
    for (int i = 0; i < 4; ++i) {
      const QString home = scratch_.path() + QStringLiteral("/owner%1").arg(i);
      QVERIFY(QDir().mkpath(home));
      auto& owner = owners.emplace_back(std::make_unique<QProcess>());
      owner->setProcessEnvironment(MachineEnvironment(home));
      owner->start(QStringLiteral(TORVIK_BINARY), {QStringLiteral("--store"),
                                                   server_.Url(QStringLiteral("four"), QStringLiteral("torvik_owner"), {}),
                                                   QStringLiteral("--upgrade-store")});
    }
    int made = 0, found = 0;
    for (const auto& owner : owners) {
      QVERIFY(owner->waitForFinished(60'000));
      QCOMPARE(owner->exitCode(), 0);
      const QByteArray out = owner->readAllStandardOutput();
      made += out.count(QByteArrayLiteral("made, schema"));
      found += out.count(QByteArrayLiteral("this TORVIK's"));
      QVERIFY2(out.contains("torvik_member may add runs"), out.constData());
    }
    QCOMPARE(made, 1);
    QCOMPARE(found, 3);
  }

  // The shared reads are answered by indexes that serve their own filter
  // expressions, in both dialects: one machine's trend by its name (the
  // very expression the filter writes), its tests by their key from one
  // bound array, never a scan of every run. The planner's choice on a
  // small table aside (scans switched off where the server may), a
  // statement no index serves still shows its scan.
  void theReadsAreAnsweredByIndexes_data() {
    QTest::addColumn<bool>("server");
    QTest::addColumn<QString>("statement");
    QTest::addColumn<QString>("index");
    const QString trend = QStringLiteral("SELECT * FROM runs %1 %2 LIMIT 20000")
                              .arg(RunConditionOf({.machine = QStringLiteral("desk-1")}, {}, kStoreSchemaVersion).where
                                       .replace(u'?', QStringLiteral("'desk-1'")),
                                   NewestFirst());
    const QString group = QStringLiteral("SELECT * FROM runs %1 %2 LIMIT 20000")
                              .arg(RunConditionOf({.group = QStringLiteral("memory")}, {}, kStoreSchemaVersion).where
                                       .replace(u'?', QStringLiteral("'memory'")),
                                   NewestFirst());
    for (const bool server : {true, false}) {
      const char* dialect = server ? "server" : "file";
      QTest::addRow("%s: --trend --pc", dialect) << server << trend << QStringLiteral("runs_by_machine_name");
      QTest::addRow("%s: --trend --group", dialect) << server << group << QStringLiteral("runs_by_group");
    }
    QTest::newRow("server: the trend's tests")
        << true << QStringLiteral("SELECT * FROM tests WHERE run_id = ANY(CAST('{1,2,3}' AS BIGINT[]))")
        << QStringLiteral("tests_pkey");
    QTest::newRow("file: the trend's tests") << false << QStringLiteral("SELECT * FROM tests WHERE run_id IN (1,2,3)")
                                             << QStringLiteral("sqlite_autoindex_tests_1");
  }
  void theReadsAreAnsweredByIndexes() {
    QFETCH(bool, server);
    QFETCH(QString, statement);
    QFETCH(QString, index);
    QByteArray plan;
    if (server) {
      QCOMPARE(server_.Psql(QStringLiteral("fleet"), QStringLiteral("bench"),
                            QStringLiteral("SET search_path = torvik; SET enable_seqscan = off; EXPLAIN ") + statement,
                            &plan),
               QString());
      QVERIFY2(!plan.contains("Seq Scan"), plan.constData());
    } else {
      const QString path = scratch_.path() + QStringLiteral("/plans.sqlite");
      QVERIFY_OK(ResultStore(path).Record(MemoryRun(1'000, kMachineOne, "desk-1")));
      {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("plans"));
        db.setDatabaseName(path);
        QVERIFY(db.open());
        QSqlQuery q(db);
        QVERIFY(q.exec(QStringLiteral("EXPLAIN QUERY PLAN ") + statement));
        while (q.next()) plan += q.value(3).toString().toUtf8() + '\n';
        QVERIFY2(!plan.contains("SCAN runs") && !plan.contains("SCAN tests"), plan.constData());
      }
      QSqlDatabase::removeDatabase(QStringLiteral("plans"));
    }
    QVERIFY2(plan.contains(index.toUtf8()), plan.constData());
  }

  // The ranking and the page read machine by machine on the machines'
  // index, in both dialects, on a store large enough that the planners
  // choose (scans allowed: 300 machines' 60,000 runs on the server, 100
  // machines' 20,000 in a file, some named by their host alone, two
  // groups; on the server some machines pending or retired): never a scan
  // of the runs, and the very rows the window function over every run
  // picked before.
  void theRankingIsAnIndexReadOfEachMachine_data() {
    QTest::addColumn<bool>("server");
    QTest::addColumn<QString>("conditions");
    const QString approved =
        QStringLiteral("AND machine_id IN (SELECT machine_id FROM machines WHERE state = 'approved')");
    const QString someDays = QStringLiteral("AND group_name = 'memory' AND sort_time <= 15000");
    for (const bool server : {true, false}) {
      const char* dialect = server ? "server" : "file";
      const QString ranked = server ? approved : QString();
      QTest::addRow("%s: every run", dialect) << server << ranked;
      QTest::addRow("%s: a group, until a day", dialect) << server << ranked + u' ' + someDays;
    }
  }
  void theRankingIsAnIndexReadOfEachMachine() {
    QFETCH(bool, server);
    QFETCH(QString, conditions);
    const QString latest = LatestOfEachMachine(conditions, kStoreSchemaVersion).replace(u'?', QStringLiteral("2000"));
    const QString before =
        QStringLiteral(
            "SELECT id FROM (SELECT id, sort_time, row_number() OVER (PARTITION BY %1, %2, group_name "
            "ORDER BY sort_time DESC, id DESC) AS place FROM runs WHERE 1 = 1 %3) numbered "
            "WHERE place = 1 ORDER BY sort_time DESC, id DESC LIMIT 2000")
            .arg(MachineNameExpression(kStoreSchemaVersion), ProcessorModelExpression(), conditions);
    const QString machines = MachinesWithRuns(conditions, kStoreSchemaVersion);
    QString windows = NewestRunsOfMachines(QStringLiteral("id, sort_time"), conditions, kStoreSchemaVersion, 2);
    for (const char* value : {"'desk-3'", "'Test CPU'", "'memory'", "121", "'node10'", "'Test CPU'", "'cpu'", "121"}) {
      windows.replace(windows.indexOf(u'?'), 1, QLatin1String(value));
    }
    QStringList plans, picked, pickedBefore;
    if (server) {
      QVERIFY(MakeRankedFleet());
      const QString path = QStringLiteral("SET search_path = torvik; ");
      for (const QString& statement : {latest, machines, windows}) {
        QByteArray plan;
        QCOMPARE(server_.Psql(QStringLiteral("ranked"), QStringLiteral("bench"),
                              path + QStringLiteral("EXPLAIN ") + statement, &plan),
                 QString());
        plans << QString::fromUtf8(plan);
      }
      QByteArray now, then;
      QCOMPARE(server_.Psql(QStringLiteral("ranked"), QStringLiteral("bench"), path + latest, &now), QString());
      QCOMPARE(server_.Psql(QStringLiteral("ranked"), QStringLiteral("bench"), path + before, &then), QString());
      picked = QString::fromUtf8(now).split(u'\n', Qt::SkipEmptyParts);
      pickedBefore = QString::fromUtf8(then).split(u'\n', Qt::SkipEmptyParts);
    } else {
      const QString path = scratch_.path() + QStringLiteral("/ranked.sqlite");
      if (!QFile::exists(path)) QVERIFY_OK(ResultStore(path).Record(MemoryRun(1'000, kMachineOne, "desk-1")));
      {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("ranked"));
        db.setDatabaseName(path);
        QVERIFY(db.open());
        QSqlQuery q(db);
        QVERIFY2(q.exec(QStringLiteral("SELECT count(*) FROM runs")) && q.next(), qPrintable(q.lastError().text()));
        if (q.value(0).toInt() < 2) QVERIFY2(q.exec(FleetInsert(100, 20'000, false)), qPrintable(q.lastError().text()));
        QVERIFY(q.exec(QStringLiteral("ANALYZE")));
        for (const QString& statement : {latest, machines, windows}) {
          QVERIFY2(q.exec(QStringLiteral("EXPLAIN QUERY PLAN ") + statement), qPrintable(q.lastError().text()));
          QString plan;
          while (q.next()) plan += q.value(3).toString() + u'\n';
          plans << plan;
        }
        for (const auto& [statement, ids] : {std::pair{&latest, &picked}, std::pair{&before, &pickedBefore}}) {
          QVERIFY(q.exec(*statement));
          while (q.next()) *ids << q.value(0).toString();
        }
      }
      QSqlDatabase::removeDatabase(QStringLiteral("ranked"));
    }
    for (const QString& plan : plans) {
      QVERIFY2(!plan.contains(QStringLiteral("Seq Scan on runs")) && !plan.contains(QStringLiteral("SCAN runs")),
               qPrintable(plan));
      QVERIFY2(plan.contains(QStringLiteral("runs_by_machine_key")), qPrintable(plan));
    }
    QVERIFY(picked.size() > 50);
    QCOMPARE(picked, pickedBefore);
  }

  // The page names its store by a label anyone may read: the label the
  // owner gave the shared store, else its database's name; this PC's
  // store as such with the PC's name. Never the server's host (its socket
  // folder), a role, the CA's path or the home folder.
  void thePageNamesItsStoreByItsLabel_data() {
    QTest::addColumn<QString>("store");  // "fleet", "" for this PC's
    QTest::addColumn<QString>("label");  // set by the owner
    QTest::addColumn<QString>("shown");
    QTest::newRow("shared, labelled") << QStringLiteral("fleet") << QStringLiteral("Lab 4 benches")
                                      << QStringLiteral("Lab 4 benches");
    QTest::newRow("shared, no label") << QStringLiteral("fleet") << QString() << QStringLiteral(": fleet<");
    QTest::newRow("this PC's") << QString() << QString() << QString();  // ThisPcsStoreOf
  }
  void thePageNamesItsStoreByItsLabel() {
    QFETCH(QString, store);
    QFETCH(QString, label);
    QFETCH(QString, shown);
    if (shown.isEmpty()) shown = texts::ThisPcsStoreOf().arg(QStringLiteral("desk-9"));
    const QString home = scratch_.path() + QStringLiteral("/home-of-desk-9");
    const QString ca = scratch_.path() + QStringLiteral("/lab-ca/root.crt");
    QVERIFY(QDir().mkpath(home + QStringLiteral("/data")));
    RunArchive archive(home + QStringLiteral("/data/results.sqlite"), QStringLiteral("torvik desk-9"));
    QVERIFY_OK(archive.Local().Record(MemoryRun(2'000, kMachineTwo, "desk-9")));
    if (!store.isEmpty()) {
      QVERIFY_OK(ResultStore(Url("fleet", "torvik_owner")).SetLabel(label));
      archive.UseSharedStore(Url("fleet", "torvik_owner") + QStringLiteral("&sslmode=prefer&sslrootcert=") + ca);
    }
    const QString page = home + QStringLiteral("/page.html");
    QVERIFY_OK(ExportStorePage(archive, {}, {}, page, QDateTime::currentDateTime()));
    QFile file(page);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QString html = QString::fromUtf8(file.readAll());
    QVERIFY2(html.contains(shown), qPrintable(html.left(2'000)));
    for (const QString& secret : {server_.SocketFolder(), QStringLiteral("torvik_owner"), ca, home, scratch_.path(),
                                  QStringLiteral("postgresql:")}) {
      QVERIFY2(!html.contains(secret), qPrintable(secret));
    }
    if (!label.isEmpty()) QVERIFY_OK(ResultStore(Url("fleet", "torvik_owner")).SetLabel({}));
  }

  // A member meeting a database its owner has not made yet: told the
  // owner's command, with the owner's role in the URL, not its own.
  void aMemberIsToldTheOwnersCommand() {
    QVERIFY(MakeFleetDatabase(QStringLiteral("unmade")));
    ResultStore member(server_.Url(QStringLiteral("unmade"), QStringLiteral("desk_1"), {}));
    const ArchiveResult<OpenedStore> opened = member.Open();
    QVERIFY(!opened.Ok());
    QVERIFY2(opened.Text().contains(QStringLiteral("torvik --store 'postgresql://torvik_owner@/unmade?host=")) &&
                 opened.Text().contains(QStringLiteral("--upgrade-store")),
             qPrintable(opened.Text()));
  }

 private:
  // A database set up as README says, as the server's superuser: the
  // roles (once), the database of the owner's, its schema, and the default
  // privileges an older set-up gave (which the owner's TORVIK takes back).
  bool MakeFleetDatabase(const QString& name) {
    if (!rolesMade_) {
      const QString roles = QStringLiteral(
          "CREATE ROLE torvik_owner LOGIN; CREATE ROLE torvik_member NOLOGIN; CREATE ROLE torvik_reader NOLOGIN; "
          "CREATE ROLE desk_1 LOGIN IN ROLE torvik_member; CREATE ROLE desk_2 LOGIN IN ROLE torvik_member; "
          "CREATE ROLE viewer LOGIN IN ROLE torvik_reader");
      if (!server_.Psql(QStringLiteral("postgres"), QStringLiteral("bench"), roles).isEmpty()) return false;
      rolesMade_ = true;
    }
    const QString made =
        server_.Psql(QStringLiteral("postgres"), QStringLiteral("bench"),
                     QStringLiteral("CREATE DATABASE %1 OWNER torvik_owner").arg(name));
    const QString schema = server_.Psql(
        name, QStringLiteral("bench"),
        QStringLiteral("REVOKE ALL ON DATABASE %1 FROM PUBLIC; GRANT CONNECT ON DATABASE %1 TO torvik_member, "
                       "torvik_reader; REVOKE ALL ON SCHEMA public FROM PUBLIC; "
                       "CREATE SCHEMA torvik AUTHORIZATION torvik_owner; ALTER DATABASE %1 SET search_path = torvik; "
                       "ALTER DEFAULT PRIVILEGES FOR ROLE torvik_owner IN SCHEMA torvik GRANT SELECT, INSERT ON TABLES "
                       "TO torvik_member")
            .arg(name));
    return made.isEmpty() && schema.isEmpty();
  }
  // `machines` machines' `runs` runs, three a series, every fifth of the
  // cpu group and the rest of the memory group, every tenth machine named
  // by its host alone, made by one INSERT of the dialect's.
  static QString FleetInsert(int machines, int runs, bool server) {
    const QString m = QStringLiteral("((i / 3) % ") + QString::number(machines) + u')';
    const QString counted =
        server ? QStringLiteral("generate_series(0, %1) i").arg(runs - 1) : QStringLiteral("counted");
    const QString with = server ? QString()
                                : QStringLiteral(
                                      "WITH RECURSIVE counted(i) AS (SELECT 0 UNION ALL SELECT i + 1 "
                                      "FROM counted WHERE i + 1 < %1) ")
                                      .arg(runs);
    return with +
           QStringLiteral(
               "INSERT INTO runs (started, sort_time, group_name, stopped, total_tenths, user_name, pc_name, os, "
               "processor, caches, memory, display, test_directory, origin, uuid, sent, machine_id, host_name, "
               "processor_name, series) "
               "SELECT 'x', 1000 + i, CASE WHEN i % 5 = 0 THEN 'cpu' ELSE 'memory' END, 0, 5, 'bench', "
               "CASE WHEN @m % 10 = 0 THEN '' ELSE 'desk-' || @m END, '', 'Test CPU 3000MHz', '', '', '', '', "
               "'program', 'u' || i, 1, 'm' || @m, 'node' || @m, 'Test CPU', 's' || (i / 3) FROM @counted")
               .replace(QStringLiteral("@counted"), counted)
               .replace(QStringLiteral("@m"), m);
  }
  // The server's ranked fleet (once): 300 machines' 60,000 runs, a tenth of
  // the machines pending and a tenth retired.
  bool MakeRankedFleet() {
    if (rankedMade_) return true;
    if (!MakeFleetDatabase(QStringLiteral("ranked")) || !ResultStore(Url("ranked", "torvik_owner")).Open().Ok()) {
      return false;
    }
    rankedMade_ = server_
                      .Psql(QStringLiteral("ranked"), QStringLiteral("bench"),
                            QStringLiteral("SET search_path = torvik; ") + FleetInsert(300, 60'000, true) +
                                QStringLiteral("; UPDATE machines SET state = CASE WHEN machine_id LIKE '%1' THEN "
                                               "'pending' WHEN machine_id LIKE '%2' THEN 'retired' ELSE "
                                               "'approved' END; ANALYZE"))
                      .isEmpty();
    return rankedMade_;
  }
  QString Url(const char* database, const char* role) const {
    return server_.Url(QLatin1String(database), QLatin1String(role), {});
  }
  // One value read by the server's superuser from `database` (fleet by default).
  QVariant Scalar(const QString& database, const char* sql) const {
    QByteArray printed;
    const QString error = server_.Psql(database, QStringLiteral("bench"), QLatin1String(sql), &printed);
    if (!error.isEmpty()) qWarning("%s", qPrintable(error));
    return QString::fromUtf8(printed).trimmed();
  }
  QVariant Scalar(const char* sql) const { return Scalar(QStringLiteral("fleet"), sql); }
  QVariant Scalar(const char* sql, const char* value) const {
    return Scalar(QStringLiteral("fleet"), QString::fromLatin1(sql).arg(QLatin1String(value)).toLatin1().constData());
  }

  testing::ScratchServer server_;
  QTemporaryDir scratch_;
  bool rolesMade_ = false;
  bool rankedMade_ = false;
  int64_t desk1RunId_ = 0;
};

QTEST_GUILESS_MAIN(FleetStoreTest)
#include "test_fleet_store.moc"
