// StoreConnection: what differs wholesale between the two kinds of results
// store, behind one interface: a SQLite file on this PC (FileConnection) or
// a PostgreSQL server many PCs share (ServerConnection). Each opens its kind
// (making a missing file, connecting to a server), recognises the schema
// (creating or upgrading it, refusing anything that is not TORVIK's),
// says whether an open connection is still there, which errors mean another
// copy holds the store just now, and how an error reads to a user. The
// store chooses the kind once, by its location. A connection belongs to the
// thread that made it (Qt SQL's rule).
#pragma once

#include <QSqlDatabase>
#include <QSqlError>
#include <QString>

#include "core/records/ArchiveStatus.h"
#include "core/records/FleetRights.h"
#include "core/store/StoreDialect.h"

namespace torvik {

// Why a store could not be opened; a refusal (not TORVIK's store, a URL
// that cannot be used) is final, anything else is tried again next time.
struct StoreFailure {
  QString reason;
  bool refused = false;
  bool unreachable = false;  // the server could not be reached, or went away
  bool tooOld = false;       // refused: this TORVIK is older than the oldest writer the store takes
};

class StoreConnection {
 public:
  virtual ~StoreConnection();
  StoreConnection(const StoreConnection&) = delete;
  StoreConnection& operator=(const StoreConnection&) = delete;

  virtual StoreDialect Dialect() const = 0;
  // Connects and recognises the schema, creating or upgrading it; false
  // (and `failure`) when it cannot.
  virtual bool Open(StoreFailure& failure) = 0;
  // Whether the open connection still answers. Asked only when it may not
  // (after a failure, or after sitting unused), never before every use.
  virtual bool StillThere() { return true; }
  // A statement failed: the next StillThere asks.
  virtual void NoteFailure() {}
  // One operation's waits on a server, from its start to its end (nested
  // operations count as one), each statement given the same time from its
  // NextStatement(): a server that stops answering costs a limit, not the
  // program. Nothing to bound in a file.
  virtual void BeginOperation() {}
  virtual void EndOperation() {}
  virtual void NextStatement() {}
  // Whether `error` means that another copy holds the store just now: the
  // write is tried again.
  virtual bool Transient(const QSqlError& error) const = 0;
  // `error` as a user reads it, with the location: a timeout, a lock or a
  // connection lost named as such.
  virtual QString Describe(const QSqlError& error) const;
  // Whether `error` means the server could not be reached or went away.
  virtual bool Unreachable(const QSqlError&) const { return false; }
  // Whether `error` means that another session held what the statement
  // needed (tried again, or not, as Transient says).
  virtual bool HeldElsewhere(const QSqlError& error) const { return Transient(error); }
  // The kind of failure `error` is: another copy holding the store (busy),
  // a server away, a right this role lacks, the program ending (its waits
  // given up), or any other.
  FailureKind KindOf(const QSqlError& error) const;
  // The kind of failure an open that failed is.
  static FailureKind KindOf(const StoreFailure& failure);
  // What a failed insert of one run says of it: the store has it already
  // (by the key it keeps runs once by), the store will not take what it
  // holds, or neither (the store's or the connection's trouble).
  enum class InsertFailure { AlreadyThere, RefusedContent, Other };
  virtual InsertFailure Classify(const QSqlError& error) const = 0;
  // Grants the group roles what they need (a server's owner only; a file
  // has no roles): what was granted in `granted`.
  virtual QSqlError GrantRights(FleetRights& granted) {
    granted = {};
    return {};
  }

  // The schema version of the open store: the program's own, or an older
  // server's that this connection may not upgrade; and the one it found
  // (0: none: the store was made).
  int Version() const { return version_; }
  int FoundVersion() const { return foundVersion_; }
  // What the user should know of the open store (a schema only its owner
  // may upgrade); empty when nothing.
  const QString& Advice() const { return advice_; }
  // The name its owner gave the store (empty: none given); a server's only.
  const QString& Label() const { return label_; }
  // The location as messages show it (a URL never with its password).
  const QString& Shown() const { return shown_; }
  // The open database, on the thread that opened it.
  QSqlDatabase Database() const { return QSqlDatabase::database(name_, false); }
  void Close();

 protected:
  explicit StoreConnection(QString shown);
  int version_ = 0;
  int foundVersion_ = 0;
  QString advice_;
  QString label_;
  // Qt SQL's name of this connection, unique in the process.
  const QString& Name() const { return name_; }
  // A new Qt SQL connection of `driver` under Name(), any earlier one gone.
  QSqlDatabase AddDatabase(const QString& driver);

 private:
  QString shown_;
  QString name_;
};

}  // namespace torvik
