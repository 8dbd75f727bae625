// The drive group on a scratch folder of the real disk: short real runs
// through the real code path (a small file and short rows, both a user's
// settings) with io_uring and with the threads that stand in where io_uring
// is refused; the refusals before any file is made (the folder rules, the
// free space, a file system without direct transfers); failed and short
// transfers, never a figure; Stop between and inside rows; an exception from
// the front end; and the test file gone on every way out, after signals to a
// child process too, or removed by the next run after SIGKILL while a live
// copy's file stays. Skipped where the scratch folder is not on a fixed
// local disk, where the program rightly refuses to run the group.
#include <signal.h>

#include <QProcess>
#include <QtTest>
#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "DriveFakes.h"
#include "RootedSources.h"
#include "core/base/Errors.h"
#include "core/drive/DiskStats.h"
#include "core/drive/DriveTestFile.h"
#include "platform/ExitCleanup.h"
#include "platform/TerminationSignals.h"

using namespace torvik;
using namespace torvik::testing;

Q_DECLARE_METATYPE(torvik::DriveFailure)

namespace {

constexpr int64_t kMiB = int64_t{1} << 20;

bool RingAvailableHere(const QString& folder) {
  int error = 0;
  const std::string path = QFile::encodeName(folder + QStringLiteral("ring-probe.dat")).toStdString();
  auto file = platform::DriveIo::Default().CreateDirect(path, error);
  if (!file) return false;
  const bool ring = platform::DriveIo::Default().OpenRing(*file, 4, error) != nullptr;
  platform::DriveIo::Default().Remove(path);
  return ring;
}

std::optional<DiskCounters> CountersOf(const DriveFacts& facts) {
  return ParseDiskStats(platform::SystemSources::Default().ReadFile("/proc/diskstats").value_or(""), facts.major,
                        facts.minor);
}

// The test binary itself as a copy of the program running the group (see main).
class Child {
 public:
  Child(const QString& folder, double rowSeconds, bool ignoreStop = false) {
    QStringList arguments = {QStringLiteral("--drive-child"), folder, QString::number(rowSeconds)};
    if (ignoreStop) arguments << QStringLiteral("ignore-stop");
    process_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process_.start(QCoreApplication::applicationFilePath(), arguments);
  }
  ~Child() {
    if (process_.state() != QProcess::NotRunning) {
      ::kill(static_cast<pid_t>(process_.processId()), SIGKILL);
      process_.waitForFinished(60'000);
    }
  }
  // Waits for a status line containing `text`; false when the child ended first.
  bool WaitFor(const QString& text) {
    for (;;) {
      while (process_.canReadLine()) {
        if (QString::fromUtf8(process_.readLine()).contains(text)) return true;
      }
      if (!process_.waitForReadyRead(60'000)) return false;
    }
  }
  void Signal(int signal) { ::kill(static_cast<pid_t>(process_.processId()), signal); }
  // The exit code, or -1 when it did not end on its own.
  int Finish() {
    if (!process_.waitForFinished(60'000) || process_.exitStatus() != QProcess::NormalExit) return -1;
    return process_.exitCode();
  }
  bool Killed() { return process_.waitForFinished(60'000) && process_.exitStatus() == QProcess::CrashExit; }

 private:
  QProcess process_;
};

QStringList DriveFilesIn(const QStringList& entries) {
  QStringList files;
  for (const QString& name : entries) {
    if (IsDriveFileName(name)) files << name;
  }
  return files;
}

}  // namespace

class DriveGroupTest : public QObject {
  Q_OBJECT

 private slots:
  void shortRealRunMeasuresEveryRow_data() {
    QTest::addColumn<int>("ringRefusal");
    QTest::addColumn<QString>("engine");
    QTest::newRow("io_uring") << 0 << "io_uring";
    QTest::newRow("threads where io_uring does not exist") << ENOSYS << "threads";
    QTest::newRow("threads under a seccomp filter") << EPERM << "threads";
  }
  void shortRealRunMeasuresEveryRow() {
    QFETCH(int, ringRefusal);
    QFETCH(QString, engine);
    DriveRig rig;
    if (!rig.OnFixedDisk()) QSKIP(kNoFixedDisk);
    if (ringRefusal == 0 && !RingAvailableHere(rig.directory.Path())) QSKIP("the kernel refuses io_uring here");
    rig.io.ringRefusal = ringRefusal;
    RecordingSink sink;
    const DrivePlan plan = rig.Plan();
    const int registered = platform::RegisteredFileCount();
    const DriveFacts facts = ReadDriveFacts(platform::SystemSources::Default(), rig.directory.Path());
    const auto before = CountersOf(facts);
    const DriveOutcome outcome = RunDriveGroup(plan, sink, rig.Machine());
    const auto after = CountersOf(facts);

    QVERIFY2(outcome.ok(), qPrintable(outcome.message + u' ' + outcome.detail));
    QVERIFY(!outcome.stopped);
    QCOMPARE(outcome.engine, engine);
    QCOMPARE(outcome.ringError, ringRefusal);
    QCOMPARE(outcome.rowsDone, 8);
    QCOMPARE(sink.points.size(), size_t{8});
    QCOMPARE(outcome.facts.device, facts.device);
    int64_t readBytes = 0, writtenBytes = 0;
    for (size_t i = 0; i < sink.points.size(); ++i) {
      const MeasuredPoint& point = sink.points[i];
      const DriveRow& row = kDriveRows[i];
      QCOMPARE(point.group, QStringLiteral("drive"));
      QCOMPARE(point.test, QLatin1String(row.id));
      QCOMPARE(point.StoreId(), QLatin1String(row.id));
      QCOMPARE(point.engine, engine);
      QCOMPARE(point.threads, 1);
      QCOMPARE(point.unit, QStringLiteral("MB/s"));
      // The timed section is the row's time (io_uring: to the first reap after it).
      QVERIFY2(point.elapsedNs >= plan.rowNs, row.id);
      QVERIFY2(point.elapsedNs < plan.rowNs * 10, row.id);
      QVERIFY2(point.work >= 1, row.id);
      // The figures agree with each other: requests, seconds, bytes.
      const double seconds = point.elapsedNs / 1e9;
      QVERIFY(point.iops && std::abs(*point.iops - point.work / seconds) < 1e-6 * *point.iops);
      QVERIFY(std::abs(point.rate - *point.iops * row.blockBytes / 1e6) < 1e-6 * point.rate);
      QVERIFY(point.p50Us && point.p99Us && point.p999Us);
      QVERIFY2(*point.p50Us > 0 && *point.p50Us <= *point.p99Us && *point.p99Us <= *point.p999Us, row.id);
      // At depth Q, a request waits for at most the others: Q requests in
      // flight at iops a second take Q / iops each on average.
      QVERIFY2(*point.p50Us < 1e6, row.id);
      QVERIFY(point.noise);
      if (facts.HasDevice()) {
        QVERIFY(point.othersIoBytes && *point.othersIoBytes >= 0);
      }
      (row.write ? writtenBytes : readBytes) += static_cast<int64_t>(point.work) * row.blockBytes;
    }
    // Every byte the rows counted went through the drive, not the page cache
    // (the whole file would fit in it), the fill's 16 MiB too.
    if (before && after) {
      QVERIFY(after->readBytes - before->readBytes >= readBytes);
      QVERIFY(after->writtenBytes - before->writtenBytes >= writtenBytes + plan.fileBytes);
    }

    // The gauge: the fill, then each row by its name, to 100 %.
    QStringList expected = {DriveFillStatus()};
    for (const DriveRow& row : kDriveRows) expected << DriveRowStatus(row);
    QCOMPARE(sink.statuses, expected);
    QVERIFY(std::is_sorted(sink.percents.begin(), sink.percents.end()));
    QCOMPARE(sink.percents.last(), 100);
    // Asked before the fill and each row, and within each row (every 100 ms
    // of its 240).
    QVERIFY(sink.questions >= 9 + 8);

    QCOMPARE(rig.Left(), QStringList());
    QCOMPARE(rig.io.made.size(), size_t{1});
    QCOMPARE(rig.io.removed, rig.io.made);
    QCOMPARE(platform::RegisteredFileCount(), registered);
  }

  void refusesFoldersThatAreNotAFixedLocalDisk_data() {
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("detail");
    const QString notAHardDisk = QStringLiteral("HDD以外のデバイスが指定されました");
    QTest::newRow("usb stick") << "/media/user/USB STICK" << notAHardDisk;
    QTest::newRow("network share") << "/mnt/nfs" << notAHardDisk;
    QTest::newRow("cd") << "/media/cdrom" << notAHardDisk;
    QTest::newRow("missing") << "/no/such/folder"
                             << "指定されたフォルダが見つかりません";
    QTest::newRow("relative") << "home/user"
                              << "フォルダは「/」で始まるパスで指定してください";
  }
  void refusesFoldersThatAreNotAFixedLocalDisk() {
    QFETCH(QString, path);
    const RootedSources sources(QStringLiteral("laptop-usb"));
    RootedPathRules rules(sources);
    DriveRig rig;
    RecordingSink sink;
    DrivePlan plan = rig.Plan();
    plan.testPath = NormalisedTestPath(path);
    const DriveOutcome outcome = RunDriveGroup(plan, sink, rig.Machine(&rules, sources));
    QCOMPARE(outcome.failure, DriveFailure::UnusableFolder);
    QCOMPARE(outcome.message, QStringLiteral("HDD情報が取得できません。計測を中止します。"));
    QTEST(outcome.detail, "detail");
    QCOMPARE(rig.io.creates, 0);
    QVERIFY(sink.points.empty() && sink.statuses.isEmpty());
  }

  void refusesARealRamDisk() {
    if (platform::FileSystem::Default().Kind("/dev/shm") != platform::PathKind::Directory) QSKIP("no /dev/shm here");
    QTemporaryDir ram(QStringLiteral("/dev/shm/torvik-drive-XXXXXX"));
    if (!ram.isValid()) QSKIP("/dev/shm is not writable here");
    DriveRig rig;
    RecordingSink sink;
    DrivePlan plan = rig.Plan();
    plan.testPath = NormalisedTestPath(ram.path());
    const DriveOutcome outcome = RunDriveGroup(plan, sink, rig.Machine());
    QCOMPARE(outcome.failure, DriveFailure::UnusableFolder);
    QCOMPARE(outcome.detail, QStringLiteral("HDD以外のデバイスが指定されました"));
    QCOMPARE(QDir(ram.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries | QDir::Hidden), QStringList());
  }

  void refusesWithoutTheSpace() {
    DriveRig rig;
    if (!rig.OnFixedDisk()) QSKIP(kNoFixedDisk);
    const DrivePlan plan = rig.Plan();
    RecordingSink sink;
    rig.files.fakeAvailable = static_cast<double>(plan.FreeBytesNeeded() - 1);
    DriveOutcome outcome = RunDriveGroup(plan, sink, rig.Machine());
    QCOMPARE(outcome.failure, DriveFailure::NotEnoughSpace);
    QCOMPARE(outcome.message, QStringLiteral("HDDの空き領域が不足しています。計測を中止します。"));
    QCOMPARE(outcome.detail, QStringLiteral("テストファイル 16 MiB と余裕 250 MiB が必要ですが、空きは 265 MiB です"));
    QCOMPARE(rig.io.creates, 0);  // refused before anything is written
    QCOMPARE(rig.Left(), QStringList());

    rig.files.fakeQueryFails = true;
    outcome = RunDriveGroup(plan, sink, rig.Machine());
    QCOMPARE(outcome.failure, DriveFailure::UnusableFolder);
    QCOMPARE(outcome.message, QStringLiteral("HDD情報が取得できません。計測を中止します。"));
    QCOMPARE(rig.io.creates, 0);

    // Exactly enough is enough: the group goes on (and stops at its first question).
    rig.files.fakeQueryFails = false;
    rig.files.fakeAvailable = static_cast<double>(plan.FreeBytesNeeded());
    sink.stopWhen = [](const RecordingSink&) { return true; };
    outcome = RunDriveGroup(plan, sink, rig.Machine());
    QVERIFY2(outcome.ok(), qPrintable(outcome.message));
    QVERIFY(outcome.stopped);
    QCOMPARE(rig.io.creates, 1);
    QCOMPARE(rig.Left(), QStringList());
    QVERIFY(sink.points.empty());
  }

  void refusesAFileSystemWithoutDirectTransfers_data() {
    QTest::addColumn<int>("error");
    QTest::addColumn<DriveFailure>("failure");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("detail");
    QTest::newRow("no O_DIRECT") << EINVAL << DriveFailure::NoDirectTransfers
                                 << "テストフォルダのファイルシステムは直接転送（O_DIRECT）に対応していません。"
                                    "キャッシュを計測しないよう、計測を中止します。"
                                 << "";
    QTest::newRow("no right to create") << EACCES << DriveFailure::CannotCreateFile
                                        << "テストファイルを作成できません。計測を中止します。"
                                        << "ﾌｧｲﾙへのｱｸｾｽが拒否されました";
  }
  void refusesAFileSystemWithoutDirectTransfers() {
    QFETCH(int, error);
    QFETCH(QString, detail);
    DriveRig rig;
    if (!rig.OnFixedDisk()) QSKIP(kNoFixedDisk);
    rig.io.directRefusal = error;
    RecordingSink sink;
    const DriveOutcome outcome = RunDriveGroup(rig.Plan(), sink, rig.Machine());
    QTEST(outcome.failure, "failure");
    QTEST(outcome.message, "message");
    QCOMPARE(outcome.error, error);
    // The detail names the file system where the transfers were refused.
    QCOMPARE(outcome.detail, detail.isEmpty() ? outcome.facts.fileSystem : detail);
    QVERIFY(sink.points.empty());
    QCOMPARE(rig.Left(), QStringList());
  }

  void failuresAreNeverFigures_data() {
    QTest::addColumn<int>("ringRefusal");
    QTest::addColumn<qint64>("faultAt");
    QTest::addColumn<int>("error");
    QTest::addColumn<DriveFailure>("failure");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("detail");
    const QString eio = QStringLiteral("ドライブの入出力でエラーが発生しました。計測を中止します。");
    const QString full = QStringLiteral("ドライブの空き領域がなくなりました。計測を中止します。");
    const QString cut = QStringLiteral("ドライブが要求より少ないバイト数しか転送しませんでした。計測を中止します。");
    // The 16 MiB file is 16 fill writes; the 20th request is in the first row.
    for (const auto& [engine, refusal] : {std::pair{"io_uring", 0}, std::pair{"threads", ENOSYS}}) {
      const QByteArray name(engine);
      QTest::newRow((name + ": EIO in the fill").constData())
          << refusal << qint64{3} << EIO << DriveFailure::TransferFailed << eio
          << "テストファイルの作成: I/O ｴﾗｰ (1117)";
      QTest::newRow((name + ": ENOSPC in the fill").constData())
          << refusal << qint64{5} << ENOSPC << DriveFailure::DiskFull << full << "テストファイルの作成";
      QTest::newRow((name + ": short write in the fill").constData())
          << refusal << qint64{16} << 0 << DriveFailure::ShortTransfer << cut << "テストファイルの作成";
      QTest::newRow((name + ": EIO in a row").constData())
          << refusal << qint64{20} << EIO << DriveFailure::TransferFailed << eio
          << "SEQ1M Q8T1 読み込み: I/O ｴﾗｰ (1117)";
      QTest::newRow((name + ": short read in a row").constData())
          << refusal << qint64{20} << 0 << DriveFailure::ShortTransfer << cut << "SEQ1M Q8T1 読み込み";
    }
  }
  void failuresAreNeverFigures() {
    QFETCH(int, ringRefusal);
    QFETCH(qint64, faultAt);
    QFETCH(int, error);
    DriveRig rig;
    if (!rig.OnFixedDisk()) QSKIP(kNoFixedDisk);
    rig.io.ringRefusal = ringRefusal;
    rig.io.faultAt = faultAt;
    rig.io.faultError = error;
    RecordingSink sink;
    const int registered = platform::RegisteredFileCount();
    const DriveOutcome outcome = RunDriveGroup(rig.Plan(), sink, rig.Machine());
    QTEST(outcome.failure, "failure");
    QTEST(outcome.message, "message");
    QTEST(outcome.detail, "detail");
    QCOMPARE(outcome.error, error);
    QVERIFY(!outcome.stopped);
    QVERIFY(sink.points.empty());
    QCOMPARE(outcome.rowsDone, 0);
    QCOMPARE(rig.Left(), QStringList());
    QCOMPARE(platform::RegisteredFileCount(), registered);
  }

  void stopKeepsTheRowsDone_data() {
    QTest::addColumn<int>("ringRefusal");
    QTest::newRow("io_uring") << 0;
    QTest::newRow("threads") << ENOSYS;
  }
  void stopKeepsTheRowsDone() {
    QFETCH(int, ringRefusal);
    DriveRig rig;
    if (!rig.OnFixedDisk()) QSKIP(kNoFixedDisk);
    rig.io.ringRefusal = ringRefusal;
    RecordingSink sink;
    // Inside the third row, at its first question.
    sink.stopWhen = [](const RecordingSink& s) { return s.statuses.size() == 4 && s.questionsInStatus >= 2; };
    const DriveOutcome outcome = RunDriveGroup(rig.Plan(int64_t{16} << 20, 1.0), sink, rig.Machine());
    QVERIFY(outcome.ok());
    QVERIFY(outcome.stopped);
    QCOMPARE(outcome.rowsDone, 2);
    QCOMPARE(sink.points.size(), size_t{2});
    QCOMPARE(sink.points[1].test, QStringLiteral("seq1m-q8t1-write"));
    QCOMPARE(sink.statuses.last(), DriveRowStatus(kDriveRows[2]));
    QCOMPARE(rig.Left(), QStringList());
  }

  void stopEndsTheRowUnderWay_data() {
    QTest::addColumn<int>("ringRefusal");
    QTest::addColumn<int>("row");  // -1: the fill
    QTest::newRow("io_uring, a row") << 0 << 0;
    QTest::newRow("threads, a row") << ENOSYS << 0;
    QTest::newRow("io_uring, the fill") << 0 << -1;
    QTest::newRow("threads, the fill") << ENOSYS << -1;
  }
  void stopEndsTheRowUnderWay() {
    QFETCH(int, ringRefusal);
    QFETCH(int, row);
    DriveRig rig;
    if (!rig.OnFixedDisk()) QSKIP(kNoFixedDisk);
    rig.io.ringRefusal = ringRefusal;
    RecordingSink sink;
    const QString status = row < 0 ? DriveFillStatus() : DriveRowStatus(kDriveRows[row]);
    // The first question once the job runs (the first of a row comes before it).
    sink.stopWhen = [&](const RecordingSink& s) { return s.statuses.last() == status && s.questionsInStatus >= 2; };
    // Rows of a minute: a Stop that waited for the row would take that long;
    // a fill of 2 GiB is 2,048 writes.
    const int64_t fileBytes = row < 0 ? int64_t{2} << 30 : int64_t{16} << 20;
    const DrivePlan plan = rig.Plan(fileBytes, 60);
    double total = 0, available = 0;
    if (!rig.files.QueryDiskSpace(QFile::encodeName(plan.testPath).toStdString(), total, available) ||
        available < plan.FreeBytesNeeded()) {
      QSKIP("not enough space on the scratch folder's disk for the fill");
    }
    const auto started = std::chrono::steady_clock::now();
    const DriveOutcome outcome = RunDriveGroup(plan, sink, rig.Machine());
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    QVERIFY2(outcome.ok(), qPrintable(outcome.message));
    QVERIFY(outcome.stopped);
    QVERIFY(sink.points.empty());
    if (row < 0) {
      // Fewer writes than the file's blocks: the fill ended where it was.
      QVERIFY(rig.io.requests < fileBytes / kMiB);
    } else {
      QVERIFY2(seconds < 30, qPrintable(QString::number(seconds)));
    }
    QCOMPARE(rig.Left(), QStringList());
  }

  void theFrontEndsExceptionEndsTheGroup() {
    DriveRig rig;
    if (!rig.OnFixedDisk()) QSKIP(kNoFixedDisk);
    RecordingSink sink;
    // The window closed mid-row: the pumping point raises.
    sink.stopWhen = [](const RecordingSink& s) -> bool {
      if (s.statuses.size() == 2 && s.questionsInStatus >= 2) throw ExitRequested{};
      return false;
    };
    const int registered = platform::RegisteredFileCount();
    bool raised = false;
    try {
      RunDriveGroup(rig.Plan(int64_t{16} << 20, 60), sink, rig.Machine());
    } catch (const ExitRequested&) {
      raised = true;
    }
    QVERIFY(raised);
    QVERIFY(sink.points.empty());
    QCOMPARE(rig.Left(), QStringList());
    QCOMPARE(platform::RegisteredFileCount(), registered);
  }

  void signalsRemoveTheFile_data() {
    QTest::addColumn<int>("signal");
    QTest::newRow("SIGTERM") << SIGTERM;
    QTest::newRow("SIGINT") << SIGINT;
    QTest::newRow("SIGHUP") << SIGHUP;
  }
  void signalsRemoveTheFile() {
    QFETCH(int, signal);
    DriveRig rig;
    if (!rig.OnFixedDisk()) QSKIP(kNoFixedDisk);
    Child child(rig.directory.Path(), 60);
    QVERIFY(child.WaitFor(DriveRowStatus(kDriveRows[0])));
    QCOMPARE(DriveFilesIn(rig.Left()).size(), 1);
    child.Signal(signal);
    QCOMPARE(child.Finish(), 128 + signal);
    QCOMPARE(rig.Left(), QStringList());
  }

  void aSecondSignalRemovesTheFileAtOnce() {
    DriveRig rig;
    if (!rig.OnFixedDisk()) QSKIP(kNoFixedDisk);
    // A group that never looks at Stop: only the exit's clean-up can remove the file.
    Child child(rig.directory.Path(), 60, true);
    QVERIFY(child.WaitFor(DriveRowStatus(kDriveRows[0])));
    child.Signal(SIGTERM);
    QVERIFY(child.WaitFor(QStringLiteral("signal %1").arg(SIGTERM)));
    child.Signal(SIGTERM);
    QCOMPARE(child.Finish(), 128 + SIGTERM);
    QCOMPARE(rig.Left(), QStringList());
  }

  void aKilledRunsFileGoesAtTheNextRunAndALiveCopysStays() {
    DriveRig rig;
    if (!rig.OnFixedDisk()) QSKIP(kNoFixedDisk);
    const QString folder = rig.directory.Path();
    auto& io = platform::DriveIo::Default();
    auto& files = platform::FileSystem::Default();
    const auto killRunMidRow = [&] {
      Child killed(folder, 60);
      QVERIFY(killed.WaitFor(DriveRowStatus(kDriveRows[0])));
      killed.Signal(SIGKILL);
      QVERIFY(killed.Killed());
    };
    killRunMidRow();
    if (QTest::currentTestFailed()) return;
    QCOMPARE(DriveFilesIn(rig.Left()), QStringList({DriveFileName(1)}));  // nothing could remove it
    QCOMPARE(RemoveAbandonedDriveFiles(io, files, folder), 1);
    QCOMPARE(rig.Left(), QStringList());

    // The next run removes it by itself, and makes its own.
    killRunMidRow();
    if (QTest::currentTestFailed()) return;
    QCOMPARE(DriveFilesIn(rig.Left()).size(), 1);
    Child paused(folder, 60);
    QVERIFY(paused.WaitFor(DriveRowStatus(kDriveRows[0])));
    const QStringList live = DriveFilesIn(rig.Left());
    QCOMPARE(live.size(), 1);
    // A copy that is alive keeps its file, even stopped.
    paused.Signal(SIGSTOP);
    QCOMPARE(RemoveAbandonedDriveFiles(io, files, folder), 0);
    QCOMPARE(DriveFilesIn(rig.Left()), live);
    // Another run in the same folder takes a number of its own.
    {
      int error = 0;
      auto mine = DriveTestFile::Create(io, files, folder, error);
      QVERIFY(mine);
      QVERIFY(!live.contains(QFileInfo(QString::fromStdString(mine->Path())).fileName()));
      QCOMPARE(DriveFilesIn(rig.Left()).size(), 2);
    }
    QCOMPARE(DriveFilesIn(rig.Left()), live);

    paused.Signal(SIGCONT);
    paused.Signal(SIGTERM);
    QCOMPARE(paused.Finish(), 128 + SIGTERM);
    QCOMPARE(rig.Left(), QStringList());
  }

  void onlyTheGroupsOwnNamesAreTaken() {
    DriveRig rig;
    if (!rig.OnFixedDisk()) QSKIP(kNoFixedDisk);
    const QString folder = rig.directory.Path();
    // Look-alikes, a folder and a link under the group's pattern: none is a test file left behind.
    for (const char* name : {"TORVIK-drive-1.dat.keep", "TORVIK-drive-x.dat", "TORVIK-drive-01.dat", "TORVIK1.dat"}) {
      QFile file(folder + QLatin1String(name));
      QVERIFY(file.open(QIODevice::WriteOnly));
    }
    QVERIFY(QDir(folder).mkdir(QStringLiteral("TORVIK-drive-2.dat")));
    QFile victim(folder + QStringLiteral("victim"));
    QVERIFY(victim.open(QIODevice::WriteOnly));
    QVERIFY(QFile::link(folder + QStringLiteral("victim"), folder + QStringLiteral("TORVIK-drive-3.dat")));
    const QStringList before = rig.Left();
    QCOMPARE(RemoveAbandonedDriveFiles(platform::DriveIo::Default(), platform::FileSystem::Default(), folder), 0);
    QCOMPARE(rig.Left(), before);
    QVERIFY(QFileInfo::exists(folder + QStringLiteral("TORVIK-drive-2.dat")));
    // A run takes the first number nothing holds.
    int error = 0;
    auto file = DriveTestFile::Create(platform::DriveIo::Default(), platform::FileSystem::Default(), folder, error);
    QVERIFY(file);
    QCOMPARE(QFileInfo(QString::fromStdString(file->Path())).fileName(), DriveFileName(1));
    QVERIFY(QFileInfo(folder + QStringLiteral("victim")).exists());
  }
};

// A copy of the program running the group, for the signal tests:
//   --drive-child FOLDER ROW_SECONDS [ignore-stop]
// It prints each status on its own line, stops at a termination signal
// (unless told to ignore Stop) and ends with 128 + that signal.
int RunChild(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  platform::InstallTerminationSignals();
  platform::InstallExitHook();
  class ChildSink : public PointSink {
   public:
    explicit ChildSink(bool ignoreStop) : ignoreStop_(ignoreStop) {}
    bool StopRequested() override {
      if (signal == 0 && (signal = platform::TakeTerminationSignal()) != 0) {
        std::printf("signal %d\n", signal);  // the first signal was handled
        std::fflush(stdout);
      }
      return signal != 0 && !ignoreStop_;
    }
    void Progress(int, const QString& status) override {
      if (status == shown_) return;
      shown_ = status;
      std::printf("%s\n", status.toUtf8().constData());
      std::fflush(stdout);
    }
    void PointDone(const MeasuredPoint&) override {}
    int signal = 0;

   private:
    bool ignoreStop_;
    QString shown_;
  } sink(argc > 4 && std::strcmp(argv[4], "ignore-stop") == 0);
  TestPathRules rules(platform::FileSystem::Default(), platform::SystemSources::Default());
  MachineNoise noise(platform::SystemSources::Default());
  const DriveMachine machine{platform::DriveIo::Default(), platform::FileSystem::Default(), rules,
                             platform::SystemSources::Default(), noise};
  const auto plan = MakeDrivePlan(DriveSettings{QString::fromLocal8Bit(argv[2]), 16 * kMiB, std::atof(argv[3])}).plan;
  const DriveOutcome outcome = RunDriveGroup(*plan, sink, machine);
  if (sink.signal != 0) return 128 + sink.signal;
  return outcome.ok() ? 0 : 1;
}

int main(int argc, char** argv) {
  if (argc > 3 && std::strcmp(argv[1], "--drive-child") == 0) return RunChild(argc, argv);
  QCoreApplication app(argc, argv);
  DriveGroupTest test;
  return QTest::qExec(&test, argc, argv);
}

#include "test_drive_group.moc"
