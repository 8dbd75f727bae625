// The load workers: they run from construction on, end by themselves, free
// themselves, and can all be ended and waited for at program exit.
#include <QtTest>

#include "core/workloads/ArctanLoadWorker.h"
#include "core/workloads/PrimeLoadWorker.h"
#include "core/workloads/WorkerThread.h"

using namespace torvik;

class WorkersTest : public QObject {
  Q_OBJECT

 private slots:
  void cleanup() { WorkerThread::StopAllWorkers(); }

  void calcWorkersEndAndFreeThemselves() {
    // Two groups in quick succession leave two workers of a class at once.
    new PrimeLoadWorker();
    new PrimeLoadWorker();
    QCOMPARE(WorkerThread::LiveCount(), 2);
    QTRY_COMPARE_WITH_TIMEOUT(WorkerThread::LiveCount(), 0, 20'000);
  }

  void rootWorkerEndsAfterItsLastArcTangent() {
    new ArctanLoadWorker();
    QTRY_COMPARE_WITH_TIMEOUT(WorkerThread::LiveCount(), 0, 60'000);
  }

  void stopAllWorkersEndsRunningBodiesPromptly() {
    new ArctanLoadWorker();
    new ArctanLoadWorker();
    new PrimeLoadWorker();
    QCOMPARE(WorkerThread::LiveCount(), 3);
    QElapsedTimer timer;
    timer.start();
    WorkerThread::StopAllWorkers();
    QCOMPARE(WorkerThread::LiveCount(), 0);
    QVERIFY2(timer.elapsed() < 1000, "a worker ignored the termination request");
  }
};

QTEST_GUILESS_MAIN(WorkersTest)
#include "test_workers.moc"
