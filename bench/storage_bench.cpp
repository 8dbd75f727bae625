// Times the program's disk and memory transfers against references doing
// the same work in the same run: fio with the same block size, size and
// caching for the disk, a bare memcpy loop over the same buffers for memory.
// A ratio near 1 shows the program times the transfer, not itself.
//
//   build/bench/torvik_storage_bench DIRECTORY [runs]     (needs fio on PATH)
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QString>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <functional>
#include <vector>

#include "BenchTable.h"
#include "core/run/RunState.h"
#include "core/settings/SettingsStore.h"
#include "core/settings/TestPathRules.h"
#include "core/workloads/DataBlock.h"
#include "core/workloads/MemoryBuffers.h"
#include "core/workloads/TestDirectory.h"
#include "platform/FileSystem.h"

using torvik::platform::BlockBuffer;
using torvik::platform::FileMode;
using torvik::platform::FileSystem;

namespace {

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

double Seconds(const std::function<void()>& work) {
  const auto start = std::chrono::steady_clock::now();
  work();
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Nothing to show: the bench drives the program's transfers without a window.
class NoView : public torvik::RunView {
 public:
  void SetResultText(torvik::ResultLabel, const QString&) override {}
  void SetResultDetail(torvik::ResultLabel, const QString&) override {}
  void SetStatusText(const QString&) override {}
  QString ShownStatusText() const override { return {}; }
  void ShowProcessorLine() override {}
  void SetGauge(int) override {}
  void SetButtonEnabled(torvik::Button, bool) override {}
  void FocusButton(torvik::Button) override {}
  void RepaintNow() override {}
  void RepaintLabel(torvik::ResultLabel) override {}
  void PumpMessages() override {}
  bool CloseRequested() const override { return false; }
  void ShowMessage(const QString&, torvik::MessageIcon) override {}
  void ShowNotice(const QString&) override {}
};

class NoSettings : public torvik::SettingsStore {
 public:
  QString Read(const QString&, const QString& fallback) override { return fallback; }
  void Write(const QString&, const QString&) override {}
};

// The program's own checked transfers (TestDirectory::WriteBlocks, ReadBlocks):
// one open, `blocks` transfers of 8 KB, each result checked, a checked close.
struct ProgramTransfers {
  NoView view;
  torvik::RunState state{view};
  NoSettings settings;
  torvik::TestPathRules rules{FileSystem::Default(), torvik::platform::SystemSources::Default()};
  torvik::TestDirectory files{state, settings, FileSystem::Default(), rules};
};

ProgramTransfers& Program() {
  static ProgramTransfers program;
  return program;
}

void WriteFile(const std::string& path, FileMode mode, const BlockBuffer& block, int blocks) {
  Program().files.WriteBlocks(path, mode, block, blocks);
}

void ReadFile(const std::string& path, BlockBuffer& block, int blocks) {
  Program().files.ReadBlocks(path, FileMode::OpenWriteThrough, block, blocks);
}

// fio's own time for one job, in seconds (its runtime in milliseconds is too
// coarse for a 40 MB job, so bytes / bandwidth).
double Fio(const QStringList& arguments, const char* direction) {
  QProcess fio;
  fio.start(QStringLiteral("fio"), arguments + QStringList{QStringLiteral("--output-format=json")});
  if (!fio.waitForFinished(600'000) || fio.exitCode() != 0) {
    std::fprintf(stderr, "fio failed: %s\n", fio.readAllStandardError().constData());
    std::exit(2);
  }
  const QJsonObject job = QJsonDocument::fromJson(fio.readAllStandardOutput())["jobs"].toArray()[0].toObject();
  const QJsonObject side = job[QLatin1String(direction)].toObject();
  const double bytes = side["io_bytes"].toDouble();
  const double bytesPerSecond = side["bw_bytes"].toDouble();
  return bytes / bytesPerSecond;
}

void Row(const char* what, const char* method, double product, double reference) {
  torvik::bench::PrintRow(what, method, product, reference, "s");
}

}  // namespace

int main(int argc, char** argv) {
  const bool rowsOnly = torvik::bench::RowsOnly(argc, argv);
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s DIRECTORY [runs]\n", argv[0]);
    return 2;
  }
  const QString directory = QString::fromLocal8Bit(argv[1]);
  const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 3;
  const std::string path = QFile::encodeName(directory + QStringLiteral("/torvik-bench.dat")).toStdString();
  BlockBuffer block;
  torvik::FillBlock(block.Data(), torvik::BlockValues::TanK, 0);

  if (!rowsOnly) {
    std::printf("median of %d runs each; program vs reference, same block size, size and caching\n", runs);
    torvik::bench::PrintHeader();
  }

  const QStringList fioBase = {QStringLiteral("--name=torvik"),
                               QStringLiteral("--filename=") + QString::fromStdString(path), QStringLiteral("--bs=8k"),
                               QStringLiteral("--size=40m"), QStringLiteral("--ioengine=psync")};
  std::vector<double> product, reference;
  for (int i = 0; i < runs; ++i) {
    FileSystem::Default().Delete(path);
    product.push_back(Seconds([&] { WriteFile(path, FileMode::CreateUnbuffered, block, 5'120); }));
    FileSystem::Default().Delete(path);
    reference.push_back(Fio(fioBase + QStringList{"--rw=write", "--direct=1"}, "write"));
  }
  Row("write 40 MB unbuffered", "fio --rw=write --bs=8k --size=40m --direct=1 psync", Median(product),
      Median(reference));

  product.clear();
  reference.clear();
  for (int i = 0; i < runs; ++i) {
    FileSystem::Default().Delete(path);
    // The program's 40 MB write test: 4,992 blocks, then 128 written through.
    product.push_back(Seconds([&] {
      WriteFile(path, FileMode::CreateUnbuffered, block, 4'992);
      WriteFile(path, FileMode::OpenUnbufferedWriteThrough, block, 128);
    }));
    FileSystem::Default().Delete(path);
    reference.push_back(Fio(fioBase + QStringList{"--rw=write", "--direct=1"}, "write"));
  }
  Row("write test 40 MB", "the same fio job (the test writes 1/40 with O_DSYNC)", Median(product), Median(reference));

  product.clear();
  reference.clear();
  for (int i = 0; i < runs; ++i) {
    FileSystem::Default().Delete(path);
    WriteFile(path, FileMode::CreateUnbuffered, block, 5'120);  // as the read files are written
    product.push_back(Seconds([&] { ReadFile(path, block, 5'120); }));
    reference.push_back(Fio(fioBase + QStringList{"--rw=read", "--direct=0", "--invalidate=1"}, "read"));
  }
  FileSystem::Default().Delete(path);
  Row("read 40 MB, cold cache", "fio --rw=read --bs=8k --size=40m --direct=0 --invalidate=1", Median(product),
      Median(reference));

  product.clear();
  reference.clear();
  std::vector<uint8_t> first(1'044'480, 0), second;
  torvik::CopyWholeBuffer(second, first);
  for (int i = 0; i < runs; ++i) {
    product.push_back(Seconds([&] {
      for (int k = 0; k < 1'024; ++k) {
        torvik::CopyWholeBuffer(second, first);
        torvik::CopyWholeBuffer(first, second);
      }
    }));
    reference.push_back(Seconds([&] {
      for (int k = 0; k < 1'024; ++k) {
        std::memcpy(second.data(), first.data(), first.size());
        asm volatile("" : : "r"(second.data()) : "memory");
        std::memcpy(first.data(), second.data(), second.size());
        asm volatile("" : : "r"(first.data()) : "memory");
      }
    }));
  }
  Row("memory copy 2 GB", "bare memcpy loop, same two 1,044,480-byte buffers", Median(product), Median(reference));
  return 0;
}
