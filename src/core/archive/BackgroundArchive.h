// BackgroundArchive: the window's results archive, off the window's thread,
// so that the window never waits for a database. A finished run is kept on
// a thread of its own (only this PC's store: no server can hold it back);
// once it is kept, the runs waiting are sent on the archive's thread, which
// also switches the shared store and runs every read the comparison window
// makes, one after another in the order asked. A read's result comes back
// on the GUI thread to whoever asked, unless that object has gone (a window
// closed while its read waited): then a read not yet begun is skipped.
// Failures the archive tells (once each) come as notice(). Qt SQL
// connections belong to the thread that made them: each thread's archive
// and stores are made there at its first job. GUI thread.
#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <QThread>
#include <atomic>
#include <functional>
#include <memory>
#include <optional>

#include "core/archive/RunArchive.h"

namespace torvik {

class BackgroundArchive : public QObject {
  Q_OBJECT

 public:
  BackgroundArchive(const QString& localPath, const QString& clientName, const QString& sharedUrl,
                    QObject* parent = nullptr);
  // Every run handed over is kept first; then the read or send under way
  // ends (its transactions end whole), and what was not begun is left (the
  // runs wait here for the next round).
  ~BackgroundArchive() override;

  void UseSharedStore(const QString& url);
  // One window round: keeps `run`, then sends every run waiting.
  void KeepAndSend(const RunRecord& run);

  // Runs `job` on the archive's thread; `done` gets what it gave on the GUI
  // thread. Nothing of either once `receiver` has gone.
  template <typename Result>
  void Ask(QObject* receiver, std::function<Result(RunArchive&)> job, std::function<void(Result)> done) {
    auto wanted = std::make_shared<std::atomic<bool>>(true);
    // Watches `receiver` until the answer is back (the ticket's deletion
    // ends the watch).
    auto* ticket = new QObject;
    connect(receiver, &QObject::destroyed, ticket, [wanted] { *wanted = false; });
    Post(worker_, [this, wanted, ticket, guard = QPointer<QObject>(receiver), job = std::move(job),
                   done = std::move(done)](RunArchive& archive) {
      std::optional<Result> result;
      if (*wanted) result = job(archive);
      QMetaObject::invokeMethod(this, [ticket, guard, done, result = std::move(result)] {
        delete ticket;
        if (guard && result) done(*result);
      });
    });
  }

 signals:
  // A failure the archive tells, once each: a run not kept, runs not sent.
  void notice(const QString& text);

 private:
  // Queues `job` on `worker`'s thread; left when the archive is closing.
  void Post(QObject* worker, std::function<void(RunArchive&)> job);
  static void Stop(QObject* worker, QThread& thread);

  QThread keeperThread_, archiveThread_;
  QObject* keeper_ = nullptr;  // lives on keeperThread_: this PC's store alone
  QObject* worker_ = nullptr;  // lives on archiveThread_: both stores
  std::atomic<bool> closing_ = false;
  unsigned long archiveThreadId_ = 0;  // its waits on a server end with the archive
};

}  // namespace torvik
