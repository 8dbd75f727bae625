// Which runs a read of the results archive takes, and where a page of a
// list goes on. Plain values; any thread.
#pragma once

#include <QString>
#include <cstdint>
#include <optional>

namespace torvik {

// Which runs a list shows; an empty field (a PC name not given) does not
// filter.
struct RunFilter {
  std::optional<QString> pcName{};      // the PC name, whole, in any case ("": unnamed machines)
  QString processor{};                  // a part of the processor's text, in any case
  QString processorName{};              // the processor's name without its clock, whole
  QString machineId{};                  // the machine's stable id, whole
  QString group{};                      // a group's id, exactly
  std::optional<QString> machine{};     // the PC name, or the host name where it has none, whole, in any case
  std::optional<int64_t> from{}, to{};  // the time it ran, seconds since 1970, both included
};

// One machine's runs of one group, as trends and rankings tell machines
// apart: its name (the PC name, or the host name where it has none), its
// processor's model, and the group, each exactly as the store keeps it.
struct MachineKey {
  QString name, processor, group;
};

// Where a page of the list goes on: after this run (the last one shown).
struct RunKey {
  int64_t sortTime = 0;
  int64_t id = 0;
};

}  // namespace torvik
