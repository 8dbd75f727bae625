#include "core/drive/DriveTestFile.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <cerrno>

namespace torvik {
namespace {

constexpr int kNumbersTried = 1'000;

std::string Encoded(const QString& path) { return QFile::encodeName(path).toStdString(); }

}  // namespace

QString DriveFileName(int number) { return QStringLiteral("TORVIK-drive-%1.dat").arg(number); }

bool IsDriveFileName(const QString& name) {
  static const QRegularExpression pattern(QStringLiteral("^TORVIK-drive-[1-9][0-9]*\\.dat$"));
  return pattern.match(name).hasMatch();
}

std::unique_ptr<DriveTestFile> DriveTestFile::Create(platform::DriveIo& io, platform::FileSystem& files,
                                                     const QString& folder, int& error) {
  const std::string directory = Encoded(folder);
  for (int number = 1; number <= kNumbersTried; ++number) {
    const QString name = DriveFileName(number);
    std::unique_ptr<platform::NameClaim> claim = files.ClaimName(directory, name.toStdString());
    if (!claim) continue;  // a live copy's
    const std::string path = Encoded(folder + name);
    // A file under a name nobody claims was left by a run that ended
    // without deleting it; it goes unless a copy elsewhere still locks it.
    io.RemoveIfAbandoned(path);
    std::unique_ptr<platform::DirectFile> file = io.CreateDirect(path, error);
    if (file) return std::unique_ptr<DriveTestFile>(new DriveTestFile(io, std::move(claim), std::move(file), path));
    if (error != EEXIST) return nullptr;
  }
  error = EEXIST;
  return nullptr;
}

DriveTestFile::~DriveTestFile() { Remove(); }

int DriveTestFile::Remove() {
  if (removed_) return 0;
  const int error = io_.Remove(path_);
  removed_ = error == 0;
  return error;
}

int RemoveAbandonedDriveFiles(platform::DriveIo& io, platform::FileSystem& files, const QString& folder) {
  const std::string directory = Encoded(folder);
  int removed = 0;
  const QStringList names =
      QDir(folder).entryList({QStringLiteral("TORVIK-drive-*.dat")}, QDir::Files | QDir::Hidden | QDir::System);
  for (const QString& name : names) {
    if (!IsDriveFileName(name)) continue;
    // The claim first: a live copy holds its file's name for as long as the file exists.
    const std::unique_ptr<platform::NameClaim> claim = files.ClaimName(directory, name.toStdString());
    if (claim && io.RemoveIfAbandoned(Encoded(folder + name))) ++removed;
  }
  return removed;
}

}  // namespace torvik
