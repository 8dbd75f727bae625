#include "core/settings/SettingsStore.h"

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QStandardPaths>
#include <memory>

#include "core/base/Errors.h"
#include "platform/PlainFiles.h"

namespace torvik {
namespace {

// Where the store keeps its file: ~/.config/Varn/TORVIK.conf for the user's
// own (Qt's place for it on Linux), else the given INI file.
QString FileOf(const QString& path) {
  if (!path.isEmpty()) return path;
  return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + QStringLiteral("/Varn/TORVIK.conf");
}

// Whether the store's file may be read: missing or a regular file. A FIFO
// or a device there would be waited on for ever.
bool Readable(const QString& file) {
  const platform::FileKind kind = platform::KindOf(QFile::encodeName(file).toStdString());
  return kind == platform::FileKind::Missing || kind == platform::FileKind::Regular;
}

// The settings file as a whole: the user's own, or the given INI file.
std::unique_ptr<QSettings> OpenFile(const QString& path) {
  return path.isEmpty() ? std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope,
                                                      QStringLiteral("Varn"), QStringLiteral("TORVIK"))
                        : std::make_unique<QSettings>(path, QSettings::IniFormat);
}

// The window's values: the file's [Locate] group.
std::unique_ptr<QSettings> OpenStore(const QString& path) {
  auto store = OpenFile(path);
  store->beginGroup(QStringLiteral("Locate"));
  return store;
}

// The file, once it names a shared store, readable by its owner alone.
void KeepPrivateWhenItNamesAStore(const QString& path) {
  const QString file = FileOf(path);
  if (!OpenFile(path)->contains(settings::kStoreUrl)) return;
  QFile::setPermissions(file, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
}

}  // namespace

QString UserSettingsFile() { return FileOf({}); }

QString UserSettingsStore::Read(const QString& name, const QString& fallback) {
  const QString file = FileOf(path_);
  if (!Readable(file)) throw TorvikError(texts::SettingsNotAFile().arg(file));
  const auto store = OpenStore(path_);
  const QVariant value = store->value(name);
  if (!value.isValid()) return fallback;
  if (value.typeId() != QMetaType::QString) {
    throw TorvikError(WrongDataTypeText(name));
  }
  return value.toString();
}

void UserSettingsStore::Write(const QString& name, const QString& value) {
  if (!Readable(FileOf(path_))) return;  // never replaced: the old value stays, as for any failed write
  const auto store = OpenStore(path_);
  store->setValue(name, value);
  store->sync();  // a failed write leaves the old value, silently
  KeepPrivateWhenItNamesAStore(path_);
}

QString SharedStoreUrl(bool* wrongType) {
  if (wrongType != nullptr) *wrongType = false;
  if (!Readable(FileOf({}))) return {};
  const QVariant value = OpenFile({})->value(settings::kStoreUrl);
  if (!value.isValid()) return {};
  if (value.typeId() == QMetaType::QString) return value.toString().trimmed();
  if (wrongType != nullptr) *wrongType = true;
  return {};
}

bool SetSharedStoreUrl(const QString& url) {
  if (!Readable(FileOf({}))) return false;
  const auto store = OpenFile({});
  if (url.isEmpty()) {
    store->remove(settings::kStoreUrl);
  } else {
    store->setValue(settings::kStoreUrl, url);
  }
  store->sync();
  if (store->status() != QSettings::NoError) return false;
  KeepPrivateWhenItNamesAStore({});
  return true;
}

QString DefaultTestPath() {
  QString home = QDir::homePath();
  if (!home.endsWith(u'/')) home += u'/';
  return home;
}

}  // namespace torvik
