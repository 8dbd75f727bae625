// Waits on a database server, bounded from this side. A server can stop
// answering once connected (a frozen machine, packets dropped, a stopped
// backend, a failover): the database driver's call then blocks with no limit
// of its own. A wait watches a duplicate of the connection's socket and
// tells two ends apart: silence, when no byte has arrived for its silence
// limit (over TCP the limit starts again with every byte that arrives, so
// a long answer coming steadily is never silence; on a local socket, whose
// kernel does not tell when bytes came, it counts from the statement's
// start), and a slow answer, when bytes keep coming but the statement has
// not ended within its slow limit (a server or a link trickling). Either
// way, or when the program must end now, the socket is shut down, so the
// blocked call fails at once and its caller sees the connection lost, and
// asks which end it was. While connecting there is no socket yet: the
// driver's own connect timeout bounds that part.
// Any thread; a termination signal's handler calls OnSignalDuringServerWaits.
#pragma once

namespace torvik::platform {

class ServerWait {
 public:
  enum class End { None, Silent, Slow };

  // A wait that ends as silent `silenceMs` after the last byte arrived over
  // TCP (or after now, or its last Restart(), without one), and as slow
  // `slowMs` after now or its last Restart(). At most 16 waits are bounded
  // at once; more are not watched.
  ServerWait(int silenceMs, int slowMs);
  ~ServerWait();
  ServerWait(const ServerWait&) = delete;
  ServerWait& operator=(const ServerWait&) = delete;

  // The connection's `socket` is watched from now on (a duplicate is kept,
  // so the connection may close its own at any time).
  void Watch(int socket);
  // A new statement: both limits start again.
  void Restart();
  // Whether a limit passed and the connection was cut for it, and which.
  bool Expired() const { return Ended() != End::None; }
  End Ended() const;

 private:
  int slot_ = -1;
  int silenceMs_, slowMs_;
};

// The calling thread, as AbortServerWaits names it.
unsigned long CurrentThread();
// `thread` is ending: its watched socket is shut down now, and every later
// wait of it is cut as soon as it has a socket; ServerWaitsAborted() tells
// it not to connect. Forget it once the thread has ended (its number may
// be given to another).
void AbortServerWaits(unsigned long thread);
void ForgetAbortedThread(unsigned long thread);
bool ServerWaitsAborted();

// A command line's choice: a termination signal during a wait on a server
// ends the process at once (what it measured is kept here before it is
// sent, and nothing has been printed yet), instead of after the wait.
void EndProcessOnSignalDuringServerWaits();
// From the signal handler (async-signal-safe): with waits in progress it
// ends the process with 128 + `signal` when the command line chose so, or
// cuts their sockets so the waits end now.
void OnSignalDuringServerWaits(int signal) noexcept;

}  // namespace torvik::platform
