// The command line's parsing: every option, its bad values, unknown groups,
// and what needs --run.
#include <QtTest>

#include "app/PlatformChoice.h"
#include "cli/CommandLine.h"
#include "cli/CommandParser.h"
#include "cli/VerbTable.h"

using namespace torvik;

Q_DECLARE_METATYPE(CommandLine::Action)

class CommandLineTest : public QObject {
  Q_OBJECT

 private slots:
  void actions_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<CommandLine::Action>("action");
    QTest::addColumn<QString>("text");  // what the message says, in part
    using A = CommandLine::Action;
    QTest::newRow("nothing: the window") << QStringList{} << A::Window << "";
    QTest::newRow("help") << QStringList{"--help"} << A::Help << "--run <GROUPS>";
    QTest::newRow("version") << QStringList{"--version"} << A::Version << "TORVIK 3.03";
    QTest::newRow("a run") << QStringList{"--run", "cpu"} << A::Run << "";
    QTest::newRow("unknown option") << QStringList{"--fast"} << A::UsageError << "fast";
    QTest::newRow("unknown group") << QStringList{"--run", "cpu,gpu"} << A::UsageError << "'gpu'";
    QTest::newRow("empty group") << QStringList{"--run", "cpu,"} << A::UsageError << "Unknown group";
    QTest::newRow("a group twice") << QStringList{"--run", "memory,cpu,Memory"} << A::UsageError << "named twice";
    QTest::newRow("no groups") << QStringList{"--run"} << A::UsageError << "run";
    QTest::newRow("repeat 0") << QStringList{"--run", "cpu", "--repeat", "0"} << A::UsageError << "1 to 100";
    QTest::newRow("repeat 101") << QStringList{"--run", "cpu", "--repeat", "101"} << A::UsageError << "1 to 100";
    QTest::newRow("repeat not a number") << QStringList{"--run", "cpu", "--repeat", "3x"} << A::UsageError << "'3x'";
    QTest::newRow("repeat auto") << QStringList{"--run", "cpu", "--repeat", "AUTO"} << A::Run << "";
    QTest::newRow("compare") << QStringList{"--compare", "3", "12"} << A::Compare << "";
    QTest::newRow("sync") << QStringList{"--sync", "--store", "postgresql://bench@db/torvik"} << A::Sync << "";
    QTest::newRow("pc without history") << QStringList{"--run", "cpu", "--pc", "a"} << A::UsageError << "--history";
    QTest::newRow("store without a verb") << QStringList{"--store", "postgresql://db/t"} << A::UsageError << "verb";
    QTest::newRow("store not a URL") << QStringList{"--history", "--store", "/tmp/x.sqlite"} << A::UsageError
                                     << "PostgreSQL URL";
    QTest::newRow("store with a password")
        << QStringList{"--history", "--store", "postgresql://bench@db/t?password=s3cr3t"} << A::UsageError
        << "~/.pgpass";
    QTest::newRow("store without recording")
        << QStringList{"--run", "cpu", "--no-record", "--store", "postgresql://db/t"} << A::UsageError
        << "nothing is kept or sent";
    QTest::newRow("require-sent without recording")
        << QStringList{"--run", "cpu", "--no-record", "--require-sent"} << A::UsageError << "--no-record";
    QTest::newRow("a port that is none") << QStringList{"--history", "--store", "postgresql://db/t?port=x"}
                                         << A::UsageError << "no port";
    QTest::newRow("compare one run") << QStringList{"--compare", "3"} << A::UsageError << "two run ids";
    QTest::newRow("compare a name") << QStringList{"--compare", "3", "x"} << A::UsageError << "'x'";
    QTest::newRow("format") << QStringList{"--run", "cpu", "--format", "xml"} << A::UsageError << "text or json";
    QTest::newRow("dir without run") << QStringList{"--dir", "/tmp"} << A::UsageError << "--dir needs --run";
    QTest::newRow("quiet without run") << QStringList{"--quiet"} << A::UsageError << "--quiet needs --run";
    QTest::newRow("empty dir") << QStringList{"--run", "hdd", "--dir", ""} << A::UsageError << "path";
    QTest::newRow("a day") << QStringList{"--history", "--since", "2026-01-01", "--until", "2026-01-01"} << A::History
                           << "";
    for (const char* day : {"2026-01-01T08:30", "2026-01-01Z", "2026-01-01 ", "2025-02-29", "2026-1-1"}) {
      QTest::newRow(qPrintable(QStringLiteral("not a day: '%1'").arg(QLatin1String(day))))
          << QStringList{"--history", "--since", day} << A::UsageError << "YYYY-MM-DD";
    }
    QTest::newRow("since after until") << QStringList{"--trend", "--since", "2026-02-01", "--until", "2026-01-31"}
                                       << A::UsageError << "after --until";
    const QString notUtf8 = QString::fromUtf8("\xff\xfe.html");
    QTest::newRow("a page's name not UTF-8") << QStringList{"--html", notUtf8} << A::UsageError << "not UTF-8";
    QTest::newRow("a sheet's name not UTF-8") << QStringList{"--import", "a.txt", notUtf8} << A::UsageError
                                              << "not UTF-8";
    QTest::newRow("an output not UTF-8") << QStringList{"--run", "cpu", "--output", notUtf8} << A::UsageError
                                         << "not UTF-8";
    QTest::newRow("a stray argument") << QStringList{"--run", "cpu", "now"} << A::UsageError << "'now'";
  }
  void actions() {
    QFETCH(QStringList, arguments);
    QFETCH(CommandLine::Action, action);
    QFETCH(QString, text);
    const CommandLine parsed = ParseCommandLine(QStringList{"torvik"} + arguments);
    QCOMPARE(parsed.action, action);
    QVERIFY2(parsed.text.contains(text), qPrintable(parsed.text));
    QVERIFY(!parsed.text.contains(QStringLiteral("s3cr3t")));
  }

  void everyOptionOfARun() {
    const CommandLine parsed =
        ParseCommandLine({"torvik", "--run", "HDD,cpu,all", "--dir", "/srv/bench", "--repeat", "3", "--format", "json",
                          "--output", "out.json", "--report", "--quiet"});
    QCOMPARE(parsed.action, CommandLine::Action::Run);
    QCOMPARE(parsed.run.groups, std::vector<Group>({Group::Hdd, Group::Cpu, Group::All}));  // in the order given
    QCOMPARE(parsed.run.directory, std::optional<QString>(QStringLiteral("/srv/bench")));
    QCOMPARE(parsed.run.repeat, 3);
    QCOMPARE(parsed.run.format, OutputFormat::Json);
    QCOMPARE(parsed.run.output, std::optional<QString>(QStringLiteral("out.json")));
    QVERIFY(parsed.run.report && parsed.run.quiet);
    const CommandLine defaults = ParseCommandLine({"torvik", "--run", "memory"});
    QCOMPARE(defaults.run.repeat, 1);
    QCOMPARE(defaults.run.format, OutputFormat::Text);
    QVERIFY(!defaults.run.directory && !defaults.run.output && !defaults.run.report && !defaults.run.quiet);
    QVERIFY(!defaults.run.repeatAuto);
    QVERIFY(ParseCommandLine({"torvik", "--run", "memory", "--repeat", "auto"}).run.repeatAuto);
  }

  // The platform, from the command and what the environment offers: xcb
  // wherever X is reachable, Wayland only without it, offscreen for what
  // draws nothing, the user's own choice kept for what draws.
  void platformChoice_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("environment");  // x: DISPLAY, w: WAYLAND_DISPLAY, p: the Wayland plugin, f: forced
    QTest::addColumn<QString>("platform");     // or "refused"
    const QStringList window, graphic = {"--run", "graphic"}, memory = {"--run", "memory"}, history = {"--history"};
    QTest::newRow("window, X") << window << "x"
                               << "xcb";
    QTest::newRow("window, X and Wayland with the plugin") << window << "xwp"
                                                           << "xcb";
    QTest::newRow("window, Wayland with the plugin") << window << "wp"
                                                     << "wayland";
    QTest::newRow("window, Wayland without the plugin") << window << "w"
                                                        << "refused";
    QTest::newRow("window, nothing") << window << ""
                                     << "refused";
    QTest::newRow("window, the user's platform") << window << "xf"
                                                 << "vnc";
    QTest::newRow("graphic, X and Wayland") << graphic << "xwp"
                                            << "xcb";
    QTest::newRow("graphic, nothing") << graphic << ""
                                      << "refused";
    QTest::newRow("memory, X and Wayland") << memory << "xwp"
                                           << "offscreen";
    QTest::newRow("memory, Wayland without the plugin") << memory << "w"
                                                        << "offscreen";
    QTest::newRow("memory, the user's platform") << memory << "xf"
                                                 << "offscreen";
    QTest::newRow("history, nothing") << history << ""
                                      << "offscreen";
  }
  void platformChoice() {
    QFETCH(QStringList, arguments);
    QFETCH(QString, environment);
    QFETCH(QString, platform);
    DisplayEnvironment offered;
    if (environment.contains(u'x')) offered.x11 = QStringLiteral(":0");
    if (environment.contains(u'w')) offered.wayland = QStringLiteral("wayland-0");
    offered.waylandPluginInstalled = environment.contains(u'p');
    if (environment.contains(u'f')) offered.forced = QStringLiteral("vnc");
    const PlatformChoice choice = ChoosePlatform(ParseCommandLine(QStringList{"torvik"} + arguments), offered);
    QCOMPARE(choice.refusal.isEmpty() ? choice.platform : QStringLiteral("refused"), platform);
  }

  // One table is the help: every option it lists, in its order, with its
  // value; each verb parses to its own action and runs without a display
  // (only --run's drawing groups and the window need one).
  void theTableIsTheHelp() {
    const QString help = ParseCommandLine({"torvik", "--help"}).text;
    QStringList listed, table;
    static const QRegularExpression option(QStringLiteral("^  (?:-\\w, )?(--[a-z-]+(?: <[A-Z]+>)?)"));
    for (const QString& line : help.split(u'\n')) {
      if (const QRegularExpressionMatch match = option.match(line); match.hasMatch()) listed << match.captured(1);
    }
    for (const OptionEntry& entry : OptionTable()) {
      table << QStringLiteral("--") + QLatin1String(entry.name) +
                   (entry.valueName ? QStringLiteral(" <%1>").arg(QLatin1String(entry.valueName)) : QString());
    }
    QCOMPARE(listed, table);
    for (const OptionEntry* verb : Verbs()) {
      QStringList arguments{"torvik", QStringLiteral("--") + QLatin1String(verb->name)};
      if (verb->valueName) arguments << QStringLiteral("cpu");
      if (verb->takes & kTakesIds) arguments << QStringLiteral("1") << QStringLiteral("2");
      if (verb->takes & kTakesFiles) arguments << QStringLiteral("sheet.txt");
      const CommandLine parsed = ParseCommandLine(arguments);
      QCOMPARE(parsed.action, verb->action);
      const bool run = verb->action == CommandLine::Action::Run;
      QCOMPARE(verb->body == nullptr, run);
      QCOMPARE(verb->display, run ? DisplayNeed::DrawingGroups : DisplayNeed::None);
    }
    QCOMPARE(VerbOf(CommandLine::Action::Window).display, DisplayNeed::Always);
  }

  void whatAGroupNeeds() {
    QVERIFY(NeedsScreen({Group::Cpu, Group::Graphic}) && NeedsScreen({Group::All}));
    QVERIFY(!NeedsScreen({Group::Cpu, Group::Memory, Group::Hdd}));
  }
};

QTEST_GUILESS_MAIN(CommandLineTest)
#include "test_command_line.moc"
