// The drive group against fio: each of the group's eight rows beside fio
// running the identical job on the same file in the same run
// (ioengine=io_uring, direct=1, the same bs, iodepth, numjobs=1, size,
// time_based runtime after the same ramp, randrepeat=0, norandommap). The
// group's rate against fio's, and its p50 and p99 completion latency against
// fio's total latency ("lat", with lat_percentiles=1: from the request's
// submission, as the group times it). Then the group's own time beside the
// 60 s it may take besides its fill, and its first read row right after the
// fill against the same row after the page cache was dropped (root only):
// the same figure shows no read came from the cache. fio runs each job
// twice in a row: the "fio twice" rows set its second run beside its first,
// the noise floor of each row on this machine (a virtual disk's writes land
// in the host's cache, whose state moves from one second to the next).
//
//   build/bench/torvik_drive_bench [--rows] DIRECTORY [runs] [--size SIZE] [--row-seconds S] [--engine threads]
//                                  [--only ROW] [--fio-own-file]
//
// Needs fio on PATH. With --engine threads the group runs on its fallback
// engine (io_uring refused), beside fio's psync with one job per request in
// flight where that is the same work (the random rows and depth 1; fio's
// jobs would each walk the file on its own in a sequential row), else
// beside fio's io_uring at the same depth. --only ROW runs one row again, the group with that row alone
// (each run a fresh file), beside fio. fio runs its jobs on the group's own
// test file between the rows; --fio-own-file gives it a file of its own,
// laid out by fio before its first job.
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QString>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <map>
#include <vector>

#include "BenchTable.h"
#include "core/drive/DriveFileSize.h"
#include "core/drive/DriveGroup.h"
#include "core/drive/DrivePlan.h"
#include "platform/DriveIo.h"
#include "platform/FileSystem.h"
#include "platform/SystemSources.h"

using namespace torvik;

namespace {

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values.empty() ? 0 : values[values.size() / 2];
}

// The system's drive facilities with io_uring refused: the fallback engine.
class NoRing : public platform::DriveIo {
 public:
  std::unique_ptr<platform::DirectFile> CreateDirect(const std::string& path, int& error) override {
    return Default().CreateDirect(path, error);
  }
  std::unique_ptr<platform::IoRing> OpenRing(platform::DirectFile&, int, int& error) override {
    error = ENOSYS;
    return nullptr;
  }
  int Remove(const std::string& path) override { return Default().Remove(path); }
  bool RemoveIfAbandoned(const std::string& path) override { return Default().RemoveIfAbandoned(path); }
};

// Collects the points; drops the page cache as the first row is announced
// when asked to; stops after `stopAfter` rows. `aside` runs next to each
// row, just before it starts or just after it ends (the reference's
// identical job, so both share the same minutes of the machine); the time
// it takes between the first row's start and the last row's end is kept
// apart from the group's.
class BenchSink : public PointSink {
 public:
  using Clock = std::chrono::steady_clock;
  int stopAfter = 8;
  bool dropCacheBeforeFirstRow = false;
  bool asideBefore = false;  // else after
  std::function<void(size_t row)> aside;
  std::vector<MeasuredPoint> points;
  QStringList rowStatuses;  // of the plan's rows, in order

  bool StopRequested() override { return static_cast<int>(points.size()) >= stopAfter; }
  void Progress(int, const QString& now) override {
    if (now == status_) return;
    if (status_ == DriveFillStatus() && dropCacheBeforeFirstRow) DropPageCache();
    status_ = now;
    const qsizetype row = rowStatuses.indexOf(now);
    if (row < 0) return;
    if (asideBefore) Aside(static_cast<size_t>(row), row > 0);
    if (row == 0) rowsStarted_ = Clock::now();
  }
  void PointDone(const MeasuredPoint& point) override {
    rowsEnded_ = Clock::now();
    points.push_back(point);
    if (!asideBefore) Aside(points.size() - 1, static_cast<qsizetype>(points.size()) < rowStatuses.size());
  }
  // The rows' own time, from the first row's start to the last row's end.
  double RowsSeconds() const {
    return std::chrono::duration<double>(rowsEnded_ - rowsStarted_).count() - asideBetweenRows_;
  }

  static bool DropPageCache() {
    QProcess::execute(QStringLiteral("sync"), {});
    QFile drop(QStringLiteral("/proc/sys/vm/drop_caches"));
    return drop.open(QIODevice::WriteOnly) && drop.write("3\n") == 2;
  }

 private:
  void Aside(size_t row, bool betweenRows) {
    if (!aside) return;
    const Clock::time_point start = Clock::now();
    aside(row);
    if (betweenRows) asideBetweenRows_ += std::chrono::duration<double>(Clock::now() - start).count();
  }

  QString status_;
  Clock::time_point rowsStarted_, rowsEnded_;
  double asideBetweenRows_ = 0;
};

struct FioFigures {
  double megabytesPerSecond = 0;
  double p50Us = 0, p99Us = 0;
};

// fio's figures for the job that `row` is, on `path`.
// Whether fio's psync, one job per request in flight, does the same work
// as the group's threads for `row`.
bool PsyncIsTheSameJob(const DriveRow& row) { return row.random || row.depth == 1; }

FioFigures Fio(const DriveRow& row, const QString& path, const DrivePlan& plan, bool threads) {
  const QString rw =
      QLatin1String(row.random ? (row.write ? "randwrite" : "randread") : (row.write ? "write" : "read"));
  QStringList arguments = {
      QStringLiteral("--name=torvik"),
      QStringLiteral("--filename=") + path,
      QStringLiteral("--size=%1").arg(plan.fileBytes),
      QStringLiteral("--direct=1"),
      QStringLiteral("--bs=%1").arg(row.blockBytes),
      QStringLiteral("--rw=") + rw,
      QStringLiteral("--time_based"),
      QStringLiteral("--runtime=%1ms").arg(plan.rowNs / 1'000'000),
      QStringLiteral("--ramp_time=%1ms").arg(plan.warmUpNs / 1'000'000),
      QStringLiteral("--randrepeat=0"),
      QStringLiteral("--norandommap"),
      QStringLiteral("--lat_percentiles=1"),
      QStringLiteral("--percentile_list=50:99"),
      QStringLiteral("--output-format=json"),
      // A write job too starts on a file written whole, as the group's
      // write rows overwrite its filled file (fio lays it out first).
      QStringLiteral("--overwrite=1"),
  };
  if (threads && PsyncIsTheSameJob(row)) {
    // One job per request in flight, each one request at a time.
    arguments << QStringLiteral("--ioengine=psync") << QStringLiteral("--numjobs=%1").arg(row.depth)
              << QStringLiteral("--thread") << QStringLiteral("--group_reporting");
  } else {
    arguments << QStringLiteral("--ioengine=io_uring") << QStringLiteral("--iodepth=%1").arg(row.depth)
              << QStringLiteral("--numjobs=1");
  }
  QProcess fio;
  fio.start(QStringLiteral("fio"), arguments);
  if (!fio.waitForFinished(600'000) || fio.exitCode() != 0) {
    std::fprintf(stderr, "fio failed: %s\n", fio.readAllStandardError().constData());
    std::exit(2);
  }
  const QJsonObject job = QJsonDocument::fromJson(fio.readAllStandardOutput())["jobs"].toArray()[0].toObject();
  const QJsonObject side = job[QLatin1String(row.write ? "write" : "read")].toObject();
  const QJsonObject percentiles = side["lat_ns"].toObject()["percentile"].toObject();
  return FioFigures{side["bw_bytes"].toDouble() / 1e6, percentiles["50.000000"].toDouble() / 1e3,
                    percentiles["99.000000"].toDouble() / 1e3};
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  const bool rowsOnly = bench::RowsOnly(argc, argv);
  QStringList positional;
  QString size = QStringLiteral("1G");
  double rowSeconds = kDefaultDriveRowSeconds;
  bool threads = false;
  QString only;
  bool ownFile = false;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--size") == 0 && i + 1 < argc) {
      size = QString::fromLocal8Bit(argv[++i]);
    } else if (std::strcmp(argv[i], "--row-seconds") == 0 && i + 1 < argc) {
      rowSeconds = std::atof(argv[++i]);
    } else if (std::strcmp(argv[i], "--fio-own-file") == 0) {
      ownFile = true;
    } else if (std::strcmp(argv[i], "--only") == 0 && i + 1 < argc) {
      only = QString::fromLocal8Bit(argv[++i]);
    } else if (std::strcmp(argv[i], "--engine") == 0 && i + 1 < argc) {
      threads = std::strcmp(argv[++i], "threads") == 0;
    } else {
      positional << QString::fromLocal8Bit(argv[i]);
    }
  }
  if (positional.isEmpty()) {
    std::fprintf(stderr,
                 "usage: %s [--rows] DIRECTORY [runs] [--size SIZE] [--row-seconds S] [--engine threads] [--only ROW] "
                 "[--fio-own-file]\n",
                 argv[0]);
    return 2;
  }
  const int runs = positional.size() > 1 ? std::max(1, positional[1].toInt()) : 1;
  const DriveFileSize fileSize = ParseDriveFileSize(size);
  if (!fileSize.ok()) {
    std::fprintf(stderr, "%s\n", qPrintable(fileSize.message));
    return 2;
  }
  const DrivePlanResult planned =
      MakeDrivePlan(DriveSettings{QFileInfo(positional[0]).absoluteFilePath(), fileSize.bytes, rowSeconds});
  if (!planned.plan) {
    std::fprintf(stderr, "%s\n", qPrintable(planned.problem));
    return 2;
  }
  DrivePlan plan = *planned.plan;
  if (!only.isEmpty()) {
    // One row again (a row that came out off): the group with that row alone.
    std::erase_if(plan.rows, [&](const DriveRow& row) { return only != QLatin1String(row.id); });
    if (plan.rows.empty()) {
      std::fprintf(stderr, "no row %s\n", qPrintable(only));
      return 2;
    }
  }
  const QString fioFile = plan.testPath + QStringLiteral("torvik-drive-fio.dat");

  NoRing noRing;
  TestPathRules rules(platform::FileSystem::Default(), platform::SystemSources::Default());
  MachineNoise noise(platform::SystemSources::Default());
  const DriveMachine machine{threads ? static_cast<platform::DriveIo&>(noRing) : platform::DriveIo::Default(),
                             platform::FileSystem::Default(), rules, platform::SystemSources::Default(), noise};

  const auto loadAverage = platform::SystemSources::Default().ReadFile("/proc/loadavg").value_or("?");
  if (!rowsOnly) {
    std::printf(
        "drive group against fio: %s file, %.1f s rows after %.1f s warm-up, median of %d runs (fio after each row, "
        "then before it); load %s",
        qPrintable(DriveSizeText(plan.fileBytes)), plan.rowNs / 1e9, plan.warmUpNs / 1e9, runs, loadAverage.c_str());
    bench::PrintHeader();
  }

  std::map<int, std::vector<double>> rate, p50, p99, fioRate, fioP50, fioP99, twinRate, twinP50, twinP99, others,
      othersCpu;
  std::vector<double> groupSeconds;
  QString engine;
  QStringList rowStatuses;
  for (const DriveRow& row : plan.rows) rowStatuses << DriveRowStatus(row);
  for (int run = 0; run < runs; ++run) {
    BenchSink sink;
    sink.stopAfter = static_cast<int>(plan.rows.size());
    sink.rowStatuses = rowStatuses;
    // fio's identical job beside each row, in the same minutes of the
    // machine: after it in the first run, before it in the next, and so on,
    // so neither always runs on what the other left (fio lays its file out
    // before its first job, as the group fills its own before its first row).
    sink.asideBefore = run % 2 == 1;
    sink.aside = [&](size_t i) {
      // By default fio reads and writes the group's own test file, which
      // exists between the rows: the same blocks of the same drive, laid
      // out the same way (a virtual disk places a new file's blocks in the
      // order they are first written).
      QString target = fioFile;
      if (!ownFile) {
        const QStringList files = QDir(plan.testPath).entryList({QStringLiteral("TORVIK-drive-*.dat")}, QDir::Files);
        if (files.size() == 1) target = plan.testPath + files.front();
      }
      const FioFigures reference = Fio(plan.rows[i], target, plan, threads);
      fioRate[i].push_back(reference.megabytesPerSecond);
      fioP50[i].push_back(reference.p50Us);
      fioP99[i].push_back(reference.p99Us);
      const FioFigures again = Fio(plan.rows[i], target, plan, threads);
      twinRate[i].push_back(again.megabytesPerSecond);
      twinP50[i].push_back(again.p50Us);
      twinP99[i].push_back(again.p99Us);
    };
    const DriveOutcome outcome = RunDriveGroup(plan, sink, machine);
    QFile::remove(fioFile);
    if (!outcome.ok() || sink.points.size() != plan.rows.size()) {
      std::fprintf(stderr, "the drive group failed: %s %s\n", qPrintable(outcome.message), qPrintable(outcome.detail));
      return 1;
    }
    for (size_t i = 0; i < plan.rows.size(); ++i) {
      const MeasuredPoint& point = sink.points[i];
      rate[i].push_back(point.rate);
      p50[i].push_back(point.p50Us.value_or(0));
      p99[i].push_back(point.p99Us.value_or(0));
      others[i].push_back(point.othersIoBytes.value_or(-1) / 1e6);
      othersCpu[i].push_back(point.noise ? point.noise->OthersCorePercent().value_or(-1) : -1);
    }
    engine = outcome.engine;
    groupSeconds.push_back(sink.RowsSeconds());
  }

  std::vector<QByteArray> details;
  for (size_t i = 0; i < plan.rows.size(); ++i) {
    const DriveRow& row = plan.rows[i];
    const double p50Ratio = Median(p50[i]) / Median(fioP50[i]);
    const double p99Ratio = Median(p99[i]) / Median(fioP99[i]);
    const QByteArray what = QByteArray(row.id) + " MB/s";
    const QByteArray method =
        QStringLiteral("fio %1, same job; p50 %2x, p99 %3x fio's")
            .arg(threads && PsyncIsTheSameJob(row) ? QStringLiteral("psync") : QStringLiteral("io_uring"))
            .arg(p50Ratio, 0, 'f', 2)
            .arg(p99Ratio, 0, 'f', 2)
            .toUtf8();
    bench::PrintRow(what.constData(), method.constData(), Median(rate[i]), Median(fioRate[i]), "MB");
    const QByteArray twinMethod = QStringLiteral("its job again right after; p50 %1x, p99 %2x its first")
                                      .arg(Median(twinP50[i]) / Median(fioP50[i]), 0, 'f', 2)
                                      .arg(Median(twinP99[i]) / Median(fioP99[i]), 0, 'f', 2)
                                      .toUtf8();
    bench::PrintRow("  fio twice", twinMethod.constData(), Median(twinRate[i]), Median(fioRate[i]), "MB");
    details.push_back(
        QStringLiteral(
            "  %1: p50 %2 / %3 us, p99 %4 / %5 us (program / fio lat); others: %6 MB on the drive, %7 % of a core")
            .arg(QLatin1String(row.id))
            .arg(Median(p50[i]), 0, 'f', 1)
            .arg(Median(fioP50[i]), 0, 'f', 1)
            .arg(Median(p99[i]), 0, 'f', 1)
            .arg(Median(fioP99[i]), 0, 'f', 1)
            .arg(Median(others[i]), 0, 'f', 1)
            .arg(Median(othersCpu[i]), 0, 'f', 0)
            .toUtf8());
  }
  if (only.isEmpty())
    bench::PrintRow("drive group, 8 rows", "its rows' time beside the fill (60 s allowed)", Median(groupSeconds), 60,
                    "s");

  // The first read row comes right after the fill wrote the file; once
  // more with the page cache dropped between the fill and the row.
  BenchSink afterDrop;
  afterDrop.rowStatuses = rowStatuses;
  afterDrop.stopAfter = 1;
  afterDrop.dropCacheBeforeFirstRow = true;
  if (!only.isEmpty()) {
    // one row only: neither the group's time nor its first row
  } else if (BenchSink::DropPageCache() && RunDriveGroup(plan, afterDrop, machine).ok() && !afterDrop.points.empty()) {
    bench::PrintRow("read just after the fill", "seq1m-q8t1-read (the same with the page cache dropped first)",
                    Median(rate[0]), afterDrop.points[0].rate, "MB");
  } else {
    std::printf("%-26s %-62s %12s %12s %7s\n", "read just after the fill", "(dropping the page cache needs root)", "-",
                "-", "-");
  }
  if (!rowsOnly) {
    std::printf("engine: %s\n", qPrintable(engine));
    for (const QByteArray& line : details) std::printf("%s\n", line.constData());
  }
  return 0;
}
