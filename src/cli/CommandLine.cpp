#include "cli/CommandLine.h"

#include <QCommandLineParser>
#include <QDate>
#include <algorithm>
#include <tuple>

#include "core/base/Version.h"
#include "core/history/StoreLocation.h"
#include "core/results/Statistics.h"

namespace torvik {
namespace {

QString Description() {
  QStringList drawing;
  for (const GroupEntry& group : kGroups) {
    if (group.needsScreen) drawing << QLatin1String(group.id);
  }
  return QStringLiteral(
             "TORVIK %1, a PC benchmark: processor, 2D drawing, memory and disk.\n"
             "Without options it opens its window. With --run it runs test groups without\n"
             "the window and prints their results: the report block as the Report button\n"
             "writes it (--format text), or one JSON document with every precise time.\n"
             "Groups: %2. %3 draw on the screen\n"
             "and need a display; the others run anywhere.\n"
             "Exit status: 0 done, 1 a test failed, 2 usage error or refused environment,\n"
             "128 + n ended by signal n.")
      .arg(QLatin1String(kVersion), GroupIds(QStringLiteral(", ")), drawing.join(QStringLiteral(" and ")));
}

CommandLine Usage(const QString& text) {
  CommandLine result;
  result.action = CommandLine::Action::UsageError;
  result.text = text;
  return result;
}

}  // namespace

bool NeedsScreen(const std::vector<Group>& groups) {
  for (Group group : groups) {
    if (EntryOf(group).needsScreen) return true;
  }
  return false;
}

CommandLine ParseCommandLine(const QStringList& arguments) {
  QCommandLineParser parser;
  parser.setApplicationDescription(Description());
  const QCommandLineOption help({"h", "help"}, QStringLiteral("Show this help and exit."));
  const QCommandLineOption version({"v", "version"}, QStringLiteral("Show the program's version and exit."));
  const QCommandLineOption run(QStringLiteral("run"),
                               QStringLiteral("Run GROUPS, a comma list of %1, in that order, without the window.")
                                   .arg(GroupIds(QStringLiteral(", "))),
                               QStringLiteral("GROUPS"));
  const QCommandLineOption dir(QStringLiteral("dir"),
                               QStringLiteral("Test directory for this run only (not stored); default: the one set in "
                                              "the window."),
                               QStringLiteral("PATH"));
  const QCommandLineOption repeat(
      QStringLiteral("repeat"),
      QStringLiteral("Run the groups N times (1-100), or 'auto': at least 3 times, more "
                     "until every test's spread (cv) is at most 3 % (at most 10 times, "
                     "30 minutes); JSON gives every repetition and each test's statistics."),
      QStringLiteral("N"), QStringLiteral("1"));
  const QCommandLineOption format(QStringLiteral("format"),
                                  QStringLiteral("Output: text (the report block) or json. Default: text."),
                                  QStringLiteral("FORMAT"), QStringLiteral("text"));
  const QCommandLineOption output(QStringLiteral("output"),
                                  QStringLiteral("Write the result to FILE (whole, or not at all) instead of stdout."),
                                  QStringLiteral("FILE"));
  const QCommandLineOption report(QStringLiteral("report"),
                                  QStringLiteral("Also append the report block to the result sheet, as Report does."));
  const QCommandLineOption quiet(QStringLiteral("quiet"), QStringLiteral("No progress on stderr."));
  const QCommandLineOption noRecord(QStringLiteral("no-record"),
                                    QStringLiteral("Do not keep the finished groups in the results store."));
  const QCommandLineOption history(QStringLiteral("history"),
                                   QStringLiteral("List the recorded runs, newest first (text, or JSON with --format "
                                                  "json)."));
  const QCommandLineOption import(QStringLiteral("import"),
                                  QStringLiteral("Import the result sheets FILE... into the results store and print "
                                                 "the counts."));
  const QCommandLineOption exportCsv(QStringLiteral("export-csv"),
                                     QStringLiteral("Write every recorded run to FILE as CSV, one row per run and "
                                                    "test."),
                                     QStringLiteral("FILE"));
  const QCommandLineOption compare(QStringLiteral("compare"),
                                   QStringLiteral("Compare the recorded runs A and B (ids as --history lists them; "
                                                  "each with the repetitions of its command), test by test."));
  const QCommandLineOption store(
      QStringLiteral("store"),
      QStringLiteral("The shared results store, a PostgreSQL URL (postgresql://user@host/db): "
                     "runs are kept here and sent there; the store's verbs work on it. "
                     "Default: Url in the settings' [Store] group."),
      QStringLiteral("URL"));
  const QCommandLineOption trend(QStringLiteral("trend"),
                                 QStringLiteral("Each machine's figures over time, series by series, with their "
                                                "spread and the changes beyond the noise (text, or JSON)."));
  const QCommandLineOption ranking(QStringLiteral("ranking"),
                                   QStringLiteral("The latest series of each machine in each group, fastest first, "
                                                  "against a baseline machine (text, or JSON)."));
  const QCommandLineOption html(QStringLiteral("html"),
                                QStringLiteral("Write a report page to FILE: one HTML file with the machines, the "
                                               "ranking, the trends and their tables, for any browser."),
                                QStringLiteral("FILE"));
  const QCommandLineOption pc(QStringLiteral("pc"),
                              QStringLiteral("With --history: only the runs of this PC name. With --trend, --ranking "
                                             "and --html: of this machine (its PC name, or host name)."),
                              QStringLiteral("NAME"));
  const QCommandLineOption processor(
      QStringLiteral("processor"),
      QStringLiteral("With a store's list: only the runs whose processor name contains TEXT."), QStringLiteral("TEXT"));
  const QCommandLineOption group(QStringLiteral("group"),
                                 QStringLiteral("With a store's list: only the runs of this group (cpu, graphic, "
                                                "memory, hdd, all)."),
                                 QStringLiteral("GROUP"));
  const QCommandLineOption since(QStringLiteral("since"),
                                 QStringLiteral("With a store's list: only the runs from this day on (YYYY-MM-DD)."),
                                 QStringLiteral("DATE"));
  const QCommandLineOption until(QStringLiteral("until"),
                                 QStringLiteral("With a store's list: only the runs up to this day (YYYY-MM-DD)."),
                                 QStringLiteral("DATE"));
  const QCommandLineOption baseline(QStringLiteral("baseline"),
                                    QStringLiteral("With --ranking and --html: the machine the others are compared "
                                                   "with (its PC name, or host name)."),
                                    QStringLiteral("NAME"));
  const QCommandLineOption sync(QStringLiteral("sync"),
                                QStringLiteral("Send the runs kept here that have not reached the shared store "
                                               "(the counts as text, or JSON with --format json)."));
  const QCommandLineOption requireSent(
      QStringLiteral("require-sent"),
      QStringLiteral("With --run and a shared store: exit with status 3 when a run was kept here but not sent."));
  const QCommandLineOption upgradeStore(QStringLiteral("upgrade-store"),
                                        QStringLiteral("Make or upgrade the shared store's schema (its owner's "
                                                       "role), and say which version it has."));
  parser.addOptions({help,        version,      run,    dir,       repeat,  format, output, report, quiet,
                     noRecord,    history,      import, exportCsv, compare, store,  sync,   pc,     processor,
                     requireSent, upgradeStore, trend,  ranking,   html,    group,  since,  until,  baseline});
  parser.addPositionalArgument(QStringLiteral("FILE"),
                               QStringLiteral("With --import: the sheets to import. With --compare: A and B."),
                               QStringLiteral("[FILE...]"));

  if (!parser.parse(arguments)) return Usage(parser.errorText());
  const QStringList positional = parser.positionalArguments();
  if (!positional.isEmpty() && !parser.isSet(import) && !parser.isSet(compare)) {
    return Usage(QStringLiteral("Unexpected argument '%1'.").arg(positional.first()));
  }
  CommandLine result;
  if (parser.isSet(help)) {
    result.action = CommandLine::Action::Help;
    result.text = parser.helpText().replace(QStringLiteral("<executable_name>"), QStringLiteral("torvik"));
    return result;
  }
  if (parser.isSet(version)) {
    result.action = CommandLine::Action::Version;
    result.text = QStringLiteral("TORVIK %1").arg(QLatin1String(kVersion));
    return result;
  }
  int verbs = 0;
  for (const QCommandLineOption* verb :
       {&run, &history, &import, &exportCsv, &compare, &sync, &upgradeStore, &trend, &ranking, &html}) {
    verbs += parser.isSet(*verb) ? 1 : 0;
  }
  if (verbs > 1) {
    return Usage(
        QStringLiteral("--run, --history, --trend, --ranking, --html, --import, --export-csv, --compare, "
                       "--sync and --upgrade-store go one at a time."));
  }
  const bool listed = parser.isSet(history) || parser.isSet(trend) || parser.isSet(ranking) || parser.isSet(html);
  for (const QCommandLineOption* option : {&pc, &processor, &group, &since, &until}) {
    if (parser.isSet(*option) && !listed) {
      return Usage(
          QStringLiteral("--%1 goes with --history, --trend, --ranking or --html.").arg(option->names().first()));
    }
  }
  if (parser.isSet(baseline) && !parser.isSet(ranking) && !parser.isSet(html)) {
    return Usage(QStringLiteral("--baseline goes with --ranking or --html."));
  }
  // --history's --pc is the PC name as the list shows it; the others' the
  // machine's name, which is the host name where a PC has none.
  if (parser.isSet(pc)) (parser.isSet(history) ? result.filter.pcName : result.filter.machine) = parser.value(pc);
  result.filter.processor = parser.value(processor);
  if (parser.isSet(group)) {
    const QString id = parser.value(group).trimmed().toLower();
    if (!GroupOfId(id)) {
      return Usage(
          QStringLiteral("Unknown group '%1' (groups: %2).").arg(parser.value(group), GroupIds(QStringLiteral(", "))));
    }
    result.filter.group = id;
  }
  for (const auto& [option, bound, endOfDay] :
       {std::tuple{&since, &result.filter.from, false}, std::tuple{&until, &result.filter.to, true}}) {
    if (!parser.isSet(*option)) continue;
    const QDate day = QDate::fromString(parser.value(*option), Qt::ISODate);
    if (!day.isValid()) {
      return Usage(QStringLiteral("--%1 takes a day as YYYY-MM-DD, not '%2'.")
                       .arg(option->names().first(), parser.value(*option)));
    }
    // The day in local time, from its first second to its last.
    *bound = endOfDay ? day.addDays(1).startOfDay().toSecsSinceEpoch() - 1 : day.startOfDay().toSecsSinceEpoch();
  }
  result.baseline = parser.value(baseline);
  if (parser.isSet(store)) {
    if (verbs == 0) return Usage(QStringLiteral("--store goes with a verb: --run, --history, --sync ..."));
    result.storeUrl = parser.value(store).trimmed();
    if (!IsServerUrl(result.storeUrl)) {
      return Usage(QStringLiteral("--store takes a PostgreSQL URL: postgresql://user@host:port/database"));
    }
    if (const QString refusal = PasswordRefusal(result.storeUrl); !refusal.isEmpty()) return Usage(refusal);
    if (const QString error = ParseServerUrl(result.storeUrl).error; !error.isEmpty()) return Usage(error);
  }
  if (!parser.isSet(run)) {
    for (const QCommandLineOption* option : {&dir, &repeat, &output, &report, &quiet, &noRecord, &requireSent}) {
      if (parser.isSet(*option)) return Usage(QStringLiteral("--%1 needs --run.").arg(option->names().first()));
    }
    if (parser.isSet(format) && !parser.isSet(history) && !parser.isSet(compare) && !parser.isSet(sync) &&
        !parser.isSet(trend) && !parser.isSet(ranking)) {
      return Usage(QStringLiteral("--format needs --run, --history, --trend, --ranking, --compare or --sync."));
    }
    if (parser.isSet(history) || parser.isSet(compare) || parser.isSet(sync) || parser.isSet(trend) ||
        parser.isSet(ranking)) {
      result.action = parser.isSet(history)   ? CommandLine::Action::History
                      : parser.isSet(compare) ? CommandLine::Action::Compare
                      : parser.isSet(trend)   ? CommandLine::Action::Trend
                      : parser.isSet(ranking) ? CommandLine::Action::Ranking
                                              : CommandLine::Action::Sync;
      for (const QString& id : positional) {
        bool number = false;
        const qlonglong value = id.toLongLong(&number);
        if (!number || value < 1) return Usage(QStringLiteral("--compare takes run ids, not '%1'.").arg(id));
        result.runs.push_back(value);
      }
      if (parser.isSet(compare) && result.runs.size() != 2) {
        return Usage(QStringLiteral("--compare takes two run ids, A and B."));
      }
      const QString formatName = parser.value(format).toLower();
      if (formatName != u"text" && formatName != u"json") {
        return Usage(QStringLiteral("--format is text or json, not '%1'.").arg(parser.value(format)));
      }
      result.run.format = formatName == u"json" ? OutputFormat::Json : OutputFormat::Text;
    } else if (parser.isSet(import)) {
      if (positional.isEmpty()) return Usage(QStringLiteral("--import needs the sheets to import."));
      result.action = CommandLine::Action::Import;
      result.files = positional;
    } else if (parser.isSet(upgradeStore)) {
      result.action = CommandLine::Action::UpgradeStore;
    } else if (parser.isSet(html)) {
      if (parser.value(html).isEmpty()) return Usage(QStringLiteral("--html needs a file name."));
      result.action = CommandLine::Action::Html;
      result.files = {parser.value(html)};
    } else if (parser.isSet(exportCsv)) {
      if (parser.value(exportCsv).isEmpty()) return Usage(QStringLiteral("--export-csv needs a file name."));
      result.action = CommandLine::Action::ExportCsv;
      result.files = {parser.value(exportCsv)};
    }
    return result;  // the window, or a verb of the results store
  }

  result.action = CommandLine::Action::Run;
  RunOptions& options = result.run;
  for (const QString& group : parser.value(run).split(u',')) {
    const std::optional<Group> known = GroupOfId(group.trimmed().toLower());
    if (!known) {
      return Usage(QStringLiteral("Unknown group '%1' (groups: %2).").arg(group, GroupIds(QStringLiteral(", "))));
    }
    // A group twice would run twice but keep one result: use --repeat.
    if (std::find(options.groups.begin(), options.groups.end(), *known) != options.groups.end()) {
      return Usage(QStringLiteral("The group '%1' is named twice; --repeat runs groups again.").arg(group.trimmed()));
    }
    options.groups.push_back(*known);
  }
  bool number = false;
  options.repeatAuto = parser.value(repeat).toLower() == u"auto";
  options.repeat = options.repeatAuto ? AutoRepeat::kMaxRepetitions : parser.value(repeat).toInt(&number);
  if (options.repeatAuto) number = true;
  if (!number || options.repeat < 1 || options.repeat > kMaxRepeat) {
    return Usage(QStringLiteral("--repeat takes a whole number from 1 to %1 or 'auto', not '%2'.")
                     .arg(kMaxRepeat)
                     .arg(parser.value(repeat)));
  }
  const QString formatName = parser.value(format).toLower();
  if (formatName == u"json") {
    options.format = OutputFormat::Json;
  } else if (formatName != u"text") {
    return Usage(QStringLiteral("--format is text or json, not '%1'.").arg(parser.value(format)));
  }
  if (parser.isSet(dir)) {
    if (parser.value(dir).isEmpty()) return Usage(QStringLiteral("--dir needs a path."));
    options.directory = parser.value(dir);
  }
  if (parser.isSet(output)) {
    if (parser.value(output).isEmpty()) return Usage(QStringLiteral("--output needs a file name."));
    options.output = parser.value(output);
  }
  options.report = parser.isSet(report);
  options.quiet = parser.isSet(quiet);
  options.record = !parser.isSet(noRecord);
  if (parser.isSet(store) && parser.isSet(noRecord)) {
    return Usage(QStringLiteral("--store sends the runs kept here: with --no-record nothing is kept or sent."));
  }
  options.requireSent = parser.isSet(requireSent);
  if (options.requireSent && !options.record) {
    return Usage(QStringLiteral("--require-sent asks for a run to be sent: it goes without --no-record."));
  }
  return result;
}

}  // namespace torvik
