// What an administrator asks of a fleet's machines: which stopped
// reporting (stale: nothing heard of one for longer than the time chosen),
// which run a TORVIK behind the fleet's (its latest run made by a TORVIK
// that knows an older schema than the store's or the newest machine's, or
// by one too old to say), and which machine a name on the command line
// means. Pure; any thread.
#pragma once

#include <QString>
#include <cstdint>
#include <vector>

#include "core/records/FleetMachine.h"

namespace torvik {

struct MachineStatus {
  FleetMachine machine;
  bool stale = false;   // not retired, and nothing heard of it for longer than the time chosen
  bool behind = false;  // its latest run's TORVIK knows an older schema than the fleet's newest
};

// `machines` judged at `now` (seconds since 1970), stale after
// `staleAfter` seconds without a word, behind the newer of `storeSchema`
// and the newest schema any machine's TORVIK knows; pending machines
// first, then approved, then retired, each by name and id.
std::vector<MachineStatus> JudgeFleet(const std::vector<FleetMachine>& machines, int64_t now, int64_t staleAfter,
                                      int storeSchema);

// The machines `which` names: its id whole, or a prefix of at least six of
// its digits; else the machines whose PC name (or host name) is `which`,
// in any case.
std::vector<FleetMachine> MachinesNamed(const std::vector<FleetMachine>& machines, const QString& which);

}  // namespace torvik
