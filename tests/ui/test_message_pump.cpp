// The window's message pump and a screen reader's question: a chain of
// calls to the accessibility bridge, each posted when the one before has
// been answered (as Qt's D-Bus posts a reader's call to the bridge's
// object), is answered whole at one pumping point; a pass that answered no
// call of the bridge goes on to nothing after it.
#include <QDBusVirtualObject>
#include <QSemaphore>
#include <QThread>
#include <QtTest>
#include <atomic>

#include "ui/MessagePump.h"

using namespace torvik;

namespace {

// An object Qt's D-Bus serves, as the accessibility bridge's adaptor is.
class FakeBridge : public QDBusVirtualObject {
 public:
  QString introspect(const QString&) const override { return {}; }
  bool handleMessage(const QDBusMessage&, const QDBusConnection&) override { return false; }
};

// A reader on a thread of its own: posts `calls` calls to `target` one after
// the other, each once the one before has been answered on the GUI thread.
class Reader : public QThread {
 public:
  Reader(QObject& target, int calls) : target_(target), calls_(calls) {}
  std::atomic<int> answered = 0;
  QSemaphore firstPosted;

 private:
  void run() override {
    QSemaphore answer;
    for (int call = 0; call < calls_; ++call) {
      QMetaObject::invokeMethod(
          &target_,
          [this, &answer] {
            ++answered;
            answer.release();
          },
          Qt::QueuedConnection);
      if (call == 0) firstPosted.release();
      answer.acquire();
    }
  }
  QObject& target_;
  const int calls_;
};

}  // namespace

class MessagePumpTest : public QObject {
  Q_OBJECT

 private slots:
  void aReadersChainIsAnsweredAtOnePump() {
    FakeBridge bridge;
    // The reader's next call comes well within half a second, even on a
    // busy machine (a round trip: well under a millisecond when quiet).
    MessagePump pump(500, 60'000);
    Reader reader(bridge, 10);
    reader.start();
    reader.firstPosted.acquire();
    pump.Pump();
    QCOMPARE(reader.answered.load(), 10);
    QCOMPARE(pump.Answered(), 10);
    QVERIFY(reader.wait(60'000));
  }

  void aPassWithoutTheBridgeGoesOnToNothing() {
    QObject plain;
    MessagePump pump(60'000, 60'000);
    Reader reader(plain, 2);
    reader.start();
    reader.firstPosted.acquire();
    pump.Pump();  // at once: the second call waits for the next pump
    QCOMPARE(reader.answered.load(), 1);
    QCOMPARE(pump.Answered(), 0);
    pump.Pump();
    QTRY_COMPARE(reader.answered.load(), 2);
    QVERIFY(reader.wait(60'000));
  }
};

QTEST_GUILESS_MAIN(MessagePumpTest)
#include "test_message_pump.moc"
