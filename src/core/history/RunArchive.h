// RunArchive: the one place that keeps, sends and reads runs. A finished
// group's run is kept in this PC's store first; every run waiting here goes
// to the shared store (when there is one) once per command or per window
// round, never per repetition; reads (the list, a run's series, --history,
// --compare, the CSV, imports) are answered by the shared store when there
// is one, else by this PC's. A store that cannot keep a run, and a shared
// store that cannot take the runs waiting, are each told once, through the
// notice handler. The command line uses it on its one thread; the window
// through BackgroundArchive, on a thread of its own. One thread only: the
// one that made it.
#pragma once

#include <QCoreApplication>
#include <QString>
#include <functional>
#include <memory>

#include "core/history/ResultStore.h"
#include "core/history/StoreSync.h"
#include "core/results/RunRecord.h"

namespace torvik {

namespace texts {
inline QString CannotRecord() { return QCoreApplication::translate("RunArchive", "計測結果を保存できません: "); }
inline QString CannotSend() {
  return QCoreApplication::translate(
      "RunArchive", "共有の計測結果に送れません。%1 件はこの PC に残り、次の計測か torvik --sync で送られます: ");
}
}  // namespace texts

class RunArchive {
 public:
  // `localPath`: this PC's store; `clientName`: what a server connection
  // calls itself ("torvik desk-1").
  RunArchive(const QString& localPath, const QString& clientName);

  // Where failures are told (once each); without one they are not told.
  void SetNoticeHandler(std::function<void(const QString&)> notice) { notice_ = std::move(notice); }

  // The shared store at `url`, to which runs kept here are sent and from
  // which reads are answered; empty: this PC's store only. Another server's
  // failure is news again.
  void UseSharedStore(const QString& url);
  bool HasSharedStore() const { return shared_ != nullptr; }

  // Keeps a finished group's run here; a run without any result (refused
  // before its first test) has nothing to keep. False when this PC's store
  // could not keep it (told): then nothing is sent either.
  bool Keep(const RunRecord& run);
  // Sends every run waiting here to the shared store; nothing without one.
  // A failure is told (with how many wait) and the runs wait for the next
  // round or torvik --sync.
  SyncResult SendWaiting();

  // What a server connection calls itself.
  const QString& ClientName() const { return clientName_; }
  // This PC's store, and the one reads are answered from.
  ResultStore& Local() { return local_; }
  ResultStore& Compared() { return shared_ ? *shared_ : local_; }

 private:
  void Tell(bool& told, const QString& text);

  ResultStore local_;
  std::unique_ptr<ResultStore> shared_;
  QString clientName_;
  std::function<void(const QString&)> notice_;
  bool recordFailureTold_ = false;
  bool sendFailureTold_ = false;
};

}  // namespace torvik
