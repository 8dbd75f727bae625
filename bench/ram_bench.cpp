// Times the ram group against bare references doing the same work in the
// same run, and prints the ratios: the program's STREAM figures beside the
// textbook loops in C with OpenMP on the same array size, thread count,
// pinning, trials and byte counting (stream_reference.c), and its latency
// curve beside a bare pointer chase over the same cycle of lines
// (chase_reference.c); the cache sizes the curve shows beside those the
// machine reports; the whole group's time beside the minute allowed; and,
// where dmidecode can read the memory, the bandwidth beside its peak.
// Each figure is the median of `runs` runs of the group and of the
// references, one after the other.
//
//   build/bench/torvik_ram_bench [--rows] [runs]
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
  void PointDone(const MeasuredPoint& point) override { points.push_back(point); }
  std::vector<MeasuredPoint> points;
};

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

double Median(std::vector<double> values) {
  if (values.empty()) return std::nan("");
  std::sort(values.begin(), values.end());
  const size_t n = values.size();
  return n % 2 == 1 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

std::string LoadAverage() {
  const std::string text = Run("cat /proc/loadavg");
  return text.substr(0, text.find(' ', text.find(' ', text.find(' ') + 1) + 1));
}

// "OMP_PLACES='{0},{1}'" for the processors the program pins its threads to.
std::string Places(const std::vector<int>& processors) {
  std::string places;
  for (const int p : processors) places += (places.empty() ? "{" : ",{") + std::to_string(p) + "}";
  return "OMP_PLACES='" + places + "' OMP_PROC_BIND=close OMP_NUM_THREADS=" + std::to_string(processors.size());
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
  std::map<std::string, std::vector<double>> program, reference;  // by row key, one value a run
  std::vector<double> groupSeconds;
  std::map<int64_t, int64_t> hugePages;  // a latency point's block on huge pages
  RamResult result;
  for (int run = 0; run < runs; ++run) {
    CollectingSink sink;
    const auto start = std::chrono::steady_clock::now();
    result = RunRamGroup(plan, sink, environment);
    groupSeconds.push_back(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    for (const MeasuredPoint& p : sink.points) {
      const std::string key = p.test == QLatin1String("latency")
                                  ? "latency " + std::to_string(p.bytes)
                                  : p.test.toStdString() + " " + std::to_string(p.threads);
      program[key].push_back(p.rate);
      if (p.hugePageBytes) hugePages[p.bytes] = *p.hugePageBytes;
    }
    for (const int threads : plan.bandwidthThreads) {
      const std::string out = Run(Places(plan.threads.Point(threads).processors) + " " + streamReference + " " +
                                  std::to_string(plan.arrayElements) + " " + std::to_string(plan.trials));
      char name[16];
      double ns, gbs;
      for (const char* line = out.c_str(); std::sscanf(line, "%15s %lf %lf", name, &ns, &gbs) == 3;) {
        reference["stream-" + std::string(name) + " " + std::to_string(threads)].push_back(gbs);
        line = std::strchr(line, '\n');
        if (line == nullptr) break;
        ++line;
      }
    }
    std::string sizes;
    for (const int64_t bytes : plan.latencySizes) sizes += " " + std::to_string(bytes);
    const std::string out = Run("taskset -c " + std::to_string(plan.latencyProcessor) + " " + chaseReference + " " +
                                std::to_string(kChaseSeed) + " " + std::to_string(plan.latencyMinLoads) + " " +
                                std::to_string(plan.latencyRepeats) + sizes);
    long long bytes;
    double ns;
    for (const char* line = out.c_str(); std::sscanf(line, "%lld %lf", &bytes, &ns) == 2;) {
      reference["latency " + std::to_string(bytes)].push_back(ns);
      line = std::strchr(line, '\n');
      if (line == nullptr) break;
      ++line;
    }
  }

  if (!rowsOnly) {
    std::printf("ram group vs bare references, median of %d runs, load average %s at the start\n", runs,
                loadBefore.c_str());
    bench::PrintHeader();
  }
  const auto row = [&](const std::string& key, const std::string& what, const std::string& method, const char* unit) {
    const double p = Median(program[key]), r = Median(reference[key]);
    if (std::isnan(p) || std::isnan(r)) return;
    bench::PrintRow(what.c_str(), method.c_str(), p, r, unit);
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
    const double p = Median(program[key]), r = Median(reference[key]);
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
    row("latency " + std::to_string(worstBytes), "latency, furthest point",
        "at " + WorkingSetText(worstBytes).toStdString() + ", of " + std::to_string(plan.latencySizes.size()) +
            " sizes (bare C pointer chase)",
        "ns");
  }

  for (const LevelBesideCache& b : result.beside) {
    if (!b.cache) continue;
    const std::string name = "L" + std::to_string(b.cache->level) + " size on the curve";
    bench::PrintRow(
        name.c_str(),
        ("last size on its plateau, " + std::to_string(b.level.nanoseconds).substr(0, 5) + " ns (sysfs cache size)")
            .c_str(),
        double(b.level.lastBytes) / 1024, double(b.cache->bytes) / 1024, "KiB");
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
  bench::PrintRow("ram group, whole run", "torvik's RunRamGroup, standard plan (60 s allowed)", Median(groupSeconds),
                  60, "s");
  if (const auto peak = MemoryPeak()) {
    const int all = plan.bandwidthThreads.back();
    bench::PrintRow("STREAM Triad of the peak", (peak->second + " (dmidecode)").c_str(),
                    Median(program["stream-triad " + std::to_string(all)]), peak->first, "GB/s");
  } else {
    std::printf("%-26s %-62s\n", "memory peak", "not readable: dmidecode shows no module speeds here");
  }
  if (!rowsOnly) {
    std::printf("load average %s at the end\nthe latency curve: bytes, program ns, reference ns, ratio\n",
                LoadAverage().c_str());
    for (const int64_t bytes : plan.latencySizes) {
      const std::string key = "latency " + std::to_string(bytes);
      const double p = Median(program[key]), r = Median(reference[key]);
      std::printf("%12lld %10.3f %10.3f %6.3f\n", static_cast<long long>(bytes), p, r, p / r);
    }
  }
  return 0;
}
