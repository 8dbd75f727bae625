// What a send of the runs waiting on this PC to the shared store did, on
// either side. Plain values; any thread.
#pragma once

#include <QString>
#include <QStringList>
#include <cstdint>
#include <utility>
#include <vector>

#include "core/records/ArchiveStatus.h"

namespace torvik {

// What a shared store did with the runs sent to it, by their ids on the PC.
struct ReceiveCounts {
  std::vector<int64_t> received;                     // kept now
  std::vector<int64_t> present;                      // there already (their uuid, or their sheet's key)
  std::vector<std::pair<int64_t, QString>> refused;  // not taken for what they hold: why
};

// What the PC's side of a send did.
struct SyncResult {
  int sent = 0;     // new in the shared store
  int waiting = 0;  // still waiting here
  // Set aside now: the shared store would not take them (why, in the order
  // of the runs); they wait no more.
  QStringList setAside;
  ArchiveStatus failure;  // why not all were sent; Ok when they were
};

}  // namespace torvik
