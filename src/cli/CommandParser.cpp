#include "cli/CommandParser.h"

#include <QCommandLineParser>
#include <QDate>
#include <QRegularExpression>
#include <algorithm>
#include <map>

#include "cli/VerbTable.h"
#include "core/base/Version.h"
#include "core/drive/DriveFileSize.h"
#include "core/records/StoreLocation.h"
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

// The parser's options, made from the table, by name.
struct Options {
  QCommandLineParser parser;
  std::map<QString, QCommandLineOption> byName;

  const QCommandLineOption& operator[](const char* name) const { return byName.at(QLatin1String(name)); }
  bool IsSet(const char* name) const { return parser.isSet((*this)[name]); }
  QString Value(const char* name) const { return parser.value((*this)[name]); }
};

void AddOptions(Options& options) {
  options.parser.setApplicationDescription(Description());
  for (const OptionEntry& entry : OptionTable()) {
    QStringList names{QLatin1String(entry.name)};
    if (entry.shortName != 0) names.prepend(QString(QLatin1Char(entry.shortName)));
    QString help = QLatin1String(entry.help);
    if (entry.action == CommandLine::Action::Run) help = help.arg(GroupIds(QStringLiteral(", ")));
    QCommandLineOption option(names, help);
    if (entry.valueName != nullptr) option.setValueName(QLatin1String(entry.valueName));
    if (entry.defaultValue != nullptr) option.setDefaultValue(QLatin1String(entry.defaultValue));
    options.byName.emplace(QLatin1String(entry.name), option);
    options.parser.addOption(option);
  }
  options.parser.addPositionalArgument(QStringLiteral("FILE"),
                                       QStringLiteral("With --import: the sheets to import. With --compare: A and B."),
                                       QStringLiteral("[FILE...]"));
}

// The options of `kind` set without a verb that takes them: what is wrong.
QString Misplaced(const Options& options, const OptionEntry& chosen) {
  for (const OptionEntry& entry : OptionTable()) {
    if (entry.verb || entry.relation == nullptr || (chosen.takes & entry.takes) != 0) continue;
    if (!options.IsSet(entry.name)) continue;
    return QStringLiteral("--%1 %2 %3.")
        .arg(QLatin1String(entry.name), QLatin1String(entry.relation), VerbsTaking(entry.takes, "or"));
  }
  return {};
}

// --pc, --processor, --group, --since and --until into `filter`; what is wrong.
QString ParseFilter(const Options& options, CommandLine::Action action, RunFilter& filter) {
  // --history's --pc is the PC name as the list shows it; the others' the
  // machine's name, which is the host name where a PC has none.
  if (options.IsSet("pc")) (action == CommandLine::Action::History ? filter.pcName : filter.machine) = options.Value("pc");
  filter.processor = options.Value("processor");
  if (options.IsSet("group")) {
    const QString id = options.Value("group").trimmed().toLower();
    if (!GroupOfId(id)) {
      return QStringLiteral("Unknown group '%1' (groups: %2).").arg(options.Value("group"), GroupIds(QStringLiteral(", ")));
    }
    filter.group = id;
  }
  for (const auto& [name, bound, endOfDay] : {std::tuple{"since", &filter.from, false}, std::tuple{"until", &filter.to, true}}) {
    if (!options.IsSet(name)) continue;
    // The day alone, all of it: Qt's ISO reading would also take a time or
    // a zone after it and drop them without a word.
    static const QRegularExpression kDay(QStringLiteral("^[0-9]{4}-[0-9]{2}-[0-9]{2}$"));
    const QDate day = kDay.match(options.Value(name)).hasMatch()
                          ? QDate::fromString(options.Value(name), QStringLiteral("yyyy-MM-dd"))
                          : QDate();
    if (!day.isValid()) {
      return QStringLiteral("--%1 takes a day as YYYY-MM-DD, not '%2'.").arg(QLatin1String(name), options.Value(name));
    }
    // The day in local time, from its first second to its last.
    *bound = endOfDay ? day.addDays(1).startOfDay().toSecsSinceEpoch() - 1 : day.startOfDay().toSecsSinceEpoch();
  }
  if (filter.from && filter.to && *filter.from > *filter.to) {
    return QStringLiteral("--since %1 is after --until %2: no day is in both.")
        .arg(options.Value("since"), options.Value("until"));
  }
  return {};
}

// --store's URL into `result`; what is wrong.
QString ParseStore(const Options& options, CommandLine& result) {
  result.storeUrl = options.Value("store").trimmed();
  if (!IsServerUrl(result.storeUrl)) return QStringLiteral("--store takes a PostgreSQL URL: postgresql://user@host:port/database");
  if (const QString refusal = PasswordRefusal(result.storeUrl); !refusal.isEmpty()) return refusal;
  return ParseServerUrl(result.storeUrl).error;
}

// --format into `format`; what is wrong.
QString ParseFormat(const Options& options, OutputFormat& format) {
  const QString name = options.Value("format").toLower();
  if (name != u"text" && name != u"json") return QStringLiteral("--format is text or json, not '%1'.").arg(options.Value("format"));
  format = name == u"json" ? OutputFormat::Json : OutputFormat::Text;
  return {};
}

// The ids after --compare; what is wrong.
QString ParseIds(const QStringList& positional, std::vector<int64_t>& runs) {
  for (const QString& id : positional) {
    bool number = false;
    const qlonglong value = id.toLongLong(&number);
    if (!number || value < 1) return QStringLiteral("--compare takes run ids, not '%1'.").arg(id);
    runs.push_back(value);
  }
  return runs.size() == 2 ? QString() : QStringLiteral("--compare takes two run ids, A and B.");
}

// --run's groups and its options into `options`; what is wrong.
QString ParseRun(const Options& parsed, RunOptions& options) {
  for (const QString& group : parsed.Value("run").split(u',')) {
    const std::optional<Group> known = GroupOfId(group.trimmed().toLower());
    if (!known) return QStringLiteral("Unknown group '%1' (groups: %2).").arg(group, GroupIds(QStringLiteral(", ")));
    // A group twice would run twice but keep one result: use --repeat.
    if (std::find(options.groups.begin(), options.groups.end(), *known) != options.groups.end()) {
      return QStringLiteral("The group '%1' is named twice; --repeat runs groups again.").arg(group.trimmed());
    }
    options.groups.push_back(*known);
  }
  const QString repeat = parsed.Value("repeat");
  bool number = false;
  options.repeatAuto = repeat.toLower() == u"auto";
  options.repeat = options.repeatAuto ? AutoRepeat::kMaxRepetitions : repeat.toInt(&number);
  if (!options.repeatAuto && (!number || options.repeat < 1 || options.repeat > kMaxRepeat)) {
    return QStringLiteral("--repeat takes a whole number from 1 to %1 or 'auto', not '%2'.").arg(kMaxRepeat).arg(repeat);
  }
  if (const QString wrong = ParseFormat(parsed, options.format); !wrong.isEmpty()) return wrong;
  for (const auto& [name, value] : {std::pair{"dir", &options.directory}, std::pair{"output", &options.output}}) {
    if (!parsed.IsSet(name)) continue;
    if (parsed.Value(name).isEmpty()) {
      return name == QLatin1String("dir") ? QStringLiteral("--dir needs a path.") : QStringLiteral("--output needs a file name.");
    }
    *value = parsed.Value(name);
  }
  if (parsed.IsSet("file-size")) {
    if (const DriveFileSize size = ParseDriveFileSize(parsed.Value("file-size")); !size.ok()) {
      return QStringLiteral("--file-size: %1").arg(size.message);
    }
    options.fileSize = parsed.Value("file-size");
  }
  options.report = parsed.IsSet("report");
  options.quiet = parsed.IsSet("quiet");
  options.record = !parsed.IsSet("no-record");
  if (parsed.IsSet("store") && !options.record) {
    return QStringLiteral("--store sends the runs kept here: with --no-record nothing is kept or sent.");
  }
  options.requireSent = parsed.IsSet("require-sent");
  if (options.requireSent && !options.record) {
    return QStringLiteral("--require-sent asks for a run to be sent: it goes without --no-record.");
  }
  return {};
}

}  // namespace

bool NeedsScreen(const std::vector<Group>& groups) {
  return std::any_of(groups.begin(), groups.end(), [](Group group) { return EntryOf(group).needsScreen; });
}

CommandLine ParseCommandLine(const QStringList& arguments) {
  Options options;
  AddOptions(options);
  if (!options.parser.parse(arguments)) return Usage(options.parser.errorText());
  CommandLine result;
  const QStringList positional = options.parser.positionalArguments();
  const OptionEntry* chosen = &VerbOf(CommandLine::Action::Window);
  int verbs = 0;
  for (const OptionEntry* verb : Verbs()) {
    if (options.IsSet(verb->name)) chosen = verb, ++verbs;
  }
  if (!positional.isEmpty() && (chosen->takes & (kTakesFiles | kTakesIds)) == 0) {
    return Usage(QStringLiteral("Unexpected argument '%1'.").arg(positional.first()));
  }
  if (options.IsSet("help")) {
    result.action = CommandLine::Action::Help;
    result.text = options.parser.helpText().replace(QStringLiteral("<executable_name>"), QStringLiteral("torvik"));
    return result;
  }
  if (options.IsSet("version")) {
    result.action = CommandLine::Action::Version;
    result.text = QStringLiteral("TORVIK %1").arg(QLatin1String(kVersion));
    return result;
  }
  if (verbs > 1) return Usage(VerbsTaking(~0u, "and") + QStringLiteral(" go one at a time."));
  result.action = chosen->action;
  QString wrong = Misplaced(options, *chosen);
  if (wrong.isEmpty() && (chosen->takes & kTakesFilter) != 0) wrong = ParseFilter(options, result.action, result.filter);
  result.baseline = options.Value("baseline");
  if (wrong.isEmpty() && options.IsSet("store")) {
    wrong = verbs == 0 ? QStringLiteral("--store goes with a verb: --run, --history, --sync ...") : ParseStore(options, result);
  }
  const bool run = chosen->action == CommandLine::Action::Run;
  if (wrong.isEmpty() && (chosen->takes & kTakesFormat) != 0 && !run) wrong = ParseFormat(options, result.run.format);
  if (wrong.isEmpty() && (chosen->takes & kTakesIds) != 0) wrong = ParseIds(positional, result.runs);
  if (wrong.isEmpty() && (chosen->takes & kTakesFiles) != 0) {
    result.files = positional;
    if (positional.isEmpty()) wrong = QLatin1String(chosen->missing);
  }
  if (wrong.isEmpty() && chosen->valueName != nullptr && !run) {
    result.files = {options.Value(chosen->name)};
    if (result.files.first().isEmpty()) wrong = QLatin1String(chosen->missing);
  }
  if (wrong.isEmpty() && run) wrong = ParseRun(options, result.run);
  // A name that is not UTF-8 reaches the program with its bytes replaced:
  // it would name another file (two such names, one file). Refused.
  QStringList names = result.files;
  if (result.run.output) names << *result.run.output;
  if (result.run.directory) names << *result.run.directory;
  for (const QString& name : names) {
    if (wrong.isEmpty() && name.contains(QChar::ReplacementCharacter)) {
      wrong = QStringLiteral("'%1' is not UTF-8: this program cannot name that file as given (rename it).").arg(name);
    }
  }
  return wrong.isEmpty() ? result : Usage(wrong);
}

}  // namespace torvik
