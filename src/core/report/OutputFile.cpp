#include "core/report/OutputFile.h"

#include <QFile>
#include <QRegularExpression>
#include <QSaveFile>
#include <cstdio>
#include <optional>
#include <cerrno>
#include <cstring>

#include "platform/PlainFiles.h"

namespace torvik {

namespace {

// The descriptor the system's name of one of this program's own streams
// stands for: /dev/stdout, /dev/stderr, /dev/fd/N, /proc/self/fd/N; none for
// any other path.
std::optional<int> OwnDescriptor(const QString& path) {
  if (path == u"/dev/stdout") return 1;
  if (path == u"/dev/stderr") return 2;
  static const QRegularExpression numbered(QStringLiteral("^/(dev|proc/self)/fd/(\\d{1,4})$"));
  const QRegularExpressionMatch match = numbered.match(path);
  if (!match.hasMatch()) return std::nullopt;
  return match.captured(2).toInt();
}

}  // namespace

QString WriteOutput(const QString& path, const QByteArray& bytes) {
  const std::string name = QFile::encodeName(path).toStdString();
  auto failed = [&](const QString& reason) { return QStringLiteral("%1: %2").arg(path, reason); };
  // One of the program's own streams: written to the descriptor it has, as
  // it was opened (a shell's >> goes on appending, nothing is emptied).
  if (const std::optional<int> fd = OwnDescriptor(path)) {
    if (*fd == 1) std::fflush(stdout);
    const int error = platform::WriteToDescriptor(*fd, bytes.toStdString());
    return error == 0 ? QString() : failed(QString::fromLocal8Bit(std::strerror(error)));
  }
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
