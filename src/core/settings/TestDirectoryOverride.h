// TestDirectoryOverride: the stored settings, but for the test directory,
// which one command-line run may name for itself (--dir) without storing
// it. Every other value is read from and written to the stored settings.
// GUI thread.
#pragma once

#include <QString>
#include <memory>
#include <optional>

#include "core/settings/SettingsStore.h"

namespace torvik {

class TestDirectoryOverride : public SettingsStore {
 public:
  // `directory`: the test directory of this run; none reads the stored one.
  TestDirectoryOverride(std::unique_ptr<SettingsStore> stored, std::optional<QString> directory)
      : stored_(std::move(stored)), directory_(std::move(directory)) {}

  QString Read(const QString& name, const QString& fallback) override {
    if (name == settings::kDrive && directory_) return *directory_;
    return stored_->Read(name, fallback);
  }
  void Write(const QString& name, const QString& value) override { stored_->Write(name, value); }

 private:
  std::unique_ptr<SettingsStore> stored_;
  std::optional<QString> directory_;
};

}  // namespace torvik
