// ResultStore: every finished run kept in a per-user SQLite database
// (QStandardPaths::AppDataLocation + "results.sqlite"), through Qt SQL; or,
// for a "postgresql://" URL, in a PostgreSQL server's database shared by
// many machines: the same tables and steps in the server's types, its
// version in a table of its own, created and upgraded under an advisory
// lock.
// Tables `runs` and `tests`; the schema's version in PRAGMA user_version,
// made whole under a temporary name and then put in place on first use,
// upgraded in order by numbered steps; WAL journal; each run (and each
// import) written in one transaction, so a crash leaves all of it or none.
//
// Only TORVIK's own store is ever written: a path that is a link, a folder,
// a device, an empty file, another program's database, or a store of a
// schema this program does not know is refused before anything is written,
// left byte for byte as it was, and reported through Error(). Many copies
// share one store: every write transaction takes the write lock at once
// (BEGIN IMMEDIATE) and waits for another copy's for a few seconds; a store
// that was busy is tried again, never taken for broken. Nothing is deleted
// but the runs the user asks to delete. GUI thread (or the command line's
// one thread); one ResultStore per thread.
#pragma once

#include <QElapsedTimer>
#include <QSqlQuery>
#include <QString>
#include <functional>
#include <list>
#include <vector>

#include "core/history/StoreLocation.h"
#include "core/history/StoredRun.h"

class QIODevice;
class QSqlDatabase;
class QSqlError;

namespace torvik {

inline constexpr int kStoreSchemaVersion = 6;

struct ImportCounts {
  int imported = 0;
  int duplicates = 0;  // already in the store
};

class ResultStore {
 public:
  // `path` of the database file; nothing is opened yet.
  explicit ResultStore(const QString& path);
  ~ResultStore();
  ResultStore(const ResultStore&) = delete;
  ResultStore& operator=(const ResultStore&) = delete;

  // ~/.local/share/Varn/TORVIK/results.sqlite for this program.
  static QString DefaultPath();
  const QString& Path() const { return path_; }

  // Opens the database, creating or upgrading its schema when it can; false
  // (and Error()) when it cannot. A refusal (not TORVIK's store) is final;
  // any other failure is tried again at the next call.
  bool Open();
  // Why the last operation failed.
  const QString& Error() const { return error_; }
  // True once the file was found not to be TORVIK's store.
  bool Refused() const { return state_ == State::Refused; }
  int SchemaVersion();

  // Keeps `run` and its tests (its id is ignored); false on failure, when
  // nothing of it is kept.
  bool Record(const StoredRun& run);
  // Keeps imported runs in one transaction, skipping any whose sheetKey the
  // store already has; a failure keeps none.
  bool Import(const std::vector<StoredRun>& runs, ImportCounts& counts);

  int RunCount();
  // Runs newest first, without their tests: `limit` from `offset`.
  std::vector<StoredRun> Runs(int offset, int limit);
  // One run with its tests, or an empty run (id 0).
  StoredRun RunWithTests(int64_t id);
  // The run `id`, then the other repetitions of its series (the same
  // command, the same group) oldest first, with their tests; empty when
  // there is no such run.
  std::vector<StoredRun> SeriesOf(int64_t id);
  // The runs kept here that have not reached the shared store, oldest
  // first, with their tests.
  std::vector<StoredRun> Unsent();
  // The shared store's side of sending: keeps in one transaction the runs
  // whose uuid it does not have yet (a run sent twice is kept once);
  // `received` counts the new ones. A failure keeps none.
  bool Receive(const std::vector<StoredRun>& runs, int& received);
  // Marks runs kept here as having reached the shared store.
  bool MarkSent(const std::vector<int64_t>& ids);
  // Deletes the runs and their tests.
  bool Delete(const std::vector<int64_t>& ids);
  // One row per run and test (every run when `ids` is empty), RFC 4180
  // quoted, UTF-8, for spreadsheets.
  bool ExportCsv(const std::vector<int64_t>& ids, QIODevice& out);

 private:
  enum class State { Closed, Open, Refused };

  bool Fail(const QString& reason);
  // Whether the server's connection went away (a restart of the server, a
  // network gone) while it sat unused or after a failure: asked then, never
  // before every use. Closed when it did, so Open connects afresh.
  bool ConnectionLost();
  bool Refuse(const QString& reason);
  // Builds a new store under a temporary name and puts it at the path,
  // unless another copy was faster.
  bool Create();
  // Whether the open file is TORVIK's store (refused if not), upgraded.
  bool Recognise();
  // The same for a server: connected, then recognised, created or upgraded.
  bool OpenServer();
  bool RecogniseServer();
  // The schema steps after `from`, and the version they reach.
  QSqlError UpgradeSteps(QSqlDatabase& db, int from);
  // Runs `body` (which gives the error of its failing statement, or none)
  // in one write transaction, tried again while the store is busy with
  // another copy's; false (Error()) when it failed.
  bool Write(const std::function<QSqlError(QSqlDatabase&)>& body);
  // A prepared statement for the transaction under way, freed once it has
  // ended: PostgreSQL cannot free one inside a transaction that failed.
  QSqlQuery& Prepared(QSqlDatabase& db, const QString& statement);
  QSqlError InsertRun(QSqlDatabase& db, const StoredRun& run);
  // Keeps in one transaction the runs whose `key` (in `keyColumn`) the store
  // does not have yet, counting them and the ones it has; `markSent` keeps
  // them as sent. A failure keeps none.
  bool InsertNew(const std::vector<StoredRun>& runs, const char* keyColumn, QString StoredRun::*key, bool markSent,
                 ImportCounts& counts);

  QString path_;
  QString shown_;  // the path, or the URL without its password
  StoreDialect dialect_;
  QString connection_;
  QString error_;
  State state_ = State::Closed;
  std::list<QSqlQuery> prepared_;  // the transaction's, see Prepared
  QElapsedTimer lastUse_;            // of the server's connection
  bool askServer_ = false;           // a failure: is the server still there?
};

}  // namespace torvik
