// Sending the runs kept on this PC to the shared store: every run waiting
// (recorded or imported here, not yet sent) is received by the shared store
// (500 at a time, each part in one transaction), which keeps a run it
// already has once, and then marked sent here; a run it will not take for what it holds is set aside
// here with why, and the runs behind it go all the same. A send cut short (a lost connection, a signal) leaves
// the runs waiting; sent again, none is kept twice. The stores' thread (the
// window's archive thread, or the command line's one thread).
#pragma once

#include <QString>
#include <QStringList>

#include "core/history/ResultStore.h"

namespace torvik {

struct SyncResult {
  int sent = 0;     // new in the shared store
  int waiting = 0;  // still waiting here
  // Set aside now: the shared store would not take them (why, in the order
  // of the runs); they wait no more.
  QStringList setAside;
  QString error;    // why not all were sent; empty when they were
  bool unreachable = false;  // the shared store's server could not be reached or went away
};

SyncResult SendWaitingRuns(ResultStore& local, ResultStore& shared);

}  // namespace torvik
