// The results archive on a file here and a PostgreSQL server of the test's
// own: runs kept here first and sent once per round, with the right counts;
// a shared store away told once, with every run that waits; a statement the
// server cancels told as such and never run regardless; a current schema
// opened without the schema's lock; every connection named. The window's
// archive keeps every run handed over before it ends, and skips a read for
// an asker that has gone. The server's cases are skipped, with the reason,
// without one.
#include <QSemaphore>
#include <QSqlError>
#include <QSqlQuery>
#include <QThread>
#include <QtTest>

#include "ScratchServer.h"
#include "StoreAnswers.h"
#include "core/archive/ArchiveExports.h"
#include "core/archive/ArchiveReads.h"
#include "core/archive/ArchiveWrites.h"
#include "core/archive/BackgroundArchive.h"
#include "core/archive/RunArchive.h"
#include "core/archive/SheetImport.h"
#include "core/archive/StorePageReads.h"
#include "core/page/SvgCharts.h"
#include "core/report/ReportBuilder.h"
#include "core/report/ResultSheet.h"
#include "core/results/Timing.h"
#include "core/store/ResultStore.h"
#include "platform/ServerWaits.h"

using namespace torvik;

namespace {

RunRecord MemoryRun(double seconds) {
  RunRecord run;
  run.groups = {Group::Memory};
  run.started = QDateTime::currentDateTime();
  TimingSlot& slot = run.results[Test::Memory];
  slot.elapsed = TimeValue::FromTenths(qRound64(seconds * 10));
  slot.elapsedNs = static_cast<int64_t>(seconds * 1e9);
  slot.work = int64_t{2'048} * 1'044'480;
  run.pcName = QStringLiteral("desk-1");
  return run;
}

// Cancels, from a connection of its own, the first statement of the
// session named `client` that waits for a lock.
// A machine's series of the Memory group in this PC's store: `series`
// commands of `repetitions` runs each, a minute apart, the figure getting
// faster from one command to the next by a step beyond the noise.
std::vector<StoredRun> SeriesOfMachine(const QString& machine, int series, int repetitions) {
  std::vector<StoredRun> runs;
  for (int k = 0; k < series; ++k) {
    for (int r = 0; r < repetitions; ++r) {
      StoredRun run;
      run.sortTime = 1'000'000 + (k * repetitions + r) * 60;
      run.started = QDateTime::fromSecsSinceEpoch(run.sortTime, QTimeZone::utc()).toString(Qt::ISODate);
      run.group = QStringLiteral("memory");
      run.pcName = machine;
      run.processor = QStringLiteral("Test CPU 3000MHz");
      run.series = QStringLiteral("%1-%2").arg(machine).arg(k);
      const double seconds = 0.5 * (1 - 0.01 * (k % 7)) * (1 + 0.001 * r);
      run.tests = {StoredTest{"memory", qRound64(seconds * 10), seconds, 2.139 / seconds, "GB/s", std::nullopt}};
      runs.push_back(run);
    }
  }
  return runs;
}

class Canceller : public QThread {
 public:
  Canceller(const testing::ScratchServer& server, QString database, QString client)
      : server_(server), database_(std::move(database)), client_(std::move(client)) {}
  bool cancelled = false;

 private:
  void run() override {
    {
      QSqlQuery q(server_.Connect(database_, QStringLiteral("canceller")));
      for (int i = 0; i < 200 && !cancelled; ++i) {
        q.prepare(QStringLiteral("SELECT pg_cancel_backend(pid) FROM pg_stat_activity "
                                 "WHERE application_name = ? AND wait_event_type = 'Lock'"));
        q.addBindValue(client_);
        cancelled = q.exec() && q.next() && q.value(0).toBool();
        if (!cancelled) msleep(50);
      }
    }
    QSqlDatabase::removeDatabase(QStringLiteral("canceller"));
  }
  const testing::ScratchServer& server_;
  QString database_, client_;
};

}  // namespace

class RunArchiveTest : public QObject {
  Q_OBJECT

 private slots:
  // An aside file that can never join (not a store) is said once, with
  // its path, and kept; a name this program never gives is not touched.
  void anAsideThatCannotJoinIsSaidOnce() {
    QTemporaryDir scratch;
    const QString garbage = scratch.filePath(QStringLiteral("results.aside-0123abcd-0000-4000-8000-00000000abcd.sqlite"));
    const QString foreign = scratch.filePath(QStringLiteral("results.aside-mine.sqlite"));
    for (const QString& path : {garbage, foreign}) {
      QFile file(path);
      QVERIFY(file.open(QIODevice::WriteOnly) && file.write(QByteArray(4096, 'x')) == 4096);
    }
    RunArchive archive(scratch.filePath(QStringLiteral("results.sqlite")), QStringLiteral("torvik desk-1"));
    QStringList notices;
    archive.SetNoticeHandler([&notices](const QString& text) { notices << text; });
    QVERIFY_OK(archive.Keep(MemoryRun(0.04)));
    QVERIFY_OK(archive.Keep(MemoryRun(0.05)));
    QCOMPARE(notices.size(), 1);
    QVERIFY2(notices[0].contains(garbage), qPrintable(notices[0]));
    QVERIFY(QFile::exists(garbage) && QFile::exists(foreign));
    QCOMPARE(ValueOf(archive.Local().RunCount()), 2);
  }

  // A run of a group of points alone (no classic test) is kept with each
  // point as a test: a drive row's IOPS, percentiles and engine, a
  // latency as loads a second.
  void aRunOfPointsIsKeptWithItsFigures() {
    QTemporaryDir scratch;
    RunArchive archive(scratch.path() + QStringLiteral("/results.sqlite"), QStringLiteral("torvik desk-1"));
    RunRecord run;
    run.groups = {Group::Drive};
    run.started = QDateTime::currentDateTime();
    run.points.push_back(MeasuredPoint{.group = QStringLiteral("drive"), .test = QStringLiteral("seq1m-q8t1-read"),
                                       .threads = 1, .elapsedNs = 5'000'000'000, .work = 10'000'000'000,
                                       .rate = 2000, .unit = QStringLiteral("MB/s"), .iops = 1907.3, .p50Us = 4100,
                                       .p99Us = 7300, .p999Us = 9800, .engine = QStringLiteral("io_uring")});
    run.points.push_back(MeasuredPoint{.group = QStringLiteral("ram"), .test = QStringLiteral("latency"),
                                       .threads = 1, .bytes = 32768, .elapsedNs = 1'000'000'000,
                                       .rate = 1e9 / 1.25, .unit = QStringLiteral("ns"), .nanoseconds = 1.25});
    QVERIFY_OK(archive.Keep(run));
    const std::vector<StoredRun> kept = ValueOf(archive.Local().RunsWithTests(RunFilter{}, 10));
    QCOMPARE(kept.size(), size_t{1});
    QCOMPARE(kept[0].group, QStringLiteral("drive"));
    QCOMPARE(kept[0].tests.size(), size_t{2});
    const auto named = [&](const char* id) {
      const auto found = std::find_if(kept[0].tests.begin(), kept[0].tests.end(),
                                      [id](const StoredTest& t) { return t.test == QLatin1String(id); });
      return found == kept[0].tests.end() ? StoredTest{} : *found;
    };
    const StoredTest row = named("seq1m-q8t1-read");
    QCOMPARE(row.rate, std::optional(2000.0));
    QCOMPARE(row.iops, std::optional(1907.3));
    QCOMPARE(row.p999Us, std::optional(9800.0));
    QCOMPARE(row.engine, QStringLiteral("io_uring"));
    const StoredTest latency = named("latency.32768");
    QCOMPARE(latency.unit, QStringLiteral("loads/s"));
    QCOMPARE(latency.rate, std::optional(8e8));
  }

  // Kept here first, then sent once a round: the counts of each round, a
  // server away told once and its return told too, and the connection
  // named for the server's views.
  void keptHereThenSentOncePerRound() {
    const QString url = FreshDatabase("fleet");
    if (url.isEmpty()) QSKIP(qPrintable(server_->Unavailable()));
    QTemporaryDir scratch;
    RunArchive archive(scratch.path() + QStringLiteral("/results.sqlite"), QStringLiteral("torvik desk-1"));
    archive.UseSharedStore(url);
    QStringList notices;
    archive.SetNoticeHandler([&notices](const QString& text) { notices << text; });
    QVERIFY_OK(archive.Keep(RunRecord()));  // refused before its first test: nothing to keep
    QCOMPARE(ValueOf(archive.Local().RunCount()), 0);
    for (double seconds : {0.041, 0.043, 0.045}) QVERIFY_OK(archive.Keep(MemoryRun(seconds)));
    QCOMPARE(ValueOf(archive.Local().RunCount()), 3);
    QCOMPARE(ValueOf(ResultStore(url).RunCount()), 0);  // nothing sent until the round ends
    const SyncResult first = archive.SendWaiting();
    QCOMPARE(first.sent, 3);
    QCOMPARE(first.waiting, 0);
    QCOMPARE(archive.SendWaiting().sent, 0);
    QCOMPARE(ValueOf(archive.Compared().RunCount()), 3);
    QVERIFY(notices.isEmpty());
    // The server away for a while: told once; back: the waiting run goes, and that is told too.
    QVERIFY(server_->Stop());
    QVERIFY_OK(archive.Keep(MemoryRun(0.047)));
    QCOMPARE(archive.SendWaiting().waiting, 1);
    QCOMPARE(archive.SendWaiting().waiting, 1);
    QVERIFY(server_->Start());
    QCOMPARE(archive.SendWaiting().sent, 1);
    QCOMPARE(notices.size(), 2);
    QVERIFY(notices[0].startsWith(texts::CannotSend().arg(1)));
    QCOMPARE(notices[1], texts::SentAfterAll().arg(1));
    QSqlQuery named(server_->Connect(QStringLiteral("fleet"), QStringLiteral("named")));
    QVERIFY(named.exec(QStringLiteral("SELECT count(*) FROM pg_stat_activity WHERE application_name = 'torvik desk-1'")));
    QVERIFY(named.next() && named.value(0).toInt() >= 1);
  }

  // Nobody at the server's address: every run waits, the failure is told
  // once with how many wait; another server's failure is news again.
  void aServerAwayIsToldOnceWithEveryRunThatWaits() {
    QTemporaryDir scratch;
    RunArchive archive(scratch.path() + QStringLiteral("/results.sqlite"), QStringLiteral("torvik"));
    archive.UseSharedStore(QStringLiteral("postgresql://bench@/torvik?host=%1/nowhere").arg(scratch.path()));
    QStringList notices;
    archive.SetNoticeHandler([&notices](const QString& text) { notices << text; });
    for (int i = 0; i < 10; ++i) QVERIFY_OK(archive.Keep(MemoryRun(0.04)));
    const SyncResult sync = archive.SendWaiting();
    QCOMPARE(sync.waiting, 10);
    QCOMPARE(notices.size(), 1);
    QVERIFY2(notices[0].startsWith(texts::CannotSend().arg(10)), qPrintable(notices[0]));
    archive.SendWaiting();
    QCOMPARE(notices.size(), 1);
    archive.UseSharedStore(QStringLiteral("postgresql://bench@/torvik?host=%1/elsewhere").arg(scratch.path()));
    archive.SendWaiting();
    QCOMPARE(notices.size(), 2);
    QCOMPARE(ValueOf(archive.Local().Unsent()).size(), size_t{10});
  }

  // The runs table locked by another session and the waiting statement
  // cancelled: told as a cancelled statement, and never run regardless (a
  // write keeps nothing, a read reads nothing).
  void aCancelledStatementIsToldAsSuch() {
    const QString url = FreshDatabase("locked");
    if (url.isEmpty()) QSKIP(qPrintable(server_->Unavailable()));
    ResultStore store(url, QStringLiteral("torvik cancelled"));
    QVERIFY_OK(store.Open());
    {
      QSqlQuery lock(server_->Connect(QStringLiteral("locked"), QStringLiteral("holder")));
      QVERIFY(lock.exec(QStringLiteral("BEGIN")) &&
              lock.exec(QStringLiteral("LOCK TABLE runs IN ACCESS EXCLUSIVE MODE")));
      for (const bool write : {true, false}) {
        Canceller canceller(*server_, QStringLiteral("locked"), QStringLiteral("torvik cancelled"));
        canceller.start();
        StoredRun run;
        run.group = QStringLiteral("memory");
        const ArchiveStatus done = write ? store.Record(run) : store.Runs(10).Status();
        canceller.wait();
        QVERIFY(canceller.cancelled);
        QCOMPARE(done.Kind(), FailureKind::Busy);  // held elsewhere: the runs wait
        QVERIFY2(done.Text().contains(QStringLiteral("the server cancelled the statement")), qPrintable(done.Text()));
        QVERIFY2(!done.Text().contains(QStringLiteral("syntax")), qPrintable(done.Text()));
      }
      QVERIFY(lock.exec(QStringLiteral("ROLLBACK")));
    }
    QSqlDatabase::removeDatabase(QStringLiteral("holder"));
    QCOMPARE(ValueOf(store.RunCount()), 0);
  }

  // Another session holds the schema's lock (a machine upgrading it, say):
  // a store of the current schema opens all the same (one that asked for
  // the lock would give up at the database's lock timeout).
  void aCurrentSchemaOpensWithoutTheSchemaLock() {
    const QString url = FreshDatabase("current");
    if (url.isEmpty()) QSKIP(qPrintable(server_->Unavailable()));
    {
      QSqlQuery setup(server_->Connect(QStringLiteral("current"), QStringLiteral("upgrader")));
      QVERIFY(setup.exec(QStringLiteral("ALTER DATABASE current SET lock_timeout = '300ms'")));
      QVERIFY_OK(ResultStore(url).Open());  // the schema made
      QVERIFY(setup.exec(QStringLiteral("SELECT pg_advisory_lock(%1)").arg(0x544f52564b)));
      QVERIFY_OK(ResultStore(url).Open());
    }
    QSqlDatabase::removeDatabase(QStringLiteral("upgrader"));
  }

  // The window closing while its archive waits on a server that stopped
  // answering: the archive ends within seconds, the run waiting here.
  void theWindowsArchiveEndsWhileAServerKeepsSilent() {
    const QString url = FreshDatabase("silent");
    if (url.isEmpty()) QSKIP(qPrintable(server_->Unavailable()));
    QVERIFY_OK(ResultStore(url).Open());
    QTemporaryDir scratch;
    const QString path = scratch.path() + QStringLiteral("/results.sqlite");
    QElapsedTimer closing;
    {
      BackgroundArchive archive(path, QStringLiteral("torvik desk-1"), url);
      const qint64 session =
          server_->FreezeWaitingSession(QStringLiteral("silent"), [&] { archive.KeepAndSend(MemoryRun(0.04)); });
      QVERIFY(session > 0);
      const auto thawed = qScopeGuard([session] { testing::ScratchServer::Thaw(session); });
      closing.start();
    }
    // A few tens of ms when quiet; without the abort it would wait for ever
    // (the stopped session never answers, its socket stays open).
    QVERIFY2(closing.elapsed() < 30'000, qPrintable(QString::number(closing.elapsed())));
    QCOMPARE(ValueOf(ResultStore(path).Unsent()).size(), size_t{1});
  }

  // Another copy holding this PC's store: a long import leaves room for the
  // runs that finish beside it (it writes in parts), and a run the store
  // cannot take within its wait is kept beside it, told where, and joins
  // the store at the next keep. Nothing is lost.
  void runsFinishingBesideALongImportAreAllKept() {
    QTemporaryDir scratch;
    const QString path = scratch.path() + QStringLiteral("/results.sqlite");
    QVERIFY_OK(ResultStore(path).Open());
    // 3,000 blocks of one Memory run (alike to the letter: told apart by place).
    RunRecord block = MemoryRun(0.5);
    block.results.Total() = block.results[Test::Memory].elapsed;
    SheetInputs inputs;
    inputs.locale = QLocale::c();
    inputs.now = QDateTime(QDate(2026, 12, 9), QTime(7, 0));
    inputs.captions[LabelOf(Test::Memory)] = inputs.captions[ResultLabel::KAll] = QStringLiteral("  0.5sec");
    const QByteArray one = SheetBytes(BuildReport(block, inputs));
    const QString sheet = scratch.path() + QStringLiteral("/long.txt");
    QFile file(sheet);
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write(one.repeated(3'000)) == one.size() * 3'000);
    file.close();
    std::atomic<bool> importing = true;
    ImportSummary summary;
    std::unique_ptr<QThread> importer(QThread::create([&] {
      {
        ResultStore store(path);
        summary = ImportSheetFiles(store, {sheet}, QDateTime::currentDateTime());
      }
      importing = false;
    }));
    importer->start();
    RunArchive archive(path, QStringLiteral("torvik"));
    int kept = 0;
    while (importing && kept < 5) {
      QVERIFY_OK(archive.Keep(MemoryRun(0.04)));
      ++kept;
    }
    QVERIFY(importer->wait(120'000));
    QVERIFY2(summary.problems.isEmpty(), qPrintable(summary.problems.join(u' ')));
    QCOMPARE(summary.imported, 3'000);

    // The store held by another copy beyond its wait: kept beside it.
    QSqlDatabase holder = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("holder"));
    holder.setDatabaseName(path);
    QVERIFY(holder.open());
    QSqlQuery hold(holder);
    QVERIFY(hold.exec(QStringLiteral("BEGIN IMMEDIATE")));
    QStringList notices;
    archive.SetNoticeHandler([&notices](const QString& text) { notices << text; });
    QVERIFY_OK(archive.Keep(MemoryRun(0.04)));
    QCOMPARE(notices.size(), 1);
    const QStringList aside = QDir(scratch.path()).entryList({QStringLiteral("results.aside-*.sqlite")});
    QCOMPARE(aside.size(), 1);
    QVERIFY2(notices[0].contains(aside[0]), qPrintable(notices[0]));
    QVERIFY(hold.exec(QStringLiteral("ROLLBACK")));
    hold = QSqlQuery();
    holder.close();
    holder = QSqlDatabase();
    QSqlDatabase::removeDatabase(QStringLiteral("holder"));
    QVERIFY_OK(archive.Keep(MemoryRun(0.04)));
    QCOMPARE(ValueOf(archive.Local().RunCount()), 3'000 + kept + 2);
    QCOMPARE(QDir(scratch.path()).entryList({QStringLiteral("results.aside-*")}), QStringList());
  }

  // The window's archive: every run handed over is kept, though it ends at
  // once; a read for an asker that has gone before it began is never run;
  // a run this PC's store cannot keep is told once.
  void theWindowsArchiveKeepsEveryRunAndSkipsGoneAskers() {
    QTemporaryDir scratch;
    const QString path = scratch.path() + QStringLiteral("/results.sqlite");
    {
      BackgroundArchive archive(path, QStringLiteral("torvik"), QString());
      for (int i = 0; i < 5; ++i) archive.KeepAndSend(MemoryRun(0.04));
    }
    QCOMPARE(ValueOf(ResultStore(path).RunCount()), 5);

    BackgroundArchive archive(path, QStringLiteral("torvik"), QString());
    std::atomic<int> ran = 0;
    bool answered = false;
    QSemaphore gone;
    QObject first;
    archive.Ask<int>(
        &first,
        [&gone](RunArchive&) {
          gone.acquire();  // the next read waits behind this one until its asker is gone
          return 1;
        },
        [&answered](int) { answered = true; });
    auto* asker = new QObject;
    archive.Ask<int>(asker, [&ran](RunArchive&) { return ++ran; }, [](int) {});
    delete asker;
    gone.release();
    // A read asked after them is answered after both were taken.
    bool last = false;
    archive.Ask<int>(
        &first, [](RunArchive&) { return 0; }, [&last](int) { last = true; });
    QTRY_VERIFY(answered && last);
    QCOMPARE(ran.load(), 0);

    const QString folder = scratch.path() + QStringLiteral("/folder.sqlite");
    QVERIFY(QDir().mkpath(folder));  // no store can be kept there
    BackgroundArchive broken(folder, QStringLiteral("torvik"), QString());
    QSignalSpy told(&broken, &BackgroundArchive::notice);
    broken.KeepAndSend(MemoryRun(0.04));
    broken.KeepAndSend(MemoryRun(0.04));
    QVERIFY(told.wait(10'000));
    QTest::qWait(200);
    QCOMPARE(told.size(), 1);
    QVERIFY(told[0][0].toString().startsWith(texts::CannotRecord()));
  }

  // The jobs the window and the command line call answer with their value
  // or a failure of its kind: a run not there, a file not written, a
  // server away, a right this role lacks, the program ending. (Another
  // copy holding the store is the cancelled statement's kind, above.)
  // The page reads the store machine by machine: every machine with its
  // count of runs, and each one's trend over its newest series as many as
  // its chart draws (all of them when it has fewer), judged as the trend of
  // every run is; series of many repetitions read again until they are
  // whole.
  void thePageReadsEachMachinesWindow_data() {
    QTest::addColumn<int>("series");  // of desk-a; desk-b has 3 of one run
    QTest::addColumn<int>("repetitions");
    QTest::newRow("fewer series than the chart") << 6 << 3;
    QTest::newRow("more series than the chart") << 45 << 3;
    QTest::newRow("many repetitions, read again") << 45 << 5;
  }
  void thePageReadsEachMachinesWindow() {
    QFETCH(int, series);
    QFETCH(int, repetitions);
    QTemporaryDir scratch;
    RunArchive archive(scratch.path() + QStringLiteral("/results.sqlite"), QStringLiteral("torvik desk-a"));
    std::vector<StoredRun> all = SeriesOfMachine(QStringLiteral("desk-a"), series, repetitions);
    for (StoredRun& run : SeriesOfMachine(QStringLiteral("desk-b"), 3, 1)) all.push_back(run);
    for (const StoredRun& run : all) QVERIFY_OK(archive.Local().Record(run));
    const HtmlReportInput input = ValueOf(ReadStorePage(archive, {}, {}));
    QCOMPARE(input.runCount, all.size());
    QCOMPARE(input.machines.size(), size_t{2});
    QCOMPARE(input.machines[0].runs, size_t(series * repetitions));
    QCOMPARE(input.machines[0].newest, all[size_t(series * repetitions) - 1].sortTime);
    QCOMPARE(input.machines[1].runs, size_t{3});
    // The trend of the runs the chart draws, as from every one of them.
    const size_t shown = std::min<size_t>(size_t(series), kTrendPointsShown);
    std::vector<StoredRun> drawn(all.end() - 3 - ptrdiff_t(shown) * repetitions, all.end());
    const std::vector<MachineTrend> expected = PlanTrends(drawn);
    QCOMPARE(input.trends.size(), size_t{2});
    for (size_t t = 0; t < expected.size(); ++t) {
      QCOMPARE(input.trends[t].machine, expected[t].machine);
      QCOMPARE(input.trends[t].seriesCount, expected[t].seriesCount);
      const std::vector<TrendPoint>& points = input.trends[t].lines.front().points;
      const std::vector<TrendPoint>& want = expected[t].lines.front().points;
      QCOMPARE(points.size(), want.size());
      for (size_t i = 0; i < points.size(); ++i) {
        QCOMPARE(points[i].time, want[i].time);
        QCOMPARE(points[i].seconds.count, repetitions * (t == 0) + (t == 1));
        QCOMPARE(points[i].change, want[i].change);
      }
    }
    QCOMPARE(input.trends[0].lines.front().points.size(), shown);
  }

  void jobsSayWhatFailedByItsKind() {
    QTemporaryDir scratch;
    RunArchive archive(scratch.path() + QStringLiteral("/results.sqlite"), QStringLiteral("torvik desk-1"));
    for (double seconds : {0.041, 0.043}) QVERIFY_OK(archive.Keep(MemoryRun(seconds)));
    const std::vector<StoredRun> runs = ValueOf(ListRuns(archive, {}, 10));
    QCOMPARE(runs.size(), size_t{2});
    QCOMPARE(ValueOf(FirstPage(archive, {}, 1)).total, 2);
    QCOMPARE(CompareSeries(archive, runs[0].id, 999).Kind(), FailureKind::NotFound);
    QCOMPARE(ExportCsv(archive, {}, scratch.path() + QStringLiteral("/no-folder/runs.csv")).Kind(), FailureKind::File);
    const DeletionPlan plan = ValueOf(PlanDeletion(archive, {runs[0].id}));
    QVERIFY(plan.allowed && plan.store.isEmpty());
    QVERIFY_OK(DeleteRuns(archive, plan.ids));
    QCOMPARE(ValueOf(FirstPage(archive, {}, 10)).total, 1);

    archive.UseSharedStore(QStringLiteral("postgresql://torvik@/torvik?host=%1/no-server").arg(scratch.path()));
    QCOMPARE(ListRuns(archive, {}, 10).Kind(), FailureKind::Unreachable);

    const QString url = FreshDatabase("rights");
    if (url.isEmpty()) QSKIP(qPrintable(server_->Unavailable()));
    QVERIFY_OK(ResultStore(url).Open());  // the owner makes the schema
    {
      QSqlQuery q(server_->Connect(QStringLiteral("rights"), QStringLiteral("granting")));
      for (const char* statement : {"CREATE ROLE looker LOGIN", "GRANT SELECT ON runs, tests, torvik_schema TO looker"}) {
        QVERIFY2(q.exec(QLatin1String(statement)), statement);
      }
    }
    QSqlDatabase::removeDatabase(QStringLiteral("granting"));
    archive.UseSharedStore(server_->Url(QStringLiteral("rights"), QStringLiteral("looker"), QString()));
    QVERIFY(!ValueOf(PlanDeletion(archive, {1})).allowed);
    QCOMPARE(DeleteRuns(archive, {1}).Kind(), FailureKind::NoRights);  // asked regardless: the server refuses

    archive.UseSharedStore(url);
    const unsigned long self = platform::CurrentThread();
    platform::AbortServerWaits(self);
    const FailureKind ending = ListRuns(archive, {}, 10).Kind();
    platform::ForgetAbortedThread(self);
    QCOMPARE(ending, FailureKind::Cancelled);
  }

 private:
  // A new database on the test's own server (started at the first call);
  // empty when there is none.
  QString FreshDatabase(const char* name) {
    if (!server_) server_ = std::make_unique<testing::ScratchServer>();
    if (!server_->Unavailable().isEmpty() || !server_->CreateDatabase(QLatin1String(name))) return {};
    return server_->Url(QLatin1String(name));
  }

  std::unique_ptr<testing::ScratchServer> server_;
};

QTEST_GUILESS_MAIN(RunArchiveTest)
#include "test_run_archive.moc"
