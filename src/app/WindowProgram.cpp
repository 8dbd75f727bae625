#include "app/WindowProgram.h"

#include <QTimer>

#include "app/Composition.h"

namespace torvik {

WindowProgram::WindowProgram(const platform::ProcessorProbe& processor, WindowInputs inputs)
    : machine(processor, platform::SystemSources::Default(), CurrentDisplay()),
      window(machine),
      router(window),
      bench(router, std::move(inputs.settings), std::move(inputs.rules), machine),
      session(bench.ForSession()),
      drawing(window, bench.State()),
      archive(inputs.storePath, ClientNameOf(bench.Settings()), inputs.sharedUrl),
      settingsDialog(bench.Settings(), platform::SystemSources::Default(), &bench.Rules(), &window),
      machineWindow(session, archive, router, &window) {
  bench.Workloads().SetDrawingWorkloads(&drawing);
  window.SetSettingsDialog(&settingsDialog);
  window.SetSession(session, archive);
  window.SetMachineWindow(&machineWindow);
  // One run at a time: each window's buttons wait while the other runs.
  QObject::connect(&window, &MainWindow::runningChanged, &machineWindow, &MachineWindow::SetLockedByOtherWindow);
  QObject::connect(&machineWindow, &MachineWindow::runningChanged, &window, &MainWindow::SetLockedByOtherWindow);
  if (!inputs.refusal.isEmpty()) {
    const QString text = QCoreApplication::translate("WindowProgram", "設定の共有の計測結果の URL は使いません: ");
    QTimer::singleShot(0, &window, [this, notice = text + inputs.refusal] { window.ShowNotice(notice); });
  }
}

WindowInputs MachineWindowInputs() {
  QString refusal;
  const QString sharedUrl = SharedUrlInSettings(refusal);
  return {std::make_unique<UserSettingsStore>(), MachineRules(), RunArchive::DefaultLocalPath(), sharedUrl, refusal};
}

}  // namespace torvik
