// MessagePump: the window's message pump at a run's pumping points (between
// a test's blocks, after its labels change). One pass dispatches what has
// arrived. A screen reader's question is a chain of D-Bus calls to Qt's
// accessibility bridge, each sent only when the one before has been
// answered: at one pass per pumping point every call of the chain waited for
// a pumping point of its own, so a question asked during a processor test
// (ten blocks) was answered at the test's end. So when a pass answers the
// bridge, the pump goes on while the reader asks on: it waits for the next
// call at most kFollowUpMs, and kMaxFollowUpsMs in all; a pass that answered
// no call returns at once. Nothing is added where no reader asks.
//
// It watches the application's events (an event filter) from its
// construction on. GUI thread only.
#pragma once

#include <QObject>

namespace torvik {

// How long the pump waits for a screen reader's next call, and how long in
// all at one pumping point.
inline constexpr int kFollowUpMs = 25;
inline constexpr int kMaxFollowUpsMs = 1'000;

class MessagePump : public QObject {
 public:
  // The waits: the window's are the constants above.
  explicit MessagePump(int followUpMs = kFollowUpMs, int maxFollowUpsMs = kMaxFollowUpsMs);

  // One pass over the waiting events, then the screen reader's follow-up
  // calls, if it answered one.
  void Pump();
  // Calls of the accessibility bridge answered so far.
  int Answered() const { return answered_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  const int followUpMs_;
  const int maxFollowUpsMs_;
  int answered_ = 0;
};

}  // namespace torvik
