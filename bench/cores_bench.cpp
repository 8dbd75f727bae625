// Times the cores group's points against references doing the same work in
// the same run, at one thread and at every usable processor: the division
// kernel against N bare copies of a plain C loop, zstd against `zstd -b3`
// (one process a processor) on the same corpus written to a file, SHA-256
// and AES-256-GCM against `openssl speed -evp ... -bytes 16384` (-multi N).
// The program's figures are its own points (MeasureCorePoint, the group's
// code path), each side's best of `runs` runs is printed (another program
// on the machine only slows a run down; zstd -b prints its best round), then the whole group's
// time against the 60 s it may take, and where each figure stands against
// the processor's limit (cores x clock).
//
//   build/bench/torvik_cores_bench [--rows] [runs]   (needs zstd, openssl, taskset)
#include <zstd.h>

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <deque>
#include <fstream>
#include <functional>
#include <thread>
#include <vector>

#include "BenchTable.h"
#include "core/cores/CoresGroup.h"
#include "core/cores/CryptoWorkload.h"
#include "core/cores/DivisionWorkload.h"
#include "core/cores/TextCorpus.h"
#include "core/cores/ZstdWorkload.h"
#include "platform/Clock.h"

extern "C" long long torvik_reference_division(int first, int last);

using namespace torvik;

namespace {

// The best of the runs: another program on the machine only ever slows a
// run down (and zstd -b prints its best round too).
double Best(const std::vector<double>& values) {
  return values.empty() ? 0 : *std::max_element(values.begin(), values.end());
}

QString List(const std::vector<int>& processors) {
  QStringList ids;
  for (int p : processors) ids << QString::number(p);
  return ids.join(u',');
}

// One program point of `workload` on `point`: its rate.
double ProgramRate(CoreWorkload& workload, const ThreadPoint& point) {
  const int64_t ns = MeasureCorePoint(workload, point, platform::ProcessorAffinity::Default());
  return workload.Rate(workload.WorkPerThread() * point.threads, ns);
}

// N bare copies of the C loop, one pinned to each processor, released
// together; divisions a second.
double ReferenceDivisionRate(const ThreadPoint& point, int32_t last, int64_t divisions) {
  std::atomic<bool> go{false};
  std::atomic<int> ready{0};
  std::vector<std::thread> threads;
  std::vector<long long> found(point.threads);
  for (int i = 0; i < point.threads; ++i) {
    threads.emplace_back([&, i] {
      platform::ProcessorAffinity::Default().PinCallingThread(point.processors[i]);
      ready.fetch_add(1);
      while (!go.load()) {
      }
      found[i] = torvik_reference_division(1, last);
    });
  }
  while (ready.load() < point.threads) {
  }
  const int64_t start = platform::MonotonicNanoseconds();
  go.store(true);
  for (std::thread& t : threads) t.join();
  const int64_t ns = platform::MonotonicNanoseconds() - start;
  return static_cast<double>(divisions) * point.threads * 1e9 / static_cast<double>(ns);
}

// Runs `program` with `arguments` once on each processor of the point, all
// at once (taskset pins each), and returns every process's output.
QStringList RunPinned(const ThreadPoint& point, const QString& program, const QStringList& arguments) {
  std::vector<std::unique_ptr<QProcess>> processes;
  for (int p : point.processors) {
    auto process = std::make_unique<QProcess>();
    process->setProcessChannelMode(QProcess::MergedChannels);
    process->start(QStringLiteral("taskset"),
                   QStringList{QStringLiteral("-c"), QString::number(p), program} + arguments);
    processes.push_back(std::move(process));
  }
  QStringList outputs;
  for (auto& process : processes) {
    process->waitForFinished(600'000);
    outputs << QString::fromLocal8Bit(process->readAll());
  }
  return outputs;
}

// `zstd -b3` on the corpus file at the point: the summed compression and
// decompression MB/s of its processes (the last figures each printed).
std::pair<double, double> ReferenceZstd(const ThreadPoint& point, const QString& corpus) {
  static const QRegularExpression rates(QStringLiteral("([0-9.]+) MB/s,\\s*([0-9.]+) MB/s"));
  double compress = 0, decompress = 0;
  for (const QString& output :
       RunPinned(point, QStringLiteral("zstd"), {QStringLiteral("-b3"), QStringLiteral("-i3"), corpus})) {
    QRegularExpressionMatch last;
    for (auto it = rates.globalMatch(output); it.hasNext();) last = it.next();
    if (!last.hasMatch()) {
      std::fprintf(stderr, "zstd -b3 printed no rates:\n%s\n", qPrintable(output));
      continue;
    }
    compress += last.captured(1).toDouble();
    decompress += last.captured(2).toDouble();
  }
  return {compress, decompress};
}

// libzstd's one-shot calls in a bare loop on one pinned thread, the
// program's rounds of the corpus: compression and decompression MB/s.
std::pair<double, double> BareZstd(int processor, const std::string& corpus, const CoresWork& work) {
  double rates[2] = {0, 0};
  std::thread thread([&] {
    platform::ProcessorAffinity::Default().PinCallingThread(processor);
    std::string packed(ZSTD_compressBound(corpus.size()), '\0');
    std::string out(corpus.size(), '\0');
    ZSTD_CCtx* cctx = ZSTD_createCCtx();
    ZSTD_DCtx* dctx = ZSTD_createDCtx();
    size_t size = ZSTD_compressCCtx(cctx, packed.data(), packed.size(), corpus.data(), corpus.size(), 3);
    ZSTD_decompressDCtx(dctx, out.data(), out.size(), packed.data(), size);
    int64_t start = platform::MonotonicNanoseconds();
    for (int r = 0; r < work.compressRounds; ++r) {
      size = ZSTD_compressCCtx(cctx, packed.data(), packed.size(), corpus.data(), corpus.size(), 3);
    }
    rates[0] = double(corpus.size()) * work.compressRounds * 1e3 / double(platform::MonotonicNanoseconds() - start);
    start = platform::MonotonicNanoseconds();
    for (int r = 0; r < work.decompressRounds; ++r)
      ZSTD_decompressDCtx(dctx, out.data(), out.size(), packed.data(), size);
    rates[1] = double(corpus.size()) * work.decompressRounds * 1e3 / double(platform::MonotonicNanoseconds() - start);
    if (out != corpus) std::fprintf(stderr, "the bare zstd loop did not give the corpus back\n");
    ZSTD_freeCCtx(cctx);
    ZSTD_freeDCtx(dctx);
  });
  thread.join();
  return {rates[0], rates[1]};
}

// `openssl speed -evp ALGORITHM -bytes 16384` at the point (-multi N for
// N threads, the processes pinned to the point's processors), in MB/s.
double ReferenceOpenssl(const ThreadPoint& point, const QString& algorithm) {
  QStringList arguments{QStringLiteral("-c"),    List(point.processors),     QStringLiteral("openssl"),
                        QStringLiteral("speed"), QStringLiteral("-elapsed"), QStringLiteral("-seconds"),
                        QStringLiteral("3"),     QStringLiteral("-bytes"),   QStringLiteral("16384"),
                        QStringLiteral("-mr")};
  if (point.threads > 1) arguments << QStringLiteral("-multi") << QString::number(point.threads);
  arguments << QStringLiteral("-evp") << algorithm;
  QProcess process;
  process.start(QStringLiteral("taskset"), arguments);
  process.waitForFinished(600'000);
  const QString output = QString::fromLocal8Bit(process.readAllStandardOutput());
  // "+F:<n>:<name>:<bytes a second>": the whole run's line starts the line.
  static const QRegularExpression total(QStringLiteral("^\\+F:\\d+:[^:]+:([0-9.]+)\\s*$"),
                                        QRegularExpression::MultilineOption);
  QRegularExpressionMatch last;
  for (auto it = total.globalMatch(output); it.hasNext();) last = it.next();
  if (!last.hasMatch()) {
    std::fprintf(stderr, "openssl speed printed no rate:\n%s\n", qPrintable(output));
    return 0;
  }
  return last.captured(1).toDouble() / 1e6;
}

double ClockGhz() {
  std::ifstream cpuinfo("/proc/cpuinfo");
  std::string line;
  while (std::getline(cpuinfo, line)) {
    if (line.rfind("cpu MHz", 0) == 0) return std::stod(line.substr(line.find(':') + 1)) / 1000;
  }
  return 0;
}

double LoadAverage() {
  std::ifstream loadavg("/proc/loadavg");
  double one = 0;
  loadavg >> one;
  return one;
}

void Limit(const char* what, const QString& method, double value, const char* unit) {
  std::printf("%-26s %-62s %9.3f %-2s %12s %7s\n", what, qPrintable(method), value, unit, "-", "-");
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  const bool rowsOnly = bench::RowsOnly(argc, argv);
  const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 3;
  const CoresWork work = CoresWork::Standard();
  const CoresPlan plan = PlanCoresGroup(GroupEnvironment{}, work);
  const ThreadPoint one = plan.threads.Point(1);
  const ThreadPoint all = plan.threads.Point(plan.threads.AllThreads());
  std::vector<ThreadPoint> points{one};
  if (all.threads > 1) points.push_back(all);
  if (!rowsOnly) {
    std::printf("cores group, best of %d runs, %d usable processors, load average %.2f at the start\n", runs,
                all.threads, LoadAverage());
    bench::PrintHeader();
  }

  QTemporaryDir scratch;
  const auto corpus = std::make_shared<const std::string>(MakeTextCorpus(static_cast<size_t>(work.corpusBytes)));
  const QString corpusFile = scratch.filePath(QStringLiteral("corpus.txt"));
  {
    QFile file(corpusFile);
    if (!file.open(QIODevice::WriteOnly) || file.write(corpus->data(), corpus->size()) != qint64(corpus->size())) {
      std::fprintf(stderr, "cannot write %s\n", qPrintable(corpusFile));
      return 1;
    }
  }

  DivisionWorkload division(1, work.divisionLast);
  ZstdWorkload compress(ZstdWorkload::Direction::Compress, corpus, work.compressRounds);
  ZstdWorkload decompress(ZstdWorkload::Direction::Decompress, corpus, work.decompressRounds);
  CryptoWorkload sha(CryptoWorkload::Algorithm::Sha256, work.sha256Buffers);
  CryptoWorkload gcm(CryptoWorkload::Algorithm::Aes256Gcm, work.gcmBuffers);
  const int64_t divisions = DivisionWorkload::Count(1, work.divisionLast).divisions;

  struct Row {
    QString what, method;
    std::vector<double> program, reference;
    const char* unit;
  };
  std::deque<Row> rows;  // a deque: the references handed out stay valid
  auto row = [&](const QString& what, const QString& method, const char* unit) -> Row& {
    for (Row& r : rows) {
      if (r.what == what) return r;
    }
    rows.push_back({what, method, {}, {}, unit});
    return rows.back();
  };
  for (int run = 0; run < runs; ++run) {
    for (const ThreadPoint& point : points) {
      const QString t = QStringLiteral(" t%1").arg(point.threads);
      Row& d =
          row(QStringLiteral("division") + t,
              QStringLiteral("G div/s, 1..%1 x %2 (bare C loop x %2)").arg(work.divisionLast).arg(point.threads), "G");
      d.program.push_back(ProgramRate(division, point) / 1e9);
      d.reference.push_back(ReferenceDivisionRate(point, work.divisionLast, divisions) / 1e9);

      Row& c = row(QStringLiteral("zstd-compress") + t,
                   QStringLiteral("GB/s, level 3, 4 MiB text x %1 (zstd -b3 x %1)").arg(point.threads), "GB");
      Row& x = row(QStringLiteral("zstd-decompress") + t,
                   QStringLiteral("GB/s, 4 MiB text x %1 (zstd -b3 x %1, decompression)").arg(point.threads), "GB");
      c.program.push_back(ProgramRate(compress, point) / 1e3);
      x.program.push_back(ProgramRate(decompress, point) / 1e3);
      const auto [zc, zd] = ReferenceZstd(point, corpusFile);
      c.reference.push_back(zc / 1e3);
      x.reference.push_back(zd / 1e3);
      if (point.threads == 1) {
        // The same one-shot library calls in a bare loop: what the program
        // adds to libzstd's own work, apart from how the CLI drives it.
        Row& bc = row(QStringLiteral("zstd-compress t1 (bare)"),
                      QStringLiteral("GB/s, level 3, 4 MiB text (bare ZSTD_compressCCtx loop)"), "GB");
        Row& bx = row(QStringLiteral("zstd-decompress t1 (bare)"),
                      QStringLiteral("GB/s, 4 MiB text (bare ZSTD_decompressDCtx loop)"), "GB");
        bc.program.push_back(c.program.back());
        bx.program.push_back(x.program.back());
        const auto [bareCompress, bareDecompress] = BareZstd(point.processors.front(), *corpus, work);
        bc.reference.push_back(bareCompress / 1e3);
        bx.reference.push_back(bareDecompress / 1e3);
      }

      Row& s = row(QStringLiteral("sha256") + t,
                   QStringLiteral("GB/s, 16 KiB x %1 (openssl speed -evp sha256 -multi %1)").arg(point.threads), "GB");
      s.program.push_back(ProgramRate(sha, point) / 1e3);
      s.reference.push_back(ReferenceOpenssl(point, QStringLiteral("sha256")) / 1e3);
      Row& g =
          row(QStringLiteral("aes-256-gcm") + t,
              QStringLiteral("GB/s, 16 KiB x %1 (openssl speed -evp aes-256-gcm -multi %1)").arg(point.threads), "GB");
      g.program.push_back(ProgramRate(gcm, point) / 1e3);
      g.reference.push_back(ReferenceOpenssl(point, QStringLiteral("aes-256-gcm")) / 1e3);
    }
  }
  for (const Row& r : rows) {
    bench::PrintRow(qPrintable(r.what), qPrintable(r.method), Best(r.program), Best(r.reference), r.unit);
  }

  // The whole group, as a user runs it, against the minute it may take.
  class Quiet : public PointSink {
   public:
    bool StopRequested() override { return false; }
    void Progress(int, const QString&) override {}
    void PointDone(const MeasuredPoint& point) override { rates[point.StoreId()] = point.rate; }
    std::map<QString, double> rates;
  } sink;
  const int64_t start = platform::MonotonicNanoseconds();
  RunCoresGroup(plan, sink);
  const double seconds = double(platform::MonotonicNanoseconds() - start) / 1e9;
  bench::PrintRow("cores group time",
                  qPrintable(QStringLiteral("torvik's cores group, %1 points (60 s allowed)").arg(plan.PointCount())),
                  seconds, 60, "s");

  // Against the processor: work a cycle of each core used.
  const double ghz = ClockGhz();
  if (ghz > 0) {
    const QString at = QStringLiteral("%1 threads x %2 GHz").arg(all.threads).arg(ghz, 0, 'f', 2);
    const double cycles = all.threads * ghz * 1e9;
    Limit("division / core-cycle", QStringLiteral("divisions a cycle a core, at ") + at,
          sink.rates[QStringLiteral("division.t%1").arg(all.threads)] / cycles, "");
    for (const char* test : {"zstd-compress", "zstd-decompress", "sha256", "aes-256-gcm"}) {
      Limit(qPrintable(QString::fromLatin1(test) + QStringLiteral(" / core-cycle")),
            QStringLiteral("bytes a cycle a core, at ") + at,
            sink.rates[QString::fromLatin1(test) + QStringLiteral(".t%1").arg(all.threads)] * 1e6 / cycles, "B");
    }
  }
  if (!rowsOnly) std::printf("load average %.2f at the end\n", LoadAverage());
  return 0;
}
