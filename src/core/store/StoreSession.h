// StoreSession: the store's own working parts behind ResultStore and the
// receiving side of a send: the connection to one store (chosen once by
// its location: a server for a "postgresql://" URL, else a SQLite file),
// opened for each operation with its waits on a server bounded from the
// operation's start to its end, reads with their values bound, writes in
// one transaction, the runs a read selects with their tests, and every
// failure turned into a status of its kind with the user's words. Only
// the store's own units include it. The thread that made it only (Qt SQL's
// connections belong to their thread).
#pragma once

#include <QSqlError>
#include <QSqlQuery>
#include <QString>
#include <QVariantList>
#include <functional>
#include <memory>
#include <vector>

#include "core/records/ArchiveStatus.h"
#include "core/records/StoredRun.h"
#include "core/store/StoreConnection.h"
#include "core/store/WriteTransaction.h"

namespace torvik {

class StoreSession {
 public:
  StoreSession(const QString& location, const QString& clientName);
  StoreSession(const StoreSession&) = delete;
  StoreSession& operator=(const StoreSession&) = delete;

  const QString& Path() const { return path_; }
  StoreConnection& Connection() { return *connection_; }
  const StoreConnection& Connection() const { return *connection_; }
  int Version() const { return connection_->Version(); }
  StoreDialect Dialect() const { return connection_->Dialect(); }

  // One operation on the store: the store opened for it (or why not), and
  // its waits on a server bounded from its start to its end.
  class Operation {
   public:
    explicit Operation(StoreSession& session);
    ~Operation();
    Operation(const Operation&) = delete;
    Operation& operator=(const Operation&) = delete;
    explicit operator bool() const { return status_.Ok(); }
    const ArchiveStatus& Status() const { return status_; }

   private:
    StoreSession& session_;
    ArchiveStatus status_;
  };

  // `error` as a status of its kind, in the user's words; the connection
  // asks whether the server is still there before its next use.
  ArchiveStatus Failure(const QSqlError& error);
  ArchiveStatus Failure(FailureKind kind, const QString& text);
  // Runs `body` in one write transaction.
  ArchiveStatus Write(const std::function<QSqlError(Statements&)>& body);
  // Runs a read with `values` bound in order.
  ArchiveStatus Read(QSqlQuery& query, const QString& statement, const QVariantList& values = {});
  // The runs a statement selects (the runs table's columns by name), in its order.
  ArchiveResult<std::vector<StoredRun>> RunsOf(const QString& statement, const QVariantList& values = {});
  // The runs table's columns the open store has, each after `prefix`.
  QString RunColumnList(const QString& prefix = {}) const;
  // Gives each of `runs` its tests, read in one statement for the runs
  // `condition` (on run_id) selects, in the catalogue's order.
  ArchiveStatus AttachTests(std::vector<StoredRun>& runs, const QString& condition, const QVariantList& values = {});
  // `column` among `ids`, as one bound value on a server (an array: planned
  // once, however many ids), as a list of numbers in a file; its value
  // appended to `values`.
  QString AmongIds(const char* column, const std::vector<int64_t>& ids, QVariantList& values) const;
  // Inserts `run` and its tests (its id ignored) inside a write transaction.
  QSqlError InsertRun(Statements& statements, const StoredRun& run);

 private:
  enum class State { Closed, Open, Refused };

  ArchiveStatus OpenNow();

  QString path_;
  std::unique_ptr<StoreConnection> connection_;
  ArchiveStatus refusal_;  // why the location is not TORVIK's store, once found
  State state_ = State::Closed;
};

}  // namespace torvik
