#include "core/records/StoreLocation.h"

#include <QRegularExpression>
#include <QUrl>
#include <QUrlQuery>

namespace torvik {

bool IsServerUrl(const QString& location) {
  return location.startsWith(QStringLiteral("postgresql://")) || location.startsWith(QStringLiteral("postgres://"));
}

ServerAddress ParseServerUrl(const QString& url) {
  ServerAddress address;
  const QUrl parsed(url, QUrl::StrictMode);
  if (!IsServerUrl(url) || !parsed.isValid()) {
    address.error =
        QStringLiteral("%1 is not a PostgreSQL URL (postgresql://user@host:port/database)").arg(ShownLocation(url));
    return address;
  }
  address.host = parsed.host();
  address.port = parsed.port(-1);
  address.user = parsed.userName();
  address.password = parsed.password();
  address.database = parsed.path().mid(1);
  if (address.database.isEmpty() || address.database.contains(u'/')) {
    address.error = QStringLiteral("%1 names no database (postgresql://user@host/database)").arg(ShownLocation(url));
    return address;
  }
  QStringList options;
  QStringList given;
  QString serverOptions;
  for (const auto& [key, value] : QUrlQuery(parsed).queryItems(QUrl::FullyDecoded)) {
    // libpq's keywords are lower-case words; anything else is not passed on.
    static const QRegularExpression keyword(QStringLiteral("^[a-z_]+$"));
    if (!keyword.match(key).hasMatch()) {
      address.error = QStringLiteral("%1: '%2' is no connection parameter").arg(ShownLocation(url), key.left(40));
      return address;
    }
    if (value.contains(u';')) {  // Qt's driver takes it for a separator, even quoted
      address.error = QStringLiteral("%1: a parameter with ';' cannot be passed on").arg(ShownLocation(url));
      return address;
    }
    if (key == u"host") {
      address.host = value;  // a socket folder
    } else if (key == u"port") {
      bool number = false;
      address.port = value.toInt(&number);
      if (!number || address.port < 1 || address.port > 65535) {
        address.error = QStringLiteral("%1: '%2' is no port").arg(ShownLocation(url), value.left(40));
        return address;
      }
    } else if (key == u"options") {
      serverOptions = value;
    } else {
      // Quoted: a space in a value never starts another keyword.
      options << key + u'=' + ConninfoValue(value);
      given << key;
    }
  }
  // A server that does not answer is given up after a few seconds, and a
  // statement it does not finish after ten, whatever else the server is
  // told: the run is kept locally all the same and waits.
  // Over TCP, a peer that vanished (packets dropped, a machine gone) is
  // found by the connection itself within about 15 seconds as well. The
  // URL's own value of any of these wins.
  for (const auto& [key, value] : {std::pair{"connect_timeout", "5"},
                                   {"keepalives_idle", "5"},
                                   {"keepalives_interval", "2"},
                                   {"keepalives_count", "3"},
                                   {"tcp_user_timeout", "15000"}}) {
    if (!given.contains(QLatin1String(key))) options << QLatin1String(key) + u'=' + QLatin1String(value);
  }
  if (!serverOptions.contains(QStringLiteral("statement_timeout"))) {
    serverOptions = (serverOptions + QStringLiteral(" -c statement_timeout=10000")).trimmed();
  }
  options << QStringLiteral("options=") + ConninfoValue(serverOptions);
  address.options = options.join(u';');
  return address;
}

QString ConninfoValue(const QString& value) {
  QString quoted = value;
  quoted.replace(u'\\', QStringLiteral("\\\\")).replace(u'\'', QStringLiteral("\\'"));
  return u'\'' + quoted + u'\'';
}

namespace {

// The parameters libpq takes a secret from: the password, and the pass
// phrase of the client's key.
bool Secret(const QString& parameter) {
  return parameter.compare(QStringLiteral("password"), Qt::CaseInsensitive) == 0 ||
         parameter.compare(QStringLiteral("sslpassword"), Qt::CaseInsensitive) == 0;
}

}  // namespace

QString ShownLocation(const QString& location) {
  if (!IsServerUrl(location)) return location;
  QUrl url(location);
  url.setPassword(QString());
  QUrlQuery query(url);
  for (const auto& [key, value] : QUrlQuery(url).queryItems(QUrl::FullyDecoded)) {
    if (Secret(key)) query.removeAllQueryItems(key);
  }
  url.setQuery(query);
  return url.toString();
}

QString LocationAsUser(const QString& url, const QString& user) {
  if (!IsServerUrl(url)) return url;
  QUrl as(ShownLocation(url));
  as.setUserName(user);
  QUrlQuery query(as);
  query.removeAllQueryItems(QStringLiteral("user"));
  as.setQuery(query);
  return as.toString();
}

QString DatabaseOf(const QString& url) {
  if (!IsServerUrl(url)) return {};
  const QString path = QUrl(url).path();
  return path.size() > 1 ? path.mid(1) : QString();
}

QString PasswordRefusal(const QString& url) {
  if (!IsServerUrl(url)) return {};
  const QUrl parsed(url);
  bool secret = !parsed.password().isEmpty();
  for (const auto& [key, value] : QUrlQuery(parsed).queryItems(QUrl::FullyDecoded)) secret = secret || Secret(key);
  return secret ? QStringLiteral(
                      "a password does not belong in the shared store's URL: libpq finds it in ~/.pgpass, "
                      "PGPASSWORD or a service file (~/.pg_service.conf)")
                : QString();
}

}  // namespace torvik
