// The about box's machine lines.
#include <QtTest>

#include "core/machine/AboutTexts.h"

using namespace torvik;

class AboutTextsTest : public QObject {
  Q_OBJECT

 private slots:
  void osLine_data() {
    QTest::addColumn<int>("platform");
    QTest::addColumn<int>("major");
    QTest::addColumn<int>("minor");
    QTest::addColumn<uint>("build");
    QTest::addColumn<QString>("csd");
    QTest::addColumn<QString>("line");
    QTest::newRow("95") << 1 << 4 << 0 << 950u << ""
                        << "Windows 95 4.0 (Build 950)";
    QTest::newRow("98 SE, high word set") << 1 << 4 << 10 << 0x040A08AEu << " A "
                                          << "Windows 98 4.10 (Build 2222:  A )";
    QTest::newRow("NT without service pack") << 2 << 4 << 0 << 1381u << ""
                                             << "Windows NT 4.0 (Build 1381)";
    QTest::newRow("2000 is NT too") << 2 << 5 << 0 << 2195u << "Service Pack 4"
                                    << "Windows NT 5.0 (Build 2195: Service Pack 4)";
    QTest::newRow("other") << 0 << 3 << 10 << 7u << "x"
                           << "Windows 3.10";
    QTest::newRow("Linux") << int(kPlatformLinux) << 6 << 18 << 44u << "Debian GNU/Linux 12 (bookworm)"
                           << "Linux 6.18 (Build 44: Debian GNU/Linux 12 (bookworm))";
  }
  void osLine() {
    QFETCH(int, platform);
    QFETCH(int, major);
    QFETCH(int, minor);
    QFETCH(uint, build);
    QFETCH(QString, csd);
    QFETCH(QString, line);
    QCOMPARE(AboutOsLine(VersionRecord{platform, major, minor, build, csd}), line);
  }

  void memoryLineGroupsThousands() {
    QCOMPARE(AboutMemoryLine(int64_t{3} * 1024 * 1024 * 1024, u','), QStringLiteral("3,145,728 KB"));
    QCOMPARE(AboutMemoryLine(int64_t{24} * 1024 * 1024 * 1024, u'.'),
             QStringLiteral("25.165.824 KB"));  // no 4 GB limit
    QCOMPARE(AboutMemoryLine(512 * 1024, u','), QStringLiteral("512 KB"));
    QCOMPARE(AboutMemoryLine(1000 * 1024, u','), QStringLiteral("1,000 KB"));
    QCOMPARE(AboutMemoryLine(0, u','), QStringLiteral(" KB"));
  }

  void processorLine() {
    QCOMPARE(AboutProcessorLine(QStringLiteral("GenuineIntel"), QStringLiteral("Pentium III"), 498.67, u'.'),
             QStringLiteral("GenuineIntel Pentium III 498.67MHz"));
    QCOMPARE(AboutProcessorLine(QStringLiteral("Unknown"), QStringLiteral("Unknown"), 0, u'.'),
             QStringLiteral("Unknown Unknown   0.00MHz"));
    QCOMPARE(AboutProcessorLine(QStringLiteral("AuthenticAMD"), QStringLiteral("AMD EPYC"), 2596.15, u','),
             QStringLiteral("AuthenticAMD AMD EPYC 2596,15MHz"));  // the locale's separator
  }
};

QTEST_GUILESS_MAIN(AboutTextsTest)
#include "test_about_texts.moc"
