#include "core/records/FleetMachine.h"

namespace torvik {

const char* MachineStateId(MachineState state) {
  switch (state) {
    case MachineState::Pending: return "pending";
    case MachineState::Approved: return "approved";
    case MachineState::Retired: return "retired";
  }
  return "pending";
}

std::optional<MachineState> MachineStateOfId(const QString& id) {
  for (MachineState state : {MachineState::Pending, MachineState::Approved, MachineState::Retired}) {
    if (id == QLatin1String(MachineStateId(state))) return state;
  }
  return std::nullopt;
}

}  // namespace torvik
