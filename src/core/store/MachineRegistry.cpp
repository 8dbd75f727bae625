#include "core/store/MachineRegistry.h"

#include <QSqlQuery>
#include <QSqlRecord>

#include "core/store/SchemaSteps.h"
#include "core/store/StoreSession.h"

namespace torvik {
namespace {

constexpr int64_t kSecondsADay = 24 * 60 * 60;

template <typename T>
std::optional<T> NullOr(const QVariant& value) {
  return value.isNull() ? std::nullopt : std::optional<T>(value.value<T>());
}

}  // namespace

bool KeepsMachines(const StoreSession& session) {
  return session.Dialect() == StoreDialect::Postgres && session.Version() >= kSenderStep;
}

ArchiveResult<std::vector<FleetMachine>> ReadMachines(StoreSession& session, int64_t now) {
  std::vector<FleetMachine> machines;
  if (!KeepsMachines(session)) return machines;
  // Each machine's latest run and counts by the index on (machine_id,
  // sort_time): a few index probes a machine, whatever the store's size.
  const QString statement = QStringLiteral(
      "SELECT m.machine_id, m.role_name, m.state, m.first_run, "
      "extract(epoch FROM m.first_seen)::bigint AS first_seen, "
      "extract(epoch FROM m.last_received)::bigint AS last_received, "
      "coalesce(l.pc_name, m.pc_name) AS pc_name, coalesce(l.host_name, m.host_name) AS host_name, "
      "l.id AS last_run, l.sort_time AS last_run_time, l.torvik_version, l.torvik_schema, l.sent_by, "
      "(SELECT count(*) FROM runs r WHERE r.machine_id = m.machine_id AND r.sort_time >= ?) AS runs_7, "
      "(SELECT count(*) FROM runs r WHERE r.machine_id = m.machine_id AND r.sort_time >= ?) AS runs_30 "
      "FROM machines m LEFT JOIN LATERAL (SELECT id, sort_time, pc_name, host_name, torvik_version, torvik_schema, "
      "sent_by FROM runs r WHERE r.machine_id = m.machine_id ORDER BY sort_time DESC, id DESC LIMIT 1) l ON true "
      "ORDER BY m.machine_id");
  QSqlQuery q;
  if (ArchiveStatus read =
          session.Read(q, statement, {qlonglong(now - 7 * kSecondsADay), qlonglong(now - 30 * kSecondsADay)});
      !read.Ok()) {
    return read;
  }
  const QSqlRecord fields = q.record();
  const auto at = [&fields](const char* name) { return fields.indexOf(QLatin1String(name)); };
  const int id = at("machine_id"), role = at("role_name"), state = at("state"), firstRun = at("first_run"),
            firstSeen = at("first_seen"), lastReceived = at("last_received"), pc = at("pc_name"),
            host = at("host_name"), lastRun = at("last_run"), lastTime = at("last_run_time"),
            version = at("torvik_version"), schema = at("torvik_schema"), sender = at("sent_by"), week = at("runs_7"),
            month = at("runs_30");
  while (q.next()) {
    FleetMachine& m = machines.emplace_back();
    m.machineId = q.value(id).toString();
    m.role = q.value(role).toString();
    m.state = MachineStateOfId(q.value(state).toString()).value_or(MachineState::Pending);
    m.firstRun = NullOr<qlonglong>(q.value(firstRun));
    m.firstSeen = q.value(firstSeen).toLongLong();
    m.lastReceived = NullOr<qlonglong>(q.value(lastReceived));
    m.pcName = q.value(pc).toString();
    m.hostName = q.value(host).toString();
    m.lastRun = NullOr<qlonglong>(q.value(lastRun));
    m.lastRunTime = NullOr<qlonglong>(q.value(lastTime));
    m.lastVersion = q.value(version).toString();
    m.lastSchema = NullOr<int>(q.value(schema));
    m.lastSender = q.value(sender).toString();
    m.runs7 = q.value(week).toInt();
    m.runs30 = q.value(month).toInt();
  }
  return machines;
}

ArchiveResult<int> ChangeMachineState(StoreSession& session, const QString& machineId, MachineState state) {
  if (!KeepsMachines(session)) return 0;
  int changed = 0;
  const ArchiveStatus written = session.Write([&](Statements& s) {
    QSqlError error;
    QSqlQuery* q = s.Prepare(QStringLiteral("UPDATE machines SET state = ?, state_changed_at = now(), "
                                            "state_changed_by = session_user WHERE machine_id = ?"),
                             error);
    if (q == nullptr) return error;
    q->addBindValue(QLatin1String(MachineStateId(state)));
    q->addBindValue(machineId);
    if (!q->exec()) return q->lastError();
    changed = q->numRowsAffected();
    return QSqlError();
  });
  if (!written.Ok()) return written;
  return changed;
}

ArchiveResult<bool> MayDecideMachines(StoreSession& session) {
  if (!KeepsMachines(session)) return false;
  QSqlQuery q;
  if (ArchiveStatus read = session.Read(q, QStringLiteral("SELECT has_table_privilege('machines', 'UPDATE')"));
      !read.Ok()) {
    return read;
  }
  return q.next() && q.value(0).toBool();
}

}  // namespace torvik
