// The SQL of the reads that go machine by machine, built without a
// database: the machines of a store (each name, processor model and group
// that has runs) walked on their index (runs_by_machine_key) one key after
// the other, as a skip scan that costs a few index descents a machine
// whatever the runs it has; each machine's newest run among a filter's; a
// machine's newest runs; and the count of each machine's runs. The same
// words serve both dialects (no LATERAL: correlated subqueries with
// ORDER BY ... LIMIT 1, which both planners answer from the index). Pure;
// any thread.
#pragma once

#include <QString>

namespace torvik {

// "WITH RECURSIVE machine_keys(id, key_name, key_model, key_group) AS
// (...)": every machine key of the store in the index's order, each with
// one of its runs' id; binds nothing. On a store of schema `version`.
QString MachineKeysClause(int version);

// The ids of each machine key's newest run among those of `conditions`
// ("" or "AND ..." on the runs' columns, binding in order), newest first,
// then at most one more value: the LIMIT. A dated run is newer than any
// sheet block of unknown date. Keys without such a run give none.
QString LatestOfEachMachine(const QString& conditions, int version);

// Each machine key that has a run of `conditions` (as above): its name,
// processor model and group, in the index's order.
QString MachinesWithRuns(const QString& conditions, int version);

// `columns` of `machines` machine keys' runs of `conditions`, each key's
// newest first (its dated runs before its blocks of unknown date), the keys
// one after the other: binds for each key its name,
// model and group, then `conditions`' values, then the LIMIT.
QString NewestRunsOfMachines(const QString& columns, const QString& conditions, int version, int machines);

// Each machine's (name and processor model) count of the runs of `where`
// ("" or "WHERE ..."), in any order.
QString RunCountsOfMachines(const QString& where, int version);

}  // namespace torvik
