// ResultStore: every finished run kept in a per-user SQLite database
// (QStandardPaths::AppDataLocation + "results.sqlite"), through Qt SQL.
// Tables `runs` and `tests`; the schema's version in PRAGMA user_version,
// made on first use and upgraded in order by numbered steps; WAL journal;
// each run (and each import) written in one transaction, so a crash leaves
// all of it or none.
//
// Never in the way and never destroying data: a file that cannot be opened,
// is damaged, or has a newer schema than this program knows is reported
// through Error() and left exactly as it is; nothing is deleted but the runs
// the user asks to delete. GUI thread (or the command line's one thread).
#pragma once

#include <QString>
#include <vector>

#include "core/history/StoredRun.h"

class QIODevice;

namespace torvik {

inline constexpr int kStoreSchemaVersion = 2;

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
  // (and Error()) when it is unusable. Later calls reuse the first answer.
  bool Open();
  // Why the last operation failed.
  const QString& Error() const { return error_; }
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
  // Deletes the runs and their tests.
  bool Delete(const std::vector<int64_t>& ids);
  // One row per run and test (every run when `ids` is empty), RFC 4180
  // quoted, UTF-8, for spreadsheets.
  bool ExportCsv(const std::vector<int64_t>& ids, QIODevice& out);

 private:
  bool Fail(const QString& reason);
  bool Upgrade(int from);
  bool InsertRun(const StoredRun& run);

  QString path_;
  QString connection_;
  QString error_;
  int opened_ = -1;  // -1 not tried, 0 unusable, 1 open
};

}  // namespace torvik
