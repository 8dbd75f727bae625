// Parsing the command line: the arguments, through the table of options
// (VerbTable), into what to do, or a usage error. Pure; any thread.
#pragma once

#include <QStringList>
#include <vector>

#include "cli/CommandLine.h"

namespace torvik {

// `arguments` as main() gets them, the program's name first.
CommandLine ParseCommandLine(const QStringList& arguments);

// Whether any of the groups draws on the screen (the catalogue's needsScreen).
bool NeedsScreen(const std::vector<Group>& groups);

}  // namespace torvik
