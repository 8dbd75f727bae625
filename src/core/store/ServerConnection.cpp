#include "core/store/ServerConnection.h"

#include <QDir>
#include <QSqlDriver>
#include <QSqlQuery>

#include "core/base/PrintableText.h"
#include "core/records/StoreLocation.h"
#include "core/store/SchemaSteps.h"
#include "core/store/ServerRights.h"
#include "core/store/WriteTransaction.h"
#include "platform/PlainFiles.h"
#include "platform/PostgresLibrary.h"
#include "platform/ServerWaits.h"

namespace torvik {
namespace {

// The lock that lets one copy at a time create or upgrade the schema.
constexpr qlonglong kSchemaLockKey = 0x544f52564b;  // "TORVK"

// SQLSTATEs: another copy holds the store just now (serialization failure,
// deadlock, lock not available; a unique violation is another machine
// sending the same run at the same moment: tried again, it is found sent);
// the server gave up a statement (statement_timeout); no such table.
const QStringList kTransientStates = {"40001", "40P01", "55P03", "23505"};
const auto kCancelled = QStringLiteral("57014");
const auto kNoSuchTable = QStringLiteral("42P01");

}  // namespace

ServerConnection::ServerConnection(const QString& url, const QString& clientName)
    : StoreConnection(ShownLocation(url)), url_(url), clientName_(clientName), limits_(AnswerLimitsOf(url)) {}

ServerConnection::~ServerConnection() = default;

int ServerConnection::Socket() const {
  const QSqlDatabase db = Database();
  if (!db.isOpen()) return -1;
  const QVariant handle = db.driver()->handle();
  // Qt's driver hands libpq's connection over as a pointer to its struct.
  if (!handle.isValid() ||
      (qstrcmp(handle.typeName(), "PGconn*") != 0 && qstrcmp(handle.typeName(), "pg_conn*") != 0)) {
    return -1;
  }
  return platform::PostgresSocket(*static_cast<void* const*>(handle.data()));
}

void ServerConnection::BeginOperation() {
  if (operations_++ > 0) return;
  wait_ = std::make_unique<platform::ServerWait>(limits_.silenceMs, limits_.slowMs);
  wait_->Watch(Socket());  // none yet when the operation connects first
}

void ServerConnection::EndOperation() {
  if (--operations_ == 0) wait_.reset();
}

void ServerConnection::NextStatement() {
  if (wait_) wait_->Restart();
}

bool ServerConnection::Transient(const QSqlError& error) const {
  return kTransientStates.contains(error.nativeErrorCode());
}

bool ServerConnection::HeldElsewhere(const QSqlError& error) const {
  return Transient(error) || error.nativeErrorCode() == kCancelled;
}

bool ServerConnection::Unreachable(const QSqlError& error) const {
  if (wait_ && wait_->Expired()) return true;
  const QString state = error.nativeErrorCode();
  return error.type() == QSqlError::ConnectionError || state.startsWith(u"08") || state.startsWith(u"57P");
}

StoreConnection::InsertFailure ServerConnection::Classify(const QSqlError& error) const {
  const QString state = error.nativeErrorCode();
  if (state == u"23505") return InsertFailure::AlreadyThere;  // its uuid, or its sheet's key
  // A data exception, another constraint the row breaks, or the server's
  // own rule (TV001: a machine of another role's).
  if (state.startsWith(u"22") || state.startsWith(u"23") || state.startsWith(u"TV")) {
    return InsertFailure::RefusedContent;
  }
  return InsertFailure::Other;
}

QString ServerConnection::Describe(const QSqlError& error) const {
  const QString state = error.nativeErrorCode();
  const QString text = error.text().simplified();
  if (wait_ && wait_->Ended() == platform::ServerWait::End::Silent) {
    return QStringLiteral("%1: the server did not answer within %2 s; TORVIK gave the connection up")
        .arg(Shown())
        .arg(limits_.silenceMs / 1000);
  }
  if (wait_ && wait_->Ended() == platform::ServerWait::End::Slow) {
    return QStringLiteral(
               "%1: the server's answer came too slowly (still arriving after %2 s); TORVIK gave the connection up")
        .arg(Shown())
        .arg(limits_.slowMs / 1000);
  }
  if (state == kCancelled) {
    return QStringLiteral(
               "%1: the server cancelled the statement (its time limit, statement_timeout, or another "
               "session's request); a table may be locked by another session: %2")
        .arg(Shown(), text);
  }
  if (state == u"55P03") {
    return QStringLiteral("%1: another session holds a lock the statement needs: %2").arg(Shown(), text);
  }
  if (state.startsWith(u"08") || state.startsWith(u"57P")) {
    return QStringLiteral("%1: the connection to the server was lost: %2").arg(Shown(), text);
  }
  return StoreConnection::Describe(error);
}

namespace {

// The files libpq reads before any of its timeouts start: one that is not
// a regular file (a FIFO would be read for ever) is named, else empty.
QString UnreadableClientFile() {
  const QString home = QDir::homePath();
  const std::pair<const char*, QString> files[] = {
      {"PGSERVICEFILE", home + QStringLiteral("/.pg_service.conf")},
      {"PGPASSFILE", home + QStringLiteral("/.pgpass")},
      {"PGSYSCONFDIR", QStringLiteral("/etc/postgresql-common")},  // Debian's libpq
  };
  for (const auto& [variable, fallback] : files) {
    QString path = qEnvironmentVariable(variable, fallback);
    if (QLatin1String(variable) == QLatin1String("PGSYSCONFDIR")) {
      path += QStringLiteral("/pg_service.conf");
    }
    const platform::FileKind kind = platform::KindOf(QFile::encodeName(path).toStdString());
    if (kind != platform::FileKind::Missing && kind != platform::FileKind::Regular) {
      return QStringLiteral("%1 is not a regular file (%2): libpq would wait on it").arg(path, QLatin1String(variable));
    }
  }
  return {};
}

}  // namespace

bool ServerConnection::Open(StoreFailure& failure) {
  if (!QSqlDatabase::isDriverAvailable(QStringLiteral("QPSQL"))) {
    failure = {QStringLiteral("Qt's PostgreSQL driver is not installed (Debian: libqt6sql6-psql)"), false};
    return false;
  }
  if (const QString unreadable = UnreadableClientFile(); !unreadable.isEmpty()) {
    failure = {QStringLiteral("%1: %2").arg(Shown(), unreadable), true};
    return false;
  }
  const ServerAddress address = ParseServerUrl(url_);
  if (!address.error.isEmpty()) {
    failure = {address.error, true};
    return false;
  }
  QSqlDatabase db = AddDatabase(QStringLiteral("QPSQL"));
  db.setHostName(address.host);
  if (address.port > 0) db.setPort(address.port);
  db.setUserName(address.user);
  db.setPassword(address.password);
  db.setDatabaseName(address.database);
  QString options = address.options;
  if (!options.contains(QStringLiteral("application_name=")) && !clientName_.isEmpty()) {
    // Qt's driver takes ';' for a separator, even inside quotes.
    // A character that does not print (a NUL ends libpq's string there and
    // then) is a space, as a name shows it on one line.
    QString name = PrintableText(clientName_);
    name.replace(u';', u' ');
    options += QStringLiteral(";application_name=") + ConninfoValue(name.simplified());
  }
  db.setConnectOptions(options);
  if (platform::ServerWaitsAborted()) {
    failure = {QStringLiteral("%1: not connected, the program is ending").arg(Shown()), false, true};
    return false;
  }
  // Not kept: a server that could not be reached is tried again next time.
  if (!db.open()) {
    failure = {StoreConnection::Describe(db.lastError()), false, true};
    return false;
  }
  if (wait_) wait_->Watch(Socket());
  if (!Recognise(failure)) {
    Close();
    return false;
  }
  askServer_ = false;
  lastUse_.restart();
  return true;
}

bool ServerConnection::StillThere() {
  // Long enough that a window reading many runs asks once; short enough
  // that a send after a group always asks.
  constexpr qint64 kIdleMs = 5'000;
  const bool ask = askServer_ || !lastUse_.isValid() || lastUse_.hasExpired(kIdleMs);
  askServer_ = false;
  lastUse_.restart();
  if (!ask) return true;
  QSqlQuery ping(Database());
  return ping.exec(QStringLiteral("SELECT 1"));
}

bool ServerConnection::Recognise(StoreFailure& failure) {
  QSqlDatabase db = Database();
  advice_.clear();
  label_.clear();
  SchemaRecord record;  // schema 0: an empty database
  {
    // A current schema is read and nothing more: no lock, no question
    // about tables, so machines starting at once do not wait for each other.
    QSqlQuery q(db);
    if (q.exec(QLatin1String(WordsOf(StoreDialect::Postgres).readVersion))) {
      if (!q.next()) {
        failure = {QStringLiteral("%1 is not TORVIK's results store (no schema version)").arg(Shown()), true};
        return false;
      }
      record = SchemaRecordOf(q);
      foundVersion_ = record.schema;
      label_ = record.label;
      if (record.schema == kStoreSchemaVersion) {
        version_ = record.schema;
        return true;
      }
      if (record.schema > kStoreSchemaVersion) return WorkWithNewer(record, failure);
    } else if (q.lastError().nativeErrorCode() != kNoSuchTable) {
      // The server's trouble (a timeout, a connection lost), not the store's.
      failure = {Describe(q.lastError()), false, Unreachable(q.lastError())};
      return false;
    }
  }
  // Only the schema's owner makes or changes it; a member works with what
  // is there, and never tries a statement it has no right to.
  bool owner = false;
  if (const QSqlError error = MayChangeSchema(db, record.schema > 0, owner); error.type() != QSqlError::NoError) {
    failure = {Describe(error), false, Unreachable(error)};
    return false;
  }
  if (!owner) return WorkAsMember(record.schema, failure);
  QString refusal;
  int found = record.schema;
  const QSqlError error =
      InWriteTransaction(*this, [&](Statements& s) { return CreateOrUpgrade(s.Database(), found, refusal); });
  if (!refusal.isEmpty()) {
    failure = {refusal, true};
    return false;
  }
  if (error.type() != QSqlError::NoError) {
    failure = {Describe(error), false, Unreachable(error)};
    return false;
  }
  foundVersion_ = found;  // as found under the lock: another session may have been first
  version_ = kStoreSchemaVersion;
  return true;
}

bool ServerConnection::WorkWithNewer(const SchemaRecord& record, StoreFailure& failure) {
  if (!record.TakesWriter(kStoreSchemaVersion)) {
    const int oldest = record.oldestWriter > 0 ? record.oldestWriter : record.schema;
    failure = {QStringLiteral("%1 keeps schema %2 and takes runs from TORVIKs of schema %3 on; this TORVIK knows "
                              "schema %4 and can send none: install the newer TORVIK on this PC (Debian: sudo apt "
                              "install ./torvik_<version>_amd64.deb)")
                   .arg(Shown())
                   .arg(record.schema)
                   .arg(oldest)
                   .arg(kStoreSchemaVersion),
               true};
    failure.tooOld = true;
    return false;
  }
  // Its newer steps leave this TORVIK's runs as they are: they go with
  // the columns it knows.
  version_ = kStoreSchemaVersion;
  advice_ = QStringLiteral(
                "%1 keeps schema %2, newer than this TORVIK's %3: runs go as this TORVIK knows them; the newer "
                "TORVIK on this PC sends all they hold")
                .arg(Shown())
                .arg(record.schema)
                .arg(kStoreSchemaVersion);
  return true;
}

QSqlError ServerConnection::MayChangeSchema(QSqlDatabase& db, bool made, bool& may) {
  QSqlQuery q(db);
  // Made: whoever owns the runs table (or may act as its owner); not yet:
  // whoever may create tables where TORVIK makes them.
  const QString question =
      made ? QStringLiteral(
                 "SELECT COALESCE((SELECT pg_has_role(current_user, relowner, 'USAGE') FROM pg_class "
                 "WHERE oid = to_regclass('runs')), false)")
           : QStringLiteral("SELECT has_schema_privilege(current_schema(), 'CREATE')");
  if (!q.exec(question) || !q.next()) return q.lastError();
  may = q.value(0).toBool();
  return {};
}

QString ServerConnection::OwnersCommand() {
  // The tables' owner, else the database's: the role that makes them.
  QSqlQuery q(Database());
  QString owner = QStringLiteral("OWNER");
  if (q.exec(QStringLiteral("SELECT coalesce((SELECT pg_get_userbyid(relowner) FROM pg_class WHERE oid = "
                            "to_regclass('runs')), (SELECT pg_get_userbyid(datdba) FROM pg_database WHERE datname = "
                            "current_database()))")) &&
      q.next() && !q.value(0).toString().isEmpty()) {
    owner = q.value(0).toString();
  }
  return QStringLiteral("torvik --store '%1' --upgrade-store").arg(LocationAsUser(url_, owner));
}

bool ServerConnection::WorkAsMember(int version, StoreFailure& failure) {
  const QString upgrade = OwnersCommand();
  if (version >= kOldestWorkableSchema) {
    version_ = version;
    advice_ = QStringLiteral(
                  "%1 keeps schema %2 and this TORVIK knows %3: runs go without what the newer steps keep "
                  "until the store's owner runs (as the tables' owner, on any machine with this TORVIK): %4")
                  .arg(Shown())
                  .arg(version)
                  .arg(kStoreSchemaVersion)
                  .arg(upgrade);
    return true;
  }
  failure = {version == 0 ? QStringLiteral("%1 has no TORVIK tables yet, and this role may not make them: the store's "
                                           "owner runs: %2")
                                .arg(Shown(), upgrade)
                          : QStringLiteral("%1 keeps schema %2, too old to take this TORVIK's runs, and this role may "
                                           "not upgrade it: the store's owner runs: %3")
                                .arg(Shown())
                                .arg(version)
                                .arg(upgrade),
             false};
  return false;
}

QSqlError ServerConnection::CreateOrUpgrade(QSqlDatabase& db, int& found, QString& refusal) {
  const QSqlError refused(QStringLiteral("refused"), QString(), QSqlError::UnknownError);
  QSqlQuery q(db);
  if (!q.exec(QStringLiteral("SELECT pg_advisory_xact_lock(%1)").arg(kSchemaLockKey))) return q.lastError();
  // Asked again under the lock: another machine may have been first.
  if (!q.exec(QStringLiteral("SELECT to_regclass('torvik_schema') IS NOT NULL")) || !q.next()) return q.lastError();
  const bool versioned = q.value(0).toBool();
  if (!versioned) {
    found = 0;
    QStringList runs, tests;
    for (const QSqlError& error :
         {ColumnsOf(db, StoreDialect::Postgres, "runs", runs), ColumnsOf(db, StoreDialect::Postgres, "tests", tests)}) {
      if (error.type() != QSqlError::NoError) return error;
    }
    if (!runs.isEmpty() || !tests.isEmpty()) {
      refusal = QStringLiteral("%1 is not TORVIK's results store (its tables are another program's)").arg(Shown());
      return refused;
    }
    if (!q.exec(QStringLiteral("CREATE TABLE torvik_schema (version INTEGER NOT NULL)")) ||
        !q.exec(QStringLiteral("INSERT INTO torvik_schema VALUES (0)"))) {
      return q.lastError();
    }
    if (const QSqlError error = UpgradeSchema(db, StoreDialect::Postgres, 0); error.type() != QSqlError::NoError) {
      return error;
    }
    return GrantFleetRights(db, rights_);
  }
  if (!q.exec(QLatin1String(WordsOf(StoreDialect::Postgres).readVersion)) || !q.next()) {
    refusal = QStringLiteral("%1 is not TORVIK's results store (no schema version)").arg(Shown());
    return refused;
  }
  const SchemaRecord record = SchemaRecordOf(q);
  found = record.schema;
  q.finish();
  if (record.schema > kStoreSchemaVersion) {
    refusal = QStringLiteral("%1 was written by a newer TORVIK (schema %2; this one knows %3)")
                  .arg(Shown())
                  .arg(record.schema)
                  .arg(kStoreSchemaVersion);
    return refused;
  }
  if (record.schema == kStoreSchemaVersion) return {};  // made meanwhile by another session
  bool ours = false;
  if (const QSqlError error = HasTorvikTables(db, StoreDialect::Postgres, ours); error.type() != QSqlError::NoError) {
    return error;
  }
  if (record.schema < 1 || !ours) {
    refusal = QStringLiteral("%1 is not TORVIK's results store (schema %2)").arg(Shown()).arg(record.schema);
    return refused;
  }
  if (const QSqlError error = UpgradeSchema(db, StoreDialect::Postgres, record.schema, record.oldestWriter);
      error.type() != QSqlError::NoError) {
    return error;
  }
  return GrantFleetRights(db, rights_);
}

QSqlError ServerConnection::GrantRights(FleetRights& granted) {
  const QSqlError error = InWriteTransaction(*this, [&](Statements& s) -> QSqlError {
    QSqlQuery q(s.Database());
    if (!q.exec(QStringLiteral("SELECT pg_advisory_xact_lock(%1)").arg(kSchemaLockKey))) return q.lastError();
    return GrantFleetRights(s.Database(), rights_);
  });
  granted = rights_;
  return error;
}

}  // namespace torvik
