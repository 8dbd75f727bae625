// ServerConnection: a results store in a PostgreSQL server's database that
// many PCs share, named by a libpq URL (StoreLocation). The schema's version
// lives in a table of its own: a current schema is only read (no lock, no
// question about tables), so that a fleet's machines start side by side;
// an empty database is given every step and an older schema the steps it
// lacks under the server's advisory lock, so that machines starting at once
// change it once, by a role that owns the tables (or may make them); a
// member (SELECT and INSERT only) never tries a statement it has no right
// to: it works with an older schema as it is, saying what its owner runs;
// a newer or foreign one is refused untouched. The
// connection names itself (application_name) for the server's log and
// pg_stat_activity. A connection that went away (a server restarted, a
// network gone) is found when a failure or a few idle seconds make it
// worth asking, and made afresh. Every wait on the server is bounded on
// this side too (platform/ServerWaits, AnswerLimits): a statement after
// which no byte comes for the server's statement_timeout and a margin
// (15 s with TORVIK's own 10 s), or whose answer keeps trickling for four
// times that, cuts the connection, and the operation fails as a lost
// connection would, told as silence or as a slow answer.
#pragma once

#include <QElapsedTimer>
#include <memory>

#include "core/store/AnswerLimits.h"
#include "core/store/ServerRights.h"
#include "core/store/StoreConnection.h"

namespace torvik::platform {
class ServerWait;
}

namespace torvik {

struct SchemaRecord;

class ServerConnection : public StoreConnection {
 public:
  // `clientName`: the application_name, unless the URL gives one.
  ServerConnection(const QString& url, const QString& clientName);
  ~ServerConnection() override;

  StoreDialect Dialect() const override { return StoreDialect::Postgres; }
  bool Open(StoreFailure& failure) override;
  bool StillThere() override;
  void NoteFailure() override { askServer_ = true; }
  bool Transient(const QSqlError& error) const override;
  // A lock another session holds, or a statement the server cancelled
  // (statement_timeout, another session's request) too.
  bool HeldElsewhere(const QSqlError& error) const override;
  QString Describe(const QSqlError& error) const override;
  bool Unreachable(const QSqlError& error) const override;
  InsertFailure Classify(const QSqlError& error) const override;
  void BeginOperation() override;
  void EndOperation() override;
  void NextStatement() override;

  // Grants the group roles what they need on the open store, under the
  // schema's lock (its owner's only); what was granted in `granted`.
  QSqlError GrantRights(FleetRights& granted) override;
  // What the last making, upgrading or granting granted.
  const FleetRights& Rights() const { return rights_; }

 private:
  bool Recognise(StoreFailure& failure);
  // Whether this role may make the schema (`made`: change it) in `may`.
  QSqlError MayChangeSchema(QSqlDatabase& db, bool made, bool& may);
  // A member meeting schema `version` (0: none): works with it when it can
  // take runs, saying so in Advice(); else fails, naming the owner's command.
  bool WorkAsMember(int version, StoreFailure& failure);
  // Anyone meeting a newer schema: works with it, with the columns this
  // TORVIK knows, where it still takes this TORVIK's runs (saying so in
  // Advice()); else refused as too old, naming what fixes it.
  bool WorkWithNewer(const SchemaRecord& record, StoreFailure& failure);
  // The command the store's owner runs to upgrade it: this URL as the
  // tables' owner (the database's before there are tables) gives it.
  QString OwnersCommand();
  // Under the advisory lock: creates or upgrades the schema and grants the
  // group roles their rights; the version it found there in `found`, a
  // refusal's reason in `refusal`.
  QSqlError CreateOrUpgrade(QSqlDatabase& db, int& found, QString& refusal);

  // The open connection's socket, or -1.
  int Socket() const;

  QString url_;
  QString clientName_;
  AnswerLimits limits_;
  QElapsedTimer lastUse_;
  bool askServer_ = false;                      // a failure: is the server still there?
  std::unique_ptr<platform::ServerWait> wait_;  // during an operation
  int operations_ = 0;                          // nested
  FleetRights rights_;
};

}  // namespace torvik
