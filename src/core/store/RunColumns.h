// The columns of the results store's two tables in one place each: a run's
// (runs) and a test's (tests), each column with how a stored value is
// written from the row and read back into it, always by the column's name.
// The statements that list columns are made from these tables, so a column
// added is one row here and a schema step. Any thread (the statements run on
// the caller's connection).
#pragma once

#include <QSqlError>
#include <QSqlRecord>
#include <QString>
#include <QVariant>
#include <span>
#include <vector>

#include "core/records/StoredRun.h"

class QSqlDatabase;
class QSqlQuery;

namespace torvik {

template <typename Row>
struct Column {
  const char* name;
  QVariant (*write)(const Row& row);  // null: given by the store (a run's id)
  void (*read)(Row& row, const QVariant& value);
  bool fromTexts = false;  // a fact's value, worked out from the run's texts when it is kept
  int sinceStep = 1;       // the schema step that added it
};

std::span<const Column<StoredRun>> RunColumns();
std::span<const Column<StoredTest>> TestColumns();

// The columns a store of schema `version` has (an older server's, which a
// member of it uses as it is).
template <typename Row>
std::vector<Column<Row>> ColumnsAt(std::span<const Column<Row>> columns, int version) {
  std::vector<Column<Row>> at;
  for (const Column<Row>& column : columns) {
    if (column.sinceStep <= version) at.push_back(column);
  }
  return at;
}

// The columns a run's INSERT writes in a store of schema `version`: all
// but those the store gives (the id; on a server, who sent it and when).
std::vector<Column<StoredRun>> WrittenColumns(int version);

// "name, name, ..." of `columns`, each after `prefix` ("r.").
template <typename Row>
QString ColumnList(std::span<const Column<Row>> columns, const QString& prefix = {}) {
  QStringList names;
  for (const Column<Row>& column : columns) names << prefix + QLatin1String(column.name);
  return names.join(QStringLiteral(", "));
}

// Reads the rows of a query that selected some of `columns`: each column
// is found in the result by its name once; one missing reads as null.
template <typename Row>
class RowReader {
 public:
  RowReader(std::span<const Column<Row>> columns, const QSqlRecord& record) : columns_(columns.begin(), columns.end()) {
    for (const Column<Row>& column : columns) indexes_.push_back(record.indexOf(QLatin1String(column.name)));
  }
  Row Read(const QSqlQuery& query) const;

 private:
  std::vector<Column<Row>> columns_;
  std::vector<int> indexes_;
};

// The INSERT of a run's row in a store of schema `version` (every column it
// has but the id; a run without a uuid gets a new one), and binding a run to
// it: the facts' values are worked out from its texts, for a run and an
// imported sheet alike.
QString InsertRunStatement(int version);
void BindRun(QSqlQuery& insert, const StoredRun& run, int version);
// The INSERT of a test's row, run_id first, and binding a test to it.
// The insert of `rows` tests at once (one statement, one round trip),
// bound test after test by BindTest.
QString InsertTestStatement(int version, int rows = 1);
void BindTest(QSqlQuery& insert, int64_t runId, const StoredTest& test, int version);

// The facts' values of the runs kept before the store had them, worked out
// from their texts (the schema step that added the value columns).
QSqlError ConvertFactsToValues(QSqlDatabase& db);

}  // namespace torvik
