#include "core/settings/SettingsStore.h"

#include <QDir>
#include <QSettings>
#include <memory>

#include "core/base/Errors.h"

namespace torvik {
namespace {

std::unique_ptr<QSettings> OpenStore(const QString& path) {
  auto store = path.isEmpty() ? std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope,
                                                            QStringLiteral("Varn"), QStringLiteral("TORVIK"))
                              : std::make_unique<QSettings>(path, QSettings::IniFormat);
  store->beginGroup(QStringLiteral("Locate"));
  return store;
}

}  // namespace

QString UserSettingsStore::Read(const QString& name, const QString& fallback) {
  const auto store = OpenStore(path_);
  const QVariant value = store->value(name);
  if (!value.isValid()) return fallback;
  if (value.typeId() != QMetaType::QString) {
    throw TorvikError(QStringLiteral("'%1' のﾃﾞｰﾀ型が不正です").arg(name));
  }
  return value.toString();
}

void UserSettingsStore::Write(const QString& name, const QString& value) {
  const auto store = OpenStore(path_);
  store->setValue(name, value);
  store->sync();  // a failed write leaves the old value, silently
}

QString DefaultTestPath() {
  QString home = QDir::homePath();
  if (!home.endsWith(u'/')) home += u'/';
  return home;
}

}  // namespace torvik
