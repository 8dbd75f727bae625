#include "core/ram/HugePageUsage.h"

#include <cctype>
#include <cstdlib>
#include <sstream>

namespace torvik {
namespace {

// "7f12a4000000-7f12a4200000 rw-p ...": a mapping's header line.
bool ParseRange(const std::string& line, uintptr_t& from, uintptr_t& to) {
  const size_t dash = line.find('-');
  const size_t space = line.find(' ');
  if (dash == std::string::npos || space == std::string::npos || dash > space || dash == 0) return false;
  for (size_t i = 0; i < space; ++i) {
    if (i != dash && !std::isxdigit(static_cast<unsigned char>(line[i]))) return false;
  }
  from = static_cast<uintptr_t>(std::strtoull(line.substr(0, dash).c_str(), nullptr, 16));
  to = static_cast<uintptr_t>(std::strtoull(line.substr(dash + 1, space - dash - 1).c_str(), nullptr, 16));
  return from < to;
}

}  // namespace

std::optional<int64_t> AnonHugePageBytes(const std::string& smaps, uintptr_t begin, uintptr_t end) {
  std::istringstream in(smaps);
  std::string line;
  bool inside = false;
  std::optional<int64_t> total;
  while (std::getline(in, line)) {
    uintptr_t from = 0, to = 0;
    if (ParseRange(line, from, to)) {
      inside = from < end && begin < to;
      continue;
    }
    if (!inside || line.rfind("AnonHugePages:", 0) != 0) continue;
    const long long kb = std::strtoll(line.c_str() + 14, nullptr, 10);
    total = total.value_or(0) + static_cast<int64_t>(kb) * 1024;
  }
  return total;
}

QString TransparentHugePageMode(const std::string& enabled) {
  const size_t open = enabled.find('[');
  const size_t close = enabled.find(']', open == std::string::npos ? 0 : open);
  if (open == std::string::npos || close == std::string::npos) return {};
  return QString::fromStdString(enabled.substr(open + 1, close - open - 1));
}

}  // namespace torvik
