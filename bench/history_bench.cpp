// Times the results archive against what a user must not notice. On this
// PC's store: recording one run after a group (under 50 ms), the comparison
// window's list of 10,000 runs arriving (under 1 s), importing a sheet of
// 1,000 blocks (under 2 s), 16 copies recording into one store at the same
// moment (every run kept, within the busy timeout of 5 s), the comparison
// window drawing 20 ticked runs of every test (under 0.5 s) and what
// --compare reads and works out on the 10,000 runs (under 0.2 s). Then on a
// shared store, a PostgreSQL server of the bench's own reached over its Unix
// socket, logging every statement: one waiting run sent by a store opened
// for it (under 50 ms); the schema's lock taken by 50 connections to a
// current schema (none; one each before); 50 copies recording at once while
// another session holds that lock (all kept within 5 s); torvik --history
// --pc of one PC among 10,000 runs (under 0.3 s); the comparison window's
// list there (under 1 s); "same machine" ticking a PC's 50 runs and drawing
// them (under 0.5 s, at most 5 statements); and torvik --run memory
// --repeat 3 against a server that takes the connection and never answers
// (at most 1.2 times the same run without a shared store, plus one connect
// timeout of 5 s); a first --sync of 5,000 waiting runs (under 5 s, under
// 200 MB here and in the server's session). Last, torvik --import of a sheet
// of 60,000 blocks while 5 runs record into the same store (all kept, under
// 300 MB). The report page (torvik --html) of 50 machines' 10,000 runs of
// the ALL group (15 tests, series of three) under 2 s and 2 MB, in this
// PC's store and in a database of the shared store's server.
// Without postgresql installed those rows are left out,
// with the reason. The copies are this program, started with --record-into.
//
//   build/bench/torvik_history_bench
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <QApplication>
#include <QComboBox>
#include <QCryptographicHash>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QSqlQuery>
#include <QTabWidget>
#include <QTableView>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <cstdio>
#include <cstring>
#include <memory>
#include <optional>
#include <set>
#include <vector>

#include "BenchTable.h"
#include "ScratchServer.h"
#include "core/analysis/RunComparison.h"
#include "core/archive/BackgroundArchive.h"
#include "core/archive/SheetParser.h"
#include "core/report/ReportBuilder.h"
#include "core/report/ResultSheet.h"
#include "core/results/Timing.h"
#include "core/store/ResultStore.h"
#include "core/store/StoreSync.h"
#include "ui/ComparisonWindow.h"

using namespace torvik;

namespace {

StoredRun CpuRun(int64_t i) {
  StoredRun run;
  run.started = QStringLiteral("2026-12-08T07:40:03+00:00");
  run.sortTime = 1'700'000'000 + i;
  run.group = QStringLiteral("cpu");
  run.benchNo = 1128;
  run.totalTenths = 47;
  run.processor = QStringLiteral("AuthenticAMD AMD EPYC 2596.15MHz");
  run.tests = {StoredTest{"prime", 8, 0.8, 5.7e8, "ops/s", std::nullopt},
               StoredTest{"trig", 39, 3.9, 3.1e7, "ops/s", std::nullopt}};
  return run;
}

// A run of the ALL group: every test, each with its precise seconds.
StoredRun AllRun(int64_t i) {
  StoredRun run = CpuRun(i);
  run.group = QStringLiteral("all");
  run.series = QStringLiteral("series-%1").arg(i % 4);
  run.tests.clear();
  for (const TestEntry& entry : kTests) {
    const double seconds = 0.5 + 0.01 * static_cast<double>(i % 7);
    run.tests.push_back(StoredTest{QLatin1String(entry.id), qRound64(seconds * 10), seconds, 1e6 / seconds,
                                   QLatin1String(entry.unit), std::nullopt});
  }
  return run;
}

// 1,000 report blocks, each its own date (from the `first`th second on).
QByteArray Sheet(int first = 0) {
  QByteArray sheet;
  for (int i = first; i < first + 1'000; ++i) {
    RunRecord run;
    run.results[Test::Calc].elapsed = TimeValue::FromTenths(8);
    run.results.Total() = TimeValue::FromTenths(8);
    SheetInputs in;
    in.locale = QLocale::c();
    in.now = QDateTime(QDate(2026, 1, 1), QTime(0, 0, 1)).addSecs(i);
    in.captions = CaptionsOf(run.results, u'.');
    sheet += SheetBytes(BuildReport(run, in));
  }
  return sheet;
}

bool WaitFor(const std::function<bool()>& done) { return QTest::qWaitFor(done, 60'000); }

// Seconds until the comparison window on `archive` has its list, shown.
double OpenComparison(BackgroundArchive& archive) {
  QElapsedTimer timer;
  timer.start();
  ComparisonWindow window(archive);
  window.show();
  WaitFor([&window] { return !window.Runs().Loading(); });
  const double seconds = timer.nsecsElapsed() / 1e9;
  if (window.Runs().rowCount() == 0) std::fprintf(stderr, "the comparison window listed no runs\n");
  return seconds;
}

// `n` copies of this program recording one run each into `location` at
// once: the seconds until the last has finished, or a negative number when
// a run was lost (`counted`: nothing else writes there meanwhile, so the
// store has n runs more).
double CopiesRecording(const QString& location, int n, bool counted = true) {
  const int before = ResultStore(location).RunCount().ValueOr(-1);
  std::vector<std::unique_ptr<QProcess>> copies;
  QElapsedTimer timer;
  timer.start();
  for (int i = 0; i < n; ++i) {
    copies.push_back(std::make_unique<QProcess>());
    copies.back()->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    copies.back()->start(QCoreApplication::applicationFilePath(), {QStringLiteral("--record-into"), location});
  }
  bool allKept = true;
  for (const auto& copy : copies) allKept = copy->waitForFinished(60'000) && copy->exitCode() == 0 && allKept;
  const double seconds = timer.nsecsElapsed() / 1e9;
  return allKept && (!counted || ResultStore(location).RunCount().ValueOr(-1) == before + n) ? seconds : -1;
}

// The lines of the server's log that `action` added and that contain
// `what` but not `unless` (when given).
int LoggedDuring(const QString& logFile, const char* what, const std::function<void()>& action,
                 const QRegularExpression& unless = {}) {
  QFile log(logFile);
  if (!log.open(QIODevice::ReadOnly)) return -1;
  log.seek(log.size());
  action();
  QTest::qWait(200);  // the server has written its log
  int lines = 0;
  for (const QByteArray& line : log.readAll().split('\n')) {
    if (!line.contains(what) || (!unless.pattern().isEmpty() && unless.match(QString::fromUtf8(line)).hasMatch())) {
      continue;
    }
    ++lines;
    if (qEnvironmentVariableIsSet("TORVIK_BENCH_LOG")) std::fprintf(stderr, "  %s\n", line.left(160).constData());
  }
  return lines;
}

// The program's environment with `home` for its data and settings, and no display.
QProcessEnvironment EnvironmentOwnedBy(const QString& home) {
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) environment.remove(name);
  environment.insert(QStringLiteral("XDG_DATA_HOME"), home);
  environment.insert(QStringLiteral("XDG_CONFIG_HOME"), home);
  return environment;
}

// The seconds `torvik arguments` took in an environment of its own, and its
// output; none when it failed.
std::optional<double> TimedProgram(const QStringList& arguments, const QString& home, QByteArray* out = nullptr) {
  QProcess process;
  process.setProcessEnvironment(EnvironmentOwnedBy(home));
  QElapsedTimer timer;
  timer.start();
  process.start(QStringLiteral(TORVIK_BINARY), arguments);
  if (!process.waitForFinished(120'000) || process.exitCode() != 0) {
    std::fprintf(stderr, "torvik %s: %s\n", qPrintable(arguments.join(u' ')), process.readAllStandardError().data());
    return std::nullopt;
  }
  if (out != nullptr) *out = process.readAllStandardOutput();
  return timer.nsecsElapsed() / 1e9;
}

// A process's peak memory so far in MB (VmHWM), or 0 when it has gone.
double PeakMb(qint64 pid) {
  QFile status(QStringLiteral("/proc/%1/status").arg(pid));
  if (!status.open(QIODevice::ReadOnly)) return 0;
  for (const QByteArray& line : status.readAll().split('\n')) {
    if (line.startsWith("VmHWM:")) return line.mid(6).trimmed().split(' ').front().toDouble() / 1024;
  }
  return 0;
}

// Runs `torvik arguments` with `home`, sampling its peak memory and (with
// `server`) that of its session on the server while it runs: its seconds,
// or none when it failed.
struct Measured {
  double seconds = 0, clientMb = 0, serverMb = 0;
};
std::optional<Measured> Watched(const QStringList& arguments, const QString& home, const QString& serverDatabase = {},
                                const testing::ScratchServer* server = nullptr,
                                const std::function<void()>& meanwhile = {}) {
  QProcess process;
  process.setProcessEnvironment(EnvironmentOwnedBy(home));
  std::optional<QSqlQuery> sessions;
  if (server != nullptr) sessions.emplace(server->Connect(serverDatabase, QStringLiteral("watcher")));
  Measured measured;
  QElapsedTimer timer;
  timer.start();
  process.start(QStringLiteral(TORVIK_BINARY), arguments);
  if (meanwhile) meanwhile();
  while (!process.waitForFinished(20)) {
    measured.clientMb = std::max(measured.clientMb, PeakMb(process.processId()));
    if (sessions &&
        sessions->exec(QStringLiteral("SELECT pid FROM pg_stat_activity WHERE application_name LIKE "
                                      "'torvik%'")) &&
        sessions->next()) {
      measured.serverMb = std::max(measured.serverMb, PeakMb(sessions->value(0).toLongLong()));
    }
  }
  measured.seconds = timer.nsecsElapsed() / 1e9;
  sessions.reset();
  QSqlDatabase::removeDatabase(QStringLiteral("watcher"));
  if (process.exitCode() != 0) {
    std::fprintf(stderr, "torvik %s: %s\n", qPrintable(arguments.join(u' ')), process.readAllStandardError().data());
    return std::nullopt;
  }
  return measured;
}

// A first --sync of 5,000 waiting runs over the server's Unix socket.
bool SyncRow(const testing::ScratchServer& server, const QString& scratch) {
  {
    QSqlQuery setup(server.Connect(QStringLiteral("torvik"), QStringLiteral("setup")));
    setup.exec(QStringLiteral("ALTER DATABASE torvik RESET log_statement"));  // the rows before count statements
  }
  QSqlDatabase::removeDatabase(QStringLiteral("setup"));
  const QString home = scratch + QStringLiteral("/sync-home");
  ImportCounts counts;
  std::vector<StoredRun> runs;
  for (int64_t i = 0; i < 5'000; ++i) runs.push_back(AllRun(30'000 + i));
  if (!ResultStore(home + QStringLiteral("/Varn/TORVIK/results.sqlite")).Import(runs).Ok()) return false;
  const std::optional<Measured> sync =
      Watched({"--sync", "--store", server.Url(QStringLiteral("torvik"))}, home, QStringLiteral("torvik"), &server);
  if (!sync) return false;
  bench::PrintRow("sync 5,000, shared", "torvik --sync of 5,000 waiting runs of 15 tests (5 s allowed)", sync->seconds,
                  5.0, "s");
  bench::PrintRow("sync 5,000, memory", "its peak memory, this PC's side (200 MB allowed)", sync->clientMb, 200, "MB");
  bench::PrintRow("sync 5,000, server", "its session's peak memory on the server (200 MB allowed)", sync->serverMb, 200,
                  "MB");
  return sync->clientMb <= 200 && sync->serverMb <= 200;
}

// torvik --import of a sheet of 60,000 blocks while five runs record into
// the same store.
bool LongImportRow(const QString& scratch) {
  const QString home = scratch + QStringLiteral("/import-home");
  const QString local = home + QStringLiteral("/Varn/TORVIK/results.sqlite");
  if (!ResultStore(local).Open().Ok()) return false;
  const QString path = scratch + QStringLiteral("/long-sheet.txt");
  QFile file(path);
  if (!file.open(QIODevice::WriteOnly)) return false;
  for (int part = 0; part < 60; ++part) file.write(Sheet(part * 1'000));
  file.close();
  double beside = -1;
  const std::optional<Measured> imported = Watched({"--import", path}, home, {}, nullptr, [&] {
    QTest::qWait(2'000);  // well into the sheet
    beside = CopiesRecording(local, 5, false);
  });
  QFile::remove(path);
  if (!imported) return false;
  bench::PrintRow("import 60,000 blocks", "torvik --import of 60,000 blocks, 5 runs recorded beside it",
                  imported->seconds, 60.0, "s");
  bench::PrintRow("import 60,000, memory", "its peak memory (300 MB allowed)", imported->clientMb, 300, "MB");
  if (beside < 0) std::fprintf(stderr, "runs recorded beside the import: one was lost\n");
  return beside >= 0 && imported->clientMb <= 300 && ResultStore(local).RunCount().ValueOr(-1) == 60'000 + 5;
}

// The 10,000 runs of the shared store: 50 of them desk-7's (the newest run
// of all, the others the oldest), the rest 49 other PCs'.
std::vector<StoredRun> FleetRuns() {
  std::vector<StoredRun> runs;
  for (int64_t i = 0; i < 10'000; ++i) {
    StoredRun run = CpuRun(i);
    run.pcName = i < 49 || i == 9'999 ? QStringLiteral("desk-7") : QStringLiteral("pc%1").arg(i % 49);
    if (i == 9'999) run.sortTime = 1'800'000'000;  // newer than the copies' runs too
    runs.push_back(run);
  }
  return runs;
}

// torvik --html of the runs in `store` (a server's URL, or empty for the
// store under `home`): its seconds and the page's size, each with its bound.
bool HtmlReportRow(const char* what, const char* method, const QString& home, const QString& store = {}) {
  const QString page = home + QStringLiteral("/report.html");
  QStringList arguments = {"--html", page};
  if (!store.isEmpty()) arguments << QStringLiteral("--store") << store;
  const std::optional<double> seconds = TimedProgram(arguments, home);
  if (!seconds) return false;
  const double megabytes = QFileInfo(page).size() / 1e6;
  QFile::remove(page);
  bench::PrintRow(what, method, *seconds, 2.0, "s");
  bench::PrintRow(QByteArray(what).append(", size").constData(), "the page's size (2 MB allowed)", megabytes, 2.0,
                  "MB");
  return *seconds <= 2.0 && megabytes <= 2.0;
}

// A fleet machine's id (32 hex digits, as a PC's own), one to a PC name: a
// shared store ranks only the machines it knows, once approved.
QString MachineIdOf(const QString& pcName) {
  return QString::fromLatin1(QCryptographicHash::hash(pcName.toUtf8(), QCryptographicHash::Md5).toHex());
}

// `runs` kept in `store`, their machines approved as a fleet's owner
// approves them (a shared store ranks no other; this PC's store keeps no
// machines); false, said, when the import failed.
bool ImportApproved(ResultStore& store, const std::vector<StoredRun>& runs) {
  if (const ArchiveResult<ImportCounts> imported = store.Import(runs); !imported.Ok()) {
    std::fprintf(stderr, "%s\n", qPrintable(imported.Text()));
    return false;
  }
  std::set<QString> machines;
  for (const StoredRun& run : runs) machines.insert(run.machineId);
  for (const QString& machine : machines) store.SetMachineState(machine, MachineState::Approved);
  return true;
}

// 50 machines' 200 runs each of the ALL group, in series of three, the
// figures drifting and every tenth series noisy: the largest page.
std::vector<StoredRun> ReportFleet() {
  TestNoise shared;  // others used the processor all along
  shared.seconds = 1, shared.othersCoreSeconds = 1;
  std::vector<StoredRun> runs;
  for (int64_t machine = 0; machine < 50; ++machine) {
    for (int64_t k = 0; k < 200; ++k) {
      StoredRun run = AllRun(k);
      run.pcName = QStringLiteral("pc%1").arg(machine);
      run.hostName = QStringLiteral("node%1").arg(machine);
      run.machineId = MachineIdOf(run.pcName);
      run.processor = QStringLiteral("GenuineIntel Model %1 3000MHz").arg(machine % 5);
      run.memory = QStringLiteral("16384 MB");
      run.os = QStringLiteral("Linux 6.1 (Build 0: Debian GNU/Linux 12 (bookworm))");
      run.series = QStringLiteral("pc%1-%2").arg(machine).arg(k / 3);
      run.sortTime = 1'700'000'000 + k * 3'600 + machine;
      for (StoredTest& test : run.tests) {
        const double before = *test.seconds;
        const double seconds = before * (1 + 0.002 * static_cast<double>(machine + k % 3) + 0.0005 * (k / 30));
        test.seconds = seconds;
        test.tenths = qRound64(seconds * 10);
        test.rate = *test.rate * before / seconds;
        if ((k / 3) % 10 == 0) test.noise = shared;
      }
      runs.push_back(run);
    }
  }
  return runs;
}

// The page of ReportFleet() kept in `location` (a file store under `home`,
// or a server's database), written by torvik --html.
bool FleetReportRow(const char* what, const QString& home, const QString& location, bool shared) {
  ResultStore store(location);
  if (!ImportApproved(store, ReportFleet())) return false;
  return HtmlReportRow(what, "torvik --html, 50 PCs' 10,000 runs of 15 tests (2 s allowed)", home,
                       shared ? location : QString());
}

// A fleet's store for its trend and ranking: 50 machines' 10,000 memory
// runs, desk-0's as 500 series of three repetitions, the others' single.
std::vector<StoredRun> FleetOfSeries() {
  std::vector<StoredRun> runs;
  for (int64_t i = 0; i < 10'000; ++i) {
    StoredRun run = CpuRun(i);
    run.group = QStringLiteral("memory");
    const double seconds = 0.4 + (i % 7) * 0.01;
    run.tests = {StoredTest{"memory", qRound64(seconds * 10), seconds, 2.139 / seconds, "GB/s", std::nullopt}};
    if (i < 1'500) {
      run.pcName = QStringLiteral("desk-0");
      run.series = QStringLiteral("series-%1").arg(i / 3);
    } else {
      run.pcName = QStringLiteral("pc%1").arg(1 + i % 49);
    }
    run.machineId = MachineIdOf(run.pcName);
    runs.push_back(run);
  }
  return runs;
}

// --trend of desk-0 (500 series) and --ranking of the 50 machines, on the
// command line and in the window, on `url` (empty: this PC's store under
// `home`); false when one failed.
bool TrendAndRankingRows(const QString& url, const QString& home, const char* dialect) {
  {
    ResultStore store(url.isEmpty() ? home + QStringLiteral("/Varn/TORVIK/results.sqlite") : url);
    if (!ImportApproved(store, FleetOfSeries())) return false;
  }
  const QStringList store = url.isEmpty() ? QStringList() : QStringList{"--store", url};
  QByteArray trendOut, rankingOut;
  const std::optional<double> trend =
      TimedProgram(QStringList{"--trend", "--pc", "desk-0", "--format", "json"} + store, home, &trendOut);
  const std::optional<double> ranking = TimedProgram(QStringList{"--ranking"} + store, home, &rankingOut);
  const QString where = QLatin1String(dialect);
  if (trend) {
    bench::PrintRow(qPrintable("trend 500 series, " + where), "torvik --trend of one machine's 500 series (0.5 s)",
                    *trend, 0.5, "s");
  }
  if (ranking) {
    bench::PrintRow(qPrintable("ranking 50, " + where), "torvik --ranking of 50 machines, 10,000 runs (0.5 s)",
                    *ranking, 0.5, "s");
  }
  bool ok = trend && ranking && trendOut.count("\"run\"") == 500 && rankingOut.count('\n') == 2 + 50 + 1;

  BackgroundArchive archive(home + QStringLiteral("/Varn/TORVIK/results.sqlite"), QStringLiteral("torvik"), url);
  ComparisonWindow window(archive);
  window.show();
  WaitFor([&window] { return !window.Runs().Loading(); });
  auto* views = window.findChild<QTabWidget*>(QStringLiteral("Views"));
  QElapsedTimer timer;
  timer.start();
  views->setCurrentIndex(2);
  auto* table = window.findChild<QTableWidget*>(QStringLiteral("Ranking"));
  if (!WaitFor([table] { return table->rowCount() == 50; })) {
    const auto* message = window.findChild<QLabel*>(QStringLiteral("RankingMessage"));
    const auto* group = window.findChild<QComboBox*>(QStringLiteral("RankingGroup"));
    std::fprintf(stderr, "the window's ranking, %s: %d rows, \"%s\", group %s, list %d\n", dialect, table->rowCount(),
                 message ? qPrintable(message->text()) : "", group ? qPrintable(group->currentData().toString()) : "",
                 window.Runs().rowCount());
  }
  bench::PrintRow(qPrintable("ranking 50, window, " + where), "the window's ranking of 50 machines, drawn (0.5 s)",
                  timer.nsecsElapsed() / 1e9, 0.5, "s");
  ok = table->rowCount() == 50 && ok;
  int row = 0;
  while (row + 1 < window.Runs().rowCount() && window.Runs().RunAt(row).pcName != u"desk-0") ++row;
  window.Runs().ClearTicks();
  QSignalSpy drawn(&window, &ComparisonWindow::chartsDrawn);
  window.Runs().SetTicked(row, true);
  WaitFor([&drawn] { return !drawn.isEmpty(); });
  timer.restart();
  views->setCurrentIndex(1);
  WaitFor([&window] { return window.findChild<QWidget*>(QStringLiteral("Trend_memory")) != nullptr; });
  bench::PrintRow(qPrintable("trend 500 series, window, " + where), "the window's trend of 500 series, drawn (0.5 s)",
                  timer.nsecsElapsed() / 1e9, 0.5, "s");
  return window.findChild<QWidget*>(QStringLiteral("Trend_memory")) != nullptr && ok;
}

// The shared store's rows; false when one of them failed.
bool SharedStoreRows(const QString& scratch) {
  testing::ScratchServer server;
  if (!server.Unavailable().isEmpty() || !server.CreateDatabase(QStringLiteral("torvik"))) {
    std::fprintf(stderr, "shared store rows left out: %s\n", qPrintable(server.Unavailable()));
    return true;
  }
  {
    QSqlQuery setup(server.Connect(QStringLiteral("torvik"), QStringLiteral("setup")));
    setup.exec(QStringLiteral("ALTER DATABASE torvik SET log_statement = 'all'"));
  }
  QSqlDatabase::removeDatabase(QStringLiteral("setup"));
  const QString url = server.Url(QStringLiteral("torvik"));
  bool ok = true;
  {
    ResultStore shared(url);
    std::vector<StoredRun> runs = FleetRuns();
    runs.pop_back();
    // The schema made, and 9,999 runs to start from.
    if (const ArchiveResult<ImportCounts> imported = shared.Import(runs); !imported.Ok()) {
      std::fprintf(stderr, "%s\n", qPrintable(imported.Text()));
      return false;
    }
  }

  ResultStore local(scratch + QStringLiteral("/waiting.sqlite"));
  local.Record(FleetRuns().back());
  QElapsedTimer timer;
  timer.start();
  ResultStore opened(url);
  ok = SendWaitingRuns(local, opened).sent == 1 && ok;
  bench::PrintRow("send one run, shared", "connect, read the schema version, send one run (50 ms allowed)",
                  timer.nsecsElapsed() / 1e9, 0.050, "s");

  const int locks = LoggedDuring(server.LogFile(), "pg_advisory_xact_lock", [&url] {
    for (int i = 0; i < 50; ++i) ResultStore(url).Open();
  });
  bench::PrintRow("schema locks, 50 opens", "schema locks 50 opens of a current schema take (was 50)", locks, 50, "  ");
  ok = locks == 0 && ok;

  double fifty = -1;
  {
    QSqlQuery lock(server.Connect(QStringLiteral("torvik"), QStringLiteral("upgrader")));
    lock.exec(QStringLiteral("SELECT pg_advisory_lock(%1)").arg(0x544f52564b));
    fifty = CopiesRecording(url, 50);
    lock.exec(QStringLiteral("SELECT pg_advisory_unlock_all()"));
  }
  QSqlDatabase::removeDatabase(QStringLiteral("upgrader"));
  if (fifty >= 0) {
    bench::PrintRow("50 copies, shared", "50 processes record at once, schema lock held elsewhere (5 s)", fifty, 5.0,
                    "s");
  } else {
    std::fprintf(stderr, "50 copies recording into the server at once: a run was lost\n");
    ok = false;
  }

  QByteArray listed;
  const std::optional<double> history = TimedProgram({"--history", "--pc", "DESK-7", "--store", url}, scratch, &listed);
  if (history) {
    bench::PrintRow("history --pc, shared", "torvik --history --pc of 50 runs among 10,050 (0.3 s allowed)", *history,
                    0.3, "s");
  }
  ok = history && listed.count('\n') == 1 + 50 && ok;

  BackgroundArchive archive(scratch + QStringLiteral("/window.sqlite"), QStringLiteral("torvik"), url);
  bench::PrintRow("open comparison, shared", "the comparison window's list of 10,050 runs (1 s allowed)",
                  OpenComparison(archive), 1.0, "s");

  {
    ComparisonWindow window(archive);
    window.show();
    WaitFor([&window] { return !window.Runs().Loading(); });
    auto* list = window.findChild<QTableView*>(QStringLiteral("RunList"));
    int row = 0;
    while (row + 1 < window.Runs().rowCount() && window.Runs().RunAt(row).pcName != u"desk-7") ++row;
    list->setCurrentIndex(window.Runs().index(row, 0));  // desk-7's newest run
    QSignalSpy drawn(&window, &ComparisonWindow::chartsDrawn);
    double seconds = 0;
    // Qt's driver prepares a statement with values by PREPARE, EXECUTE and
    // DEALLOCATE: the statements run are the rest.
    const int statements = LoggedDuring(
        server.LogFile(), "LOG:  statement: ",
        [&] {
          timer.restart();
          window.findChild<QPushButton*>(QStringLiteral("SameMachine"))->click();
          WaitFor([&] { return window.Runs().Ticked().size() == 50 && !drawn.isEmpty(); });
          seconds = timer.nsecsElapsed() / 1e9;
        },
        QRegularExpression(QStringLiteral("statement: (PREPARE|DEALLOCATE) ")));
    bench::PrintRow("same machine, shared", "a PC's 50 runs ticked by \"same machine\", drawn (0.5 s)", seconds, 0.5,
                    "s");
    bench::PrintRow("same machine statements", "statements run for it, PREPARE/DEALLOCATE aside (5)", statements, 5,
                    "  ");
    ok = statements <= 5 && window.Runs().Ticked().size() == 50 && ok;
  }
  ok = server.CreateDatabase(QStringLiteral("report")) &&
       FleetReportRow("html report, shared", scratch, server.Url(QStringLiteral("report")), true) && ok;
  QDir(scratch).mkpath(QStringLiteral("fleet-shared/Varn/TORVIK"));
  ok =
      (!server.CreateDatabase(QStringLiteral("fleet")) ||
       TrendAndRankingRows(server.Url(QStringLiteral("fleet")), scratch + QStringLiteral("/fleet-shared"), "shared")) &&
      ok;
  return SyncRow(server, scratch) && ok;
}

// --run memory --repeat 3 with and without a shared store that takes the
// connection and never answers.
bool SilentServerRow(const QString& scratch) {
  const QString folder = scratch + QStringLiteral("/silent");
  const int listening = socket(AF_UNIX, SOCK_STREAM, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  const QByteArray path = QFile::encodeName(folder + QStringLiteral("/.s.PGSQL.5432"));
  std::copy(path.begin(), path.end(), address.sun_path);
  if (!QDir().mkpath(folder) || bind(listening, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
      listen(listening, 4) != 0) {
    std::fprintf(stderr, "no silent server: %s\n", std::strerror(errno));
    return false;
  }
  const QStringList run = {"--run", "memory", "--repeat", "3", "--dir", scratch, "--quiet"};
  const std::optional<double> alone = TimedProgram(run, scratch);
  const std::optional<double> waiting =
      TimedProgram(run + QStringList{"--store", QStringLiteral("postgresql://bench@/torvik?host=") + folder}, scratch);
  close(listening);
  if (!alone || !waiting) return false;
  bench::PrintRow("repeat 3, silent server", "--run memory --repeat 3 (1.2 x the run without it + 5 s)", *waiting,
                  1.2 * *alone + 5.0, "s");
  return *waiting <= 1.2 * *alone + 5.0;
}

// Qt's offscreen platform notes at every window shown that it cannot size
// one by hints: not the bench's news.
QtMessageHandler qtHandler = nullptr;
void WithoutSizeHintNotes(QtMsgType type, const QMessageLogContext& context, const QString& message) {
  if (!message.contains(QLatin1String("propagateSizeHints"))) qtHandler(type, context, message);
}

}  // namespace

// One of the copies: records one run into the store at `location`.
int RecordOne(int argc, char** argv, const QString& location) {
  QCoreApplication application(argc, argv);
  ResultStore store(location);
  const ArchiveStatus recorded = store.Record(CpuRun(QCoreApplication::applicationPid()));
  if (recorded.Ok()) return 0;
  std::fprintf(stderr, "%s\n", qPrintable(recorded.Text()));
  return 1;
}

int main(int argc, char** argv) {
  if (argc == 3 && std::strcmp(argv[1], "--record-into") == 0)
    return RecordOne(argc, argv, QString::fromLocal8Bit(argv[2]));
  qputenv("QT_QPA_PLATFORM", "offscreen");
  qtHandler = qInstallMessageHandler(WithoutSizeHintNotes);
  QApplication application(argc, argv);
  const bool rowsOnly = bench::RowsOnly(argc, argv);
  if (!rowsOnly) bench::PrintHeader();
  QTemporaryDir dir;
  const QString path = dir.path() + QStringLiteral("/results.sqlite");
  ResultStore store(path);
  std::vector<StoredRun> runs;
  for (int64_t i = 0; i < 9'999; ++i) runs.push_back(CpuRun(i));
  // 9,999 runs to start from, in one go.
  if (const ArchiveResult<ImportCounts> first = store.Import(runs); !first.Ok()) {
    std::fprintf(stderr, "%s\n", qPrintable(first.Text()));
    return 1;
  }

  QElapsedTimer timer;
  timer.start();
  store.Record(CpuRun(10'000));
  bench::PrintRow("record one run", "ResultStore::Record after a group (50 ms allowed)", timer.nsecsElapsed() / 1e9,
                  0.050, "s");

  BackgroundArchive archive(path, QStringLiteral("torvik"), QString());
  bench::PrintRow("open comparison, 10,000", "the comparison window's list of 10,000 runs (1 s allowed)",
                  OpenComparison(archive), 1.0, "s");

  for (int64_t i = 0; i < 20; ++i) store.Record(AllRun(20'000 + i));
  double drawn = 0;
  {
    ComparisonWindow window(archive);
    window.show();
    WaitFor([&window] { return !window.Runs().Loading(); });
    QSignalSpy charts(&window, &ComparisonWindow::chartsDrawn);
    for (int row = 0; row < 19; ++row) window.Runs().SetTicked(row, true);
    WaitFor([&] { return !charts.isEmpty(); });
    QTest::qWait(100);
    charts.clear();
    timer.restart();  // the twentieth tick: read, worked out and drawn again with 20 runs
    window.Runs().SetTicked(19, true);
    WaitFor([&] { return !charts.isEmpty(); });
    drawn = timer.nsecsElapsed() / 1e9;
  }
  bench::PrintRow("comparison, 20 ticked", "the 20th run ticked, read, every chart drawn again (0.5 s)", drawn, 0.5,
                  "s");

  timer.restart();
  const std::vector<StoredRun> newest = store.Runs(2).ValueOr({});
  const std::vector<std::vector<StoredRun>> sides = store.SeriesOf({newest[0].id, newest[1].id}).ValueOr({});
  const std::vector<TestComparison> compared = CompareRuns(sides[0], sides[1]);
  bench::PrintRow("compare, 10,000", "SeriesOf both runs + CompareRuns, as --compare (0.2 s allowed)",
                  timer.nsecsElapsed() / 1e9, 0.2, "s");
  if (compared.size() != kTests.size()) std::fprintf(stderr, "compare: %zu tests compared\n", compared.size());

  const QByteArray sheet = Sheet();
  timer.restart();
  const ParsedSheet parsed = ParseSheet(sheet, QDateTime::currentDateTime());
  const ImportCounts counts = store.Import(parsed.runs).ValueOr({});
  bench::PrintRow("import 1,000 blocks", "ParseSheet + ResultStore::Import (2 s allowed)", timer.nsecsElapsed() / 1e9,
                  2.0, "s");
  const bool imported = counts.imported == 1'000;

  const double sixteen = CopiesRecording(path, 16);
  if (sixteen >= 0) {
    bench::PrintRow("16 copies recording", "16 processes record a run each at once, all kept (5 s allowed)", sixteen,
                    5.0, "s");
  } else {
    std::fprintf(stderr, "16 copies recording at once: a run was lost\n");
  }
  QDir(dir.path()).mkpath(QStringLiteral("fleet/Varn/TORVIK"));
  const bool fleetRows = TrendAndRankingRows({}, dir.path() + QStringLiteral("/fleet"), "this PC");
  const bool sharedRows = SharedStoreRows(dir.path());
  const bool silentRow = SilentServerRow(dir.path());
  const bool longImport = LongImportRow(dir.path());
  const QString reportHome = dir.path() + QStringLiteral("/report-home");
  const bool fleetReport = FleetReportRow("html report, 50 PCs", reportHome,
                                          reportHome + QStringLiteral("/Varn/TORVIK/results.sqlite"), false);
  return imported && sixteen >= 0 && fleetRows && fleetReport && sharedRows && silentRow && longImport ? 0 : 1;
}
