// What a shared store's owner granted its group roles: the PCs' group
// (torvik_member: adds runs and reads them) and the readers' (torvik_reader:
// reads), and which of them the server has no role for yet. Plain values;
// any thread.
#pragma once

#include <QStringList>

namespace torvik {

inline constexpr char kMemberGroup[] = "torvik_member";
inline constexpr char kReaderGroup[] = "torvik_reader";

struct FleetRights {
  QStringList granted;  // the group roles given their rights
  QStringList missing;  // the group roles the server does not have
};

}  // namespace torvik
