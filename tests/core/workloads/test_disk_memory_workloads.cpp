// The timed disk and memory tests on a real directory: what each moves,
// what it leaves, how its time accumulates or is replaced, and the mix
// mode's steps. Each disk test really pauses 2 s and writes 100 MB of
// scratch first, so this suite takes a while.
#include <QtTest>

#include "DirectoryFixture.h"
#include "core/base/Errors.h"
#include "core/workloads/DiskWorkloads.h"
#include "core/workloads/MemoryWorkloads.h"

using namespace torvik;
using namespace torvik::testing;

namespace {

constexpr int64_t kBlock = 8192;
constexpr int64_t kScratchBytes = 104'857'600;

struct Fixture : DirectoryFixture {
  DiskWorkloads disk{state, files};
  MemoryWorkloads memory{state, files, buffers};
};

}  // namespace

class DiskMemoryWorkloadsTest : public QObject {
  Q_OBJECT

 private slots:
  void writeTestsMoveTheirBlocksAndLeaveTheShorterFile_data() {
    QTest::addColumn<int>("which");
    QTest::addColumn<qint64>("blocksLeft");
    QTest::newRow("40 MB") << 0 << qint64(4'992);
    QTest::newRow("50 MB") << 1 << qint64(6'240);
    QTest::newRow("60 MB") << 2 << qint64(7'488);
  }
  void writeTestsMoveTheirBlocksAndLeaveTheShorterFile() {
    QFETCH(int, which);
    QFETCH(qint64, blocksLeft);
    const WritePlan plans[] = {kWrite40, kWrite50, kWrite60};
    const WritePlan& plan = plans[which];
    Fixture f;
    f.files.PrepareDiskFiles();
    const int64_t before = f.fileSystem.TotalWritten();
    f.disk.Write(plan);
    const std::string& name = f.files.Name(plan.file);
    // 40 of every 40 blocks are written, 1/40 of them a second time at the start.
    QCOMPARE(f.fileSystem.counts[name].written, blocksLeft * 40 / 39 * kBlock);
    QCOMPARE(f.fileSystem.sizeAtDelete[name], blocksLeft * kBlock);
    QCOMPARE(f.fileSystem.modes[name],
             (std::vector<platform::FileMode>{platform::FileMode::CreateUnbuffered,
                                              platform::FileMode::OpenUnbufferedWriteThrough}));
    QCOMPARE(f.fileSystem.TotalWritten() - before, kScratchBytes + f.fileSystem.counts[name].written);
    QVERIFY(!QFile::exists(QString::fromStdString(name)));
    QCOMPARE(f.view.labels[LabelOf(plan.slot)], FormatSeconds(f.state.Results()[plan.slot].elapsed));
    QCOMPARE(f.view.log.mid(f.view.log.size() - 2), QStringList({"repaint", "pump"}));
    f.CleanupTestData();
    QCOMPARE(f.directory.Entries(), QStringList());
  }

  void writeTimeAccumulatesOverPasses() {
    Fixture f;
    f.files.PrepareDiskFiles();
    f.state.Results()[Test::Write1].elapsed = TimeValue::FromTenths(120);  // pass 1
    f.disk.Write(kWrite40);
    const TimingSlot& slot = f.state.Results()[Test::Write1];
    QCOMPARE(slot.elapsed, TimeValue::FromTenths(120) + (slot.end - slot.start));
    f.CleanupTestData();
  }

  void readTestReadsItsFileOnce() {
    Fixture f;
    f.files.PrepareDiskFiles();
    f.disk.Read(kRead50);
    const std::string& name = f.files.Name(TestFileName::Read50);
    QCOMPARE(f.fileSystem.counts[name].read, int64_t{52'428'800});
    QCOMPARE(f.fileSystem.modes[name].back(), platform::FileMode::OpenWriteThrough);
    QVERIFY(!QFile::exists(QString::fromStdString(name)));
    f.CleanupTestData();
    QCOMPARE(f.directory.Entries(), QStringList());
  }

  // A test whose file cannot be read or written in full raises the I/O
  // error before it takes its time or writes its label.
  void failedTransfersTakeNoTime_data() {
    QTest::addColumn<QString>("test");
    QTest::addColumn<QString>("text");
    QTest::newRow("read file missing") << "read"
                                       << "ﾌｧｲﾙの末尾以降を読み込みました.";
    QTest::newRow("disk full while writing") << "write"
                                             << "ﾃﾞｨｽｸがいっぱいです.";
    QTest::newRow("mix file unreadable") << "mix"
                                         << "I/O ｴﾗｰ (1117)";
  }
  void failedTransfersTakeNoTime() {
    QFETCH(QString, test);
    QFETCH(QString, text);
    Fixture f;
    f.buffers.PrepareMemoryBuffers();
    f.files.PrepareDiskFiles();
    const int writesSoFar = f.fileSystem.writes;
    try {
      if (test == u"read") {
        QFile::remove(QString::fromStdString(f.files.Name(TestFileName::Read40)));
        f.disk.Read(kRead40);
      } else if (test == u"write") {
        f.fileSystem.writeFault = {writesSoFar + 12'800 + 2'000, ENOSPC};  // after the scratch writes
        f.disk.Write(kWrite40);
      } else {
        f.fileSystem.readFault = {100, EIO};  // before the first interim display
        f.memory.MixModeTest();
      }
      QFAIL("no error");
    } catch (const IoError& error) {
      QCOMPARE(error.BoxText(), text);
    }
    for (ResultLabel label : {ResultLabel::KRead1, ResultLabel::KWrite1, ResultLabel::KMix}) {
      QVERIFY(!f.view.labels.contains(label));
    }
    f.CleanupTestData();
    QCOMPARE(f.directory.Entries(), QStringList());
  }

  void mixStepsAreTheCompositeNumbers() {
    QCOMPARE(MixStepDivisor(1), 0);
    QCOMPARE(MixStepDivisor(2), 0);
    QCOMPARE(MixStepDivisor(3), 0);
    QCOMPARE(MixStepDivisor(4), 2);
    QCOMPARE(MixStepDivisor(9), 3);
    QCOMPARE(MixStepDivisor(199), 0);
    QCOMPARE(MixStepDivisor(200), 2);
    QList<int> steps, displays;
    for (int n = 1; n <= kMixLast; ++n) {
      if (MixStepDivisor(n) == 0) continue;
      steps << n;
      if (steps.size() % kMixStepsPerDisplay == 0) displays << n;
    }
    QCOMPARE(steps.size(), 153);
    QCOMPARE(steps.first(), 4);
    QCOMPARE(displays, QList<int>({20, 34, 49, 63, 77, 91, 105, 119, 132, 145, 159, 172, 186}));
  }

  void mixModeMovesItsBlocksAndShowsItsTime() {
    Fixture f;
    f.buffers.PrepareMemoryBuffers();
    f.state.Results()[Test::Mix].elapsed = TimeValue::FromTenths(9'999);
    f.memory.MixModeTest();
    const std::string mixFile = (f.directory.Path() + QStringLiteral("TORVIK.rd4")).toStdString();
    QCOMPARE(f.fileSystem.counts[mixFile].written, int64_t{130'023'424});
    QCOMPARE(f.fileSystem.counts[mixFile].read, int64_t{130'023'424});
    QCOMPARE(f.fileSystem.counts[mixFile].opens, 2 * 153);
    QCOMPARE(f.fileSystem.sizeAtDelete[mixFile], int64_t{200} * kBlock);  // the last step's file
    QCOMPARE(f.view.log.count(QStringLiteral("repaint label %1").arg(static_cast<int>(ResultLabel::KMix))), 13);
    const TimingSlot& slot = f.state.Results()[Test::Mix];
    QVERIFY(slot.elapsed < TimeValue::FromTenths(9'999));  // replaced, not added
    QCOMPARE(slot.elapsed, slot.end - slot.start);
    QCOMPARE(f.view.labels[ResultLabel::KMix], FormatSeconds(slot.elapsed));
    // The buffers went back and forth 612 times and still hold zeros.
    QCOMPARE(f.buffers.Second().size(), size_t{1'044'480});
    f.CleanupTestData();
    QCOMPARE(f.directory.Entries(), QStringList());
  }

  void memoryCopyReplacesItsTime() {
    Fixture f;
    f.buffers.PrepareMemoryBuffers();
    f.state.Results()[Test::Memory].elapsed = TimeValue::FromTenths(9'999);
    f.memory.MemoryCopyTest();
    const TimingSlot& slot = f.state.Results()[Test::Memory];
    QCOMPARE(slot.elapsed, slot.end - slot.start);
    QCOMPARE(f.view.labels[ResultLabel::KMemory], FormatSeconds(slot.elapsed));
    QCOMPARE(f.buffers.First().size(), size_t{1'044'480});
    QCOMPARE(f.buffers.Second(), f.buffers.First());
    // A second run copies between the same storage: no allocation.
    const uint8_t* first = f.buffers.First().data();
    const uint8_t* second = f.buffers.Second().data();
    f.memory.MemoryCopyTest();
    QCOMPARE(f.buffers.First().data(), first);
    QCOMPARE(f.buffers.Second().data(), second);
    f.CleanupTestData();
  }
};

QTEST_GUILESS_MAIN(DiskMemoryWorkloadsTest)
#include "test_disk_memory_workloads.moc"
