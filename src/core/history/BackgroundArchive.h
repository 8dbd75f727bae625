// BackgroundArchive: the window's RunArchive, on a thread of its own, so
// that the window never waits for a database: a run kept and the runs
// waiting sent (one window round), the shared store switched, and every read
// the comparison window makes run there one after another, in the order
// asked; a read's result comes back on the GUI thread to whoever asked,
// unless that object has gone meanwhile (a window closed while its read
// waited). Failures the archive tells (once each) come as notice(). Qt SQL
// connections belong to the thread that made them: the archive and its
// stores are made on that thread at its first job. GUI thread.
#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <QThread>
#include <functional>

#include "core/history/RunArchive.h"

namespace torvik {

class BackgroundArchive : public QObject {
  Q_OBJECT

 public:
  BackgroundArchive(const QString& localPath, const QString& clientName, const QString& sharedUrl,
                    QObject* parent = nullptr);
  // Waits for every job asked so far to end (their transactions end whole).
  ~BackgroundArchive() override;

  // Where reads are answered from: the shared store's URL, else this PC's
  // store's path.
  QString ComparedLocation() const { return sharedUrl_.isEmpty() ? localPath_ : sharedUrl_; }
  void UseSharedStore(const QString& url);
  // One window round: keeps `run`, then sends every run waiting.
  void KeepAndSend(const RunRecord& run);

  // Runs `job` on the archive's thread; `done` gets what it gave on the GUI
  // thread, unless `receiver` has gone by then.
  template <typename Result>
  void Ask(QObject* receiver, std::function<Result(RunArchive&)> job, std::function<void(Result)> done) {
    Post([this, guard = QPointer<QObject>(receiver), job = std::move(job), done = std::move(done)](RunArchive& archive) {
      Result result = job(archive);
      QMetaObject::invokeMethod(this, [guard, done, result = std::move(result)] {
        if (guard) done(result);
      });
    });
  }

 signals:
  // A failure the archive tells, once each: a run not kept, runs not sent.
  void notice(const QString& text);
  // A window round has ended (the run kept or not, the send done or not).
  void roundEnded();

 private:
  // Queues `job` on the archive's thread.
  void Post(std::function<void(RunArchive&)> job);

  QString localPath_, sharedUrl_;
  QThread thread_;
  QObject* worker_ = nullptr;  // lives on thread_, owns the archive
};

}  // namespace torvik
