// ResultStore: the runs kept in a results store, through its connection (a
// SQLite file on this PC by default, ~/.local/share/Varn/TORVIK/
// results.sqlite, or a PostgreSQL server's database many PCs share: see
// StoreConnection). Tables `runs` and `tests` (RunColumns), made and
// upgraded by numbered steps (SchemaSteps); each run, each import and each
// send written in one transaction, so a crash leaves all of it or none.
// Reads are paged by key (newest first: sort_time, id), filtered in SQL,
// and a run's series comes with its tests in two statements. Only TORVIK's
// own store is ever written; nothing is deleted but the runs the user asks
// to delete. The thread that made it only (Qt SQL's connections belong to
// their thread); one ResultStore per thread.
#pragma once

#include <QString>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "core/history/SchemaSteps.h"
#include "core/history/StoreConnection.h"
#include "core/history/StoredRun.h"

class QSqlQuery;

namespace torvik {

class Statements;

struct ImportCounts {
  int imported = 0;
  int duplicates = 0;  // already in the store
};

// What a shared store did with the runs sent to it, by their ids here.
struct ReceiveCounts {
  std::vector<int64_t> received;                           // kept now
  std::vector<int64_t> present;                            // there already (their uuid, or their sheet's key)
  std::vector<std::pair<int64_t, QString>> refused;        // not taken for what they hold: why
};

// Which runs a list shows; an empty field (a PC name not given) does not
// filter.
struct RunFilter {
  std::optional<QString> pcName{};  // the PC name, whole, in any case ("": unnamed machines)
  QString processor{};              // a part of the processor's text, in any case
  QString processorName{};          // the processor's name without its clock, whole
  QString machineId{};              // the machine's stable id, whole
  QString group{};                  // a group's id, exactly
  std::optional<QString> machine{};  // the PC name, or the host name where it has none, whole, in any case
  std::optional<int64_t> from{}, to{};  // the time it ran, seconds since 1970, both included
};

// Where a page of the list goes on: after this run (the last one shown).
struct RunKey {
  int64_t sortTime = 0;
  int64_t id = 0;
};

class ResultStore {
 public:
  // `location`: the database file's path, or a server's URL; `clientName`
  // the name a server connection gives itself. Nothing is opened yet.
  explicit ResultStore(const QString& location, const QString& clientName = QStringLiteral("torvik"));
  ~ResultStore();
  ResultStore(const ResultStore&) = delete;
  ResultStore& operator=(const ResultStore&) = delete;

  // ~/.local/share/Varn/TORVIK/results.sqlite for this program.
  static QString DefaultPath();
  const QString& Path() const { return path_; }

  // Opens the store, creating or upgrading its schema when it can; false
  // (and Error()) when it cannot. A refusal (not TORVIK's store) is final;
  // any other failure is tried again at the next call.
  bool Open();
  // Why the last operation failed; empty when it did not.
  const QString& Error() const { return error_; }
  // Whether it failed because another copy held the store beyond the wait.
  bool Busy() const { return busy_; }
  // Whether it failed because the server could not be reached or went away.
  bool Unreachable() const { return unreachable_; }
  // True once the location was found not to be TORVIK's store.
  bool Refused() const { return state_ == State::Refused; }
  int SchemaVersion();
  // The version the open store had before this program upgraded or made it
  // (0: it was made), and what the user should know of it (a schema only
  // its owner may upgrade); see StoreConnection.
  int FoundVersion() const { return connection_->FoundVersion(); }
  const QString& Advice() const { return connection_->Advice(); }
  // Whether this role may delete runs here (a shared store's members may not).
  bool MayDelete();

  // Keeps `run` and its tests (its id is ignored); false on failure, when
  // nothing of it is kept.
  bool Record(const StoredRun& run);
  // Keeps runs another store of this PC held (with their uuid and sent
  // state) in one transaction, skipping any it has already.
  bool Adopt(const std::vector<StoredRun>& runs, ImportCounts& counts);
  // Keeps imported runs in one transaction, skipping any whose sheetKey the
  // store already has; a failure keeps none.
  bool Import(const std::vector<StoredRun>& runs, ImportCounts& counts);

  int RunCount(const RunFilter& filter = {});
  // At most `limit` runs of `filter`, newest first, after `after` (from the
  // newest without it), without their tests.
  std::vector<StoredRun> Runs(int limit, const RunFilter& filter = {}, const std::optional<RunKey>& after = {});
  // One run with its tests, or an empty run (id 0).
  StoredRun RunWithTests(int64_t id);
  // For each of `ids`: the run, then the other repetitions of its series
  // (the same command, the same group) oldest first, all with their tests;
  // empty for an id the store does not have.
  std::vector<std::vector<StoredRun>> SeriesOf(const std::vector<int64_t>& ids);
  std::vector<StoredRun> SeriesOf(int64_t id) { return SeriesOf(std::vector<int64_t>{id}).front(); }
  // The runs `ids` (every run when empty) with their tests, newest first.
  std::vector<StoredRun> RunsWithTests(const std::vector<int64_t>& ids);
  // The newest `limit` runs of `filter` with their tests, newest first.
  std::vector<StoredRun> RunsWithTests(const RunFilter& filter, int limit);
  // The latest series of each machine (its name, PC or host, and its
  // processor's model) and group among the runs of `filter`: per machine,
  // its newest run, then the other repetitions of that run's command (as
  // SeriesOf), at most `limit` machines; picked by the store itself.
  std::vector<std::vector<StoredRun>> LatestSeries(const RunFilter& filter, int limit);
  // The runs kept here that have not reached the shared store, oldest
  // first, with their tests: all of them, or the oldest `limit`.
  std::vector<StoredRun> Unsent(int limit = -1);
  int UnsentCount();
  // The shared store's side of sending, in one transaction: a run whose
  // uuid or sheet key it has is there already (a run sent twice is kept
  // once); one it will not take for what it holds is refused on its own
  // (a savepoint each), never holding back the runs behind it; the others
  // are kept. A failure of the store or the connection keeps none.
  bool Receive(const std::vector<StoredRun>& runs, ReceiveCounts& counts);
  // Marks runs kept here as having reached the shared store.
  bool MarkSent(const std::vector<int64_t>& ids);
  // Sets aside runs kept here that the shared store would not take, each
  // with why: they are sent no more.
  bool SetAside(const std::vector<std::pair<int64_t, QString>>& runs);
  // The runs set aside here, newest first, without their tests.
  std::vector<StoredRun> SetAsideRuns();
  // Deletes the runs and their tests.
  bool Delete(const std::vector<int64_t>& ids);

 private:
  enum class State { Closed, Open, Refused };

  // One operation on the store: the store opened for it, and its waits on a
  // server bounded from its start to its end.
  class Operation {
   public:
    explicit Operation(ResultStore& store);
    ~Operation();
    Operation(const Operation&) = delete;
    Operation& operator=(const Operation&) = delete;
    explicit operator bool() const { return open_; }

   private:
    ResultStore& store_;
    bool open_;
  };

  bool OpenNow();

  bool Fail(const QString& reason);
  bool FailWith(const QSqlError& error);
  // Runs `body` in one write transaction; false (Error()) when it failed.
  bool Write(const std::function<QSqlError(Statements&)>& body);
  // Runs a read with `values` bound in order; false (Error()) when it, or
  // its preparation, failed.
  bool Read(QSqlQuery& query, const QString& statement, const QVariantList& values = {});
  // The runs a read selected, in its order; empty (Error()) when it failed.
  std::vector<StoredRun> ReadRuns(const QString& where, const QVariantList& values, const QString& order);
  std::vector<StoredRun> RunsOf(const QString& statement, const QVariantList& values = {});
  // The runs table's columns the open store has, each after `prefix`.
  QString RunColumnList(const QString& prefix = {}) const;
  // Gives each of `runs` its tests, read in one statement for the runs
  // `condition` (on run_id) selects; false (Error()) when it failed.
  bool AttachTests(std::vector<StoredRun>& runs, const QString& condition);
  QSqlError InsertRun(Statements& statements, const StoredRun& run);
  // Receive's two ways: the part at once (`oneByOne` set when a run was
  // refused for what it holds), or each run under a savepoint of its own.
  QSqlError ReceiveAtOnce(Statements& s, const std::vector<StoredRun>& runs, ReceiveCounts& counts, bool& oneByOne);
  QSqlError ReceiveOneByOne(Statements& s, const std::vector<StoredRun>& runs, ReceiveCounts& counts);
  // Keeps in one transaction the runs whose `key` (in `keyColumn`) the store
  // does not have yet, counting them and the ones it has; `markSent` keeps
  // them as sent. A failure keeps none.
  bool InsertNew(const std::vector<StoredRun>& runs, const char* keyColumn, QString StoredRun::*key, bool markSent,
                 ImportCounts& counts);

  QString path_;
  std::unique_ptr<StoreConnection> connection_;
  QString error_;
  bool unreachable_ = false;
  bool busy_ = false;
  QString refusal_;  // why the location is not TORVIK's store, once found
  State state_ = State::Closed;
};

}  // namespace torvik
