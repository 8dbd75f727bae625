// What the command line's verbs share to print: their exit statuses,
// stdout written whole and flushed (a pipe reader sees it at once), and a
// store's failure on stderr. Any thread.
#pragma once

#include <QByteArray>
#include <QCoreApplication>
#include <cstdio>

#include "core/history/ResultStore.h"

namespace torvik {

inline constexpr int kCommandFailed = 1;
inline constexpr int kCommandRefused = 2;

inline void PrintOut(const QByteArray& bytes) {
  std::fwrite(bytes.constData(), 1, bytes.size(), stdout);
  std::fflush(stdout);
}

// Says on stderr that `what` failed with the store's reason: "計測結果を
// 開けません" (open), "計測結果を保存できません" (write), "計測結果を読めません"
// (read); the exit status.
inline int StoreFailed(const ResultStore& store,
                       const char* what = QT_TRANSLATE_NOOP("StoreCommands", "計測結果を開けません")) {
  const QString text = QCoreApplication::translate("StoreCommands", what);
  std::fprintf(stderr, "torvik: %s: %s\n", text.toLocal8Bit().constData(), store.Error().toLocal8Bit().constData());
  return kCommandFailed;
}

}  // namespace torvik
