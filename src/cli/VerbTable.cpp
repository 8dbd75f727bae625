#include "cli/VerbTable.h"

#include <QStringList>
#include <algorithm>
#include <vector>

#include "cli/FleetCommands.h"
#include "cli/StoreCommands.h"
#include "cli/StoreReports.h"

namespace torvik {
namespace {

using Action = CommandLine::Action;

constexpr const char* kNeeds = "needs";
constexpr const char* kGoesWith = "goes with";

// A verb's row.
constexpr OptionEntry Verb(int place, const char* name, const char* valueName, const char* help, Action action,
                           unsigned takes, StoreVerbBody body, const char* missing = nullptr,
                           DisplayNeed display = DisplayNeed::None) {
  return {.name = name,
          .shortName = 0,
          .valueName = valueName,
          .defaultValue = nullptr,
          .help = help,
          .verb = true,
          .action = action,
          .takes = takes,
          .display = display,
          .body = body,
          .place = place,
          .missing = missing};
}

// The row of an option that goes with verbs of `kind`.
constexpr OptionEntry With(const char* name, const char* valueName, const char* help, unsigned kind,
                           const char* relation, const char* defaultValue = nullptr) {
  return {.name = name,
          .shortName = 0,
          .valueName = valueName,
          .defaultValue = defaultValue,
          .help = help,
          .takes = kind,
          .relation = relation};
}

const OptionEntry kOptions[] = {
    {.name = "help",
     .shortName = 'h',
     .valueName = nullptr,
     .defaultValue = nullptr,
     .help = "Show this help and exit."},
    {.name = "version",
     .shortName = 'v',
     .valueName = nullptr,
     .defaultValue = nullptr,
     .help = "Show the program's version and exit."},
    Verb(0, "run", "GROUPS", "Run GROUPS, a comma list of %1, in that order, without the window.", Action::Run,
         kTakesFormat | kTakesRunOptions, nullptr, nullptr, DisplayNeed::DrawingGroups),
    With("dir", "PATH", "Test directory for this run only (not stored); default: the one set in the window.",
         kTakesRunOptions, kNeeds),
    With("repeat", "N",
         "Run the groups N times (1-100), or 'auto': at least 3 times, more until every test's spread (cv) is at "
         "most 3 % (at most 10 times, 30 minutes); JSON gives every repetition and each test's statistics.",
         kTakesRunOptions, kNeeds, "1"),
    With("format", "FORMAT", "Output: text (the report block) or json. Default: text.", kTakesFormat, kNeeds, "text"),
    With("output", "FILE", "Write the result to FILE (whole, or not at all) instead of stdout.", kTakesRunOptions,
         kNeeds),
    With("report", nullptr, "Also append the report block to the result sheet, as Report does.", kTakesRunOptions,
         kNeeds),
    With("quiet", nullptr, "No progress on stderr.", kTakesRunOptions, kNeeds),
    With("no-record", nullptr, "Do not keep the finished groups in the results store.", kTakesRunOptions, kNeeds),
    Verb(1, "history", nullptr, "List the recorded runs, newest first (text, or JSON with --format json).",
         Action::History, kTakesFormat | kTakesFilter, HistoryVerb),
    Verb(5, "import", nullptr, "Import the result sheets FILE... into the results store and print the counts.",
         Action::Import, kTakesFiles, ImportVerb, "--import needs the sheets to import."),
    Verb(6, "export-csv", "FILE", "Write every recorded run to FILE as CSV, one row per run and test.",
         Action::ExportCsv, 0, ExportCsvVerb, "--export-csv needs a file name."),
    Verb(7, "compare", nullptr,
         "Compare the recorded runs A and B (ids as --history lists them; each with the repetitions of its "
         "command), test by test.",
         Action::Compare, kTakesFormat | kTakesIds, CompareVerb),
    {.name = "store",
     .shortName = 0,
     .valueName = "URL",
     .defaultValue = nullptr,
     .help = "The shared results store, a PostgreSQL URL (postgresql://user@host/db): runs are kept here and sent "
             "there; the store's verbs work on it. Default: Url in the settings' [Store] group."},
    Verb(8, "sync", nullptr,
         "Send the runs kept here that have not reached the shared store (the counts as text, or JSON with --format "
         "json).",
         Action::Sync, kTakesFormat, SyncVerb),
    With("pc", "NAME",
         "With --history: only the runs of this PC name. With --trend, --ranking, --html and --changes: of this machine (its PC "
         "name, or host name).",
         kTakesFilter, kGoesWith),
    With("processor", "TEXT", "With a store's list: only the runs whose processor name contains TEXT.", kTakesFilter,
         kGoesWith),
    With("require-sent", nullptr,
         "With --run and a shared store: exit with status 3 when a run was kept here but not sent.", kTakesRunOptions,
         kNeeds),
    Verb(9, "upgrade-store", nullptr,
         "Make or upgrade the shared store's schema and grant the group roles torvik_member and torvik_reader their "
         "rights (its owner's role), and say what it did.",
         Action::UpgradeStore, kTakesLabel, UpgradeStoreVerb),
    With("label", "TEXT", "With --upgrade-store: the store's name on report pages (default: its database's name).",
         kTakesLabel, kGoesWith),
    Verb(10, "machines", nullptr,
         "The shared store's machines: state (pending, approved, retired), role, TORVIK, last run, runs in 7 and 30 "
         "days; exit status 3 when one is stale (text, or JSON).",
         Action::Machines, kTakesFormat | kTakesStale, MachinesVerb),
    With("stale", "DAYS", "With --machines: a machine not heard of for more than DAYS days is stale. Default: 7.",
         kTakesStale, kGoesWith, "7"),
    Verb(11, "approve", "MACHINE",
         "Approve the shared store's machine MACHINE (its id, or the first digits of it, or its name, as --machines "
         "lists it): its runs are ranked (the store's owner's).",
         Action::Approve, 0, ApproveVerb, "--approve needs a machine, as --machines lists it."),
    Verb(12, "retire", "MACHINE",
         "Retire the shared store's machine MACHINE: its runs are kept and ranked no more (the store's owner's).",
         Action::Retire, 0, RetireVerb, "--retire needs a machine, as --machines lists it."),
    Verb(13, "changes", nullptr,
         "What changed on each machine since --since (default: a week ago), series against the series before, "
         "beyond the noise with the false discovery rate across all the comparisons held at 5 %; exit status 3 "
         "when a change is for the slower (text, or JSON).",
         Action::Changes, kTakesFormat | kTakesFilter, ChangesVerb),
    Verb(2, "trend", nullptr,
         "Each machine's figures over time, series by series, with their spread and the changes beyond the noise "
         "(text, or JSON).",
         Action::Trend, kTakesFormat | kTakesFilter, TrendVerb),
    Verb(3, "ranking", nullptr,
         "The latest series of each machine in each group, fastest first, against a baseline machine (text, or "
         "JSON).",
         Action::Ranking, kTakesFormat | kTakesFilter | kTakesBaseline, RankingVerb),
    Verb(4, "html", "FILE",
         "Write a report page to FILE: one HTML file with the machines, the ranking, the trends and their tables, "
         "for any browser.",
         Action::Html, kTakesFilter | kTakesBaseline, HtmlVerb, "--html needs a file name."),
    With("group", "GROUP", "With a store's list: only the runs of this group (cpu, graphic, memory, hdd, all, cores, ram, drive).",
         kTakesFilter, kGoesWith),
    With("since", "DATE", "With a store's list: only the runs from this day on (YYYY-MM-DD).", kTakesFilter, kGoesWith),
    With("until", "DATE", "With a store's list: only the runs up to this day (YYYY-MM-DD).", kTakesFilter, kGoesWith),
    With("file-size", "SIZE",
         "With --run drive: the size of the drive group's test file for this run only (512M, 1G, 4GiB; default: "
         "the settings' Drive/FileSize, else 1G).",
         kTakesRunOptions, kNeeds),
    With("baseline", "NAME",
         "With --ranking and --html: the machine the others are compared with (its PC name, or host name).",
         kTakesBaseline, kGoesWith),
};

const OptionEntry kWindow = {.name = "",
                             .shortName = 0,
                             .valueName = nullptr,
                             .defaultValue = nullptr,
                             .help = "",
                             .verb = true,
                             .action = Action::Window,
                             .display = DisplayNeed::Always};

}  // namespace

std::span<const OptionEntry> OptionTable() { return kOptions; }

std::span<const OptionEntry* const> Verbs() {
  static const std::vector<const OptionEntry*> verbs = [] {
    std::vector<const OptionEntry*> made;
    for (const OptionEntry& entry : kOptions) {
      if (entry.verb) made.push_back(&entry);
    }
    std::sort(made.begin(), made.end(), [](const OptionEntry* a, const OptionEntry* b) { return a->place < b->place; });
    return made;
  }();
  return verbs;
}

const OptionEntry& VerbOf(CommandLine::Action action) {
  for (const OptionEntry* verb : Verbs()) {
    if (verb->action == action) return *verb;
  }
  return kWindow;
}

QString VerbsTaking(unsigned kind, const char* last) {
  QStringList names;
  for (const OptionEntry* verb : Verbs()) {
    if ((verb->takes & kind) != 0) names << QStringLiteral("--") + QLatin1String(verb->name);
  }
  if (names.size() < 2) return names.join(QString());
  const QString end = names.takeLast();
  return names.join(QStringLiteral(", ")) + u' ' + QLatin1String(last) + u' ' + end;
}

}  // namespace torvik
