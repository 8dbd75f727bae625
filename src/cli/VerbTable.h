// The command line's options in one table, in the order --help lists them:
// the verbs (what the program is asked to do: open the window, run groups,
// or one of the results archive's jobs), each with the options it takes,
// whether it needs a display, and what runs it; and the options that go
// with verbs, each with the kind of verb that takes it. The parser, main()
// and the platform choice all read it: a new verb is one row here and one
// job. Constant data; any thread.
#pragma once

#include <QString>
#include <span>

#include "cli/CommandLine.h"

namespace torvik {

class RunArchive;

// What the options a verb takes are, one bit each.
enum OptionKind : unsigned {
  kTakesFormat = 1u << 0,      // --format
  kTakesFilter = 1u << 1,      // --pc, --processor, --group, --since, --until
  kTakesBaseline = 1u << 2,    // --baseline
  kTakesRunOptions = 1u << 3,  // --dir, --repeat, --output, --report, --quiet, --no-record, --require-sent
  kTakesFiles = 1u << 4,       // FILE... after the options
  kTakesIds = 1u << 5,         // two run ids after the options
  kTakesStale = 1u << 6,       // --stale
  kTakesLabel = 1u << 7,       // --label
};

// Whether a verb needs a display: never, only for groups that draw on the
// screen, or always (the window).
enum class DisplayNeed { None, DrawingGroups, Always };

// A verb of the results archive: its exit status.
using StoreVerbBody = int (*)(const CommandLine& command, RunArchive& archive);

struct OptionEntry {
  const char* name;
  char shortName;            // 0: none
  const char* valueName;     // null: a switch
  const char* defaultValue;  // null: none
  const char* help;
  // A verb: what it is, the options it takes, its display, and what runs
  // a verb of the archive (null for the window and for --run).
  bool verb = false;
  CommandLine::Action action = CommandLine::Action::Window;
  unsigned takes = 0;  // a verb: the kinds it takes; an option of verbs: its own kind
  DisplayNeed display = DisplayNeed::None;
  StoreVerbBody body = nullptr;
  int place = 0;  // a verb's place where messages name verbs (the help lists them as they came)
  // An option of verbs: how its misuse is said ("needs" or "goes with"),
  // and, for a verb whose value or files are missing, what it needs.
  const char* missing = nullptr;
  const char* relation = nullptr;
};

// Every option, in the order --help lists them.
std::span<const OptionEntry> OptionTable();
// The verbs, in their place where messages name them.
std::span<const OptionEntry* const> Verbs();
// The row of `action`'s verb; the window's for an action that is none.
const OptionEntry& VerbOf(CommandLine::Action action);
// "--run, --history or --sync": the verbs that take `kind`, joined with
// `last` ("or", "and") before the last.
QString VerbsTaking(unsigned kind, const char* last);

}  // namespace torvik
