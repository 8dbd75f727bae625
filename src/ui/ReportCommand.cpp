// The Report button of the main window: asks the run session for its record
// of the run on screen, builds the result block with the labels as shown,
// appends it to the sheet (beside the executable, or in the user's data
// folder when the executable's folder is not writable) and opens it.
// GUI thread.
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "core/base/Errors.h"
#include "core/report/ReportBuilder.h"
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
    const RunRecord run = session_->ReportRecord();
    SheetInputs in;
    in.stopFlag = run.stopped ? kStopRequested : 0;
    for (const auto& [label, widget] : resultLabels_) in.captions[label] = widget->text();
    in.now = QDateTime::currentDateTime();
    // Every line ends with CR LF; the text is UTF-8, this system's code page.
    if (const int error = sheet.Write(SheetBytes(BuildReport(run, in)).toStdString())) return fail(error);
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
