// Sending the runs kept on this PC to the shared store (RunReceiver is the
// shared store's side of it): every run waiting (recorded or imported here,
// not yet sent) is received by the shared store, 500 at a time, each part
// in one transaction on either side, and then marked sent here; a run the
// shared store will not take for what it holds is set aside here with why,
// and the runs behind it go all the same. A send cut short (a lost
// connection, a signal) leaves the runs waiting; sent again, none is kept
// twice. The stores' thread (the window's archive thread, or the command
// line's one thread).
#pragma once

#include <QString>
#include <QStringList>

#include "core/records/ArchiveStatus.h"
#include "core/records/SyncResult.h"
#include "core/store/ResultStore.h"

namespace torvik {

SyncResult SendWaitingRuns(ResultStore& local, ResultStore& shared);

}  // namespace torvik
