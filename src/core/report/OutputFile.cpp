#include "core/report/OutputFile.h"

#include <QFile>
#include <QSaveFile>
#include <cerrno>
#include <cstring>

#include "platform/PlainFiles.h"

namespace torvik {

QString WriteOutput(const QString& path, const QByteArray& bytes) {
  const std::string name = QFile::encodeName(path).toStdString();
  auto failed = [&](const QString& reason) { return QStringLiteral("%1: %2").arg(path, reason); };
  const platform::FileKind kind = platform::KindOf(name);
  if (kind == platform::FileKind::Directory) return failed(QString::fromLocal8Bit(std::strerror(EISDIR)));
  // A device, a FIFO, or the system's names for the program's own streams
  // (/dev/stdout, /dev/fd/1, /proc/self/fd/1): written where they lead.
  const bool systemName = path.startsWith(QStringLiteral("/dev/")) || path.startsWith(QStringLiteral("/proc/"));
  if (kind == platform::FileKind::Special || (systemName && kind == platform::FileKind::Regular)) {
    const int error = platform::WriteInPlace(name, bytes.toStdString());
    return error == 0 ? QString() : failed(QString::fromLocal8Bit(std::strerror(error)));
  }
  QSaveFile file(path);
  if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
    return failed(file.errorString());
  }
  return {};
}

}  // namespace torvik
