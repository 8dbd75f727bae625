// Where a results store lives: a SQLite file (the embedded default) or a
// PostgreSQL server named by a URL in libpq's URI form,
// "postgresql://bench@db.example:5432/torvik?sslmode=verify-full" or
// "postgresql://bench@/torvik?host=/run/postgresql" for a Unix socket
// folder. A password never belongs in it (PasswordRefusal): libpq's own
// ways (its password file, PGPASSWORD, a service file, certificates) supply
// it; and none is ever shown (ShownLocation). Pure; any thread.
#pragma once

#include <QString>

namespace torvik {

// True for "postgresql://..." and "postgres://...".
bool IsServerUrl(const QString& location);

// libpq's connection parameter `value` quoted for a conninfo string.
QString ConninfoValue(const QString& value);

struct ServerAddress {
  QString host;   // a name, an address, or a socket folder ("/run/postgresql"); empty: libpq's default
  int port = -1;  // -1: libpq's default
  QString user, password, database;
  QString options;  // the other parameters, quoted, as Qt's driver takes them: "sslmode='verify-full';..."
  QString error;    // why the URL cannot be used; empty when it can
};

// A libpq URI; connect_timeout is 5 seconds unless the URL says otherwise,
// and the server's statement_timeout 10 seconds unless its `options` set
// one (other options are kept). A parameter that is no libpq keyword, a
// port that is no port, or a ';' in a value is refused.
ServerAddress ParseServerUrl(const QString& url);

// The location as messages may show it: a URL without a password, in its
// user part or in any parameter libpq takes a secret from.
QString ShownLocation(const QString& location);

// `url` as its role `user` would give it (the user part and any user
// parameter replaced), shown without a password: what a member tells its
// store's owner to run.
QString LocationAsUser(const QString& url, const QString& user);

// The database a server's URL names; empty for anything else.
QString DatabaseOf(const QString& url);

// Why `url` may not be used: it holds a password (see ShownLocation); empty
// when it holds none. One line, naming where libpq finds a password instead.
QString PasswordRefusal(const QString& url);

}  // namespace torvik
