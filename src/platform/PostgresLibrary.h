// The PostgreSQL client library that Qt's driver has already loaded,
// asked for what the driver does not tell: the socket of a connection.
// Nothing is loaded here; without the library there is no answer.
#pragma once

namespace torvik::platform {

// The socket of libpq's `connection` (a PGconn*), or -1.
int PostgresSocket(void* connection);

}  // namespace torvik::platform
