#include "core/machine/MachineIdentity.h"

#include <QCryptographicHash>

namespace torvik {

QString MachineIdOf(const QString& systemId) {
  const QByteArray id = systemId.trimmed().toLatin1();
  if (id.isEmpty()) return {};
  const QByteArray salted = QByteArrayLiteral("TORVIK machine id 1\n") + id;
  return QString::fromLatin1(QCryptographicHash::hash(salted, QCryptographicHash::Sha256).toHex().left(32));
}

MachineIdentity IdentityOf(const platform::SystemSources& sources) {
  MachineIdentity identity;
  identity.hostName = QString::fromStdString(sources.System().hostName).trimmed();
  if (const auto systemId = sources.ReadFile("/etc/machine-id")) {
    identity.machineId = MachineIdOf(QString::fromStdString(*systemId));
  }
  return identity;
}

}  // namespace torvik
