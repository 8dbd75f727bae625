// The processor clock that the operating system has recorded, in MHz: on
// Linux "cpu MHz" of processor 0 in /proc/cpuinfo, else the cpufreq maximum.
// The parsers are pure functions over the files' text. Any thread.
#pragma once

#include <string>

namespace torvik::platform {

// The recorded clock in whole MHz (nearest), or 0 when none can be read.
int RecordedProcessorMhz();

// "cpu MHz" of the first processor block, rounded to the nearest whole MHz;
// 0 when absent or not above 0.
int ParseCpuInfoMhz(const std::string& cpuinfo);
// The contents of cpuinfo_max_freq (kHz) in whole MHz (nearest); 0 when unusable.
int ParseCpufreqKhz(const std::string& text);

}  // namespace torvik::platform
