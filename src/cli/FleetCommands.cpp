#include "cli/FleetCommands.h"

#include <QDateTime>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include "cli/CommandOutput.h"
#include "core/analysis/ComparisonFigures.h"
#include "core/analysis/FigureWords.h"
#include "core/archive/ArchiveFleet.h"
#include "core/base/IsoDateTime.h"

namespace torvik {
namespace {

constexpr int64_t kSecondsADay = 24 * 60 * 60;

QJsonValue Optional(const std::optional<int64_t>& value) { return value ? QJsonValue(double(*value)) : QJsonValue(); }
QJsonValue Instant(const std::optional<int64_t>& time) {
  return time ? QJsonValue(IsoDateTimeWithOffset(QDateTime::fromSecsSinceEpoch(*time))) : QJsonValue();
}
QString Day(const std::optional<int64_t>& time) {
  return time ? QDateTime::fromSecsSinceEpoch(*time).toString(QStringLiteral("yyyy-MM-dd HH:mm")) : QStringLiteral("-");
}
// "3.03 (11)": the version and the schema its TORVIK knows; "before 11"
// for a run of a TORVIK that said neither.
QString TorvikOf(const FleetMachine& m) {
  if (!m.lastRun) return QStringLiteral("-");
  if (!m.lastSchema) return QStringLiteral("(before %1)").arg(11);
  return QStringLiteral("%1 (%2)")
      .arg(m.lastVersion.isEmpty() ? QStringLiteral("?") : OneLine(m.lastVersion))
      .arg(*m.lastSchema);
}

QJsonObject MachineObject(const MachineStatus& status) {
  const FleetMachine& m = status.machine;
  return QJsonObject{{"machine_id", m.machineId},
                     {"machine", m.Name()},
                     {"pc_name", m.pcName},
                     {"host_name", m.hostName},
                     {"role", m.role.isEmpty() ? QJsonValue() : QJsonValue(m.role)},
                     {"state", QLatin1String(MachineStateId(m.state))},
                     {"first_run", Optional(m.firstRun)},
                     {"first_seen", Instant(m.firstSeen)},
                     {"last_run", Optional(m.lastRun)},
                     {"last_run_at", Instant(m.lastRunTime)},
                     {"last_received_at", Instant(m.lastReceived)},
                     {"torvik_version", m.lastVersion.isEmpty() ? QJsonValue() : QJsonValue(m.lastVersion)},
                     {"torvik_schema", m.lastSchema ? QJsonValue(*m.lastSchema) : QJsonValue()},
                     {"sent_by", m.lastSender.isEmpty() ? QJsonValue() : QJsonValue(m.lastSender)},
                     {"runs_7_days", m.runs7},
                     {"runs_30_days", m.runs30},
                     {"stale", status.stale},
                     {"behind", status.behind}};
}

QString MachinesText(const FleetReport& report) {
  QString text = QStringLiteral("%1  %2  %3  %4  %5  %6  %7  %8  %9\n")
                     .arg(QStringLiteral("id"), -8)
                     .arg(QStringLiteral("machine"), -16)
                     .arg(QStringLiteral("state"), -8)
                     .arg(QStringLiteral("role"), -14)
                     .arg(QStringLiteral("torvik"), -12)
                     .arg(QStringLiteral("last run"), -16)
                     .arg(QStringLiteral("7 d"), 4)
                     .arg(QStringLiteral("30 d"), 4)
                     .arg(QStringLiteral("first run, notes"));
  for (const MachineStatus& status : report.machines) {
    const FleetMachine& m = status.machine;
    QStringList notes;
    notes << (m.firstRun ? QStringLiteral("#%1").arg(*m.firstRun) : QStringLiteral("-"));
    if (status.stale) notes << QStringLiteral("stale");
    if (status.behind) notes << QStringLiteral("behind");
    if (!m.lastSender.isEmpty() && m.lastSender != m.role) notes << QStringLiteral("sent by ") + OneLine(m.lastSender);
    text += QStringLiteral("%1  %2  %3  %4  %5  %6  %7  %8  %9\n")
                .arg(m.machineId.left(8), -8)
                .arg(OneLine(m.Name().isEmpty() ? QStringLiteral("-") : m.Name()).left(16), -16)
                .arg(QLatin1String(MachineStateId(m.state)), -8)
                .arg(OneLine(m.role.isEmpty() ? QStringLiteral("-") : m.role).left(14), -14)
                .arg(TorvikOf(m), -12)
                .arg(Day(m.lastRunTime), -16)
                .arg(m.runs7, 4)
                .arg(m.runs30, 4)
                .arg(notes.join(QStringLiteral(", ")));
  }
  return report.machines.empty() ? QStringLiteral("(no machines)\n") : text;
}

// --approve and --retire: the one machine named, decided.
int Decide(const CommandLine& command, RunArchive& archive, MachineState state) {
  if (!HasSharedStore(archive)) return kCommandRefused;
  const QString which = command.files.value(0);
  const ArchiveResult<MachineDecision> decided = DecideMachine(archive, which, state);
  if (decided.Kind() == FailureKind::NoRights) {
    Complain(decided.Text());
    return kCommandFailed;
  }
  if (!decided.Ok()) return StoreFailed(decided.Status());
  const std::vector<FleetMachine>& named = decided.Value().named;
  if (named.size() != 1) {
    QStringList ids;
    for (const FleetMachine& machine : named) ids << machine.machineId;
    Complain(
        named.empty()
            ? QStringLiteral("no machine '%1' in the shared store (torvik --machines lists them)").arg(OneLine(which))
            : QStringLiteral("'%1' names %2 machines; give one's id: %3")
                  .arg(OneLine(which))
                  .arg(named.size())
                  .arg(ids.join(QStringLiteral(", "))));
    return kCommandRefused;
  }
  const FleetMachine& machine = named.front();
  PrintOut(
      QStringLiteral("%1 (%2, role %3): %4\n")
          .arg(OneLine(machine.Name()), machine.machineId, OneLine(machine.role), QLatin1String(MachineStateId(state)))
          .toUtf8());
  return 0;
}

QJsonObject ChangesObject(const ChangeReport& report, int64_t since) {
  QJsonArray changes;
  for (const TrendChange& c : report.changes) {
    changes.append(QJsonObject{{"machine", c.machine},
                               {"processor", c.processor},
                               {"group", c.group},
                               {"test", c.test},
                               {"started_at", IsoDateTimeWithOffset(QDateTime::fromSecsSinceEpoch(c.time))},
                               {"run", double(c.runId)},
                               {"compared_with", double(c.beforeRunId)},
                               {"faster_percent", c.fasterPercent},
                               {"p_value", c.pValue},
                               {"verdict", VerdictId(c.verdict)}});
  }
  return QJsonObject{{"since", IsoDateTimeWithOffset(QDateTime::fromSecsSinceEpoch(since))},
                     {"comparisons", double(report.comparisons)},
                     {"false_discovery_rate", report.rate},
                     {"slower", report.AnySlower()},
                     {"changes", changes}};
}

QString ChangesText(const ChangeReport& report, int64_t since) {
  QString text = QStringLiteral(
                     "changes since %1: %2 of %3 comparisons, at a false discovery rate of %4 % "
                     "(Benjamini-Hochberg)\n")
                     .arg(QDateTime::fromSecsSinceEpoch(since).toString(QStringLiteral("yyyy-MM-dd HH:mm")))
                     .arg(report.changes.size())
                     .arg(report.comparisons)
                     .arg(report.rate * 100, 0, 'g', 3);
  if (report.changes.empty()) return text;
  text += QStringLiteral("%1  %2  %3  %4  %5  %6  %7  %8\n")
              .arg(QStringLiteral("machine"), -24)
              .arg(QStringLiteral("group"), -8)
              .arg(QStringLiteral("test"), -16)
              .arg(QStringLiteral("date"), -16)
              .arg(QStringLiteral("faster"), 9)
              .arg(QStringLiteral("p"), 9)
              .arg(QStringLiteral("verdict"), -8)
              .arg(QStringLiteral("runs"));
  for (const TrendChange& c : report.changes) {
    text += QStringLiteral("%1  %2  %3  %4  %5  %6  %7  #%8 against #%9\n")
                .arg(OneLine(c.machine.isEmpty() ? QStringLiteral("-") : c.machine).left(24), -24)
                .arg(OneLine(c.group), -8)
                .arg(InfoOf(c.test).displayName.left(16), -16)
                .arg(Day(c.time), -16)
                .arg(FasterText(c.fasterPercent), 9)
                .arg(QString::number(c.pValue, 'g', 2), 9)
                .arg(QLatin1String(VerdictId(c.verdict)), -8)
                .arg(c.runId)
                .arg(c.beforeRunId);
  }
  return text;
}

}  // namespace

int UpgradeStoreVerb(const CommandLine& command, RunArchive& archive) {
  if (!HasSharedStore(archive)) return kCommandRefused;
  const ArchiveResult<StoreUpgrade> upgraded = UpgradeFleetStore(archive, command.label);
  if (upgraded.Kind() == FailureKind::NoRights) {
    Complain(upgraded.Text());
    return kCommandFailed;
  }
  if (!upgraded.Ok()) return StoreFailed(upgraded.Status());
  const StoreUpgrade& done = upgraded.Value();
  const int found = done.opened.foundVersion, version = done.opened.version;
  const QString shown = archive.ComparedShown();
  QString text;
  if (found > version) {
    text = QStringLiteral("%1: schema %2, newer than this TORVIK's (%3); left as it is\n")
               .arg(shown)
               .arg(found)
               .arg(version);
  } else {
    text = QStringLiteral("%1: %2\n")
               .arg(shown, found == version ? QStringLiteral("schema %1, this TORVIK's").arg(found)
                           : found == 0     ? QStringLiteral("made, schema %1").arg(version)
                                            : QStringLiteral("upgraded from schema %1 to %2").arg(found).arg(version));
    for (const QString& group : done.rights.granted) {
      text += QStringLiteral("%1: %2 may %3\n")
                  .arg(shown, group,
                       group == QLatin1String(kMemberGroup) ? QStringLiteral("add runs and read them")
                                                            : QStringLiteral("read the runs"));
    }
    for (const QString& group : done.rights.missing) {
      text += QStringLiteral(
                  "%1: no role %2 yet: as the server's superuser, CREATE ROLE %2 NOLOGIN; then this "
                  "command again\n")
                  .arg(shown, group);
    }
    text += QStringLiteral("%1: its pages name it \"%2\"\n").arg(shown, OneLine(done.label));
  }
  PrintOut(text.toUtf8());
  return 0;
}

int MachinesVerb(const CommandLine& command, RunArchive& archive) {
  if (!HasSharedStore(archive)) return kCommandRefused;
  const ArchiveResult<FleetReport> fleet =
      ReadFleet(archive, QDateTime::currentSecsSinceEpoch(), int64_t(command.staleDays) * kSecondsADay);
  if (!fleet.Ok()) return StoreFailed(fleet.Status(), kCannotRead);
  bool stale = false;
  QJsonArray machines;
  for (const MachineStatus& status : fleet.Value().machines) {
    stale = stale || status.stale;
    machines.append(MachineObject(status));
  }
  PrintOut(command.run.format == OutputFormat::Json
               ? QJsonDocument(QJsonObject{{"store_schema", fleet.Value().storeSchema},
                                           {"stale_after_days", command.staleDays},
                                           {"machines", machines}})
                     .toJson(QJsonDocument::Indented)
               : MachinesText(fleet.Value()).toUtf8());
  return stale ? kCommandAttention : 0;
}

int ApproveVerb(const CommandLine& command, RunArchive& archive) {
  return Decide(command, archive, MachineState::Approved);
}

int RetireVerb(const CommandLine& command, RunArchive& archive) {
  return Decide(command, archive, MachineState::Retired);
}

int ChangesVerb(const CommandLine& command, RunArchive& archive) {
  // A week back from the start of today, unless --since says the day.
  const int64_t since = command.filter.from.value_or(QDate::currentDate().addDays(-7).startOfDay().toSecsSinceEpoch());
  const ArchiveResult<ChangeReport> report = ChangesOf(archive, command.filter, since);
  if (!report.Ok()) return StoreFailed(report.Status(), kCannotRead);
  PrintOut(command.run.format == OutputFormat::Json
               ? QJsonDocument(ChangesObject(report.Value(), since)).toJson(QJsonDocument::Indented)
               : ChangesText(report.Value(), since).toUtf8());
  return report.Value().AnySlower() ? kCommandAttention : 0;
}

}  // namespace torvik
