// The shared store's side of a send (StoreSync is the PC's): in one
// transaction, a run it already has (its uuid, or its sheet's key) counts as
// there, once however often it is sent; one it will not take for what it
// holds is refused on its own (a savepoint each), never holding back the
// runs behind it; the others are kept, as sent and without a problem. A
// failure of the store or the connection keeps none. The store's thread.
#pragma once

#include <vector>

#include "core/records/ArchiveStatus.h"
#include "core/records/StoredRun.h"
#include "core/records/SyncResult.h"

namespace torvik {

class StoreSession;

// `runs` received on the shared store's open session (ResultStore::Receive).
ArchiveResult<ReceiveCounts> ReceiveRuns(StoreSession& shared, const std::vector<StoredRun>& runs);

}  // namespace torvik
