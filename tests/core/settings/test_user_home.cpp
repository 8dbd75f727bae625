// Where the program may keep its files: a home that names no folder is
// refused for what would go under it, never made; an absolute XDG folder is
// its own home.
#include <QtTest>

#include "core/settings/UserHome.h"

using namespace torvik;

class UserHomeTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() {
    QVERIFY(scratch_.isValid());
    QVERIFY(QDir(scratch_.path()).mkdir(QStringLiteral("home")));
    QFile file(scratch_.filePath(QStringLiteral("file")));
    QVERIFY(file.open(QIODevice::WriteOnly));
  }

  // HOME: "home" a folder, "missing" none, "file" a file, "" unset, else as
  // written; the XDG values likewise ("/abs" an absolute path of its own).
  void whatIsRefused_data() {
    QTest::addColumn<QString>("home");
    QTest::addColumn<QString>("configHome");
    QTest::addColumn<QString>("dataHome");
    QTest::addColumn<bool>("settings");
    QTest::addColumn<bool>("data");
    QTest::addColumn<QString>("refusal");  // "" none, else which text
    QTest::newRow("a home that is there") << "home"
                                          << ""
                                          << "" << true << true << "";
    QTest::newRow("a missing home") << "missing"
                                    << ""
                                    << "" << true << true << "missing";
    QTest::newRow("a missing home, for the data alone") << "missing"
                                                        << ""
                                                        << "" << false << true << "missing";
    QTest::newRow("a missing home, nothing kept") << "missing"
                                                  << ""
                                                  << "" << false << false << "";
    QTest::newRow("a home that is a file") << "file"
                                           << ""
                                           << "" << true << true << "file";
    QTest::newRow("no home at all") << ""
                                    << ""
                                    << "" << false << true << "unset";
    QTest::newRow("a relative home") << "relative/home"
                                     << ""
                                     << "" << true << false << "relative";
    QTest::newRow("a missing home, both XDG folders of their own") << "missing"
                                                                   << "/abs"
                                                                   << "/abs" << true << true << "";
    QTest::newRow("a missing home, the data folder of its own") << "missing"
                                                                << ""
                                                                << "/abs" << false << true << "";
    QTest::newRow("a missing home, the settings still under it") << "missing"
                                                                 << ""
                                                                 << "/abs" << true << true << "missing";
    QTest::newRow("a missing home, the settings' folder of its own, the data under it")
        << "missing"
        << "/abs"
        << "" << true << true << "missing";
    QTest::newRow("a relative XDG folder is passed over, as Qt does") << "missing"
                                                                      << "config"
                                                                      << "data" << true << true << "missing";
  }
  void whatIsRefused() {
    QFETCH(QString, home);
    QFETCH(QString, configHome);
    QFETCH(QString, dataHome);
    QFETCH(bool, settings);
    QFETCH(bool, data);
    QFETCH(QString, refusal);
    const auto place = [&](const QString& name) {
      if (name == u"home" || name == u"missing" || name == u"file") return scratch_.filePath(name);
      if (name == u"/abs") return scratch_.filePath(QStringLiteral("xdg"));  // made by whoever keeps something there
      return name;
    };
    const HomeEnvironment environment{place(home), place(configHome), place(dataHome)};
    const QString said = KeepingRefusal(environment, {.settings = settings, .data = data});
    QString expected;
    if (refusal == u"missing") expected = texts::HomeMissing().arg(environment.home);
    if (refusal == u"file") expected = texts::HomeNotAFolder().arg(environment.home);
    if (refusal == u"unset") expected = texts::HomeNotSet();
    if (refusal == u"relative") expected = texts::HomeNotAbsolute().arg(environment.home);
    QCOMPARE(said, expected);
    // Asking makes nothing.
    QVERIFY(!QFileInfo::exists(scratch_.filePath(QStringLiteral("missing"))));
    QVERIFY(!QFileInfo::exists(scratch_.filePath(QStringLiteral("xdg"))));
  }

 private:
  QTemporaryDir scratch_;
};

QTEST_GUILESS_MAIN(UserHomeTest)
#include "test_user_home.moc"
