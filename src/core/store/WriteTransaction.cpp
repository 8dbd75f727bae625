#include "core/store/WriteTransaction.h"

namespace torvik {
namespace {

constexpr int kWriteAttempts = 3;

}  // namespace

QSqlQuery* Statements::Prepare(const QString& statement, QSqlError& error) {
  connection_.NextStatement();
  if (const auto known = prepared_.find(statement); known != prepared_.end()) return &known->second;
  QSqlQuery query(db_);
  if (!query.prepare(statement)) {
    error = query.lastError();
    return nullptr;
  }
  return &prepared_.emplace(statement, std::move(query)).first->second;
}

QSqlError Statements::Run(const QString& statement) {
  connection_.NextStatement();
  QSqlQuery query(db_);
  return query.exec(statement) ? QSqlError() : query.lastError();
}

QSqlError InWriteTransaction(StoreConnection& connection, const std::function<QSqlError(Statements&)>& body) {
  QSqlError error;
  for (int attempt = 0; attempt < kWriteAttempts; ++attempt) {
    QSqlQuery control(connection.Database());
    connection.NextStatement();
    if (!control.exec(QLatin1String(WordsOf(connection.Dialect()).beginWrite))) {
      error = control.lastError();
      if (connection.Transient(error)) continue;
      break;
    }
    {
      Statements statements(connection);
      error = body(statements);
      connection.NextStatement();
      if (error.type() == QSqlError::NoError) {
        if (control.exec(QStringLiteral("COMMIT"))) return {};
        error = control.lastError();
      }
      control.exec(QStringLiteral("ROLLBACK"));
    }  // the body's statements freed once the transaction has ended
    if (!connection.Transient(error)) break;
  }
  connection.NoteFailure();
  return error;
}

}  // namespace torvik
