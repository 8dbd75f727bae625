// The results store's schema as numbered steps, each statement written in
// both dialects' own words: SQLite's (the file on this PC) and PostgreSQL's
// (a server many PCs share). Step n takes the schema from version n - 1 to
// n; a step that has shipped is never edited, the next one is added. The
// server's version lives in a table of its own, the file's in PRAGMA
// user_version. Constant data and pure functions; any thread.
#pragma once

#include <QSqlError>
#include <QString>
#include <span>
#include <vector>

#include "core/store/StoreDialect.h"

class QSqlDatabase;

namespace torvik {

inline constexpr int kStoreSchemaVersion = 10;
// The oldest schema runs can be sent to as it is (a run's uuid, by which the
// store keeps it once, came with step 5).
inline constexpr int kOldestWorkableSchema = 5;
// The step that added a run's host name and machine id.
inline constexpr int kHostNameStep = 8;

struct SchemaStatement {
  const char* sqlite;
  const char* postgres;

  const char* For(StoreDialect dialect) const { return dialect == StoreDialect::Postgres ? postgres : sqlite; }
};

// The statements of step `step` (1 .. kStoreSchemaVersion).
std::span<const SchemaStatement> SchemaStep(int step);

// The names of `table`'s columns in `found`; the error when they could not
// be asked (never taken for a table that is not there).
QSqlError ColumnsOf(QSqlDatabase& db, StoreDialect dialect, const char* table, QStringList& found);
// Whether the tables and columns only TORVIK's store has are there, in `ours`.
QSqlError HasTorvikTables(QSqlDatabase& db, StoreDialect dialect, bool& ours);

// Runs the steps after `from` up to the current version on `db` (inside the
// caller's write transaction), converting the facts of the runs kept before
// the step that added their values, and records the new version.
QSqlError UpgradeSchema(QSqlDatabase& db, StoreDialect dialect, int from);

}  // namespace torvik
