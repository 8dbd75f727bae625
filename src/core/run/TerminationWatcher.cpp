#include "core/run/TerminationWatcher.h"

#include "platform/TerminationSignals.h"

namespace torvik {

TerminationWatcher::TerminationWatcher(QObject* parent) : QObject(parent) {
  const int fd = platform::InstallTerminationSignals();
  if (fd < 0) return;
  notifier_ = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Read);
  connect(notifier_.get(), &QSocketNotifier::activated, this, [this] {
    while (const int signal = platform::TakeTerminationSignal()) emit terminationRequested(signal);
  });
}

}  // namespace torvik
