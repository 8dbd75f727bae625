// The test files on a real directory: names and the counter, the read files,
// the scratch writes, the memory buffers, the clean-up, the drive check with
// its two messages, and symbolic links that must never be followed.
#include <QtTest>

#include "Recorder.h"
#include "StorageFakes.h"
#include "core/DataBlock.h"
#include "core/TestFiles.h"

using namespace torvik;
using namespace torvik::testing;

namespace {

struct Fixture {
  ScratchDirectory directory;
  RecordingView view;
  RunState state{view};
  MemorySettings settings;
  CountingFileSystem fileSystem;
  TestFiles files{state, settings, fileSystem};
  Fixture() { settings.Write(settings::kDrive, directory.Path()); }
  std::string At(const char* name) const { return (directory.Path() + QLatin1String(name)).toStdString(); }
};

constexpr int64_t kBlock = 8192;

}  // namespace

class TestFilesTest : public QObject {
  Q_OBJECT

 private slots:
  void numberedNamesFollowTheCounter() {
    Fixture f;
    f.files.SetFileNumberCounter(999);
    f.files.ReadTestPath();
    QCOMPARE(f.files.NextNumberedName(), f.At("TORVIK1000.dat"));
    QCOMPARE(f.files.FileNumberCounter(), 1000);
  }

  void onePassTakesThirtyOneNumbers() {
    Fixture f;
    f.files.SetFileNumberCounter(417);
    f.files.PrepareDiskFiles();
    f.files.ScratchWrite();
    QCOMPARE(f.files.FileNumberCounter(), 417 + 31);
    QCOMPARE(f.files.Name(TestFileName::Read40), f.At("TORVIK418.dat"));
    QCOMPARE(f.files.Name(TestFileName::Write60), f.At("TORVIK423.dat"));
    f.files.CleanupTestData();
  }

  void prepareDiskFilesWritesTheThreeReadFiles() {
    Fixture f;
    f.files.PrepareDiskFiles();
    const int64_t sizes[3] = {41'943'040, 52'428'800, 62'914'560};
    for (int i = 0; i < 3; ++i) {
      const std::string& name = f.files.Name(static_cast<TestFileName>(i));
      QCOMPARE(f.fileSystem.counts[name].written, sizes[i]);
      QCOMPARE(QFileInfo(QString::fromStdString(name)).size(), sizes[i]);
      QCOMPARE(f.fileSystem.modes[name], std::vector<platform::FileMode>{platform::FileMode::CreateUnbuffered});
    }
    // The write files are only named.
    for (auto which : {TestFileName::Write40, TestFileName::Write50, TestFileName::Write60}) {
      QVERIFY(!QFile::exists(QString::fromStdString(f.files.Name(which))));
    }
    // Every block carries k·π from byte 0.
    QFile read40(QString::fromStdString(f.files.Name(TestFileName::Read40)));
    QVERIFY(read40.open(QIODevice::ReadOnly));
    read40.seek(kBlock * 5119);
    const QByteArray last = read40.read(kBlock);
    std::vector<uint8_t> expected(kBlock, 0);
    FillBlock(expected.data(), BlockValues::KTimesPi, 0);
    QCOMPARE(QByteArray(reinterpret_cast<const char*>(expected.data()), 8190), last.left(8190));
    f.files.CleanupTestData();
    QCOMPARE(f.directory.Entries(), QStringList());
  }

  void scratchWriteMovesOneHundredMegabytesAndKeepsNothing() {
    Fixture f;
    f.files.ReadTestPath();
    f.files.ScratchWrite();
    QCOMPARE(f.fileSystem.TotalWritten(), int64_t{104'857'600});
    QCOMPARE(static_cast<int>(f.fileSystem.counts.size()), 25);
    QCOMPARE(static_cast<int>(f.fileSystem.deleted.size()), 25);
    for (const auto& [name, size] : f.fileSystem.sizeAtDelete) QCOMPARE(size, int64_t{4'194'304});
    QCOMPARE(f.view.log.count(QStringLiteral("pump")), 1);
    QCOMPARE(f.directory.Entries(), QStringList());
  }

  void memoryBuffersHoldTheDataFile() {
    Fixture f;
    f.files.PrepareMemoryBuffers();
    QVERIFY(f.files.BuffersExist());
    QCOMPARE(f.files.FirstBuffer().size(), size_t{1'044'480});
    QVERIFY(std::all_of(f.files.FirstBuffer().begin(), f.files.FirstBuffer().end(), [](uint8_t b) { return b == 0; }));
    QVERIFY(f.files.SecondBuffer().empty());
    QCOMPARE(f.fileSystem.counts[f.At("TORVIK.rd0")].written, int64_t{1'044'480});
    QCOMPARE(f.directory.Entries(), QStringList());  // the data file is gone
    f.files.CleanupTestData();
    QVERIFY(!f.files.BuffersExist());
    QCOMPARE(f.files.FirstBuffer().capacity(), size_t{0});
  }

  void memoryDataFileFailureRaisesAndLeavesNothing() {
    Fixture f;
    f.settings.Write(settings::kDrive, f.directory.Path() + QStringLiteral("missing/"));
    try {
      f.files.PrepareMemoryBuffers();
      QFAIL("no error");
    } catch (const TorvikError& error) {
      QVERIFY(error.Message().startsWith(QStringLiteral("I/O error: ")));
      QVERIFY(error.Message().contains(QStringLiteral("TORVIK.rd0")));
    }
    QCOMPARE(f.directory.Entries(), QStringList());
  }

  void cleanupIsSafeBeforeAndTwice() {
    Fixture f;
    f.files.CleanupTestData();  // nothing prepared: nothing deleted, nothing released
    QVERIFY(f.fileSystem.deleted.empty());
    f.files.PrepareDiskFiles();
    QFile::remove(QString::fromStdString(f.files.Name(TestFileName::Read50)));  // already gone: skipped
    f.files.CleanupTestData();
    QCOMPARE(static_cast<int>(f.fileSystem.deleted.size()), 6);
    f.files.CleanupTestData();
    QCOMPARE(f.directory.Entries(), QStringList());
  }

  void freeSpaceBoundary_data() {
    QTest::addColumn<double>("megabytes");
    QTest::addColumn<bool>("refused");
    QTest::newRow("250 passes") << 250.0 << false;
    QTest::newRow("249.5 rounds to 250") << 249.5 << false;
    QTest::newRow("249.4 fails") << 249.4 << true;
    QTest::newRow("248.5 rounds to 248") << 248.5 << true;
    QTest::newRow("plenty") << 80'000.0 << false;
  }
  void freeSpaceBoundary() {
    QFETCH(double, megabytes);
    QFETCH(bool, refused);
    Fixture f;
    f.fileSystem.fakeAvailable = megabytes * 1'048'576.0;
    f.files.CheckTestDrive();
    QCOMPARE(f.state.StopFlag() != 0, refused);
    QCOMPARE(f.view.messages, refused ? QStringList({"error: " + texts::kNotEnoughSpace}) : QStringList());
  }

  void unusablePathsAreRefused() {
    {
      Fixture f;
      f.fileSystem.fakeQueryFails = true;
      f.files.CheckTestDrive();
      QCOMPARE(f.state.StopFlag(), kStopRequested);
      QCOMPARE(f.view.messages, QStringList({"error: " + texts::kNoDiskInformation}));
    }
    {
      // The volume answers, but no file can be created there.
      Fixture f;
      f.settings.Write(settings::kDrive, f.directory.Path() + QStringLiteral("missing/"));
      f.fileSystem.fakeAvailable = 1e12;
      f.files.CheckTestDrive();
      QCOMPARE(f.view.messages, QStringList({"error: " + texts::kNoDiskInformation}));
    }
    {
      Fixture f;
      f.settings.Write(settings::kDrive, QStringLiteral("/proc/"));  // a read-only view of the kernel
      f.files.CheckTestDrive();
      QCOMPARE(f.state.StopFlag(), kStopRequested);
    }
    {
      Fixture f;  // a usable directory passes silently
      f.files.CheckTestDrive();
      QCOMPARE(f.state.StopFlag(), 0);
      QVERIFY(f.view.messages.isEmpty());
      QCOMPARE(f.files.TestPath(), f.directory.Path());
    }
  }

  void wrongTypeOfTheTestPathRaises() {
    Fixture f;
    f.settings.wrongType << settings::kDrive;
    QVERIFY_THROWS_EXCEPTION(TorvikError, f.files.CheckTestDrive());
  }

  void symbolicLinksAreNeverFollowed() {
    Fixture f;
    const QString victim = f.directory.Path() + QStringLiteral("victim.txt");
    QFile file(victim);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("precious");
    file.close();
    // Plant links under the next numbered names and the memory data file's name.
    f.files.SetFileNumberCounter(0);
    for (int i = 1; i <= 31; ++i) {
      QVERIFY(QFile::link(victim, f.directory.Path() + QStringLiteral("TORVIK%1.dat").arg(i)));
    }
    QVERIFY(QFile::link(victim, f.directory.Path() + QStringLiteral("TORVIK.rd0")));
    f.files.PrepareDiskFiles();
    f.files.ScratchWrite();
    QVERIFY_THROWS_EXCEPTION(TorvikError, f.files.PrepareMemoryBuffers());
    f.files.CleanupTestData();
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), QByteArray("precious"));
    QCOMPARE(f.fileSystem.TotalWritten(), int64_t{0});
  }

  void copyWholeBufferReusesItsStorage() {
    std::vector<uint8_t> source(1'044'480, 7), target;
    CopyWholeBuffer(target, source);
    QCOMPARE(target, source);
    const uint8_t* storage = target.data();
    CopyWholeBuffer(target, source);
    CopyWholeBuffer(source, target);
    QCOMPARE(target.data(), storage);
  }
};

QTEST_GUILESS_MAIN(TestFilesTest)
#include "test_test_files.moc"
