// The results store on a real PostgreSQL server that the test starts itself
// (initdb and pg_ctl of Debian's postgresql in a scratch folder, listening
// on a Unix socket only, run as the postgres user when the test runs as
// root): an older schema upgraded, a newer or foreign one refused untouched,
// a server that is not there told quickly; runs kept on a PC sent to it once
// each, kept waiting while it is stopped and sent after its restart. (The
// archive that keeps and sends them is tested with its own tests.)
// Skipped, with the reason, without the server. (What a store does on
// either dialect is tested with the local store's tests.)
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <QDir>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QtTest>
#include <atomic>
#include <memory>
#include <thread>

#include "ScratchServer.h"
#include "StoreAnswers.h"
#include "core/store/AnswerLimits.h"
#include "core/store/ResultStore.h"
#include "core/store/SchemaSteps.h"
#include "core/store/StoreSync.h"

using namespace torvik;

namespace {

StoredRun CpuRun(int64_t time) {
  StoredRun run;
  run.started = QStringLiteral("2026-12-08T18:54:28+00:00");
  run.sortTime = time;
  run.group = QStringLiteral("cpu");
  run.benchNo = 780;
  run.totalTenths = 39;
  run.pcName = QStringLiteral("bench-a");
  run.processor = QStringLiteral("AuthenticAMD AMD EPYC 2596.13MHz");
  run.memory = QStringLiteral("24106MB");
  run.series = QStringLiteral("series-1");
  run.tests = {StoredTest{"prime", 7, 0.7374, 6.17e8, "ops/s", std::nullopt}};
  return run;
}

// A machine of the test's own: its store under `data`, its settings under
// `config`, no display.
QProcessEnvironment MachineEnvironment(const QString& data, const QString& config) {
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY"}) environment.remove(QLatin1String(name));
  environment.insert(QStringLiteral("XDG_DATA_HOME"), data);
  environment.insert(QStringLiteral("XDG_CONFIG_HOME"), config);
  return environment;
}

// The address of a Unix socket at `path` (cut to what the address holds).
sockaddr_un UnixAddress(const QByteArray& path) {
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  std::copy(path.begin(), path.begin() + std::min<qsizetype>(path.size(), sizeof address.sun_path - 1),
            address.sun_path);
  return address;
}

// A proxy in front of the test's server (on a Unix socket in `folder`, or on
// TCP on the loopback when `folder` is empty), on a thread of its
// own (the store's calls block the test's thread): every byte to the server
// at once; the server's at once until TORVIK's first statement of its own
// (it reads torvik_schema; the driver's set-up statements go before it),
// then none (Mode::Silent) or one byte every 50 ms (Mode::Trickle, 20 B/s).
class SlowProxy {
 public:
  enum class Mode { Silent, Trickle };

  SlowProxy(const QString& serverSocket, const QString& folder, Mode mode)
      : server_(QFile::encodeName(serverSocket)), mode_(mode) {
    bool bound = false;
    if (folder.isEmpty()) {
      listening_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
      sockaddr_in address{};
      address.sin_family = AF_INET;
      address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
      socklen_t size = sizeof address;
      bound = bind(listening_, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0 &&
              getsockname(listening_, reinterpret_cast<sockaddr*>(&address), &size) == 0;
      url_ = QStringLiteral("postgresql://bench@127.0.0.1:%1/slow?sslmode=disable").arg(ntohs(address.sin_port));
    } else {
      listening_ = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
      const sockaddr_un address = UnixAddress(QFile::encodeName(folder + QStringLiteral("/.s.PGSQL.5432")));
      bound = bind(listening_, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
      url_ = QStringLiteral("postgresql://bench@/slow?host=") + folder;
    }
    if (!bound || listen(listening_, 4) != 0) {
      close(listening_);
      listening_ = -1;
      return;
    }
    thread_ = std::thread([this] { Loop(); });
  }
  ~SlowProxy() {
    stop_ = true;
    if (thread_.joinable()) thread_.join();
    if (listening_ >= 0) close(listening_);
  }
  bool Listening() const { return listening_ >= 0; }
  // The store's URL through the proxy, to add `&options=...` to.
  QString Url() const { return url_; }

 private:
  struct Session {
    int client = -1, server = -1;
    QByteArray held;    // the server's bytes not yet passed on
    bool slow = false;  // TORVIK's first statement has gone to the server
  };

  // Passes on the server's bytes: all of them until TORVIK's first
  // statement, then what the mode lets through.
  void Release(Session& s, bool tick) {
    const qsizetype release = !s.slow                          ? s.held.size()
                              : mode_ == Mode::Trickle && tick ? std::min<qsizetype>(1, s.held.size())
                                                               : 0;
    if (release > 0 && send(s.client, s.held.constData(), size_t(release), MSG_NOSIGNAL) > 0) s.held.remove(0, release);
  }

  void Loop() {
    std::vector<Session> sessions;
    auto lastTick = std::chrono::steady_clock::now();
    while (!stop_) {
      std::vector<pollfd> watched = {{listening_, POLLIN, 0}};
      for (const Session& s : sessions) {
        watched.push_back({s.client, POLLIN, 0});
        watched.push_back({s.server, POLLIN, 0});
      }
      poll(watched.data(), watched.size(), 10);
      if (watched[0].revents & POLLIN) {
        Session s;
        s.client = accept4(listening_, nullptr, nullptr, SOCK_CLOEXEC);
        s.server = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        const sockaddr_un address = UnixAddress(server_);
        if (s.client >= 0 && ::connect(s.server, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0) {
          sessions.push_back(s);
        } else {
          close(s.client), close(s.server);
        }
      }
      const bool tick = std::chrono::steady_clock::now() - lastTick >= std::chrono::milliseconds(50);
      if (tick) lastTick = std::chrono::steady_clock::now();
      for (size_t i = 0; i < sessions.size(); ++i) {
        Session& s = sessions[i];
        char buffer[65536];
        bool gone = false;
        if (watched.size() > 2 * i + 2 && (watched[2 * i + 1].revents & (POLLIN | POLLHUP | POLLERR))) {
          const ssize_t n = recv(s.client, buffer, sizeof buffer, 0);
          if (n > 0 && QByteArray::fromRawData(buffer, n).contains("torvik_schema")) {
            Release(s, false);  // the answers before it, whole
            s.slow = true;
          }
          gone = n <= 0 || send(s.server, buffer, size_t(n), MSG_NOSIGNAL) != n;
        }
        if (watched.size() > 2 * i + 2 && (watched[2 * i + 2].revents & (POLLIN | POLLHUP | POLLERR))) {
          const ssize_t n = recv(s.server, buffer, sizeof buffer, 0);
          if (n > 0) s.held.append(buffer, n);
          gone = gone || n <= 0;
        }
        Release(s, tick);
        if (gone) s.client = -s.client - 2;  // marked: closed below
      }
      for (auto s = sessions.begin(); s != sessions.end();) {
        if (s->client >= 0) {
          ++s;
          continue;
        }
        close(-s->client - 2), close(s->server);
        s = sessions.erase(s);
      }
    }
    for (const Session& s : sessions) close(s.client), close(s.server);
  }

  QByteArray server_;
  QString url_;
  Mode mode_;
  int listening_ = -1;
  std::atomic<bool> stop_{false};
  std::thread thread_;
};

}  // namespace

class ServerStoreTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() {
    if (!server_.Unavailable().isEmpty()) QSKIP(qPrintable(server_.Unavailable()));
    for (const char* database : {"torvik", "old", "newer", "foreign", "fleet", "crowd", "frozen", "slow"}) {
      QVERIFY(server_.CreateDatabase(QLatin1String(database)));
    }
  }

  // Version 2 as the steps made it, with a run; a newer version; another
  // program's tables.
  void olderUpgradedNewerAndForeignRefused() {
    {
      QSqlDatabase db = Database("old");
      QSqlQuery q(db);
      for (const char* statement :
           {"CREATE TABLE runs (id BIGSERIAL PRIMARY KEY, started TEXT NOT NULL, sort_time BIGINT NOT NULL, group_name "
            "TEXT NOT NULL, stopped BIGINT NOT NULL, bench_no BIGINT, total_tenths BIGINT NOT NULL, total_seconds "
            "DOUBLE "
            "PRECISION, user_name TEXT NOT NULL, pc_name TEXT NOT NULL, os TEXT NOT NULL, processor TEXT NOT NULL, "
            "caches TEXT NOT NULL, memory TEXT NOT NULL, display TEXT NOT NULL, test_directory TEXT NOT NULL, origin "
            "TEXT NOT NULL, sheet_key TEXT)",
            "CREATE TABLE tests (run_id BIGINT NOT NULL REFERENCES runs(id) ON DELETE CASCADE, test TEXT NOT NULL, "
            "tenths BIGINT NOT NULL, seconds DOUBLE PRECISION, rate DOUBLE PRECISION, unit TEXT NOT NULL, PRIMARY KEY "
            "(run_id, test))",
            "INSERT INTO runs VALUES (1, '8 Dec 2026 18:42:56', 5, 'cpu', 0, 780, 39, NULL, '', 'other-pc', '', "
            "'AuthenticAMD AMD EPYC 2596.13MHz', '', 'Free:23694MB  Total:24106MB', '?(0x0 0BitColor)', '', 'sheet', "
            "'k')",
            "CREATE TABLE torvik_schema (version INTEGER NOT NULL)", "INSERT INTO torvik_schema VALUES (2)"}) {
        QVERIFY2(q.exec(QLatin1String(statement)), statement);
      }
      QSqlQuery newer(Database("newer"));
      QVERIFY(newer.exec(QStringLiteral("CREATE TABLE torvik_schema (version INTEGER NOT NULL)")));
      QVERIFY(newer.exec(QStringLiteral("INSERT INTO torvik_schema VALUES (99)")));
      QSqlQuery foreign(Database("foreign"));
      QVERIFY(foreign.exec(QStringLiteral("CREATE TABLE runs (id INTEGER, km REAL)")));
    }
    for (const char* name : {"old", "newer", "foreign"}) QSqlDatabase::removeDatabase(QLatin1String(name));

    ResultStore old(Url("old"));
    QVERIFY_OK(old.Open());
    QCOMPARE(ValueOf(old.SchemaVersion()), kStoreSchemaVersion);
    const StoredRun converted = RunWithTests(old, 1);
    QCOMPARE(converted.values.startedAt, QStringLiteral("2026-12-08T18:42:56"));
    QCOMPARE(converted.values.memoryMb, std::optional<int64_t>(24106));
    {
      QSqlQuery instant(Database("old"));  // worked out for the rows there were
      QVERIFY(instant.exec(QStringLiteral("SELECT started_utc FROM runs WHERE id = 1")) && instant.next());
      QCOMPARE(instant.value(0).toDateTime(), QDateTime::fromSecsSinceEpoch(5, QTimeZone::utc()));
    }
    QSqlDatabase::removeDatabase(QStringLiteral("old"));

    // A newer store that says nothing of older writers takes none: this
    // TORVIK must be updated.
    for (const auto& [name, why, kind] : {std::tuple{"newer", "newer TORVIK", FailureKind::TooOld},
                                          {"foreign", "not TORVIK's", FailureKind::NotTorvik}}) {
      ResultStore refused(Url(name));
      const ArchiveResult<OpenedStore> opened = refused.Open();
      QCOMPARE(opened.Kind(), kind);
      QVERIFY2(opened.Text().contains(QLatin1String(why)), qPrintable(opened.Text()));
    }
    QSqlQuery untouched(Database("foreign"));
    QVERIFY(untouched.exec(QStringLiteral("SELECT count(*) FROM information_schema.tables "
                                          "WHERE table_schema = current_schema()")) &&
            untouched.next());
    QCOMPARE(untouched.value(0).toInt(), 1);  // nothing added
  }

  void runsKeptHereAreSentOnce() {
    ResultStore local(scratch_.path() + QStringLiteral("/local.sqlite"));
    ResultStore shared(Url("fleet"));
    QVERIFY_OK(local.Record(CpuRun(1)));
    QVERIFY_OK(local.Record(CpuRun(2)));
    SyncResult sync = SendWaitingRuns(local, shared);
    QVERIFY_OK(sync.failure);
    QCOMPARE(sync.sent, 2);
    QCOMPARE(SendWaitingRuns(local, shared).sent, 0);  // nothing waits any more
    // A run marked waiting again (a send cut short after the server kept it)
    // is found there: kept once.
    QVERIFY(ValueOf(local.Unsent()).empty());
    StoredRun resent = RunWithTests(local, ValueOf(local.Runs(1)).front().id);
    resent.sent = false;
    const ReceiveCounts counts = ValueOf(shared.Receive({resent}));
    QVERIFY(counts.received.empty() && counts.present.size() == 1);

    // The server stopped: the run waits here, and goes after the restart.
    QVERIFY(server_.Stop());
    QVERIFY_OK(local.Record(CpuRun(3)));
    ResultStore away(Url("fleet"));
    sync = SendWaitingRuns(local, away);
    QCOMPARE(sync.sent, 0);
    QCOMPARE(sync.waiting, 1);
    QVERIFY(!sync.failure.Ok());
    QVERIFY(server_.Start());
    // The store connected before the stop, as the window's sender keeps
    // one, asks the server again after sitting unused and connects afresh:
    // the first round after the restart sends.
    QTest::qWait(5'100);
    sync = SendWaitingRuns(local, shared);
    QVERIFY_OK(sync.failure);
    QCOMPARE(sync.sent, 1);
    QCOMPARE(ValueOf(shared.RunCount()), 3);
    // A run deleted on the shared store is never sent again from its PC.
    QVERIFY_OK(shared.Delete({ValueOf(shared.Runs(1)).front().id}));
    QCOMPARE(SendWaitingRuns(local, shared).sent, 0);
    QCOMPARE(ValueOf(shared.RunCount()), 2);
  }

  // A service file libpq would read for ever (a FIFO) is refused before
  // any connection is tried, in one line naming it.
  void aServiceFileThatIsNoFileIsRefused() {
    QTemporaryDir dir;
    const QString fifo = dir.filePath(QStringLiteral("services"));
    QVERIFY(mkfifo(QFile::encodeName(fifo).constData(), 0600) == 0);
    qputenv("PGSERVICEFILE", QFile::encodeName(fifo));
    const auto restored = qScopeGuard([] { qunsetenv("PGSERVICEFILE"); });
    const ArchiveResult<OpenedStore> opened = ResultStore(Url("fleet")).Open();
    QVERIFY(!opened.Ok());
    QVERIFY2(opened.Text().contains(fifo), qPrintable(opened.Text()));
  }

  // A PC name with characters that do not print (a NUL ended the
  // connection string there) reaches the server's views as one line.
  void aNameThatDoesNotPrintStillConnects() {
    ResultStore named(Url("fleet"), QStringLiteral("torvik a") + QChar(u'\0') + QStringLiteral("b\x01" "c;d"));
    QVERIFY_OK(named.RunCount());
    QSqlQuery q(server_.Connect(QStringLiteral("fleet"), QStringLiteral("looker")));
    QVERIFY(q.exec(QStringLiteral("SELECT count(*) FROM pg_stat_activity WHERE application_name = 'torvik a b c d'")));
    QVERIFY(q.next());
    QCOMPARE(q.value(0).toInt(), 1);
  }

  // 50 machines sending at once, each a `torvik --sync` with a store of its
  // own holding one waiting run, the last the same run as the first: every
  // run lands, none twice.
  void fiftyMachinesSendAtOnce() {
    constexpr int kMachines = 50;
    QString firstUuid;
    std::vector<std::unique_ptr<QProcess>> machines;
    for (int i = 0; i < kMachines; ++i) {
      const QString home = scratch_.path() + QStringLiteral("/machine%1").arg(i);
      QVERIFY(QDir().mkpath(home + QStringLiteral("/data/Varn/TORVIK")));
      {
        ResultStore local(home + QStringLiteral("/data/Varn/TORVIK/results.sqlite"));
        StoredRun run = CpuRun(1'000 + i);
        run.pcName = QStringLiteral("pc%1").arg(i);
        if (i == kMachines - 1) run.uuid = firstUuid;
        QVERIFY_OK(local.Record(run));
        if (i == 0) firstUuid = ValueOf(local.Runs(1)).front().uuid;
      }
      auto& machine = machines.emplace_back(std::make_unique<QProcess>());
      machine->setProcessEnvironment(MachineEnvironment(home + QStringLiteral("/data"), home + QStringLiteral("/config")));
      machine->setProcessChannelMode(QProcess::ForwardedErrorChannel);
      machine->start(QStringLiteral(TORVIK_BINARY),
                     {QStringLiteral("--sync"), QStringLiteral("--store"), Url("crowd")});
    }
    for (const auto& machine : machines) {
      QVERIFY(machine->waitForFinished(60'000));
      QCOMPARE(machine->exitCode(), 0);
    }
    ResultStore shared(Url("crowd"));
    QCOMPARE(ValueOf(shared.RunCount()), kMachines - 1);
  }

  // Two kinds of role: the owner makes and upgrades the schema and may
  // delete; a member adds and reads, works with an older schema as it is
  // (saying what the owner runs) and never tries what it has no right to;
  // on an empty database it says so instead of failing at a CREATE.
  void ownersChangeMembersAddAndRead() {
    QVERIFY(server_.CreateDatabase(QStringLiteral("roles")));
    {
      QSqlQuery q(Database("roles"));
      for (const char* statement :
           {"CREATE ROLE fleet_owner LOGIN", "CREATE ROLE fleet_member LOGIN",
            "REVOKE ALL ON SCHEMA public FROM PUBLIC", "CREATE SCHEMA fleet AUTHORIZATION fleet_owner",
            "ALTER DATABASE roles SET search_path = fleet", "GRANT USAGE ON SCHEMA fleet TO fleet_member",
            "ALTER DEFAULT PRIVILEGES FOR ROLE fleet_owner IN SCHEMA fleet GRANT SELECT, INSERT ON TABLES TO "
            "fleet_member",
            "ALTER DEFAULT PRIVILEGES FOR ROLE fleet_owner IN SCHEMA fleet GRANT USAGE ON SEQUENCES TO fleet_member"}) {
        QVERIFY2(q.exec(QLatin1String(statement)), statement);
      }
    }
    QSqlDatabase::removeDatabase(QStringLiteral("roles"));
    const QString owner = server_.Url(QStringLiteral("roles"), QStringLiteral("fleet_owner"), QString());
    const QString member = server_.Url(QStringLiteral("roles"), QStringLiteral("fleet_member"), QString());

    ResultStore early(member);  // nothing made yet: the member says whose turn it is
    const ArchiveResult<OpenedStore> notYet = early.Open();
    QVERIFY(!notYet.Ok() && notYet.Kind() != FailureKind::NotTorvik);
    QVERIFY2(notYet.Text().contains(QStringLiteral("--upgrade-store")) && !notYet.Text().contains(QStringLiteral("denied")),
             qPrintable(notYet.Text()));

    ResultStore made(owner);
    QCOMPARE(ValueOf(made.Open()).foundVersion, 0);
    QVERIFY(ValueOf(made.MayDelete()));
    ResultStore adding(member);
    QVERIFY_OK(adding.Record(CpuRun(1)));
    QVERIFY(!ValueOf(adding.MayDelete()));
    QVERIFY(!adding.Delete({ValueOf(adding.Runs(1)).front().id}).Ok());
    QCOMPARE(ValueOf(adding.RunCount()), 1);

    // The schema of an older TORVIK (version 7): the member adds without
    // what the newer steps keep, the owner upgrades it.
    {
      QSqlQuery q(Database("roles"));
      QVERIFY(q.exec(QStringLiteral("SET ROLE fleet_owner")));
      for (const char* statement :
           {"DROP TRIGGER runs_received ON fleet.runs", "DROP TRIGGER tests_received ON fleet.tests",
            "DROP FUNCTION fleet.torvik_receive_run()", "DROP FUNCTION fleet.torvik_receive_tests()",
            "DROP TABLE fleet.machines",
            "DROP INDEX fleet.runs_by_machine, fleet.runs_by_machine_name, fleet.runs_by_machine_group",
            "ALTER TABLE fleet.runs DROP COLUMN host_name, DROP COLUMN machine_id, DROP COLUMN send_problem, DROP "
            "COLUMN torvik_version, DROP COLUMN torvik_schema, DROP COLUMN sent_by, DROP COLUMN received_at",
            "ALTER TABLE fleet.tests DROP COLUMN iops, DROP COLUMN p50_us, DROP COLUMN p99_us, DROP COLUMN p999_us, "
            "DROP COLUMN engine",
            "ALTER TABLE fleet.torvik_schema DROP COLUMN schema_version, DROP COLUMN oldest_writer, DROP COLUMN label",
            "UPDATE fleet.torvik_schema SET version = 7"}) {
        QVERIFY2(q.exec(QLatin1String(statement)), statement);
      }
    }
    QSqlDatabase::removeDatabase(QStringLiteral("roles"));
    ResultStore older(member);
    StoredRun run = CpuRun(2);
    run.hostName = QStringLiteral("node07");
    QVERIFY_OK(older.Record(run));
    QVERIFY2(older.Advice().contains(QStringLiteral("schema 7")) && older.Advice().contains(QStringLiteral("--upgrade-store")),
             qPrintable(older.Advice()));
    QCOMPARE(ValueOf(older.RunCount()), 2);
    ResultStore upgrading(owner);
    QCOMPARE(ValueOf(upgrading.Open()).foundVersion, 7);
    QCOMPARE(ValueOf(upgrading.SchemaVersion()), kStoreSchemaVersion);
    ResultStore current(member);
    QVERIFY(ValueOf(current.Open()).advice.isEmpty());
    QVERIFY_OK(upgrading.Delete({ValueOf(upgrading.Runs(1)).front().id}));
  }

  // Nothing poisons the queue: a sheet another PC sent already counts as
  // there; a NUL in a name goes as a replacement character; a run the
  // server will not take (here a rule of its administrator's) is set aside
  // here with why, and the runs behind it go all the same, then and later.
  void nothingPoisonsTheQueue() {
    QVERIFY(server_.CreateDatabase(QStringLiteral("queue")));
    const QString url = Url("queue");
    ResultStore shared(url);
    ResultStore first(scratch_.path() + QStringLiteral("/queue-a.sqlite"));
    ResultStore second(scratch_.path() + QStringLiteral("/queue-b.sqlite"));
    StoredRun sheet = CpuRun(10);
    sheet.origin = kOriginSheet;
    sheet.sheetKey = QStringLiteral("the same sheet");
    QVERIFY_OK(first.Import({sheet}));
    QVERIFY_OK(second.Import({sheet}));
    QCOMPARE(SendWaitingRuns(first, shared).sent, 1);
    {
      QSqlQuery rule(Database("queue"));
      QVERIFY(rule.exec(QStringLiteral("ALTER TABLE runs ADD CONSTRAINT no_refused CHECK (pc_name <> 'refused')")));
    }
    QSqlDatabase::removeDatabase(QStringLiteral("queue"));
    StoredRun refused = CpuRun(11), named = CpuRun(12), behind = CpuRun(13);
    refused.pcName = QStringLiteral("refused");
    named.pcName = QStringLiteral("a") + QChar(u'\0') + QStringLiteral("b");
    for (const StoredRun& run : {refused, named, behind}) QVERIFY_OK(second.Record(run));
    const SyncResult sync = SendWaitingRuns(second, shared);
    QVERIFY_OK(sync.failure);
    QCOMPARE(sync.sent, 2);  // the sheet was there already; the refused run set aside
    QCOMPARE(sync.setAside.size(), 1);
    QVERIFY2(sync.setAside.front().contains(QStringLiteral("no_refused")), qPrintable(sync.setAside.front()));
    QCOMPARE(ValueOf(shared.RunCount()), 3);
    QCOMPARE(ValueOf(shared.RunCount({.pcName = QStringLiteral("a b")})),
             1);  // as every store writes it (PrintableText)
    QVERIFY(ValueOf(second.Unsent()).empty());
    const std::vector<StoredRun> aside = ValueOf(second.SetAsideRuns());
    QCOMPARE(aside.size(), size_t{1});
    QCOMPARE(aside.front().pcName, QStringLiteral("refused"));
    QVERIFY_OK(second.Record(CpuRun(14)));
    QCOMPARE(SendWaitingRuns(second, shared).sent, 1);  // later runs are never held back
  }

  // A wrong password: told (and never shown), the runs wait here.
  void aWrongPasswordKeepsTheRunsWaiting() {
    {
      QSqlQuery q(Database("torvik"));
      QVERIFY(q.exec(QStringLiteral("CREATE ROLE secured LOGIN PASSWORD 'right'")));
    }
    QSqlDatabase::removeDatabase(QStringLiteral("torvik"));
    ResultStore local(scratch_.path() + QStringLiteral("/secured.sqlite"));
    QVERIFY_OK(local.Record(CpuRun(5)));
    ResultStore shared(server_.Url(QStringLiteral("torvik"), QStringLiteral("secured"), QStringLiteral("wrong")));
    const SyncResult sync = SendWaitingRuns(local, shared);
    QCOMPARE(sync.waiting, 1);
    QVERIFY2(sync.failure.Text().contains(QStringLiteral("\"secured\"")),
             qPrintable(sync.failure.Text()));  // libpq's words, in its language
    QVERIFY(!sync.failure.Text().contains(QStringLiteral("wrong")));
    QVERIFY(shared.Open().Kind() != FailureKind::NotTorvik);  // tried again next time
    QCOMPARE(ValueOf(local.Unsent()).size(), size_t{1});
  }

  // A server that stops answering in the middle of a send (its backend
  // stopped, as a frozen machine would be): the command ends after the
  // limit with the run waiting here and why, or at once on a signal with
  // nothing printed.
  void aFrozenServerCostsALimitAndASignalEndsTheWait_data() {
    QTest::addColumn<bool>("signalled");
    QTest::newRow("waited out") << false;
    QTest::newRow("SIGTERM meanwhile") << true;
  }
  void aFrozenServerCostsALimitAndASignalEndsTheWait() {
    QFETCH(bool, signalled);
    const QString home = scratch_.path() + (signalled ? QStringLiteral("/frozen-signal") : QStringLiteral("/frozen"));
    QVERIFY(QDir().mkpath(home));
    QVERIFY_OK(ResultStore(Url("frozen")).Open());
    QProcess torvik;
    torvik.setProcessEnvironment(MachineEnvironment(home, home));
    const qint64 session = server_.FreezeWaitingSession(QStringLiteral("frozen"), [&] {
      torvik.start(QStringLiteral(TORVIK_BINARY),
                   {"--run", "memory", "--dir", home, "--quiet", "--format", "json", "--store", Url("frozen")});
    });
    QVERIFY(session > 0);
    const auto thawed = qScopeGuard([session] { testing::ScratchServer::Thaw(session); });
    if (signalled) QTest::qWait(500);  // well into the wait
    QElapsedTimer waited;
    waited.start();
    if (signalled) torvik.terminate();
    // 15 s of waiting out the limit when quiet: a command that waited for
    // ever would be caught here.
    QVERIFY(torvik.waitForFinished(300'000));
    const QByteArray out = torvik.readAllStandardOutput(), err = torvik.readAllStandardError();
    if (signalled) {
      // At once (a few ms when quiet), not after the limit.
      QVERIFY2(waited.elapsed() < 7'500, qPrintable(QString::number(waited.elapsed())));
      QCOMPARE(torvik.exitCode(), 128 + SIGTERM);
      QVERIFY(out.isEmpty());
      QVERIFY(!err.contains("did not answer"));
    } else {
      // The limit it waited out, in its own words.
      QCOMPARE(torvik.exitCode(), 0);
      QVERIFY(!out.isEmpty());
      QVERIFY2(err.contains("did not answer within 15 s") && err.contains("1 "), err.constData());
    }
    ResultStore local(home + QStringLiteral("/Varn/TORVIK/results.sqlite"));
    QCOMPARE(ValueOf(local.Unsent()).size(), size_t{1});  // kept here, waiting
  }

  // The limits follow the URL's statement_timeout: the server may work on a
  // statement that long before its first byte.
  void limitsFollowTheStatementTimeout_data() {
    QTest::addColumn<QString>("options");
    QTest::addColumn<int>("silenceMs");
    QTest::newRow("TORVIK's own 10 s") << "" << 15'000;
    QTest::newRow("60 s in ms") << "-c statement_timeout=60000" << 65'000;
    QTest::newRow("1 min") << "-c statement_timeout=1min" << 65'000;
    QTest::newRow("no space, seconds") << "-cstatement_timeout=20s" << 25'000;
    QTest::newRow("long form") << "--statement-timeout=3000 -c search_path=x" << 8'000;
    QTest::newRow("last wins") << "-c statement_timeout=1000 -c statement_timeout=2000" << 7'000;
    QTest::newRow("0: none set") << "-c statement_timeout=0" << 15'000;
    QTest::newRow("another setting") << "-c lock_timeout=90000" << 15'000;
  }
  void limitsFollowTheStatementTimeout() {
    QFETCH(QString, options);
    QFETCH(int, silenceMs);
    QUrl url(QStringLiteral("postgresql://bench@db.example/torvik"));
    if (!options.isEmpty()) url.setQuery(QStringLiteral("options=") + QUrl::toPercentEncoding(options));
    const AnswerLimits limits = AnswerLimitsOf(url.toString(QUrl::FullyEncoded));
    QCOMPARE(limits.silenceMs, silenceMs);
    QCOMPARE(limits.slowMs, 4 * silenceMs);
  }

  // Through a proxy of the test's: a server that keeps silent from TORVIK's
  // first statement on is told as silence after the URL's statement
  // timeout (1 s) and the margin, 6 s, over TCP and over a local socket;
  // over TCP, one whose answers trickle at 20 B/s is never told as silence
  // (every byte starts the silence again) but as a slow answer, after four
  // times that.
  void silenceAndASlowAnswerAreToldApart_data() {
    QTest::addColumn<bool>("tcp");
    QTest::addColumn<bool>("trickle");
    QTest::newRow("silent, local socket") << false << false;
    QTest::newRow("silent, TCP") << true << false;
    QTest::newRow("20 B/s, TCP") << true << true;
  }
  void silenceAndASlowAnswerAreToldApart() {
    QFETCH(bool, tcp);
    QFETCH(bool, trickle);
    const QString name = QStringLiteral("slow-%1-%2").arg(int(tcp)).arg(int(trickle));
    {
      // Runs to read back: an answer of some kilobytes.
      ResultStore local(scratch_.path() + QStringLiteral("/%1.sqlite").arg(name));
      for (int i = 0; i < 20; ++i) QVERIFY_OK(local.Record(CpuRun(1'800'000'000 + i)));
      ResultStore direct(Url("slow"));
      QVERIFY(SendWaitingRuns(local, direct).failure.Ok());
    }
    const QString folder = tcp ? QString() : scratch_.path() + u'/' + name;
    QVERIFY(tcp || QDir().mkpath(folder));
    SlowProxy proxy(server_.SocketFolder() + QStringLiteral("/.s.PGSQL.5432"), folder,
                    trickle ? SlowProxy::Mode::Trickle : SlowProxy::Mode::Silent);
    QVERIFY(proxy.Listening());
    const QString url = proxy.Url() + QStringLiteral("&options=-c%20statement_timeout%3D1000");
    QCOMPARE(AnswerLimitsOf(url).silenceMs, 6'000);
    ResultStore store(url);
    QElapsedTimer waited;
    waited.start();
    // Told by the event: the calls end when the watchdog cuts them.
    const ArchiveResult<OpenedStore> opened = store.Open();
    const ArchiveStatus failure = opened.Ok() ? store.Runs(100).Status() : opened.Status();
    const qint64 elapsed = waited.elapsed();
    QVERIFY(!failure.Ok());
    QVERIFY2(failure.Kind() == FailureKind::Unreachable, qPrintable(failure.Text()));
    if (trickle) {
      QVERIFY2(failure.Text().contains(u"came too slowly (still arriving after 24 s)") &&
                   !failure.Text().contains(u"did not answer"),
               qPrintable(failure.Text()));
      QVERIFY2(elapsed >= 24'000, qPrintable(QString::number(elapsed)));  // never cut as silent on the way
    } else {
      QVERIFY2(failure.Text().contains(u"did not answer within 6 s"), qPrintable(failure.Text()));
      QVERIFY2(elapsed >= 6'000 - 100, qPrintable(QString::number(elapsed)));
    }
  }

  // Nobody listening, or a socket that takes the connection and never
  // answers: told within the timeout, not taken for a refusal; a password
  // in the URL is never shown.
  void aServerThatIsNotThere_data() {
    QTest::addColumn<bool>("silent");
    QTest::newRow("nobody listening") << false;
    QTest::newRow("never answers") << true;
  }
  void aServerThatIsNotThere() {
    QFETCH(bool, silent);
    const QString folder = scratch_.path() + (silent ? QStringLiteral("/silent") : QStringLiteral("/nowhere"));
    const int listening = silent ? socket(AF_UNIX, SOCK_STREAM, 0) : -1;
    const auto closed = qScopeGuard([listening] {
      if (listening >= 0) close(listening);
    });
    if (silent) {
      QVERIFY(QDir().mkpath(folder));
      const QByteArray path = QFile::encodeName(folder + QStringLiteral("/.s.PGSQL.5432"));
      QVERIFY(path.size() < qsizetype(sizeof sockaddr_un::sun_path));
      const sockaddr_un address = UnixAddress(path);
      QVERIFY(bind(listening, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0 &&
              listen(listening, 4) == 0);
    }
    ResultStore store(QStringLiteral("postgresql://bench:secret@/torvik?host=%1").arg(folder));
    QElapsedTimer timer;
    timer.start();
    const ArchiveResult<OpenedStore> away = store.Open();
    QVERIFY(!away.Ok());
    // Within its 5 s to connect (the store's connection options say so),
    // never the wait for ever of a connection without a limit.
    QVERIFY(timer.elapsed() < 60'000);
    QCOMPARE(away.Kind(), FailureKind::Unreachable);
    QVERIFY2(!away.Text().contains(QStringLiteral("secret")), qPrintable(away.Text()));
    ResultStore malformed(QStringLiteral("postgresql://bench@host"));  // no database
    QCOMPARE(malformed.Open().Kind(), FailureKind::NotTorvik);
  }

 private:
  QString Url(const char* database) const { return server_.Url(QLatin1String(database)); }
  QSqlDatabase Database(const char* name) const {
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), QLatin1String(name));
    db.setHostName(server_.SocketFolder());
    db.setUserName(QStringLiteral("bench"));
    db.setDatabaseName(QLatin1String(name));
    if (!db.open()) qWarning("%s", qPrintable(db.lastError().text()));
    return db;
  }

  // One role signs in with a password; the others are trusted.
  testing::ScratchServer server_{"local all secured scram-sha-256"};
  QTemporaryDir scratch_;
};

QTEST_GUILESS_MAIN(ServerStoreTest)
#include "test_server_store.moc"
