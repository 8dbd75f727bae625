#include "ScratchServer.h"

#include <pwd.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QDeadlineTimer>
#include <QSqlError>
#include <QSqlQuery>
#include <QThread>

namespace torvik::testing {
namespace {

// The server's programs: the newest installed version's folder.
QString ServerBin() {
  const QStringList versions = QDir(QStringLiteral("/usr/lib/postgresql")).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
  for (auto it = versions.rbegin(); it != versions.rend(); ++it) {
    const QString bin = QStringLiteral("/usr/lib/postgresql/%1/bin").arg(*it);
    if (QFile::exists(bin + QStringLiteral("/initdb"))) return bin;
  }
  return {};
}

}  // namespace

ScratchServer::ScratchServer(const QByteArray& firstRules) : bin_(ServerBin()) {
  if (bin_.isEmpty()) {
    unavailable_ = QStringLiteral("no PostgreSQL server installed (Debian: postgresql)");
    return;
  }
  if (!QSqlDatabase::isDriverAvailable(QStringLiteral("QPSQL"))) {
    unavailable_ = QStringLiteral("Qt's PostgreSQL driver is not installed (Debian: libqt6sql6-psql)");
    return;
  }
  // initdb's own shell writes to /dev/null, which some sandboxes replace by
  // a file only root may write.
  struct stat null {};
  if (stat("/dev/null", &null) != 0 || !S_ISCHR(null.st_mode)) {
    unavailable_ = QStringLiteral("this machine's /dev/null is not a device: the server's initdb cannot run here");
    return;
  }
  if (!scratch_.isValid()) {
    unavailable_ = QStringLiteral("no scratch folder: ") + scratch_.errorString();
    return;
  }
  if (geteuid() == 0) {
    const passwd* user = getpwnam("postgres");
    if (user == nullptr || chown(QFile::encodeName(scratch_.path()).constData(), user->pw_uid, user->pw_gid) != 0) {
      unavailable_ = QStringLiteral("running as root without a postgres user to run the server as");
      return;
    }
    asUser_ = {QStringLiteral("runuser"), QStringLiteral("-u"), QStringLiteral("postgres"), QStringLiteral("--")};
  }
  // A fixed locale, whatever the caller's: UTF-8 text, C collation, and
  // messages in C (a test decides by SQLSTATE, never by a server's words).
  if (!Program(QStringLiteral("initdb"),
               {QStringLiteral("-D"), DataFolder(), QStringLiteral("-A"), QStringLiteral("trust"), QStringLiteral("-U"),
                QStringLiteral("bench"), QStringLiteral("--no-locale"), QStringLiteral("--encoding=UTF8"),
                QStringLiteral("--no-sync")})) {
    unavailable_ = QStringLiteral("initdb failed");
    return;
  }
  if (!firstRules.isEmpty()) {
    QFile hba(DataFolder() + QStringLiteral("/pg_hba.conf"));
    QByteArray rules;
    if (hba.open(QIODevice::ReadOnly)) rules = firstRules + '\n' + hba.readAll();
    hba.close();
    if (rules.isEmpty() || !hba.open(QIODevice::WriteOnly | QIODevice::Truncate) || hba.write(rules) != rules.size()) {
      unavailable_ = QStringLiteral("cannot write pg_hba.conf");
      return;
    }
  }
  if (!Start()) unavailable_ = QStringLiteral("the server did not start");
}

ScratchServer::~ScratchServer() {
  if (running_) Program(QStringLiteral("pg_ctl"), {"-D", DataFolder(), "-m", "immediate", "stop"});
}

bool ScratchServer::Start() {
  running_ = Program(QStringLiteral("pg_ctl"),
                     {QStringLiteral("-D"), DataFolder(), QStringLiteral("-o"),
                      QStringLiteral("-k %1 -c listen_addresses='' -c lc_messages=C").arg(scratch_.path()),
                      QStringLiteral("-l"), LogFile(), QStringLiteral("-w"), QStringLiteral("start")});
  return running_;
}

bool ScratchServer::Stop() {
  running_ = !Program(QStringLiteral("pg_ctl"), {"-D", DataFolder(), "-m", "fast", "stop"});
  return !running_;
}

bool ScratchServer::CreateDatabase(const QString& name) {
  return Program(QStringLiteral("createdb"), {QStringLiteral("-h"), scratch_.path(), QStringLiteral("-U"),
                                              QStringLiteral("bench"), name});
}

QString ScratchServer::Url(const QString& database) const {
  return QStringLiteral("postgresql://bench@/%1?host=%2").arg(database, scratch_.path());
}

QString ScratchServer::Url(const QString& database, const QString& user, const QString& password) const {
  const QString userPart = password.isEmpty() ? user : user + u':' + password;
  return QStringLiteral("postgresql://%1@/%2?host=%3").arg(userPart, database, scratch_.path());
}

QSqlDatabase ScratchServer::Connect(const QString& database, const QString& name) const {
  QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), name);
  db.setHostName(scratch_.path());
  db.setUserName(QStringLiteral("bench"));
  db.setDatabaseName(database);
  if (!db.open()) qWarning("%s", qPrintable(db.lastError().text()));
  return db;
}

qint64 ScratchServer::FreezeWaitingSession(const QString& database, const std::function<void()>& start) const {
  const QString name = QStringLiteral("freezer-") + database;
  qint64 session = 0;
  {
    QSqlDatabase db = Connect(database, name);
    QSqlQuery q(db);
    if (!q.exec(QStringLiteral("BEGIN")) || !q.exec(QStringLiteral("LOCK TABLE runs IN ACCESS EXCLUSIVE MODE"))) {
      qWarning("%s", qPrintable(q.lastError().text()));
    } else {
      start();
      const QDeadlineTimer deadline(30'000);
      QSqlQuery find(Connect(database, name + QStringLiteral("-finder")));  // out of the holder's snapshot
      while (session == 0 && !deadline.hasExpired()) {
        QThread::msleep(50);
        if (find.exec(QStringLiteral("SELECT pid FROM pg_stat_activity WHERE application_name LIKE 'torvik%' "
                                     "AND wait_event_type = 'Lock'")) &&
            find.next()) {
          session = find.value(0).toLongLong();
        }
      }
      if (session > 0) ::kill(pid_t(session), SIGSTOP);
      q.exec(QStringLiteral("ROLLBACK"));
    }
  }
  QSqlDatabase::removeDatabase(name);
  QSqlDatabase::removeDatabase(name + QStringLiteral("-finder"));
  return session;
}

QString ScratchServer::Psql(const QString& database, const QString& role, const QString& sql,
                           QByteArray* output) const {
  QProcess psql;
  psql.setProcessChannelMode(QProcess::MergedChannels);
  // The error's SQLSTATE alone, whatever the server's language.
  psql.start(bin_ + QStringLiteral("/psql"),
             {QStringLiteral("-X"), QStringLiteral("-q"), QStringLiteral("-A"), QStringLiteral("-t"),
              QStringLiteral("-v"), QStringLiteral("ON_ERROR_STOP=1"), QStringLiteral("-v"),
              QStringLiteral("VERBOSITY=sqlstate"), QStringLiteral("-h"), scratch_.path(), QStringLiteral("-U"), role,
              QStringLiteral("-d"), database, QStringLiteral("-c"), sql});
  const bool ran = psql.waitForFinished(60'000) && psql.exitStatus() == QProcess::NormalExit;
  const QByteArray printed = psql.readAll();
  if (output != nullptr) *output = printed;
  if (ran && psql.exitCode() == 0) return {};
  static const QRegularExpression state(QStringLiteral("\\b([0-9A-Z]{5})\\s*$"), QRegularExpression::MultilineOption);
  QString last;  // the error's, after any warning's
  for (QRegularExpressionMatchIterator it = state.globalMatch(QString::fromUtf8(printed)); it.hasNext();) {
    last = it.next().captured(1);
  }
  return !last.isEmpty() ? last : QStringLiteral("psql failed: ") + QString::fromUtf8(printed);
}

void ScratchServer::Thaw(qint64 session) {
  if (session > 0) ::kill(pid_t(session), SIGCONT);
}

bool ScratchServer::Program(const QString& name, const QStringList& arguments) const {
  const QStringList command = asUser_ + QStringList{bin_ + u'/' + name} + arguments;
  QProcess process;
  process.setProcessChannelMode(QProcess::MergedChannels);
  // The programs' own messages, and the server's before it has read its
  // settings, in C too.
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG", "LANGUAGE"}) environment.remove(QLatin1String(name));
  environment.insert(QStringLiteral("LC_ALL"), QStringLiteral("C"));
  process.setProcessEnvironment(environment);
  process.start(command.first(), command.mid(1));
  const bool ok =
      process.waitForFinished(120'000) && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
  if (!ok) qWarning("%s: %s", qPrintable(name), process.readAll().constData());
  return ok;
}

}  // namespace torvik::testing
