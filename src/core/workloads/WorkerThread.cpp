#include "core/workloads/WorkerThread.h"

#include <QCoreApplication>
#include <QMutex>
#include <QSet>

namespace torvik {
namespace {

QMutex registryMutex;
QSet<WorkerThread*>& Registry() {
  static QSet<WorkerThread*> workers;
  return workers;
}

}  // namespace

WorkerThread::WorkerThread() {
  // Free when done: the deletion runs on the GUI thread, where this object lives.
  connect(this, &QThread::finished, this, &QObject::deleteLater);
  QMutexLocker lock(&registryMutex);
  Registry().insert(this);
}

WorkerThread::~WorkerThread() {
  {
    QMutexLocker lock(&registryMutex);
    Registry().remove(this);
  }
  wait();
}

void WorkerThread::StartNow() { start(QThread::NormalPriority); }

void WorkerThread::CheckQueue() {
  // Nothing is posted to a worker, so this normally finds its queue empty;
  // it still costs what a real queue check costs.
  QCoreApplication::processEvents(QEventLoop::AllEvents);
}

int WorkerThread::LiveCount() {
  QMutexLocker lock(&registryMutex);
  return static_cast<int>(Registry().size());
}

void WorkerThread::StopAllWorkers() {
  QList<WorkerThread*> workers;
  {
    QMutexLocker lock(&registryMutex);
    workers = Registry().values();
  }
  for (WorkerThread* worker : workers) worker->requestInterruption();
  for (WorkerThread* worker : workers) {
    worker->wait();
    delete worker;
  }
}

}  // namespace torvik
