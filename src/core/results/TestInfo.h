// What the archive knows of a kept test by its id alone: the classic tests
// of the catalogue ("prime", "write40") and the points of the groups that
// measure today's machine, a workload at a thread count ("zstd-compress.t4"),
// a latency at a working set ("latency.32768") or a drive row
// ("seq1m-q8t1-read"). Its group, its name for people, the unit of its
// rate, the chart it is drawn in, its place among the tests, and whether
// its work is the same on every machine (then its seconds compare, as a
// classic test's do; a STREAM array sized to the machine's caches and a
// drive row's fixed time compare by their rate). Constant data and pure
// functions; any thread.
#pragma once

#include <QString>
#include <QStringView>
#include <cstdint>
#include <optional>

namespace torvik {

struct TestInfo {
  QString id{};
  QString group{};        // the group that runs it: "cpu", ..., "cores", "ram", "drive"
  QString displayName{};  // "Prime calculation", "zstd compress ×4", "Latency 32 KiB", "SEQ1M Q8T1 read"
  QString unit{};         // of its rate: "ops/s", "MB/s", "GB/s", "loads/s"
  double perUnit = 1;   // its work in one of the unit (1e9 bytes to a GB, ...)
  // The work of a classic test's full run (what an imported result's tenths
  // are taken to have done); for a point compared by its rate, the work its
  // time is compared for (a gigabyte); 0 for the other points.
  int64_t standardWork = 0;
  bool fixedWork = true;  // the same work on every machine: its seconds compare
  QString chart{};          // the chart it is drawn in: "cpu", "mix", "cores.zstd-compress", "ram.latency", ...
  QString chartTitle{};     // that chart's title
  int64_t order = 0;      // its place: the catalogue's tests first, then the points
  int threads = 0;        // a point's threads; 0 for a classic test
  int64_t bytes = 0;      // a latency point's working set
};

// The test `id` names, or none for an id no group of this program has.
std::optional<TestInfo> InfoOfTest(QStringView id);

// "4 KiB", "1.5 MiB", "256 MiB": a working set as the point names say it.
QString WorkingSetName(int64_t bytes);

}  // namespace torvik
