// Times the shared store's fleet reads against the server's own work. On a
// PostgreSQL server of the bench's own (its Unix socket), two fleets of
// approved machines, 50 x 10,000 runs and 500 x 100,000 runs of the Memory
// group (series of three, one test each, over a year): torvik --trend --pc
// of one machine, --ranking, --html, --machines and --changes --since a
// week before the newest run, after what starting the program and one
// connect cost (--history of a machine that is not there). Each row gives the command's wall time and
// the server's time for every statement it sent (the server's log, with
// log_min_duration_statement = 0 on the database: parse, bind and execute),
// the ratio of the two, and the command's peak resident memory (for the
// page a row of its own, against its limit of 100 MB). Without
// postgresql installed the bench says why and prints nothing else.
//
//   build/bench/torvik_fleet_bench [--rows]
#include <QCoreApplication>
#include <QDateTime>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QThread>
#include <cstdio>

#include "BenchTable.h"
#include "ScratchServer.h"
#include "core/store/ResultStore.h"

using namespace torvik;

namespace {

constexpr int64_t kYearStart = 1'767'225'600;  // 2026-01-01 UTC
constexpr int64_t kYear = 365LL * 24 * 60 * 60;

struct Timed {
  double seconds = 0, serverSeconds = 0, peakMb = 0;
  int exitCode = -1;
};

// The sum of the statements' durations the server logged after `offset`.
double ServerSecondsAfter(const QString& log, qint64 offset) {
  QFile file(log);
  if (!file.open(QIODevice::ReadOnly) || !file.seek(offset)) return 0;
  static const QRegularExpression duration(QStringLiteral("duration: ([0-9.]+) ms"));
  double ms = 0;
  for (QRegularExpressionMatchIterator it = duration.globalMatch(QString::fromUtf8(file.readAll())); it.hasNext();) {
    ms += it.next().captured(1).toDouble();
  }
  return ms / 1000;
}

// Runs torvik with `arguments` under GNU time: its wall time, peak memory
// and the server's time meanwhile.
Timed Run(const testing::ScratchServer& server, const QString& home, const QStringList& arguments) {
  Timed timed;
  const QString log = server.LogFile(), measured = home + QStringLiteral("/time.txt");
  const qint64 offset = QFile(log).size();
  QProcess torvik;
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY"}) environment.remove(QLatin1String(name));
  environment.insert(QStringLiteral("HOME"), home);
  environment.insert(QStringLiteral("XDG_DATA_HOME"), home + QStringLiteral("/data"));
  environment.insert(QStringLiteral("XDG_CONFIG_HOME"), home + QStringLiteral("/config"));
  torvik.setProcessEnvironment(environment);
  torvik.setStandardOutputFile(QProcess::nullDevice());
  QElapsedTimer clock;
  clock.start();
  torvik.start(QStringLiteral("/usr/bin/time"), QStringList{QStringLiteral("-o"), measured, QStringLiteral("-f"),
                                                            QStringLiteral("%M"), QStringLiteral(TORVIK_BINARY)} +
                                                    arguments);
  torvik.waitForFinished(600'000);
  timed.seconds = clock.nsecsElapsed() / 1e9;
  timed.exitCode = torvik.exitCode();
  QFile peak(measured);
  if (peak.open(QIODevice::ReadOnly)) {
    const QList<QByteArray> lines = peak.readAll().trimmed().split('\n');
    timed.peakMb = lines.last().toDouble() / 1024;
  }
  QThread::msleep(200);  // the log written
  timed.serverSeconds = ServerSecondsAfter(log, offset);
  if (timed.exitCode != 0 && timed.exitCode != 3) {
    std::fprintf(stderr, "%s: exit %d: %s\n", qPrintable(arguments.join(u' ')), timed.exitCode,
                 torvik.readAllStandardError().constData());
  }
  return timed;
}

// A fleet of `machines` approved machines and `runs` runs in `database`,
// made by SQL on the server (the schema by this TORVIK).
bool MakeFleet(const testing::ScratchServer& server, const QString& database, int machines, int runs) {
  if (!server
           .Psql(QStringLiteral("postgres"), QStringLiteral("bench"),
                 QStringLiteral("CREATE DATABASE %1").arg(database))
           .isEmpty()) {
    return false;
  }
  if (!ResultStore(server.Url(database)).Open().Ok()) return false;
  QString fill =
      QStringLiteral(
          "INSERT INTO runs (started, sort_time, group_name, stopped, total_tenths, user_name, pc_name, os, processor, "
          "caches, memory, display, test_directory, origin, uuid, sent, machine_id, host_name, processor_name, series, "
          "torvik_version, torvik_schema) "
          "SELECT to_char(to_timestamp(t), 'YYYY-MM-DD\"T\"HH24:MI:SS'), t, 'memory', 0, 5, 'bench', 'desk-' || m, "
          "'Debian 12', 'Test CPU 3000MHz', '', '', '', '', 'program', gen_random_uuid()::text, 1, md5('m' || m), "
          "'node' || m, 'Test CPU', 's' || (i / 3), '3.03', %5 "
          "FROM (SELECT i, (i / 3) %% %1 AS m, %2 + (i::bigint * %3 / %4) AS t FROM generate_series(0, %4 - 1) i) g; "
          "INSERT INTO tests (run_id, test, tenths, seconds, rate, unit) "
          "SELECT id, 'memory', 5, 0.5 * (1 + 0.02 * (random() - 0.5)), 4.3, 'GB/s' FROM runs; "
          "UPDATE machines SET state = 'approved'; ANALYZE; "
          "ALTER DATABASE %6 SET log_min_duration_statement = 0")
          .arg(machines)
          .arg(kYearStart)
          .arg(kYear)
          .arg(runs)
          .arg(ResultStore::KnownSchema())
          .arg(database);
  const QString error =
      server.Psql(database, QStringLiteral("bench"), fill.replace(QStringLiteral("%%"), QStringLiteral("%")));
  if (!error.isEmpty()) std::fprintf(stderr, "filling %s: %s\n", qPrintable(database), qPrintable(error));
  return error.isEmpty();
}

}  // namespace

int main(int argc, char** argv) {
  const bool rowsOnly = bench::RowsOnly(argc, argv);
  QCoreApplication app(argc, argv);
  testing::ScratchServer server;
  if (!server.Unavailable().isEmpty()) {
    std::fprintf(stderr, "fleet bench left out: %s\n", qPrintable(server.Unavailable()));
    return 0;
  }
  QTemporaryDir home;
  if (!rowsOnly) bench::PrintHeader();
  for (const auto& [machines, runs] : {std::pair{50, 10'000}, std::pair{500, 100'000}}) {
    const QString database = QStringLiteral("fleet%1").arg(machines);
    if (!MakeFleet(server, database, machines, runs)) return 1;
    const QString url = server.Url(database);
    const QString since =
        QDateTime::fromSecsSinceEpoch(kYearStart + kYear - 7 * 24 * 60 * 60).date().toString(Qt::ISODate);
    const QString page = home.path() + QStringLiteral("/page.html");
    const QString size = QStringLiteral("%1 x %2").arg(machines).arg(runs);
    for (const auto& [what, arguments] :
         {std::pair{"start, connect (--history)", QStringList{"--history", "--pc", "nobody"}},
          std::pair{"--trend --pc", QStringList{"--trend", "--pc", "desk-7"}},
          std::pair{"--ranking", QStringList{"--ranking"}}, std::pair{"--html", QStringList{"--html", page}},
          std::pair{"--machines", QStringList{"--machines"}},
          std::pair{"--changes --since", QStringList{"--changes", "--since", since}}}) {
      const Timed timed = Run(server, home.path(), QStringList{"--store", url} + arguments);
      const QString label = QStringLiteral("%1, %2").arg(QLatin1String(what), size);
      const QString method = QStringLiteral("wall s (server's statements s), peak %1 MB").arg(timed.peakMb, 0, 'f', 0);
      bench::PrintRow(qPrintable(label), qPrintable(method), timed.seconds, timed.serverSeconds, "s");
      // The page is built machine by machine: its memory bounded whatever the store holds.
      if (arguments.first() == QLatin1String("--html")) {
        bench::PrintRow(qPrintable(QStringLiteral("--html peak memory, %1").arg(size)),
                        "maximum resident set (the limit: 100 MB)", timed.peakMb, 100, "MB");
      }
    }
  }
  return 0;
}
