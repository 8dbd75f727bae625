#include "core/store/FileConnection.h"

#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSqlQuery>
#include <QUrl>
#include <atomic>
#include <string>
#include <vector>

#include "core/store/SchemaSteps.h"
#include "core/store/WriteTransaction.h"
#include "platform/ExitCleanup.h"
#include "platform/PlainFiles.h"

namespace torvik {
namespace {

constexpr int kBusyTimeoutMs = 5'000;
constexpr int kSqliteBusy = 5, kSqliteLocked = 6, kSqliteIoError = 10, kSqliteCorrupt = 11, kSqliteFull = 13;

bool Refuse(StoreFailure& failure, const QString& reason) {
  failure = {reason, true};
  return false;
}
bool Fail(StoreFailure& failure, const QString& reason) {
  failure = {reason, false};
  return false;
}

// Whether this user may write the file and make its -wal and -shm beside it.
bool MayWrite(const QString& path) {
  const QFileInfo file(path);
  return file.isWritable() && QFileInfo(file.absolutePath()).isWritable();
}

}  // namespace

FileConnection::FileConnection(const QString& path) : StoreConnection(path), path_(path) {}

bool FileConnection::Exists(const QString& path) {
  const std::string name = QFile::encodeName(path).toStdString();
  return platform::IsSymbolicLink(name) || platform::KindOf(name) != platform::FileKind::Missing;
}

bool FileConnection::Transient(const QSqlError& error) const {
  const int code = error.nativeErrorCode().toInt() & 0xff;
  return code == kSqliteBusy || code == kSqliteLocked;
}

StoreConnection::InsertFailure FileConnection::Classify(const QSqlError& error) const {
  constexpr int kConstraint = 19, kTooBig = 18, kMismatch = 20;
  const int code = error.nativeErrorCode().toInt() & 0xff;
  if (code == kConstraint) {
    return error.databaseText().contains(QStringLiteral("UNIQUE")) ? InsertFailure::AlreadyThere
                                                                   : InsertFailure::RefusedContent;
  }
  return code == kTooBig || code == kMismatch ? InsertFailure::RefusedContent : InsertFailure::Other;
}

QString FileConnection::Describe(const QSqlError& error) const {
  if (Transient(error)) {
    return QStringLiteral("%1 is busy with another copy of TORVIK (%2 s waited): %3")
        .arg(Shown())
        .arg(kBusyTimeoutMs / 1000)
        .arg(error.text().simplified());
  }
  // The disk's failures in words of the disk, SQLite's code for support
  // (its own text, "disk I/O error Unable to fetch row", says neither).
  const int code = error.nativeErrorCode().toInt() & 0xff;
  if (code == kSqliteFull) {
    return QStringLiteral("%1: the disk it is on is full; free some space there and try again (SQLite %2)")
        .arg(Shown(), error.nativeErrorCode());
  }
  if (code == kSqliteIoError) {
    return QStringLiteral(
               "%1: the disk it is on could not be written or read (full, removed or failing); free some space "
               "there or check the disk, and try again (SQLite %2)")
        .arg(Shown(), error.nativeErrorCode());
  }
  return StoreConnection::Describe(error);
}

bool FileConnection::Open(StoreFailure& failure) {
  if (!QSqlDatabase::isDriverAvailable(QStringLiteral("QSQLITE"))) {
    return Fail(failure, QStringLiteral("Qt's SQLite driver is not installed (Debian: libqt6sql6-sqlite)"));
  }
  if (!(path_ == InMemory() ? OpenInMemory(failure) : OpenFile(failure))) return false;
  QSqlError error;
  {
    // The server always keeps its references.
    QSqlQuery q(Database());
    if (!q.exec(QStringLiteral("PRAGMA foreign_keys=ON"))) error = q.lastError();
  }
  if (error.type() != QSqlError::NoError) {
    Close();
    return Fail(failure, Describe(error));
  }
  version_ = kStoreSchemaVersion;  // made or upgraded: this PC's file is the program's own
  return true;
}

bool FileConnection::OpenInMemory(StoreFailure& failure) {
  QSqlDatabase db = AddDatabase(QStringLiteral("QSQLITE"));
  db.setDatabaseName(path_);
  if (!db.open()) return Fail(failure, Describe(db.lastError()));
  if (const QSqlError error = UpgradeSchema(db, StoreDialect::Sqlite, 0); error.type() != QSqlError::NoError) {
    Close();
    return Fail(failure, Describe(error));
  }
  return true;
}

namespace {

// Removes what a copy that died while making the store left beside it (its
// "<store>.new-PID-N" and that file's journals): this user's files alone,
// of processes that are no more.
void RemoveOrphanedBuilds(const QFileInfo& store) {
  const QDir folder = store.absoluteDir();
  const QRegularExpression pattern(QStringLiteral("^%1\\.new-([0-9]+)-[0-9]+(-journal|-wal|-shm)?$")
                                       .arg(QRegularExpression::escape(store.fileName())));
  for (const QString& name : folder.entryList({store.fileName() + QStringLiteral(".new-*")}, QDir::Files | QDir::Hidden)) {
    const QRegularExpressionMatch match = pattern.match(name);
    if (!match.hasMatch()) continue;
    const pid_t pid = static_cast<pid_t>(match.captured(1).toLongLong());
    if (pid <= 0 || kill(pid, 0) == 0 || errno != ESRCH) continue;  // alive, or not ours to ask
    const std::string path = QFile::encodeName(folder.filePath(name)).toStdString();
    struct stat seen {};
    if (lstat(path.c_str(), &seen) == 0 && S_ISREG(seen.st_mode) && seen.st_uid == geteuid()) unlink(path.c_str());
  }
}

}  // namespace

bool FileConnection::OpenFile(StoreFailure& failure) {
  const std::string name = QFile::encodeName(path_).toStdString();
  if (platform::IsSymbolicLink(name)) {
    return Refuse(failure, QStringLiteral("%1 is a symbolic link, not TORVIK's results store").arg(Shown()));
  }
  RemoveOrphanedBuilds(QFileInfo(path_));
  switch (platform::KindOf(name)) {
    case platform::FileKind::Missing:
      if (!Create(failure)) return false;
      break;
    case platform::FileKind::Regular: break;
    case platform::FileKind::Directory:
    case platform::FileKind::Special: return Refuse(failure, QStringLiteral("%1 is not a file").arg(Shown()));
  }
  if (QFileInfo(path_).size() == 0) {
    return Refuse(failure, QStringLiteral("%1 is an empty file, not TORVIK's results store").arg(Shown()));
  }
  // Opened to write, SQLite's recovery would checkpoint another program's
  // WAL or roll back its hot journal: the file is known first, read-only.
  // What it alone holds; then, with a -wal beside it, what that adds (an
  // upgrade by a newer TORVIK not yet checkpointed), which reading here may
  // only do in a store this user may write.
  if (!Look(Access::FileAlone, failure)) return false;
  const bool writable = MayWrite(path_);
  if (writable && QFileInfo::exists(path_ + QStringLiteral("-wal")) && !Look(Access::Read, failure)) return false;
  // A store this user may only read (another user's, a read-only disk) is
  // read as its file holds it; a write fails as SQLite says.
  if (!Connect(writable ? Access::Write : Access::FileAlone, failure)) return false;
  if (!Recognise(failure)) {
    Close();
    return false;
  }
  return true;
}

bool FileConnection::Connect(Access access, StoreFailure& failure) {
  QSqlDatabase db = AddDatabase(QStringLiteral("QSQLITE"));
  QString options = QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(kBusyTimeoutMs);
  if (access == Access::Write) {
    db.setDatabaseName(path_);
  } else {
    QUrl url = QUrl::fromLocalFile(QFileInfo(path_).absoluteFilePath());
    if (access == Access::FileAlone) url.setQuery(QStringLiteral("immutable=1"));
    db.setDatabaseName(url.toString(QUrl::FullyEncoded));
    options += QStringLiteral(";QSQLITE_OPEN_READONLY;QSQLITE_OPEN_URI");
  }
  db.setConnectOptions(options);
  return db.open() || Fail(failure, Describe(db.lastError()));
}

bool FileConnection::Look(Access access, StoreFailure& failure) {
  int version = 0;
  const bool known = Connect(access, failure) && Identify(version, failure);
  Close();
  if (known || failure.refused || access != Access::FileAlone) return known;
  // The file read as it lies, while another copy may be writing it (a
  // checkpoint): only what it plainly says refuses it; anything else is
  // judged by the store opened as usual.
  failure = {};
  return true;
}

bool FileConnection::Create(StoreFailure& failure) {
  const QFileInfo file(path_);
  if (!QDir().mkpath(file.absolutePath())) {
    return Fail(failure, QStringLiteral("cannot make the folder %1").arg(file.absolutePath()));
  }
  static std::atomic<int> builds{0};
  const QString temporary = QStringLiteral("%1.new-%2-%3").arg(path_).arg(getpid()).arg(++builds);
  const QString builder = Name() + QStringLiteral("-new");
  // The file being made and its journals go with the process, however it
  // ends (a second termination signal ends it at once).
  const std::string made = QFile::encodeName(temporary).toStdString();
  const std::vector<std::string> journals = {made + "-journal", made + "-wal", made + "-shm"};
  platform::RegisterExitCleanup(made.c_str());
  for (const std::string& journal : journals) platform::RegisterExitCleanup(journal.c_str());
  const auto forget = [&] {
    platform::ForgetExitCleanup(made.c_str());
    for (const std::string& journal : journals) platform::ForgetExitCleanup(journal.c_str());
  };
  QString reason;
  {
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), builder);
    db.setDatabaseName(temporary);
    if (!db.open()) {
      reason = db.lastError().text();
    } else {
      if (const QSqlError error = UpgradeSchema(db, StoreDialect::Sqlite, 0); error.type() != QSqlError::NoError) {
        reason = error.text();
      }
      QSqlQuery q(db);
      if (reason.isEmpty() && !q.exec(QStringLiteral("PRAGMA journal_mode=WAL"))) reason = q.lastError().text();
      q.finish();
      db.close();
    }
  }
  QSqlDatabase::removeDatabase(builder);
  if (!reason.isEmpty()) {
    unlink(made.c_str());
    for (const std::string& journal : journals) unlink(journal.c_str());
    forget();
    return Fail(failure, QStringLiteral("%1: %2").arg(temporary, reason));
  }
  // Another copy that made the store first wins; its store is as good.
  const int error = platform::PublishNewFile(made, QFile::encodeName(path_).toStdString());
  forget();
  if (error != 0 && error != EEXIST)
    return Fail(failure, QStringLiteral("%1: %2").arg(Shown(), qt_error_string(error)));
  return true;
}

bool FileConnection::Identify(int& version, StoreFailure& failure) {
  QSqlDatabase db = Database();
  {
    QSqlQuery q(db);
    if (!q.exec(QLatin1String(WordsOf(StoreDialect::Sqlite).readVersion)) || !q.next()) {
      // No such table, or no database at all: not TORVIK's. Busy, or a
      // page read while another copy wrote it: asked again next time.
      const QSqlError error = q.lastError();
      const bool unsure = Transient(error) || (error.nativeErrorCode().toInt() & 0xff) == kSqliteCorrupt;
      return unsure ? Fail(failure, Describe(error)) : Refuse(failure, Describe(error));
    }
    version = q.value(0).toInt();
  }
  if (version > kStoreSchemaVersion) {
    return Refuse(failure, QStringLiteral("%1 was written by a newer TORVIK (schema %2; this one knows %3)")
                               .arg(Shown())
                               .arg(version)
                               .arg(kStoreSchemaVersion));
  }
  bool ours = false;
  if (const QSqlError error = HasTorvikTables(db, StoreDialect::Sqlite, ours); error.type() != QSqlError::NoError) {
    return Fail(failure, Describe(error));  // busy, say: asked again next time
  }
  if (version < 1 || !ours) {
    return Refuse(failure, QStringLiteral("%1 is not TORVIK's results store (schema %2)").arg(Shown()).arg(version));
  }
  return true;
}

bool FileConnection::Recognise(StoreFailure& failure) {
  int version = 0;
  if (!Identify(version, failure)) return false;
  foundVersion_ = version;
  if (version == kStoreSchemaVersion) return true;
  // Upgraded once, by whichever copy takes the write lock first.
  const QSqlError error = InWriteTransaction(*this, [](Statements& s) -> QSqlError {
    QSqlQuery q(s.Database());
    if (!q.exec(QLatin1String(WordsOf(StoreDialect::Sqlite).readVersion)) || !q.next()) return q.lastError();
    const int now = q.value(0).toInt();
    q.finish();
    return UpgradeSchema(s.Database(), StoreDialect::Sqlite, now);
  });
  return error.type() == QSqlError::NoError || Fail(failure, Describe(error));
}

}  // namespace torvik
