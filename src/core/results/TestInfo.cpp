#include "core/results/TestInfo.h"

#include <QStringList>
#include <array>

#include "core/results/TestCatalogue.h"

namespace torvik {
namespace {

// The workloads of the groups that measure today's machine, in the order
// their points are listed.
struct PointWorkload {
  const char* id;
  const char* group;
  const char* name;
  const char* unit;
  double perUnit;
  bool fixedWork;
  const char* chart;  // the workload's chart; its title is its group's and its name
};

constexpr std::array<PointWorkload, 18> kPointWorkloads = {{
    {"division", "cores", "Division", "ops/s", 1, true, "cores.division"},
    {"zstd-compress", "cores", "zstd compress", "MB/s", 1e6, true, "cores.zstd-compress"},
    {"zstd-decompress", "cores", "zstd decompress", "MB/s", 1e6, true, "cores.zstd-decompress"},
    {"sha256", "cores", "SHA-256", "MB/s", 1e6, true, "cores.sha256"},
    {"aes-256-gcm", "cores", "AES-256-GCM", "MB/s", 1e6, true, "cores.aes-256-gcm"},
    // STREAM's arrays are sized to the machine's caches: the rate compares.
    {"stream-copy", "ram", "STREAM Copy", "GB/s", 1e9, false, "ram.stream"},
    {"stream-scale", "ram", "STREAM Scale", "GB/s", 1e9, false, "ram.stream"},
    {"stream-add", "ram", "STREAM Add", "GB/s", 1e9, false, "ram.stream"},
    {"stream-triad", "ram", "STREAM Triad", "GB/s", 1e9, false, "ram.stream"},
    {"latency", "ram", "Latency", "loads/s", 1, true, "ram.latency"},
    // A drive row runs for a fixed time: the rate compares.
    {"seq1m-q8t1-read", "drive", "SEQ1M Q8T1 read", "MB/s", 1e6, false, "drive"},
    {"seq1m-q8t1-write", "drive", "SEQ1M Q8T1 write", "MB/s", 1e6, false, "drive"},
    {"seq1m-q1t1-read", "drive", "SEQ1M Q1T1 read", "MB/s", 1e6, false, "drive"},
    {"seq1m-q1t1-write", "drive", "SEQ1M Q1T1 write", "MB/s", 1e6, false, "drive"},
    {"rnd4k-q32t1-read", "drive", "RND4K Q32T1 read", "MB/s", 1e6, false, "drive"},
    {"rnd4k-q32t1-write", "drive", "RND4K Q32T1 write", "MB/s", 1e6, false, "drive"},
    {"rnd4k-q1t1-read", "drive", "RND4K Q1T1 read", "MB/s", 1e6, false, "drive"},
    {"rnd4k-q1t1-write", "drive", "RND4K Q1T1 write", "MB/s", 1e6, false, "drive"},
}};

// The classic charts: each group's tests but ALL's, and the mix mode alone.
QString ClassicChart(Test test, QString& title) {
  if (test == Test::Mix) {
    title = QStringLiteral("MIX Mode");
    return QLatin1String(EntryOf(Test::Mix).id);
  }
  for (Group group : {Group::Cpu, Group::Graphic, Group::Memory, Group::Hdd}) {
    if (Runs(group, test)) {
      title = QLatin1String(EntryOf(group).caption);
      return QLatin1String(EntryOf(group).id);
    }
  }
  return {};
}

// A point's id: its workload, then ".t<threads>" or ".<bytes>" (a drive row has neither).
std::optional<TestInfo> PointInfo(QStringView id) {
  const qsizetype dot = id.indexOf(u'.');
  const QStringView workload = dot < 0 ? id : id.left(dot);
  const QStringView rest = dot < 0 ? QStringView() : id.mid(dot + 1);
  for (size_t i = 0; i < kPointWorkloads.size(); ++i) {
    const PointWorkload& w = kPointWorkloads[i];
    if (workload != QLatin1String(w.id)) continue;
    TestInfo info{.id = id.toString(),
                  .group = QLatin1String(w.group),
                  .displayName = QLatin1String(w.name),
                  .unit = QLatin1String(w.unit),
                  .perUnit = w.perUnit,
                  // Compared by their rate: as the time a gigabyte takes.
                  .standardWork = w.fixedWork ? 0 : int64_t{1'000'000'000},
                  .fixedWork = w.fixedWork,
                  .chart = QLatin1String(w.chart)};
    const QString group = info.group == u"cores" ? QStringLiteral("Cores")
                          : info.group == u"ram" ? QStringLiteral("RAM")
                                                 : QStringLiteral("Drive");
    info.chartTitle = info.chart == u"drive"       ? group
                      : info.chart == u"ram.stream" ? group + QStringLiteral(" — STREAM")
                                                    : group + QStringLiteral(" — ") + info.displayName;
    bool number = false;
    if (workload == u"latency") {
      if (!rest.startsWith(u'-') && !rest.isEmpty()) info.bytes = rest.toLongLong(&number);
      if (!number || info.bytes <= 0) return std::nullopt;
      info.displayName += u' ' + WorkingSetName(info.bytes);
      info.threads = 1;
      int log = 0;
      while ((int64_t{1} << (log + 1)) <= info.bytes && log < 62) ++log;
      info.order = static_cast<int64_t>(i) * 1'000'000 + log * 1'000 + (info.bytes >> log == 1 ? 0 : 500);
    } else if (info.group == u"drive") {
      if (!rest.isEmpty()) return std::nullopt;
      info.threads = 1;
      info.order = static_cast<int64_t>(i) * 1'000'000;
    } else {
      if (rest.startsWith(u't')) info.threads = rest.mid(1).toInt(&number);
      if (!number || info.threads < 1) return std::nullopt;
      info.displayName += QStringLiteral(" ×%1").arg(info.threads);
      info.order = static_cast<int64_t>(i) * 1'000'000 + info.threads;
    }
    info.order += static_cast<int64_t>(kTestCount) + 1;  // after every classic test
    return info;
  }
  return std::nullopt;
}

}  // namespace

QString WorkingSetName(int64_t bytes) {
  const auto text = [](double value, const char* unit) {
    return QString::number(value, 'g', 4) + u' ' + QLatin1String(unit);
  };
  if (bytes >= (int64_t{1} << 30)) return text(static_cast<double>(bytes) / (1 << 30), "GiB");
  if (bytes >= (int64_t{1} << 20)) return text(static_cast<double>(bytes) / (1 << 20), "MiB");
  if (bytes >= 1024) return text(static_cast<double>(bytes) / 1024, "KiB");
  return text(static_cast<double>(bytes), "B");
}

std::optional<TestInfo> InfoOfTest(QStringView id) {
  if (const std::optional<Test> test = TestOfId(id)) {
    const TestEntry& entry = EntryOf(*test);
    TestInfo info{.id = id.toString(),
                  .displayName = QLatin1String(entry.displayName),
                  .unit = QLatin1String(entry.unit),
                  .perUnit = entry.perUnit,
                  .standardWork = entry.standardWork,
                  .order = static_cast<int64_t>(*test)};
    info.chart = ClassicChart(*test, info.chartTitle);
    for (const GroupEntry& group : kGroups) {
      if (group.group != Group::All && Runs(group.group, *test)) info.group = QLatin1String(group.id);
    }
    if (info.group.isEmpty()) info.group = QLatin1String(EntryOf(Group::All).id);
    return info;
  }
  return PointInfo(id);
}

}  // namespace torvik
