// The self-pipe: the handler may run on any thread, at any point of the
// measured loops, so it touches nothing but atomics, write(), unlink(),
// shutdown(), close() and _exit(), all async-signal-safe.
#include "platform/TerminationSignals.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>

#include "platform/ExitCleanup.h"
#include "platform/ServerWaits.h"

namespace torvik::platform {
namespace {

std::atomic<int> signalsSeen{0};
int pipeEnds[2] = {-1, -1};

void OnTerminationSignal(int signal) {
  const int savedErrno = errno;
  if (signalsSeen.fetch_add(1) > 0) {
    // The program is already on its way out and is asked again: now.
    DeleteRegisteredFiles();
    _exit(128 + signal);
  }
  // A wait on a server would hold the signal back for as long as the
  // server keeps silent: it ends now.
  OnSignalDuringServerWaits(signal);
  const unsigned char byte = static_cast<unsigned char>(signal);
  [[maybe_unused]] const ssize_t written = write(pipeEnds[1], &byte, 1);
  errno = savedErrno;
}

}  // namespace

int InstallTerminationSignals() {
  if (pipeEnds[0] >= 0) return pipeEnds[0];
  if (pipe2(pipeEnds, O_NONBLOCK | O_CLOEXEC) != 0) return -1;
  struct sigaction action {};
  action.sa_handler = &OnTerminationSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  for (int signal : {SIGTERM, SIGHUP, SIGINT}) sigaction(signal, &action, nullptr);
  return pipeEnds[0];
}

int TakeTerminationSignal() {
  unsigned char byte = 0;
  ssize_t n;
  do {
    n = read(pipeEnds[0], &byte, 1);
  } while (n < 0 && errno == EINTR);
  return n == 1 ? byte : 0;
}

}  // namespace torvik::platform
