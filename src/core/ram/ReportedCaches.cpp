#include "core/ram/ReportedCaches.h"

#include <algorithm>
#include <cctype>
#include <set>

#include "core/cores/ProcessorTopology.h"

namespace torvik {
namespace {

std::string Trimmed(const std::string& text) {
  size_t begin = 0, end = text.size();
  while (begin < end && std::isspace(static_cast<unsigned char>(text[begin]))) ++begin;
  while (end > begin && std::isspace(static_cast<unsigned char>(text[end - 1]))) --end;
  return text.substr(begin, end - begin);
}

std::string CacheFolder(int processor) { return "/sys/devices/system/cpu/cpu" + std::to_string(processor) + "/cache"; }

}  // namespace

std::optional<int64_t> ParseCacheSize(const std::string& text) {
  const std::string t = Trimmed(text);
  size_t pos = 0;
  int64_t value = 0;
  while (pos < t.size() && std::isdigit(static_cast<unsigned char>(t[pos]))) {
    value = value * 10 + (t[pos] - '0');
    if (value > (int64_t{1} << 40)) return std::nullopt;
    ++pos;
  }
  if (pos == 0) return std::nullopt;
  const std::string unit = t.substr(pos);
  if (unit.empty()) return value;
  if (unit == "K") return value << 10;
  if (unit == "M") return value << 20;
  if (unit == "G") return value << 30;
  return std::nullopt;
}

std::vector<ReportedCache> ReadReportedCaches(const platform::SystemSources& sources, int processor) {
  std::vector<ReportedCache> caches;
  const std::string folder = CacheFolder(processor);
  for (const std::string& name : sources.ListDirectory(folder)) {
    if (name.rfind("index", 0) != 0) continue;
    const std::string dir = folder + "/" + name;
    const auto level = sources.ReadFile(dir + "/level");
    const auto size = sources.ReadFile(dir + "/size");
    if (!level || !size) continue;
    const auto levelNumber = ParseCacheSize(*level);
    const auto bytes = ParseCacheSize(*size);
    if (!levelNumber || !bytes || *levelNumber < 1 || *levelNumber > 9 || *bytes <= 0) continue;
    ReportedCache cache;
    cache.level = static_cast<int>(*levelNumber);
    cache.bytes = *bytes;
    cache.type = QString::fromStdString(Trimmed(sources.ReadFile(dir + "/type").value_or("Unified")));
    if (const auto shared = sources.ReadFile(dir + "/shared_cpu_list")) cache.sharedBy = ParseProcessorList(*shared);
    if (cache.sharedBy.empty()) cache.sharedBy = {processor};
    caches.push_back(std::move(cache));
  }
  const auto rank = [](const QString& type) { return type == QLatin1String("Instruction") ? 1 : 0; };
  std::sort(caches.begin(), caches.end(), [&](const ReportedCache& a, const ReportedCache& b) {
    return a.level != b.level ? a.level < b.level : rank(a.type) < rank(b.type);
  });
  return caches;
}

std::vector<ReportedCache> DataCaches(const std::vector<ReportedCache>& caches) {
  std::vector<ReportedCache> data;
  for (const ReportedCache& c : caches) {
    if (c.type != QLatin1String("Instruction")) data.push_back(c);
  }
  return data;
}

int64_t LastLevelBytes(const std::vector<ReportedCache>& caches) {
  const std::vector<ReportedCache> data = DataCaches(caches);
  return data.empty() ? 0 : data.back().bytes;
}

int64_t LastLevelTotal(const platform::SystemSources& sources, const std::vector<int>& processors) {
  std::set<std::vector<int>> counted;
  int64_t total = 0;
  for (const int processor : processors) {
    const std::vector<ReportedCache> data = DataCaches(ReadReportedCaches(sources, processor));
    if (data.empty()) continue;
    if (counted.insert(data.back().sharedBy).second) total += data.back().bytes;
  }
  return total;
}

}  // namespace torvik
