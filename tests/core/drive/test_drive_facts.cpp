// The drive a test folder lives on, read from captured sysfs and mount
// trees (tests/data/drive: this machine's virtio disk as captured, and the
// layouts of an NVMe desktop, a SATA laptop, an LVM server over a spinning
// disk and a USB SSD), the transport and scheduler rules on their own, and
// the /proc/diskstats counters beside the program's own bytes.
#include <QtTest>

#include "RootedSources.h"
#include "core/drive/DiskStats.h"
#include "core/drive/DriveFacts.h"

using namespace torvik;
using torvik::testing::RootedSources;

namespace {

RootedSources Machine(const char* name) { return RootedSources(QStringLiteral("../drive/") + QLatin1String(name)); }

std::string Data(const char* name) {
  QFile file(QStringLiteral(TORVIK_TEST_DATA "/drive/") + QLatin1String(name));
  return file.open(QIODevice::ReadOnly) ? file.readAll().toStdString() : std::string();
}

}  // namespace

class DriveFactsTest : public QObject {
  Q_OBJECT

 private slots:
  void factsOfCapturedMachines_data() {
    QTest::addColumn<QString>("machine");
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QString>("fileSystem");
    QTest::addColumn<QString>("device");
    QTest::addColumn<QString>("model");
    QTest::addColumn<QString>("transport");
    QTest::addColumn<int>("rotational");  // -1: not said
    QTest::addColumn<QString>("scheduler");
    QTest::addColumn<QString>("number");
    QTest::newRow("virtio, captured") << "vm-virtio"
                                      << "/root"
                                      << "ext4"
                                      << "vda"
                                      << ""
                                      << "virtio" << 1 << "mq-deadline"
                                      << "254:0";
    // The partition's disk; the model's padding trimmed.
    QTest::newRow("nvme partition") << "desktop-nvme"
                                    << "/home/user"
                                    << "ext4"
                                    << "nvme0n1"
                                    << "Samsung SSD 980 PRO 1TB"
                                    << "nvme" << 0 << "none"
                                    << "259:0";
    QTest::newRow("sata partition") << "laptop-sata"
                                    << "/home/ann"
                                    << "ext4"
                                    << "sda"
                                    << "Samsung SSD 860"
                                    << "sata" << 0 << "mq-deadline"
                                    << "8:0";
    // Under the logical volume: the spinning disk it is made of.
    QTest::newRow("lvm over a disk") << "server-lvm"
                                     << "/srv/bench"
                                     << "xfs"
                                     << "sdb"
                                     << "WDC WD40EFRX-68N"
                                     << "sata" << 1 << "bfq"
                                     << "8:16";
    QTest::newRow("usb ssd") << "usb-ssd"
                             << "/media/ann/Extreme"
                             << "ext4"
                             << "sdc"
                             << "Extreme 55AE"
                             << "usb" << 0 << "mq-deadline"
                             << "8:32";
  }
  void factsOfCapturedMachines() {
    QFETCH(QString, machine);
    QFETCH(QString, folder);
    QFETCH(int, rotational);
    const RootedSources sources = Machine(machine.toLatin1().constData());
    const DriveFacts facts = ReadDriveFacts(sources, folder);
    QVERIFY(facts.HasDevice());
    QTEST(facts.fileSystem, "fileSystem");
    QTEST(facts.device, "device");
    QTEST(facts.model, "model");
    QTEST(facts.transport, "transport");
    QCOMPARE(facts.rotational.has_value(), rotational >= 0);
    if (facts.rotational) QCOMPARE(*facts.rotational, rotational == 1);
    QTEST(facts.scheduler, "scheduler");
    QTEST(QStringLiteral("%1:%2").arg(facts.major).arg(facts.minor), "number");
  }

  void withoutABlockDeviceOnlyTheFileSystem() {
    const RootedSources sources = Machine("vm-virtio");
    // /dev/shm is a tmpfs: no disk under it (the group refuses it anyway).
    const DriveFacts facts = ReadDriveFacts(sources, QStringLiteral("/dev/shm"));
    QCOMPARE(facts.fileSystem, QStringLiteral("tmpfs"));
    QVERIFY(!facts.HasDevice());
    QVERIFY(facts.model.isEmpty() && facts.transport.isEmpty() && !facts.rotational);
    // A folder that is not there: nothing at all.
    const DriveFacts none = ReadDriveFacts(sources, QStringLiteral("/no/such/folder"));
    QVERIFY(none.fileSystem.isEmpty() && !none.HasDevice());
  }

  void transportFromTheDevicePath_data() {
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("transport");
    QTest::newRow("nvme") << "/sys/devices/pci0000:00/0000:00:1d.0/nvme/nvme0/nvme0n1"
                          << "nvme";
    QTest::newRow("nvme over fabrics") << "/sys/devices/virtual/nvme-fabrics/ctl/nvme1/nvme1n1"
                                       << "nvme";
    QTest::newRow("sata") << "/sys/devices/pci0000:00/0000:00:17.0/ata3/host2/target2:0:0/2:0:0:0/block/sdb"
                          << "sata";
    QTest::newRow("usb bridge")
        << "/sys/devices/pci0000:00/0000:00:14.0/usb2/2-1/2-1:1.0/host4/target4:0:0/4:0:0:0/block/sdd"
        << "usb";
    QTest::newRow("virtio-blk") << "/sys/devices/pci0000:00/0000:00:02.0/virtio1/block/vda"
                                << "virtio";
    QTest::newRow("virtio-scsi") << "/sys/devices/pci0000:00/0000:00:03.0/virtio2/host0/target0:0:0/0:0:0:0/block/sda"
                                 << "virtio";
    QTest::newRow("sas") << "/sys/devices/pci0000:00/0000:00:01.0/0000:01:00.0/host0/port-0:0/end_device-0:0/"
                            "target0:0:0/0:0:0:0/block/sda"
                         << "scsi";
    QTest::newRow("sd card") << "/sys/devices/platform/fe320000.mmc/mmc_host/mmc1/mmc1:aaaa/block/mmcblk1"
                             << "mmc";
    QTest::newRow("loop") << "/sys/devices/virtual/block/loop0"
                          << "virtual";
    QTest::newRow("who knows") << "/sys/devices/platform/something/block/xyz0"
                               << "unknown";
    // "data" is not an ATA port.
    QTest::newRow("no ata in a name") << "/sys/devices/platform/metadata7/block/md0"
                                      << "unknown";
  }
  void transportFromTheDevicePath() {
    QFETCH(QString, path);
    QTEST(TransportOf(path.toStdString()), "transport");
  }

  void schedulerInUse_data() {
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("scheduler");
    QTest::newRow("marked first") << "[none] mq-deadline\n"
                                  << "none";
    QTest::newRow("marked inside") << "mq-deadline kyber [bfq] none\n"
                                   << "bfq";
    QTest::newRow("only one") << "none\n"
                              << "none";
    QTest::newRow("several, none marked") << "mq-deadline none\n"
                                          << "";
    QTest::newRow("empty") << ""
                           << "";
  }
  void schedulerInUse() {
    QFETCH(QString, file);
    QTEST(SchedulerOf(file.toStdString()), "scheduler");
  }

  void diskCountersFromACapture() {
    const std::string captured = Data("diskstats-vm.txt");
    QVERIFY(!captured.empty());
    const auto vda = ParseDiskStats(captured, 254, 0);
    QVERIFY(vda);
    QCOMPARE(vda->readBytes, int64_t{10'746'586} * 512);
    QCOMPARE(vda->writtenBytes, int64_t{48'251'216} * 512);
    const auto loop = ParseDiskStats(captured, 7, 3);
    QVERIFY(loop);
    QCOMPARE(loop->Total(), int64_t{0});
    QVERIFY(!ParseDiskStats(captured, 8, 0));  // no such device here
  }

  void diskCountersByNumberNotName() {
    // The whole disk and its partitions each have a line; an old kernel's
    // line has fewer fields, a cut one too few.
    const std::string text =
        " 259       0 nvme0n1 1000 0 80000 10 2000 0 160000 20 0 30 30\n"
        " 259       1 nvme0n1p1 10 0 800 1 20 0 1600 2 0 3 3 0 0 0 0 0 0\n"
        " 259       2 nvme0n1p2 990 0 79200 9 1980 0 158400 18 0 27 27 0 0 0 0 0 0\n"
        "   8       0 sda 5 0\n";
    QCOMPARE(ParseDiskStats(text, 259, 0)->readBytes, int64_t{80'000} * 512);
    QCOMPARE(ParseDiskStats(text, 259, 2)->writtenBytes, int64_t{158'400} * 512);
    QVERIFY(!ParseDiskStats(text, 8, 0));
    QVERIFY(!ParseDiskStats("", 259, 0));
  }

  void othersAreWhatTheProgramDidNotMove_data() {
    QTest::addColumn<qint64>("readBefore");
    QTest::addColumn<qint64>("writtenBefore");
    QTest::addColumn<qint64>("readAfter");
    QTest::addColumn<qint64>("writtenAfter");
    QTest::addColumn<qint64>("own");
    QTest::addColumn<qint64>("others");  // -1: none
    QTest::newRow("quiet drive") << qint64{1000} << qint64{0} << qint64{1000 + 4096 * 10} << qint64{0}
                                 << qint64{4096 * 10} << qint64{0};
    QTest::newRow("someone wrote") << qint64{0} << qint64{0} << qint64{1 << 20} << qint64{8192} << qint64{1 << 20}
                                   << qint64{8192};
    // The program's last requests may be counted after the second reading.
    QTest::newRow("own bytes not yet counted")
        << qint64{0} << qint64{0} << qint64{4096} << qint64{0} << qint64{8192} << qint64{0};
    QTest::newRow("counters went back") << qint64{5000} << qint64{5000} << qint64{4000} << qint64{9000} << qint64{0}
                                        << qint64{-1};
  }
  void othersAreWhatTheProgramDidNotMove() {
    QFETCH(qint64, readBefore);
    QFETCH(qint64, writtenBefore);
    QFETCH(qint64, readAfter);
    QFETCH(qint64, writtenAfter);
    QFETCH(qint64, own);
    QFETCH(qint64, others);
    const auto result =
        OthersBytes(DiskCounters{readBefore, writtenBefore}, DiskCounters{readAfter, writtenAfter}, own);
    QCOMPARE(result.has_value(), others >= 0);
    if (result) QCOMPARE(*result, int64_t{others});
    QVERIFY(!OthersBytes(std::nullopt, DiskCounters{}, 0));
  }
};

QTEST_GUILESS_MAIN(DriveFactsTest)
#include "test_drive_facts.moc"
