#include "core/store/SchemaSteps.h"

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QSqlRecord>
#include <algorithm>

#include "core/store/RunColumns.h"

namespace torvik {
namespace {

// A statement both dialects write alike.
constexpr SchemaStatement Same(const char* statement) { return {statement, statement}; }

// 1: the runs and their tests.
constexpr SchemaStatement kStep1[] = {
    {"CREATE TABLE runs ("
     " id INTEGER PRIMARY KEY,"
     " started TEXT NOT NULL,"
     " sort_time INTEGER NOT NULL,"
     " group_name TEXT NOT NULL,"
     " stopped INTEGER NOT NULL,"
     " bench_no INTEGER,"
     " total_tenths INTEGER NOT NULL,"
     " total_seconds REAL,"
     " user_name TEXT NOT NULL, pc_name TEXT NOT NULL,"
     " os TEXT NOT NULL, processor TEXT NOT NULL, caches TEXT NOT NULL,"
     " memory TEXT NOT NULL, display TEXT NOT NULL, test_directory TEXT NOT NULL,"
     " origin TEXT NOT NULL)",
     "CREATE TABLE runs ("
     " id BIGSERIAL PRIMARY KEY,"
     " started TEXT NOT NULL,"
     " sort_time BIGINT NOT NULL,"
     " group_name TEXT NOT NULL,"
     " stopped BIGINT NOT NULL,"
     " bench_no BIGINT,"
     " total_tenths BIGINT NOT NULL,"
     " total_seconds DOUBLE PRECISION,"
     " user_name TEXT NOT NULL, pc_name TEXT NOT NULL,"
     " os TEXT NOT NULL, processor TEXT NOT NULL, caches TEXT NOT NULL,"
     " memory TEXT NOT NULL, display TEXT NOT NULL, test_directory TEXT NOT NULL,"
     " origin TEXT NOT NULL)"},
    {"CREATE TABLE tests ("
     " run_id INTEGER NOT NULL REFERENCES runs(id) ON DELETE CASCADE,"
     " test TEXT NOT NULL,"
     " tenths INTEGER NOT NULL,"
     " seconds REAL, rate REAL, unit TEXT NOT NULL,"
     " PRIMARY KEY (run_id, test))",
     "CREATE TABLE tests ("
     " run_id BIGINT NOT NULL REFERENCES runs(id) ON DELETE CASCADE,"
     " test TEXT NOT NULL,"
     " tenths BIGINT NOT NULL,"
     " seconds DOUBLE PRECISION, rate DOUBLE PRECISION, unit TEXT NOT NULL,"
     " PRIMARY KEY (run_id, test))"},
    Same("CREATE INDEX runs_by_time ON runs(sort_time DESC, id DESC)"),
};
// 2: an imported block's key (date, bench number, PC name), so that it is
// imported once.
constexpr SchemaStatement kStep2[] = {
    Same("ALTER TABLE runs ADD COLUMN sheet_key TEXT"),
    Same("CREATE UNIQUE INDEX runs_by_sheet_key ON runs(sheet_key)"),
};
// 3: the Qt platform a run's figures were measured on (null for a sheet).
constexpr SchemaStatement kStep3[] = {Same("ALTER TABLE runs ADD COLUMN platform TEXT")};
// 4: the facts as values beside their texts (filled for the runs kept so
// far by ConvertFactsToValues), the series of a command's repetitions, and
// the machine's noise around each test.
constexpr SchemaStatement kStep4[] = {
    Same("ALTER TABLE runs ADD COLUMN started_at TEXT"),
    Same("ALTER TABLE runs ADD COLUMN processor_name TEXT"),
    {"ALTER TABLE runs ADD COLUMN clock_mhz REAL", "ALTER TABLE runs ADD COLUMN clock_mhz DOUBLE PRECISION"},
    {"ALTER TABLE runs ADD COLUMN memory_mb INTEGER", "ALTER TABLE runs ADD COLUMN memory_mb BIGINT"},
    {"ALTER TABLE runs ADD COLUMN l1_data_kb INTEGER", "ALTER TABLE runs ADD COLUMN l1_data_kb BIGINT"},
    {"ALTER TABLE runs ADD COLUMN l1_instruction_kb INTEGER", "ALTER TABLE runs ADD COLUMN l1_instruction_kb BIGINT"},
    {"ALTER TABLE runs ADD COLUMN l2_kb INTEGER", "ALTER TABLE runs ADD COLUMN l2_kb BIGINT"},
    {"ALTER TABLE runs ADD COLUMN l2_line_bytes INTEGER", "ALTER TABLE runs ADD COLUMN l2_line_bytes BIGINT"},
    {"ALTER TABLE runs ADD COLUMN l2_ways INTEGER", "ALTER TABLE runs ADD COLUMN l2_ways BIGINT"},
    {"ALTER TABLE runs ADD COLUMN screen_width INTEGER", "ALTER TABLE runs ADD COLUMN screen_width BIGINT"},
    {"ALTER TABLE runs ADD COLUMN screen_height INTEGER", "ALTER TABLE runs ADD COLUMN screen_height BIGINT"},
    {"ALTER TABLE runs ADD COLUMN screen_depth INTEGER", "ALTER TABLE runs ADD COLUMN screen_depth BIGINT"},
    Same("ALTER TABLE runs ADD COLUMN display_adapter TEXT"),
    Same("ALTER TABLE runs ADD COLUMN series TEXT"),
    Same("CREATE INDEX runs_by_series ON runs(series)"),
    {"ALTER TABLE tests ADD COLUMN noise_seconds REAL", "ALTER TABLE tests ADD COLUMN noise_seconds DOUBLE PRECISION"},
    {"ALTER TABLE tests ADD COLUMN others_core_seconds REAL",
     "ALTER TABLE tests ADD COLUMN others_core_seconds DOUBLE PRECISION"},
    {"ALTER TABLE tests ADD COLUMN clock_min_mhz INTEGER", "ALTER TABLE tests ADD COLUMN clock_min_mhz BIGINT"},
    {"ALTER TABLE tests ADD COLUMN clock_max_mhz INTEGER", "ALTER TABLE tests ADD COLUMN clock_max_mhz BIGINT"},
    Same("ALTER TABLE tests ADD COLUMN governor TEXT"),
    {"ALTER TABLE tests ADD COLUMN hypervisor INTEGER", "ALTER TABLE tests ADD COLUMN hypervisor BIGINT"},
    {"ALTER TABLE tests ADD COLUMN load_average REAL", "ALTER TABLE tests ADD COLUMN load_average DOUBLE PRECISION"},
};
constexpr int kValuesStep = 4;
// 5: a run's identity everywhere (made when it is first kept) and, locally,
// whether it has reached the shared store (0: waiting; null: kept before
// there was one, never sent).
constexpr SchemaStatement kStep5[] = {
    Same("ALTER TABLE runs ADD COLUMN uuid TEXT"),
    Same("CREATE UNIQUE INDEX runs_by_uuid ON runs(uuid)"),
    {"ALTER TABLE runs ADD COLUMN sent INTEGER", "ALTER TABLE runs ADD COLUMN sent BIGINT"},
};
// 6: the instant a run started in each dialect's own terms, for SQL of
// one's own: the server's timestamptz, ISO 8601 text in UTC locally. Worked
// out from sort_time, never written (started_at keeps the machine's own
// offset, which a timestamptz would lose).
constexpr SchemaStatement kStep6[] = {
    {"ALTER TABLE runs ADD COLUMN started_utc TEXT GENERATED ALWAYS AS "
     "(strftime('%Y-%m-%dT%H:%M:%SZ', sort_time, 'unixepoch')) VIRTUAL",
     "ALTER TABLE runs ADD COLUMN started_utc TIMESTAMPTZ GENERATED ALWAYS AS (to_timestamp(sort_time)) STORED"},
};
// 7: indexes for the list's filters, newest first: one PC's runs (its name
// in any case) and one group's; and on this PC the runs still waiting to be
// sent. (A part of the processor's text is looked for among the rows the
// other filters leave.)
constexpr SchemaStatement kStep7[] = {
    Same("CREATE INDEX runs_by_pc ON runs(lower(pc_name), sort_time DESC, id DESC)"),
    Same("CREATE INDEX runs_by_group ON runs(group_name, sort_time DESC, id DESC)"),
    Same("CREATE INDEX runs_waiting ON runs(id) WHERE sent = 0"),
};

// 8: who ran a run beyond the PC name typed into the settings: the host
// name, and a stable id of the machine (never the system's own), by which
// one machine's runs are found.
constexpr SchemaStatement kStep8[] = {
    Same("ALTER TABLE runs ADD COLUMN host_name TEXT"),
    Same("ALTER TABLE runs ADD COLUMN machine_id TEXT"),
    Same("CREATE INDEX runs_by_machine ON runs(machine_id, sort_time DESC, id DESC)"),
};

// 9: on this PC, why the shared store would not take a run (its `sent`
// then 2): it is set aside, never blocking the runs behind it.
constexpr SchemaStatement kStep9[] = {Same("ALTER TABLE runs ADD COLUMN send_problem TEXT")};

// 10: what a drive row measures beside its rate: requests a second, the
// completion latency's percentiles in microseconds, and the engine that
// measured it (io_uring, or threads where the kernel refused it).
constexpr SchemaStatement kStep10[] = {
    {"ALTER TABLE tests ADD COLUMN iops REAL", "ALTER TABLE tests ADD COLUMN iops DOUBLE PRECISION"},
    {"ALTER TABLE tests ADD COLUMN p50_us REAL", "ALTER TABLE tests ADD COLUMN p50_us DOUBLE PRECISION"},
    {"ALTER TABLE tests ADD COLUMN p99_us REAL", "ALTER TABLE tests ADD COLUMN p99_us DOUBLE PRECISION"},
    {"ALTER TABLE tests ADD COLUMN p999_us REAL", "ALTER TABLE tests ADD COLUMN p999_us DOUBLE PRECISION"},
    Same("ALTER TABLE tests ADD COLUMN engine TEXT"),
};

// A statement of the server's alone.
constexpr SchemaStatement ServerOnly(const char* statement) { return {nullptr, statement}; }

// 11: what the server knows of a run, never taken from the PC that sends
// it: the role that inserted it and when it arrived, both set by the
// server's trigger (and out of the members' column rights); which TORVIK
// made it (its version and the schema it knows, for finding the machines
// still on an older one). The server's machines, each a role's own from
// its first run on: a run for a machine of another role is refused
// (SQLSTATE TV001), tests go only with a run of the inserting role's own
// (TV003), and a new machine waits for its owner's approval before it is
// ranked. The machines that sent before this step are approved as they
// were, and belong to the first role that sends for them after it. The
// server's version record gains the real schema, the oldest writer it
// takes and the store's label. The functions run as the tables' owner,
// with their own schema first on their path and pg_temp last.
constexpr SchemaStatement kStep11[] = {
    Same("ALTER TABLE runs ADD COLUMN torvik_version TEXT"),
    {"ALTER TABLE runs ADD COLUMN torvik_schema INTEGER", "ALTER TABLE runs ADD COLUMN torvik_schema BIGINT"},
    Same("ALTER TABLE runs ADD COLUMN sent_by TEXT"),
    {"ALTER TABLE runs ADD COLUMN received_at TEXT", "ALTER TABLE runs ADD COLUMN received_at TIMESTAMPTZ"},
    ServerOnly("ALTER TABLE torvik_schema ADD COLUMN schema_version INTEGER, ADD COLUMN oldest_writer INTEGER, "
               "ADD COLUMN label TEXT"),
    ServerOnly("CREATE TABLE machines ("
               " machine_id TEXT PRIMARY KEY,"
               " role_name TEXT NOT NULL,"
               " state TEXT NOT NULL DEFAULT 'pending' CHECK (state IN ('pending', 'approved', 'retired')),"
               " pc_name TEXT, host_name TEXT,"
               " first_run BIGINT,"
               " first_seen TIMESTAMPTZ NOT NULL DEFAULT now(),"
               " last_received TIMESTAMPTZ,"
               " state_changed_at TIMESTAMPTZ, state_changed_by TEXT)"),
    ServerOnly("INSERT INTO machines (machine_id, role_name, state, pc_name, host_name, first_run, first_seen) "
               "SELECT DISTINCT ON (machine_id) machine_id, '', 'approved', pc_name, host_name, id, "
               "to_timestamp(sort_time) FROM runs WHERE coalesce(machine_id, '') <> '' "
               "ORDER BY machine_id, sort_time, id"),
    ServerOnly(R"sql(DO $do$ BEGIN EXECUTE format($fn$
CREATE FUNCTION %1$I.torvik_receive_run() RETURNS trigger LANGUAGE plpgsql SECURITY DEFINER
SET search_path = %1$I, pg_temp AS $body$
DECLARE holder TEXT;
BEGIN
  NEW.sent_by := session_user;
  NEW.received_at := now();
  IF coalesce(NEW.machine_id, '') = '' THEN
    RETURN NEW;
  END IF;
  SELECT role_name INTO holder FROM machines WHERE machine_id = NEW.machine_id;
  IF NOT FOUND THEN
    INSERT INTO machines (machine_id, role_name, pc_name, host_name, first_run)
      VALUES (NEW.machine_id, session_user, NEW.pc_name, NEW.host_name, NEW.id)
      ON CONFLICT (machine_id) DO NOTHING;
    SELECT role_name INTO holder FROM machines WHERE machine_id = NEW.machine_id;
  ELSIF holder = '' THEN
    UPDATE machines SET role_name = session_user WHERE machine_id = NEW.machine_id AND role_name = '';
    SELECT role_name INTO holder FROM machines WHERE machine_id = NEW.machine_id;
  END IF;
  IF holder IS DISTINCT FROM session_user THEN
    RAISE EXCEPTION USING ERRCODE = 'TV001',
      MESSAGE = format('machine %%s is role %%s''s: role %%s may not send its runs', NEW.machine_id, holder,
                       session_user);
  END IF;
  UPDATE machines SET last_received = now()
    WHERE machine_id = NEW.machine_id AND last_received IS DISTINCT FROM now();
  RETURN NEW;
END $body$ $fn$, current_schema()); END $do$)sql"),
    ServerOnly("CREATE TRIGGER runs_received BEFORE INSERT ON runs FOR EACH ROW EXECUTE FUNCTION torvik_receive_run()"),
    ServerOnly(R"sql(DO $do$ BEGIN EXECUTE format($fn$
CREATE FUNCTION %1$I.torvik_receive_tests() RETURNS trigger LANGUAGE plpgsql SECURITY DEFINER
SET search_path = %1$I, pg_temp AS $body$
BEGIN
  IF EXISTS (SELECT 1 FROM added a LEFT JOIN runs r ON r.id = a.run_id
             WHERE r.sent_by IS DISTINCT FROM session_user) THEN
    RAISE EXCEPTION USING ERRCODE = 'TV003', MESSAGE = 'tests go only with a run this role sent';
  END IF;
  RETURN NULL;
END $body$ $fn$, current_schema()); END $do$)sql"),
    ServerOnly("CREATE TRIGGER tests_received AFTER INSERT ON tests REFERENCING NEW TABLE AS added "
               "FOR EACH STATEMENT EXECUTE FUNCTION torvik_receive_tests()"),
};

// 12: indexes for the reads of many runs: one machine's runs by the name
// the trends and rankings know it by (the PC name, else the host name, in
// any case: the very expression RunQuery filters by), and each machine's
// newest run of a group.
constexpr SchemaStatement kStep12[] = {
    Same("CREATE INDEX runs_by_machine_name ON runs(lower(CASE WHEN coalesce(pc_name, '') = '' THEN "
         "coalesce(host_name, '') ELSE pc_name END), sort_time DESC, id DESC)"),
    Same("CREATE INDEX runs_by_machine_group ON runs(machine_id, group_name, sort_time DESC, id DESC)"),
};

// 13: each machine's runs of a group newest first, by the very expressions
// that tell machines apart (its name, its processor's model: RunQuery), so
// that the machines are walked on the index one after the other and each
// one's newest run is its first entry (MachineQuery): the ranking's and the
// page's reads grow with the machines, not with their runs. Dated runs
// before a sheet's blocks of unknown date (RunQuery's DatedExpression),
// which older TORVIKs, still writing, sort at the moment of their import.
constexpr SchemaStatement kStep13[] = {
    Same("CREATE INDEX runs_by_machine_key ON runs((CASE WHEN coalesce(pc_name, '') = '' THEN "
         "coalesce(host_name, '') ELSE pc_name END), (CASE WHEN coalesce(processor_name, '') = '' THEN "
         "coalesce(processor, '') ELSE processor_name END), group_name, "
         "(CASE WHEN origin = 'sheet' AND coalesce(started_at, '') = '' THEN 0 ELSE 1 END) DESC, sort_time DESC, "
         "id DESC)"),
};

struct Step {
  std::span<const SchemaStatement> statements;
  // The oldest schema a writer must know once this step has run: 1 for a
  // step that leaves older TORVIKs writing as they did.
  int writersFrom;
};

// Step 5's uuid is what a store keeps a sent run once by: writers before it
// have none. Every later step adds what older writers may leave out.
constexpr Step kSteps[] = {{kStep1, 1}, {kStep2, 1}, {kStep3, 1},  {kStep4, 1},  {kStep5, 5},  {kStep6, 1}, {kStep7, 1},
                           {kStep8, 1}, {kStep9, 1}, {kStep10, 1}, {kStep11, 1}, {kStep12, 1}, {kStep13, 1}};
static_assert(std::size(kSteps) == kStoreSchemaVersion, "one step per schema version");

}  // namespace

std::span<const SchemaStatement> SchemaStep(int step) { return kSteps[step - 1].statements; }

int WritersFrom(int step) { return kSteps[step - 1].writersFrom; }

int OldestWriterAfter(int oldest, int from, int to) {
  for (int step = std::max(from + 1, 1); step <= std::min(to, kStoreSchemaVersion); ++step) {
    oldest = std::max(oldest, WritersFrom(step));
  }
  return oldest;
}

int VersionOnlyRecord(int schema, int oldest) {
  return oldest > kLastVersionOnlySchema ? schema : std::min(schema, kLastVersionOnlySchema);
}

QSqlError ColumnsOf(QSqlDatabase& db, StoreDialect dialect, const char* table, QStringList& found) {
  QSqlQuery q(db);
  found.clear();
  if (!q.prepare(QLatin1String(WordsOf(dialect).columnsOfTable))) return q.lastError();
  q.addBindValue(QLatin1String(table));
  if (!q.exec()) return q.lastError();
  while (q.next()) found << q.value(0).toString();
  return {};
}

QSqlError HasTorvikTables(QSqlDatabase& db, StoreDialect dialect, bool& ours) {
  const std::pair<const char*, QStringList> expected[] = {
      {"runs", {"id", "started", "sort_time", "group_name", "total_tenths", "origin"}},
      {"tests", {"run_id", "test", "tenths", "seconds", "rate", "unit"}},
  };
  ours = true;
  for (const auto& [table, columns] : expected) {
    QStringList found;
    if (const QSqlError error = ColumnsOf(db, dialect, table, found); error.type() != QSqlError::NoError) return error;
    for (const QString& column : columns) ours = ours && found.contains(column);
  }
  return {};
}

SchemaRecord SchemaRecordOf(const QSqlQuery& row) {
  const QSqlRecord fields = row.record();
  const auto value = [&](const char* name) {
    const int index = fields.indexOf(QLatin1String(name));
    return index < 0 ? QVariant() : row.value(index);
  };
  SchemaRecord record;
  const QVariant schema = value("schema_version");
  record.schema = schema.isNull() ? row.value(0).toInt() : schema.toInt();
  const QVariant oldest = value("oldest_writer");
  record.oldestWriter = oldest.toInt();
  record.label = value("label").toString();
  return record;
}

QSqlError UpgradeSchema(QSqlDatabase& db, StoreDialect dialect, int from, int oldest) {
  if (from >= kStoreSchemaVersion) return {};
  QSqlQuery q(db);
  for (int step = from + 1; step <= kStoreSchemaVersion; ++step) {
    for (const SchemaStatement& statement : SchemaStep(step)) {
      if (statement.For(dialect) == nullptr) continue;
      if (!q.exec(QLatin1String(statement.For(dialect)))) return q.lastError();
    }
    if (step == kValuesStep) {
      if (const QSqlError error = ConvertFactsToValues(db); error.type() != QSqlError::NoError) return error;
    }
  }
  const int writers = OldestWriterAfter(oldest, from, kStoreSchemaVersion);
  const QString record = dialect == StoreDialect::Postgres
                             ? QStringLiteral("UPDATE torvik_schema SET version = %1, schema_version = %2, "
                                              "oldest_writer = %3")
                                   .arg(VersionOnlyRecord(kStoreSchemaVersion, writers))
                                   .arg(kStoreSchemaVersion)
                                   .arg(writers)
                             : QStringLiteral("PRAGMA user_version = %1").arg(kStoreSchemaVersion);
  if (!q.exec(record)) return q.lastError();
  return {};
}

}  // namespace torvik
