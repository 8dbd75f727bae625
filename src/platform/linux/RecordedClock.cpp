#include "platform/RecordedClock.h"

#include <cmath>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace torvik::platform {
namespace {

std::string ReadFile(const char* path) {
  std::ifstream file(path);
  if (!file) return {};
  std::ostringstream text;
  text << file.rdbuf();
  return text.str();
}

int WholeMhz(double mhz) {
  if (!(mhz > 0) || mhz > 1e6) return 0;
  return static_cast<int>(std::lround(mhz));
}

}  // namespace

int ParseCpuInfoMhz(const std::string& cpuinfo) {
  std::istringstream lines(cpuinfo);
  std::string line;
  while (std::getline(lines, line)) {
    if (line.empty()) break;  // the first processor's block has ended
    if (line.rfind("cpu MHz", 0) != 0) continue;
    const auto colon = line.find(':');
    if (colon == std::string::npos) return 0;
    return WholeMhz(std::strtod(line.c_str() + colon + 1, nullptr));
  }
  return 0;
}

int ParseCpufreqKhz(const std::string& text) { return WholeMhz(std::strtod(text.c_str(), nullptr) / 1000.0); }

int RecordedProcessorMhz() {
  if (const int mhz = ParseCpuInfoMhz(ReadFile("/proc/cpuinfo")); mhz > 0) return mhz;
  return ParseCpufreqKhz(ReadFile("/sys/devices/system/cpu/cpu0/cpufreq/cpuinfo_max_freq"));
}

}  // namespace torvik::platform
