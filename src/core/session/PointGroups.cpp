#include "core/session/PointGroups.h"

#include <QCoreApplication>
#include <QFile>
#include <QJsonArray>
#include <cstring>

#include "core/base/Errors.h"
#include "core/cores/CoresGroup.h"
#include "core/cores/MeasureFailure.h"
#include "core/drive/DriveFileSize.h"
#include "core/drive/DriveGroup.h"
#include "core/ram/RamGroup.h"
#include "core/workloads/TestDirectory.h"
#include "platform/DriveIo.h"

namespace torvik {
namespace {

GroupEnvironment EnvironmentOf(const PointGroupParts& parts) {
  GroupEnvironment environment;
  environment.noise = &parts.noise;
  return environment;
}

template <typename T>
QJsonValue OrNull(const std::optional<T>& value) {
  return value ? QJsonValue(*value) : QJsonValue();
}

QJsonObject AllowanceObject(const ProcessorAllowance& allowance) {
  QJsonArray reasons;
  for (const std::string& reason : allowance.Reasons()) reasons.append(QString::fromStdString(reason));
  return QJsonObject{{"machine_processors", allowance.machineProcessors},
                     {"usable_processors", allowance.usableCount},
                     {"limited", allowance.Fewer()},
                     {"limited_by", reasons},
                     {"why_fewer", allowance.Fewer() ? QJsonValue(allowance.WhyFewer()) : QJsonValue()}};
}

QJsonObject TopologyObject(const ProcessorTopology& topology, const ThreadPlan& threads) {
  int performance = 0, efficiency = 0;
  for (const LogicalProcessor& processor : topology.processors) {
    performance += processor.kind == CoreKind::Performance;
    efficiency += processor.kind == CoreKind::Efficiency;
  }
  QJsonArray points;
  for (const ThreadPoint& point : threads.points) points.append(point.threads);
  return QJsonObject{{"physical_cores", threads.physicalCores},
                     {"smt", threads.smt},
                     {"hybrid", topology.hybrid},
                     {"performance_processors", topology.hybrid ? QJsonValue(performance) : QJsonValue()},
                     {"efficiency_processors", topology.hybrid ? QJsonValue(efficiency) : QJsonValue()},
                     {"thread_counts", points}};
}

QJsonObject CoresFacts(const CoresPlan& plan, const CoresResult& result, const ProcessorTopology& topology) {
  QJsonArray scaling;
  for (const ScalingFigures& figures : result.figures) {
    QJsonObject efficiency;
    for (const auto& [threads, value] : figures.efficiency) efficiency.insert(QString::number(threads), value);
    scaling.append(QJsonObject{{"test", figures.test},
                               {"single_thread_rate", OrNull(figures.singleRate)},
                               {"all_thread_rate", OrNull(figures.allRate)},
                               {"all_threads", figures.allThreads},
                               {"efficiency", efficiency},
                               {"smt_gain", OrNull(figures.smtGain)}});
  }
  QJsonObject facts = AllowanceObject(plan.allowance);
  const QJsonObject shape = TopologyObject(topology, plan.threads);
  for (auto field = shape.begin(); field != shape.end(); ++field) facts.insert(field.key(), field.value());
  facts.insert("scaling", scaling);
  return facts;
}

QJsonObject RamFacts(const RamPlan& plan, const RamResult& result) {
  QJsonArray caches, levels;
  for (const ReportedCache& cache : plan.caches) {
    caches.append(QJsonObject{{"level", cache.level}, {"type", cache.type}, {"bytes", double(cache.bytes)}});
  }
  for (const LevelBesideCache& beside : result.beside) {
    const LatencyLevel& level = beside.level;
    levels.append(QJsonObject{
        {"bytes", level.sizeBytes ? QJsonValue(double(*level.sizeBytes)) : QJsonValue()},
        {"nanoseconds", level.nanoseconds},
        {"first_bytes", double(level.firstBytes)},
        {"last_bytes", double(level.lastBytes)},
        {"memory", level.open},  // the curve ends on it: the memory beyond the caches
        {"reported_cache", beside.cache ? QJsonValue(QJsonObject{{"level", beside.cache->level},
                                                                  {"type", beside.cache->type},
                                                                  {"bytes", double(beside.cache->bytes)}})
                                        : QJsonValue()},
        {"size_ratio", OrNull(beside.SizeRatio())},
    });
  }
  QJsonArray threads;
  for (int count : plan.bandwidthThreads) threads.append(count);
  QJsonObject facts = AllowanceObject(plan.allowance);
  facts.insert("bandwidth_threads", threads);
  facts.insert("array_bytes", double(plan.ArrayBytes()));
  facts.insert("trials", plan.trials);
  facts.insert("latency_processor", plan.latencyProcessor);
  facts.insert("latency_cut", plan.latencyCut);
  facts.insert("caches", caches);
  facts.insert("levels", levels);
  facts.insert("huge_pages", result.hugePageMode.isEmpty() ? QJsonValue() : QJsonValue(result.hugePageMode));
  return facts;
}

QJsonObject DriveFactsObject(const DrivePlan& plan, const DriveOutcome& outcome) {
  const DriveFacts& d = outcome.facts;
  return QJsonObject{
      {"file_system", d.fileSystem},
      {"device", d.device.isEmpty() ? QJsonValue() : QJsonValue(d.device)},
      {"model", d.model.isEmpty() ? QJsonValue() : QJsonValue(d.model)},
      {"transport", d.transport},
      {"rotational", OrNull(d.rotational)},
      {"scheduler", d.scheduler.isEmpty() ? QJsonValue() : QJsonValue(d.scheduler)},
      {"engine", outcome.engine},
      {"io_uring_refused",
       outcome.ringError != 0 ? QJsonValue(QString::fromLocal8Bit(std::strerror(outcome.ringError))) : QJsonValue()},
      {"file_bytes", double(plan.fileBytes)},
      {"row_seconds", plan.rowNs / 1e9},
      {"warm_up_seconds", plan.warmUpNs / 1e9},
  };
}

// The drive group's plan from the settings; RefusalError for a file size
// the size rules refuse.
DrivePlan DrivePlanOf(const PointGroupParts& parts) {
  DriveSettings settings{.testPath = parts.testPath};
  if (const QString written = parts.settings.Read(settings::kDriveFileSize, QString()); !written.isEmpty()) {
    const DriveFileSize size = ParseDriveFileSize(written);
    if (!size.ok()) throw RefusalError(size.message);
    settings.fileBytes = size.bytes;
  }
  const DrivePlanResult planned = MakeDrivePlan(settings);
  if (!planned.plan) throw RefusalError(planned.problem);
  return *planned.plan;
}

// What the folder of `plan` cannot do for the drive group: the HDD group's
// words for a folder it may not use and for a disk without the space.
QString DriveFolderProblem(const DrivePlan& plan, const PointGroupParts& parts) {
  if (const TestPathProblem problem = parts.rules.Check(plan.testPath); problem != TestPathProblem::None) {
    return QStringLiteral("%1 (%2: %3)").arg(texts::NoDiskInformation(), plan.testPath, TestPathProblemText(problem));
  }
  double total = 0, available = 0;
  if (!parts.files.QueryDiskSpace(QFile::encodeName(plan.testPath).toStdString(), total, available)) {
    return texts::NoDiskInformation();
  }
  if (available < static_cast<double>(plan.FreeBytesNeeded())) {
    return QStringLiteral("%1 (%2)").arg(
        texts::NotEnoughSpace(),
        QCoreApplication::translate("PointGroups", "テストファイル %1 MiB と余裕 %2 MiB が必要です")
            .arg(plan.fileBytes >> 20)
            .arg(kDriveSpareBytes >> 20));
  }
  return {};
}

}  // namespace

QString PointGroupRefusal(Group group, const PointGroupParts& parts) {
  try {
    const GroupEnvironment environment = EnvironmentOf(parts);
    switch (group) {
      case Group::Cores: CheckAvailableMemory(*environment.sources, PlanCoresGroup(environment).BytesNeeded()); break;
      case Group::Ram: CheckAvailableMemory(*environment.sources, PlanRamGroup(environment).BytesNeeded()); break;
      case Group::Drive: return DriveFolderProblem(DrivePlanOf(parts), parts);
      default: break;
    }
  } catch (const TorvikError& refused) {
    return refused.BoxText();
  }
  return {};
}

PointGroupEnd RunPointGroup(Group group, PointSink& sink, const PointGroupParts& parts) {
  const GroupEnvironment environment = EnvironmentOf(parts);
  PointGroupEnd end;
  switch (group) {
    case Group::Cores: {
      const CoresPlan plan = PlanCoresGroup(environment);
      const CoresResult result = RunCoresGroup(plan, sink, environment);
      end.facts = CoresFacts(plan, result, ReadProcessorTopology(*environment.sources));
      end.stopped = result.stopped;
      end.fewerProcessors = plan.allowance.WhyFewer();
      break;
    }
    case Group::Ram: {
      const RamPlan plan = PlanRamGroup(environment);
      const RamResult result = RunRamGroup(plan, sink, environment);
      end.facts = RamFacts(plan, result);
      end.stopped = result.stopped;
      end.fewerProcessors = plan.allowance.WhyFewer();
      break;
    }
    case Group::Drive: {
      const DrivePlan plan = DrivePlanOf(parts);
      const DriveMachine machine{platform::DriveIo::Default(), parts.files, parts.rules,
                                 platform::SystemSources::Default(), parts.noise};
      const DriveOutcome outcome = RunDriveGroup(plan, sink, machine);
      if (!outcome.ok()) {
        const QString words = outcome.detail.isEmpty() ? outcome.message : outcome.message + QStringLiteral(" (") +
                                                                               outcome.detail + u')';
        throw RefusalError(words);
      }
      end.facts = DriveFactsObject(plan, outcome);
      end.stopped = outcome.stopped;
      break;
    }
    default: break;
  }
  return end;
}

}  // namespace torvik
