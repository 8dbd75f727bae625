// System sources read from a captured tree under tests/data/sysinfo/<machine>/
// (its proc, sys, etc, dev and usr folders), with the volume answers, device
// numbers and system facts a test sets.
#pragma once

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <map>

#include "platform/SystemSources.h"

namespace torvik::testing {

class RootedSources : public platform::SystemSources {
 public:
  explicit RootedSources(const QString& machine)
      : root_(QDir(QStringLiteral(TORVIK_TEST_DATA "/sysinfo/") + machine).canonicalPath()) {}

  std::optional<std::string> ReadFile(const std::string& path) const override {
    QFile file(At(path));
    if (!file.open(QIODevice::ReadOnly)) return std::nullopt;
    return file.readAll().toStdString();
  }
  std::vector<std::string> ListDirectory(const std::string& path) const override {
    std::vector<std::string> names;
    for (const QString& name : QDir(At(path)).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System)) {
      names.push_back(name.toStdString());
    }
    return names;
  }
  std::optional<std::string> ReadLink(const std::string& path) const override {
    const QFileInfo info(At(path));
    if (!info.isSymLink()) return std::nullopt;
    return QFile::symLinkTarget(At(path)).toStdString();  // absolute inside the tree
  }
  std::optional<std::string> RealPath(const std::string& path) const override {
    const QString real = QFileInfo(At(path)).canonicalFilePath();
    if (real.isEmpty() || !real.startsWith(root_)) return std::nullopt;
    const QString inside = real.mid(root_.size());
    return (inside.isEmpty() ? QStringLiteral("/") : inside).toStdString();
  }
  std::optional<std::pair<uint32_t, uint32_t>> DeviceNumberOfNode(const std::string& path) const override {
    auto it = nodes.find(path);
    return it == nodes.end() ? std::nullopt : std::optional(it->second);
  }
  std::optional<platform::VolumeFacts> Volume(const std::string& path) const override {
    auto it = volumes.find(path);
    return it == volumes.end() ? std::nullopt : std::optional(it->second);
  }
  platform::SystemFacts System() const override { return system; }

  std::map<std::string, std::pair<uint32_t, uint32_t>> nodes;
  std::map<std::string, platform::VolumeFacts> volumes;
  platform::SystemFacts system;

 private:
  QString At(const std::string& path) const { return root_ + QString::fromStdString(path); }
  QString root_;
};

}  // namespace torvik::testing
