// Who a machine is, beyond the PC name a user may leave empty or give twice:
// its host name, and a stable machine id that never gives away the system's
// own: a hash of /etc/machine-id with this program's own salt, so the same
// machine gives the same id in every run and store while the raw id (which
// other software uses as a secret seed) is never kept. Empty when the
// system has none. Pure over its sources; any thread.
#pragma once

#include <QString>

#include "platform/SystemSources.h"

namespace torvik {

struct MachineIdentity {
  QString hostName;
  QString machineId;  // 32 hex digits; empty without /etc/machine-id
};

MachineIdentity IdentityOf(const platform::SystemSources& sources);

// The stable id of a system whose /etc/machine-id holds `systemId`.
QString MachineIdOf(const QString& systemId);

}  // namespace torvik
