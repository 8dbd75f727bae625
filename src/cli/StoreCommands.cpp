#include "cli/StoreCommands.h"

#include <QCoreApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>

#include "cli/CommandOutput.h"
#include "core/analysis/FigureWords.h"
#include "core/analysis/PointSelection.h"
#include "core/archive/ArchiveExports.h"
#include "core/archive/ArchiveReads.h"
#include "core/archive/ArchiveWrites.h"
#include "core/base/TimeValue.h"
#include "core/records/RunDate.h"
#include "core/records/StoreLocation.h"
#include "core/report/JsonReport.h"
#include "core/results/Timing.h"
#include "core/run/TerminationWatcher.h"

namespace torvik {
namespace {

constexpr int kPage = 1'000;

QJsonObject HistoryObject(const StoredRun& run, const std::vector<StoredTest>& tests) {
  QJsonArray shared, moved;
  for (const StoredTest& test : tests) {
    if (test.noise && test.noise->SharedProcessor()) shared.append(test.test);
    if (test.noise && test.noise->ClockMoved()) moved.append(test.test);
  }
  return QJsonObject{{"id", double(run.id)},
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
                     {"origin", run.origin}};
}

// Put together, not through arg(): a "%2" in a name stays text. Every
// name on one line: a line break in a name cannot forge a row.
QString HistoryLine(const StoredRun& run) {
  // A group of points has no bench number and no total: its figures are rates.
  const std::optional<Group> group = GroupOfId(run.group);
  const bool points = group && EntryOf(*group).points;
  const QString total =
      points ? QStringLiteral("-") : FormatSeconds(TimeValue::FromTenths(run.totalTenths), u'.').trimmed();
  const QString bench = points               ? (run.stopped ? QStringLiteral("Stop") : QStringLiteral("-"))
                        : run.benchNo        ? QString::number(*run.benchNo)
                                             : QStringLiteral("Bench Stop");
  const QStringList cells = {QString::number(run.id).rightJustified(6),
                             OneLine(StartedText(run)).leftJustified(25),
                             OneLine(run.group).leftJustified(7),
                             OneLine(run.MachineName()).leftJustified(12),
                             bench.rightJustified(10),
                             total.rightJustified(9),
                             OneLine(run.origin).leftJustified(7),
                             OneLine(run.processor)};
  return cells.join(QStringLiteral("  ")) + u'\n';
}

QJsonArray CompareTestIds(const std::vector<QString>& tests) {
  QJsonArray ids;
  for (const QString& test : tests) ids.append(test);
  return ids;
}

QJsonObject StatisticsObject(const Statistics& s) {
  return QJsonObject{{"mean", s.mean}, {"stdev", SpreadJson(s, s.stdev)}, {"cv", SpreadJson(s, s.cv)}, {"min", s.min},
                     {"max", s.max},   {"repetitions", s.count}};
}

// "#12 2026-12-08T18:42:44+00:00 cpu bench-pc, AuthenticAMD AMD EPYC, 3 repetitions"
QString SideLine(const std::vector<StoredRun>& side) {
  const StoredRun& run = side.front();
  // One arg() for all: a "%2" in a name stays text; control characters blank.
  return QStringLiteral("#%1 %2 %3 %4, %5, %6 repetition(s)")
      .arg(QString::number(run.id), OneLine(run.values.startedAt.isEmpty() ? StartedText(run) : run.values.startedAt),
           OneLine(run.group), OneLine(run.MachineName().isEmpty() ? QStringLiteral("-") : run.MachineName()),
           OneLine(run.values.processorName), QString::number(side.size()));
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

// A group of points compared by its rates in their units (a latency as
// the time of a load), which its points are measured in: one row per point
// and per all-thread figure.
QString PointComparisonText(const ComparedSeries& compared) {
  const ComparedRun a = FiguresOf(compared.a), b = FiguresOf(compared.b);
  int width = 16;
  for (const TestComparison& c : compared.tests) width = std::max(width, int(InfoOf(c.test).displayName.size()));
  QString text = QStringLiteral("%1  %2  %3  %4  %5\n")
                     .arg(QStringLiteral("test"), -width)
                     .arg(QStringLiteral("A"), 14)
                     .arg(QStringLiteral("B"), 14)
                     .arg(QStringLiteral("B faster"), 9)
                     .arg(QStringLiteral("verdict (Welch's t, 95 %)"));
  const auto rate = [](const ComparedRun& side, const TestInfo& info) {
    const auto found = side.figures.find(info.id);
    return found == side.figures.end() ? QStringLiteral("-") : RateInUnitText(found->second.rate, info.unit);
  };
  for (const TestComparison& c : compared.tests) {
    const TestInfo info = InfoOf(c.test);
    const QString verdict =
        c.verdict == Verdict::NotTested ? QStringLiteral("single run, not tested") : VerdictWords(c.verdict);
    text += QStringLiteral("%1  %2  %3  %4  %5%6\n")
                .arg(info.displayName, -width)
                .arg(rate(a, info), 14)
                .arg(rate(b, info), 14)
                .arg(FasterText(c.fasterPercent.value_or(0)), 9)
                .arg(verdict, c.noisy ? QStringLiteral(" (noisy)") : QString());
  }
  return text;
}

// "not a figure, left out: Prime Calc (A), Trig Calc (B)\n": the tests a
// side holds no figure for; nothing when there are none.
QString NotFiguresText(const ComparedSeries& compared) {
  QStringList left;
  for (const auto& [side, name] : {std::pair{&compared.a, "A"}, std::pair{&compared.b, "B"}}) {
    for (const QString& test : NotFiguresOf(*side))
      left << InfoOf(test).displayName + QStringLiteral(" (%1)").arg(name);
  }
  return left.isEmpty() ? QString()
                        : QStringLiteral("not a figure, left out: ") + left.join(QStringLiteral(", ")) + u'\n';
}

QString ComparisonText(const ComparedSeries& compared) {
  QString text = QStringLiteral("A: %1\nB: %2\n").arg(SideLine(compared.a), SideLine(compared.b));
  if (compared.sameSeries) {
    text +=
        QStringLiteral("A and B are repetitions of one command: both sides are that series, compared with itself.\n");
  }
  text += u'\n';
  if (IsPointGroup(compared.a.front().group) && IsPointGroup(compared.b.front().group)) {
    text += PointComparisonText(compared);
    if (compared.tests.empty()) text += QStringLiteral("(no test in common)\n");
    return text + NotFiguresText(compared);
  }
  text += QStringLiteral("%1  %2  %3  %4  %5\n")
              .arg(QStringLiteral("test"), -16)
              .arg(QStringLiteral("A (s)"), 10)
              .arg(QStringLiteral("B (s)"), 10)
              .arg(QStringLiteral("B faster"), 9)
              .arg(QStringLiteral("verdict (Welch's t, 95 %)"));
  for (const TestComparison& c : compared.tests) {
    const QString verdict =
        c.verdict == Verdict::NotTested ? QStringLiteral("single run, not tested") : VerdictWords(c.verdict);
    text += QStringLiteral("%1  %2  %3  %4  %5%6\n")
                .arg(InfoOf(c.test).displayName, -16)
                .arg(c.a.mean, 10, 'f', 4)
                .arg(c.b.mean, 10, 'f', 4)
                .arg(FasterText(c.fasterPercent.value_or(0)), 9)
                .arg(verdict, c.noisy ? QStringLiteral(" (noisy)") : QString());
  }
  if (compared.tests.empty()) text += QStringLiteral("(no test in common)\n");
  return text + NotFiguresText(compared);
}

QJsonObject ComparisonObject(const ComparedSeries& compared) {
  QJsonArray rows;
  for (const TestComparison& c : compared.tests) {
    rows.append(QJsonObject{
        {"test", c.test},
        {"a", StatisticsObject(c.a)},
        {"b", StatisticsObject(c.b)},
        {"difference_percent", c.differencePercent},
        {"faster_percent", c.fasterPercent.value_or(0)},
        {"verdict", VerdictId(c.verdict)},
        {"welch_t", c.t && std::isfinite(*c.t) ? QJsonValue(*c.t) : QJsonValue()},
        {"degrees_of_freedom", c.degreesOfFreedom ? QJsonValue(*c.degreesOfFreedom) : QJsonValue()},
        {"noisy", c.noisy},
    });
  }
  return QJsonObject{{"a", SideObject(compared.a)},
                     {"b", SideObject(compared.b)},
                     {"same_series", compared.sameSeries},
                     {"not_figures", QJsonObject{{"a", CompareTestIds(NotFiguresOf(compared.a))},
                                                 {"b", CompareTestIds(NotFiguresOf(compared.b))}}},
                     {"tests", rows}};
}

}  // namespace

int HistoryVerb(const CommandLine& command, RunArchive& archive) {
  if (const ArchiveResult<OpenedStore> opened = OpenReads(archive); !opened.Ok()) return StoreFailed(opened.Status());
  const bool json = command.run.format == OutputFormat::Json;
  QJsonArray documents;
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
    const ArchiveResult<std::vector<StoredRun>> runs = ListRuns(archive, command.filter, kPage, after);
    if (!runs.Ok()) return StoreFailed(runs.Status(), kCannotRead);
    // The tests of the page's runs, for their noise flags in JSON.
    std::map<int64_t, std::vector<StoredTest>> tests;
    if (json && !runs.Value().empty()) {
      std::vector<int64_t> ids;
      for (const StoredRun& run : runs.Value()) ids.push_back(run.id);
      ArchiveResult<std::vector<StoredRun>> withTests = ReadRuns(archive, ids);
      if (!withTests.Ok()) return StoreFailed(withTests.Status(), kCannotRead);
      for (StoredRun& run : withTests.Value()) tests[run.id] = std::move(run.tests);
    }
    for (const StoredRun& run : runs.Value()) {
      if (json) {
        documents.append(HistoryObject(run, tests[run.id]));
      } else {
        text += HistoryLine(run).toUtf8();
      }
    }
    if (static_cast<int>(runs.Value().size()) < kPage) break;
    after = RunKey{runs.Value().back().sortTime, runs.Value().back().id};
  }
  PrintOut(json ? QJsonDocument(documents).toJson(QJsonDocument::Indented) : text);
  return 0;
}

int ImportVerb(const CommandLine& command, RunArchive& archive) {
  // SIGINT, SIGTERM and SIGHUP end the import as they end --run: after the
  // sheet being imported (a store being made is made whole first), with
  // 128 + the signal; a second one at once, the files being made deleted.
  // Installed before the store is opened, so no signal finds a half-made one.
  TerminationWatcher termination;
  int signal = 0;
  QObject::connect(&termination, &TerminationWatcher::terminationRequested, [&signal](int number) {
    if (signal == 0) signal = number;
  });
  const auto signalled = [&signal] {
    QCoreApplication::processEvents();
    return signal != 0;
  };
  if (const ArchiveResult<OpenedStore> opened = OpenWrites(archive); !opened.Ok()) {
    return signalled() ? 128 + signal : StoreFailed(opened.Status());
  }
  const QDateTime importedAt = QDateTime::currentDateTime();
  ImportSummary counts;
  for (const QString& file : command.files) {
    if (signalled()) break;
    const ArchiveResult<ImportSummary> summary = ImportSheets(archive, {file}, importedAt);
    if (!summary.Ok()) return signalled() ? 128 + signal : StoreFailed(summary.Status());
    counts.imported += summary.Value().imported;
    counts.present += summary.Value().present;
    counts.unreadable += summary.Value().unreadable;
    counts.problems += summary.Value().problems;
    counts.refused += summary.Value().refused;
  }
  for (const QString& refused : counts.refused) Complain(refused);
  for (const QString& problem : counts.problems) Complain(problem);
  // What was kept before a signal is said as well: it is in the store.
  PrintOut(ImportMessage(ImportSummary{counts.imported, counts.present, counts.unreadable, {}}).toUtf8() + '\n');
  if (signalled()) return 128 + signal;
  return counts.problems.isEmpty() ? 0 : kCommandFailed;
}

int ExportCsvVerb(const CommandLine& command, RunArchive& archive) {
  if (const ArchiveResult<OpenedStore> opened = OpenReads(archive); !opened.Ok()) return StoreFailed(opened.Status());
  if (const ArchiveStatus written = ExportCsv(archive, {}, command.files.first()); !written.Ok()) {
    return StoreFailed(written, kCannotRead);
  }
  return 0;
}

int CompareVerb(const CommandLine& command, RunArchive& archive) {
  if (const ArchiveResult<OpenedStore> opened = OpenReads(archive); !opened.Ok()) return StoreFailed(opened.Status());
  const ArchiveResult<ComparedSeries> compared = CompareSeries(archive, command.runs[0], command.runs[1]);
  if (compared.Kind() == FailureKind::NotFound) {
    Complain(compared.Text());
    return kCommandFailed;
  }
  if (!compared.Ok()) return StoreFailed(compared.Status(), kCannotRead);
  PrintOut(command.run.format == OutputFormat::Json
               ? QJsonDocument(ComparisonObject(compared.Value())).toJson(QJsonDocument::Indented)
               : ComparisonText(compared.Value()).toUtf8());
  return 0;
}

int SyncVerb(const CommandLine& command, RunArchive& archive) {
  if (!HasSharedStore(archive)) return kCommandRefused;
  const SyncReport report = SyncStores(archive);
  const SyncResult& sync = report.sync;
  const bool failed = !sync.failure.Ok();
  if (command.run.format == OutputFormat::Json) {
    QJsonArray aside;
    for (const StoredRun& run : report.setAside)
      aside.append(QJsonObject{{"id", double(run.id)}, {"reason", run.sendProblem}});
    PrintOut(QJsonDocument(QJsonObject{{"sent", sync.sent},
                                       {"waiting", sync.waiting},
                                       {"failed", failed ? sync.waiting : 0},
                                       {"set_aside", aside},
                                       {"reason", failed ? QJsonValue(sync.failure.Text()) : QJsonValue()}})
                 .toJson(QJsonDocument::Indented));
  } else {
    PrintOut(QStringLiteral("%1 run(s) sent, %2 waiting, %3 set aside\n")
                 .arg(sync.sent)
                 .arg(sync.waiting)
                 .arg(report.setAside.size())
                 .toUtf8());
  }
  for (const StoredRun& run : report.setAside) {
    std::fprintf(stderr, "torvik: run %lld set aside, the shared store would not take it: %s\n",
                 static_cast<long long>(run.id), OneLine(run.sendProblem).toLocal8Bit().constData());
  }
  if (failed) Complain(sync.failure.Text());
  return failed || !sync.setAside.isEmpty() ? kCommandFailed : 0;
}

}  // namespace torvik
