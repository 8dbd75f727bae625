#include "core/workloads/TestDirectory.h"

#include <QFile>
#include <cerrno>

#include "core/base/Errors.h"
#include "core/base/Rounding.h"
#include "core/workloads/CheckedFile.h"
#include "core/workloads/DataBlock.h"

namespace torvik {
namespace {

constexpr double kBytesPerMegabyte = 1'048'576.0;
// How many taken names in a row NextNumberedName skips before giving up.
constexpr int kNameAttempts = 1'000;

}  // namespace

void TestDirectory::ReadTestPath() {
  testPath_ = TestPathIn(settings_);
}

void TestDirectory::ReadUsableTestPath(bool fixedDisk) {
  ReadTestPath();
  if (rules_.Check(testPath_, fixedDisk) != TestPathProblem::None) throw RefusalError(texts::NoDiskInformation());
}

std::string TestDirectory::PathOf(const QString& fileName) const {
  return QFile::encodeName(testPath_ + fileName).toStdString();
}

std::string TestDirectory::NextNumberedName() {
  for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
    ++fileNumberCounter_;
    std::string name = PathOf(QStringLiteral("TORVIK%1.dat").arg(fileNumberCounter_));
    const int error = fileSystem_.CreateExclusive(name);
    if (error == 0) return name;
    if (error != EEXIST) throw IoError(IoCodeOfErrno(error));
  }
  throw IoError(kIoFileExists);
}

bool TestDirectory::QueryDiskSpace(const QString& path, double& total, double& available) {
  return fileSystem_.QueryDiskSpace(QFile::encodeName(path).toStdString(), total, available);
}

QString TestDirectory::DriveProblem() {
  ReadTestPath();
  // A path where no test file may or can be made would let every disk test
  // fail or, worse, write where the user did not mean: refused like a path
  // without disk information.
  if (rules_.Check(testPath_) != TestPathProblem::None) return texts::NoDiskInformation();
  double total = 0, available = 0;
  if (!QueryDiskSpace(testPath_, total, available)) return texts::NoDiskInformation();
  if (RoundHalfEven(available / kBytesPerMegabyte) < kFreeMegabytesNeeded) return texts::NotEnoughSpace();
  return {};
}

void TestDirectory::CheckTestDrive() {
  const QString problem = DriveProblem();
  if (problem.isEmpty()) return;
  state_.RequestStop();
  state_.View().ShowMessage(problem, MessageIcon::Error);
}

void TestDirectory::WriteBlocks(const std::string& name, platform::FileMode mode, const platform::BlockBuffer& block,
                                int blocks) {
  const auto file = fileSystem_.Open(name, mode);
  CheckOpen(*file);
  for (int i = 0; i < blocks; ++i) {
    if (!file->Write(block.Data(), platform::BlockBuffer::kSize)) RaiseIoError(*file, kIoDiskFull);
  }
  CheckClose(*file);
}  // a file left open by a raised error is closed here

void TestDirectory::ReadBlocks(const std::string& name, platform::FileMode mode, platform::BlockBuffer& block,
                               int blocks) {
  const auto file = fileSystem_.Open(name, mode);
  CheckOpen(*file);
  for (int i = 0; i < blocks; ++i) {
    if (!file->Read(block.Data(), platform::BlockBuffer::kSize)) RaiseIoError(*file, kIoReadPastEnd);
  }
  CheckClose(*file);
}

void TestDirectory::PrepareDiskFiles() {
  ReadUsableTestPath(true);
  FillBlock(block_.Data(), BlockValues::KTimesPi, 0);
  // The earlier pass deleted its files; its names are nobody's to delete now.
  names_ = {};
  for (std::string& name : names_) name = NextNumberedName();
  for (int i = 0; i < 3; ++i) {
    WriteBlocks(names_[i], platform::FileMode::CreateUnbuffered, block_, kReadFileBlocks[i]);
  }
}

void TestDirectory::ScratchWrite() {
  for (int i = 0; i < kScratchFiles; ++i) {
    const std::string name = NextNumberedName();
    try {
      WriteBlocks(name, platform::FileMode::CreateUnbuffered, scratchBlock_, kScratchBlocks);
    } catch (const IoError&) {
      Remove(name);
      throw;
    }
    Remove(name);
  }
  state_.PumpMessages();
}

void TestDirectory::DeleteTestFiles() {
  for (std::string& name : names_) {
    if (!name.empty()) Remove(name);
    // Deleted names are forgotten: another program may take them now.
    name.clear();
  }
}

void TestDirectory::Remove(const std::string& name) {
  if (fileSystem_.Delete(name) != 0) undeleted_ << QFile::decodeName(QByteArray::fromStdString(name));
}

QStringList TestDirectory::TakeUndeleted() {
  QStringList names;
  names.swap(undeleted_);
  names.removeDuplicates();
  return names;
}

TestDirectory::ClaimedName TestDirectory::ClaimFixedName(const QString& fixedName) {
  const std::string directory = QFile::encodeName(testPath_).toStdString();
  ClaimedName claimed{PathOf(fixedName), fileSystem_.ClaimName(directory, fixedName.toStdString())};
  // Another copy testing this folder holds the fixed name now: a numbered
  // one, made here and claimed too, serves this run instead.
  while (!claimed.claim) {
    claimed.path = NextNumberedName();
    claimed.made = true;
    const std::string file = claimed.path.substr(claimed.path.rfind('/') + 1);
    claimed.claim = fileSystem_.ClaimName(directory, file);
    if (!claimed.claim) Remove(claimed.path);
  }
  return claimed;
}

}  // namespace torvik
