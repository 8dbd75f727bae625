#include "app/WindowProgram.h"

#include "app/Composition.h"

namespace torvik {

WindowProgram::WindowProgram(const platform::ProcessorProbe& processor, WindowInputs inputs)
    : machine(processor, platform::SystemSources::Default(), CurrentDisplay()),
      window(machine),
      bench(window, std::move(inputs.settings), std::move(inputs.rules), machine),
      session(bench.ForSession()),
      drawing(window, bench.State()),
      archive(inputs.storePath, ClientNameOf(bench.Settings()), inputs.sharedUrl),
      settingsDialog(bench.Settings(), platform::SystemSources::Default(), &bench.Rules(), &window) {
  bench.Workloads().SetDrawingWorkloads(&drawing);
  window.SetSettingsDialog(&settingsDialog);
  window.SetSession(session, archive);
}

WindowInputs MachineWindowInputs() {
  return {std::make_unique<UserSettingsStore>(), MachineRules(), ResultStore::DefaultPath(), SharedStoreUrl()};
}

}  // namespace torvik
