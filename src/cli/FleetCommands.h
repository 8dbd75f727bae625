// The command line's verbs on a shared store's fleet: --upgrade-store makes
// or upgrades its schema and grants the group roles their rights (saying
// what this command did: another may have made it the moment before),
// --machines lists the machines with their state, role, TORVIK and last
// run, marking the stale and the behind, and --approve and --retire decide
// one (the store's owner's); --changes lists what changed on each machine
// since a day beyond the noise, its comparisons judged together (the
// false discovery rate held; any store's). Each runs its archive job and
// prints what it gives. Exit status: 0; 1 when the store fails or this
// role may not; 2 without a shared store or for a name that is no one
// machine's; 3 from --machines when a machine is stale, from --changes
// when a change is for the slower. GUI thread, inside a running
// application.
#pragma once

#include "cli/CommandLine.h"

namespace torvik {

class RunArchive;

int UpgradeStoreVerb(const CommandLine& command, RunArchive& archive);
int MachinesVerb(const CommandLine& command, RunArchive& archive);
int ApproveVerb(const CommandLine& command, RunArchive& archive);
int RetireVerb(const CommandLine& command, RunArchive& archive);
int ChangesVerb(const CommandLine& command, RunArchive& archive);

}  // namespace torvik
