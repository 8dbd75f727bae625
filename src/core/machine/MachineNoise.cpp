#include "core/machine/MachineNoise.h"

#include <QCoreApplication>
#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <set>
#include <sstream>
#include <string>
#include <string_view>

#include "platform/Clock.h"
#include "platform/ProcessTimes.h"

namespace torvik {
namespace {

constexpr double kSharedPercent = 5.0;
constexpr double kClockMovedShare = 0.05;
constexpr int kTickGrain = 3;
// A processor busy for this share of the time between the looks ran the test
// (or another program beside it).
constexpr double kRanOnShare = 0.25;
// Readings beyond these are a fault of the source, not the machine: no
// processor clocks at 20 GHz, and the kernel has at most 4,194,304 tasks.
constexpr int64_t kMaxClockKhz = 20'000'000;
constexpr double kMaxLoadAverage = 4'194'304;
constexpr qsizetype kMaxGovernorLength = 32;

const std::string kCpuFolder = "/sys/devices/system/cpu";

std::string_view Trimmed(std::string_view text) {
  const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; };
  while (!text.empty() && blank(text.front())) text.remove_prefix(1);
  while (!text.empty() && blank(text.back())) text.remove_suffix(1);
  return text;
}

// `text` as one number of type T (a whole one for an integer type), nothing
// else in it but blanks around.
template <typename T>
std::optional<T> Whole(std::string_view text) {
  text = Trimmed(text);
  T value{};
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return value;
}

// A cpufreq reading in kHz, or nothing when it is no sane clock.
std::optional<int64_t> ClockKhz(const std::optional<std::string>& text) {
  if (!text) return std::nullopt;
  const std::optional<int64_t> khz = Whole<int64_t>(*text);
  if (!khz || *khz <= 0 || *khz > kMaxClockKhz) return std::nullopt;
  return khz;
}

// The first word of /proc/loadavg, when it is a load the kernel can have.
std::optional<double> LoadAverage(const std::optional<std::string>& text) {
  if (!text) return std::nullopt;
  const std::string_view line = Trimmed(*text);
  const std::optional<double> load = Whole<double>(line.substr(0, line.find(' ')));
  if (!load || !std::isfinite(*load) || *load < 0 || *load > kMaxLoadAverage) return std::nullopt;
  return load;
}

// A word from /sys as one printable line: control and other unprintable
// characters blanked, at most kMaxGovernorLength characters.
QString PrintableWord(const std::string& text) {
  std::u32string word;
  for (const uint point : QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())).toUcs4()) {
    const char32_t shown = QChar::isPrint(char32_t{point}) ? char32_t{point} : U' ';
    if (shown != U' ' || !word.empty()) word.push_back(shown);
  }
  word.resize(std::min<size_t>(word.size(), kMaxGovernorLength));
  return QString::fromUcs4(word.data(), static_cast<qsizetype>(word.size())).trimmed();
}

// The processor number of "cpu12", or nothing for "cpu", "cpufreq" ...
std::optional<int> ProcessorNumber(std::string_view name) {
  if (name.substr(0, 3) != "cpu" || name.size() < 4 || name[3] < '0' || name[3] > '9') return std::nullopt;
  return Whole<int>(name.substr(3));
}

// user nice system idle iowait irq softirq steal [guest guest_nice] of one
// "cpu" line: the busy ones summed, or nothing when a field is no count or
// the sum does not fit in 63 bits.
std::optional<int64_t> BusyOfLine(std::istream& fields) {
  uint64_t field[8] = {};
  for (uint64_t& value : field) {
    std::string word;
    if (!(fields >> word)) return std::nullopt;
    const std::optional<uint64_t> count = Whole<uint64_t>(word);
    if (!count) return std::nullopt;
    value = *count;
  }
  // Idle and waiting for I/O are not busy; guest time is already in user.
  unsigned __int128 sum = 0;
  for (int i : {0, 1, 2, 5, 6, 7}) sum += field[i];
  if (sum > static_cast<uint64_t>(std::numeric_limits<int64_t>::max())) return std::nullopt;
  return static_cast<int64_t>(sum);
}

// How far one processor's clock went between two looks (kHz or MHz).
struct ClockMove {
  int64_t low = 0, high = 0;
  // Moved by a larger share of its higher clock than `other`.
  bool Wider(const ClockMove& other) const {
    // Clocks below 2e7: the products stay far inside 63 bits.
    return (high - low) * other.high > (other.high - other.low) * high;
  }
};

}  // namespace

BusyTicks MachineNoise::BusyTicksOf(const std::string& procStat) {
  BusyTicks busy;
  std::istringstream in(procStat);
  std::string line;
  while (std::getline(in, line)) {
    std::istringstream fields(line);
    std::string label;
    if (!(fields >> label) || label.rfind("cpu", 0) != 0) continue;
    const std::optional<int64_t> ticks = BusyOfLine(fields);
    if (!ticks) continue;
    if (label == "cpu") {
      busy.all = ticks;
    } else if (const std::optional<int> cpu = ProcessorNumber(label)) {
      busy.of[*cpu] = *ticks;
    }
  }
  return busy;
}

bool MachineNoise::HypervisorFlag(const std::string& cpuinfo) {
  std::istringstream in(cpuinfo);
  std::string line;
  while (std::getline(in, line)) {
    if (line.rfind("flags", 0) != 0) continue;
    std::istringstream words(line.substr(line.find(':') == std::string::npos ? 0 : line.find(':') + 1));
    std::string word;
    while (words >> word) {
      if (word == "hypervisor") return true;
    }
    return false;
  }
  return false;
}

MachineNoise::MachineNoise(const platform::SystemSources& sources)
    : sources_(sources), ticksPerSecond_(platform::ClockTicksPerSecond()) {
  hypervisor_ = HypervisorFlag(sources_.ReadFile("/proc/cpuinfo").value_or(std::string()));
  for (const std::string& name : sources_.ListDirectory(kCpuFolder)) {
    const std::optional<int> cpu = ProcessorNumber(name);
    if (cpu && sources_.ReadFile(kCpuFolder + "/" + name + "/cpufreq/scaling_cur_freq")) processors_[*cpu] = name;
  }
}

NoiseSample MachineNoise::Sample() const {
  NoiseSample sample;
  sample.busy = BusyTicksOf(sources_.ReadFile("/proc/stat").value_or(std::string()));
  sample.ownNanoseconds = platform::OwnProcessorNanoseconds();
  sample.wallNanoseconds = platform::MonotonicNanoseconds();
  for (const auto& [cpu, name] : processors_) {
    if (const auto khz = ClockKhz(sources_.ReadFile(kCpuFolder + "/" + name + "/cpufreq/scaling_cur_freq"))) {
      sample.clocksKhz[cpu] = *khz;
    }
  }
  if (!processors_.empty()) {
    const std::string governor =
        sources_.ReadFile(kCpuFolder + "/" + processors_.begin()->second + "/cpufreq/scaling_governor").value_or("");
    sample.governor = PrintableWord(governor);
  }
  sample.loadAverage = LoadAverage(sources_.ReadFile("/proc/loadavg"));
  return sample;
}

TestNoise MachineNoise::Between(const NoiseSample& start, const NoiseSample& end) const {
  TestNoise noise;
  noise.seconds = std::max<int64_t>(0, end.wallNanoseconds - start.wallNanoseconds) / 1e9;
  // Counts lie in [0, 2^63): a difference cannot overflow. One that went
  // back is no count of this test.
  if (start.busy.all && end.busy.all && *end.busy.all >= *start.busy.all) {
    const double busy = static_cast<double>(*end.busy.all - *start.busy.all) / static_cast<double>(ticksPerSecond_);
    const double own = (end.ownNanoseconds - start.ownNanoseconds) / 1e9;
    noise.othersCoreSeconds = std::max(0.0, busy - own);
  }

  std::map<int, ClockMove> moves;  // every processor with a clock at both looks
  for (const auto& [cpu, khz] : end.clocksKhz) {
    if (const auto before = start.clocksKhz.find(cpu); before != start.clocksKhz.end()) {
      moves[cpu] = ClockMove{std::min(before->second, khz), std::max(before->second, khz)};
    }
  }
  std::set<int> ranOn;
  const double quarter = std::max(1.0, kRanOnShare * noise.seconds * static_cast<double>(ticksPerSecond_));
  for (const auto& [cpu, ticks] : end.busy.of) {
    const auto before = start.busy.of.find(cpu);
    if (before == start.busy.of.end() || ticks < before->second || !moves.count(cpu)) continue;
    if (static_cast<double>(ticks - before->second) >= quarter) ranOn.insert(cpu);
  }
  std::optional<ClockMove> widest;
  for (const auto& [cpu, move] : moves) {
    if (!ranOn.empty() && !ranOn.count(cpu)) continue;
    if (!widest || move.Wider(*widest)) widest = move;
  }
  if (widest) {
    noise.clockMinMhz = static_cast<int>(widest->low / 1000);
    noise.clockMaxMhz = static_cast<int>(widest->high / 1000);
  }
  noise.governor = start.governor;
  noise.hypervisor = hypervisor_;
  noise.loadAverage = start.loadAverage;
  // One tick of the kernel's counters, as processor seconds, for SharedProcessor.
  noise.tickSeconds = 1.0 / static_cast<double>(ticksPerSecond_);
  return noise;
}

std::optional<double> TestNoise::OthersCorePercent() const {
  if (!othersCoreSeconds || seconds <= 0) return std::nullopt;
  return *othersCoreSeconds / seconds * 100;
}

bool TestNoise::SharedProcessor() const {
  const std::optional<double> percent = OthersCorePercent();
  return percent && *percent > kSharedPercent && *othersCoreSeconds > kTickGrain * tickSeconds;
}

bool TestNoise::ClockMoved() const {
  // In 64 bits: a stored range may hold any two ints.
  return clockMinMhz && clockMaxMhz &&
         static_cast<double>(int64_t{*clockMaxMhz} - *clockMinMhz) > kClockMovedShare * *clockMaxMhz;
}

QString TestNoise::Warning() const {
  QStringList parts;
  if (SharedProcessor()) {
    parts << QCoreApplication::translate("MachineNoise", "他のプロセスがプロセッサを使用 (コア 1 個の %1 %)")
                 .arg(*OthersCorePercent(), 0, 'f', 0);
  }
  if (ClockMoved()) {
    parts << QCoreApplication::translate("MachineNoise", "クロックが変動 (%1-%2 MHz)")
                 .arg(*clockMinMhz)
                 .arg(*clockMaxMhz);
  }
  return parts.join(QStringLiteral(", "));
}

void TestNoise::Merge(const TestNoise& later) {
  seconds += later.seconds;
  if (othersCoreSeconds && later.othersCoreSeconds) {
    *othersCoreSeconds += *later.othersCoreSeconds;
  } else {
    othersCoreSeconds.reset();
  }
  if (!later.clockMinMhz || !later.clockMaxMhz) return;
  const bool wider = !clockMinMhz || !clockMaxMhz ||
                     ClockMove{*later.clockMinMhz, *later.clockMaxMhz}.Wider(ClockMove{*clockMinMhz, *clockMaxMhz});
  if (wider) {
    clockMinMhz = later.clockMinMhz;
    clockMaxMhz = later.clockMaxMhz;
  }
}

}  // namespace torvik
