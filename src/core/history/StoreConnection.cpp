#include "core/history/StoreConnection.h"

#include <atomic>


namespace torvik {

StoreConnection::StoreConnection(QString shown) : shown_(std::move(shown)) {
  static std::atomic<int> connections{0};
  name_ = QStringLiteral("torvik-results-%1").arg(++connections);
}

StoreConnection::~StoreConnection() { Close(); }

void StoreConnection::Close() {
  if (!QSqlDatabase::contains(name_)) return;
  QSqlDatabase::database(name_, false).close();
  QSqlDatabase::removeDatabase(name_);
}

QSqlDatabase StoreConnection::AddDatabase(const QString& driver) {
  Close();
  return QSqlDatabase::addDatabase(driver, name_);
}

QString StoreConnection::Describe(const QSqlError& error) const {
  return QStringLiteral("%1: %2").arg(shown_, error.text().simplified());
}

}  // namespace torvik
