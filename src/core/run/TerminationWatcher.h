// TerminationWatcher: turns SIGTERM, SIGHUP and SIGINT into a Qt signal on
// the GUI thread. The handlers (platform/TerminationSignals) only write to a
// pipe; a socket notifier on its reading end emits terminationRequested()
// the next time messages are pumped, where the program can end cleanly.
// Create once, on the GUI thread, after the application object.
#pragma once

#include <QObject>
#include <QSocketNotifier>
#include <memory>

namespace torvik {

class TerminationWatcher : public QObject {
  Q_OBJECT

 public:
  // Installs the signal handlers (once per program).
  explicit TerminationWatcher(QObject* parent = nullptr);

 signals:
  // A termination signal arrived; `signal` is its number.
  void terminationRequested(int signal);

 private:
  std::unique_ptr<QSocketNotifier> notifier_;
};

}  // namespace torvik
