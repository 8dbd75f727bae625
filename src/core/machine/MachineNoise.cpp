#include "core/machine/MachineNoise.h"

#include <QCoreApplication>
#include <algorithm>
#include <cctype>
#include <sstream>

#include "platform/Clock.h"
#include "platform/ProcessTimes.h"

namespace torvik {
namespace {

constexpr double kSharedPercent = 5.0;
constexpr double kClockMovedShare = 0.05;
constexpr int kTickGrain = 3;

const std::string kCpuFolder = "/sys/devices/system/cpu";

std::optional<int64_t> Number(const std::optional<std::string>& text) {
  if (!text) return std::nullopt;
  std::istringstream in(*text);
  int64_t value = 0;
  if (!(in >> value)) return std::nullopt;
  return value;
}

}  // namespace

std::optional<int64_t> MachineNoise::BusyTicks(const std::string& procStat) {
  // cpu  user nice system idle iowait irq softirq steal guest guest_nice
  std::istringstream in(procStat);
  std::string label;
  if (!(in >> label) || label != "cpu") return std::nullopt;
  int64_t fields[8] = {};
  for (int64_t& field : fields) {
    if (!(in >> field)) return std::nullopt;
  }
  // Idle and waiting for I/O are not busy; guest time is already in user.
  return fields[0] + fields[1] + fields[2] + fields[5] + fields[6] + fields[7];
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
    if (name.rfind("cpu", 0) != 0 || name.size() < 4 || !std::isdigit(static_cast<unsigned char>(name[3]))) continue;
    if (sources_.ReadFile(kCpuFolder + "/" + name + "/cpufreq/scaling_cur_freq")) processors_.push_back(name);
  }
  std::sort(processors_.begin(), processors_.end());
}

NoiseSample MachineNoise::Sample() const {
  NoiseSample sample;
  sample.busyTicks = BusyTicks(sources_.ReadFile("/proc/stat").value_or(std::string()));
  sample.ownNanoseconds = platform::OwnProcessorNanoseconds();
  sample.wallNanoseconds = platform::MonotonicNanoseconds();
  for (const std::string& cpu : processors_) {
    if (const auto khz = Number(sources_.ReadFile(kCpuFolder + "/" + cpu + "/cpufreq/scaling_cur_freq"))) {
      sample.clocksKhz.push_back(*khz);
    }
  }
  if (!processors_.empty()) {
    const std::string governor =
        sources_.ReadFile(kCpuFolder + "/" + processors_.front() + "/cpufreq/scaling_governor").value_or("");
    sample.governor = QString::fromStdString(governor).trimmed();
  }
  if (const auto loadavg = sources_.ReadFile("/proc/loadavg")) {
    std::istringstream in(*loadavg);
    double load = 0;
    if (in >> load) sample.loadAverage = load;
  }
  return sample;
}

TestNoise MachineNoise::Between(const NoiseSample& start, const NoiseSample& end) const {
  TestNoise noise;
  noise.seconds = std::max<int64_t>(0, end.wallNanoseconds - start.wallNanoseconds) / 1e9;
  if (start.busyTicks && end.busyTicks) {
    const double busy = static_cast<double>(*end.busyTicks - *start.busyTicks) / static_cast<double>(ticksPerSecond_);
    const double own = (end.ownNanoseconds - start.ownNanoseconds) / 1e9;
    noise.othersCoreSeconds = std::max(0.0, busy - own);
  }
  std::vector<int64_t> clocks = start.clocksKhz;
  clocks.insert(clocks.end(), end.clocksKhz.begin(), end.clocksKhz.end());
  if (!clocks.empty()) {
    noise.clockMinMhz = static_cast<int>(*std::min_element(clocks.begin(), clocks.end()) / 1000);
    noise.clockMaxMhz = static_cast<int>(*std::max_element(clocks.begin(), clocks.end()) / 1000);
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
  return clockMinMhz && clockMaxMhz && *clockMaxMhz - *clockMinMhz > kClockMovedShare * *clockMaxMhz;
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
  if (later.clockMinMhz) clockMinMhz = clockMinMhz ? std::min(*clockMinMhz, *later.clockMinMhz) : *later.clockMinMhz;
  if (later.clockMaxMhz) clockMaxMhz = clockMaxMhz ? std::max(*clockMaxMhz, *later.clockMaxMhz) : *later.clockMaxMhz;
}

}  // namespace torvik
