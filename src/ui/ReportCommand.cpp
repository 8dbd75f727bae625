// The Report button of the main window: gathers the inputs of the result
// block, appends it to the sheet (beside the executable, or in the user's
// data folder when the executable's folder is not writable) and opens it.
// GUI thread.
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include "core/Errors.h"
#include "core/ReportBuilder.h"
#include "core/SheetLocation.h"
#include "ui/MainWindow.h"
#include "ui/ShellOpen.h"

namespace torvik {

QString MainWindow::SheetPath() {
  return ChooseSheetPath(
      QCoreApplication::applicationFilePath(), QStandardPaths::writableLocation(QStandardPaths::AppDataLocation),
      [](const QString& path) { return platform::IsWritable(QFile::encodeName(path).toStdString()); });
}

namespace {

// No registry on Linux: the display description comes from the DRM adapter.
class NoRegistry : public RegistryView {
 public:
  std::optional<Key> Open(const QString&) const override { return std::nullopt; }
};

}  // namespace

void MainWindow::BRepClick() {
  const QString path = SheetPath();
  platform::AppendFile sheet;
  auto fail = [&](int error) {
    sheet.Close();
    ShowMessage(IoError(IoCodeOfErrno(error)).BoxText(), MessageIcon::Error);
  };
  QDir().mkpath(QFileInfo(path).absolutePath());  // the data folder may not exist yet
  if (const int error = sheet.Open(QFile::encodeName(path).toStdString())) return fail(error);
  try {
    ReportInputs in;
    bench_.Files().ReadTestPath();
    in.drive = bench_.Files().TestPath();
    userName_ = in.userName = settings_.Read(settings::kUserName, QString());
    pcName_ = in.pcName = settings_.Read(settings::kPcName, QString());
    in.diskQueryOk = bench_.Files().QueryDiskSpace(in.drive, in.diskTotal, in.diskFree);
    in.results = state_.Results();
    in.stopFlag = state_.StopFlag();
    for (const auto& [label, widget] : resultLabels_) in.captions[label] = widget->text();
    in.osDescription = BuildOsDescription(TSys->Version());
    in.displayDescription =
        BuildDisplayDescription(TSys->Version(), TSys->Facts().dsDisplayDevice, NoRegistry(), TSys->DisplayAdapter());
    in.vendorName = TCPU->VendorName();
    in.cpuName = TCPU->CPUName();
    in.speedMhz = TCPU->GetSpeed();
    in.l1CacheSupport = TCPU->L1CacheSupport();
    in.l1DataSize = TCPU->L1DataCache().Size;
    in.l1InstSize = TCPU->L1InstCache().Size;
    in.l2CacheSupport = TCPU->L2CacheSupport();
    in.l2Size = TCPU->L2Cache().Size;
    in.l2LineSize = TCPU->L2Cache().LineSize;
    in.l2Associativity = TCPU->L2Cache().Associativity;
    in.family = TCPU->Family();
    in.model = TCPU->Model();
    in.stepping = TCPU->Stepping();
    in.processorType = CPUID1->ProcessorType();
    in.freePhysical = TSys->Facts().miFreePhys;
    in.totalPhysical = TSys->Facts().miTotalPhys;
    in.screenWidth = TSys->Facts().dsScreenWidth;
    in.screenHeight = TSys->Facts().dsScreenHeight;
    in.screenDepth = TSys->Facts().dsResolution;
    in.version = aboutDialog_.Version;
    in.now = QDateTime::currentDateTime();
    // Every line ends with CR LF; the text is UTF-8, this system's code page.
    const QString block = BuildReport(in).join(QStringLiteral("\r\n")) + QStringLiteral("\r\n");
    if (const int error = sheet.Write(block.toUtf8().toStdString())) return fail(error);
    if (const int error = sheet.Close()) return fail(error);
  } catch (const TorvikError& error) {
    sheet.Close();
    ShowMessage(error.BoxText(), MessageIcon::Error);
    return;
  }
  ShellOpen(path);
  FocusButton(Button::BAll);
}

}  // namespace torvik
