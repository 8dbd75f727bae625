#include "core/drive/DriveGroup.h"

#include <QCoreApplication>
#include <QFile>
#include <algorithm>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <exception>
#include <functional>
#include <mutex>
#include <new>
#include <system_error>
#include <thread>

#include "core/base/Errors.h"
#include "core/drive/DiskStats.h"
#include "core/drive/DriveEngineChoice.h"
#include "core/drive/DriveTestFile.h"
#include "core/workloads/TestDirectory.h"
#include "platform/Clock.h"

namespace torvik {
namespace {

// The fill writes the file in the first row's blocks at the first row's depth.
constexpr uint32_t kFillBlockBytes = 1 << 20;
constexpr int kFillDepth = 8;
// The gauge: the fill takes the first 5 %, the rows share the rest evenly.
constexpr int kFillPercent = 5;
constexpr auto kStopQuestionEvery = std::chrono::milliseconds(100);

QString MiB(double bytes) { return QStringLiteral("%1 MiB").arg(static_cast<int64_t>(bytes / (1 << 20))); }

// The runtime's words for an errno ("ﾃﾞｨｽｸがいっぱいです", "I/O ｴﾗｰ (1117)").
QString ErrorWords(int error) { return IoErrorText(IoCodeOfErrno(error)); }

DriveOutcome& Fail(DriveOutcome& outcome, DriveFailure failure, const QString& message, const QString& detail,
                   int error = 0) {
  outcome.failure = failure;
  outcome.message = message;
  outcome.detail = detail;
  outcome.error = error;
  return outcome;
}

// A failed job, or failed set-aside or flush, as the user is told it.
void FailTransfer(DriveOutcome& outcome, int error, bool shortTransfer, const QString& during) {
  if (shortTransfer) {
    Fail(outcome, DriveFailure::ShortTransfer,
         QCoreApplication::translate("DriveGroup",
                                     "ドライブが要求より少ないバイト数しか転送しませんでした。計測を中止します。"),
         during);
  } else if (error == ENOSPC || error == EDQUOT) {
    Fail(outcome, DriveFailure::DiskFull,
         QCoreApplication::translate("DriveGroup", "ドライブの空き領域がなくなりました。計測を中止します。"), during,
         error);
  } else {
    Fail(outcome, DriveFailure::TransferFailed,
         QCoreApplication::translate("DriveGroup", "ドライブの入出力でエラーが発生しました。計測を中止します。"),
         QStringLiteral("%1: %2").arg(during, ErrorWords(error)), error);
  }
}

// Runs `job` on a thread of its own; meanwhile this thread asks the sink
// every 100 ms whether to stop (and tells the engine) and calls `report`.
// Returns once the job's thread has ended; what the engine or the sink
// raised is raised again after it has.
void Watch(DriveEngine& engine, const DriveJob& job, DriveRun& run, PointSink& sink,
           const std::function<void(const DriveControl&)>& report) {
  DriveControl control;
  std::mutex mutex;
  std::condition_variable finished;
  bool done = false;
  std::exception_ptr raised;
  std::thread worker([&] {
    try {
      engine.Run(job, control, run);
    } catch (...) {
      raised = std::current_exception();
    }
    const std::lock_guard lock(mutex);
    done = true;
    finished.notify_one();
  });
  try {
    // On a fixed beat, so the time the sink takes never stretches it.
    auto nextQuestion = std::chrono::steady_clock::now() + kStopQuestionEvery;
    std::unique_lock lock(mutex);
    while (!finished.wait_until(lock, nextQuestion, [&] { return done; })) {
      lock.unlock();
      nextQuestion += kStopQuestionEvery;
      if (!control.stop.load() && sink.StopRequested()) control.stop.store(true);
      report(control);
      nextQuestion = std::max(nextQuestion, std::chrono::steady_clock::now());
      lock.lock();
    }
  } catch (...) {
    control.stop.store(true);
    worker.join();
    throw;
  }
  worker.join();
  if (raised) std::rethrow_exception(raised);
}

class GroupGauge {
 public:
  GroupGauge(PointSink& sink, int rows) : sink_(sink), rows_(rows) {}
  void Show(double percent, const QString& status) {
    const int whole = std::clamp(static_cast<int>(percent), 0, 100);
    if (whole == shown_ && status == status_) return;
    shown_ = whole;
    status_ = status;
    sink_.Progress(whole, status);
  }
  double OfRow(int row, double fraction) const {
    return kFillPercent + (100.0 - kFillPercent) * (row + std::clamp(fraction, 0.0, 1.0)) / rows_;
  }

 private:
  PointSink& sink_;
  int rows_;
  int shown_ = -1;
  QString status_;
};

std::optional<DiskCounters> DriveCounters(const DriveMachine& machine, const DriveFacts& facts) {
  if (!facts.HasDevice()) return std::nullopt;
  return ParseDiskStats(machine.sources.ReadFile("/proc/diskstats").value_or(""), facts.major, facts.minor);
}

MeasuredPoint PointOf(const DriveRow& row, const DriveRun& run, const QString& engine) {
  MeasuredPoint point;
  point.group = QStringLiteral("drive");
  point.test = QLatin1String(row.id);
  point.threads = row.threads;
  point.elapsedNs = run.elapsedNs;
  point.work = static_cast<double>(run.requests);
  point.unit = QStringLiteral("MB/s");
  point.engine = engine;
  if (run.elapsedNs > 0) {
    const double seconds = run.elapsedNs / 1e9;
    point.rate = run.requests * static_cast<double>(row.blockBytes) / seconds / 1e6;  // decimal MB
    point.iops = run.requests / seconds;
  }
  if (run.latency.Count() > 0) {
    point.p50Us = run.latency.ValueAt(50) / 1e3;
    point.p99Us = run.latency.ValueAt(99) / 1e3;
    point.p999Us = run.latency.ValueAt(99.9) / 1e3;
  }
  return point;
}

// The group once its test file exists; `outcome` collects what happened.
void RunRows(const DrivePlan& plan, PointSink& sink, const DriveMachine& machine, DriveTestFile& file,
             DriveOutcome& outcome) {
  std::unique_ptr<DriveEngine> engine = OpenDriveEngine(machine.io, file.File(), kDriveMaximumDepth, outcome.ringError);
  outcome.engine = QString::fromLatin1(engine->Name());
  GroupGauge progress(sink, static_cast<int>(plan.rows.size()));

  // The whole file set aside, then written once with incompressible data.
  progress.Show(0, DriveFillStatus());
  if (const int error = file.File().Reserve(plan.fileBytes); error != 0) {
    FailTransfer(outcome, error, false, QCoreApplication::translate("DriveGroup", "テストファイルの領域確保"));
    return;
  }
  if (sink.StopRequested()) {
    outcome.stopped = true;
    return;
  }
  DriveJob fill;
  fill.fill = true;
  fill.blockBytes = kFillBlockBytes;
  fill.depth = kFillDepth;
  fill.fileBytes = plan.fileBytes;
  DriveRun filled;
  Watch(*engine, fill, filled, sink, [&](const DriveControl& control) {
    progress.Show(kFillPercent * static_cast<double>(control.filled.load()) / plan.fileBytes, DriveFillStatus());
  });
  if (filled.Failed()) {
    FailTransfer(outcome, filled.error, filled.shortTransfer,
                 QCoreApplication::translate("DriveGroup", "テストファイルの作成"));
    return;
  }
  if (filled.stopped) {
    outcome.stopped = true;
    return;
  }
  if (const int error = file.File().Flush(); error != 0) {
    FailTransfer(outcome, error, false, QCoreApplication::translate("DriveGroup", "テストファイルの作成"));
    return;
  }

  for (size_t index = 0; index < plan.rows.size(); ++index) {
    const DriveRow& row = plan.rows[index];
    const QString status = DriveRowStatus(row);
    progress.Show(progress.OfRow(static_cast<int>(index), 0), status);
    if (sink.StopRequested()) {
      outcome.stopped = true;
      return;
    }
    DriveJob job;
    job.write = row.write;
    job.random = row.random;
    job.blockBytes = static_cast<uint32_t>(row.blockBytes);
    job.depth = row.depth;
    job.fileBytes = plan.fileBytes;
    job.warmUpNs = plan.warmUpNs;
    job.rowNs = plan.rowNs;
    DriveRun run;
    // The looks at the machine and the drive's counters, both outside the job.
    const NoiseSample before = machine.noise.Sample();
    const std::optional<DiskCounters> countersBefore = DriveCounters(machine, outcome.facts);
    const int64_t started = platform::MonotonicNanoseconds();
    Watch(*engine, job, run, sink, [&](const DriveControl&) {
      const double fraction = (platform::MonotonicNanoseconds() - started) / double(plan.warmUpNs + plan.rowNs);
      progress.Show(progress.OfRow(static_cast<int>(index), fraction), status);
    });
    const std::optional<DiskCounters> countersAfter = DriveCounters(machine, outcome.facts);
    const NoiseSample after = machine.noise.Sample();
    if (run.Failed()) {
      FailTransfer(outcome, run.error, run.shortTransfer, DriveRowName(row));
      return;
    }
    if (run.stopped) {
      outcome.stopped = true;  // the row under way is dropped
      return;
    }
    MeasuredPoint point = PointOf(row, run, outcome.engine);
    point.othersIoBytes = OthersBytes(countersBefore, countersAfter, run.bytesMoved);
    point.noise = machine.noise.Between(before, after);
    ++outcome.rowsDone;
    sink.PointDone(point);
  }
  if (!plan.rows.empty()) progress.Show(100, DriveRowStatus(plan.rows.back()));
}

}  // namespace

DriveOutcome RunDriveGroup(const DrivePlan& plan, PointSink& sink, const DriveMachine& machine) {
  DriveOutcome outcome;
  if (const TestPathProblem problem = machine.rules.Check(plan.testPath); problem != TestPathProblem::None) {
    return Fail(outcome, DriveFailure::UnusableFolder, texts::NoDiskInformation(), TestPathProblemText(problem));
  }
  QString folder = plan.testPath;
  folder.chop(1);  // the normalised path's "/"
  outcome.facts = ReadDriveFacts(machine.sources, folder.isEmpty() ? QStringLiteral("/") : folder);
  // What earlier runs left goes first: its space is the user's again.
  RemoveAbandonedDriveFiles(machine.io, machine.files, plan.testPath);

  double total = 0, available = 0;
  if (!machine.files.QueryDiskSpace(QFile::encodeName(plan.testPath).toStdString(), total, available)) {
    return Fail(outcome, DriveFailure::UnusableFolder, texts::NoDiskInformation(), {});
  }
  if (available < static_cast<double>(plan.FreeBytesNeeded())) {
    return Fail(outcome, DriveFailure::NotEnoughSpace, texts::NotEnoughSpace(),
                QCoreApplication::translate("DriveGroup", "テストファイル %1 と余裕 %2 が必要ですが、空きは %3 です")
                    .arg(MiB(plan.fileBytes), MiB(kDriveSpareBytes), MiB(available)));
  }

  int error = 0;
  std::unique_ptr<DriveTestFile> file = DriveTestFile::Create(machine.io, machine.files, plan.testPath, error);
  if (!file && error == EINVAL) {
    return Fail(outcome, DriveFailure::NoDirectTransfers,
                QCoreApplication::translate("DriveGroup",
                                            "テストフォルダのファイルシステムは直接転送（O_DIRECT）に対応していません。"
                                            "キャッシュを計測しないよう、計測を中止します。"),
                outcome.facts.fileSystem, error);
  }
  if (!file) {
    return Fail(outcome, DriveFailure::CannotCreateFile,
                QCoreApplication::translate("DriveGroup", "テストファイルを作成できません。計測を中止します。"),
                ErrorWords(error), error);
  }
  try {
    RunRows(plan, sink, machine, *file, outcome);
  } catch (const std::bad_alloc&) {
    Fail(outcome, DriveFailure::OutOfResources,
         QCoreApplication::translate("DriveGroup", "計測に必要なメモリを確保できません。計測を中止します。"), {});
  } catch (const std::system_error& thread) {
    Fail(outcome, DriveFailure::OutOfResources,
         QCoreApplication::translate("DriveGroup", "計測に必要なスレッドを起動できません。計測を中止します。"), {},
         thread.code().value());
  }
  if (file->Remove() != 0) outcome.undeleted = QFile::decodeName(QByteArray::fromStdString(file->Path()));
  return outcome;
}

}  // namespace torvik
