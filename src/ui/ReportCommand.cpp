// The Report button of the main window: gathers the inputs of the result
// block, appends it to the sheet (beside the executable, or in the user's
// data folder when the executable's folder is not writable) and opens it.
// GUI thread.
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "core/base/Errors.h"
#include "core/report/ReportBuilder.h"
#include "core/machine/MachineFacts.h"
#include "core/report/ResultSheet.h"
#include "ui/MainWindow.h"
#include "ui/ShellOpen.h"

namespace torvik {

QString MainWindow::SheetPath() { return DefaultSheetPath(); }

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
    GatherMachineFacts(in, *TCPU, *CPUID1, *TSys);
    in.version = aboutDialog_.Version;
    in.now = QDateTime::currentDateTime();
    // Every line ends with CR LF; the text is UTF-8, this system's code page.
    if (const int error = sheet.Write(SheetBytes(BuildReport(in)).toStdString())) return fail(error);
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
