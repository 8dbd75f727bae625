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
  switch (platform::KindOf(name)) {
    case platform::FileKind::Directory: return failed(QString::fromLocal8Bit(std::strerror(EISDIR)));
    case platform::FileKind::Special: {
      const int error = platform::WriteToSpecialFile(name, bytes.toStdString());
      return error == 0 ? QString() : failed(QString::fromLocal8Bit(std::strerror(error)));
    }
    case platform::FileKind::Missing:
    case platform::FileKind::Regular: break;
  }
  QSaveFile file(path);
  if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
    return failed(file.errorString());
  }
  return {};
}

}  // namespace torvik
