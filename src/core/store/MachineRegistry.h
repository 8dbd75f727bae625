// The shared store's machines, as its owner sees and decides them: each
// machine with its role, state, first run and what its latest run says
// (its TORVIK, its sender), its runs of the last 7 and 30 days and its last
// arrival, read in one statement answered by the machines' own table and
// the runs' index by machine; a machine approved or retired. A store
// without machines (this PC's file, a server's schema before step 11)
// answers no machines. The store's thread.
#pragma once

#include <cstdint>
#include <vector>

#include "core/records/ArchiveStatus.h"
#include "core/records/FleetMachine.h"

namespace torvik {

class StoreSession;

// Whether the open store keeps machines.
bool KeepsMachines(const StoreSession& session);
// The machines, by their id; `now` (seconds since 1970) is where the last
// 7 and 30 days end.
ArchiveResult<std::vector<FleetMachine>> ReadMachines(StoreSession& session, int64_t now);
// Sets the state of the machine `machineId` (whole); how many were changed.
ArchiveResult<int> ChangeMachineState(StoreSession& session, const QString& machineId, MachineState state);
// Whether this role may approve and retire machines.
ArchiveResult<bool> MayDecideMachines(StoreSession& session);

}  // namespace torvik
