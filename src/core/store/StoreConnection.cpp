#include "core/store/StoreConnection.h"

#include <atomic>

#include "platform/ServerWaits.h"

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

namespace {

// SQLSTATE insufficient_privilege: the role lacks a right.
const auto kNoRights = QStringLiteral("42501");

}  // namespace

FailureKind StoreConnection::KindOf(const QSqlError& error) const {
  if (Unreachable(error)) return platform::ServerWaitsAborted() ? FailureKind::Cancelled : FailureKind::Unreachable;
  if (HeldElsewhere(error)) return FailureKind::Busy;
  if (error.nativeErrorCode() == kNoRights) return FailureKind::NoRights;
  return FailureKind::Failed;
}

FailureKind StoreConnection::KindOf(const StoreFailure& failure) {
  if (failure.tooOld) return FailureKind::TooOld;
  if (failure.refused) return FailureKind::NotTorvik;
  if (failure.unreachable) return platform::ServerWaitsAborted() ? FailureKind::Cancelled : FailureKind::Unreachable;
  return FailureKind::Failed;
}

QString StoreConnection::Describe(const QSqlError& error) const {
  return QStringLiteral("%1: %2").arg(shown_, error.text().simplified());
}

}  // namespace torvik
