#include "core/workloads/TestDirectory.h"

#include <QFile>
#include <cerrno>
#include <cstring>

#include "core/workloads/DataBlock.h"
#include "core/base/Errors.h"
#include "core/base/Rounding.h"

namespace torvik {
namespace {

constexpr double kBytesPerMegabyte = 1'048'576.0;
// How many taken names in a row NextNumberedName skips before giving up.
constexpr int kNameAttempts = 1'000;

// The error of a failed transfer or close of an open file: the system's, or
// `withoutErrno` when the call only moved fewer bytes than asked.
[[noreturn]] void RaiseIoError(const platform::TestFile& file, int withoutErrno) {
  throw IoError(file.Error() != 0 ? IoCodeOfErrno(file.Error()) : withoutErrno, true);
}

void CheckOpen(const platform::TestFile& file) {
  if (!file.IsOpen()) throw IoError(IoCodeOfErrno(file.Error() != 0 ? file.Error() : ENOENT));
}

void CheckClose(platform::TestFile& file) {
  if (!file.Close()) RaiseIoError(file, kIoDiskFull);
}

}  // namespace

void CopyWholeBuffer(std::vector<uint8_t>& target, const std::vector<uint8_t>& source) {
  target.resize(source.size());
  if (!source.empty()) std::memcpy(target.data(), source.data(), source.size());
}

void TestFiles::ReadTestPath() { testPath_ = NormalisedTestPath(settings_.Read(settings::kDrive, DefaultTestPath())); }

void TestFiles::ReadUsableTestPath() {
  ReadTestPath();
  if (rules_.Check(testPath_) != TestPathProblem::None) throw RefusalError(texts::kNoDiskInformation);
}

std::string TestFiles::PathOf(const QString& fileName) const {
  return QFile::encodeName(testPath_ + fileName).toStdString();
}

std::string TestFiles::NextNumberedName() {
  for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
    ++fileNumberCounter_;
    std::string name = PathOf(QStringLiteral("TORVIK%1.dat").arg(fileNumberCounter_));
    const int error = fileSystem_.CreateExclusive(name);
    if (error == 0) return name;
    if (error != EEXIST) throw IoError(IoCodeOfErrno(error));
  }
  throw IoError(kIoFileExists);
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
  // A path where no test file may or can be made would let every disk test
  // fail or, worse, write where the user did not mean: refused like a path
  // without disk information.
  if (rules_.Check(testPath_) != TestPathProblem::None) {
    Refuse(texts::kNoDiskInformation);
    return;
  }
  double total = 0, available = 0;
  if (!QueryDiskSpace(testPath_, total, available)) {
    Refuse(texts::kNoDiskInformation);
    return;
  }
  if (RoundHalfEven(available / kBytesPerMegabyte) < kFreeMegabytesNeeded) Refuse(texts::kNotEnoughSpace);
}

void TestFiles::WriteBlocks(const std::string& name, platform::FileMode mode, const platform::BlockBuffer& block,
                            int blocks) {
  const auto file = fileSystem_.Open(name, mode);
  CheckOpen(*file);
  for (int i = 0; i < blocks; ++i) {
    if (!file->Write(block.Data(), platform::BlockBuffer::kSize)) RaiseIoError(*file, kIoDiskFull);
  }
  CheckClose(*file);
}  // a file left open by a raised error is closed here

void TestFiles::ReadBlocks(const std::string& name, platform::FileMode mode, platform::BlockBuffer& block, int blocks) {
  const auto file = fileSystem_.Open(name, mode);
  CheckOpen(*file);
  for (int i = 0; i < blocks; ++i) {
    if (!file->Read(block.Data(), platform::BlockBuffer::kSize)) RaiseIoError(*file, kIoReadPastEnd);
  }
  CheckClose(*file);
}

void TestFiles::PrepareDiskFiles() {
  ReadUsableTestPath();
  FillBlock(block_.Data(), BlockValues::KTimesPi, 0);
  // The earlier pass deleted its files; its names are nobody's to delete now.
  names_ = {};
  for (std::string& name : names_) name = NextNumberedName();
  for (int i = 0; i < 3; ++i) {
    WriteBlocks(names_[i], platform::FileMode::CreateUnbuffered, block_, kReadFileBlocks[i]);
  }
}

void TestFiles::ScratchWrite() {
  for (int i = 0; i < kScratchFiles; ++i) {
    const std::string name = NextNumberedName();
    try {
      WriteBlocks(name, platform::FileMode::CreateUnbuffered, scratchBlock_, kScratchBlocks);
    } catch (const IoError&) {
      fileSystem_.Delete(name);
      throw;
    }
    fileSystem_.Delete(name);
  }
  state_.PumpMessages();
}

void TestFiles::PrepareMemoryBuffers() {
  ReadUsableTestPath();
  const std::string name = PathOf(QStringLiteral("TORVIK.rd0"));
  bool written = false;  // the file is this program's from here on
  try {
    {
      const auto file = fileSystem_.Open(name, platform::FileMode::CreateBuffered);
      CheckOpen(*file);
      const std::vector<uint8_t> record(kMemoryRecordSize, 0);
      for (int i = 0; i < kMemoryRecords; ++i) {
        if (!file->Write(record.data(), record.size())) RaiseIoError(*file, kIoDiskFull);
      }
      CheckClose(*file);
      written = true;
    }
    firstBuffer_.clear();
    secondBuffer_.clear();
    buffersExist_ = true;
    {
      const auto file = fileSystem_.Open(name, platform::FileMode::OpenExistingBuffered);
      CheckOpen(*file);
      const int64_t size = file->Size();
      if (size < 0) RaiseIoError(*file, kIoReadPastEnd);
      firstBuffer_.resize(static_cast<size_t>(size));
      if (!firstBuffer_.empty() && !file->Read(firstBuffer_.data(), firstBuffer_.size())) {
        RaiseIoError(*file, kIoReadPastEnd);
      }
      CheckClose(*file);
    }
  } catch (const IoError& error) {
    // The memory data file must not outlive this step; a name this program
    // could not even open (another copy's locked file, a planted link) is
    // not its to delete.
    if (error.AfterOpen() || written) fileSystem_.Delete(name);
    throw;
  }
  fileSystem_.Delete(name);
}

void TestFiles::CleanupTestData() {
  for (std::string& name : names_) {
    if (!name.empty()) fileSystem_.Delete(name);
    // Deleted names are forgotten: another program may take them now.
    name.clear();
  }
  if (buffersExist_) {
    // Released, not just emptied: the memory goes back.
    std::vector<uint8_t>().swap(firstBuffer_);
    std::vector<uint8_t>().swap(secondBuffer_);
    buffersExist_ = false;
  }
}

}  // namespace torvik
