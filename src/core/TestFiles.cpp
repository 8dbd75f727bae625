#include "core/TestFiles.h"

#include <QFile>
#include <cstring>

#include "core/DataBlock.h"
#include "core/Errors.h"
#include "core/Rounding.h"

namespace torvik {
namespace {

constexpr double kBytesPerMegabyte = 1'048'576.0;

// The directory that files named "<path><name>" land in: the path up to its
// last "/" (the path is a plain prefix of every name).
QString DirectoryOfPrefix(const QString& path) {
  const qsizetype slash = path.lastIndexOf(u'/');
  if (slash < 0) return QStringLiteral(".");
  return slash == 0 ? QStringLiteral("/") : path.left(slash);
}

}  // namespace

void CopyWholeBuffer(std::vector<uint8_t>& target, const std::vector<uint8_t>& source) {
  target.resize(source.size());
  if (!source.empty()) std::memcpy(target.data(), source.data(), source.size());
}

void TestFiles::ReadTestPath() { testPath_ = settings_.Read(settings::kDrive, DefaultTestPath()); }

std::string TestFiles::PathOf(const QString& fileName) const {
  return QFile::encodeName(testPath_ + fileName).toStdString();
}

std::string TestFiles::NextNumberedName() {
  ++fileNumberCounter_;
  return PathOf(QStringLiteral("TORVIK%1.dat").arg(fileNumberCounter_));
}

bool TestFiles::QueryDiskSpace(const QString& path, double& total, double& available) {
  return fileSystem_.QueryDiskSpace(QFile::encodeName(path).toStdString(), total, available);
}

void TestFiles::Refuse(const QString& message) {
  state_.RequestStop();
  state_.View().ShowMessage(message, MessageIcon::Error);
}

void TestFiles::CheckTestDrive() {
  ReadTestPath();
  double total = 0, available = 0;
  if (!QueryDiskSpace(testPath_, total, available)) {
    Refuse(texts::kNoDiskInformation);
    return;
  }
  // A path where no file can be created would let every disk test "succeed"
  // in no time: refused like a path without disk information.
  if (!fileSystem_.CanCreateFiles(QFile::encodeName(DirectoryOfPrefix(testPath_)).toStdString())) {
    Refuse(texts::kNoDiskInformation);
    return;
  }
  if (RoundHalfEven(available / kBytesPerMegabyte) < kFreeMegabytesNeeded) Refuse(texts::kNotEnoughSpace);
}

void TestFiles::WriteBlocks(const std::string& name, platform::FileMode mode, const platform::BlockBuffer& block,
                            int blocks) {
  const auto file = fileSystem_.Open(name, mode);
  for (int i = 0; i < blocks; ++i) file->Write(block.Data(), platform::BlockBuffer::kSize);
}  // closed here, also when a write raises

void TestFiles::PrepareDiskFiles() {
  ReadTestPath();
  FillBlock(block_.Data(), BlockValues::KTimesPi, 0);
  for (std::string& name : names_) name = NextNumberedName();
  for (int i = 0; i < 3; ++i) {
    WriteBlocks(names_[i], platform::FileMode::CreateUnbuffered, block_, kReadFileBlocks[i]);
  }
}

void TestFiles::ScratchWrite() {
  for (int i = 0; i < kScratchFiles; ++i) {
    const std::string name = NextNumberedName();
    WriteBlocks(name, platform::FileMode::CreateUnbuffered, scratchBlock_, kScratchBlocks);
    fileSystem_.Delete(name);
  }
  state_.PumpMessages();
}

void TestFiles::PrepareMemoryBuffers() {
  ReadTestPath();
  const std::string name = PathOf(QStringLiteral("TORVIK.rd0"));
  // The memory data file must not outlive this step, whatever fails.
  auto fail = [&](const std::unique_ptr<platform::TestFile>& file) {
    const QString reason = QString::fromLocal8Bit(file->ErrorText());
    fileSystem_.Delete(name);
    throw TorvikError(QStringLiteral("I/O error: %1 (%2)").arg(reason, QFile::decodeName(name.c_str())));
  };
  {
    const auto file = fileSystem_.Open(name, platform::FileMode::CreateBuffered);
    if (!file->IsOpen()) fail(file);
    const std::vector<uint8_t> record(kMemoryRecordSize, 0);
    for (int i = 0; i < kMemoryRecords; ++i) {
      if (!file->Write(record.data(), record.size())) fail(file);
    }
  }
  firstBuffer_.clear();
  secondBuffer_.clear();
  buffersExist_ = true;
  {
    const auto file = fileSystem_.Open(name, platform::FileMode::OpenExistingBuffered);
    if (!file->IsOpen() || file->Size() < 0) fail(file);
    firstBuffer_.resize(static_cast<size_t>(file->Size()));
    if (!firstBuffer_.empty() && !file->Read(firstBuffer_.data(), firstBuffer_.size())) fail(file);
  }
  fileSystem_.Delete(name);
}

void TestFiles::CleanupTestData() {
  for (const std::string& name : names_) {
    if (!name.empty()) fileSystem_.Delete(name);
  }
  if (buffersExist_) {
    // Released, not just emptied: the memory goes back.
    std::vector<uint8_t>().swap(firstBuffer_);
    std::vector<uint8_t>().swap(secondBuffer_);
    buffersExist_ = false;
  }
}

}  // namespace torvik
