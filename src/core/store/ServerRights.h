// The rights a shared store's owner gives its group roles, and nothing
// more: torvik_member may read every table and add runs (every column but
// the server's own: the id, who sent it, when it arrived) and their tests;
// torvik_reader may read. Neither may write the version record or the
// machines, nor change or delete anything. Rights granted before (the
// default privileges of an older set-up, INSERT into every table) are taken
// back first, so the result is the same whatever was there. PC roles get
// them by being members of a group role. Within the caller's write
// transaction, under the schema's lock (concurrent grants on one table
// fail on the server). The connection's thread.
#pragma once

#include <QSqlError>

#include "core/records/FleetRights.h"

class QSqlDatabase;

namespace torvik {

// Grants the rights on the open store of the current schema; what was
// granted in `done`. An error of the server's, or none.
QSqlError GrantFleetRights(QSqlDatabase& db, FleetRights& done);

}  // namespace torvik
