#include "cli/StoreCommands.h"

#include <QCoreApplication>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <cmath>
#include <cstdio>
#include <map>

#include "cli/CommandOutput.h"
#include "cli/StoreReports.h"
#include "core/base/TimeValue.h"
#include "core/history/ComparisonFigures.h"
#include "core/history/CsvExport.h"
#include "core/history/FileConnection.h"
#include "core/history/RunComparison.h"
#include "core/history/SheetImport.h"
#include "core/history/StoreLocation.h"
#include "core/report/JsonReport.h"
#include "core/report/OutputFile.h"
#include "core/report/ReportBuilder.h"
#include "core/results/Timing.h"

namespace torvik {
namespace {

constexpr int kPage = 1'000;

// Whether this PC's store has been made (by a run kept or a sheet
// imported): before that a read or a send finds nothing, and makes nothing.
bool HasLocalStore(RunArchive& archive) { return FileConnection::Exists(archive.Local().Path()); }

}  // namespace

int PrintHistory(ResultStore& store, OutputFormat format, const RunFilter& filter) {
  if (!store.Open()) return StoreFailed(store);
  QJsonArray json;
  QByteArray text = QStringLiteral("%1  %2  %3  %4  %5  %6  %7  %8\n")
                        .arg(QStringLiteral("id"), 6)
                        .arg(QStringLiteral("date"), -25)
                        .arg(QStringLiteral("group"), -7)
                        .arg(QStringLiteral("pc"), -12)
                        .arg(QStringLiteral("bench no"), 10)
                        .arg(QStringLiteral("total"), 9)
                        .arg(QStringLiteral("origin"), -7)
                        .arg(QStringLiteral("processor"))
                        .toUtf8();
  std::optional<RunKey> after;
  for (;;) {
    const std::vector<StoredRun> runs = store.Runs(kPage, filter, after);
    if (!store.Error().isEmpty()) {
      return StoreFailed(store, QT_TRANSLATE_NOOP("StoreCommands", "計測結果を読めません"));
    }
    // The tests of the page's runs, for their noise flags in JSON.
    std::map<int64_t, std::vector<StoredTest>> tests;
    if (format == OutputFormat::Json && !runs.empty()) {
      std::vector<int64_t> ids;
      for (const StoredRun& run : runs) ids.push_back(run.id);
      for (StoredRun& run : store.RunsWithTests(ids)) tests[run.id] = std::move(run.tests);
      if (!store.Error().isEmpty())
        return StoreFailed(store, QT_TRANSLATE_NOOP("StoreCommands", "計測結果を読めません"));
    }
    for (const StoredRun& run : runs) {
      const QString total = FormatSeconds(TimeValue::FromTenths(run.totalTenths), u'.').trimmed();
      const QString bench = run.benchNo ? QString::number(*run.benchNo) : QStringLiteral("Bench Stop");
      if (format == OutputFormat::Json) {
        QJsonArray shared, moved;
        for (const StoredTest& test : tests[run.id]) {
          if (test.noise && test.noise->SharedProcessor()) shared.append(test.test);
          if (test.noise && test.noise->ClockMoved()) moved.append(test.test);
        }
        json.append(QJsonObject{
            {"id", double(run.id)},
            {"started", run.started},
            {"started_at", run.values.startedAt.isEmpty() ? QJsonValue() : QJsonValue(run.values.startedAt)},
            {"series", run.series.isEmpty() ? QJsonValue() : QJsonValue(run.series)},
            {"noise", QJsonObject{{"shared_processor", shared}, {"clock_moved", moved}}},
            {"group", run.group},
            {"pc_name", run.pcName},
            {"host_name", run.hostName},
            {"user_name", run.userName},
            {"processor", run.processor},
            {"processor_name", run.values.processorName},
            {"clock_mhz", run.values.clockMhz ? QJsonValue(*run.values.clockMhz) : QJsonValue()},
            {"bench_no", run.benchNo ? QJsonValue(*run.benchNo) : QJsonValue()},
            {"total_tenths", double(run.totalTenths)},
            {"total_seconds", run.totalSeconds ? QJsonValue(*run.totalSeconds) : QJsonValue()},
            {"stopped", run.stopped},
            {"origin", run.origin}});
      } else {
        // Put together, not through arg(): a "%2" in a name stays text. Every
        // name on one line: a line break in a name cannot forge a row.
        const QStringList cells = {QString::number(run.id).rightJustified(6),
                                   OneLine(run.started).leftJustified(25),
                                   OneLine(run.group).leftJustified(7),
                                   OneLine(run.MachineName()).leftJustified(12),
                                   bench.rightJustified(10),
                                   total.rightJustified(9),
                                   OneLine(run.origin).leftJustified(7),
                                   OneLine(run.processor)};
        text += (cells.join(QStringLiteral("  ")) + u'\n').toUtf8();
      }
    }
    if (static_cast<int>(runs.size()) < kPage) break;
    after = RunKey{runs.back().sortTime, runs.back().id};
  }
  PrintOut(format == OutputFormat::Json ? QJsonDocument(json).toJson(QJsonDocument::Indented) : text);
  return 0;
}

int ImportSheets(ResultStore& store, const QStringList& files) {
  if (!store.Open()) return StoreFailed(store);
  const ImportSummary summary = ImportSheetFiles(store, files, QDateTime::currentDateTime());
  for (const QString& problem : summary.problems) {
    std::fprintf(stderr, "torvik: %s\n", problem.toLocal8Bit().constData());
  }
  PrintOut(ImportMessage(ImportSummary{summary.imported, summary.present, summary.unreadable, {}}).toUtf8() + '\n');
  return summary.problems.isEmpty() ? 0 : kCommandFailed;
}

int ExportCsv(ResultStore& store, const QString& path) {
  if (!store.Open()) return StoreFailed(store);
  const std::vector<StoredRun> runs = store.RunsWithTests({});
  if (!store.Error().isEmpty()) return StoreFailed(store, QT_TRANSLATE_NOOP("StoreCommands", "計測結果を読めません"));
  if (const QString error = WriteOutput(path, CsvOfRuns(runs)); !error.isEmpty()) {
    std::fprintf(stderr, "torvik: cannot write %s\n", error.toLocal8Bit().constData());
    return kCommandFailed;
  }
  return 0;
}

namespace {

QString VerdictText(Verdict verdict) {
  switch (verdict) {
    case Verdict::Faster: return QStringLiteral("faster");
    case Verdict::Slower: return QStringLiteral("slower");
    case Verdict::WithinNoise: return QStringLiteral("within the noise");
    case Verdict::NotTested: break;
  }
  return QStringLiteral("single run, not tested");
}

// How much faster B is than A, in percent: + faster, as every figure of
// TORVIK's comparisons says it (difference_percent stays the time's).
double FasterPercentOf(const TestComparison& c) { return c.b.mean > 0 ? (c.a.mean / c.b.mean - 1) * 100 : 0; }

QJsonObject StatisticsObject(const Statistics& s) {
  return QJsonObject{{"mean", s.mean}, {"stdev", SpreadJson(s, s.stdev)}, {"cv", SpreadJson(s, s.cv)}, {"min", s.min},
                     {"max", s.max},   {"repetitions", s.count}};
}

// "#12 2026-12-08T18:42:44+00:00 cpu bench-pc, AuthenticAMD AMD EPYC, 3 repetitions"
QString SideLine(const std::vector<StoredRun>& side) {
  const StoredRun& run = side.front();
  // One arg() for all: a "%2" in a name stays text; control characters blank.
  return QStringLiteral("#%1 %2 %3 %4, %5, %6 repetition(s)")
      .arg(QString::number(run.id), OneLine(run.values.startedAt.isEmpty() ? run.started : run.values.startedAt),
           OneLine(run.group), OneLine(run.MachineName().isEmpty() ? QStringLiteral("-") : run.MachineName()),
           OneLine(run.values.processorName), QString::number(side.size()));
}

// Whether A and B are repetitions of one command: each side is then that
// whole series, compared with itself.
bool SameSeries(const std::vector<StoredRun>& a, const std::vector<StoredRun>& b) {
  return !a.front().series.isEmpty() && a.front().series == b.front().series && a.front().group == b.front().group;
}

QJsonObject SideObject(const std::vector<StoredRun>& side) {
  QJsonArray ids;
  for (const StoredRun& run : side) ids.append(double(run.id));
  const StoredRun& run = side.front();
  return QJsonObject{{"id", double(run.id)},
                     {"runs", ids},
                     {"started", run.values.startedAt.isEmpty() ? QJsonValue() : QJsonValue(run.values.startedAt)},
                     {"group", run.group},
                     {"pc_name", run.pcName},
                     {"processor", run.values.processorName}};
}

}  // namespace

int SyncStores(RunArchive& archive, OutputFormat format) {
  const bool kept = HasLocalStore(archive);
  const SyncResult sync = kept ? archive.SendWaiting() : SyncResult{};
  const bool failed = !sync.error.isEmpty();
  // Every run set aside so far, each with why: they go no more on their own.
  const std::vector<StoredRun> setAside = kept ? archive.Local().SetAsideRuns() : std::vector<StoredRun>{};
  if (format == OutputFormat::Json) {
    QJsonArray aside;
    for (const StoredRun& run : setAside) aside.append(QJsonObject{{"id", double(run.id)}, {"reason", run.sendProblem}});
    PrintOut(QJsonDocument(QJsonObject{{"sent", sync.sent},
                                       {"waiting", sync.waiting},
                                       {"failed", failed ? sync.waiting : 0},
                                       {"set_aside", aside},
                                       {"reason", failed ? QJsonValue(sync.error) : QJsonValue()}})
                 .toJson(QJsonDocument::Indented));
  } else {
    PrintOut(QStringLiteral("%1 run(s) sent, %2 waiting, %3 set aside\n")
                 .arg(sync.sent)
                 .arg(sync.waiting)
                 .arg(setAside.size())
                 .toUtf8());
  }
  for (const StoredRun& run : setAside) {
    std::fprintf(stderr, "torvik: run %lld set aside, the shared store would not take it: %s\n",
                 static_cast<long long>(run.id), OneLine(run.sendProblem).toLocal8Bit().constData());
  }
  if (failed) std::fprintf(stderr, "torvik: %s\n", sync.error.toLocal8Bit().constData());
  return failed || !sync.setAside.isEmpty() ? kCommandFailed : 0;
}

int UpgradeStore(ResultStore& shared) {
  if (!shared.Open()) return StoreFailed(shared);
  if (!shared.Advice().isEmpty()) {
    std::fprintf(stderr, "torvik: %s\n", shared.Advice().toLocal8Bit().constData());
    return kCommandFailed;
  }
  const int found = shared.FoundVersion();
  const QString said = found == kStoreSchemaVersion
                           ? QStringLiteral("schema %1, this TORVIK's").arg(found)
                           : found == 0 ? QStringLiteral("made, schema %1").arg(kStoreSchemaVersion)
                                        : QStringLiteral("upgraded from schema %1 to %2").arg(found).arg(kStoreSchemaVersion);
  PrintOut(QStringLiteral("%1: %2\n").arg(ShownLocation(shared.Path()), said).toUtf8());
  return 0;
}

int PrintComparison(ResultStore& store, int64_t a, int64_t b, OutputFormat format) {
  if (!store.Open()) return StoreFailed(store);
  const std::vector<std::vector<StoredRun>> sides = store.SeriesOf(std::vector<int64_t>{a, b});
  if (!store.Error().isEmpty()) return StoreFailed(store, QT_TRANSLATE_NOOP("StoreCommands", "計測結果を読めません"));
  const std::vector<StoredRun>&sideA = sides[0], &sideB = sides[1];
  for (const auto& [id, side] : {std::pair{a, &sideA}, std::pair{b, &sideB}}) {
    if (side->empty()) {
      std::fprintf(stderr, "torvik: no run %lld in the results store (torvik --history lists them)\n",
                   static_cast<long long>(id));
      return kCommandFailed;
    }
  }
  const std::vector<TestComparison> tests = CompareRuns(sideA, sideB);
  if (format == OutputFormat::Json) {
    QJsonArray rows;
    for (const TestComparison& c : tests) {
      rows.append(QJsonObject{
          {"test", c.test},
          {"a", StatisticsObject(c.a)},
          {"b", StatisticsObject(c.b)},
          {"difference_percent", c.differencePercent},
          {"faster_percent", FasterPercentOf(c)},
          {"verdict", VerdictId(c.verdict)},
          {"welch_t", c.t && std::isfinite(*c.t) ? QJsonValue(*c.t) : QJsonValue()},
          {"degrees_of_freedom", c.degreesOfFreedom ? QJsonValue(*c.degreesOfFreedom) : QJsonValue()},
          {"noisy", c.noisy},
      });
    }
    const QJsonObject document{
        {"a", SideObject(sideA)}, {"b", SideObject(sideB)}, {"same_series", SameSeries(sideA, sideB)}, {"tests", rows}};
    PrintOut(QJsonDocument(document).toJson(QJsonDocument::Indented));
    return 0;
  }
  QString text = QStringLiteral("A: %1\nB: %2\n").arg(SideLine(sideA), SideLine(sideB));
  if (SameSeries(sideA, sideB)) {
    text += QStringLiteral("A and B are repetitions of one command: both sides are that series, compared with itself.\n");
  }
  text += u'\n';
  text += QStringLiteral("%1  %2  %3  %4  %5\n")
              .arg(QStringLiteral("test"), -16)
              .arg(QStringLiteral("A (s)"), 10)
              .arg(QStringLiteral("B (s)"), 10)
              .arg(QStringLiteral("B faster"), 9)
              .arg(QStringLiteral("verdict (Welch's t, 95 %)"));
  for (const TestComparison& c : tests) {
    const TestEntry& entry = EntryOf(*TestOfId(c.test));
    text += QStringLiteral("%1  %2  %3  %4  %5%6\n")
                .arg(QLatin1String(entry.displayName), -16)
                .arg(c.a.mean, 10, 'f', 4)
                .arg(c.b.mean, 10, 'f', 4)
                .arg(FasterText(FasterPercentOf(c)), 9)
                .arg(VerdictText(c.verdict), c.noisy ? QStringLiteral(" (noisy)") : QString());
  }
  if (tests.empty()) text += QStringLiteral("(no test in common)\n");
  PrintOut(text.toUtf8());
  return 0;
}

int RunStoreCommand(const CommandLine& command, RunArchive& archive) {
  using Action = CommandLine::Action;
  ResultStore& store = archive.Compared();
  // Reads make no store: before this PC has one, they read an empty one.
  ResultStore empty(FileConnection::InMemory());
  ResultStore& read = archive.HasSharedStore() || HasLocalStore(archive) ? store : empty;
  switch (command.action) {
    case Action::History: return PrintHistory(read, command.run.format, command.filter);
    case Action::Import: return ImportSheets(store, command.files);
    case Action::ExportCsv: return ExportCsv(read, command.files.first());
    case Action::Compare: return PrintComparison(read, command.runs[0], command.runs[1], command.run.format);
    case Action::Trend: return PrintTrends(read, command.run.format, command.filter);
    case Action::Ranking: return PrintRankings(read, command.run.format, command.filter, command.baseline);
    case Action::Html: return WriteHtmlReport(read, command.files.first(), command.filter, command.baseline);
    case Action::Sync:
    case Action::UpgradeStore:
      if (!archive.HasSharedStore()) {
        std::fputs(
            "torvik: no shared store: --store URL, or Url in the [Store] group of ~/.config/Varn/TORVIK.conf\n",
            stderr);
        return kCommandRefused;
      }
      return command.action == Action::Sync ? SyncStores(archive, command.run.format) : UpgradeStore(store);
    case Action::Window:
    case Action::Run:
    case Action::Help:
    case Action::Version:
    case Action::UsageError: break;
  }
  return kCommandFailed;
}

}  // namespace torvik
