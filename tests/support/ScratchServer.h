// ScratchServer: a PostgreSQL server of a test's (or a bench's) own. Debian's
// postgresql programs (initdb, pg_ctl) make and start it in a scratch
// folder, listening on a Unix socket in that folder only, with role "bench"
// trusted; run as the postgres user when the caller is root (the server
// refuses root). Stopped at once when the object goes.
#pragma once

#include <QSqlDatabase>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

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
