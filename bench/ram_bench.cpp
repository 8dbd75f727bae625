// Times the ram group against bare references doing the same work in the
// same run, and prints the ratios: the program's STREAM figures beside the
// textbook loops in C with OpenMP on the same array size, thread count,
// pinning, trials and byte counting (stream_reference.c), and its latency
// curve beside a bare pointer chase over the same cycle of lines
// (chase_reference.c); the cache sizes the curve shows beside those the
// machine reports; the whole group's time beside the minute allowed; and,
// where dmidecode can read the memory, the bandwidth beside its peak.
// The group runs once whole (its time, its levels), then `runs` rounds
// put each figure beside its reference in turns, program and reference
// one right after the other, the group run with that part of its plan; each
// figure is the best of its rounds. Each gets 2 x runs + 1 rounds: on a
// virtual machine the memory's bandwidth, and a last-level cache that other
// tenants share, move with what they do at the moment, and the best of more
// rounds is nearer the machine's own figure. Each reference also runs twice in a row (the
// "reference twice" rows): its ratio to itself is the machine's noise
// floor, the closest any program could come to it here.
//
//   build/bench/torvik_ram_bench [--rows] [runs]
#include <time.h>

#include <QCoreApplication>
#include <QRegularExpression>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "BenchTable.h"
#include "core/ram/ChaseCycle.h"
#include "core/ram/RamGroup.h"

using namespace torvik;

namespace {

class CollectingSink : public PointSink {
 public:
  bool StopRequested() override { return false; }
  void Progress(int, const QString&) override {}
  void PointDone(const MeasuredPoint& point) override {
    points.push_back(point);
    at.push_back(std::chrono::steady_clock::now());
  }
  std::vector<MeasuredPoint> points;
  std::vector<std::chrono::steady_clock::time_point> at;  // when each point came
};

// The processor time of this process (all its threads), in seconds.
double ProcessSeconds() {
  timespec t{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}

std::string Run(const std::string& command, bool quiet = false) {
  std::string output;
  if (FILE* pipe = popen(command.c_str(), "r")) {
    char buffer[4096];
    size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) output.append(buffer, n);
    if (pclose(pipe) != 0 && !quiet) std::fprintf(stderr, "ram bench: '%s' failed\n", command.c_str());
  }
  return output;
}

// The best of the runs (the highest bandwidth, the lowest latency), as
// STREAM keeps its best trial: on a machine others use, the run least
// disturbed is the nearest to the machine's own figure, for the program and
// the reference alike.
double Best(const std::string& key, const std::vector<double>& values) {
  if (values.empty()) return std::nan("");
  const bool lowest = key.rfind("latency", 0) == 0;
  return lowest ? *std::min_element(values.begin(), values.end()) : *std::max_element(values.begin(), values.end());
}

std::string LoadAverage() {
  const std::string text = Run("cat /proc/loadavg");
  return text.substr(0, text.find(' ', text.find(' ', text.find(' ') + 1) + 1));
}

// "OMP_PLACES='{0},{1}'" for the processors the program pins its threads to.
std::string Places(const std::vector<int>& processors) {
  std::string places;
  for (const int p : processors) places += (places.empty() ? "{" : ",{") + std::to_string(p) + "}";
  // Threads wait for the next loop spinning, as they would on a machine of
  // their own, rather than asleep.
  return "OMP_PLACES='" + places +
         "' OMP_PROC_BIND=close OMP_WAIT_POLICY=active OMP_NUM_THREADS=" + std::to_string(processors.size());
}

// The peak the memory's modules can move, from dmidecode: populated
// devices x configured MT/s x 8 bytes, in GB/s; none where it cannot say.
std::optional<std::pair<double, std::string>> MemoryPeak() {
  const QString text = QString::fromStdString(Run("dmidecode -t memory 2>/dev/null", true));
  int devices = 0;
  double rate = 0;
  for (const QString& block : text.split(QStringLiteral("Memory Device"))) {
    const auto size = QRegularExpression(QStringLiteral("\\n\\s*Size: (\\d+) [GM]B")).match(block);
    const auto speed = QRegularExpression(QStringLiteral("Configured Memory Speed: (\\d+) MT/s")).match(block);
    if (!size.hasMatch() || !speed.hasMatch()) continue;
    ++devices;
    rate = std::max(rate, speed.captured(1).toDouble());
  }
  if (devices == 0 || rate <= 0) return std::nullopt;
  return std::make_pair(devices * rate * 8 / 1000,
                        std::to_string(devices) + " modules x " + std::to_string(int(rate)) + " MT/s x 8 B");
}

void Info(const char* what, const std::string& method, double program, const char* unit) {
  std::printf("%-26s %-62s %9.3f %-2s %12s %7s\n", what, method.c_str(), program, unit, "-", "-");
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  const bool rowsOnly = bench::RowsOnly(argc, argv);
  const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 1;
  const std::string streamReference = TORVIK_STREAM_REFERENCE, chaseReference = TORVIK_CHASE_REFERENCE;
  const std::string loadBefore = LoadAverage();

  const GroupEnvironment environment;
  const RamPlan plan = PlanRamGroup(environment);
  std::map<std::string, std::vector<double>> program, reference, twin;  // by row key, one value a round
  std::map<int64_t, int64_t> hugePages;                           // a latency point's block on huge pages
  const auto keep = [&](const std::vector<MeasuredPoint>& points) {
    for (const MeasuredPoint& p : points) {
      const std::string key = p.test == QLatin1String("latency")
                                  ? "latency " + std::to_string(p.bytes)
                                  : p.test.toStdString() + " " + std::to_string(p.threads);
      program[key].push_back(p.rate);
      if (p.hugePageBytes) hugePages[p.bytes] = *p.hugePageBytes;
    }
  };
  // The program's figures come from the group itself, run with a part of
  // its standard plan: one STREAM run, or one size of the curve.
  const auto programPart = [&](const std::vector<int>& bandwidthThreads, const std::vector<int64_t>& sizes) {
    RamPlan part = plan;
    part.bandwidthThreads = bandwidthThreads;
    part.latencySizes = sizes;
    CollectingSink sink;
    RunRamGroup(part, sink, environment);
    keep(sink.points);
  };
  using Figures = std::map<std::string, std::vector<double>>;
  const auto referenceStream = [&](int threads, Figures& into) {
    const std::string out = Run(Places(plan.threads.Point(threads).processors) + " " + streamReference + " " +
                                std::to_string(plan.arrayElements) + " " + std::to_string(plan.trials));
    char name[16];
    double ns, gbs;
    for (const char* line = out.c_str(); std::sscanf(line, "%15s %lf %lf", name, &ns, &gbs) == 3;) {
      into["stream-" + std::string(name) + " " + std::to_string(threads)].push_back(gbs);
      line = std::strchr(line, '\n');
      if (line == nullptr) break;
      ++line;
    }
  };
  const auto referenceChase = [&](int64_t size, Figures& into) {
    const std::string out = Run("taskset -c " + std::to_string(plan.latencyProcessor) + " " + chaseReference + " " +
                                std::to_string(kChaseSeed) + " " + std::to_string(plan.latencyMinLoads) + " " +
                                std::to_string(plan.latencyRepeats) + " " + std::to_string(size));
    long long bytes;
    double ns;
    if (std::sscanf(out.c_str(), "%lld %lf", &bytes, &ns) == 2)
      into["latency " + std::to_string(bytes)].push_back(ns);
  };

  // The whole group once, as a user runs it: its time, levels and pages.
  CollectingSink whole;
  const auto start = std::chrono::steady_clock::now();
  const double cpuStart = ProcessSeconds();
  const RamResult wholeResult = RunRamGroup(plan, whole, environment);
  const double groupSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  const double groupCpuSeconds = ProcessSeconds() - cpuStart;
  double bandwidthSeconds = 0;
  for (size_t i = 0; i < whole.points.size(); ++i) {
    if (whole.points[i].test != QLatin1String("latency")) {
      bandwidthSeconds = std::chrono::duration<double>(whole.at[i] - start).count();
    }
  }
  keep(whole.points);
  // Then each figure beside its reference, in turns (program first in odd
  // rounds, the reference first in even ones), so both meet the same
  // machine; 2 x `runs` + 1 rounds.
  const int rounds = 2 * runs + 1;
  for (int round = 0; round < rounds; ++round) {
    const bool programFirst = round % 2 == 1;
    for (const int threads : plan.bandwidthThreads) {
      if (programFirst) programPart({threads}, {});
      referenceStream(threads, reference);
      referenceStream(threads, twin);
      if (!programFirst) programPart({threads}, {});
    }
  }
  for (int round = 0; round < rounds; ++round) {
    const bool programFirst = round % 2 == 1;
    for (const int64_t bytes : plan.latencySizes) {
      if (programFirst) programPart({}, {bytes});
      referenceChase(bytes, reference);
      referenceChase(bytes, twin);
      if (!programFirst) programPart({}, {bytes});
    }
  }
  // The levels the program finds on its best curve.
  std::vector<LatencyPoint> curve;
  for (const int64_t bytes : plan.latencySizes) {
    const std::string key = "latency " + std::to_string(bytes);
    if (!program[key].empty()) curve.push_back({bytes, Best(key, program[key])});
  }
  RamResult result = wholeResult;
  result.levels = DetectLatencyLevels(curve);
  result.beside = SetBesideCaches(result.levels, plan.caches);

  if (!rowsOnly) {
    std::printf("ram group vs bare references, best of %d rounds each, load average %s at the start\n", rounds,
                loadBefore.c_str());
    bench::PrintHeader();
  }
  // A figure beside its reference, then the reference's second run beside
  // its first: the noise floor of that row on this machine.
  const auto row = [&](const std::string& key, const std::string& what, const std::string& method, const char* unit) {
    const double p = Best(key, program[key]), r = Best(key, reference[key]);
    if (std::isnan(p) || std::isnan(r)) return;
    bench::PrintRow(what.c_str(), method.c_str(), p, r, unit);
    const double again = Best(key, twin[key]);
    if (!std::isnan(again)) bench::PrintRow("  reference twice", "its second run right after its first", again, r, unit);
  };
  const std::string arrays = WorkingSetText(plan.ArrayBytes()).toStdString() + " arrays, best of " +
                             std::to_string(plan.trials) + " (textbook C loops, OpenMP -O3)";
  for (const int threads : plan.bandwidthThreads) {
    for (const char* kernel : {"copy", "scale", "add", "triad"}) {
      std::string name =
          std::string("STREAM ") + kernel + ", " + std::to_string(threads) + " thread" + (threads > 1 ? "s" : "");
      row(std::string("stream-") + kernel + " " + std::to_string(threads), name, arrays, "GB/s");
    }
  }

  // The curve at a size inside each reported level and beyond the last,
  // and its point furthest from the reference.
  double worst = 0;
  int64_t worstBytes = 0;
  for (const int64_t bytes : plan.latencySizes) {
    const std::string key = "latency " + std::to_string(bytes);
    const double p = Best(key, program[key]), r = Best(key, reference[key]);
    if (!std::isnan(p) && !std::isnan(r) && std::abs(p / r - 1) >= worst) {
      worst = std::abs(p / r - 1);
      worstBytes = bytes;
    }
  }
  std::vector<int64_t> shown;
  for (const ReportedCache& cache : DataCaches(plan.caches)) shown.push_back(cache.bytes * 2 / 3);
  shown.push_back(plan.latencySizes.empty() ? 0 : plan.latencySizes.back());
  for (const int64_t target : shown) {
    int64_t at = 0;
    for (const int64_t bytes : plan.latencySizes) {
      if (bytes <= target) at = bytes;
    }
    if (at == 0) continue;
    row("latency " + std::to_string(at), "latency at " + WorkingSetText(at).toStdString(),
        "dependent loads, same cycle (bare C pointer chase)", "ns");
  }
  if (worstBytes > 0) {
    const std::string key = "latency " + std::to_string(worstBytes);
    row(key, "latency, furthest point",
        "at " + WorkingSetText(worstBytes).toStdString() + ", of " + std::to_string(plan.latencySizes.size()) +
            " sizes (bare C pointer chase)",
        "ns");
    // Where a level ends the curve is steep: there a cache the machine
    // shares with others (a virtual machine's host) moves even the bare
    // reference from run to run, which the best of its runs hides.
    std::vector<double> runs = reference[key];
    runs.insert(runs.end(), twin[key].begin(), twin[key].end());
    if (runs.size() > 1) {
      const auto [fastest, slowest] = std::minmax_element(runs.begin(), runs.end());
      Info("  the reference's spread", "its slowest of " + std::to_string(runs.size()) + " runs over its fastest",
           *slowest / *fastest, "x");
    }
  }

  for (const LevelBesideCache& b : result.beside) {
    if (!b.cache || !b.level.sizeBytes) continue;
    const std::string name = "L" + std::to_string(b.cache->level) + " size on the curve";
    char method[96];
    std::snprintf(method, sizeof method, "its step, best curve; plateau %.3g ns (sysfs cache size)",
                  b.level.nanoseconds);
    bench::PrintRow(name.c_str(), method, double(*b.level.sizeBytes) / 1024, double(b.cache->bytes) / 1024, "KiB");
  }
  // A machine that reports no caches (a virtual machine whose processor
  // hides its cache topology) still has the steps its curve shows.
  if (DataCaches(plan.caches).empty()) {
    int number = 0;
    for (const LatencyLevel& level : result.levels) {
      ++number;
      if (!level.sizeBytes) continue;
      char method[96];
      std::snprintf(method, sizeof method, "its step, best curve; plateau %.3g ns (no cache sizes in sysfs)",
                    level.nanoseconds);
      Info(("level " + std::to_string(number) + " size on the curve").c_str(), method,
           double(*level.sizeBytes) / 1024, "KiB");
    }
  }
  for (const LatencyLevel& level : result.levels) {
    if (level.open) {
      Info("memory latency", "the curve's last plateau, from " + WorkingSetText(level.firstBytes).toStdString(),
           level.nanoseconds, "ns");
    }
  }
  if (!program.empty() && !plan.latencySizes.empty()) {
    const int64_t largest = plan.latencySizes.back();
    const double huge = hugePages.count(largest) ? double(hugePages[largest]) : std::nan("");
    Info("huge pages, largest block",
         "AnonHugePages of the " + WorkingSetText(largest).toStdString() + " block, THP \"" +
             result.hugePageMode.toStdString() + "\" (MiB)",
         huge / (1 << 20), "MB");
  }
  bench::PrintRow("ram group, whole run", "torvik's RunRamGroup, standard plan (60 s allowed)", groupSeconds, 60, "s");
  Info("  its STREAM part", "from the start to the last STREAM point", bandwidthSeconds, "s");
  Info("  its processor time", "all its threads (CLOCK_PROCESS_CPUTIME_ID)", groupCpuSeconds, "s");
  for (const LevelBesideCache& b : wholeResult.beside) {
    if (!b.cache || !b.level.sizeBytes) continue;
    const std::string name = "L" + std::to_string(b.cache->level) + " size, whole run";
    bench::PrintRow(name.c_str(), "its step on the whole run's own curve (sysfs cache size)",
                    double(*b.level.sizeBytes) / 1024, double(b.cache->bytes) / 1024, "KiB");
  }
  if (const auto peak = MemoryPeak()) {
    const int all = plan.bandwidthThreads.back();
    bench::PrintRow("STREAM Triad of the peak", (peak->second + " (dmidecode)").c_str(),
                    Best("stream-triad", program["stream-triad " + std::to_string(all)]), peak->first, "GB/s");
  } else {
    std::printf("%-26s %-62s\n", "memory peak", "not readable: dmidecode shows no module speeds here");
  }
  if (!rowsOnly) {
    std::printf(
        "load average %s at the end\nthe latency curve: bytes, program ns, reference ns, ratio, the reference's "
        "second run to its first\n",
        LoadAverage().c_str());
    for (const int64_t bytes : plan.latencySizes) {
      const std::string key = "latency " + std::to_string(bytes);
      const double p = Best(key, program[key]), r = Best(key, reference[key]), t = Best(key, twin[key]);
      std::printf("%12lld %10.3f %10.3f %6.3f %6.3f\n", static_cast<long long>(bytes), p, r, p / r, t / r);
    }
  }
  return 0;
}
