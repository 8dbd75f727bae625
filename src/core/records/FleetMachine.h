// A machine of a shared store's fleet as the server knows it: its stable
// id, the role whose machine it is (the first that sent for it), whether its
// owner approved it, its first run, and what its latest run and the
// server's record say of it now. Plain values; any thread.
#pragma once

#include <QString>
#include <cstdint>
#include <optional>

namespace torvik {

// A new machine waits for its owner's approval before it is ranked; a
// retired one is kept, and ranked no more.
enum class MachineState { Pending, Approved, Retired };

// "pending", "approved", "retired": the store's words and JSON's.
const char* MachineStateId(MachineState state);
std::optional<MachineState> MachineStateOfId(const QString& id);

struct FleetMachine {
  QString machineId;
  QString role;  // the role whose machine it is; empty: not claimed since the server kept senders
  MachineState state = MachineState::Pending;
  QString pcName, hostName;  // as its latest run names it
  std::optional<int64_t> firstRun;
  int64_t firstSeen = 0;  // seconds since 1970, the server's clock
  // Its latest run (by the time it started): id, start (the PC's clock),
  // the TORVIK that made it (version, schema: none from one before the
  // server kept them) and the role that sent it.
  std::optional<int64_t> lastRun;
  std::optional<int64_t> lastRunTime;
  QString lastVersion;
  std::optional<int> lastSchema;
  QString lastSender;
  // When the server last received a run of it (none before it kept arrivals).
  std::optional<int64_t> lastReceived;
  int runs7 = 0, runs30 = 0;  // runs that started in the last 7 and 30 days

  // Who it is in a list: the PC name, else the host name.
  const QString& Name() const { return pcName.isEmpty() ? hostName : pcName; }
  // When it was last heard of: its last arrival, else its last run's start.
  std::optional<int64_t> LastHeard() const { return lastReceived ? lastReceived : lastRunTime; }
};

}  // namespace torvik
