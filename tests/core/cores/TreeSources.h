// System sources served from a .tree file of tests/data/cores (one file a
// line: its path, a space, its text with new lines as \n), written by
// capture_tree.sh from a real machine or by make_trees.py for a synthetic
// one; files may be added or replaced by the test. A folder lists what lies
// below it. The calls the cores tests do not use answer nothing.
#pragma once

#include <QFile>
#include <QString>
#include <map>
#include <set>

#include "platform/ProcessorAffinity.h"
#include "platform/SystemSources.h"

namespace torvik::testing {

class TreeSources : public platform::SystemSources {
 public:
  // `machine`: the file's name without ".tree"; an empty tree when missing.
  explicit TreeSources(const QString& machine) {
    QFile file(QStringLiteral(TORVIK_TEST_DATA "/cores/") + machine + QStringLiteral(".tree"));
    if (!file.open(QIODevice::ReadOnly)) return;
    for (const QByteArray& raw : file.readAll().split('\n')) {
      if (raw.isEmpty() || raw.startsWith('#')) continue;
      const qsizetype space = raw.indexOf(' ');
      const std::string path = raw.left(space).toStdString();
      std::string text;
      const QByteArray value = space < 0 ? QByteArray() : raw.mid(space + 1);
      for (qsizetype i = 0; i < value.size(); ++i) {
        if (value[i] == '\\' && i + 1 < value.size()) {
          text += value[i + 1] == 'n' ? '\n' : value[i + 1];
          ++i;
        } else {
          text += value[i];
        }
      }
      files[path] = text;
    }
  }

  std::optional<std::string> ReadFile(const std::string& path) const override {
    const auto it = files.find(path);
    return it == files.end() ? std::nullopt : std::optional(it->second);
  }
  std::vector<std::string> ListDirectory(const std::string& path) const override {
    std::set<std::string> names;
    const std::string prefix = path + '/';
    for (const auto& [file, text] : files) {
      if (file.compare(0, prefix.size(), prefix) == 0)
        names.insert(file.substr(prefix.size(), file.find('/', prefix.size()) - prefix.size()));
    }
    return {names.begin(), names.end()};
  }
  std::optional<std::string> ReadLink(const std::string&) const override { return std::nullopt; }
  std::optional<std::string> RealPath(const std::string&) const override { return std::nullopt; }
  std::optional<std::pair<uint32_t, uint32_t>> DeviceNumberOfNode(const std::string&) const override {
    return std::nullopt;
  }
  std::optional<platform::PathFileSystem> FileSystemOf(const std::string&) const override { return std::nullopt; }
  std::optional<platform::VolumeFacts> Volume(const std::string&) const override { return std::nullopt; }
  platform::SystemFacts System() const override { return {}; }

  std::map<std::string, std::string> files;
};

// An affinity that allows `allowed` and pins as the real one does, but
// refuses processors in `refused` with `error`.
class FakeAffinity : public platform::ProcessorAffinity {
 public:
  std::vector<int> Allowed() const override { return allowed; }
  int PinCallingThread(int processor) const override {
    if (refused.count(processor) != 0) return error;
    return platform::ProcessorAffinity::Default().PinCallingThread(processor);
  }
  int CallingThreadProcessor() const override {
    return platform::ProcessorAffinity::Default().CallingThreadProcessor();
  }

  std::vector<int> allowed;
  std::set<int> refused;
  int error = 22;  // EINVAL
};

}  // namespace torvik::testing
