// System sources read from a captured tree under tests/data/sysinfo/<machine>/
// (its proc, sys, etc, dev and usr folders), with the volume answers, device
// numbers, file systems of paths and system facts a test sets; and the test
// path rules over it.
#pragma once

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <map>

#include "core/settings/TestPathRules.h"
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
  std::optional<platform::PathFileSystem> FileSystemOf(const std::string& path) const override {
    auto it = fileSystems.find(path);
    return it == fileSystems.end() ? std::nullopt : std::optional(it->second);
  }
  std::optional<platform::VolumeFacts> Volume(const std::string& path) const override {
    auto it = volumes.find(path);
    return it == volumes.end() ? std::nullopt : std::optional(it->second);
  }
  platform::SystemFacts System() const override { return system; }

  std::map<std::string, std::pair<uint32_t, uint32_t>> nodes;
  std::map<std::string, platform::PathFileSystem> fileSystems;
  std::map<std::string, platform::VolumeFacts> volumes;
  platform::SystemFacts system;

  // Where `path` of the captured machine lies in the tree.
  QString At(const std::string& path) const { return root_ + QString::fromStdString(path); }

 private:
  QString root_;
};

// The test path rules on a captured machine: what a path names is read from
// the tree, the drive type from its mount table; files can be created in
// every directory but those in `readOnly`.
class RootedPathRules : public TestPathRules {
 public:
  explicit RootedPathRules(const RootedSources& sources)
      : TestPathRules(platform::FileSystem::Default(), sources), sources_(sources) {}
  QStringList readOnly;

 protected:
  platform::PathKind Kind(const QString& directory) override {
    const QFileInfo info(sources_.At(directory.toStdString()));
    if (!info.exists()) return platform::PathKind::Missing;
    return info.isDir() ? platform::PathKind::Directory : platform::PathKind::Other;
  }
  bool CanCreateFiles(const QString& directory) override { return !readOnly.contains(directory); }

 private:
  const RootedSources& sources_;
};

}  // namespace torvik::testing
