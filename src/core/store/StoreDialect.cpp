#include "core/store/StoreDialect.h"

namespace torvik {

const DialectWords& WordsOf(StoreDialect dialect) {
  static constexpr DialectWords kSqlite{
      .beginWrite = "BEGIN IMMEDIATE",
      .returningId = "",
      .readVersion = "PRAGMA user_version",
      .columnsOfTable = "SELECT name FROM pragma_table_info(?)",
      .mayDelete = "SELECT 1",
  };
  static constexpr DialectWords kPostgres{
      .beginWrite = "BEGIN",
      .returningId = " RETURNING id",
      .readVersion = "SELECT * FROM torvik_schema",
      .columnsOfTable =
          "SELECT column_name FROM information_schema.columns "
          "WHERE table_schema = current_schema() AND table_name = ?",
      .mayDelete = "SELECT has_table_privilege('runs', 'DELETE') AND has_table_privilege('tests', 'DELETE')",
  };
  return dialect == StoreDialect::Postgres ? kPostgres : kSqlite;
}

}  // namespace torvik
