// FileConnection: a results store in a SQLite file on this PC (by default
// ~/.local/share/Varn/TORVIK/results.sqlite). A missing file is made whole
// under a temporary name and put in place (another copy that was faster
// wins); WAL journal; the schema's version in PRAGMA user_version. Only
// TORVIK's own file is ever written: a link, a folder, a device, an empty
// file, another program's database or a newer schema is refused before
// anything is written, left byte for byte as it was with everything beside
// it (its -wal, -shm or journal): an existing file is looked at read-only
// first, and opened to write only once it is known to be TORVIK's. A store
// this user may only read is read as its file holds it, nothing made beside
// it. Another copy's write is waited for a few seconds (busy and locked are
// transient).
#pragma once

#include "core/store/StoreConnection.h"

namespace torvik {

class FileConnection : public StoreConnection {
 public:
  explicit FileConnection(const QString& path);

  // The location of an empty store held in memory (SQLite's name for one),
  // for reads that must make nothing when this PC has no store yet.
  static QString InMemory() { return QStringLiteral(":memory:"); }
  // Whether anything is at `path`, a dangling link too: a store is made
  // only where nothing is.
  static bool Exists(const QString& path);

  StoreDialect Dialect() const override { return StoreDialect::Sqlite; }
  bool Open(StoreFailure& failure) override;
  bool Transient(const QSqlError& error) const override;
  QString Describe(const QSqlError& error) const override;
  InsertFailure Classify(const QSqlError& error) const override;

 private:
  // How a connection holds the file: to write; to read what the file alone
  // holds, nothing beside it looked at or made (no lock, journal, -wal or
  // -shm: SQLite's immutable file); or to read with its -wal, never
  // checkpointing or rolling back anything.
  enum class Access { Write, FileAlone, Read };

  // An empty store of the current schema, in memory.
  bool OpenInMemory(StoreFailure& failure);
  // The store at the path: made when missing, refused when not TORVIK's,
  // upgraded when older.
  bool OpenFile(StoreFailure& failure);
  // Builds a new store under a temporary name and puts it at the path.
  bool Create(StoreFailure& failure);
  // Opens the file as `access` says, under Name().
  bool Connect(Access access, StoreFailure& failure);
  // Connects as `access` says, identifies the store and closes again.
  bool Look(Access access, StoreFailure& failure);
  // Whether the open file is TORVIK's store of a schema this program knows
  // (refused if not), with its version; reads only.
  bool Identify(int& version, StoreFailure& failure);
  // Identify, then the store upgraded.
  bool Recognise(StoreFailure& failure);

  QString path_;
};

}  // namespace torvik
