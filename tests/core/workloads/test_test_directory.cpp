// The test files on a real directory: names and the counter, the read files,
// the scratch writes, the memory buffers, the clean-up, the drive check with
// its two messages, and symbolic links that must never be followed.
#include <QtTest>

#include "DirectoryFixture.h"
#include "core/base/Errors.h"
#include "core/workloads/DataBlock.h"

using namespace torvik;
using namespace torvik::testing;

namespace {

struct Fixture : DirectoryFixture {
  std::string At(const char* name) const { return (directory.Path() + QLatin1String(name)).toStdString(); }
};

constexpr int64_t kBlock = 8192;

// Runs `work`, which must raise IoError with the box text `text`.
template <typename Work>
void ExpectIoError(Work work, const QString& text) {
  try {
    work();
    QFAIL("no error");
  } catch (const IoError& error) {
    QCOMPARE(error.BoxText(), text);
  }
}

}  // namespace

class TestDirectoryTest : public QObject {
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
    f.CleanupTestData();
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
    // The write files are only named, and their names taken: empty files of
    // this program's own until their tests write them.
    for (auto which : {TestFileName::Write40, TestFileName::Write50, TestFileName::Write60}) {
      QCOMPARE(QFileInfo(QString::fromStdString(f.files.Name(which))).size(), 0);
      QCOMPARE(f.fileSystem.counts[f.files.Name(which)].opens, 0);
    }
    // Every block carries k·π from byte 0.
    QFile read40(QString::fromStdString(f.files.Name(TestFileName::Read40)));
    QVERIFY(read40.open(QIODevice::ReadOnly));
    read40.seek(kBlock * 5119);
    const QByteArray last = read40.read(kBlock);
    std::vector<uint8_t> expected(kBlock, 0);
    FillBlock(expected.data(), BlockValues::KTimesPi, 0);
    QCOMPARE(QByteArray(reinterpret_cast<const char*>(expected.data()), 8190), last.left(8190));
    f.CleanupTestData();
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
    f.buffers.PrepareMemoryBuffers();
    QVERIFY(f.buffers.Exist());
    QCOMPARE(f.buffers.First().size(), size_t{1'044'480});
    QVERIFY(std::all_of(f.buffers.First().begin(), f.buffers.First().end(), [](uint8_t b) { return b == 0; }));
    QVERIFY(f.buffers.Second().empty());
    QCOMPARE(f.fileSystem.counts[f.At("TORVIK.rd0")].written, int64_t{1'044'480});
    QCOMPARE(f.directory.Entries(), QStringList());  // the data file is gone
    f.CleanupTestData();
    QVERIFY(!f.buffers.Exist());
    QCOMPARE(f.buffers.First().capacity(), size_t{0});
  }

  void memoryDataFileFailureRaisesAndLeavesNothing() {
    {
      // An unusable test path is refused before any file is made.
      Fixture f;
      f.settings.Write(settings::kDrive, f.directory.Path() + QStringLiteral("missing/"));
      QVERIFY_THROWS_EXCEPTION(RefusalError, f.buffers.PrepareMemoryBuffers());
    }
    {
      Fixture f;
      f.fileSystem.writeFault = {50, ENOSPC};
      ExpectIoError([&] { f.buffers.PrepareMemoryBuffers(); }, QStringLiteral("ﾃﾞｨｽｸがいっぱいです."));
      QCOMPARE(f.directory.Entries(), QStringList());
    }
    {
      Fixture f;
      f.fileSystem.closeFault = {1, EIO};  // the data file's close is checked
      QVERIFY_THROWS_EXCEPTION(IoError, f.buffers.PrepareMemoryBuffers());
      QCOMPARE(f.directory.Entries(), QStringList());
    }
  }

  // Another copy preparing its buffers in the same folder holds the fixed
  // name: this one writes a numbered file of its own, and deletes it.
  void aFixedNameInUseGivesWayToANumberedOne() {
    Fixture f;
    f.files.ReadTestPath();
    const auto otherCopy =
        platform::FileSystem::Default().ClaimName(QFile::encodeName(f.directory.Path()).toStdString(), "TORVIK.rd0");
    QVERIFY(otherCopy);
    f.files.SetFileNumberCounter(41);
    f.buffers.PrepareMemoryBuffers();
    QCOMPARE(f.buffers.First().size(), size_t{1'044'480});
    QCOMPARE(f.fileSystem.counts.count(f.At("TORVIK.rd0")), size_t{0});  // never touched
    QCOMPARE(f.fileSystem.counts[f.At("TORVIK42.dat")].written, int64_t{1'044'480});
    QCOMPARE(f.directory.Entries(), QStringList());
  }

  // The memory data file needs a folder it can write, on any disk; the
  // disk files need a fixed local one.
  void onlyTheDiskFilesNeedAFixedDisk() {
    class RamDiskRules : public TestPathRules {
     public:
      using TestPathRules::TestPathRules;

     protected:
      int32_t DriveType(const QString&) override { return kDriveRamDisk; }
    };
    Fixture f;
    RamDiskRules rules(f.fileSystem, platform::SystemSources::Default());
    TestDirectory files{f.state, f.settings, f.fileSystem, rules};
    MemoryBuffers buffers{files};
    buffers.PrepareMemoryBuffers();
    QVERIFY(buffers.Exist());
    QVERIFY_THROWS_EXCEPTION(RefusalError, files.PrepareDiskFiles());
  }

  // A file that cannot be deleted (a folder made read-only) is named, once.
  void undeletedFilesAreReported() {
    Fixture f;
    f.files.PrepareDiskFiles();
    f.fileSystem.deleteError = EACCES;
    f.files.DeleteTestFiles();
    const QStringList undeleted = f.files.TakeUndeleted();
    QCOMPARE(undeleted.size(), 6);
    QVERIFY(undeleted.first().startsWith(f.directory.Path() + QStringLiteral("TORVIK")));
    QVERIFY(f.files.TakeUndeleted().isEmpty());
    f.fileSystem.deleteError = 0;
    for (const QString& name : undeleted) QVERIFY(QFile::remove(name));
  }

  void cleanupIsSafeBeforeAndTwice() {
    Fixture f;
    f.CleanupTestData();  // nothing prepared: nothing deleted, nothing released
    QVERIFY(f.fileSystem.deleted.empty());
    f.files.PrepareDiskFiles();
    QFile::remove(QString::fromStdString(f.files.Name(TestFileName::Read50)));  // already gone: skipped
    f.CleanupTestData();
    QCOMPARE(static_cast<int>(f.fileSystem.deleted.size()), 6);
    f.CleanupTestData();
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
    QCOMPARE(f.view.messages, refused ? QStringList({"error: " + texts::NotEnoughSpace()}) : QStringList());
  }

  void unusablePathsAreRefused() {
    {
      Fixture f;
      f.fileSystem.fakeQueryFails = true;
      f.files.CheckTestDrive();
      QCOMPARE(f.state.StopFlag(), kStopRequested);
      QCOMPARE(f.view.messages, QStringList({"error: " + texts::NoDiskInformation()}));
    }
    {
      // The volume answers, but no file can be created there.
      Fixture f;
      f.settings.Write(settings::kDrive, f.directory.Path() + QStringLiteral("missing/"));
      f.fileSystem.fakeAvailable = 1e12;
      f.files.CheckTestDrive();
      QCOMPARE(f.view.messages, QStringList({"error: " + texts::NoDiskInformation()}));
    }
    {
      Fixture f;
      f.settings.Write(settings::kDrive, QStringLiteral("/proc/"));  // a read-only view of the kernel
      f.files.CheckTestDrive();
      QCOMPARE(f.state.StopFlag(), kStopRequested);
    }
    for (const QString& path : {QStringLiteral("torvik-relative/"), QStringLiteral("")}) {
      // A relative path would write wherever the program was started.
      Fixture f;
      f.settings.Write(settings::kDrive, path);
      f.fileSystem.fakeAvailable = 1e12;
      f.files.CheckTestDrive();
      QCOMPARE(f.view.messages, QStringList({"error: " + texts::NoDiskInformation()}));
      QVERIFY_THROWS_EXCEPTION(RefusalError, f.files.PrepareDiskFiles());
    }
    {
      // A regular file is no directory (and gets no "/" to pretend it is).
      Fixture f;
      QFile file(f.directory.Path() + QStringLiteral("plain"));
      QVERIFY(file.open(QIODevice::WriteOnly));
      file.close();
      f.settings.Write(settings::kDrive, file.fileName());
      f.fileSystem.fakeAvailable = 1e12;
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
    // The linked names are taken: the files went to the next free numbers.
    QCOMPARE(f.files.Name(TestFileName::Read40), f.At("TORVIK32.dat"));
    QVERIFY_THROWS_EXCEPTION(IoError, f.buffers.PrepareMemoryBuffers());
    f.CleanupTestData();
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), QByteArray("precious"));
    QCOMPARE(f.directory.Entries().size(), 1 + 31 + 1);  // the victim and every link, untouched
  }

  // Two copies of the program on one directory never share a file.
  void takenNamesAreSkippedAndNeverDeleted() {
    Fixture f;
    const QString other = f.directory.Path() + QStringLiteral("TORVIK2.dat");
    QFile file(other);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("the other copy's");
    file.close();
    f.files.SetFileNumberCounter(0);
    f.files.PrepareDiskFiles();
    QCOMPARE(f.files.Name(TestFileName::Read40), f.At("TORVIK1.dat"));
    QCOMPARE(f.files.Name(TestFileName::Read50), f.At("TORVIK3.dat"));
    f.files.ScratchWrite();
    QCOMPARE(f.files.FileNumberCounter(), 32);
    f.CleanupTestData();
    QCOMPARE(f.directory.Entries(), QStringList({"TORVIK2.dat"}));
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), QByteArray("the other copy's"));
  }

  // A failed or short transfer raises the I/O error and leaves no file.
  void transferFailuresRaiseAndLeaveNothing_data() {
    QTest::addColumn<QString>("fault");
    QTest::addColumn<int>("at");
    QTest::addColumn<int>("error");
    QTest::addColumn<QString>("text");
    QTest::newRow("disk full in a read file") << "write" << 3'000 << ENOSPC << "ﾃﾞｨｽｸがいっぱいです.";
    QTest::newRow("short write in a read file") << "write" << 18'000 << 0 << "ﾃﾞｨｽｸがいっぱいです.";
    QTest::newRow("I/O error on a write") << "write" << 1 << EIO << "I/O ｴﾗｰ (1117)";
    QTest::newRow("failing close") << "close" << 2 << EIO << "I/O ｴﾗｰ (1117)";
    QTest::newRow("failing close of a scratch file") << "close" << 10 << ENOSPC << "ﾃﾞｨｽｸがいっぱいです.";
  }
  void transferFailuresRaiseAndLeaveNothing() {
    QFETCH(QString, fault);
    QFETCH(int, at);
    QFETCH(int, error);
    QFETCH(QString, text);
    Fixture f;
    (fault == u"write" ? f.fileSystem.writeFault : f.fileSystem.closeFault) = {at, error};
    ExpectIoError(
        [&] {
          f.files.PrepareDiskFiles();
          f.files.ScratchWrite();
        },
        text);
    f.CleanupTestData();
    QCOMPARE(f.directory.Entries(), QStringList());
  }

  void readsCheckEveryBlock_data() {
    QTest::addColumn<int>("error");
    QTest::addColumn<bool>("missing");
    QTest::addColumn<QString>("text");
    QTest::newRow("EIO") << EIO << false << "I/O ｴﾗｰ (1117)";
    QTest::newRow("short read") << 0 << false << "ﾌｧｲﾙの末尾以降を読み込みました.";
    QTest::newRow("the file is gone") << 0 << true << "ﾌｧｲﾙの末尾以降を読み込みました.";
  }
  void readsCheckEveryBlock() {
    QFETCH(int, error);
    QFETCH(bool, missing);
    QFETCH(QString, text);
    Fixture f;
    f.files.PrepareDiskFiles();
    const std::string& name = f.files.Name(TestFileName::Read40);
    if (missing) QFile::remove(QString::fromStdString(name));  // re-created empty by the open
    if (!missing) f.fileSystem.readFault = {4'000, error};
    platform::BlockBuffer block;
    ExpectIoError([&] { f.files.ReadBlocks(name, platform::FileMode::OpenWriteThrough, block, 5'120); }, text);
    f.CleanupTestData();
    QCOMPARE(f.directory.Entries(), QStringList());
  }

  void testPathIsTheDirectoryItNames() {
    Fixture f;
    QString path = f.directory.Path();
    path.chop(1);  // hand-edited without the trailing "/"
    f.settings.Write(settings::kDrive, path);
    f.files.ReadTestPath();
    QCOMPARE(f.files.TestPath(), f.directory.Path());
    f.files.PrepareDiskFiles();
    QVERIFY(QString::fromStdString(f.files.Name(TestFileName::Read40)).startsWith(f.directory.Path() + "TORVIK"));
    f.CleanupTestData();
    QCOMPARE(f.directory.Entries(), QStringList());
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

QTEST_GUILESS_MAIN(TestDirectoryTest)
#include "test_test_directory.moc"
