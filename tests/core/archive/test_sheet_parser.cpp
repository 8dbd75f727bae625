// Reading result sheets back: blocks written by this program's own report
// builder, every line combination, LF and CR LF, UTF-8 and Shift_JIS; and
// what is skipped: malformed and cut-off blocks.
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QtTest>
#include <ctime>

#include "StoreAnswers.h"
#include "core/analysis/MachineTrend.h"
#include "core/page/HtmlReport.h"
#include "core/page/ReportContents.h"
#include "core/archive/SheetImport.h"
#include "core/archive/SheetParser.h"
#include "core/records/RunDate.h"
#include "core/records/SheetDate.h"
#include "core/report/ReportBuilder.h"
#include "core/report/ResultSheet.h"
#include "core/report/SheetLabels.h"
#include "core/results/Timing.h"
#include "core/run/RunState.h"
#include "core/store/ResultStore.h"

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

// A block with these tests at these tenths, as the report builder writes
// it in `locale`: its total their sum, or `counted` where the group counted
// less (the reads of a disk pass it was stopped in).
QStringList Block(std::initializer_list<std::pair<Test, int64_t>> times, bool stopped = false,
                  std::optional<int64_t> counted = std::nullopt, const QLocale& locale = QLocale::c()) {
  RunRecord run = Machine();
  int64_t total = 0;
  for (const auto& [test, tenths] : times) {
    run.results[test].elapsed = TimeValue::FromTenths(tenths);
    total += tenths;
  }
  total = counted.value_or(total);
  run.results.Total() = TimeValue::FromTenths(total);
  SheetInputs sheet;
  sheet.locale = locale;
  sheet.now = QDateTime(QDate(2026, 12, 8), QTime(14, 5, 9));
  const QChar point = locale.decimalPoint().front();
  for (const auto& [test, tenths] : times)
    sheet.captions[LabelOf(test)] = FormatSeconds(TimeValue::FromTenths(tenths), point);
  sheet.captions[ResultLabel::KAll] = FormatSeconds(TimeValue::FromTenths(total), point);
  sheet.stopFlag = stopped ? kStopRequested : 0;
  return BuildReport(run, sheet);
}

// `block` with its date line's text replaced.
QStringList Dated(QStringList block, const QString& date) {
  for (QString& line : block) {
    if (line.startsWith(QLatin1String(sheet::kDate))) line = QLatin1String(sheet::kDate) + date;
  }
  return block;
}

QByteArray Lf(const QStringList& lines) { return (lines.join(u'\n') + u'\n').toUtf8(); }

std::map<QString, int64_t> Tenths(const StoredRun& run) {
  std::map<QString, int64_t> tenths;
  for (const StoredTest& test : run.tests) tenths[test.test] = test.tenths;
  return tenths;
}

// The probe's block: 99,999,999.9 s over 4.3 s of tests, with the bench
// number that total gives.
QStringList ForgedBlock() {
  QStringList forged = Block({{Test::Calc, 8}, {Test::Trig, 35}});
  forged.replaceInStrings(QStringLiteral("   Sum    Total  :   4.3sec"),
                          QStringLiteral("   Sum    Total  : 99999999.9sec"));
  forged.replaceInStrings(
      QStringLiteral("   Bench No      : 946"),
      QStringLiteral("   Bench No      : %1").arg(BenchNumber(TimeValue::FromTenths(999'999'999))));
  return forged;
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

  // Sheets this program writes whose total is not plainly the sum of the
  // lines: each imports, with its total.
  void everySheetTheProgramWritesImports_data() {
    QTest::addColumn<QStringList>("block");
    QTest::addColumn<qint64>("total");
    QTest::addColumn<bool>("stopped");
    const std::initializer_list<std::pair<Test, int64_t>> disk = {{Test::Write1, 52}, {Test::Write2, 65},
                                                                  {Test::Write3, 78}, {Test::Read1, 4},
                                                                  {Test::Read2, 3},   {Test::Read3, 4}};
    // Stopped after the third pass's writes: the reads shown are the first
    // two passes', which the total never took.
    QTest::newRow("stopped before the last reads") << Block(disk, true, 195) << qint64(195) << true;
    // The reads failed: no disk lines, the writes in the total, their
    // average on its own line.
    QTest::newRow("writes whose reads failed")
        << Block({{Test::Calc, 8}, {Test::Write1, 52}, {Test::Write2, 65}, {Test::Write3, 79}}) << qint64(204) << false;
    QTest::newRow("writes whose reads failed, a decimal comma")
        << Block({{Test::Write1, 52}, {Test::Write2, 65}, {Test::Write3, 79}}, false, std::nullopt,
                 QLocale(QLocale::German))
        << qint64(196) << false;
    // Over 6553.5 s: the bench number's 32-bit sum wraps, as it always has.
    QTest::newRow("a slow machine's ALL, its bench number wrapped")
        << Block({{Test::Calc, 8}, {Test::Scroll, 70'000}, {Test::Memory, 35}}) << qint64(70'043) << false;
    QTest::newRow("a stopped group") << Block({{Test::Calc, 8}}, true) << qint64(8) << true;
  }
  void everySheetTheProgramWritesImports() {
    QFETCH(QStringList, block);
    QFETCH(qint64, total);
    QFETCH(bool, stopped);
    const ParsedSheet sheet = ParseSheet(Lf(block), QDateTime::currentDateTime());
    QCOMPARE(sheet.unreadable, 0);
    QVERIFY(sheet.refused.empty());
    QCOMPARE(sheet.runs.size(), size_t{1});
    QCOMPARE(sheet.runs[0].totalTenths, total);
    QCOMPARE(sheet.runs[0].stopped, stopped);
    if (!stopped) QCOMPARE(*sheet.runs[0].benchNo, BenchNumber(TimeValue::FromTenths(total)));
  }

  // A Sum Total that is not the sum of the block's times (the bench number
  // the one that total gives, so only the sum can tell): refused and named.
  void totalsThatAreNotTheSumAreRefused_data() {
    QTest::addColumn<QStringList>("block");
    QTest::addColumn<qint64>("total");
    QTest::addColumn<qint64>("sum");
    const auto forged = [](QStringList block, int64_t total) {
      for (QString& line : block) {
        if (line.startsWith(QLatin1String(sheet::kSumTotal)))
          line = QLatin1String(sheet::kSumTotal) + FormatSeconds(TimeValue::FromTenths(total), u'.');
        if (line.startsWith(QLatin1String(sheet::kBenchNo)) && !line.endsWith(u"Stop"))
          line = QLatin1String(sheet::kBenchNo) + QString::number(BenchNumber(TimeValue::FromTenths(total)));
      }
      return block;
    };
    const auto cpu = Block({{Test::Calc, 8}, {Test::Trig, 35}});
    QTest::newRow("99,999,999.9 s over 4.3 s of tests")
        << forged(cpu, 999'999'999) << qint64(999'999'999) << qint64(43);
    QTest::newRow("a tenth over") << forged(cpu, 44) << qint64(44) << qint64(43);
    QTest::newRow("a tenth under") << forged(cpu, 42) << qint64(42) << qint64(43);
    QTest::newRow("stopped, beyond what it shows")
        << forged(Block({{Test::Calc, 8}}, true), 9'000) << qint64(9'000) << qint64(8);
    QTest::newRow("writes whose reads failed, a total beyond their average")
        << forged(Block({{Test::Write1, 52}, {Test::Write2, 65}, {Test::Write3, 79}}), 400) << qint64(400)
        << qint64(196);
  }
  void totalsThatAreNotTheSumAreRefused() {
    QFETCH(QStringList, block);
    QFETCH(qint64, total);
    QFETCH(qint64, sum);
    const QByteArray bytes = "notes\n" + Lf(Block({{Test::Memory, 35}})) + Lf(block);
    const ParsedSheet sheet = ParseSheet(bytes, QDateTime::currentDateTime());
    QCOMPARE(sheet.runs.size(), size_t{1});  // the good block before it
    QCOMPARE(sheet.unreadable, 1);
    QCOMPARE(sheet.refused.size(), size_t{1});
    const RefusedTotal& refused = sheet.refused[0];
    QCOMPARE(refused.line, qint64(2 + Block({{Test::Memory, 35}}).size()));
    QCOMPARE(refused.date, QStringLiteral("8 Dec 2026 14:05:09"));
    QCOMPARE(refused.totalTenths, total);
    QCOMPARE(refused.sumTenths, sum);
  }

  // Through the import: the block named in the summary, the rest kept.
  void importNamesARefusedBlock() {
    QTemporaryDir dir;
    const QStringList forged = ForgedBlock();
    const QString path = dir.filePath(QStringLiteral("sheet.txt"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(SheetBytes(Block({{Test::Memory, 35}})) + SheetBytes(forged));
    file.close();
    ResultStore store(dir.filePath(QStringLiteral("results.sqlite")));
    const ImportSummary summary = ImportSheetFiles(store, {path}, QDateTime::currentDateTime());
    QCOMPARE(summary.imported, 1);
    QCOMPARE(summary.unreadable, 1);
    QVERIFY(summary.problems.isEmpty());
    QCOMPARE(summary.refused.size(), 1);
    for (const QString& part :
         {path, QStringLiteral(" %1 ").arg(Block({{Test::Memory, 35}}).size() + 1),
          QStringLiteral("8 Dec 2026 14:05:09"), QStringLiteral("99999999.9sec"), QStringLiteral("4.3sec")}) {
      QVERIFY2(summary.refused[0].contains(part), qPrintable(summary.refused[0] + QStringLiteral(" / ") + part));
    }
    QVERIFY(ImportMessage(summary).contains(summary.refused[0]));

    // A sheet of many: the first ones named, the rest counted.
    QByteArray many;
    for (int i = 0; i < 25; ++i) many += SheetBytes(ForgedBlock());
    const ParsedSheet parsed = ParseSheet(many, QDateTime::currentDateTime());
    QCOMPARE(parsed.unreadable, 25);
    QCOMPARE(parsed.refused.size(), kMostListedRefusals);
    QCOMPARE(parsed.refusedBeyond, 25 - int(kMostListedRefusals));
  }

  // A date that names no moment: the block is kept, undated, at time 0,
  // never at the moment of the import.
  void undatableBlocksAreKeptUndated_data() {
    QTest::addColumn<QString>("date");
    QTest::addColumn<QByteArray>("zone");
    QTest::addColumn<bool>("dated");
    QTest::newRow("29 February of a common year") << "29 Feb 2025 12:00:00" << QByteArray("UTC") << false;
    QTest::newRow("a leap second") << "31 Dec 2016 23:59:60" << QByteArray("UTC") << false;
    QTest::newRow("24:00") << "8 Dec 2026 24:00:00" << QByteArray("UTC") << false;
    QTest::newRow("the hour the clocks skipped in Berlin")
        << "29 Mar 2026 02:30:00" << QByteArray("Europe/Berlin") << false;
    QTest::newRow("the hour before it") << "29 Mar 2026 01:30:00" << QByteArray("Europe/Berlin") << true;
    QTest::newRow("that hour in Tokyo") << "29 Mar 2026 02:30:00" << QByteArray("Asia/Tokyo") << true;
    QTest::newRow("no date at all") << "the eighth of December" << QByteArray("UTC") << false;
  }
  void undatableBlocksAreKeptUndated() {
    QFETCH(QString, date);
    QFETCH(QByteArray, zone);
    QFETCH(bool, dated);
    const QByteArray before = qgetenv("TZ");
    qputenv("TZ", zone);
    tzset();
    const ParsedSheet sheet = ParseSheet(Lf(Dated(Block({{Test::Calc, 8}}), date)), QDateTime::currentDateTime());
    const std::optional<QDateTime> when = SheetDate(date);
    const int64_t seconds = when ? when->toSecsSinceEpoch() : 0;  // in that zone
    qputenv("TZ", before);
    tzset();
    QCOMPARE(sheet.runs.size(), size_t{1});
    const StoredRun& run = sheet.runs[0];
    QCOMPARE(run.started, date);
    QCOMPARE(run.Undated(), !dated);
    QCOMPARE(run.values.startedAt.isEmpty(), !dated);
    QCOMPARE(bool(when), dated);
    QCOMPARE(run.sortTime, seconds);
    QCOMPARE(StartedText(run), dated ? date : DateUnknownText());
  }

  // In the store: an undated block (one an older TORVIK kept at the moment
  // of its import too) is in no date filter and not the latest series of
  // its machine while it has a dated one; it stays in the list.
  void undatedBlocksStayOutOfDatesAndLatest() {
    QTemporaryDir dir;
    ResultStore store(dir.filePath(QStringLiteral("results.sqlite")));
    const QDateTime now = QDateTime::currentDateTime();
    ParsedSheet sheet = ParseSheet(Lf(Block({{Test::Calc, 8}, {Test::Trig, 35}})) +
                                       Lf(Dated(Block({{Test::Calc, 9}, {Test::Trig, 36}}), "29 Feb 2025 12:00:00")),
                                   now);
    QCOMPARE(sheet.runs.size(), size_t{2});
    StoredRun older = sheet.runs[1];  // as an older TORVIK kept it: at the import's moment
    older.sheetKey += QStringLiteral("-older");
    older.sortTime = now.toSecsSinceEpoch();
    sheet.runs.push_back(older);
    QCOMPARE(ValueOf(store.Import(sheet.runs)).imported, 3);
    QCOMPARE(ValueOf(store.RunsWithTests(RunFilter{}, 10)).size(), size_t{3});
    RunFilter aroundTheImport;  // --since and --until around it
    aroundTheImport.from = now.toSecsSinceEpoch() - 3'600;
    aroundTheImport.to = now.toSecsSinceEpoch() + 3'600;
    QCOMPARE(ValueOf(store.RunsWithTests(aroundTheImport, 10)).size(), size_t{0});
    RunFilter ever;
    ever.from = 0;
    ever.to = now.addYears(1).toSecsSinceEpoch();
    const std::vector<StoredRun> dated = ValueOf(store.RunsWithTests(ever, 10));
    QCOMPARE(dated.size(), size_t{1});
    QVERIFY(!dated[0].Undated());
    const std::vector<std::vector<StoredRun>> latest = ValueOf(store.LatestSeries(RunFilter{}, 10));
    QCOMPARE(latest.size(), size_t{1});
    QCOMPARE(latest[0].at(0).tests.at(0).tenths, 8);  // the dated block, though older than the import
    const std::vector<MachineTrend> trends = PlanTrends(ValueOf(store.RunsWithTests(RunFilter{}, 10)));
    QCOMPARE(trends.size(), size_t{1});
    QCOMPARE(trends[0].seriesCount, size_t{1});
    QCOMPARE(trends[0].undatedRuns, size_t{2});

    // The page: the trend says what it left out; a machine whose every
    // block is undated has its date unknown, never 1970.
    const std::vector<StoredRun> all = ValueOf(store.RunsWithTests(RunFilter{}, 10));
    const QString page = QString::fromUtf8(HtmlReport(ReportOfStore(all, latest, {})));
    QVERIFY(page.contains(QStringLiteral("日付不明の取り込み 2 件は推移に含めていません。")));
    std::vector<StoredRun> undated;
    for (const StoredRun& run : all) {
      if (run.Undated()) undated.push_back(run);
    }
    QCOMPARE(undated.size(), size_t{2});
    const QString undatedPage = QString::fromUtf8(HtmlReport(ReportOfStore(undated, {undated}, {})));
    QVERIFY(undatedPage.contains(QStringLiteral("<td>%1</td></tr>").arg(DateUnknownText())));
    QVERIFY(!undatedPage.contains(QStringLiteral("1970-01-01")));
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
