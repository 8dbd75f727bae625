// The two dialects a results store speaks, and the one-line differences
// between them in one table: how a write transaction takes the write lock,
// how an inserted row's id comes back, where the schema's version lives.
// What differs wholesale (opening a file or a server, recognising the
// schema, which errors are transient) lives in the store's connection for
// each. Constant data; any thread.
#pragma once

namespace torvik {

enum class StoreDialect { Sqlite, Postgres };

struct DialectWords {
  // Starts a write transaction holding the write lock at once: a SQLite
  // transaction that upgrades from a read lock later can fail at once
  // against another copy's write; the server locks rows as it writes them.
  const char* beginWrite;
  // Appended to an INSERT so that it returns the new row's id as a result
  // row (empty: the driver's last insert id gives it).
  const char* returningId;
  // Reads the schema's record as one row (SchemaRecordOf reads it).
  const char* readVersion;
  // The names of the columns of the table named by its one value.
  const char* columnsOfTable;
  // Whether this connection may delete runs, as one row.
  const char* mayDelete;
};

const DialectWords& WordsOf(StoreDialect dialect);

}  // namespace torvik
