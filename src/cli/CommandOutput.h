// What the command line's verbs share to print: their exit statuses, and
// stdout written whole and flushed (a pipe reader sees it at once). Any
// thread.
#pragma once

#include <QByteArray>
#include <cstdio>

namespace torvik {

inline constexpr int kCommandFailed = 1;
inline constexpr int kCommandRefused = 2;

inline void PrintOut(const QByteArray& bytes) {
  std::fwrite(bytes.constData(), 1, bytes.size(), stdout);
  std::fflush(stdout);
}

}  // namespace torvik
