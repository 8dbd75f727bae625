// What the command line's verbs share to print: their exit statuses,
// stdout written whole and flushed (a pipe reader sees it at once), and a
// job's failure on stderr. Any thread.
#pragma once

#include <QByteArray>
#include <QCoreApplication>
#include <cstdio>

#include "core/archive/RunArchive.h"
#include "core/records/ArchiveStatus.h"
#include "core/report/ReportBuilder.h"

namespace torvik {

inline constexpr int kCommandFailed = 1;
inline constexpr int kCommandRefused = 2;
// Done, and something needs the reader's attention: a machine stale, a
// change for the slower (for cron and CI).
inline constexpr int kCommandAttention = 3;

inline void PrintOut(const QByteArray& bytes) {
  std::fwrite(bytes.constData(), 1, bytes.size(), stdout);
  std::fflush(stdout);
}

inline void Complain(const QString& text) { std::fprintf(stderr, "torvik: %s\n", text.toLocal8Bit().constData()); }

// "計測結果を開けません" (open), "計測結果を読めません" (read): what a verb says
// failed before the store's reason.
inline const char* const kCannotOpen = QT_TRANSLATE_NOOP("StoreCommands", "計測結果を開けません");
inline const char* const kCannotRead = QT_TRANSLATE_NOOP("StoreCommands", "計測結果を読めません");

// The verbs of the shared store: refused without one (said on stderr).
inline bool HasSharedStore(const RunArchive& archive) {
  if (archive.HasSharedStore()) return true;
  std::fputs("torvik: no shared store: --store URL, or Url in the [Store] group of ~/.config/Varn/TORVIK.conf\n",
             stderr);
  return false;
}

// Says on stderr that `what` failed with the store's reason; a file that
// could not be written is said as such. The exit status.
inline int StoreFailed(const ArchiveStatus& failure, const char* what = kCannotOpen) {
  if (failure.Kind() == FailureKind::File) {
    Complain(QStringLiteral("cannot write ") + OneLine(failure.Text()));
  } else {
    Complain(QCoreApplication::translate("StoreCommands", what) + QStringLiteral(": ") + failure.Text());
  }
  return kCommandFailed;
}

}  // namespace torvik
