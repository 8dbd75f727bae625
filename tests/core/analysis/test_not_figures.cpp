// Figures that are no figures: a NaN, an infinity, a zero, a negative or a
// text where a store keeps a test's seconds, rate or tenths (a damaged
// local file, a member's own INSERT into the shared store). Read back, the
// test is marked and holds none of them; the ranking, the trend and the
// report page leave it out with a note and never rank, average or draw it;
// the built program's --compare, --ranking and --export-csv print no
// "inf", "nan" or endless number.
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QtTest>

#include "ProgramRun.h"
#include "StoreAnswers.h"
#include "core/analysis/MachineRanking.h"
#include "core/analysis/MachineTrend.h"
#include "core/page/HtmlReport.h"
#include "core/page/ReportContents.h"
#include "core/store/ResultStore.h"

using namespace torvik;

namespace {

constexpr int64_t kTime = 1'800'000'000;

// A series of three Memory runs of `machine` around `seconds`.
std::vector<StoredRun> Series(const QString& machine, double seconds) {
  std::vector<StoredRun> series;
  for (int k = 0; k < 3; ++k) {
    StoredRun run;
    run.started = QDateTime::fromSecsSinceEpoch(kTime + k, Qt::UTC).toString(Qt::ISODate);
    run.sortTime = kTime + k + (machine == u"bad" ? 10 : 0);
    run.group = QStringLiteral("memory");
    run.pcName = machine;
    run.processor = QStringLiteral("Test CPU 3000MHz");
    run.series = machine;
    const double s = seconds * (0.99 + 0.01 * k);
    run.tests = {StoredTest{"memory", qRound64(s * 10), s, 2.139 / s, "GB/s", std::nullopt}};
    series.push_back(run);
  }
  return series;
}

// `good` (0.5 s) and `bad` (0.4 s, which would rank first), then `bad`'s
// `column` set to `value` past the store, as SQL of one's own would.
bool MakeStore(const QString& file, const QString& column, const QString& value) {
  {
    ResultStore store(file);
    for (const QString& machine : {QStringLiteral("good"), QStringLiteral("bad")}) {
      for (const StoredRun& run : Series(machine, machine == u"good" ? 0.5 : 0.4)) {
        if (!store.Record(run).Ok()) return false;
      }
    }
  }
  bool done = false;
  {
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("own"));
    db.setDatabaseName(file);
    QSqlQuery q(db);
    done = db.open() && q.exec(QStringLiteral("UPDATE tests SET %1 = %2 WHERE run_id IN "
                                              "(SELECT id FROM runs WHERE pc_name = 'bad')")
                                   .arg(column, value));
  }
  QSqlDatabase::removeDatabase(QStringLiteral("own"));
  return done;
}

// Whether any attribute of `html` holds "nan" or "inf".
bool NonFigureAttribute(const QByteArray& html) {
  static const QRegularExpression attribute(QStringLiteral("=\"[^\"]*\\b(nan|inf|infinity)\\b"),
                                            QRegularExpression::CaseInsensitiveOption);
  return attribute.match(QString::fromUtf8(html)).hasMatch();
}

}  // namespace

class NotFiguresTest : public QObject {
  Q_OBJECT

 private slots:
  void storedNonFiguresAreLeftOut_data() {
    QTest::addColumn<QString>("column");
    QTest::addColumn<QString>("value");
    QTest::newRow("seconds NaN (a text)") << "seconds"
                                          << "'NaN'";
    QTest::newRow("seconds 1e999") << "seconds"
                                   << "1e999";
    QTest::newRow("seconds -1e999") << "seconds"
                                    << "-1e999";
    QTest::newRow("seconds Infinity (a text)") << "seconds"
                                               << "'Infinity'";
    QTest::newRow("seconds zero") << "seconds"
                                  << "0";
    QTest::newRow("seconds negative") << "seconds"
                                      << "-0.4";
    QTest::newRow("seconds beyond any run") << "seconds"
                                            << "1e300";
    QTest::newRow("seconds no number") << "seconds"
                                       << "'fast'";
    QTest::newRow("rate NaN (a text)") << "rate"
                                       << "'nan'";
    QTest::newRow("rate 1e999") << "rate"
                                << "1e999";
    QTest::newRow("rate zero") << "rate"
                               << "0";
    QTest::newRow("rate negative") << "rate"
                                   << "-5.3";
    QTest::newRow("tenths negative") << "tenths"
                                     << "-4";
  }
  void storedNonFiguresAreLeftOut() {
    QFETCH(QString, column);
    QFETCH(QString, value);
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("results.sqlite"));
    QVERIFY(MakeStore(file, column, value));
    ResultStore store(file);
    const std::vector<StoredRun> runs = ValueOf(store.RunsWithTests(RunFilter{}, 100));
    QCOMPARE(runs.size(), size_t{6});
    for (const StoredRun& run : runs) {
      const StoredTest& test = run.tests.at(0);
      QCOMPARE(test.notAFigure, run.pcName == u"bad");
      QCOMPARE(test.Figures(), run.pcName == u"good");
      if (run.pcName == u"bad" && column != u"tenths") {
        QVERIFY(!(column == u"seconds" ? test.seconds : test.rate));  // read as none, never as NaN
      }
    }

    const std::vector<std::vector<StoredRun>> latest = ValueOf(store.LatestSeries(RunFilter{}, 100));
    const MachineRanking ranking = RankMachines(latest);
    QCOMPARE(ranking.machines.size(), size_t{2});
    QCOMPARE(ranking.machines.front().machine.name, QStringLiteral("good"));
    const RankedMachine& bad = ranking.machines.back();
    QCOMPARE(bad.machine.name, QStringLiteral("bad"));
    QVERIFY(!bad.overall);
    QVERIFY(!bad.figures.figures.contains(QStringLiteral("memory")));
    QCOMPARE(bad.notFigures, std::vector<QString>{QStringLiteral("memory")});
    QVERIFY(ranking.machines.front().notFigures.empty());

    const std::vector<MachineTrend> trends = PlanTrends(runs);
    for (const MachineTrend& trend : trends) {
      if (trend.machine != u"bad") continue;
      QVERIFY(trend.lines.empty());
      QCOMPARE(trend.notFigures, std::vector<QString>{QStringLiteral("memory")});
    }

    const QByteArray page = HtmlReport(ReportOfStore(runs, latest, {}));
    QVERIFY(!NonFigureAttribute(page));
    QVERIFY(!page.contains("+inf") && !page.contains("nan %"));
    QVERIFY(page.contains(QStringLiteral("値ではないため除外: Memory copy").toUtf8()));
  }

  // The built program on such a store: --compare and --ranking leave the
  // test out with a note, their JSON names it, the CSV has no such number.
  void commandLineLeavesThemOut() {
    QTemporaryDir data;
    QVERIFY(data.isValid() && QDir(data.path()).mkpath(QStringLiteral("Varn/TORVIK")));
    QVERIFY(MakeStore(data.filePath(QStringLiteral("Varn/TORVIK/results.sqlite")), QStringLiteral("seconds"),
                      QStringLiteral("1e999")));
    QProcessEnvironment locale;
    locale.insert(QStringLiteral("LANG"), QStringLiteral("C.UTF-8"));
    locale.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
    const auto torvik = [&data, &locale](const QStringList& arguments) {
      return RunProgram(QStringLiteral(TORVIK_BINARY), data, arguments, locale);
    };
    const QJsonArray runs = QJsonDocument::fromJson(torvik({"--history", "--format", "json"}).out).array();
    QCOMPARE(runs.size(), 6);
    QMap<QString, QString> idOf;
    for (const QJsonValue& run : runs) idOf[run["pc_name"].toString()] = QString::number(run["id"].toInt());

    const auto plain = [](const QByteArray& text) {
      const QByteArray lower = text.toLower();
      if (lower.contains("inf") || lower.contains("nan")) return false;
      for (const QByteArray& line : text.split('\n')) {
        if (line.size() > 200) return false;  // no 300-digit number
      }
      return true;
    };
    const Outcome compared = torvik({"--compare", idOf["good"], idOf["bad"]});
    QVERIFY2(compared.exitCode == 0, compared.err.constData());
    QVERIFY2(plain(compared.out), compared.out.constData());
    QVERIFY2(compared.out.contains("not a figure, left out: Memory copy (B)\n"), compared.out.constData());
    QVERIFY(compared.out.contains("(no test in common)"));

    const QJsonObject json =
        QJsonDocument::fromJson(torvik({"--compare", idOf["good"], idOf["bad"], "--format", "json"}).out).object();
    QCOMPARE(json["not_figures"]["a"].toArray(), QJsonArray());
    QCOMPARE(json["not_figures"]["b"].toArray(), QJsonArray({"memory"}));

    const Outcome ranking = torvik({"--ranking"});
    QVERIFY2(ranking.exitCode == 0, ranking.err.constData());
    QVERIFY2(plain(ranking.out), ranking.out.constData());
    const QList<QByteArray> lines = ranking.out.split('\n');
    QVERIFY2(lines.size() > 4 && lines[2].startsWith("  1  good "), ranking.out.constData());
    QVERIFY2(ranking.out.contains("\n    not a figure, left out: Memory copy\n"), ranking.out.constData());

    const QString csv = data.filePath(QStringLiteral("runs.csv"));
    QCOMPARE(torvik({"--export-csv", csv}).exitCode, 0);
    QFile file(csv);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray text = file.readAll();
    QVERIFY(text.contains(",memory,4,,"));  // the seconds left empty: no number
    QVERIFY2(!text.toLower().contains("inf") && !text.toLower().contains("nan"), text.constData());
  }
};

QTEST_GUILESS_MAIN(NotFiguresTest)
#include "test_not_figures.moc"
