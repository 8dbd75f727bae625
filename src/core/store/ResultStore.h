// ResultStore: the runs kept in a results store, through its connection (a
// SQLite file on this PC by default, ~/.local/share/Varn/TORVIK/
// results.sqlite, or a PostgreSQL server's database many PCs share: see
// StoreConnection). Tables `runs` and `tests` (RunColumns), made and
// upgraded by numbered steps (SchemaSteps); each run, each import and each
// send written in one transaction, so a crash leaves all of it or none.
// Reads are paged by key (newest first: sort_time, id), filtered in SQL
// (RunQuery), and a run's series comes with its tests in two statements.
// Only TORVIK's own store is ever written; nothing is deleted but the runs
// the user asks to delete. Every operation answers with its value or the
// status of its failure. The thread that made it only (Qt SQL's
// connections belong to their thread); one ResultStore per thread.
#pragma once

#include <QString>
#include <QVariant>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

#include "core/records/ArchiveStatus.h"
#include "core/records/FleetMachine.h"
#include "core/records/FleetRights.h"
#include "core/records/OpenedStore.h"
#include "core/records/RunFilter.h"
#include "core/records/StoredRun.h"
#include "core/records/SyncResult.h"

namespace torvik {

class StoreSession;

// How many runs of a filter one machine (its name and processor model) has.
struct MachineRunCount {
  QString name, processor;
  int runs = 0;
};

struct ImportCounts {
  int imported = 0;
  int duplicates = 0;  // already in the store
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
  // The schema this TORVIK knows: what a run it makes says of its maker.
  static int KnownSchema();
  // The location of an empty store held in memory, for reads that must
  // make nothing when this PC has no store yet.
  static QString InMemory();
  // Whether anything is at `path` (a dangling link too): a file store is
  // made only where nothing is.
  static bool FileExists(const QString& path);
  const QString& Path() const;

  // Opens the store, creating or upgrading its schema when it can. A
  // refusal (not TORVIK's store) is final; any other failure is tried
  // again at the next call.
  ArchiveResult<OpenedStore> Open();
  // What the user should know of the store opened last (a schema only its
  // owner may upgrade); empty when nothing. A fact of the store, not a failure.
  const QString& Advice() const;
  ArchiveResult<int> SchemaVersion();
  // Whether this role may delete runs here (a shared store's members may not).
  ArchiveResult<bool> MayDelete();

  // Keeps `run` and its tests (its id is ignored); nothing of it on failure.
  ArchiveStatus Record(const StoredRun& run);
  // Keeps runs another store of this PC held (with their uuid and sent
  // state) in one transaction, skipping any it has already.
  ArchiveResult<ImportCounts> Adopt(const std::vector<StoredRun>& runs);
  // Keeps imported runs in one transaction, skipping any whose sheetKey the
  // store already has; a failure keeps none.
  ArchiveResult<ImportCounts> Import(const std::vector<StoredRun>& runs);

  ArchiveResult<int> RunCount(const RunFilter& filter = {});
  // At most `limit` runs of `filter`, newest first, after `after` (from the
  // newest without it), without their tests.
  ArchiveResult<std::vector<StoredRun>> Runs(int limit, const RunFilter& filter = {},
                                             const std::optional<RunKey>& after = {});
  // For each of `ids`: the run, then the other repetitions of its series
  // (the same command, the same group) oldest first, all with their tests;
  // empty for an id the store does not have.
  ArchiveResult<std::vector<std::vector<StoredRun>>> SeriesOf(const std::vector<int64_t>& ids);
  // The runs `ids` (every run when empty) with their tests, newest first.
  ArchiveResult<std::vector<StoredRun>> RunsWithTests(const std::vector<int64_t>& ids);
  // The newest `limit` runs of `filter` with their tests, newest first.
  ArchiveResult<std::vector<StoredRun>> RunsWithTests(const RunFilter& filter, int limit);
  // The latest series of each machine (its name, PC or host, and its
  // processor's model) and group among the runs of `filter`: per machine,
  // its newest run, then the other repetitions of that run's command (as
  // SeriesOf), at most `limit` machines, newest first; picked by the store
  // itself on the machines' index, a few index reads a machine.
  ArchiveResult<std::vector<std::vector<StoredRun>>> LatestSeries(const RunFilter& filter, int limit);
  // How many machines (by name and model) have runs of `filter` that this
  // store does not rank: on a shared store that keeps its machines, those
  // pending or retired and runs without a machine id; 0 elsewhere.
  ArchiveResult<int> UnrankedMachinesOf(const RunFilter& filter);
  // Every machine and group that has runs of `filter`, by name, model, group.
  ArchiveResult<std::vector<MachineKey>> MachinesOf(const RunFilter& filter);
  // The newest `limit` runs of `filter` of each of `machines` (a machine and
  // group each), with their tests, in one read: each machine's newest
  // first, the machines in any order; each run with what a trend and the
  // machine's facts read (not who ran it, its caches, test folder, uuid,
  // date text or sender: left empty).
  ArchiveResult<std::vector<StoredRun>> NewestRunsOf(const std::vector<MachineKey>& machines, const RunFilter& filter,
                                                     int limit);
  // How many runs of `filter` each machine has, in no order.
  ArchiveResult<std::vector<MachineRunCount>> RunCountsOf(const RunFilter& filter);
  // The runs kept here that have not reached the shared store, oldest
  // first, with their tests: all of them, or the oldest `limit`.
  ArchiveResult<std::vector<StoredRun>> Unsent(int limit = -1);
  ArchiveResult<int> UnsentCount();
  // The shared store's side of sending (RunReceiver): each run kept once.
  ArchiveResult<ReceiveCounts> Receive(const std::vector<StoredRun>& runs);
  // Marks runs kept here as having reached the shared store.
  ArchiveStatus MarkSent(const std::vector<int64_t>& ids);
  // Sets aside runs kept here that the shared store would not take, each
  // with why: they are sent no more.
  ArchiveStatus SetAside(const std::vector<std::pair<int64_t, QString>>& runs);
  // The runs set aside here, newest first, without their tests.
  ArchiveResult<std::vector<StoredRun>> SetAsideRuns();
  // Deletes the runs and their tests.
  ArchiveStatus Delete(const std::vector<int64_t>& ids);

  // A shared store's fleet (none for this PC's store): its machines, `now`
  // ending the last 7 and 30 days (MachineRegistry); whether this role may
  // approve and retire them; a machine's new state (how many changed).
  ArchiveResult<std::vector<FleetMachine>> Machines(int64_t now);
  ArchiveResult<bool> MayDecideMachines();
  ArchiveResult<int> SetMachineState(const QString& machineId, MachineState state);
  // Grants the group roles their rights (the owner's; nothing on a file).
  ArchiveResult<FleetRights> GrantRights();
  // The name the store's owner gave it (empty: none), as found at the last
  // open; and giving it one (the owner's).
  const QString& Label() const;
  ArchiveStatus SetLabel(const QString& label);

 private:
  // Keeps in one transaction the runs whose `key` (in `keyColumn`) the store
  // does not have yet, counting them and the ones it has. A failure keeps none.
  ArchiveResult<ImportCounts> InsertNew(const std::vector<StoredRun>& runs, const char* keyColumn,
                                        QString StoredRun::*key);
  // The runs the statement selects, then their tests.
  ArchiveResult<std::vector<StoredRun>> WithTests(const QString& where, const QVariantList& values,
                                                  const QString& order);

  std::unique_ptr<StoreSession> session_;
};

}  // namespace torvik
