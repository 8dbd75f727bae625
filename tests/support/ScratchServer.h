// ScratchServer: a PostgreSQL server of a test's (or a bench's) own. Debian's
// postgresql programs (initdb, pg_ctl) make and start it in a scratch
// folder, listening on a Unix socket in that folder only, with role "bench"
// trusted, in a fixed locale whatever the caller's (UTF-8, C collation,
// messages in C); run as the postgres user when the caller is root (the
// server refuses root). Stopped at once when the object goes.
#pragma once

#include <QSqlDatabase>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <functional>

namespace torvik::testing {

class ScratchServer {
 public:
  // `firstRules`: lines put before pg_hba.conf's own (for a role that signs
  // in with a password, say).
  explicit ScratchServer(const QByteArray& firstRules = {});
  ~ScratchServer();
  ScratchServer(const ScratchServer&) = delete;
  ScratchServer& operator=(const ScratchServer&) = delete;

  // Why there is no server (no postgresql or Qt driver installed, root
  // without a postgres user, initdb failed); empty while it runs.
  const QString& Unavailable() const { return unavailable_; }

  bool Start();
  bool Stop();  // fast: sessions are ended, what they did is kept
  bool CreateDatabase(const QString& name);
  // A store URL for `database`, as role bench, or as `user` (with
  // `password`, unless empty).
  QString Url(const QString& database) const;
  QString Url(const QString& database, const QString& user, const QString& password) const;
  // A connection of the caller's own to `database` as role bench, under
  // Qt SQL's connection name `name` (removed by the caller); open when the
  // server lets it.
  QSqlDatabase Connect(const QString& database, const QString& name) const;
  // Makes TORVIK's session on `database` stop answering in the middle of a
  // statement, as on a frozen machine: holds its runs table, calls `start`
  // (which begins the caller's send), stops the session found waiting for
  // the table (SIGSTOP) and lets the table go. The session's process id, or
  // 0 when none waited within 30 s; Thaw() it when done.
  qint64 FreezeWaitingSession(const QString& database, const std::function<void()>& start) const;
  static void Thaw(qint64 session);
  // Runs `sql` with psql on `database` as `role` (trusted), stopping at the
  // first error: the SQLSTATE of that error, empty when every statement
  // ran. `output` gets what psql printed.
  QString Psql(const QString& database, const QString& role, const QString& sql, QByteArray* output = nullptr) const;
  // The server's log file.
  QString LogFile() const { return scratch_.path() + QStringLiteral("/server.log"); }
  // The socket's folder, the server's host name in libpq's terms.
  QString SocketFolder() const { return scratch_.path(); }

 private:
  // Runs one of the server's programs (as postgres when root); true on success.
  bool Program(const QString& name, const QStringList& arguments) const;
  QString DataFolder() const { return scratch_.path() + QStringLiteral("/data"); }

  QTemporaryDir scratch_;
  QString bin_;
  QStringList asUser_;
  QString unavailable_;
  bool running_ = false;
};

}  // namespace torvik::testing
