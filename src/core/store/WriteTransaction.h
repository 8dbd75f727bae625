// Writing to a results store in one transaction: begun holding the write
// lock, committed when the body gives no error, rolled back otherwise, and
// tried again (three times in all) while another copy holds the store.
// The statements the body prepares live until the transaction has ended:
// PostgreSQL cannot free one inside a transaction that failed. A statement
// that cannot even be prepared (a timeout, a lock, a lost connection while
// the server parses it) is an error like any other, never run regardless.
// The caller's thread (the connection's).
#pragma once

#include <QSqlError>
#include <QSqlQuery>
#include <functional>
#include <map>

#include "core/store/StoreConnection.h"

namespace torvik {

class Statements {
 public:
  explicit Statements(StoreConnection& connection) : connection_(connection), db_(connection.Database()) {}

  // `statement` prepared for the transaction, once however often it is
  // asked for (a query of many runs keeps one per text, not one per run);
  // null (and `error`) when the store would not prepare it. Asking is
  // taken for the start of a statement (StoreConnection::NextStatement).
  QSqlQuery* Prepare(const QString& statement, QSqlError& error);
  // Runs a statement without values; its error, or none.
  QSqlError Run(const QString& statement);
  QSqlDatabase& Database() { return db_; }

 private:
  StoreConnection& connection_;
  QSqlDatabase db_;
  std::map<QString, QSqlQuery> prepared_;
};

// Runs `body` in one write transaction on `connection` (open): the error
// of the last try, or none when it was committed.
QSqlError InWriteTransaction(StoreConnection& connection, const std::function<QSqlError(Statements&)>& body);

}  // namespace torvik
