#include "core/store/MachineQuery.h"

#include <QStringList>

#include "core/store/RunQuery.h"

namespace torvik {
namespace {

// The three expressions of the key, in the index's order.
QString KeyColumns(int version) {
  return QStringLiteral("%1, %2, group_name").arg(MachineNameExpression(version), ProcessorModelExpression());
}

// The runs of the machine key `k` names: an equality on each of the index's
// first three columns.
QString OfKey(int version) {
  return QStringLiteral("%1 = k.key_name AND %2 = k.key_model AND group_name = k.key_group")
      .arg(MachineNameExpression(version), ProcessorModelExpression());
}

// Each key's runs in the index's order after the key: dated runs newest
// first, then the sheet's blocks of unknown date, so that a machine's
// newest runs are its newest dated ones whatever older TORVIKs sorted
// those blocks at.
QString DatedNewestFirst() {
  return QStringLiteral("ORDER BY (%1) DESC, sort_time DESC, id DESC").arg(DatedExpression());
}

}  // namespace

QString MachineKeysClause(int version) {
  const QString name = MachineNameExpression(version), model = ProcessorModelExpression();
  const QString order = KeyColumns(version);
  // The next key after k's: a later group of the same machine, else a
  // later model of the same name, else a later name. Each a range of the
  // index's leading columns whose first entry is the answer: a row value
  // compared as a whole is not searched on an index of expressions by
  // SQLite. `>= ''` holds for every text and starts the walk at the
  // index's first entry.
  const QString next =
      QStringLiteral(
          "coalesce("
          "(SELECT id FROM runs WHERE %1 = k.key_name AND %2 = k.key_model AND group_name > k.key_group "
          "ORDER BY group_name LIMIT 1), "
          "(SELECT id FROM runs WHERE %1 = k.key_name AND %2 > k.key_model "
          "ORDER BY %2, group_name LIMIT 1), "
          "(SELECT id FROM runs WHERE %1 > k.key_name ORDER BY %3 LIMIT 1))")
          .arg(name, model, order);
  return QStringLiteral(
             "WITH RECURSIVE machine_keys(id, key_name, key_model, key_group) AS ("
             "SELECT id, %1, %2, group_name FROM runs "
             "WHERE id = (SELECT id FROM runs WHERE %1 >= '' ORDER BY %3 LIMIT 1) "
             "UNION ALL "
             "SELECT runs.id, %1, %2, runs.group_name FROM machine_keys k JOIN runs ON runs.id = %4) ")
      .arg(name, model, order, next);
}

QString LatestOfEachMachine(const QString& conditions, int version) {
  return MachineKeysClause(version) + QStringLiteral(
                                          "SELECT runs.id FROM machine_keys k JOIN runs ON runs.id = "
                                          "(SELECT id FROM runs WHERE %1 %2 %3 LIMIT 1) "
                                          "ORDER BY runs.sort_time DESC, runs.id DESC LIMIT ?")
                                          .arg(OfKey(version), conditions, DatedNewestFirst());
}

QString MachinesWithRuns(const QString& conditions, int version) {
  // A key's first run of the conditions, each key on its own: an EXISTS
  // the server may turn into a join of every run.
  return MachineKeysClause(version) + QStringLiteral(
                                          "SELECT k.key_name, k.key_model, k.key_group FROM machine_keys k "
                                          "WHERE (SELECT 1 FROM runs WHERE %1 %2 LIMIT 1) IS NOT NULL "
                                          "ORDER BY k.key_name, k.key_model, k.key_group")
                                          .arg(OfKey(version), conditions);
}

QString NewestRunsOfMachines(const QString& columns, const QString& conditions, int version, int machines) {
  // Each key's read its own range of the index, stopped at its LIMIT.
  QStringList reads;
  for (int i = 0; i < machines; ++i) {
    reads << QStringLiteral(
                 "SELECT * FROM (SELECT %1 FROM runs WHERE %2 = ? AND %3 = ? AND group_name = ? %4 %5 LIMIT ?) m%6")
                 .arg(columns, MachineNameExpression(version), ProcessorModelExpression(), conditions, DatedNewestFirst())
                 .arg(i);
  }
  return reads.join(QStringLiteral(" UNION ALL "));
}

QString RunCountsOfMachines(const QString& where, int version) {
  return QStringLiteral("SELECT %1, %2, count(*) FROM runs %3 GROUP BY %1, %2")
      .arg(MachineNameExpression(version), ProcessorModelExpression(), where);
}

}  // namespace torvik
