// CommandLineSettings: the stored settings, but for the values one
// command-line run names for itself without storing them: the test
// directory (--dir) and the drive group's file size (--file-size). Every
// other value is read from and written to the stored settings. GUI thread.
#pragma once

#include <QString>
#include <map>
#include <memory>

#include "core/settings/SettingsStore.h"

namespace torvik {

class CommandLineSettings : public SettingsStore {
 public:
  // `values`: by setting's name, what this run reads for it instead.
  CommandLineSettings(std::unique_ptr<SettingsStore> stored, std::map<QString, QString> values)
      : stored_(std::move(stored)), values_(std::move(values)) {}

  QString Read(const QString& name, const QString& fallback) override {
    const auto given = values_.find(name);
    return given != values_.end() ? given->second : stored_->Read(name, fallback);
  }
  void Write(const QString& name, const QString& value) override { stored_->Write(name, value); }

 private:
  std::unique_ptr<SettingsStore> stored_;
  std::map<QString, QString> values_;
};

}  // namespace torvik
