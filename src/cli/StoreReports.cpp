#include "cli/StoreReports.h"

#include <QCoreApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <algorithm>
#include <cstdio>

#include "cli/CommandOutput.h"
#include "core/analysis/FigureWords.h"
#include "core/analysis/PointSelection.h"
#include "core/archive/ArchiveExports.h"
#include "core/archive/ArchiveReads.h"
#include "core/base/IsoDateTime.h"
#include "core/report/ReportBuilder.h"

namespace torvik {
namespace {

QJsonValue Optional(const std::optional<double>& value) { return value ? QJsonValue(*value) : QJsonValue(); }

// "+3.2 %", "-0.8 %"; "" for none.
QString Faster(const std::optional<double>& percent) { return percent ? FasterText(*percent) : QString(); }

QString WithoutTrailingSpace(QString line) {
  while (line.endsWith(u' ')) line.chop(1);
  return line;
}

QString Day(int64_t time) { return QDateTime::fromSecsSinceEpoch(time).toString(QStringLiteral("yyyy-MM-dd HH:mm")); }

// "   not a figure, left out: Prime Calc, Trig Calc\n"; nothing without one.
QString NotFiguresLine(const std::vector<QString>& tests) {
  if (tests.empty()) return {};
  QStringList names;
  for (const QString& test : tests) names << OneLine(InfoOf(test).displayName);
  return QStringLiteral("    not a figure, left out: ") + names.join(QStringLiteral(", ")) + u'\n';
}

QJsonArray TestIdArray(const std::vector<QString>& tests) {
  QJsonArray ids;
  for (const QString& test : tests) ids.append(test);
  return ids;
}

QString MachineLine(const QString& machine, const QString& processor) {
  return OneLine(machine.isEmpty() ? QStringLiteral("-") : machine) + QStringLiteral(" (") + OneLine(processor) + u')';
}

QJsonArray TrendsObject(const std::vector<MachineTrend>& trends) {
  QJsonArray machines;
  for (const MachineTrend& trend : trends) {
    QJsonArray tests;
    for (const TrendLine& line : trend.lines) {
      QJsonArray points;
      for (const TrendPoint& point : line.points) {
        const bool spread = point.seconds.count > 1 && point.precise;
        points.append(QJsonObject{
            {"run", double(point.runId)},
            {"started_at", IsoDateTimeWithOffset(QDateTime::fromSecsSinceEpoch(point.time))},
            {"mean", point.seconds.mean},
            {"stdev", spread ? QJsonValue(point.seconds.stdev) : QJsonValue()},
            {"repetitions", point.seconds.count},
            {"noisy", point.noisy},
            {"precise", point.precise},
            {"faster_percent", Optional(point.fasterPercent)},
            {"change", VerdictId(point.change)},
        });
      }
      tests.append(QJsonObject{{"test", line.test}, {"points", points}});
    }
    machines.append(QJsonObject{{"machine", trend.machine},
                                {"processor", trend.processor},
                                {"group", trend.group},
                                {"series", double(trend.seriesCount)},
                                {"not_figures", TestIdArray(trend.notFigures)},
                                {"undated_runs", double(trend.undatedRuns)},
                                {"tests", tests}});
  }
  return machines;
}

QString TrendsText(const std::vector<MachineTrend>& trends) {
  QString text;
  for (const MachineTrend& trend : trends) {
    text += QStringLiteral("%1, %2: %3 series\n")
                .arg(MachineLine(trend.machine, trend.processor), OneLine(trend.group))
                .arg(trend.seriesCount);
    text += NotFiguresLine(trend.notFigures);
    if (trend.undatedRuns > 0) {
      text += QStringLiteral("    %1 imported run(s) of unknown date, left out\n").arg(trend.undatedRuns);
    }
    // A group of points' names are longer ("STREAM Triad, all threads").
    int width = 16;
    if (IsPointGroup(trend.group)) {
      for (const TrendLine& line : trend.lines) width = std::max(width, int(InfoOf(line.test).displayName.size()));
    }
    text += QStringLiteral("%1  %2  %3  %4  %5  %6  %7\n")
                .arg(QStringLiteral("test"), -width)
                .arg(QStringLiteral("date"), -16)
                .arg(QStringLiteral("mean (s)"), 10)
                .arg(QStringLiteral("sd (s)"), 8)
                .arg(QStringLiteral("n"), 3)
                .arg(QStringLiteral("faster"), 9)
                .arg(QStringLiteral("change (Welch's t, 95 %)"));
    for (const TrendLine& line : trend.lines) {
      for (size_t i = 0; i < line.points.size(); ++i) {
        const TrendPoint& point = line.points[i];
        const bool spread = point.seconds.count > 1 && point.precise;
        QString marks = i == 0 ? QString() : VerdictWords(point.change);
        if (point.noisy) marks += QStringLiteral(" (noisy)");
        if (!point.precise) marks += QStringLiteral(" (tenths only)");
        text += QStringLiteral("%1  %2  %3  %4  %5  %6  %7\n")
                    .arg(i == 0 ? InfoOf(line.test).displayName : QLatin1String(""), -width)
                    .arg(Day(point.time), -16)
                    .arg(point.seconds.mean, 10, 'f', point.precise ? 4 : 1)
                    .arg(spread ? QString::number(point.seconds.stdev, 'f', 4) : QStringLiteral("-"), 8)
                    .arg(point.seconds.count, 3)
                    .arg(Faster(point.fasterPercent), 9)
                    .arg(marks.trimmed());
      }
    }
    text += u'\n';
  }
  return trends.empty() ? QStringLiteral("(no runs)\n") : text;
}

QJsonArray RankingsObject(const std::vector<MachineRanking>& rankings) {
  QJsonArray groups;
  for (const MachineRanking& ranking : rankings) {
    QJsonArray tests, machines;
    for (const QString& test : ranking.tests) tests.append(test);
    for (size_t place = 0; place < ranking.machines.size(); ++place) {
      const RankedMachine& machine = ranking.machines[place];
      QJsonArray figures;
      for (size_t j = 0; j < ranking.tests.size(); ++j) {
        figures.append(QJsonObject{{"test", ranking.tests[j]},
                                   {"faster_percent", Optional(machine.tests[j].fasterPercent)},
                                   {"verdict", VerdictId(machine.tests[j].verdict)}});
      }
      const QString& started = machine.figures.run.values.startedAt;
      QJsonObject entry{
          {"place", double(place + 1)},
          {"machine", machine.machine.name},
          {"processor", machine.machine.processor},
          {"run", double(machine.figures.run.id)},
          {"started_at", started.isEmpty() ? QJsonValue() : QJsonValue(started)},
          {"repetitions", double(machine.repetitions)},
          {"precise", machine.figures.Precise()},
          {"baseline", place == ranking.baseline},
          {"overall_faster_percent", Optional(machine.overall)},
          {"not_figures", TestIdArray(machine.notFigures)},
          {"tests", figures},
      };
      // A group of points: its summaries, by id, + faster.
      if (!ranking.summaries.empty()) {
        QJsonObject summaries;
        for (size_t k = 0; k < ranking.summaries.size(); ++k) {
          summaries.insert(QLatin1String(SummaryId(ranking.summaries[k])), Optional(machine.summaries[k]));
        }
        entry.insert("summaries", summaries);
      }
      machines.append(entry);
    }
    QJsonObject group{{"group", ranking.group}, {"tests", tests}, {"machines", machines}};
    if (!ranking.summaries.empty()) {
      QJsonArray summaries;
      for (SummaryKind kind : ranking.summaries) summaries.append(QLatin1String(SummaryId(kind)));
      group.insert("summaries", summaries);
      group.insert("overall", QLatin1String(SummaryId(HeadlineOf(ranking.group))));
    }
    groups.append(group);
  }
  return groups;
}

QString RankingsText(const std::vector<MachineRanking>& rankings) {
  QString text;
  for (const MachineRanking& ranking : rankings) {
    const RankedMachine& base = ranking.machines[ranking.baseline];
    text += QStringLiteral("%1: %2 machine(s), each one's latest series against %3; + is faster")
                .arg(OneLine(ranking.group))
                .arg(ranking.machines.size())
                .arg(MachineLine(base.machine.name, base.machine.processor));
    if (!ranking.summaries.empty()) {
      text += QStringLiteral("; overall: %1").arg(SummaryWords(HeadlineOf(ranking.group)));
    }
    text += u'\n';
    QString header = QStringLiteral("%1  %2  %3  %4")
                         .arg(QStringLiteral("#"), 3)
                         .arg(QStringLiteral("machine"), -24)
                         .arg(QStringLiteral("n"), 3)
                         .arg(QStringLiteral("overall"), 9);
    for (SummaryKind kind : ranking.summaries) header += QStringLiteral("  %1").arg(SummaryWords(kind), -20);
    int width = 26;  // a group of points' names are longer ("zstd decompress, all threads")
    if (!ranking.summaries.empty()) {
      for (const QString& test : ranking.tests) width = std::max(width, int(InfoOf(test).displayName.size()));
    }
    for (const QString& test : ranking.tests) header += QStringLiteral("  %1").arg(InfoOf(test).displayName, -width);
    text += WithoutTrailingSpace(header) + u'\n';
    for (size_t place = 0; place < ranking.machines.size(); ++place) {
      const RankedMachine& machine = ranking.machines[place];
      const bool baseline = place == ranking.baseline;
      QString row = QStringLiteral("%1  %2  %3  %4")
                        .arg(place + 1, 3)
                        .arg(OneLine(machine.machine.name).left(24), -24)
                        .arg(machine.repetitions, 3)
                        .arg(baseline ? QStringLiteral("baseline") : Faster(machine.overall), 9);
      for (const std::optional<double>& summary : machine.summaries) {
        row += QStringLiteral("  %1").arg(baseline  ? QStringLiteral("baseline")
                                          : summary ? Faster(summary)
                                                    : QStringLiteral("-"),
                                          -20);
      }
      for (const RankedTest& test : machine.tests) {
        const QString cell = test.fasterPercent ? Faster(test.fasterPercent) + u' ' + VerdictWords(test.verdict)
                             : baseline         ? QStringLiteral("baseline")
                                                : QStringLiteral("-");
        row += QStringLiteral("  %1").arg(cell, -width);
      }
      text += WithoutTrailingSpace(row) + u'\n';
      text += NotFiguresLine(machine.notFigures);
    }
    text += u'\n';
  }
  return rankings.empty() ? QStringLiteral("(no runs)\n") : text;
}

}  // namespace

int TrendVerb(const CommandLine& command, RunArchive& archive) {
  const ArchiveResult<std::vector<MachineTrend>> trends = TrendOf(archive, command.filter);
  if (!trends.Ok()) return StoreFailed(trends.Status(), kCannotRead);
  PrintOut(command.run.format == OutputFormat::Json
               ? QJsonDocument(TrendsObject(trends.Value())).toJson(QJsonDocument::Indented)
               : TrendsText(trends.Value()).toUtf8());
  return 0;
}

int RankingVerb(const CommandLine& command, RunArchive& archive) {
  const std::optional<MachineOf> baseline =
      command.baseline.isEmpty() ? std::nullopt : std::optional(MachineOf(command.baseline, {}));
  const ArchiveResult<std::vector<MachineRanking>> rankings = RankingsOf(archive, command.filter, baseline);
  if (!rankings.Ok()) return StoreFailed(rankings.Status(), kCannotRead);
  if (rankings.Value().empty()) {
    // Runs a shared store keeps but does not rank: said, or the owner who
    // has not approved a machine yet sees nothing at all.
    const ArchiveResult<int> unranked = UnrankedMachinesOf(archive, command.filter);
    if (!unranked.Ok()) return StoreFailed(unranked.Status(), kCannotRead);
    if (unranked.Value() > 0) {
      Complain(QStringLiteral("no machine is ranked: %1 machine(s) with runs here are pending, retired or without a "
                              "machine id, and only approved machines are ranked (--machines lists them, --approve "
                              "approves one)")
                   .arg(unranked.Value()));
    }
  }
  PrintOut(command.run.format == OutputFormat::Json
               ? QJsonDocument(RankingsObject(rankings.Value())).toJson(QJsonDocument::Indented)
               : RankingsText(rankings.Value()).toUtf8());
  return 0;
}

int HtmlVerb(const CommandLine& command, RunArchive& archive) {
  const ArchiveStatus written =
      ExportStorePage(archive, command.filter, command.baseline, command.files.first(), QDateTime::currentDateTime());
  return written.Ok() ? 0 : StoreFailed(written, kCannotRead);
}

}  // namespace torvik
