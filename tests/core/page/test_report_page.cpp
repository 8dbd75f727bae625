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
#include "core/page/PointCharts.h"
#include "core/page/ReportContents.h"
#include "core/page/SvgCharts.h"
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
