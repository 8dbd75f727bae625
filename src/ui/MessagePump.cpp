#include "ui/MessagePump.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QTimer>
#include <algorithm>

namespace torvik {

MessagePump::MessagePump(int followUpMs, int maxFollowUpsMs)
    : followUpMs_(followUpMs), maxFollowUpsMs_(maxFollowUpsMs) {
  QCoreApplication::instance()->installEventFilter(this);
}

// Qt's D-Bus hands a call to an object it serves (the accessibility
// bridge's adaptor is a QDBusVirtualObject) to the object's thread as a
// posted meta-call.
bool MessagePump::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::MetaCall && watched->inherits("QDBusVirtualObject")) ++answered_;
  return false;
}

void MessagePump::Pump() {
  int before = answered_;
  QCoreApplication::processEvents(QEventLoop::AllEvents);
  if (answered_ == before) return;
  // The reader's next call comes about a round trip after the answer; the
  // wait ends at the first event after it, or when the timer wakes it.
  QElapsedTimer all;
  all.start();
  QElapsedTimer quiet;
  quiet.start();
  QTimer wake;
  wake.setSingleShot(true);
  for (;;) {
    const qint64 left = std::min<qint64>(followUpMs_ - quiet.elapsed(), maxFollowUpsMs_ - all.elapsed());
    if (left <= 0) return;
    before = answered_;
    wake.start(static_cast<int>(left));
    QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    if (answered_ != before) quiet.restart();
  }
}

}  // namespace torvik
