#include "core/archive/BackgroundArchive.h"

#include "platform/ServerWaits.h"

namespace torvik {
namespace {

// Lives on its thread; its archive is made there at its first job.
class ArchiveWorker : public QObject {
 public:
  ArchiveWorker(QString localPath, QString clientName, QString sharedUrl, BackgroundArchive& owner)
      : localPath_(std::move(localPath)),
        clientName_(std::move(clientName)),
        sharedUrl_(std::move(sharedUrl)),
        owner_(owner) {}

  RunArchive& Archive() {
    if (!archive_) {
      archive_ = std::make_unique<RunArchive>(localPath_, clientName_);
      archive_->UseSharedStore(sharedUrl_);
      archive_->SetNoticeHandler([owner = &owner_](const QString& text) {
        QMetaObject::invokeMethod(owner, [owner, text] { emit owner->notice(text); });
      });
    }
    return *archive_;
  }

 private:
  QString localPath_, clientName_, sharedUrl_;
  BackgroundArchive& owner_;
  std::unique_ptr<RunArchive> archive_;
};

QObject* StartWorker(ArchiveWorker* worker, QThread& thread, const char* name) {
  worker->moveToThread(&thread);
  QObject::connect(&thread, &QThread::finished, worker, &QObject::deleteLater);
  thread.setObjectName(QLatin1String(name));
  thread.start();
  return worker;
}

}  // namespace

BackgroundArchive::BackgroundArchive(const QString& localPath, const QString& clientName, const QString& sharedUrl,
                                     QObject* parent)
    : QObject(parent) {
  keeper_ = StartWorker(new ArchiveWorker(localPath, clientName, QString(), *this), keeperThread_, "torvik-keeper");
  worker_ = StartWorker(new ArchiveWorker(localPath, clientName, sharedUrl, *this), archiveThread_, "torvik-archive");
  QMetaObject::invokeMethod(
      worker_, [this] { archiveThreadId_ = platform::CurrentThread(); }, Qt::BlockingQueuedConnection);
}

BackgroundArchive::~BackgroundArchive() {
  // Every run handed over is kept: the keeper ends after its last job.
  Stop(keeper_, keeperThread_);
  closing_ = true;
  // The program is ending: a server that keeps silent does not hold it.
  // What was not sent waits here for the next start.
  platform::AbortServerWaits(archiveThreadId_);
  Stop(worker_, archiveThread_);
  platform::ForgetAbortedThread(archiveThreadId_);
}

void BackgroundArchive::Stop(QObject* worker, QThread& thread) {
  QMetaObject::invokeMethod(worker, [] { QThread::currentThread()->quit(); });
  thread.wait();
}

void BackgroundArchive::Post(QObject* worker, std::function<void(RunArchive&)> job) {
  QMetaObject::invokeMethod(worker, [this, worker = static_cast<ArchiveWorker*>(worker), job = std::move(job)] {
    if (!closing_) job(worker->Archive());
  });
}

void BackgroundArchive::UseSharedStore(const QString& url) {
  Post(worker_, [url](RunArchive& archive) { archive.UseSharedStore(url); });
}

void BackgroundArchive::KeepAndSend(const RunRecord& run) {
  Post(keeper_, [this, run](RunArchive& keeper) {
    if (keeper.Keep(run).Ok()) Post(worker_, [](RunArchive& archive) { archive.SendWaiting(); });
  });
}

}  // namespace torvik
