#include "core/cores/CoresGroup.h"

#include <QCoreApplication>
#include <cerrno>
#include <memory>
#include <new>

#include "core/cores/CryptoWorkload.h"
#include "core/cores/DivisionWorkload.h"
#include "core/cores/MeasureFailure.h"
#include "core/cores/TextCorpus.h"
#include "core/cores/ThreadTeam.h"
#include "core/cores/ZstdWorkload.h"

namespace torvik {
namespace {

std::vector<std::unique_ptr<CoreWorkload>> MakeWorkloads(const CoresWork& work) {
  std::shared_ptr<const std::string> corpus;
  auto text = [&] {
    if (!corpus) corpus = std::make_shared<const std::string>(MakeTextCorpus(static_cast<size_t>(work.corpusBytes)));
    return corpus;
  };
  std::vector<std::unique_ptr<CoreWorkload>> workloads;
  for (const QString& test : work.tests) {
    if (test == QLatin1String("division")) {
      workloads.push_back(std::make_unique<DivisionWorkload>(1, work.divisionLast));
    } else if (test == QLatin1String("zstd-compress")) {
      workloads.push_back(
          std::make_unique<ZstdWorkload>(ZstdWorkload::Direction::Compress, text(), work.compressRounds));
    } else if (test == QLatin1String("zstd-decompress")) {
      workloads.push_back(
          std::make_unique<ZstdWorkload>(ZstdWorkload::Direction::Decompress, text(), work.decompressRounds));
    } else if (test == QLatin1String("sha256")) {
      workloads.push_back(std::make_unique<CryptoWorkload>(CryptoWorkload::Algorithm::Sha256, work.sha256Buffers));
    } else if (test == QLatin1String("aes-256-gcm")) {
      workloads.push_back(std::make_unique<CryptoWorkload>(CryptoWorkload::Algorithm::Aes256Gcm, work.gcmBuffers));
    }
  }
  return workloads;
}

// Frees a point's buffers on every way out of it.
struct PointEnd {
  CoreWorkload& workload;
  ~PointEnd() { workload.End(); }
};

}  // namespace

int64_t MeasureCorePoint(CoreWorkload& workload, const ThreadPoint& point,
                         const platform::ProcessorAffinity& affinity) {
  ThreadTeam team(point.processors, affinity);
  if (const auto failure = team.Failure()) {
    if (failure->processor < 0) throw MeasureFailure::ThreadRefused(failure->error);
    throw MeasureFailure::PinRefused(failure->processor, failure->error);
  }
  int64_t elapsed = 0;
  std::vector<char> good(static_cast<size_t>(point.threads), 0);
  try {
    workload.Begin(point.threads);
    PointEnd end{workload};
    team.RunEach([&](int i) { workload.Prepare(i); });
    const std::function<void(int)> run = [&](int i) { workload.Run(i); };
    elapsed = team.RunTimed(run);
    team.RunEach([&](int i) { good[i] = workload.Verify(i) ? 1 : 0; });
  } catch (const std::bad_alloc&) {
    throw MeasureFailure::MemoryRefused(workload.BytesPerThread(), ENOMEM);
  }
  for (char g : good) {
    if (!g) throw MeasureFailure::WrongResult(workload.DisplayName(), point.threads);
  }
  return elapsed;
}

QString CoresStatusText(const QString& workloadName, int threads) {
  return QCoreApplication::translate("CoresGroup", "マルチコア性能 計測中！（%1、%2 スレッド）")
      .arg(workloadName)
      .arg(threads);
}

CoresPlan PlanCoresGroup(const GroupEnvironment& environment, const CoresWork& work) {
  ProcessorTopology topology = ReadProcessorTopology(*environment.sources);
  const std::vector<int> affinity = environment.affinity->Allowed();
  if (topology.processors.empty()) {
    // No processor list to read: each processor the scheduler names is a
    // core of its own.
    for (int id : affinity.empty() ? std::vector<int>{0} : affinity) {
      LogicalProcessor processor;
      processor.id = id;
      processor.core = id;
      processor.siblings = {id};
      topology.processors.push_back(processor);
    }
  }
  const ProcessorAllowance allowance = CombineAllowance(topology, affinity, ReadCgroupLimits(*environment.sources));
  return PlanCoresGroup(topology, allowance, work);
}

CoresResult RunCoresGroup(const CoresPlan& plan, PointSink& sink, const GroupEnvironment& environment) {
  CheckAvailableMemory(*environment.sources, plan.BytesNeeded());
  CoresResult result;
  std::vector<std::unique_ptr<CoreWorkload>> workloads;
  try {
    workloads = MakeWorkloads(plan.work);
  } catch (const std::bad_alloc&) {
    throw MeasureFailure::MemoryRefused(plan.work.corpusBytes * 3, ENOMEM);
  }
  const int total = static_cast<int>(workloads.size() * plan.threads.points.size());
  int done = 0;
  for (const std::unique_ptr<CoreWorkload>& workload : workloads) {
    std::vector<std::pair<int, double>> rates;
    for (const ThreadPoint& point : plan.threads.points) {
      sink.Progress(total > 0 ? done * 100 / total : 0, CoresStatusText(workload->DisplayName(), point.threads));
      const NoiseSample before = environment.noise ? environment.noise->Sample() : NoiseSample{};
      const int64_t elapsed = MeasureCorePoint(*workload, point, *environment.affinity);
      MeasuredPoint measured;
      if (environment.noise) measured.noise = environment.noise->Between(before, environment.noise->Sample());
      measured.group = QStringLiteral("cores");
      measured.test = workload->Test();
      measured.threads = point.threads;
      measured.elapsedNs = elapsed;
      measured.work = workload->WorkPerThread() * point.threads;
      measured.rate = workload->Rate(measured.work, elapsed);
      measured.unit = workload->Unit();
      rates.emplace_back(point.threads, measured.rate);
      ++done;
      sink.PointDone(measured);
      if (done < total && sink.StopRequested()) {
        result.stopped = true;
        break;
      }
    }
    if (!rates.empty()) {
      result.figures.push_back(
          ScalingFigures::Of(workload->Test(), rates, plan.threads.physicalCores, plan.threads.smt));
    }
    if (result.stopped) break;
  }
  if (!result.stopped) sink.Progress(100, QCoreApplication::translate("CoresGroup", "マルチコア性能 計測終了"));
  return result;
}

}  // namespace torvik
