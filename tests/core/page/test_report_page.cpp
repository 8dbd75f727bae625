// The report page: its SVG charts at real sizes in a generic font, verdicts
// drawn so that the noise is not read as a difference, old series folded,
// every text escaped; the page's sections counted; and the built program's
// --html on a store of its own, checked by a strict HTML parser and shown
// by a real headless browser (Debian's chromium) with its network
// namespace empty, its own log of requests read, its DOM counted and a
// screenshot taken. The parser and the browser are skipped, with the
// reason, where they are not installed (scripts/setup.sh --tests).
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QXmlStreamReader>
#include <QtTest>

#include "PointRuns.h"
#include "StoreAnswers.h"
#include "core/page/HtmlReport.h"
#include "core/page/MarkupText.h"
#include "core/page/PointCharts.h"
#include "core/page/ReportContents.h"
#include "core/page/SvgCharts.h"
#include "core/page/SvgElements.h"
#include "core/store/ResultStore.h"

using namespace torvik;

namespace {

int64_t runIds = 0;

StoredRun MemoryRun(const QString& machine, int64_t time, double seconds, const QString& series = {}) {
  StoredRun run;
  run.id = ++runIds;
  run.started = QDateTime::fromSecsSinceEpoch(time, Qt::UTC).toString(Qt::ISODate);
  run.sortTime = time;
  run.group = QStringLiteral("memory");
  run.pcName = machine;
  run.processor = QStringLiteral("Test CPU 3000MHz");
  run.memory = QStringLiteral("16384 MB");
  run.os = QStringLiteral("Linux 6.1 (Build 0: Debian GNU/Linux 12 (bookworm))");
  run.series = series;
  run.tests = {StoredTest{"memory", qRound64(seconds * 10), seconds, 2.139 / seconds, "GB/s", std::nullopt}};
  return run;
}

// Three repetitions around `seconds`, spread by 1 %.
std::vector<StoredRun> Series(const QString& machine, int64_t time, double seconds, const QString& name) {
  return {MemoryRun(machine, time, seconds * 0.99, name), MemoryRun(machine, time + 1, seconds, name),
          MemoryRun(machine, time + 2, seconds * 1.01, name)};
}

// An imported sheet's run: tenths only.
StoredRun SheetRun(const QString& machine, int64_t time, int64_t tenths) {
  StoredRun run = MemoryRun(machine, time, tenths / 10.0);
  run.origin = kOriginSheet;
  run.values.startedAt = run.started;  // its date read, as the store keeps it
  run.tests[0].seconds.reset();
  run.tests[0].rate.reset();
  return run;
}

StoredRun CpuRun(const QString& machine, int64_t time) {
  StoredRun run = MemoryRun(machine, time, 0.8);
  run.group = QStringLiteral("cpu");
  run.tests = {StoredTest{"prime", 8, 0.8, 5.7e8, "ops/s", std::nullopt},
               StoredTest{"trig", 39, 3.9, 3.1e7, "ops/s", std::nullopt}};
  return run;
}

void MarkNoisy(std::vector<StoredRun>& runs) {
  TestNoise shared;  // others used the processor all along
  shared.seconds = 1, shared.othersCoreSeconds = 1;
  for (StoredRun& run : runs) run.tests[0].noise = shared;
}

// The machines of the page: desk-a's memory series got 10 % faster (beyond
// the noise), desk-b's is within the noise of desk-a's latest and noisy, a
// lab PC (with markup and a placeholder in its name) has an imported
// sheet's tenths only, and desk-a ran the CPU group once.
constexpr int64_t kDay = 86'400, kStart = 1'800'000'000;
const QString kLab = QStringLiteral("lab <&> %1");

std::vector<std::vector<StoredRun>> FixedSeries() {
  std::vector<StoredRun> noisy = Series("desk-b", kStart + 2 * kDay, 0.5025, "b1");
  MarkNoisy(noisy);
  return {Series("desk-a", kStart, 0.55, "a1"),
          Series("desk-a", kStart + kDay, 0.50, "a2"),
          noisy,
          {SheetRun(kLab, kStart + 3 * kDay, 6)},
          {CpuRun("desk-a", kStart + 4 * kDay)}};
}

// Two machines' latest series of the groups of points: the duo with 2
// threads scaling perfectly and a curve to 256 MiB, the big one with 16
// scaling as threads^0.9 and a curve to 64 MiB.
std::vector<std::vector<StoredRun>> PointSeries() {
  using namespace point_runs;
  const std::vector<double> single = {1e8, 400, 1500, 1800, 3000};
  return {
      point_runs::Series("duo", "cores", kStart, "dc", [&](double j) { return CoresTests(2, single, 1.0, j); }),
      point_runs::Series("big", "cores", kStart, "bc", [&](double j) { return CoresTests(16, single, 0.9, j); }),
      point_runs::Series("duo", "ram", kStart, "dr", [](double j) { return RamTests(2, 10, 15, 256 << 20, 100, j); }),
      point_runs::Series("big", "ram", kStart, "br", [](double j) { return RamTests(16, 12, 60, 64 << 20, 80, j); }),
      point_runs::Series("duo", "drive", kStart, "dd", [](double j) { return DriveTests(1, j); }),
      point_runs::Series("big", "drive", kStart, "bd", [](double j) { return DriveTests(2, j); }),
  };
}

// The rankings of PointSeries, cores, ram and drive.
std::vector<MachineRanking> PointRankings() {
  std::vector<std::vector<StoredRun>> series = PointSeries();
  std::vector<StoredRun> runs;
  for (const auto& one : series) runs.insert(runs.end(), one.begin(), one.end());
  return ReportOfStore(runs, series, QStringLiteral("duo")).rankings;
}

// The root element's attributes of an SVG chart, and whether it is
// well-formed XML.
struct SvgRoot {
  QXmlStreamAttributes attributes;
  bool wellFormed = false;
};
SvgRoot ParseSvg(const QString& svg) {
  QXmlStreamReader reader(svg);
  SvgRoot root;
  while (reader.readNextStartElement() && root.attributes.isEmpty()) root.attributes = reader.attributes();
  while (!reader.atEnd()) reader.readNext();
  root.wellFormed = !reader.hasError();
  return root;
}

// Every SVG chart of a page, as cut out of it.
QStringList SvgsOf(const QString& page) {
  QStringList svgs;
  for (qsizetype at = page.indexOf(u"<svg "); at >= 0; at = page.indexOf(u"<svg ", at + 1)) {
    const qsizetype end = page.indexOf(u"</svg>", at);
    if (end < 0) break;
    svgs << page.mid(at, end + 6 - at);
  }
  return svgs;
}

// The chart of `page` named `title`; empty when there is none.
QString SvgTitled(const QString& page, const QString& title) {
  for (const QString& svg : SvgsOf(page)) {
    if (svg.contains(QRegularExpression(
            QStringLiteral("<title id=\"[^\"]+\">%1</title>").arg(QRegularExpression::escape(title)))))
      return svg;
  }
  return {};
}

// The characters a page may not hold as they are: C0 controls, DEL, C1
// controls, a lone surrogate and the two non-characters XML forbids.
bool HoldsForbidden(const QString& text) {
  for (qsizetype i = 0; i < text.size(); ++i) {
    const char16_t c = text[i].unicode();
    if (QChar::isHighSurrogate(c) && i + 1 < text.size() && QChar::isLowSurrogate(text[i + 1].unicode())) {
      ++i;
      continue;
    }
    if ((c < 0x20 && c != u'\n') || (c >= 0x7f && c <= 0x9f) || QChar::isSurrogate(c) || c == 0xfffe || c == 0xffff)
      return true;
  }
  return false;
}

// `series` with `mark` in every machine's name, processor and series name.
std::vector<std::vector<StoredRun>> Marked(std::vector<std::vector<StoredRun>> series, const QString& mark) {
  for (auto& one : series) {
    for (StoredRun& run : one) {
      run.pcName = run.pcName.left(2) + mark + run.pcName.mid(2);
      run.processor += mark;
      if (!run.series.isEmpty()) run.series += mark;
    }
  }
  return series;
}

// How often `pattern` matches in `text`.
int Count(const QString& text, const QString& pattern) {
  int count = 0;
  for (QRegularExpressionMatchIterator i = QRegularExpression(pattern).globalMatch(text); i.hasNext(); i.next())
    ++count;
  return count;
}

}  // namespace

class ReportPageTest : public QObject {
  Q_OBJECT

  QTemporaryDir scratch_;
  QString page_;  // the page the built program wrote

 private slots:
  void initTestCase() {
    QVERIFY(scratch_.isValid());
    qputenv("TZ", "UTC");
  }

  // Each kind of chart: px sizes and a viewBox to match, the generic font,
  // well-formed, the machine's markup escaped.
  void chartsHaveRealSizesAndAGenericFont_data() {
    QTest::addColumn<QString>("svg");
    std::vector<std::vector<StoredRun>> series = FixedSeries();
    std::vector<StoredRun> runs;
    for (const auto& one : series) runs.insert(runs.end(), one.begin(), one.end());
    const HtmlReportInput input = ReportOfStore(runs, {series[1], series[2], series[3]}, {});
    QTest::newRow("comparison") << ComparisonSvg(input.comparison.charts.at(0), true);
    QTest::newRow("ranking") << RankingSvg(input.rankings.at(0));
    QTest::newRow("trend") << TrendSvg(input.trends.back());  // the lab's
    const std::vector<MachineRanking> points = PointRankings();
    QTest::newRow("scaling") << ScalingSvg(points.at(0).machines.at(0).figures, "cores <&>");
    QTest::newRow("bandwidth") << BandwidthSvg(points.at(1));
    QTest::newRow("latency") << LatencySvg(points.at(1));
    QTest::newRow("drive") << DriveSvg(points.at(2));
  }
  void chartsHaveRealSizesAndAGenericFont() {
    QFETCH(QString, svg);
    const SvgRoot root = ParseSvg(svg);
    QVERIFY2(root.wellFormed, qPrintable(svg.left(400)));
    QCOMPARE(root.attributes.value("width").toString(), QStringLiteral("640"));
    const int height = root.attributes.value("height").toInt();
    QVERIFY(height > 40 && height < 4000);
    QCOMPARE(root.attributes.value("viewBox").toString(), QStringLiteral("0 0 640 %1").arg(height));
    QCOMPARE(root.attributes.value("font-family").toString(), QStringLiteral("sans-serif"));
    QVERIFY(!svg.contains(u"<&>") && !svg.contains(u"font-family=\"Arial"));
  }

  // The comparison's bars: a difference within the noise is a pale bar
  // with its words, a difference beyond it solid; an imported figure has
  // no error bar and says "tenths only"; the noisy bar carries the mark.
  void verdictsAreDrawnApart() {
    const std::vector<std::vector<StoredRun>> series = FixedSeries();
    const ComparisonPlan plan =
        PlanComparison({series[1], series[2], series[3], series[0]}, series[1].front().id, true);
    const QString svg = ComparisonSvg(plan.charts.at(0), true);
    const QStringList rows = svg.split(QStringLiteral("font-size=\"10\">"));  // a run's label starts its row
    QCOMPARE(rows.size(), 1 + 4);
    QVERIFY2(rows[1].contains(u"100.0 %  基準") && !rows[1].contains(u"fill-opacity"), qPrintable(rows[1]));
    QVERIFY2(rows[2].contains(u"fill-opacity=\"0.3\"") && rows[2].contains(u"誤差の範囲") && rows[2].contains(u">!<"),
             qPrintable(rows[2]));
    QCOMPARE(Count(rows[2], "<line "), 3);  // the spread and its two ends
    QVERIFY2(rows[3].contains(u"0.1秒単位のみ") && Count(rows[3], "<line ") == 0, qPrintable(rows[3]));
    QVERIFY2(rows[4].contains(u"-9.1 % 遅い") && !rows[4].contains(u"fill-opacity"), qPrintable(rows[4]));
  }

  // Seventy series of a machine: the newest forty drawn, the rest counted;
  // each change beyond the noise marked once.
  void trendFoldsOldSeries() {
    std::vector<StoredRun> runs;
    for (int i = 0; i < 70; ++i) {
      const double seconds = i == 65 ? 0.40 : 0.50;  // one step down, one back up
      for (const StoredRun& run : Series("desk", kStart + i * kDay, seconds, QStringLiteral("s%1").arg(i)))
        runs.push_back(run);
    }
    const std::vector<MachineTrend> trends = PlanTrends(runs);
    const QString svg = TrendSvg(trends.at(0));
    QVERIFY(ParseSvg(svg).wellFormed);
    const QRegularExpressionMatch line =
        QRegularExpression(QStringLiteral("<path d=\"M\\d+ \\d+l([^\"]*)\" fill=\"none\" stroke=\"#1f77b4\""))
            .match(svg);
    QCOMPARE(1 + Count(line.captured(1), "-?\\d+") / 2, 40);  // the first point, then a step (x, y) to each other
    QVERIFY(svg.contains(u"古い 30 シリーズは省略"));
    QCOMPARE(Count(svg, "M\\d+ \\d+l-4 7h8z"), 1 + 1);  // the legend's and 65's
    QCOMPARE(Count(svg, "M\\d+ \\d+l-4-7h8z"), 1 + 1);  // the legend's and 66's
  }

  // The charts of the groups of points on their scales: an axis of powers
  // of two or ten is a log axis, its ticks evenly apart; a linear one from
  // zero, its ticks evenly apart by value.
  void pointChartsHaveTheirScales_data() {
    QTest::addColumn<QString>("svg");
    QTest::addColumn<QString>("axis");
    QTest::addColumn<QStringList>("ticks");
    const std::vector<MachineRanking> points = PointRankings();
    const QString big = ScalingSvg(points.at(0).machines.at(0).figures, "big");
    QTest::newRow("threads") << big << "x-axis log2" << QStringList{"1", "2", "4", "8", "16"};
    QTest::newRow("speed-up") << big << "y-axis log2" << QStringList{"×1", "×2", "×4", "×8", "×16"};
    const QString latency = LatencySvg(points.at(1));
    QTest::newRow("working set") << latency << "x-axis log2"
                                 << QStringList{"4 KiB", "64 KiB", "1 MiB", "16 MiB", "256 MiB"};
    QTest::newRow("load time") << latency << "y-axis log10" << QStringList{"1 ns", "10 ns", "100 ns"};
    QTest::newRow("drive") << DriveSvg(points.at(2)) << "x-axis log10"
                           << QStringList{"10 MB/s", "100 MB/s", "1000 MB/s", "10000 MB/s"};
    QTest::newRow("bandwidth") << BandwidthSvg(points.at(1)) << "x-axis linear"
                               << QStringList{"0 GB/s", "50 GB/s", "100 GB/s"};
  }
  void pointChartsHaveTheirScales() {
    QFETCH(QString, svg);
    QFETCH(QString, axis);
    QFETCH(QStringList, ticks);
    const QRegularExpressionMatch group =
        QRegularExpression(QStringLiteral("<g class=\"%1\"[^>]*>(.*?)</g>").arg(axis)).match(svg);
    QVERIFY2(group.hasMatch(), qPrintable(axis));
    const bool horizontal = axis.startsWith(u'x');
    QStringList labels;
    std::vector<int> places;
    for (QRegularExpressionMatchIterator i =
             QRegularExpression(QStringLiteral("<text x=\"(\\d+)\" y=\"(\\d+)\"[^>]*>([^<]*)</text>"))
                 .globalMatch(group.captured(1));
         i.hasNext();) {
      const QRegularExpressionMatch tick = i.next();
      if (!ticks.contains(tick.captured(3))) continue;  // the axis's title
      labels << tick.captured(3);
      places.push_back(tick.captured(horizontal ? 1 : 2).toInt());
    }
    QCOMPARE(labels, ticks);
    for (size_t k = 2; k < places.size(); ++k) {
      QVERIFY2(std::abs((places[k] - places[k - 1]) - (places[1] - places[0])) <= 1, qPrintable(labels.join(u' ')));
    }
  }

  // The section of the groups of points: a scaling chart per cores
  // machine, the bandwidth and the latency with its levels for ram, the
  // drive's bars, and their tables (a workload's speed-up and efficiency, a
  // level's time and size, a drive row's IOPS, percentiles and engine).
  void pointSectionsHoldTheirCharts() {
    const std::vector<std::vector<StoredRun>> series = PointSeries();
    const QString page = QString::fromUtf8(HtmlReportOfSeries(series, std::nullopt, QStringLiteral("local"),
                                                              QDateTime(QDate(2027, 1, 20), QTime(9, 30), Qt::UTC)));
    QVERIFY(page.contains(u"<a href=\"#points\">"));
    const qsizetype start = page.indexOf(u"<section id=\"points\">");
    QVERIFY(start > 0);
    const QString section = page.mid(start, page.indexOf(u"</section>", start) - start);
    QCOMPARE(Count(section, "<svg "), 2 + 2 + 1);
    QCOMPARE(Count(section, "<polyline "), 2 * (1 + 5) + 2);  // the ideal and five workloads a machine; two curves
    QCOMPARE(Count(section, "<g class=\"levels\">"), 2);
    // The big machine's division: ×16^0.9 on 16 threads, 76 % of the ideal.
    QVERIFY(section.contains(u"<td class=\"n\">16</td><td class=\"n\">×12.13</td><td class=\"n\">76 %</td>"));
    QVERIFY(section.contains(u"<td class=\"n\">1.00 ns</td>"));
    QCOMPARE(Count(section, "<td>io_uring</td>"), 2 * 8);
    QCOMPARE(Count(section, "<td class=\"n\">80.0</td>"), 8);  // the duo's p50
    // Every other section keeps the chosen tests: no test at 16 threads.
    const QString rest = QString(page).remove(section);
    QVERIFY(!rest.contains(u"×16") && rest.contains(u"Division, all threads"));
    // Classic pages have no such section.
    QVERIFY(!QString::fromUtf8(HtmlReportOfSeries(FixedSeries(), std::nullopt, {}, {})).contains(u"#points"));
  }

  // The page of the window's ticked series: one document with its
  // sections, a chart per ranking, comparison group and trend, a table row
  // per machine and figure, nothing fetched, every name escaped.
  void pageHoldsEverySection() {
    const QString page =
        QString::fromUtf8(HtmlReportOfSeries(FixedSeries(), std::nullopt, QStringLiteral("postgresql://lab@db/torvik"),
                                             QDateTime(QDate(2027, 1, 20), QTime(9, 30), Qt::UTC)));
    QVERIFY(page.startsWith(u"<!DOCTYPE html>\n<html lang=\"ja\">"));
    QVERIFY(page.contains(u"<meta charset=\"utf-8\">") && page.contains(u"@media print"));
    QVERIFY(page.contains(u"作成日時: 2027-01-20 09:30:00") && page.contains(u"postgresql://lab@db/torvik"));
    for (const char* id : {"how", "machines", "ranking", "comparison", "trends", "noise"}) {
      QVERIFY2(page.contains(QStringLiteral("<section id=\"%1\">").arg(QLatin1String(id))), id);
    }
    // Rankings: cpu, memory; comparison: cpu, memory; trends: desk-a's
    // cpu and memory, desk-b's, the lab's.
    QCOMPARE(Count(page, "<svg "), 2 + 2 + 4);
    QCOMPARE(Count(page, "<tr>"), ExpectedRows(4));
    QVERIFY(page.contains(u"lab &lt;&amp;&gt; %1") && !page.contains(kLab));
    for (const char* fetched : {"<script", "<link", "src=", "url(", "@import", "http://", "https://"}) {
      const QString outside = QString(page).remove(QStringLiteral("xmlns=\"http://www.w3.org/2000/svg\""));
      QVERIFY2(!outside.contains(QLatin1String(fetched)), fetched);
    }
    QVERIFY(page.contains(u"<span class=\"within\">-0.5 % 誤差の範囲</span>"));  // desk-b in the ranking
  }

  // The one escaping of the page: markup escaped, the controls blank as
  // everywhere, what XML forbids besides replaced, a surrogate pair kept
  // whole.
  void markupTextEscapesAndReplaces_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expected");
    const QString bad = QString(QChar(kNotShown));
    const QString blank = QStringLiteral(" ");
    QTest::newRow("markup") << "a<b>&\"c'"
                            << "a&lt;b&gt;&amp;&quot;c&#39;";
    QTest::newRow("escape") << "desk\x1b[31m"
                            << "desk" + blank + "[31m";
    QTest::newRow("soh stx") << "\x01pc\x02" << blank + "pc" + blank;
    QTest::newRow("del") << "pc\x7f"
                         << "pc" + blank;
    QTest::newRow("c1") << QString("pc") + QChar(0x85) + QChar(0x9b) << "pc" + blank + blank;
    QTest::newRow("nul") << QString("p") + QChar(0) + "c"
                         << "p" + blank + "c";
    QTest::newRow("lines") << "a\tb\nc\rd"
                           << "a b c d";
    QTest::newRow("lone surrogate") << QString("a") + QChar(0xd83d) + "b"
                                    << "a" + blank + "b";
    QTest::newRow("non-characters") << QString(QChar(0xfffe)) + QChar(0xffff) << bad + bad;
    QTest::newRow("pair and wide") << QString::fromUtf8("机 \xf0\x9f\x96\xa5 é")
                                   << QString::fromUtf8("机 \xf0\x9f\x96\xa5 é");
  }
  void markupTextEscapesAndReplaces() {
    QFETCH(QString, text);
    QFETCH(QString, expected);
    QCOMPARE(MarkupText(text), expected);
  }

  // Names holding controls: every chart cut out of the page is well-formed
  // XML, and no such character is left anywhere on the page.
  void controlCharactersNeverReachThePage_data() {
    QTest::addColumn<QString>("mark");
    QTest::newRow("escape") << QStringLiteral("\x1b[1m");
    QTest::newRow("soh") << QStringLiteral("\x01");
    QTest::newRow("stx") << QStringLiteral("\x02");
    QTest::newRow("del") << QStringLiteral("\x7f");
    QTest::newRow("c1 csi") << QString(QChar(0x9b));
    QTest::newRow("lone surrogate") << QString(QChar(0xdc00));
    QTest::newRow("fffe") << QString(QChar(0xfffe));
  }
  void controlCharactersNeverReachThePage() {
    QFETCH(QString, mark);
    std::vector<std::vector<StoredRun>> series = Marked(FixedSeries(), mark);
    for (auto& one : Marked(PointSeries(), mark)) series.push_back(one);
    const QString page = QString::fromUtf8(HtmlReportOfSeries(series, std::nullopt, QStringLiteral("local") + mark,
                                                              QDateTime(QDate(2027, 1, 20), QTime(9, 30), Qt::UTC)));
    QVERIFY(!HoldsForbidden(page));
    const QStringList svgs = SvgsOf(page);
    QVERIFY(svgs.size() >= 2 + 2 + 4 + 5);  // the classic charts, and the points' at least
    for (const QString& svg : svgs) QVERIFY2(ParseSvg(svg).wellFormed, qPrintable(svg.left(300)));
  }

  // The same through a store and the built program: runs whose PC names,
  // processors and series hold ESC, SOH, STX and DEL, kept in a store of
  // the test's own; every chart of the page it writes parses as XML.
  void controlCharactersFromAStoreNeverReachThePage() {
    QTemporaryDir home;
    const QString data = home.filePath(QStringLiteral("data"));
    QVERIFY(QDir().mkpath(data + QStringLiteral("/Varn/TORVIK")));
    {
      ResultStore store(data + QStringLiteral("/Varn/TORVIK/results.sqlite"));
      for (const auto& series : Marked(FixedSeries(), QStringLiteral("\x1b[31m\x01\x02\x7f"))) {
        for (const StoredRun& run : series) QVERIFY_OK(store.Record(run));
      }
    }
    const QString path = home.filePath(QStringLiteral("page.html"));
    QProcess torvik;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("XDG_DATA_HOME"), data);
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), home.filePath(QStringLiteral("config")));
    environment.insert(QStringLiteral("HOME"), home.path());
    torvik.setProcessEnvironment(environment);
    torvik.start(QStringLiteral(TORVIK_BINARY), {"--html", path});
    QVERIFY(torvik.waitForFinished(60'000));
    QCOMPARE(torvik.exitCode(), 0);
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QString page = QString::fromUtf8(file.readAll());
    QVERIFY(!HoldsForbidden(page));
    QVERIFY(page.contains(QStringLiteral("de [31m")));  // the name kept, its controls blank
    const QStringList svgs = SvgsOf(page);
    QCOMPARE(svgs.size(), 2 + 2 + 4);
    for (const QString& svg : svgs) QVERIFY2(ParseSvg(svg).wellFormed, qPrintable(svg.left(300)));
  }

  // For a screen reader: every table has its caption and every head its
  // scope; every chart is an image named by its <title> and described by
  // a <desc> that says in words what it compares and its ends, both found
  // by the ids aria-labelledby names, unique on the page; and each chart
  // stands in its block that scrolls on a narrow screen.
  void pageIsReadAloud() {
    std::vector<std::vector<StoredRun>> series = FixedSeries();
    for (auto& one : PointSeries()) series.push_back(one);
    const QString page = QString::fromUtf8(HtmlReportOfSeries(series, std::nullopt, QStringLiteral("local"),
                                                              QDateTime(QDate(2027, 1, 20), QTime(9, 30), Qt::UTC)));
    QVERIFY(page.contains(u"<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">"));
    QCOMPARE(Count(page, "<table>"), Count(page, "<table><caption>[^<]+</caption>"));
    QVERIFY(Count(page, "<table>") > 10);
    QCOMPARE(Count(page, "<th"), Count(page, "<th scope=\"(col|row)\">"));
    const QStringList svgs = SvgsOf(page);
    QCOMPARE(Count(page, "<div class=\"chart\"><svg "), svgs.size());
    QSet<QString> ids;
    for (const QString& svg : svgs) {
      QXmlStreamReader reader(svg);
      QVERIFY(reader.readNextStartElement());
      const QXmlStreamAttributes root = reader.attributes();
      QCOMPARE(root.value("role").toString(), QStringLiteral("img"));
      const QStringList named = root.value("aria-labelledby").toString().split(u' ');
      QCOMPARE(named.size(), 2);
      QMap<QString, QString> texts;  // by element: title, desc
      for (int i = 0; i < 2 && reader.readNextStartElement(); ++i) {
        const QString element = reader.name().toString(), id = reader.attributes().value("id").toString();
        QCOMPARE(id, named[i]);
        texts[element] = reader.readElementText();
      }
      QVERIFY2(texts.contains("title") && texts.contains("desc"), qPrintable(svg.left(300)));
      QVERIFY(!texts["title"].isEmpty());
      // A sentence with figures in it, not a word.
      const QString& desc = texts["desc"];
      QVERIFY2(desc.size() > 40 && desc.contains(QRegularExpression("\\d")) && desc.contains(u"最も"),
               qPrintable(desc));
      for (const QString& id : named) {
        QVERIFY2(!ids.contains(id), qPrintable(id));
        ids.insert(id);
      }
    }
    // The ranking's words name its ends: desk-a (+0.0 %, the baseline) is
    // first, desk-b within the noise; the lab's tenths slowest.
    const QString ranking = SvgTitled(page, QStringLiteral("memory"));
    QVERIFY2(ranking.contains(QRegularExpression("<desc [^>]*>memory のランキング: 3 台のマシン.*最も速いのは desk-")),
             qPrintable(ranking.left(600)));
  }

  // A label is cut by its width at its font size, never by a count of
  // characters: a wide character counts double, a pair is never split, and
  // the whole name is in the label's <title> and in the table.
  void labelsAreElidedByWidth_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("cut");
    QTest::newRow("short") << QStringLiteral("desk-a") << false;
    QTest::newRow("5000 latin") << QString(5000, u'W') << true;
    QTest::newRow("wide") << QString(40, QChar(0x6a5f)) << true;  // 機 x 40: 440 px at 11 px
    QTest::newRow("emoji") << QString::fromUtf8("\xf0\x9f\x96\xa5").repeated(30) << true;
    QTest::newRow("latin that fits") << QString(20, u'a') << false;  // about 126 px
  }
  void labelsAreElidedByWidth() {
    QFETCH(QString, name);
    QFETCH(bool, cut);
    std::vector<std::vector<StoredRun>> series = FixedSeries();
    for (auto& one : series) {
      for (StoredRun& run : one) {
        if (run.pcName == u"desk-b") run.pcName = name, run.processor.clear();
      }
    }
    const QString page = QString::fromUtf8(HtmlReportOfSeries(series, std::nullopt, {}, {}));
    QVERIFY(page.contains(QStringLiteral("<td>") + MarkupText(name) +
                          QStringLiteral("<br>")));  // the ranking's table, whole
    const QString ranking = SvgTitled(page, QStringLiteral("memory"));
    // The ranking's label of the machine ("1. NAME" to "3. NAME", before its bar).
    QRegularExpressionMatch label;
    for (QRegularExpressionMatchIterator i =
             QRegularExpression(
                 QStringLiteral("<text x=\"180\" y=\"\\d+\" text-anchor=\"end\"[^>]*>(<title>([^<]*)</title>)?(\\d\\. "
                                "[^<]*)</text>"))
                 .globalMatch(ranking);
         i.hasNext();) {
      const QRegularExpressionMatch m = i.next();
      if (m.captured(3).mid(3).startsWith(MarkupText(name.left(4)))) label = m;
    }
    QVERIFY2(label.hasMatch(), qPrintable(ranking.left(1500)));
    const QString shown = label.captured(3);
    QCOMPARE(!label.captured(1).isEmpty(), cut);
    if (!cut) {
      QVERIFY(shown.endsWith(name));
      return;
    }
    QVERIFY(label.captured(2).endsWith(MarkupText(name)));
    QVERIFY(shown.endsWith(QChar(0x2026)));
    QVERIFY2(TextWidth(shown) <= 178 && TextWidth(shown) > 150, qPrintable(QString::number(TextWidth(shown))));
    QVERIFY(!HoldsForbidden(shown));  // no half of a pair
  }

  // The width estimate: a wide character a full em, a narrow one about
  // 0.57, a mark nothing; a cut keeps pairs whole and fits its width.
  void textWidthCountsWideDouble_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("width");
    QTest::newRow("latin") << QStringLiteral("abcd") << 4 * 11 * 0.573;
    QTest::newRow("kana") << QString::fromUtf8("ハードディスク") << 7 * 11.0;
    QTest::newRow("hangul") << QString::fromUtf8("한국") << 2 * 11.0;
    QTest::newRow("full-width") << QString::fromUtf8("ＡＢ") << 2 * 11.0;
    QTest::newRow("emoji") << QString::fromUtf8("\xf0\x9f\x98\x80") << 11.0;
    QTest::newRow("combining") << QString::fromUtf8("e\xcc\x81") << 11 * 0.573;
  }
  void textWidthCountsWideDouble() {
    QFETCH(QString, text);
    QFETCH(double, width);
    QVERIFY2(std::abs(TextWidth(text) - width) < 0.01, qPrintable(QString::number(TextWidth(text))));
    QVERIFY(std::abs(TextWidth(text, 22) - 2 * width) < 0.02);
    const QString cut = ElidedToWidth(text + text + text, width * 2);
    QVERIFY2(TextWidth(cut) <= width * 2 + 0.01, qPrintable(cut));
    QVERIFY(!HoldsForbidden(cut));
  }

  // The built program writes the page whole, and nothing else; a file it
  // cannot write is one line and exit 1, with no file left.
  void commandWritesTheWholePage() {
    const QString data = scratch_.filePath(QStringLiteral("data"));
    QVERIFY(QDir().mkpath(data + QStringLiteral("/Varn/TORVIK")));
    {
      ResultStore store(data + QStringLiteral("/Varn/TORVIK/results.sqlite"));
      for (const auto& series : FixedSeries()) {
        for (const StoredRun& run : series) QVERIFY_OK(store.Record(run));
      }
    }
    page_ = scratch_.filePath(QStringLiteral("report.html"));
    const auto torvik = [&](const QStringList& arguments, QByteArray& out, QByteArray& err,
                            const QString& language = QStringLiteral("ja")) {
      QProcess process;
      QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
      environment.insert(QStringLiteral("LANGUAGE"), language);
      environment.insert(QStringLiteral("XDG_DATA_HOME"), data);
      environment.insert(QStringLiteral("XDG_CONFIG_HOME"), scratch_.filePath(QStringLiteral("config")));
      environment.insert(QStringLiteral("HOME"), scratch_.path());
      process.setProcessEnvironment(environment);
      process.start(QStringLiteral(TORVIK_BINARY), arguments);
      if (!process.waitForFinished(60'000)) return -1;
      out = process.readAllStandardOutput(), err = process.readAllStandardError();
      return process.exitCode();
    };
    QByteArray out, err;
    QCOMPARE(torvik({"--html", page_}, out, err), 0);
    QVERIFY2(out.isEmpty() && err.isEmpty(), err.constData());
    const auto written = [this] {  // the file now there (a new one replaces it whole)
      QFile file(page_);
      return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
    };
    const QString page = written();
    QVERIFY(page.startsWith(u"<!DOCTYPE html>\n<html lang=\"ja\">"));
    QVERIFY(page.endsWith(u"</html>\n"));
    QCOMPARE(Count(page, "<svg "), 2 + 2 + 4);
    QCOMPARE(Count(page, "<tr>"), ExpectedRows(3));

    const QString missing = scratch_.filePath(QStringLiteral("no-such-folder/report.html"));
    QCOMPARE(torvik({"--html", missing}, out, err), 1);
    QVERIFY2(out.isEmpty() && err.count('\n') == 1 && err.startsWith("torvik: "), err.constData());
    QVERIFY(!QFile::exists(missing));
    QCOMPARE(torvik({"--html", page_, "--group", "cpu", "--baseline", "desk-a"}, out, err), 0);
    const QString cpuPage = written();
    QCOMPARE(Count(cpuPage, "<svg "), 1 + 1 + 1);  // the cpu group's ranking, comparison and trend
    // In English where the user's language is not Japanese, for the browser.
    QCOMPARE(torvik({"--html", page_}, out, err, QStringLiteral("en")), 0);
    const QString english = written();
    QVERIFY(english.startsWith(u"<!DOCTYPE html>\n<html lang=\"en\">") && english.contains(u"<h2>How to read</h2>"));

    // A strict HTML5 parser: any parse error fails.
    QString python;
    for (const QString& candidate : {QStringLiteral("python3"), QStringLiteral("/usr/bin/python3")}) {
      if (QProcess::execute(candidate, {"-c", "import html5lib"}) == 0) {
        python = candidate;
        break;
      }
    }
    if (python.isEmpty()) QSKIP("no python3 with html5lib (python3-html5lib): the page is not parsed");
    QProcess parser;
    parser.start(python,
                 {"-c",
                  "import sys, html5lib\n"
                  "html5lib.HTMLParser(strict=True).parse(open(sys.argv[1], 'rb'), transport_encoding='utf-8')\n",
                  page_});
    QVERIFY(parser.waitForFinished(60'000));
    QVERIFY2(parser.exitCode() == 0, parser.readAllStandardError().constData());
  }

  // The page in a real browser with no network: no request leaves it (the
  // browser's own log of requests, its own background services aside), its
  // DOM holds every chart and row, and a screenshot shows the charts.
  void browserShowsThePage() {
    if (page_.isEmpty() || !QFile::exists(page_)) QSKIP("the page was not written (commandWritesTheWholePage)");
    const QString chromium = QStandardPaths::findExecutable(QStringLiteral("chromium"));
    if (chromium.isEmpty()) QSKIP("chromium is not installed (scripts/setup.sh --tests): the page is not shown");
    // An empty network namespace where this user may make one (as root, or
    // mapped to root in a user namespace of its own); the browser's log of
    // requests is read in any case.
    QStringList isolation;
    for (const QStringList& candidate : {QStringList{"-n"}, QStringList{"-r", "-n"}}) {
      if (QProcess::execute(QStringLiteral("unshare"), candidate + QStringList{"true"}) == 0) {
        isolation = candidate;
        break;
      }
    }
    if (isolation.isEmpty()) qInfo("no network namespace of its own: the browser's log of requests alone is checked");
    const auto browse = [&](const QStringList& arguments, QByteArray& out, const QString& page = {},
                            QByteArray* err = nullptr) {
      QProcess process;
      QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
      environment.insert(QStringLiteral("HOME"), scratch_.path());
      environment.insert(QStringLiteral("XDG_CONFIG_HOME"), scratch_.filePath(QStringLiteral("browser-config")));
      environment.insert(QStringLiteral("XDG_CACHE_HOME"), scratch_.filePath(QStringLiteral("browser-cache")));
      process.setProcessEnvironment(environment);
      const QStringList common = {"--headless",
                                  "--no-sandbox",
                                  "--disable-gpu",
                                  "--no-first-run",
                                  "--disable-background-networking",
                                  "--disable-component-update",
                                  "--user-data-dir=" + scratch_.filePath(QStringLiteral("browser-profile"))};
      QStringList command =
          common + arguments + QStringList{QUrl::fromLocalFile(page.isEmpty() ? page_ : page).toString()};
      if (!isolation.isEmpty()) {
        process.start(QStringLiteral("unshare"), isolation + QStringList{chromium} + command);
      } else {
        process.start(chromium, command);
      }
      if (!process.waitForFinished(120'000)) return -1;
      out = process.readAllStandardOutput();
      if (err != nullptr) *err = process.readAllStandardError();
      return process.exitCode();
    };
    const QString netLog = scratch_.filePath(QStringLiteral("net-log.json"));
    QByteArray dom;
    QCOMPARE(browse({"--dump-dom", "--log-net-log=" + netLog}, dom), 0);
    QCOMPARE(Count(QString::fromUtf8(dom), "<svg "), 2 + 2 + 4);
    QCOMPARE(Count(QString::fromUtf8(dom), "<tr>"), ExpectedRows(3));

    QFile logFile(netLog);
    QVERIFY(logFile.open(QIODevice::ReadOnly));
    const QJsonObject log = QJsonDocument::fromJson(logFile.readAll()).object();
    const int startJob = log["constants"]["logEventTypes"]["URL_REQUEST_START_JOB"].toInt(-1);
    QVERIFY(startJob >= 0);
    QStringList fetched;
    for (const QJsonValue& event : log["events"].toArray()) {
      const QJsonObject params = event["params"].toObject();
      // The browser's own services start with no origin; the page's loads
      // have its origin ("null" for a file).
      if (event["type"].toInt() != startJob || !params.contains(u"url") ||
          params["initiator"].toString() == u"not an origin")
        continue;
      if (!params["url"].toString().startsWith(u"file:")) fetched << params["url"].toString();
    }
    QVERIFY2(fetched.isEmpty(), qPrintable(fetched.join(u' ')));

    const QString shot = scratch_.filePath(QStringLiteral("page.png"));
    QByteArray ignored;
    QCOMPARE(browse({"--screenshot=" + shot, "--window-size=1000,1400", "--hide-scrollbars"}, ignored), 0);
    QImage image(shot);
    QCOMPARE(image.size(), QSize(1000, 1400));
    int chartPixels = 0;  // the ranking's bars: faster in the first colour, slower in the second
    for (int y = 0; y < image.height(); y += 2) {
      for (int x = 0; x < image.width(); x += 2) {
        const QRgb pixel = image.pixel(x, y);
        chartPixels += pixel == qRgb(0x1f, 0x77, 0xb4) || pixel == qRgb(0xd6, 0x27, 0x28);
      }
    }
    QVERIFY2(chartPixels > 50, qPrintable(QString::number(chartPixels)));

    // A page of all three groups of points: its section's charts are in
    // the browser's document, and the page logs nothing to the console
    // (the browser's own log of the page's console, by its tag).
    const QString points = scratch_.filePath(QStringLiteral("points.html"));
    {
      QFile file(points);
      QVERIFY(file.open(QIODevice::WriteOnly));
      file.write(
          HtmlReportOfSeries(PointSeries(), std::nullopt, QStringLiteral("local"), QDateTime::currentDateTime()));
    }
    QByteArray pointsDom, console;
    QCOMPARE(browse({"--dump-dom", "--enable-logging=stderr", "--v=0"}, pointsDom, points, &console), 0);
    const QString shown = QString::fromUtf8(pointsDom);
    const qsizetype start = shown.indexOf(u"<section id=\"points\">");
    QVERIFY2(start > 0, pointsDom.left(400).constData());
    const QString section = shown.mid(start, shown.indexOf(u"</section>", start) - start);
    QCOMPARE(Count(section, "<svg "), 2 + 2 + 1);
    QCOMPARE(Count(section, "<polyline "), 2 * (1 + 5) + 2);
    QVERIFY2(!console.contains(":CONSOLE("), console.constData());
  }

 private:
  // Machines 1 + 3; rankings cpu 1 + 1, memory 1 + 3; the comparison's cpu
  // chart 1 + 1, its memory chart 1 + the memory series compared (a series
  // has rows only in its group's chart); trends: desk-a's cpu 1 + 2, each
  // memory trend 1 + 1; noise 1 + 1 (desk-b's figure).
  static int ExpectedRows(int memoryCompared) { return 4 + 2 + 4 + 2 + (1 + memoryCompared) + 3 + 2 + 2 + 2 + 2; }
};

QTEST_GUILESS_MAIN(ReportPageTest)
#include "test_report_page.moc"
