#include "core/cores/ProcessorTopology.h"

#include <algorithm>
#include <cctype>
#include <set>

namespace torvik {
namespace {

const std::string kCpuRoot = "/sys/devices/system/cpu";

// A non-negative decimal number at `pos`, moved past it; -1 when none.
long ReadNumber(const std::string& text, size_t& pos) {
  if (pos >= text.size() || !std::isdigit(static_cast<unsigned char>(text[pos]))) return -1;
  long value = 0;
  while (pos < text.size() && std::isdigit(static_cast<unsigned char>(text[pos]))) {
    value = value * 10 + (text[pos] - '0');
    if (value > 1'000'000) return -1;
    ++pos;
  }
  return value;
}

std::optional<int> ReadInt(const platform::SystemSources& sources, const std::string& path) {
  const auto text = sources.ReadFile(path);
  if (!text) return std::nullopt;
  size_t pos = 0;
  bool negative = false;
  if (pos < text->size() && (*text)[pos] == '-') {
    negative = true;
    ++pos;
  }
  const long value = ReadNumber(*text, pos);
  if (value < 0) return std::nullopt;
  return static_cast<int>(negative ? -value : value);
}

std::vector<int> ReadList(const platform::SystemSources& sources, const std::string& path) {
  const auto text = sources.ReadFile(path);
  return text ? ParseProcessorList(*text) : std::vector<int>{};
}

// The online processors: the "online" list, else every cpuN folder.
std::vector<int> OnlineProcessors(const platform::SystemSources& sources) {
  std::vector<int> online = ReadList(sources, kCpuRoot + "/online");
  if (!online.empty()) return online;
  for (const std::string& name : sources.ListDirectory(kCpuRoot)) {
    if (name.size() < 4 || name.compare(0, 3, "cpu") != 0) continue;
    size_t pos = 3;
    const long id = ReadNumber(name, pos);
    if (id >= 0 && pos == name.size()) online.push_back(static_cast<int>(id));
  }
  std::sort(online.begin(), online.end());
  return online;
}

}  // namespace

std::vector<int> ParseProcessorList(const std::string& text) {
  std::vector<int> list;
  size_t pos = 0;
  while (pos < text.size() && text[pos] != '\n') {
    const long first = ReadNumber(text, pos);
    if (first < 0) break;
    long last = first;
    if (pos < text.size() && text[pos] == '-') {
      ++pos;
      last = ReadNumber(text, pos);
      if (last < first) break;
    }
    for (long id = first; id <= last; ++id) list.push_back(static_cast<int>(id));
    if (pos < text.size() && text[pos] == ',') {
      ++pos;
    } else {
      break;
    }
  }
  std::sort(list.begin(), list.end());
  list.erase(std::unique(list.begin(), list.end()), list.end());
  return list;
}

const LogicalProcessor* ProcessorTopology::Find(int id) const {
  for (const LogicalProcessor& p : processors) {
    if (p.id == id) return &p;
  }
  return nullptr;
}

int ProcessorTopology::PhysicalCores() const {
  std::set<int> cores;
  for (const LogicalProcessor& p : processors) cores.insert(p.CoreKey());
  return static_cast<int>(cores.size());
}

ProcessorTopology ReadProcessorTopology(const platform::SystemSources& sources) {
  ProcessorTopology topology;
  const std::vector<int> online = OnlineProcessors(sources);
  const std::vector<int> performance = ReadList(sources, "/sys/devices/cpu_core/cpus");
  const std::vector<int> efficiency = ReadList(sources, "/sys/devices/cpu_atom/cpus");
  topology.hybrid = !performance.empty() && !efficiency.empty();
  const auto contains = [](const std::vector<int>& list, int id) {
    return std::binary_search(list.begin(), list.end(), id);
  };
  for (const int id : online) {
    const std::string dir = kCpuRoot + "/cpu" + std::to_string(id);
    LogicalProcessor p;
    p.id = id;
    p.package = std::max(0, ReadInt(sources, dir + "/topology/physical_package_id").value_or(0));
    p.die = std::max(0, ReadInt(sources, dir + "/topology/die_id").value_or(0));
    p.core = ReadInt(sources, dir + "/topology/core_id").value_or(id);
    p.siblings = ReadList(sources, dir + "/topology/thread_siblings_list");
    if (!contains(p.siblings, id)) p.siblings = {id};
    // Siblings that are offline do not run anything.
    std::erase_if(p.siblings, [&](int s) { return !contains(online, s); });
    p.capacity = ReadInt(sources, dir + "/cpu_capacity");
    if (topology.hybrid) {
      if (contains(performance, id)) p.kind = CoreKind::Performance;
      if (contains(efficiency, id)) p.kind = CoreKind::Efficiency;
    }
    topology.processors.push_back(std::move(p));
  }
  return topology;
}

}  // namespace torvik
