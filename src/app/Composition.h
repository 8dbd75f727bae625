// The program's composition beyond its window: what the display offers, the
// machine's rules for a test path, the name a server connection gives
// itself, and the command line's two programs: --run (the same session
// and workloads as the window's behind the command line's progress view,
// with a stage window of its own for the drawing groups) and the store's
// verbs. GUI thread, inside a running QApplication.
#pragma once

#include <QString>
#include <memory>

#include "cli/CommandLine.h"
#include "core/machine/MachineComponents.h"
#include "core/settings/SettingsStore.h"
#include "core/settings/TestPathRules.h"

namespace torvik {

// The running application's platform, whether it has a screen, and the
// primary screen's facts when it has.
DisplayFacts CurrentDisplay();

// The test-path rules of this machine's disks.
std::unique_ptr<TestPathRules> MachineRules();

// "torvik" and the PC name the settings hold (the host name without one):
// how this PC's connections name themselves on a shared server.
QString ClientNameOf(SettingsStore& settings);

// The settings' shared store; empty for none, and for one that is no
// usable PostgreSQL URL or holds a password: `refusal` then says why it is
// not used (the runs wait here).
QString SharedUrlInSettings(QString& refusal);
// The shared store: --store's (already refused when it holds a password),
// else the settings'; empty for none.
QString SharedUrlOf(const CommandLine& command, QString& refusal);

// --run: the exit status.
int RunHeadless(const RunOptions& options, const QString& sharedUrl);
// --history, --import, --export-csv, --compare, --sync on the shared store
// at `sharedUrl` (empty: none): the exit status.
int RunStoreVerb(const CommandLine& command, const QString& sharedUrl);

}  // namespace torvik
