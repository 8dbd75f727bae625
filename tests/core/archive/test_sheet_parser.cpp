// Reading result sheets back: blocks written by this program's own report
// builder, every line combination, LF and CR LF, UTF-8 and Shift_JIS; and
// what is skipped: malformed and cut-off blocks.
#include <QStringEncoder>
#include <QtTest>

#include "core/records/SheetDate.h"
#include "core/archive/SheetParser.h"
#include "core/report/ReportBuilder.h"
#include "core/report/ResultSheet.h"
#include "core/results/Timing.h"
#include "core/run/RunState.h"

using namespace torvik;

namespace {

RunRecord Machine() {
  RunRecord run;
  run.userName = QStringLiteral("山田 花子");
  run.pcName = QStringLiteral("ベンチ機");
  run.machine.testDirectory.path = QStringLiteral("/home/hanako/");
  run.machine.os = QStringLiteral("Linux 6.18 (Build 44: Debian GNU/Linux 12 (bookworm))");
  run.machine.processor.vendor = QStringLiteral("GenuineIntel");
  run.machine.processor.name = QStringLiteral("Pentium III");
  run.machine.processor.clockMhz = 498.674;
  run.machine.processor.l2Cache = true;
  run.machine.processor.l2Kb = 512;
  return run;
}

// A block with these tests at these tenths, its total their sum.
QStringList Block(std::initializer_list<std::pair<Test, int64_t>> times, bool stopped = false) {
  RunRecord run = Machine();
  int64_t total = 0;
  for (const auto& [test, tenths] : times) {
    run.results[test].elapsed = TimeValue::FromTenths(tenths);
    total += tenths;
  }
  run.results.Total() = TimeValue::FromTenths(total);
  SheetInputs sheet;
  sheet.locale = QLocale::c();
  sheet.now = QDateTime(QDate(2026, 12, 8), QTime(14, 5, 9));
  for (const auto& [test, tenths] : times)
    sheet.captions[LabelOf(test)] = FormatSeconds(TimeValue::FromTenths(tenths), u'.');
  sheet.captions[ResultLabel::KAll] = FormatSeconds(TimeValue::FromTenths(total), u'.');
  sheet.stopFlag = stopped ? kStopRequested : 0;
  return BuildReport(run, sheet);
}

QByteArray Lf(const QStringList& lines) { return (lines.join(u'\n') + u'\n').toUtf8(); }

std::map<QString, int64_t> Tenths(const StoredRun& run) {
  std::map<QString, int64_t> tenths;
  for (const StoredTest& test : run.tests) tenths[test.test] = test.tenths;
  return tenths;
}

const std::initializer_list<std::pair<Test, int64_t>> kEverything = {
    {Test::Calc, 8},    {Test::Trig, 39},    {Test::Square, 49}, {Test::Circle, 50}, {Test::Triangle, 80},
    {Test::Text, 114},  {Test::Scroll, 227}, {Test::Memory, 35}, {Test::Write1, 52}, {Test::Write2, 65},
    {Test::Write3, 78}, {Test::Read1, 4},    {Test::Read2, 3},   {Test::Read3, 4},   {Test::Mix, 15}};

}  // namespace

class SheetParserTest : public QObject {
  Q_OBJECT

 private slots:
  void blocksOfEveryGroup_data() {
    QTest::addColumn<QStringList>("block");
    QTest::addColumn<QString>("group");
    QTest::addColumn<int>("tests");
    QTest::newRow("cpu") << Block({{Test::Calc, 8}, {Test::Trig, 39}}) << "cpu" << 2;
    QTest::newRow("graphic")
        << Block({{Test::Square, 49}, {Test::Circle, 50}, {Test::Triangle, 80}, {Test::Text, 114}, {Test::Scroll, 227}})
        << "graphic" << 5;
    QTest::newRow("memory") << Block({{Test::Memory, 35}}) << "memory" << 1;
    QTest::newRow("hdd") << Block({{Test::Write1, 52},
                                   {Test::Write2, 65},
                                   {Test::Write3, 78},
                                   {Test::Read1, 4},
                                   {Test::Read2, 3},
                                   {Test::Read3, 4}})
                         << "hdd" << 6;
    QTest::newRow("all") << Block(kEverything) << "all" << 15;
    // The sheet prints no disk times unless both writes and reads ran.
    QTest::newRow("writes only") << Block({{Test::Write1, 52}}) << "mixed" << 0;
    QTest::newRow("nothing ran") << Block({}) << "mixed" << 0;
  }
  void blocksOfEveryGroup() {
    QFETCH(QStringList, block);
    QFETCH(QString, group);
    QFETCH(int, tests);
    for (const QByteArray& bytes : {Lf(block), SheetBytes(block)}) {  // LF and CR LF
      const ParsedSheet sheet = ParseSheet(bytes, QDateTime::currentDateTime());
      QCOMPARE(sheet.unreadable, 0);
      QCOMPARE(sheet.runs.size(), size_t{1});
      const StoredRun& run = sheet.runs[0];
      QCOMPARE(run.group, group);
      QCOMPARE(int(run.tests.size()), tests);
      QCOMPARE(run.origin, kOriginSheet);
      QCOMPARE(run.pcName, QStringLiteral("ベンチ機"));
      QCOMPARE(run.started, QStringLiteral("8 Dec 2026 14:05:09"));
      QCOMPARE(run.sortTime, QDateTime(QDate(2026, 12, 8), QTime(14, 5, 9)).toSecsSinceEpoch());
    }
  }

  void timesAndTotals() {
    const ParsedSheet sheet = ParseSheet(Lf(Block(kEverything)), QDateTime::currentDateTime());
    const StoredRun& run = sheet.runs.at(0);
    const std::map<QString, int64_t> tenths = Tenths(run);
    QCOMPARE(tenths.at("scroll"), 227);
    QCOMPARE(tenths.at("write60"), 78);
    QCOMPARE(tenths.at("read50"), 3);
    QCOMPARE(tenths.at("mix"), 15);
    QCOMPARE(run.totalTenths, 823);
    QCOMPARE(run.benchNo, std::optional<int32_t>(339'076));
    QVERIFY(!run.stopped);
    QVERIFY(!run.tests[0].seconds);  // a sheet has tenths only
    QCOMPARE(run.processor, QStringLiteral("GenuineIntel Pentium III 498.67MHz"));
    QCOMPARE(run.testDirectory, QStringLiteral("/home/hanako/"));
    const ParsedSheet stopped = ParseSheet(Lf(Block({{Test::Calc, 8}}, true)), QDateTime::currentDateTime());
    QVERIFY(stopped.runs.at(0).stopped);
    QVERIFY(!stopped.runs.at(0).benchNo);
  }

  void shiftJisSheets() {
    QStringEncoder encoder("Shift_JIS");
    QVERIFY(encoder.isValid());
    const QByteArray bytes = encoder.encode(QString::fromUtf8(SheetBytes(Block({{Test::Calc, 8}}))));
    QVERIFY(bytes != SheetBytes(Block({{Test::Calc, 8}})));  // not UTF-8
    const ParsedSheet sheet = ParseSheet(bytes, QDateTime::currentDateTime());
    QCOMPARE(sheet.runs.at(0).userName, QStringLiteral("山田 花子"));
  }

  void badBlocksAreSkippedAndCounted() {
    QStringList noDate = Block({{Test::Calc, 8}});
    noDate.removeAt(1);
    QStringList badTime = Block({{Test::Calc, 8}});
    badTime.replaceInStrings(QStringLiteral("0.8sec"), QStringLiteral("fast"));
    QStringList cut = Block({{Test::Trig, 39}});
    cut = cut.mid(0, 8);  // the file ends inside the block
    const QByteArray sheet = "some notes before\n" + Lf(noDate) + Lf(Block({{Test::Memory, 35}})) + Lf(badTime) +
                             Lf(Block({{Test::Memory, 35}})) + Lf(cut);
    const ParsedSheet parsed = ParseSheet(sheet, QDateTime::currentDateTime());
    QCOMPARE(parsed.runs.size(), size_t{2});
    QCOMPARE(parsed.unreadable, 3);
    // Blocks alike to the letter (repetitions in one second) are two runs;
    // the same sheet read again gives the same keys.
    QVERIFY(parsed.runs[0].sheetKey != parsed.runs[1].sheetKey);
    const ParsedSheet again = ParseSheet(sheet, QDateTime::currentDateTime());
    QCOMPARE(again.runs[1].sheetKey, parsed.runs[1].sheetKey);
  }

  // A number no run can show makes its block unreadable, not a wrong run.
  void absurdNumbersMakeABlockUnreadable_data() {
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("replacement");
    QTest::newRow("a time of 10^26 seconds")
        << "   Prime  Calc   :   0.8sec" << "   Prime  Calc   : 99999999999999999999999999.9sec";
    QTest::newRow("a total beyond 64 bits")
        << "   Sum    Total  :   0.8sec" << "   Sum    Total  : 9223372036854775807.9sec";
    QTest::newRow("a negative bench number") << "   Bench No      : 36" << "   Bench No      : -5";
    QTest::newRow("a bench number beyond 32 bits") << "   Bench No      : 36" << "   Bench No      : 99999999999";
    QTest::newRow("a bench number its total does not give") << "   Bench No      : 36" << "   Bench No      : 37";
    // 0.7 s with the bench number 0.7 s gives, over tests that add up to 0.8 s.
    QTest::newRow("a total below the sum of its times")
        << "   Sum    Total  :   0.8sec\n   Bench No      : 36" << "   Sum    Total  :   0.7sec\n   Bench No      : 28";
  }
  void absurdNumbersMakeABlockUnreadable() {
    QFETCH(QString, line);
    QFETCH(QString, replacement);
    QStringList block = Block({{Test::Calc, 8}});
    const QStringList lines = line.split(u'\n'), replacements = replacement.split(u'\n');
    for (qsizetype i = 0; i < lines.size(); ++i) {
      QVERIFY(block.contains(lines[i]));
      block.replaceInStrings(lines[i], replacements[i]);
    }
    const ParsedSheet parsed = ParseSheet(Lf(block), QDateTime::currentDateTime());
    QCOMPARE(parsed.runs.size(), size_t{0});
    QCOMPARE(parsed.unreadable, 1);
  }

  // Each block in its own encoding: a sheet begun on the old Japanese code
  // page and continued in UTF-8.
  void aSheetInTwoEncodings() {
    QStringEncoder shiftJis("Shift_JIS");
    const QByteArray sheet = shiftJis.encode(QString::fromUtf8(SheetBytes(Block({{Test::Calc, 8}})))) +
                             SheetBytes(Block({{Test::Trig, 39}}));
    const ParsedSheet parsed = ParseSheet(sheet, QDateTime::currentDateTime());
    QCOMPARE(parsed.runs.size(), size_t{2});
    for (const StoredRun& run : parsed.runs) QCOMPARE(run.userName, QStringLiteral("山田 花子"));
  }

  // Every locale the window speaks writes the date its own way (ReportDate);
  // each reads back in its century, two-digit years from 70 years before
  // today to 29 after; the window's home locales also when another
  // machine's locale is asked first.
  void datesReadBackInTheirCentury_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QLocale>("writer");
    QTest::addColumn<QDateTime>("expected");
    const QDateTime kWritten[] = {
        {QDate(2026, 12, 9), QTime(2, 6, 32)},    {QDate(1956, 1, 1), QTime(0, 0, 0)},
        {QDate(2055, 12, 31), QTime(23, 59, 59)}, {QDate(2000, 2, 29), QTime(14, 0, 5)},
        {QDate(1999, 12, 31), QTime(12, 0, 0)},
    };
    QList<QLocale> locales = QLocale::matchingLocales(QLocale::English, QLocale::AnyScript, QLocale::AnyTerritory);
    locales << QLocale(QLocale::Japanese, QLocale::Japan) << QLocale::c();
    const QList<QLocale> home = {QLocale(QLocale::Japanese, QLocale::Japan),
                                 QLocale(QLocale::English, QLocale::UnitedStates),
                                 QLocale(QLocale::English, QLocale::UnitedKingdom), QLocale::c()};
    for (const QLocale& locale : locales) {
      for (const QDateTime& when : kWritten) {
        const QString text = ReportDate(when, locale);
        const QByteArray name = (locale.name() + u' ' + when.toString(Qt::ISODate)).toUtf8();
        QTest::newRow(name.constData()) << text << locale << when;
        if (home.contains(locale))
          QTest::newRow((name + " elsewhere").constData()) << text << QLocale(QLocale::German) << when;
      }
    }
    const QDateTime none;
    QTest::newRow("as written in en_US") << "12/9/26 2:06:32 AM" << QLocale::c()
                                         << QDateTime(QDate(2026, 12, 9), QTime(2, 6, 32));
    QTest::newRow("70 years back and one more") << "12/31/55" << QLocale(QLocale::English, QLocale::UnitedStates)
                                                << QDateTime(QDate(2055, 12, 31), QTime(0, 0, 0));
    QTest::newRow("no date") << "the eighth of December" << QLocale::c() << none;
    QTest::newRow("no such day") << "2/30/26" << QLocale(QLocale::English, QLocale::UnitedStates) << none;
  }
  void datesReadBackInTheirCentury() {
    QFETCH(QString, text);
    QFETCH(QLocale, writer);
    QFETCH(QDateTime, expected);
    const std::optional<QDateTime> read = SheetDate(text, writer, QDate(2026, 12, 9));
    QCOMPARE(read.value_or(QDateTime()), expected);
  }
};

QTEST_GUILESS_MAIN(SheetParserTest)
#include "test_sheet_parser.moc"
