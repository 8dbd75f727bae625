// RunArchive: the one place that keeps, sends and reads runs. A finished
// group's run is kept in this PC's store first; every run waiting here goes
// to the shared store (when there is one) once per command or per window
// round, never per repetition; reads (the list, a run's series, --history,
// --compare, the CSV, imports: ArchiveJobs) are answered by the shared store
// when there is one, else by this PC's. Through the notice handler it tells
// each new kind of failure once (a store that cannot keep a run, a shared
// store that cannot take the runs waiting), that the runs waiting went
// after all once a send works again, and once what a shared store's owner
// must do. The command line uses it on its one thread; the window through
// BackgroundArchive, on a thread of its own. One thread only: the one that
// made it.
#pragma once

#include <QCoreApplication>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

#include "core/records/ArchiveStatus.h"
#include "core/records/SyncResult.h"
#include "core/results/RunRecord.h"

namespace torvik {

class ResultStore;
struct StoredRun;

namespace texts {
inline QString CannotRecord() { return QCoreApplication::translate("RunArchive", "計測結果を保存できません: "); }
inline QString CannotSend() {
  return QCoreApplication::translate(
      "RunArchive", "共有の計測結果に送れません。%1 件はこの PC に残り、次の計測か torvik --sync で送られます: ");
}
inline QString KeptAside() {
  return QCoreApplication::translate(
      "RunArchive", "計測結果の保存先がほかの TORVIK で使用中のため、%1 に保存しました。次の保存のときに保存先へ移します。");
}
inline QString AsideCannotJoin() {
  return QCoreApplication::translate("RunArchive",
                                     "別に保存した計測結果 %1 を保存先へ移せません。ファイルはそのまま残します: %2");
}
inline QString NotSentEither() {
  return QCoreApplication::translate("RunArchive", "（共有の計測結果にも送られません）");
}
inline QString SetAside() {
  return QCoreApplication::translate(
      "RunArchive", "共有の計測結果が受け取らなかった計測結果 %1 件は、送らずにこの PC に残しました: ");
}
inline QString ThisPcsStoreOf() { return QCoreApplication::translate("RunArchive", "この PC の計測結果 (%1)"); }
inline QString SentAfterAll() {
  return QCoreApplication::translate("RunArchive", "この PC に残っていた計測結果 %1 件を共有の計測結果に送りました。");
}
}  // namespace texts

class RunArchive {
 public:
  // `localPath`: this PC's store; `clientName`: what a server connection
  // calls itself ("torvik desk-1").
  RunArchive(const QString& localPath, const QString& clientName);
  ~RunArchive();
  RunArchive(const RunArchive&) = delete;
  RunArchive& operator=(const RunArchive&) = delete;

  // Where failures are told (once each); without one they are not told.
  void SetNoticeHandler(std::function<void(const QString&)> notice) { notice_ = std::move(notice); }

  // The shared store at `url`, to which runs kept here are sent and from
  // which reads are answered; empty: this PC's store only. Its failures are
  // news, whatever the one before said.
  void UseSharedStore(const QString& url);
  bool HasSharedStore() const { return shared_ != nullptr; }

  // Keeps a finished group's run here; a run without any result (refused
  // before its first test) has nothing to keep. When another copy holds this
  // PC's store beyond its wait (a long import), the run is kept in a store of
  // its own beside it (told where), which joins this PC's store at the next
  // keep or send. A failure when it could be kept nowhere (told): then
  // nothing is sent either.
  ArchiveStatus Keep(const RunRecord& run);
  // Sends every run waiting here to the shared store; nothing without one.
  // A failure is told (with how many wait, once per kind of failure) and
  // the runs wait for the next round or torvik --sync.
  SyncResult SendWaiting();

  // ~/.local/share/Varn/TORVIK/results.sqlite for this program.
  static QString DefaultLocalPath();

  // What a server connection calls itself.
  const QString& ClientName() const { return clientName_; }
  // The PC's name as the client name carries it ("torvik desk-1": desk-1),
  // else the machine's host name.
  QString PcName() const;
  // Whether this PC's store has been made (by a run kept or a sheet
  // imported): before that a read finds nothing and makes nothing.
  bool HasLocalStore() const;
  // This PC's store; the one reads are answered from (the shared store when
  // there is one); and the one reads are answered from without making
  // anything (an empty store in memory before this PC has one).
  ResultStore& Local() { return *local_; }
  ResultStore& Compared() { return shared_ ? *shared_ : *local_; }
  ResultStore& Readable();
  // The store reads are answered from, as a page or a question names it: a
  // shared store's location without its password; this PC's path.
  QString ComparedShown() const;
  // The store reads are answered from as a report page names it, to anyone
  // it is sent to: a shared store by the label its owner gave it (as found
  // at its last open), else its database's name; this PC's as such, with
  // the PC's name. Never a host, a role or a path.
  QString ComparedLabel() const;

 private:
  // Keeps `run` in a new store beside this PC's; false when it cannot.
  bool KeepAside(const StoredRun& run);
  // Moves the runs kept aside into this PC's store, deleting what it moved.
  void TakeBackAside();
  // Tells `text` unless it told `kind` last time for `last`.
  void Tell(QString& last, const QString& kind, const QString& text);

  std::unique_ptr<ResultStore> local_;
  std::unique_ptr<ResultStore> shared_;
  std::unique_ptr<ResultStore> empty_;  // made at the first read before this PC has a store
  QString clientName_;
  std::function<void(const QString&)> notice_;
  QString lastRecordFailure_, lastSendFailure_, lastSetAside_, adviceTold_;
  QStringList asidesTold_;  // the aside files said to be unable to join
};

}  // namespace torvik
