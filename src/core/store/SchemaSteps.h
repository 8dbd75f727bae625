// The results store's schema as numbered steps, each statement written in
// both dialects' own words: SQLite's (the file on this PC) and PostgreSQL's
// (a server many PCs share). Step n takes the schema from version n - 1 to
// n; a step that has shipped is never edited, the next one is added. Each
// step says which TORVIKs may still write after it: an additive step (a
// column with a default, an index, a table of the server's own) leaves
// them as they were; one that older TORVIKs cannot satisfy says the oldest
// schema a writer must know. The server's version lives in a table of its
// own with the oldest writer it takes, the file's in PRAGMA user_version.
// Constant data and pure functions; any thread.
#pragma once

#include <QSqlError>
#include <QString>
#include <span>
#include <vector>

#include "core/store/SchemaNumbers.h"
#include "core/store/StoreDialect.h"

class QSqlDatabase;
class QSqlQuery;

namespace torvik {

struct SchemaStatement {
  const char* sqlite;
  const char* postgres;

  const char* For(StoreDialect dialect) const { return dialect == StoreDialect::Postgres ? postgres : sqlite; }
};

// The statements of step `step` (1 .. kStoreSchemaVersion); a statement
// null in a dialect is not that dialect's.
std::span<const SchemaStatement> SchemaStep(int step);
// The oldest schema a TORVIK must know to write to a store that has had
// step `step` (1 .. kStoreSchemaVersion).
int WritersFrom(int step);
// The oldest writer a store takes once steps `from` + 1 .. `to` have run on
// a store that took writers from `oldest`: never lower than before.
int OldestWriterAfter(int oldest, int from, int to);
// What the server's `version` says to TORVIKs that read it alone, for a
// store of schema `schema` taking writers from `oldest`: the real schema
// once they may not write (they refuse it as newer), else the newest they
// may take for their own.
int VersionOnlyRecord(int schema, int oldest);

// The names of `table`'s columns in `found`; the error when they could not
// be asked (never taken for a table that is not there).
QSqlError ColumnsOf(QSqlDatabase& db, StoreDialect dialect, const char* table, QStringList& found);
// Whether the tables and columns only TORVIK's store has are there, in `ours`.
QSqlError HasTorvikTables(QSqlDatabase& db, StoreDialect dialect, bool& ours);

// What a store's version record says (the row of the dialect's
// readVersion): its schema, the oldest schema a writer must know, and the
// label its owner gave it.
struct SchemaRecord {
  int schema = 0;
  // 0: not recorded (a store made before step 11, whose TORVIKs took none
  // but their own schema).
  int oldestWriter = 0;
  QString label;
  // Whether a TORVIK that knows schema `known` may write to it.
  bool TakesWriter(int known) const { return known >= schema || (oldestWriter > 0 && known >= oldestWriter); }
};
SchemaRecord SchemaRecordOf(const QSqlQuery& row);

// Runs the steps after `from` up to the current version on `db` (inside the
// caller's write transaction), converting the facts of the runs kept before
// the step that added their values, and records the new version (on a
// server with the oldest writer, from `oldest`, the one it took before).
QSqlError UpgradeSchema(QSqlDatabase& db, StoreDialect dialect, int from, int oldest = 1);

}  // namespace torvik
