#include "core/workloads/MemoryBuffers.h"

#include <cstring>

#include "core/base/Errors.h"
#include "core/workloads/CheckedFile.h"

namespace torvik {

void CopyWholeBuffer(std::vector<uint8_t>& target, const std::vector<uint8_t>& source) {
  target.resize(source.size());
  if (!source.empty()) std::memcpy(target.data(), source.data(), source.size());
}

void MemoryBuffers::PrepareMemoryBuffers() {
  directory_.ReadUsableTestPath(false);
  platform::FileSystem& files = directory_.Files();
  // Another copy preparing its buffers in this folder now keeps its file;
  // this one then writes a numbered file of its own.
  const TestDirectory::ClaimedName claimed = directory_.ClaimFixedName(QStringLiteral("TORVIK.rd0"));
  const std::string& name = claimed.path;
  bool written = false;  // the file is this program's from here on
  try {
    {
      const auto file = files.Open(name, platform::FileMode::CreateBuffered);
      CheckOpen(*file);
      const std::vector<uint8_t> record(kMemoryRecordSize, 0);
      for (int i = 0; i < kMemoryRecords; ++i) {
        if (!file->Write(record.data(), record.size())) RaiseIoError(*file, kIoDiskFull);
      }
      CheckClose(*file);
      written = true;
    }
    first_.clear();
    second_.clear();
    exist_ = true;
    {
      const auto file = files.Open(name, platform::FileMode::OpenExistingBuffered);
      CheckOpen(*file);
      const int64_t size = file->Size();
      if (size < 0) RaiseIoError(*file, kIoReadPastEnd);
      first_.resize(static_cast<size_t>(size));
      if (!first_.empty() && !file->Read(first_.data(), first_.size())) RaiseIoError(*file, kIoReadPastEnd);
      CheckClose(*file);
    }
  } catch (const IoError& error) {
    // The memory data file must not outlive this step; a name this program
    // could not even open (another copy's locked file, a planted link) is
    // not its to delete.
    if (error.AfterOpen() || written || claimed.made) directory_.Remove(name);
    throw;
  }
  directory_.Remove(name);
}

void MemoryBuffers::Release() {
  if (!exist_) return;
  // Released, not just emptied: the memory goes back.
  std::vector<uint8_t>().swap(first_);
  std::vector<uint8_t>().swap(second_);
  exist_ = false;
}

}  // namespace torvik
