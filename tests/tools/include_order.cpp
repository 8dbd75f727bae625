// Checks that includes go one way only. The source tree's layers (platform,
// core, then the user interface and the command line side by side, then
// the program entry) and core's subsystem folders are each given in order,
// lowest first: a file may include its own layer or folder and those before
// it, never one after it, nor a layer beside it. No unit (a header with
// its source file) reaches itself again through its includes. A sealed
// folder is included only from itself and the folders named after it, and
// a library's own headers (<QSql...>) only from the folder given for them.
//
//   include_order SRC --layers platform core ui,cli app --core base machine ...
//                     --sealed core/store core/archive --private QSql core/store
//
// Prints every break of the rules and exits 1 when there is one.
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <regex>
#include <set>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

struct Order {
  std::map<std::string, int> rank;  // name -> its place; names sharing a place may not meet
};

// "ui,cli" shares one place between two names.
Order ParseOrder(const std::vector<std::string>& places) {
  Order order;
  for (size_t i = 0; i < places.size(); ++i) {
    size_t start = 0;
    while (start <= places[i].size()) {
      const size_t comma = places[i].find(',', start);
      const std::string name = places[i].substr(start, comma - start);
      if (!name.empty()) order.rank[name] = static_cast<int>(i);
      if (comma == std::string::npos) break;
      start = comma + 1;
    }
  }
  return order;
}

// The first path component of `path` ("core/run/RunState.h" -> "core").
std::string Head(const std::string& path) { return path.substr(0, path.find('/')); }
// The second ("core/run/RunState.h" -> "run"), empty for a file directly in core.
std::string Folder(const std::string& path) {
  const size_t first = path.find('/');
  const size_t second = path.find('/', first + 1);
  return second == std::string::npos ? std::string() : path.substr(first + 1, second - first - 1);
}
// "core/run/RunState.h" and "core/run/RunState.cpp" are the unit "core/run/RunState".
std::string UnitOf(const std::string& path) { return path.substr(0, path.rfind('.')); }

// Whether a file of `from` may include one of `to` under `order`.
bool MayInclude(const Order& order, const std::string& from, const std::string& to) {
  if (from == to) return true;
  const auto a = order.rank.find(from);
  const auto b = order.rank.find(to);
  if (a == order.rank.end() || b == order.rank.end()) return true;  // not governed here
  return b->second < a->second;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: include_order SRC --layers L... --core F...\n");
    return 2;
  }
  const fs::path root = argv[1];
  std::vector<std::string> layers, folders, sealed, privateHeaders;
  std::vector<std::string>* current = nullptr;
  for (int i = 2; i < argc; ++i) {
    const std::string argument = argv[i];
    if (argument == "--layers") {
      current = &layers;
    } else if (argument == "--core") {
      current = &folders;
    } else if (argument == "--sealed") {
      current = &sealed;
    } else if (argument == "--private") {
      current = &privateHeaders;
    } else if (current != nullptr) {
      current->push_back(argument);
    }
  }
  const Order layerOrder = ParseOrder(layers);
  const Order folderOrder = ParseOrder(folders);

  const std::regex include(R"re(^\s*#\s*include\s*"([^"]+)")re");
  const std::regex system(R"re(^\s*#\s*include\s*<([^>]+)>)re");
  // Whether `path` lies in `folder` ("core/store").
  const auto inFolder = [](const std::string& path, const std::string& folder) {
    return path.rfind(folder + '/', 0) == 0;
  };
  // The first of `names` is sealed; the others may include it.
  const auto mayReachSealed = [&](const std::string& from, const std::string& target) {
    if (sealed.empty() || !inFolder(target, sealed.front())) return true;
    return std::any_of(sealed.begin(), sealed.end(), [&](const std::string& folder) { return inFolder(from, folder); });
  };
  std::map<std::string, std::set<std::string>> edges;  // unit -> units it includes
  int breaks = 0;
  int files = 0;
  for (const auto& entry : fs::recursive_directory_iterator(root)) {
    const std::string extension = entry.path().extension().string();
    if (!entry.is_regular_file() || (extension != ".h" && extension != ".cpp")) continue;
    ++files;
    const std::string path = fs::relative(entry.path(), root).generic_string();
    std::ifstream in(entry.path());
    std::string line;
    int number = 0;
    while (std::getline(in, line)) {
      ++number;
      std::smatch match;
      if (privateHeaders.size() == 2 && std::regex_search(line, match, system) &&
          match[1].str().rfind(privateHeaders[0], 0) == 0 && !inFolder(path, privateHeaders[1])) {
        std::printf("%s:%d includes <%s>: only %s may\n", path.c_str(), number, match[1].str().c_str(),
                    privateHeaders[1].c_str());
        ++breaks;
        continue;
      }
      if (!std::regex_search(line, match, include)) continue;
      const std::string target = match[1];
      if (target.find('/') == std::string::npos) continue;  // the instruction layer's own headers ("X87.h")
      if (UnitOf(target) != UnitOf(path)) edges[UnitOf(path)].insert(UnitOf(target));
      const bool layerOk = MayInclude(layerOrder, Head(path), Head(target));
      const bool folderOk =
          Head(path) != "core" || Head(target) != "core" || MayInclude(folderOrder, Folder(path), Folder(target));
      if (!mayReachSealed(path, target)) {
        std::printf("%s:%d includes %s: only %s may\n", path.c_str(), number, target.c_str(), sealed.back().c_str());
        ++breaks;
        continue;
      }
      if (!layerOk || !folderOk) {
        std::printf("%s:%d includes %s: %s\n", path.c_str(), number, target.c_str(),
                    !layerOk ? "a layer above or beside its own" : "a core folder after its own");
        ++breaks;
      }
    }
  }

  // A cycle among units: a depth-first walk that meets a unit on its own path.
  std::map<std::string, int> state;  // 0 unseen, 1 on the path, 2 done
  std::vector<std::string> path;
  std::function<bool(const std::string&)> visit = [&](const std::string& unit) {
    state[unit] = 1;
    path.push_back(unit);
    for (const std::string& next : edges[unit]) {
      if (state[next] == 1) {
        std::printf("include cycle:");
        for (auto it = std::find(path.begin(), path.end(), next); it != path.end(); ++it) {
          std::printf(" %s ->", it->c_str());
        }
        std::printf(" %s\n", next.c_str());
        return true;
      }
      if (state[next] == 0 && visit(next)) return true;
    }
    path.pop_back();
    state[unit] = 2;
    return false;
  };
  for (const auto& [unit, targets] : edges) {
    if (state[unit] == 0 && visit(unit)) {
      ++breaks;
      break;
    }
  }

  if (files == 0) {
    std::printf("no sources under %s\n", root.string().c_str());
    return 1;
  }
  std::printf("%d files checked, %d breaks of the include order\n", files, breaks);
  return breaks == 0 ? 0 : 1;
}
