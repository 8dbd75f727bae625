// What the command line asks for: no arguments open the window; --run runs
// test groups without it and prints their results as text or JSON; the
// verbs of the results archive (--history, --import, --compare, ...) work on
// its runs (CommandParser turns the arguments into this). Plain values; any
// thread.
#pragma once

#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

#include "core/records/RunFilter.h"
#include "core/results/TestCatalogue.h"

namespace torvik {

enum class OutputFormat { Text, Json };

struct RunOptions {
  std::vector<Group> groups;         // in the order given
  std::optional<QString> directory;  // the test directory for this run only
  std::optional<QString> fileSize;   // the drive group's test file for this run only ("512M")
  int repeat = 1;                    // 1..100; with repeatAuto the most
  bool repeatAuto = false;           // --repeat auto: until every test settles
  OutputFormat format = OutputFormat::Text;
  std::optional<QString> output;  // the result's file instead of stdout
  bool report = false;            // also append the blocks to the sheet
  bool quiet = false;             // no progress on stderr
  bool record = true;             // keep each finished group in the results store
  bool requireSent = false;       // a run kept but not sent to the shared store fails the command
};

struct CommandLine {
  enum class Action {
    Window,
    Run,
    History,
    Trend,
    Ranking,
    Html,
    Import,
    ExportCsv,
    Compare,
    Sync,
    UpgradeStore,
    Machines,
    Approve,
    Retire,
    Changes,
    Help,
    Version,
    UsageError
  };
  Action action = Action::Window;
  RunOptions run;             // Run; History, Compare and Sync use its format
  QStringList files;          // Import: the sheets; ExportCsv, Html: the file to write; Approve, Retire: the machine
  std::vector<int64_t> runs;  // Compare: the two runs' ids, A then B
  QString storeUrl;           // --store: the shared results store; empty: the settings' or none
  RunFilter filter;           // History, Trend, Ranking, Html: --pc, --processor, --group, --since, --until
  QString baseline;           // Ranking, Html: the machine the others are compared with; empty: the first
  int staleDays = 7;          // Machines: a machine without a word for longer is stale
  std::optional<QString> label;  // UpgradeStore: the store's new label
  QString text;               // the help, the version line, or what is wrong
};

inline constexpr int kMaxRepeat = 100;

}  // namespace torvik
