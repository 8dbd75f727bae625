// The per-user settings: defaults, fresh reads on every access, and the
// wrong-type error.
#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

#include "core/base/Errors.h"
#include "core/settings/SettingsStore.h"

using namespace torvik;

class SettingsStoreTest : public QObject {
  Q_OBJECT

 private:
  QTemporaryDir dir_;
  QString Path() const { return dir_.filePath(QStringLiteral("TORVIK.conf")); }

 private slots:
  void missingValuesGiveTheirDefault() {
    UserSettingsStore store(dir_.filePath(QStringLiteral("none.conf")));
    QCOMPARE(store.Read(settings::kDrive, DefaultTestPath()), DefaultTestPath());
    QCOMPARE(store.Read(settings::kPcName, QString()), QString());
  }

  void writtenValuesLiveInGroupLocate() {
    UserSettingsStore store(Path());
    store.Write(settings::kDrive, QStringLiteral("/mnt/data/"));
    store.Write(settings::kUserName, QStringLiteral("山田 太郎"));
    QCOMPARE(store.Read(settings::kDrive, QString()), QStringLiteral("/mnt/data/"));
    QCOMPARE(store.Read(settings::kUserName, QString()), QStringLiteral("山田 太郎"));
    QSettings raw(Path(), QSettings::IniFormat);
    QCOMPARE(raw.value(QStringLiteral("Locate/Drv")).toString(), QStringLiteral("/mnt/data/"));
  }

  void everyReadSeesTheStoreAsItIsNow() {
    UserSettingsStore store(Path());
    store.Write(settings::kPcName, QStringLiteral("first"));
    QCOMPARE(store.Read(settings::kPcName, QString()), QStringLiteral("first"));
    {
      QSettings other(Path(), QSettings::IniFormat);
      other.setValue(QStringLiteral("Locate/PCName"), QStringLiteral("second"));
    }
    QCOMPARE(store.Read(settings::kPcName, QString()), QStringLiteral("second"));
  }

  void aValueThatIsNotAStringIsTheWrongType() {
    QFile file(Path());
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write("[Locate]\nDrv=/a/, /b/\nPCName=@ByteArray(xyz)\nYName=42\n");
    file.close();
    UserSettingsStore store(Path());
    for (const QString& name : {settings::kDrive, settings::kPcName}) {
      try {
        store.Read(name, QString());
        QFAIL("no error");
      } catch (const TorvikError& error) {
        QCOMPARE(error.Message(), QStringLiteral("'%1' のﾃﾞｰﾀ型が不正です").arg(name));
      }
    }
    QCOMPARE(store.Read(settings::kUserName, QString()), QStringLiteral("42"));  // plain text stays text
  }

  void defaultTestPathIsTheHomeDirectory() {
    QVERIFY(DefaultTestPath().endsWith(u'/'));
    QCOMPARE(QDir(DefaultTestPath()).absolutePath(), QDir::homePath());
  }
};

QTEST_GUILESS_MAIN(SettingsStoreTest)
#include "test_settings_store.moc"
