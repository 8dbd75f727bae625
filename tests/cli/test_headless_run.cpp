// The built program on the command line, without a display: the JSON and
// text results of real runs, the refusals, SIGINT mid-run, and --output.
#include <fcntl.h>
#include <grp.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <QLibraryInfo>
#include <QtTest>
#include <csignal>

#include "../core/StorageFakes.h"
#include "StoreAnswers.h"
#include "core/machine/DriveClassifier.h"
#include "core/store/ResultStore.h"
#include "platform/PlainFiles.h"

using torvik::testing::ScratchDirectory;

namespace {

struct Outcome {
  int exitCode = -1;
  QByteArray out, err;
};

// Starts the program (`program`: a copy of it) with no display; `during`
// may act on it while it runs. Its results store lies under `dataHome`, its
// settings under `configHome` (empty: the test build's).
Outcome Torvik(const QStringList& arguments, const std::function<void(QProcess&)>& during = {},
               const QString& dataHome = QDir::currentPath() + QStringLiteral("/test-data-home"),
               const QString& configHome = {}, const QString& program = QStringLiteral(TORVIK_BINARY)) {
  QProcess process;
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) environment.remove(name);
  environment.insert(QStringLiteral("XDG_DATA_HOME"), dataHome);
  if (!configHome.isEmpty()) environment.insert(QStringLiteral("XDG_CONFIG_HOME"), configHome);
  process.setProcessEnvironment(environment);
  process.start(program, arguments);
  if (!process.waitForStarted()) return {};
  if (during) during(process);
  process.waitForFinished(600'000);
  Outcome outcome;
  outcome.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
  outcome.out = process.readAllStandardOutput();
  outcome.err = process.readAllStandardError();
  return outcome;
}

// The disk groups refuse a test folder that is not on a fixed local disk (a
// container's overlay): the cases that run them cannot run there.
bool OnFixedDisk(const ScratchDirectory& directory) {
  return torvik::DriveTypeOf(torvik::platform::SystemSources::Default(), directory.Path()) == torvik::kDriveFixed;
}
constexpr char kNoFixedDisk[] = "the scratch folder is not on a fixed local disk: the disk groups cannot run here";

QJsonObject Parsed(const QByteArray& json) {
  QJsonParseError error;
  const QJsonDocument document = QJsonDocument::fromJson(json, &error);
  if (error.error != QJsonParseError::NoError) qWarning("%s", qPrintable(error.errorString()));
  return document.object();
}

// Every field of the contract, and each test's figures consistent: the
// tenths the window shows within a tenth of the precise seconds (per timed
// section), the rate its work over those seconds.
void ExpectWellFormed(const QJsonObject& document, const QStringList& tests) {
  for (const char* field :
       {"schema", "program", "version", "started", "machine", "user_name", "pc_name", "runs", "summary"}) {
    QVERIFY2(document.contains(QLatin1String(field)), field);
  }
  QCOMPARE(document["schema"].toInt(), 1);
  QCOMPARE(document["version"].toString(), QStringLiteral("3.03"));
  QVERIFY(QDateTime::fromString(document["started"].toString(), Qt::ISODate).isValid());
  const QJsonObject machine = document["machine"].toObject();
  QVERIFY(machine["display"].isNull());                                   // no display: none described
  QCOMPARE(machine["platform"].toString(), QStringLiteral("offscreen"));  // but the platform named
  QCOMPARE(machine["host_name"].toString(), QSysInfo::machineHostName());
  QVERIFY(machine["machine_id"].isNull() || machine["machine_id"].toString().size() == 32);
  QVERIFY(machine["processor"].toObject()["clock_mhz"].toDouble() > 0);
  QVERIFY(machine["memory"].toObject()["total_bytes"].toDouble() > 0);
  const QJsonObject run = document["runs"].toArray().first().toObject();
  for (const char* field : {"repetition", "groups", "bench_no", "total_tenths", "stopped", "tests"}) {
    QVERIFY2(run.contains(QLatin1String(field)), field);
  }
  QStringList seen;
  for (const QJsonValue& value : run["tests"].toArray()) {
    const QJsonObject test = value.toObject();
    seen << test["test"].toString();
    const double seconds = test["seconds"].toDouble();
    QVERIFY(seconds > 0);
    // Each timed section's tenths are within a tenth of its nanoseconds; a
    // disk test is the sum of three such sections.
    const QString id = test["test"].toString();
    const double sections = id.startsWith(u"write") || id.startsWith(u"read") ? 3 : 1;
    QVERIFY2(std::abs(test["tenths"].toDouble() / 10 - seconds) < 0.1 * sections + 0.001, qPrintable(id));
    const QString unit = test["unit"].toString();
    const double perUnit = unit == u"GB/s" ? 1e9 : unit == u"MB/s" ? 1e6 : 1;
    QVERIFY(std::abs(test["rate"].toDouble() - test["work"].toDouble() / seconds / perUnit) <
            1e-9 * test["rate"].toDouble());
  }
  QCOMPARE(seen, tests);
  for (const QJsonValue& value : document["summary"].toArray()) {
    const QJsonObject entry = value.toObject();
    QVERIFY(entry["min"].toDouble() <= entry["median"].toDouble());
    QVERIFY(entry["median"].toDouble() <= entry["max"].toDouble());
    QVERIFY(entry["min"].toDouble() <= entry["mean"].toDouble() && entry["mean"].toDouble() <= entry["max"].toDouble());
    if (entry["repetitions"].toInt() == 1) {  // a spread of one value is undefined
      QVERIFY(entry["stdev"].isNull() && entry["cv"].isNull());
    } else {
      QVERIFY(entry["stdev"].toDouble() >= 0);
      QCOMPARE(entry["cv"].toDouble(), entry["stdev"].toDouble() / entry["mean"].toDouble());
    }
    QVERIFY(entry["settled"].isBool() && entry["noisy_repetitions"].isDouble());
  }
  // The machine around each test, looked at on this machine's /proc.
  const QJsonObject noise = run["tests"].toArray().first()["noise"].toObject();
  QVERIFY(noise["seconds"].toDouble() > 0 && noise["others_core_percent"].toDouble() >= 0);
  for (const char* field : {"clock_min_mhz", "clock_max_mhz", "governor", "hypervisor", "load_average",
                            "shared_processor", "clock_moved"}) {
    QVERIFY2(noise.contains(QLatin1String(field)), field);
  }
}

// stderr without the lines that tell of a busy machine (the suite's other
// tests may load the processor meanwhile).
QByteArray WithoutNoiseWarnings(const QByteArray& err) {
  static const QRegularExpression warning(QStringLiteral("^torvik: [a-z0-9]+, repetition \\d+: .*\n"),
                                          QRegularExpression::MultilineOption);
  return QString::fromLocal8Bit(err).remove(warning).toLocal8Bit();
}

}  // namespace

class HeadlessRunTest : public QObject {
  Q_OBJECT

 private slots:
  void cpuRunGivesJson() {
    const Outcome run = Torvik({"--run", "cpu", "--format", "json", "--repeat", "2", "--quiet"});
    QCOMPARE(run.exitCode, 0);
    QVERIFY2(WithoutNoiseWarnings(run.err).isEmpty(), run.err.constData());
    const QJsonObject document = Parsed(run.out);
    ExpectWellFormed(document, {"prime", "trig"});
    QCOMPARE(document["runs"].toArray().size(), 2);
    QCOMPARE(document["summary"].toArray().first()["repetitions"].toInt(), 2);
  }

  void memoryAndHddRunInTheGivenDirectory() {
    // The longest case (the whole HDD group) runs as a test of its own,
    // beside the others.
    if (qEnvironmentVariableIsSet("TORVIK_DISK_RUN_APART")) QSKIP("run apart: test_headless_run_disk");
    ScratchDirectory directory;
    if (!OnFixedDisk(directory)) QSKIP(kNoFixedDisk);
    const QString output = directory.Path() + QStringLiteral("../headless-result.json");
    const Outcome run =
        Torvik({"--run", "memory,hdd", "--dir", directory.Path(), "--format", "json", "--output", output});
    QCOMPARE(run.exitCode, 0);
    QVERIFY(run.out.isEmpty());                       // the result went to the file
    QVERIFY(run.err.contains("ＨＤＤ読み込み能力"));  // progress, one plain line per change
    QFile file(output);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QJsonObject document = Parsed(file.readAll());
    file.remove();
    ExpectWellFormed(document, {"memory", "write40", "write50", "write60", "read40", "read50", "read60"});
    QCOMPARE(document["machine"]["test_directory"]["path"].toString(), directory.Path());
    QVERIFY(document["runs"][0]["write_average"]["rate"].toDouble() > 0);
    QCOMPARE(directory.Entries(), QStringList());
  }

  void textIsTheReportBlock() {
    ScratchDirectory directory;
    if (!OnFixedDisk(directory)) QSKIP(kNoFixedDisk);
    const Outcome run = Torvik({"--run", "memory", "--dir", directory.Path(), "--quiet"});
    QCOMPARE(run.exitCode, 0);
    const QStringList lines = QString::fromUtf8(run.out).split(u'\n');
    QCOMPARE(lines.first(), QStringLiteral("<> TORVIK Time Trial Result <>"));
    QVERIFY(lines.contains(QStringLiteral("   Display Dev   : ?(no display)")));
    QVERIFY(lines.contains(QStringLiteral("//______  TORVIK Version 3.03  ______//")));
    QVERIFY(!run.out.contains('\r'));  // LF line ends on stdout
    QVERIFY(run.out.endsWith("______//\n\n"));
  }

  void refusalsRunNothing_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QByteArray>("settings");  // the settings file, when the test build's will not do
    QTest::newRow("a name of the wrong type")
        << QStringList{"--run", "cpu"} << "'YName' のﾃﾞｰﾀ型が不正です." << QByteArray("[Locate]\nYName=a, list\n");
    QTest::newRow("a FIFO in the settings file's place")
        << QStringList{"--run", "cpu"} << "は通常のファイルではありません" << QByteArray("<fifo>");
    QTest::newRow("graphic without a display") << QStringList{"--run", "cpu,graphic"} << "no display" << QByteArray();
    QTest::newRow("all without a display") << QStringList{"--run", "all"} << "no display" << QByteArray();
    QTest::newRow("a missing test directory") << QStringList{"--run", "hdd", "--dir", "/nonexistent/torvik"}
                                              << "HDD情報が取得できません。計測を中止します。" << QByteArray();
    QTest::newRow("a relative test directory") << QStringList{"--run", "memory", "--dir", "relative/dir"}
                                               << "HDD情報が取得できません。計測を中止します。" << QByteArray();
    QTest::newRow("a usage error") << QStringList{"--run", "cpu", "--repeat", "0"} << "--repeat" << QByteArray();
    QTest::newRow("a password in the settings' shared store")
        << QStringList{"--history"} << "~/.pgpass"
        << QByteArray("[Store]\nUrl=postgresql://bench@/torvik?password=s3cr3t\n");
    QTest::newRow("a settings' shared store that is no URL")
        << QStringList{"--sync"} << "not a PostgreSQL URL" << QByteArray("[Store]\nUrl=db.example/torvik\n");
  }
  void refusalsRunNothing() {
    QFETCH(QStringList, arguments);
    QFETCH(QString, message);
    QFETCH(QByteArray, settings);
    QTemporaryDir config;
    if (!settings.isEmpty()) {
      QVERIFY(QDir(config.path()).mkpath(QStringLiteral("Varn")));
      const QString path = config.path() + QStringLiteral("/Varn/TORVIK.conf");
      QFile file(path);
      QVERIFY(settings == "<fifo>" ? mkfifo(QFile::encodeName(path).constData(), 0600) == 0
                                   : file.open(QIODevice::WriteOnly) && file.write(settings) == settings.size());
    }
    QElapsedTimer timer;
    timer.start();
    const Outcome run = Torvik(arguments, {}, QDir::currentPath() + QStringLiteral("/test-data-home"),
                               settings.isEmpty() ? QString() : config.path());
    QCOMPARE(run.exitCode, 2);
    QVERIFY(run.out.isEmpty());
    QVERIFY2(QString::fromLocal8Bit(run.err).contains(message), run.err.constData());
    QVERIFY(!run.err.contains("s3cr3t"));
    QVERIFY2(!run.err.contains("%]"), run.err.constData());  // no group's progress: refused before any test
    // Nor a clock measured (a second or two): 0.2-0.4 s here when quiet.
    QVERIFY(timer.elapsed() < 5'000);
  }

  // The results store's verbs: a run recorded, a sheet imported (twice: the
  // second time every block is known), the history as JSON, the CSV.
  void historyImportAndExport() {
    QTemporaryDir home;
    // A copy of the program in a folder of the test's own: its sheet is
    // written beside it there, where no other run has left one.
    const QString copy = home.path() + QStringLiteral("/torvik");
    QVERIFY(QFile::copy(QStringLiteral(TORVIK_BINARY), copy));
    const Outcome run = Torvik({"--run", "cpu", "--quiet", "--report"}, {}, home.path(), {}, copy);
    QCOMPARE(run.exitCode, 0);
    const QString sheetPath = copy + QStringLiteral(".txt");
    QVERIFY(QFile::exists(sheetPath));
    const Outcome first = Torvik({"--import", sheetPath}, {}, home.path());
    QCOMPARE(first.out, QByteArray("1 件を読み込みました。0 件は記録済みです。0 件は読み込めませんでした。\n"));
    const Outcome again = Torvik({"--import", sheetPath}, {}, home.path());
    QCOMPARE(again.out, QByteArray("0 件を読み込みました。1 件は記録済みです。0 件は読み込めませんでした。\n"));
    // A store that fails takes nothing, and says so (no counts that look like a result).
    const QString away = QStringLiteral("postgresql://bench@/torvik?host=") + home.path() + QStringLiteral("/nowhere");
    const Outcome failed = Torvik({"--import", sheetPath, "--store", away}, {}, home.path());
    QCOMPARE(failed.exitCode, 1);
    QVERIFY(failed.out.isEmpty());
    QVERIFY(failed.err.contains("nowhere"));
    const Outcome history = Torvik({"--history", "--format", "json"}, {}, home.path());
    QCOMPARE(history.exitCode, 0);
    const QJsonArray runs = QJsonDocument::fromJson(history.out).array();
    QCOMPARE(runs.size(), 2);
    QStringList origins;
    for (const QJsonValue& entry : runs) origins << entry["origin"].toString();
    origins.sort();
    QCOMPARE(origins, QStringList({"program", "sheet"}));
    QCOMPARE(runs[0]["group"].toString(), QStringLiteral("cpu"));
    const Outcome text = Torvik({"--history"}, {}, home.path());
    QCOMPARE(text.out.count('\n'), 1 + 2);  // a heading and the two runs
    const QString csv = home.path() + QStringLiteral("/all.csv");
    QCOMPARE(Torvik({"--export-csv", csv}, {}, home.path()).exitCode, 0);
    QFile exported(csv);
    QVERIFY(exported.open(QIODevice::ReadOnly));
    QCOMPARE(exported.readAll().count("\r\n"), 1 + 2 + 2);  // prime and trig of each run
    // --no-record keeps nothing.
    QCOMPARE(Torvik({"--run", "cpu", "--quiet", "--no-record"}, {}, home.path()).exitCode, 0);
    QCOMPARE(QJsonDocument::fromJson(Torvik({"--history", "--format", "json"}, {}, home.path()).out).array().size(), 2);
  }

  // The clock is measured once after the groups, for about a second of busy
  // waiting: a SIGTERM then still ends the run, with nothing on stdout and
  // nothing recorded.
  void aSignalDuringTheLastClockMeasurementEndsTheRun() {
    QTemporaryDir home;
    const Outcome run = Torvik(
        {"--run", "cpu", "--format", "json"},
        [](QProcess& process) {
          QByteArray progress;
          process.setReadChannel(QProcess::StandardError);
          // The group's last progress line: from here on only the clock is measured.
          while (!progress.contains("[100%]") && process.waitForReadyRead(30'000)) {
            progress += process.readAllStandardError();
          }
          ::kill(static_cast<pid_t>(process.processId()), SIGTERM);
        },
        home.path());
    QCOMPARE(run.exitCode, 128 + SIGTERM);
    QVERIFY(run.out.isEmpty());
    QVERIFY(QJsonDocument::fromJson(Torvik({"--history", "--format", "json"}, {}, home.path()).out).array().isEmpty());
  }

  // A signal in the first second of a first import (its store being made,
  // or its sheets being read) ends it as it ends a run: 128 + the signal
  // once it has begun, or before anything was made when it came first;
  // never a half-made store ("results.sqlite.new-PID-N", its journals)
  // left beside the store, and what is there opens.
  void aSignalDuringAFirstImportLeavesNoHalfStore_data() {
    QTest::addColumn<int>("delayMs");
    QTest::addColumn<int>("signal");
    for (int delay : {0, 30, 60, 100, 150, 250, 400, 700}) {
      QTest::addRow("SIGINT after %d ms", delay) << delay << SIGINT;
    }
    for (int delay : {50, 120, 300}) QTest::addRow("SIGTERM after %d ms", delay) << delay << SIGTERM;
  }
  void aSignalDuringAFirstImportLeavesNoHalfStore() {
    QFETCH(int, delayMs);
    QFETCH(int, signal);
    QTemporaryDir home;
    // Many blocks, so that the import is still reading when the signal comes.
    QFile sample(QStringLiteral(TORVIK_TEST_DATA "/sheets/all-run-xvfb.txt"));
    QVERIFY(sample.open(QIODevice::ReadOnly));
    const QByteArray block = sample.readAll();
    const QString sheet = home.filePath(QStringLiteral("sheet.txt"));
    QFile many(sheet);
    QVERIFY(many.open(QIODevice::WriteOnly));
    for (int i = 0; i < 300; ++i) many.write(block);
    many.close();
    const QString data = home.filePath(QStringLiteral("data"));
    const Outcome run = Torvik(
        {"--import", sheet},
        [&](QProcess& process) {
          QThread::msleep(static_cast<unsigned long>(delayMs));
          ::kill(static_cast<pid_t>(process.processId()), signal);
        },
        data);
    const QString folder = data + QStringLiteral("/Varn/TORVIK");
    const QStringList left = QDir(folder).entryList({QStringLiteral("*.new-*")}, QDir::Files | QDir::Hidden);
    QVERIFY2(left.isEmpty(), qPrintable(left.join(u' ')));
    const bool made = QFile::exists(folder + QStringLiteral("/results.sqlite"));
    // Ended by the signal itself only before the handlers, when nothing was made.
    QVERIFY2(run.exitCode == 0 || run.exitCode == 128 + signal || (run.exitCode == -1 && !made),
             qPrintable(QStringLiteral("%1 %2").arg(run.exitCode).arg(QString::fromLocal8Bit(run.err))));
    if (made) {
      torvik::ResultStore store(folder + QStringLiteral("/results.sqlite"));
      QVERIFY2(store.Open().Ok(), qPrintable(store.Open().Text()));
    }
  }

  void sigintEndsTheRunAndLeavesNothing() {
    ScratchDirectory directory;
    if (!OnFixedDisk(directory)) QSKIP(kNoFixedDisk);
    const QString output = directory.Path() + QStringLiteral("../kept.json");
    QFile previous(output);
    QVERIFY(previous.open(QIODevice::WriteOnly));
    previous.write("an earlier result");
    previous.close();
    const Outcome run =
        Torvik({"--run", "hdd", "--dir", directory.Path(), "--format", "json", "--output", output, "--quiet"},
               [&](QProcess& process) {
                 QTRY_VERIFY_WITH_TIMEOUT(!directory.Entries().isEmpty(), 20'000);  // test files exist
                 ::kill(static_cast<pid_t>(process.processId()), SIGINT);
               });
    QCOMPARE(run.exitCode, 128 + SIGINT);
    QVERIFY(run.out.isEmpty());
    QCOMPARE(directory.Entries(), QStringList());
    QVERIFY(previous.open(QIODevice::ReadOnly));
    QCOMPARE(previous.readAll(), QByteArray("an earlier result"));  // never a half file
    previous.remove();
  }

  // On native Wayland (a headless weston, no X display) the drawing groups
  // are told not comparable before anything is drawn.
  void nativeWaylandDrawingIsToldNotComparable() {
    const QString weston = QStandardPaths::findExecutable(QStringLiteral("weston"));
    if (weston.isEmpty()) QSKIP("weston is not installed (scripts/setup.sh --tests installs it)");
    const QDir platforms(QLibraryInfo::path(QLibraryInfo::PluginsPath) + QStringLiteral("/platforms"));
    if (platforms.entryList({QStringLiteral("libqwayland*.so")}).isEmpty()) {
      QSKIP("Qt's Wayland platform is not installed (qt6-wayland; scripts/setup.sh --tests installs it)");
    }
    QTemporaryDir runtime, dataHome;
    QFile::setPermissions(runtime.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) environment.remove(name);
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime.path());
    QProcess compositor;
    compositor.setProcessEnvironment(environment);
    compositor.start(weston, {"--backend=headless-backend.so", "--socket=torvik-test", "--idle-time=0"});
    const auto stop = qScopeGuard([&compositor] {
      compositor.terminate();
      compositor.waitForFinished(10'000);
    });
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(runtime.path() + QStringLiteral("/torvik-test")), 20'000);

    environment.insert(QStringLiteral("WAYLAND_DISPLAY"), QStringLiteral("torvik-test"));
    environment.insert(QStringLiteral("XDG_DATA_HOME"), dataHome.path());
    QProcess torvik;
    torvik.setProcessEnvironment(environment);
    torvik.start(QStringLiteral(TORVIK_BINARY), {"--run", "graphic", "--no-record", "--quiet"});
    QByteArray said;
    QTRY_VERIFY_WITH_TIMEOUT((said += torvik.readAllStandardError()).contains('\n'), 30'000);
    torvik.kill();  // 800,000 shapes would take long here
    torvik.waitForFinished();
    QVERIFY2(said.startsWith("torvik: ") && said.contains("Wayland"), said.constData());
    QVERIFY(torvik.readAllStandardOutput().isEmpty());
  }

  // An output that is not a regular file is written as it stands, never
  // replaced, and a FIFO that nobody reads is refused at once.
  void exportToFilesThatAreNotRegular_data() {
    QTest::addColumn<QString>("kind");
    QTest::addColumn<int>("exitCode");
    QTest::newRow("a FIFO being read") << "fifo-read" << 0;
    QTest::newRow("a FIFO nobody reads") << "fifo" << 1;
    QTest::newRow("a device node") << "device" << 0;
    QTest::newRow("a folder") << "folder" << 1;
    QTest::newRow("/dev/stdout") << "stdout" << 0;
    QTest::newRow("/dev/stdout appended to a log") << "log" << 0;
  }
  void exportToFilesThatAreNotRegular() {
    QFETCH(QString, kind);
    QFETCH(int, exitCode);
    QTemporaryDir home;
    const QString target = home.path() + QStringLiteral("/target");
    const QByteArray name = QFile::encodeName(target);
    int reader = -1;
    if (kind.startsWith(u"fifo")) {
      QVERIFY(mkfifo(name.constData(), 0600) == 0);
      if (kind == u"fifo-read") reader = ::open(name.constData(), O_RDONLY | O_NONBLOCK);
    } else if (kind == u"device" && mknod(name.constData(), S_IFCHR | 0666, makedev(1, 3)) != 0) {
      QSKIP("making a device node (a copy of /dev/null) needs root");
    } else if (kind == u"folder") {
      QVERIFY(QDir().mkdir(target));
    }
    if (kind == u"log") {
      // A cron or CI loop: torvik --export-csv /dev/stdout >> log, twice.
      for (int i = 0; i < 2; ++i) {
        QProcess shell;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("XDG_DATA_HOME"), home.path());
        environment.remove(QStringLiteral("DISPLAY"));
        shell.setProcessEnvironment(environment);
        shell.start(QStringLiteral("sh"), {"-c", "\"$0\" --export-csv /dev/stdout >> \"$1\"", TORVIK_BINARY, target});
        QVERIFY(shell.waitForFinished(60'000) && shell.exitCode() == 0);
      }
      QFile log(target);
      QVERIFY(log.open(QIODevice::ReadOnly));
      QCOMPARE(log.readAll().count("run,started,"), 2);  // the first kept
      return;
    }
    QElapsedTimer timer;
    timer.start();
    const Outcome run =
        Torvik({"--export-csv", kind == u"stdout" ? QStringLiteral("/dev/stdout") : target}, {}, home.path());
    QCOMPARE(run.exitCode, exitCode);
    QVERIFY(timer.elapsed() < 5'000);  // no waiting on a FIFO (0.3 s here when quiet)
    if (kind == u"stdout") {
      QVERIFY(run.out.startsWith("\xEF\xBB\xBFrun,started,"));
      return;
    }
    struct stat st {};
    QVERIFY(lstat(name.constData(), &st) == 0);
    QVERIFY(kind.startsWith(u"fifo") ? S_ISFIFO(st.st_mode)
            : kind == u"device"      ? S_ISCHR(st.st_mode)
                                     : S_ISDIR(st.st_mode));
    if (reader >= 0) {
      char header[8] = {};
      QCOMPARE(::read(reader, header, 3), ssize_t{3});
      QCOMPARE(QByteArray(header, 3), QByteArray("\xEF\xBB\xBF"));  // the CSV's byte order mark
      ::close(reader);
    }
  }

  // A run's result is never lost: an --output that cannot take it, or a
  // sheet that cannot be appended to, leaves it on stdout, exit status 1.
  void aResultThatCannotBeWrittenStaysOnStdout_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<bool>("sheetIsAFifo");
    QTest::newRow("a full device as --output") << QStringList{"--output", "/dev/full"} << false;
    QTest::newRow("a FIFO where the sheet goes") << QStringList{"--report"} << true;
  }
  void aResultThatCannotBeWrittenStaysOnStdout() {
    QFETCH(QStringList, arguments);
    QFETCH(bool, sheetIsAFifo);
    QTemporaryDir home;
    const QString copy = home.path() + QStringLiteral("/torvik");
    QVERIFY(QFile::copy(QStringLiteral(TORVIK_BINARY), copy));
    if (sheetIsAFifo) QVERIFY(mkfifo(QFile::encodeName(copy + QStringLiteral(".txt")).constData(), 0600) == 0);
    const Outcome run = Torvik(QStringList{"--run", "cpu", "--format", "json", "--quiet", "--no-record"} + arguments,
                               {}, home.path(), {}, copy);
    QCOMPARE(run.exitCode, 1);
    QCOMPARE(QJsonDocument::fromJson(run.out)["runs"][0]["tests"].toArray().size(), 2);
    QVERIFY2(!run.err.isEmpty(), "the failure is told");
  }

  // What is no sheet is refused at once, never waited on or read whole.
  void importRefusesWhatIsNoSheet_data() {
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("message");
    QTest::newRow("a FIFO") << "fifo"
                            << "通常のファイルではありません";
    QTest::newRow("an endless device") << "/dev/zero"
                                       << "通常のファイルではありません";
    QTest::newRow("a file over 64 MB") << "large"
                                       << "64 MB を超えるファイル";
    QTest::newRow("a line over 64 KB") << "line"
                                       << "64 KB を超える行";
  }
  void importRefusesWhatIsNoSheet() {
    QFETCH(QString, kind);
    QFETCH(QString, message);
    QTemporaryDir home;
    QString path = home.path() + QStringLiteral("/sheet.txt");
    QFile file(path);
    if (kind == u"fifo") {
      QVERIFY(mkfifo(QFile::encodeName(path).constData(), 0600) == 0);
    } else if (kind == u"large") {
      QVERIFY(file.open(QIODevice::WriteOnly) && file.resize(qint64{65} * 1024 * 1024));  // sparse
    } else if (kind == u"line") {
      QVERIFY(file.open(QIODevice::WriteOnly));
      file.write("<> TORVIK Time Trial Result <>\n   PC-Name       : " + QByteArray(100'000, 'x') + "\n");
    } else {
      path = kind;
    }
    file.close();
    QElapsedTimer timer;
    timer.start();
    const Outcome run = Torvik({"--import", path}, {}, home.path());
    // A FIFO nobody writes, an endless device: read, they would keep it for
    // ever (refused in under a second when quiet).
    QVERIFY(timer.elapsed() < 60'000);
    QCOMPARE(run.exitCode, 1);
    QVERIFY2(QString::fromLocal8Bit(run.err).contains(message), run.err.constData());
    QCOMPARE(run.out, QByteArray("0 件を読み込みました。0 件は記録済みです。0 件は読み込めませんでした。\n"));
  }

  // Sixteen copies importing into one new store at once: every block lands.
  void parallelImportsAllLand() {
    QTemporaryDir home;
    std::vector<std::unique_ptr<QProcess>> imports;
    for (int copy = 0; copy < 16; ++copy) {
      QByteArray sheet;
      for (int block = 0; block < 20; ++block) {
        sheet +=
            "<> TORVIK Time Trial Result <>\r\n   Date          : 8 Dec 2026 14:05:09\r\n"
            "   PC-Name       : pc" +
            QByteArray::number(copy * 100 + block) +
            "\r\n   Bench No      : 36\r\n   Prime  Calc   :   0.8sec\r\n"
            "   Sum    Total  :   0.8sec\r\n//______  TORVIK Version 3.03  ______//\r\n\r\n";
      }
      const QString path = home.path() + QStringLiteral("/sheet%1.txt").arg(copy);
      QFile file(path);
      QVERIFY(file.open(QIODevice::WriteOnly) && file.write(sheet) == sheet.size());
      file.close();
      auto process = std::make_unique<QProcess>();
      QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
      environment.remove(QStringLiteral("DISPLAY"));
      environment.insert(QStringLiteral("XDG_DATA_HOME"), home.path());
      process->setProcessEnvironment(environment);
      process->start(QStringLiteral(TORVIK_BINARY), {"--import", path});
      imports.push_back(std::move(process));
    }
    for (const auto& process : imports) {
      QVERIFY(process->waitForFinished(60'000));
      QCOMPARE(process->exitCode(), 0);
      QCOMPARE(process->readAllStandardOutput(),
               QByteArray("20 件を読み込みました。0 件は記録済みです。0 件は読み込めませんでした。\n"));
    }
    QCOMPARE(QJsonDocument::fromJson(Torvik({"--history", "--format", "json"}, {}, home.path()).out).array().size(),
             16 * 20);
  }

  // Two copies running the Memory group on one folder at once both finish,
  // round after round: the second writes a numbered data file of its own.
  void twoCopiesInOneFolder() {
    ScratchDirectory directory;
    for (int round = 0; round < 3; ++round) {
      QProcess copies[2];
      for (QProcess& copy : copies) {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.remove(QStringLiteral("DISPLAY"));
        copy.setProcessEnvironment(environment);
        copy.start(QStringLiteral(TORVIK_BINARY),
                   {"--run", "memory", "--dir", directory.Path(), "--quiet", "--no-record", "--format", "json"});
      }
      for (QProcess& copy : copies) {
        QVERIFY(copy.waitForFinished(60'000));
        QVERIFY2(copy.exitCode() == 0, copy.readAllStandardError().constData());
      }
      QCOMPARE(directory.Entries(), QStringList());
    }
  }

  // The Memory group needs a folder it can write, on any disk: a RAM disk too.
  void memoryRunsOnARamDisk() {
    if (torvik::platform::KindOf("/dev/shm") != torvik::platform::FileKind::Directory) QSKIP("no /dev/shm here");
    QTemporaryDir ram(QStringLiteral("/dev/shm/torvik-test-XXXXXX"));
    if (!ram.isValid()) QSKIP("/dev/shm is not writable here");
    const Outcome run = Torvik({"--run", "memory", "--dir", ram.path(), "--quiet", "--no-record"});
    QVERIFY2(run.exitCode == 0, run.err.constData());
    QCOMPARE(QDir(ram.path()).entryList(QDir::Files | QDir::Hidden), QStringList());
    // The HDD group times the drive: there it is refused.
    QCOMPARE(Torvik({"--run", "hdd", "--dir", ram.path(), "--quiet"}).exitCode, 2);
  }

  // Every repetition is kept here first and the runs that wait are sent
  // once, after the last: a shared store away is told once, counting every
  // run that stays, and the result still comes; --require-sent makes that
  // exit 3. --sync --format json then counts them as a script reads them.
  void aSharedStoreAwayIsToldOnceForTheWholeCommand() {
    ScratchDirectory directory;
    QTemporaryDir home;
    const QString away = QStringLiteral("postgresql://bench@/torvik?host=") + home.path() + QStringLiteral("/nowhere");
    const Outcome run = Torvik(
        {"--run", "memory", "--repeat", "5", "--dir", directory.Path(), "--quiet", "--store", away, "--require-sent"},
        {}, home.path());
    QCOMPARE(run.exitCode, 3);
    QCOMPARE(run.out.count("<> TORVIK Time Trial Result <>"), 5);
    const QStringList told =
        QString::fromUtf8(run.err).split(u'\n').filter(QStringLiteral("共有の計測結果に送れません"));
    QCOMPARE(told.size(), 1);
    QVERIFY2(told[0].contains(QStringLiteral("5 件はこの PC に残り")), qPrintable(told[0]));
    const Outcome sync = Torvik({"--sync", "--format", "json", "--store", away}, {}, home.path());
    QCOMPARE(sync.exitCode, 1);
    const QJsonObject counts = Parsed(sync.out);
    QCOMPARE(counts["sent"].toInt(), 0);
    QCOMPARE(counts["waiting"].toInt(), 5);
    QCOMPARE(counts["failed"].toInt(), 5);
    QVERIFY(counts["reason"].toString().contains(QStringLiteral("nowhere")));
    // Without a shared store it asks for nothing it cannot have.
    QCOMPARE(Torvik({"--run", "memory", "--dir", directory.Path(), "--quiet", "--require-sent"}, {}, home.path(),
                    home.path())
                 .exitCode,
             2);
  }

  // --compare of two repetitions of one command says so; a name with "%2"
  // in it, or a control character, stays as it is in the header.
  void compareOneSeriesWithItself() {
    ScratchDirectory directory;
    QTemporaryDir home, config;
    QVERIFY(QDir(config.path()).mkpath(QStringLiteral("Varn")));
    QFile settings(config.path() + QStringLiteral("/Varn/TORVIK.conf"));
    QVERIFY(settings.open(QIODevice::WriteOnly) && settings.write("[Locate]\nPCName=pc %2 %6\\tx\n") > 0);
    settings.close();
    QCOMPARE(Torvik({"--run", "memory", "--repeat", "2", "--dir", directory.Path(), "--quiet"}, {}, home.path(),
                    config.path())
                 .exitCode,
             0);
    const Outcome text = Torvik({"--compare", "1", "2"}, {}, home.path(), config.path());
    QVERIFY2(text.out.contains("repetitions of one command"), text.out.constData());
    QVERIFY2(text.out.contains("pc %2 %6 x"), text.out.constData());
    QVERIFY(
        Parsed(Torvik({"--compare", "1", "2", "--format", "json"}, {}, home.path(), config.path()).out)["same_series"]
            .toBool());
    // Against a single run: its side has no spread (null), the series has.
    QCOMPARE(Torvik({"--run", "memory", "--dir", directory.Path(), "--quiet"}, {}, home.path(), config.path()).exitCode,
             0);
    const QJsonObject single =
        Parsed(Torvik({"--compare", "1", "3", "--format", "json"}, {}, home.path(), config.path()).out)["tests"]
            .toArray()
            .first()
            .toObject();
    QVERIFY2(single["a"]["stdev"].isDouble() && single["a"]["cv"].isDouble(),
             QJsonDocument(single).toJson().constData());
    QVERIFY(single["b"]["stdev"].isNull() && single["b"]["cv"].isNull());
  }

  // A settings' shared store that is no URL (a typo, a path): the run goes
  // on and waits here, told in one line; nothing is made where it points.
  void aSharedStoreUrlThatIsNoUrlMakesNothing() {
    ScratchDirectory directory;
    QTemporaryDir home, config, cwd;
    QVERIFY(QDir(config.path()).mkpath(QStringLiteral("Varn")));
    QFile settings(config.path() + QStringLiteral("/Varn/TORVIK.conf"));
    QVERIFY(settings.open(QIODevice::WriteOnly) && settings.write("[Store]\nUrl=postgres:/bench@/torvik\n") > 0);
    settings.close();
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) environment.remove(name);
    environment.insert(QStringLiteral("XDG_DATA_HOME"), home.path());
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), config.path());
    process.setProcessEnvironment(environment);
    process.setWorkingDirectory(cwd.path());
    process.start(QStringLiteral(TORVIK_BINARY), {"--run", "memory", "--dir", directory.Path(), "--quiet"});
    QVERIFY(process.waitForFinished(120'000));
    QCOMPARE(process.exitCode(), 0);
    QVERIFY(process.readAllStandardError().contains("not a PostgreSQL URL"));
    QCOMPARE(QDir(cwd.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden), QStringList());
    const QJsonArray runs =
        QJsonDocument::fromJson(Torvik({"--history", "--format", "json"}, {}, home.path(), home.path()).out).array();
    QCOMPARE(runs.size(), 1);  // kept here, waiting
  }

  // A Wayland terminal without X: what draws nothing runs offscreen.
  // Messages follow the messages locale, as the C library picks it; the
  // locale variables of the test run are replaced by each row's.
  void messagesFollowTheLanguage_data() {
    QTest::addColumn<QStringList>("variables");
    QTest::addColumn<QByteArray>("summary");
    const QByteArray japanese = "0 件を読み込みました。0 件は記録済みです。0 件は読み込めませんでした。\n";
    const QByteArray english = "Imported 0 results. 0 were already recorded. 0 could not be read.\n";
    QTest::newRow("LANG=ja_JP.UTF-8") << QStringList{"LANG=ja_JP.UTF-8"} << japanese;
    QTest::newRow("LC_ALL=ja_JP.eucJP over LANG=en_US")
        << QStringList{"LANG=en_US.UTF-8", "LC_ALL=ja_JP.eucJP"} << japanese;
    QTest::newRow("LANGUAGE=ja under C.UTF-8") << QStringList{"LC_ALL=C.UTF-8", "LANGUAGE=ja:en"} << japanese;
    QTest::newRow("LANG=en_US.UTF-8") << QStringList{"LANG=en_US.UTF-8"} << english;
    QTest::newRow("LANG=de_DE.UTF-8") << QStringList{"LANG=de_DE.UTF-8"} << english;
    QTest::newRow("LC_MESSAGES=en over LANG=ja")
        << QStringList{"LANG=ja_JP.UTF-8", "LC_MESSAGES=en_GB.UTF-8"} << english;
    QTest::newRow("LANGUAGE=ja ignored in C") << QStringList{"LC_ALL=C", "LANGUAGE=ja"} << english;
    QTest::newRow("no locale at all") << QStringList{} << english;
  }
  void messagesFollowTheLanguage() {
    QFETCH(QStringList, variables);
    QFETCH(QByteArray, summary);
    QTemporaryDir home;
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"LANG", "LC_ALL", "LC_MESSAGES", "LANGUAGE"}) environment.remove(name);
    for (const QString& variable : variables)
      environment.insert(variable.section(u'=', 0, 0), variable.section(u'=', 1));
    environment.insert(QStringLiteral("XDG_DATA_HOME"), home.path());
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral(TORVIK_BINARY), {"--import", "/dev/zero"});
    QVERIFY(process.waitForFinished(60'000));
    QCOMPARE(process.readAllStandardOutput(), summary);
  }

  // Before this PC keeps a run it has no store, and a verb that only reads
  // or sends makes none (no folder, no empty database): each answers as
  // for an empty store.
  void readingMakesNoStore_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QByteArray>("out");
    QTest::addColumn<QByteArray>("err");  // a part of it
    QTest::newRow("sync") << QStringList{"--sync", "--store", "postgresql://bench@/torvik?host=/nonexistent"} << 0
                          << QByteArray("0 run(s) sent, 0 waiting, 0 set aside\n") << QByteArray();
    QTest::newRow("history") << QStringList{"--history", "--format", "json"} << 0 << QByteArray("[\n]\n")
                             << QByteArray();
    QTest::newRow("export") << QStringList{"--export-csv", "/dev/null"} << 0 << QByteArray() << QByteArray();
    QTest::newRow("compare") << QStringList{"--compare", "1", "2"} << 1 << QByteArray()
                             << QByteArray("no run 1 in the results store");
  }
  void readingMakesNoStore() {
    QFETCH(QStringList, arguments);
    QFETCH(int, exitCode);
    QFETCH(QByteArray, out);
    QFETCH(QByteArray, err);
    QTemporaryDir home;
    const Outcome run = Torvik(arguments, {}, home.path());
    QCOMPARE(run.exitCode, exitCode);
    QCOMPARE(run.out, out);
    QVERIFY2(run.err.contains(err), run.err.constData());
    QCOMPARE(QDir(home.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden), QStringList());
  }

  // A home that is not there is never made: what would keep files under it
  // (a run kept in this PC's store, an import) is refused in one line before
  // anything runs, exit 2; what keeps nothing there runs, and an XDG data
  // folder of its own takes the store instead.
  void aHomeThatIsNotThereIsNeverMade_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<bool>("ownDataHome");  // XDG_DATA_HOME: a folder of the test's own, else unset
    QTest::addColumn<int>("exitCode");
    QTest::newRow("a run kept") << QStringList{"--run", "memory"} << false << 2;
    QTest::newRow("a run kept, as JSON to a file")
        << QStringList{"--run", "memory", "--format", "json", "--output", "out.json"} << false << 2;
    QTest::newRow("an import") << QStringList{"--import", TORVIK_TEST_DATA "/sheets/all-run-xvfb.txt"} << false << 2;
    QTest::newRow("a run kept nowhere") << QStringList{"--run", "memory", "--no-record"} << false << 0;
    QTest::newRow("reading the history") << QStringList{"--history"} << false << 0;
    QTest::newRow("a run kept in a data folder of its own") << QStringList{"--run", "memory"} << true << 0;
  }
  void aHomeThatIsNotThereIsNeverMade() {
    QFETCH(QStringList, arguments);
    QFETCH(bool, ownDataHome);
    QFETCH(int, exitCode);
    QTemporaryDir scratch;
    const QString home = scratch.filePath(QStringLiteral("missing"));
    const QString dataHome = scratch.filePath(QStringLiteral("data"));
    ScratchDirectory directory;
    if (arguments.first() == u"--run") arguments << "--dir" << directory.Path() << "--quiet";
    QProcess process;
    process.setWorkingDirectory(scratch.path());
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "XDG_CONFIG_HOME", "XDG_DATA_HOME"}) {
      environment.remove(QLatin1String(name));
    }
    environment.insert(QStringLiteral("HOME"), home);
    if (ownDataHome) environment.insert(QStringLiteral("XDG_DATA_HOME"), dataHome);
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral(TORVIK_BINARY), arguments);
    QVERIFY(process.waitForFinished(600'000));
    const QByteArray err = process.readAllStandardError();
    QCOMPARE(process.exitCode(), exitCode);
    QVERIFY(!QFileInfo::exists(home));
    if (exitCode == 2) {
      QVERIFY2(err.startsWith("torvik: ") && err.count('\n') == 1 && err.contains(home.toLocal8Bit()), err.constData());
      QVERIFY(process.readAllStandardOutput().isEmpty());
      QCOMPARE(QDir(scratch.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList());
      QCOMPARE(directory.Entries(), QStringList());  // nothing ran
    }
    if (ownDataHome) QVERIFY(QFileInfo::exists(dataHome + QStringLiteral("/Varn/TORVIK/results.sqlite")));
  }

  // A store this user may only read (another user's: run as root, the
  // program runs as nobody) is read as it is, and a run it cannot keep is
  // told; nothing is made beside it, not even a -wal or -shm, though its
  // folder would let SQLite make them.
  void aStoreThisUserMayOnlyReadGetsNothingBeside_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QByteArray>("told");  // on stderr
    QTest::newRow("read") << QStringList{"--history", "--format", "json"} << QByteArray();
    QTest::newRow("a run kept") << QStringList{"--run", "memory", "--quiet", "--dir"}
                                << QByteArray("attempt to write a readonly database");
  }
  void aStoreThisUserMayOnlyReadGetsNothingBeside() {
    QFETCH(QStringList, arguments);
    QFETCH(QByteArray, told);
    QTemporaryDir home;
    const QString folder = home.path() + QStringLiteral("/Varn/TORVIK");
    const QString store = folder + QStringLiteral("/results.sqlite");
    const QString tests = home.path() + QStringLiteral("/tests/"), runtime = home.path() + QStringLiteral("/runtime");
    QVERIFY(QDir().mkdir(tests) && QDir().mkdir(runtime) && chmod(QFile::encodeName(runtime).constData(), 0700) == 0);
    if (arguments.last() == u"--dir") arguments << tests;
    QCOMPARE(Torvik({"--run", "memory", "--quiet", "--dir", tests}, {}, home.path()).exitCode, 0);
    const bool root = geteuid() == 0;
    constexpr uid_t kNobody = 65534;
    for (const QString& path : {home.path(), home.path() + QStringLiteral("/Varn"), folder, tests, store}) {
      const mode_t mode = path == folder || path == tests ? 0777 : path == store ? (root ? 0644 : 0444) : 0755;
      QVERIFY(chmod(QFile::encodeName(path).constData(), mode) == 0);
    }
    if (root) QVERIFY(chown(QFile::encodeName(runtime).constData(), kNobody, kNobody) == 0);
    QFile file(store);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray before = file.readAll();
    file.close();
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) environment.remove(name);
    for (const char* name : {"XDG_DATA_HOME", "XDG_CONFIG_HOME", "HOME"}) environment.insert(name, home.path());
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime);
    process.setProcessEnvironment(environment);
    if (root) {
      process.setChildProcessModifier([] {
        if (setgroups(0, nullptr) != 0 || setgid(kNobody) != 0 || setuid(kNobody) != 0) _exit(127);
      });
    }
    // A copy of the program where the other user may run it.
    const QString program = home.path() + QStringLiteral("/torvik");
    QVERIFY(QFile::copy(QStringLiteral(TORVIK_BINARY), program));
    process.start(program, arguments);
    QVERIFY(process.waitForFinished(120'000));
    const QByteArray out = process.readAllStandardOutput(), err = process.readAllStandardError();
    QVERIFY2(process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0, err.constData());
    QVERIFY2(err.contains(told), err.constData());
    if (told.isEmpty()) QCOMPARE(QJsonDocument::fromJson(out).array().size(), 1);
    QCOMPARE(QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System), QStringList{"results.sqlite"});
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), before);
  }

  // --compare on a store version 2 wrote (converted on opening): a measured
  // cpu run against an imported one, test by test; a run that is not there;
  // --history of one PC name and processor.
  void compareTwoRuns() {
    QTemporaryDir data;
    QVERIFY(QDir(data.path()).mkpath(QStringLiteral("Varn/TORVIK")));
    const QString store = data.path() + QStringLiteral("/Varn/TORVIK/results.sqlite");
    QVERIFY(QFile::copy(QStringLiteral(TORVIK_TEST_DATA "/stores/version2.sqlite"), store));
    QFile::setPermissions(store, QFile::ReadOwner | QFile::WriteOwner);
    const Outcome json = Torvik({"--compare", "1", "2", "--format", "json"}, {}, data.path());
    QVERIFY2(json.exitCode == 0, json.err.constData());
    const QJsonObject document = Parsed(json.out);
    QCOMPARE(document["a"]["id"].toInt(), 1);
    QCOMPARE(document["b"]["pc_name"].toString(), QStringLiteral("other-pc"));
    const QJsonArray tests = document["tests"].toArray();
    QCOMPARE(tests.size(), 2);
    const QJsonObject prime = tests[0].toObject();
    QCOMPARE(prime["test"].toString(), QStringLiteral("prime"));
    QCOMPARE(prime["verdict"].toString(), QStringLiteral("not_tested"));  // one run a side
    const double a = prime["a"]["mean"].toDouble(), b = prime["b"]["mean"].toDouble();
    QVERIFY(std::abs(prime["difference_percent"].toDouble() - (b - a) / a * 100) < 1e-9);
    QVERIFY(std::abs(prime["faster_percent"].toDouble() - (a / b - 1) * 100) < 1e-9);  // + is faster
    const Outcome text = Torvik({"--compare", "1", "2"}, {}, data.path());
    QVERIFY(text.out.contains("single run, not tested"));
    const Outcome missing = Torvik({"--compare", "1", "99"}, {}, data.path());
    QCOMPARE(missing.exitCode, 1);
    QVERIFY(missing.err.contains("no run 99"));
    // One machine's runs among many.
    const Outcome other =
        Torvik({"--history", "--format", "json", "--pc", "OTHER-PC", "--processor", "epyc"}, {}, data.path());
    const QJsonArray runs = QJsonDocument::fromJson(other.out).array();
    QCOMPARE(runs.size(), 2);
    QCOMPARE(runs[0].toObject()["processor_name"].toString(), QStringLiteral("AuthenticAMD AMD EPYC"));
  }

  // Many runs read by scripts: --trend and --ranking of one store's
  // machines (a series of three and a lone run each), --history's JSON with
  // the run's date, series and noise, the CSV's added columns after the old.
  void trendRankingAndTheScriptsFacts() {
    QTemporaryDir data;
    QVERIFY(QDir(data.path()).mkpath(QStringLiteral("Varn/TORVIK")));
    {
      torvik::ResultStore store(data.path() + QStringLiteral("/Varn/TORVIK/results.sqlite"));
      for (const auto& [machine, time, seconds, series] : {std::tuple{"desk", 1'800'000'000, 0.50, "s1"},
                                                           {"desk", 1'800'000'001, 0.51, "s1"},
                                                           {"desk", 1'800'000'002, 0.49, "s1"},
                                                           {"desk", 1'800'100'000, 0.40, ""},
                                                           {"lab", 1'800'000'000, 0.25, ""}}) {
        torvik::StoredRun run;
        run.started = QDateTime::fromSecsSinceEpoch(time, Qt::UTC).toString(Qt::ISODate);
        run.sortTime = time;
        run.group = QStringLiteral("memory");
        run.pcName = QLatin1String(machine);
        run.processor = QStringLiteral("Test CPU 3000MHz");
        run.series = QLatin1String(series);
        run.tests = {{"memory", qRound64(seconds * 10), seconds, 2.139 / seconds, "GB/s", std::nullopt}};
        torvik::TestNoise& noise = run.tests[0].noise.emplace();
        noise.seconds = seconds;
        noise.othersCoreSeconds = seconds;  // a shared processor
        QVERIFY_OK(store.Record(run));
      }
    }
    const Outcome trend = Torvik({"--trend", "--pc", "DESK", "--format", "json"}, {}, data.path());
    QVERIFY2(trend.exitCode == 0, trend.err.constData());
    const QJsonArray machines = QJsonDocument::fromJson(trend.out).array();
    QCOMPARE(machines.size(), 1);
    const QJsonArray points = machines[0]["tests"][0]["points"].toArray();
    QCOMPARE(points.size(), 2);
    QCOMPARE(points[0]["repetitions"].toInt(), 3);
    QVERIFY(points[1]["stdev"].isNull());  // one run has no spread
    QCOMPARE(points[1]["change"].toString(), QStringLiteral("not_tested"));
    QVERIFY(std::abs(points[1]["faster_percent"].toDouble() - 25) < 1e-9);
    QVERIFY(points[0]["noisy"].toBool());
    const Outcome ranking = Torvik({"--ranking", "--baseline", "desk"}, {}, data.path());
    QVERIFY2(ranking.exitCode == 0, ranking.err.constData());
    QVERIFY2(ranking.out.contains("  1  lab") && ranking.out.contains("+60.0 % not tested"), ranking.out.constData());
    const QJsonArray history =
        QJsonDocument::fromJson(Torvik({"--history", "--format", "json"}, {}, data.path()).out).array();
    QCOMPARE(history[0]["started_at"].toString(), QStringLiteral("2027-01-16T11:46:40Z"));
    QCOMPARE(history[1]["series"].toString(), QStringLiteral("s1"));
    QCOMPARE(history[0]["noise"]["shared_processor"].toArray().first().toString(), QStringLiteral("memory"));
    const QString csv = data.path() + QStringLiteral("/runs.csv");
    QCOMPARE(Torvik({"--export-csv", csv}, {}, data.path()).exitCode, 0);
    QFile file(csv);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = file.readAll().split('\n');
    QVERIFY(lines[0].endsWith(
        "unit,series,started_at,host_name,shared_processor,clock_moved,others_core_percent,iops,p50_us,p99_us,p999_us,"
        "engine\r"));
    QVERIFY2(lines[1].contains(",GB/s,,2027-01-16T11:46:40Z,,1,0,100,,,,,\r"), lines[1].constData());
    QCOMPARE(Torvik({"--trend", "--since", "2026-13-01"}, {}, data.path()).exitCode, 2);
  }

  // --changes for cron and CI: a series 20 % slower than the one before it
  // exits 3, a faster one 0 (both listed), nothing since the day asked 0
  // with nothing judged.
  void changesExitForTheSlower_data() {
    QTest::addColumn<double>("after");
    QTest::addColumn<QString>("since");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("verdict");
    QTest::newRow("20 % slower") << 0.60 << "2027-01-01" << 3 << "slower";
    QTest::newRow("20 % faster") << 0.40 << "2027-01-01" << 0 << "faster";
    QTest::newRow("within the noise") << 0.501 << "2027-01-01" << 0 << "";
    QTest::newRow("nothing since") << 0.60 << "2027-02-01" << 0 << "";
  }
  void changesExitForTheSlower() {
    QFETCH(double, after);
    QFETCH(QString, since);
    QFETCH(int, exitCode);
    QFETCH(QString, verdict);
    QTemporaryDir data;
    QVERIFY(QDir(data.path()).mkpath(QStringLiteral("Varn/TORVIK")));
    {
      torvik::ResultStore store(data.path() + QStringLiteral("/Varn/TORVIK/results.sqlite"));
      // 2026-12-20 and 2027-01-16: three repetitions each, spread by 1 %.
      for (const auto& [time, seconds, series] : {std::tuple{1'798'000'000, 0.5, "s1"}, {1'800'000'000, after, "s2"}}) {
        for (int r = 0; r < 3; ++r) {
          torvik::StoredRun run;
          run.started = QDateTime::fromSecsSinceEpoch(time + r, Qt::UTC).toString(Qt::ISODate);
          run.sortTime = time + r;
          run.group = QStringLiteral("memory");
          run.pcName = QStringLiteral("desk");
          run.processor = QStringLiteral("Test CPU 3000MHz");
          run.series = QLatin1String(series);
          const double s = seconds * (0.99 + 0.01 * r);
          run.tests = {{"memory", qRound64(s * 10), s, 2.139 / s, "GB/s", std::nullopt}};
          QVERIFY_OK(store.Record(run));
        }
      }
    }
    const Outcome changes = Torvik({"--changes", "--since", since, "--format", "json"}, {}, data.path());
    QVERIFY2(changes.exitCode == exitCode, changes.err.constData());
    const QJsonObject report = Parsed(changes.out);
    QCOMPARE(report["comparisons"].toInt(), since == u"2027-01-01" ? 1 : 0);
    QCOMPARE(report["slower"].toBool(), exitCode == 3);
    const QJsonArray found = report["changes"].toArray();
    QCOMPARE(found.size(), verdict.isEmpty() ? 0 : 1);
    if (!verdict.isEmpty()) {
      QCOMPARE(found[0]["verdict"].toString(), verdict);
      QCOMPARE(found[0]["machine"].toString(), QStringLiteral("desk"));
      QVERIFY(std::abs(std::abs(found[0]["faster_percent"].toDouble()) - (verdict == u"slower" ? 16.67 : 25)) < 1);
    }
  }

  // Display variables that lead nowhere: what needs no display runs; what
  // does is refused in one line of its own, never by Qt's abort.
  void displaysThatCannotBeReached_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("display");
    QTest::addColumn<QString>("wayland");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("platform");  // QT_QPA_PLATFORM, when set
    const QStringList window, graphic = {"--run", "graphic", "--quiet", "--no-record"};
    const QStringList memory = {"--run", "memory", "--quiet", "--no-record"};
    QTest::newRow("memory, Wayland only") << memory << ""
                                          << "wayland-torvik-test" << 0 << ""
                                          << "";
    QTest::newRow("history, a stale X display") << QStringList{"--history"} << ":4093"
                                                << "" << 0 << ""
                                                << "";
    QTest::newRow("window, a stale X display") << window << ":4093"
                                               << "" << 2 << "DISPLAY"
                                               << "";
    QTest::newRow("graphic, a stale X display") << graphic << ":4093"
                                                << "" << 2 << "DISPLAY"
                                                << "";
    // Without Qt's Wayland plugin the refusal says so; with it, the display
    // cannot be reached: either way one line naming the variable.
    QTest::newRow("window, a stale Wayland display") << window << ""
                                                     << "wayland-torvik-test" << 2 << "WAYLAND"
                                                     << "";
    // Platforms with no screen here: one line, not Qt's abort or a crash.
    QTest::newRow("window, eglfs without a DRM device") << window << ""
                                                        << "" << 2 << "eglfs"
                                                        << "eglfs";
    QTest::newRow("graphic, linuxfb without a framebuffer") << graphic << ""
                                                            << "" << 2 << "linuxfb"
                                                            << "linuxfb:fb=/dev/torvik-none";
  }
  void displaysThatCannotBeReached() {
    QFETCH(QStringList, arguments);
    QFETCH(QString, display);
    QFETCH(QString, wayland);
    QFETCH(int, exitCode);
    QFETCH(QString, message);
    QFETCH(QString, platform);
    ScratchDirectory directory;
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) environment.remove(name);
    if (!platform.isEmpty()) environment.insert(QStringLiteral("QT_QPA_PLATFORM"), platform);
    if (!display.isEmpty()) environment.insert(QStringLiteral("DISPLAY"), display);
    if (!wayland.isEmpty()) environment.insert(QStringLiteral("WAYLAND_DISPLAY"), wayland);
    environment.insert(QStringLiteral("XDG_DATA_HOME"), directory.Path());
    process.setProcessEnvironment(environment);
    if (arguments.contains(u"memory")) arguments << "--dir" << directory.Path();
    process.start(QStringLiteral(TORVIK_BINARY), arguments);
    QVERIFY(process.waitForFinished(60'000));
    const QByteArray err = process.readAllStandardError();
    QCOMPARE(process.exitStatus(), QProcess::NormalExit);
    QVERIFY2(process.exitCode() == exitCode, err.constData());
    if (exitCode == 0) return;
    QVERIFY(process.readAllStandardOutput().isEmpty());
    QVERIFY2(err.startsWith("torvik: ") && err.count('\n') == 1 && err.contains(message.toUtf8()), err.constData());
  }
};

QTEST_GUILESS_MAIN(HeadlessRunTest)
#include "test_headless_run.moc"
