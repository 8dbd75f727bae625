// The catalogue of tests and groups: the ids that JSON, CSV and the store
// rely on, the sheet lines' fixed width, and each group's needs agreeing
// with the tests it runs.
#include <QtTest>

#include "core/results/TestCatalogue.h"

using namespace torvik;

class TestCatalogueTest : public QObject {
  Q_OBJECT

 private slots:
  void idsAreTheContract() {
    const QStringList ids = {"prime",   "trig",    "square",  "circle", "triangle", "text",   "scroll", "memory",
                             "write40", "write50", "write60", "read40", "read50",   "read60", "mix"};
    for (size_t i = 0; i < kTestCount; ++i) {
      QCOMPARE(QLatin1String(EntryOf(static_cast<Test>(i)).id), ids[i]);
      QCOMPARE(TestOfId(ids[i]), std::optional<Test>(static_cast<Test>(i)));
    }
    QVERIFY(!TestOfId(u"total"));
    QCOMPARE(GroupIds(QStringLiteral(",")), QStringLiteral("cpu,graphic,memory,hdd,all,cores,ram,drive"));
    QCOMPARE(GroupOfId(u"hdd"), std::optional<Group>(Group::Hdd));
    QVERIFY(!GroupOfId(u"gpu"));
  }

  // The sheet parser reads a value from the 20th character on.
  void sheetLinesAreNineteenCharacters() {
    for (const TestEntry& entry : kTests) {
      if (entry.sheetLine != nullptr) QCOMPARE(qstrlen(entry.sheetLine), size_t{19});
    }
  }

  void groupsNeedWhatTheirTestsNeed() {
    auto draws = [](Test t) { return t >= Test::Square && t <= Test::Scroll; };
    auto writesFiles = [](Test t) { return t >= Test::Memory; };  // the memory data file, the disk files
    auto timesTheDrive = [](Test t) { return t > Test::Memory; };  // the disk tests and the mix mode
    for (const GroupEntry& group : kGroups) {
      if (group.points) continue;  // measured by their own engines, not by classic tests
      bool anyDraws = false, anyFiles = false, anyDrive = false;
      for (Test test : group.tests) {
        anyDraws = anyDraws || draws(test);
        anyFiles = anyFiles || writesFiles(test);
        anyDrive = anyDrive || timesTheDrive(test);
      }
      QCOMPARE(group.needsScreen, anyDraws);
      QCOMPARE(group.usesTestDirectory, anyFiles);
      QCOMPARE(group.needsFixedDisk, anyDrive);
    }
    QCOMPARE(EntryOf(Group::All).tests.size(), kTestCount);  // ALL runs every test
    QVERIFY(Runs(Group::Hdd, Test::Read3) && !Runs(Group::Hdd, Test::Mix));
  }
};

QTEST_GUILESS_MAIN(TestCatalogueTest)
#include "test_test_catalogue.moc"
