// The result block, compared line by line, for the combinations of results
// a report can meet, and the number formats it prints.
#include <QtTest>
#include <cerrno>

#include "core/base/Errors.h"
#include "core/report/ReportBuilder.h"
#include "core/report/ResultSheet.h"
#include "core/results/Timing.h"

using namespace torvik;

namespace {

// What a block is built from: the run and the sheet's own inputs.
struct Block {
  RunRecord run;
  SheetInputs sheet;
};

// A Pentium III at 498.67 MHz with level-1 and level-2 caches, 3 GB of memory.
Block Machine() {
  Block in;
  in.sheet.locale = QLocale::c();
  in.sheet.now = QDateTime(QDate(2026, 12, 8), QTime(14, 5, 9));
  in.sheet.captions[ResultLabel::KAll] = QString();
  in.run.userName = QStringLiteral("Hanako");
  in.run.pcName = QStringLiteral("bench-pc");
  MachineFacts& m = in.run.machine;
  m.testDirectory = {QStringLiteral("/home/hanako/"), true, 85'204'480'000.0, 270'553'174'016.0};
  m.os = QStringLiteral("Linux 6.18 (Build 44: Debian GNU/Linux 12 (bookworm))");
  m.display = QStringLiteral("?");
  m.processor = {QStringLiteral("GenuineIntel"),
                 QStringLiteral("Pentium III"),
                 498.674,
                 6,
                 7,
                 3,
                 0,
                 true,
                 16,
                 16,
                 true,
                 512,
                 32,
                 4};
  m.freeMemory = 133'693'440;
  m.totalMemory = int64_t{3} * 1024 * 1024 * 1024;
  m.screenWidth = 1024;
  m.screenHeight = 768;
  m.screenDepth = 24;
  return in;
}

// Sets a test's time and its label as the window would show it.
void Result(Block& in, Test test, int64_t tenths) {
  in.run.results[test].elapsed = TimeValue::FromTenths(tenths);
  in.sheet.captions[LabelOf(test)] = FormatSeconds(TimeValue::FromTenths(tenths), u'.');
}

void Total(Block& in, int64_t tenths) {
  in.run.results.Total() = TimeValue::FromTenths(tenths);
  in.sheet.captions[ResultLabel::KAll] = FormatSeconds(TimeValue::FromTenths(tenths), u'.');
}

const QStringList kHead = {
    "<> TORVIK Time Trial Result <>",
    "   Date          : 8 Dec 2026 14:05:09",
    "   Your Name     : Hanako",
    "   PC-Name       : bench-pc",
};
const QString kOs = "   USE OS        : Linux 6.18 (Build 44: Debian GNU/Linux 12 (bookworm))";
const QStringList kProcessor = {
    "   CPU           : GenuineIntel Pentium III 498.67MHz",
    "     On Chip L1  : Data Cache 16KB / Inst Cache 16KB",
    "     On Chip L2  : Size 512KB / LineSize 32byte / Associativity 4Way",
    "     Stepping    : 6.7.3 (Original OEM Processor)",
    "   HDD Info      : /home/hanako/ => Free 81257MB / Total 258020MB",
};
const QString kMemory = "   Memory Info   : Free:128MB  Total:3073MB";
const QString kDisplay = "   Display Dev   : ?(1024x768 24BitColor)";
const QStringList kFoot = {"//______  TORVIK Version 3.03  ______//", ""};

// Line by line, so a difference names its line.
void ExpectBlock(const Block& in, const QStringList& expected) {
  const QStringList lines = BuildReport(in.run, in.sheet);
  for (qsizetype i = 0; i < std::min(lines.size(), expected.size()); ++i) QCOMPARE(lines[i], expected[i]);
  QCOMPARE(lines.size(), expected.size());
}

}  // namespace

class ReportBuilderTest : public QObject {
  Q_OBJECT

 private slots:
  void cpuGroupOnly() {
    Block in = Machine();
    Result(in, Test::Calc, 8);
    Result(in, Test::Trig, 39);
    Total(in, 47);
    ExpectBlock(in, kHead + QStringList{"   Bench No      : 1128", kOs} + kProcessor +
                        QStringList{kMemory, kDisplay, "   Prime  Calc   :   0.8sec", "   Trigonometric :   3.9sec",
                                    "   Sum    Total  :   4.7sec"} +
                        kFoot);
  }

  // A run with no screen (the command line without a display) says so on
  // its display line; a real screen's line is as it always was (kDisplay).
  void screenlessRunSaysNoDisplay() {
    Block in = Machine();
    in.run.machine.screenWidth = in.run.machine.screenHeight = in.run.machine.screenDepth = 0;
    Result(in, Test::Memory, 1);
    Total(in, 1);
    const QStringList lines = BuildReport(in.run, in.sheet);
    QVERIFY(lines.contains(QStringLiteral("   Display Dev   : ?(no display)")));
    QVERIFY(!lines.join(u'\n').contains(u"BitColor"));
  }

  void everyTest() {
    Block in = Machine();
    const std::pair<Test, int64_t> times[] = {
        {Test::Calc, 8},    {Test::Trig, 39},    {Test::Square, 49}, {Test::Circle, 50}, {Test::Triangle, 80},
        {Test::Text, 114},  {Test::Scroll, 227}, {Test::Memory, 35}, {Test::Write1, 52}, {Test::Write2, 65},
        {Test::Write3, 78}, {Test::Read1, 4},    {Test::Read2, 3},   {Test::Read3, 4},   {Test::Mix, 15},
    };
    int64_t total = 0;
    for (const auto& [test, tenths] : times) {
      Result(in, test, tenths);
      total += tenths;
    }
    Total(in, total);
    ExpectBlock(in, kHead + QStringList{"   Bench No      : 339076", kOs} + kProcessor +
                        QStringList{
                            "   Write Average :   6.50sec => 23.07MB/sec",
                            "   Read  Average :   0.37sec => 409.0MB/sec",
                            kMemory,
                            "   Memory I-O    : 585.14MB/sec Copy Average",
                            kDisplay,
                            "   Prime  Calc   :   0.8sec",
                            "   Trigonometric :   3.9sec",
                            "   Square        :   4.9sec",
                            "   Circle        :   5.0sec",
                            "   Triangle      :   8.0sec",
                            "   Text          :  11.4sec",
                            "   Scroll        :  22.7sec",
                            "   Memory Copy   :   3.5sec",
                            "   150MB x 3Loop :    40MB  /    50MB  /    60MB",
                            "     HDD  Write  :   5.2sec /   6.5sec /   7.8sec => 19.5sec",
                            "     HDD  Read   :   0.4sec /   0.3sec /   0.4sec => 1.1sec",
                            "   Mix    Mode   :   1.5sec",
                            "   Sum    Total  :  82.3sec",
                        } +
                        kFoot);
  }

  void onlyDiskWrites() {
    Block in = Machine();
    Result(in, Test::Write1, 52);
    Result(in, Test::Write2, 65);
    Result(in, Test::Write3, 78);
    Total(in, 0);
    const QStringList lines = BuildReport(in.run, in.sheet);
    QVERIFY(lines.contains(QStringLiteral("   Write Average :   6.50sec => 23.07MB/sec")));
    for (const QString& line : lines) {
      QVERIFY2(!line.startsWith(QStringLiteral("   Read  Average")), qPrintable(line));
      QVERIFY2(!line.contains(QStringLiteral("HDD  Write")) && !line.contains(QStringLiteral("3Loop")),
               qPrintable(line));
    }
  }

  void stoppedRun() {
    Block in = Machine();
    Result(in, Test::Calc, 8);
    Total(in, 8);
    in.sheet.stopFlag = 9;
    QCOMPARE(BuildReport(in.run, in.sheet)[4], QStringLiteral("   Bench No      : Bench Stop"));
  }

  void emptyTable() {
    Block in = Machine();
    in.sheet.captions[ResultLabel::KAll] = QStringLiteral("sec");  // whatever the label shows is printed as it is
    in.run.machine.processor.l1Caches = false;
    in.run.machine.processor.l2Cache = false;
    in.run.machine.processor.type = 3;
    in.run.machine.testDirectory.queried = false;
    ExpectBlock(in, kHead +
                        QStringList{"   Bench No      : 0", kOs,
                                    "   CPU           : GenuineIntel Pentium III 498.67MHz", "     Stepping    : 6.7.3",
                                    "   HDD Info      : /home/hanako/", kMemory, kDisplay, "   Sum    Total  : sec"} +
                        kFoot);
  }

  // A name can never add a line: every control character is a blank.
  void namesStayOnTheirLines() {
    Block in = Machine();
    in.run.userName = QStringLiteral("Hanako\r\n   Bench No      : 99999");
    in.run.pcName = QStringLiteral("pc\tone\x0b\u2028two");
    in.run.machine.testDirectory.path = QStringLiteral("/srv/a\nb/");
    const QStringList lines = BuildReport(in.run, in.sheet);
    QCOMPARE(lines[2], QStringLiteral("   Your Name     : Hanako     Bench No      : 99999"));
    QCOMPARE(lines[3], QStringLiteral("   PC-Name       : pc one  two"));
    QCOMPARE(lines.filter(QStringLiteral("Bench No")).size(), 2);  // its own line and the name's text
    QVERIFY(lines.contains(QStringLiteral("   HDD Info      : /srv/a b/ => Free 81257MB / Total 258020MB")));
    QCOMPARE(lines.join(u'\n').count(u'\n'), lines.size() - 1);
  }

  // The labels a command-line run prints: a test with a time in either
  // form, a memory copy under a tenth included, and the total.
  void captionsOfATable() {
    ResultTable t;
    t[Test::Calc].elapsed = TimeValue::FromTenths(8);  // tenths alone, as a sheet gives them
    t[Test::Memory].elapsedNs = 44'300'000;            // faster than the clock's tenth
    t.Total() = TimeValue::FromTenths(8);
    const std::map<ResultLabel, QString> captions = CaptionsOf(t, u',');
    QCOMPARE(captions.size(), size_t{3});
    QCOMPARE(captions.at(ResultLabel::KCalc), QStringLiteral("  0,8sec"));
    QCOMPARE(captions.at(ResultLabel::KMemory), QStringLiteral("  0,0sec"));
    QCOMPARE(captions.at(ResultLabel::KAll), QStringLiteral("  0,8sec"));
  }

  void sheetGoesWhereItCanBeWritten_data() {
    QTest::addColumn<QStringList>("writable");  // what this user may write
    QTest::addColumn<bool>("sheetExists");
    QTest::addColumn<QString>("sheet");
    const QString beside = QStringLiteral("/opt/torvik/torvik.txt");
    const QString data = QStringLiteral("/home/u/.local/share/Varn/TORVIK/torvik.txt");
    QTest::newRow("writable folder") << QStringList{"/opt/torvik"} << false << beside;
    QTest::newRow("a folder not writable") << QStringList{} << false << data;
    QTest::newRow("a writable sheet in a read-only folder") << QStringList{beside} << true << beside;
    QTest::newRow("a read-only sheet in a writable folder") << QStringList{"/opt/torvik"} << true << data;
  }
  void sheetGoesWhereItCanBeWritten() {
    QFETCH(QStringList, writable);
    QFETCH(bool, sheetExists);
    QFETCH(QString, sheet);
    QTemporaryDir root;
    const QString exe = root.path() + QStringLiteral("/opt/torvik/torvik");
    QDir().mkpath(root.path() + QStringLiteral("/opt/torvik"));
    if (sheetExists) {
      QFile file(exe + QStringLiteral(".txt"));
      QVERIFY(file.open(QIODevice::WriteOnly));
    }
    const auto mayWrite = [&](const QString& path) { return writable.contains(path.mid(root.path().size())); };
    const QString chosen =
        ChooseSheetPath(exe, root.path() + QStringLiteral("/home/u/.local/share/Varn/TORVIK"), mayWrite);
    QCOMPARE(chosen.mid(root.path().size()), sheet);
    QCOMPARE(SheetBesideExecutable(QStringLiteral("C:/x/TORVIK.EXE")), QStringLiteral("C:/x/TORVIK.txt"));
    // Root may write /usr/bin, but a package's folder holds no user data.
    QCOMPARE(ChooseSheetPath(QStringLiteral("/usr/bin/torvik"), QStringLiteral("/home/u/data"),
                             [](const QString&) { return true; }),
             QStringLiteral("/home/u/data/torvik.txt"));
  }

  void benchNumbers() {
    QCOMPARE(BenchNumber(TimeValue::FromTenths(1234)), 761995);
    QCOMPARE(BenchNumber(TimeValue::FromTenths(0)), 0);
    QCOMPARE(BenchNumber(TimeValue::FromTenths(65535)), 2147450880);
    QCOMPARE(BenchNumber(TimeValue::FromTenths(65536)), -2147450880);  // the 32-bit sum wraps
    QCOMPARE(BenchNumber(TimeValue::FromTenths(-5)), 0);
    // The longest totals a sheet holds and beyond 2^32 tenths: the wrapped
    // sum, as the 32-bit accumulation gives it, never an overflow's.
    for (const int64_t n : {int64_t{999'999'999}, int64_t{4'294'967'296}, int64_t{15'000'000'000}}) {
      const unsigned __int128 sum = static_cast<unsigned __int128>(n) * static_cast<unsigned __int128>(n + 1) / 2;
      QCOMPARE(BenchNumber(TimeValue::FromTenths(n)), static_cast<int32_t>(static_cast<uint32_t>(sum)));
    }
    QCOMPARE(BenchNumber(TimeValue::FromTenths(999'999'999)), -1243309312);  // the probe's sheet showed it
  }

  void processorTypeSuffixes() {
    QCOMPARE(ProcessorTypeSuffix(0), QStringLiteral(" (Original OEM Processor)"));
    QCOMPARE(ProcessorTypeSuffix(1), QStringLiteral(" (OverDrive(r) Processor)"));
    QCOMPARE(ProcessorTypeSuffix(2), QStringLiteral(" (Dual Processor)"));
    QCOMPARE(ProcessorTypeSuffix(3), QString());
  }

  void numberFormats() {
    QCOMPARE(GeneralForm(20, u'.'), QStringLiteral("20"));
    QCOMPARE(GeneralForm(19.5, u'.'), QStringLiteral("19.5"));
    QCOMPARE(GeneralForm(450 / 19.5, u'.'), QStringLiteral("23.0769230769231"));
    QCOMPARE(GeneralForm(20480.0 / 35, u'.').left(6), QStringLiteral("585.14"));
    QCOMPARE(GeneralForm(1.5e-6, u'.'), QStringLiteral("1.5E-6"));
    QCOMPARE(GeneralForm(0.00002, u'.'), QStringLiteral("0.00002"));
    QCOMPARE(GeneralForm(19.5, u','), QStringLiteral("19,5"));
    QCOMPARE(FixedTwo(6.5, 6, u','), QStringLiteral("  6,50"));
    QCOMPARE(FixedTwo(2596.148, 4, u'.'), QStringLiteral("2596.15"));
    QCOMPARE(MemoryMegabytes(133'693'440), 128);  // 127.5 MB
    QCOMPARE(MemoryMegabytes(int64_t{24} * 1024 * 1024 * 1024), 24'577);
  }

  void dateLeavesOutMidnight() {
    QCOMPARE(ReportDate(QDateTime(QDate(2026, 12, 8), QTime(0, 0, 0)), QLocale::c()), QStringLiteral("8 Dec 2026"));
    QCOMPARE(ReportDate(QDateTime(QDate(2026, 12, 8), QTime(9, 3, 0)), QLocale::c()),
             QStringLiteral("8 Dec 2026 09:03:00"));
    QCOMPARE(ReportDate(QDateTime(QDate(2026, 12, 8), QTime(0, 0, 0)), QLocale(QLocale::Japanese)),
             QStringLiteral("2026/12/08"));
  }

  void ioErrorBoxTexts() {
    auto SheetErrorMessage = [](int error) { return IoError(IoCodeOfErrno(error)).BoxText(); };
    QCOMPARE(SheetErrorMessage(ENOENT), QStringLiteral("ﾌｧｲﾙが見つかりません."));
    QCOMPARE(SheetErrorMessage(ENOTDIR), QStringLiteral("不正なﾌｧｲﾙ名です."));
    QCOMPARE(SheetErrorMessage(ENAMETOOLONG), QStringLiteral("不正なﾌｧｲﾙ名です."));
    QCOMPARE(SheetErrorMessage(EMFILE), QStringLiteral("ｵｰﾌﾟﾝしたﾌｧｲﾙが多すぎます."));
    QCOMPARE(SheetErrorMessage(EACCES), QStringLiteral("ﾌｧｲﾙへのｱｸｾｽが拒否されました."));
    QCOMPARE(SheetErrorMessage(EROFS), QStringLiteral("ﾌｧｲﾙへのｱｸｾｽが拒否されました."));
    QCOMPARE(SheetErrorMessage(ENOSPC), QStringLiteral("ﾃﾞｨｽｸがいっぱいです."));
    QCOMPARE(SheetErrorMessage(EDQUOT), QStringLiteral("ﾃﾞｨｽｸがいっぱいです."));
    QCOMPARE(SheetErrorMessage(EISDIR), QStringLiteral("ﾌｧｲﾙではなくﾌｫﾙﾀﾞです."));
    QCOMPARE(SheetErrorMessage(ENOEXEC), QStringLiteral("I/O ｴﾗｰ (8)"));  // ends with ")": no full stop
    QCOMPARE(SheetErrorMessage(EWOULDBLOCK), QStringLiteral("I/O ｴﾗｰ (32)"));  // held by another process
    QCOMPARE(SheetErrorMessage(EIO), QStringLiteral("I/O ｴﾗｰ (1117)"));        // not 5, "access denied"
    QCOMPARE(IoError(kIoReadPastEnd).BoxText(), QStringLiteral("ﾌｧｲﾙの末尾以降を読み込みました."));
    // Every error box follows the rule, and a refusal keeps its own wording.
    QCOMPARE(TorvikError(QStringLiteral("'Drv' のﾃﾞｰﾀ型が不正です")).BoxText(),
             QStringLiteral("'Drv' のﾃﾞｰﾀ型が不正です."));
    QCOMPARE(RefusalError(QStringLiteral("計測を中止します。")).BoxText(), QStringLiteral("計測を中止します。"));
  }
};

QTEST_GUILESS_MAIN(ReportBuilderTest)
#include "test_report_builder.moc"
