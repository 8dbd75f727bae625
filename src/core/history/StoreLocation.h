// Where a results store lives: a SQLite file (the embedded default) or a
// PostgreSQL server named by a URL in libpq's URI form,
// "postgresql://bench@db.example:5432/torvik?sslmode=verify-full" or
// "postgresql://bench@/torvik?host=/run/postgresql" for a Unix socket
// folder. A password is never shown (ShownLocation); libpq's own ways (its
// password file, PGPASSWORD, a service file, certificates) supply it, and
// one written in the URL is passed on but never repeated. Pure; any thread.
#pragma once

#include <QString>

namespace torvik {

// True for "postgresql://..." and "postgres://...".
bool IsServerUrl(const QString& location);

struct ServerAddress {
  QString host;      // a name, an address, or a socket folder ("/run/postgresql"); empty: libpq's default
  int port = -1;     // -1: libpq's default
  QString user, password, database;
  QString options;   // the other parameters, as Qt's driver takes them: "sslmode=verify-full;connect_timeout=5"
  QString error;     // why the URL cannot be used; empty when it can
};

// A libpq URI; connect_timeout is 5 seconds unless the URL says otherwise.
ServerAddress ParseServerUrl(const QString& url);

// The location as messages may show it: a URL without its password.
QString ShownLocation(const QString& location);

}  // namespace torvik
