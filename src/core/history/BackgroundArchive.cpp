#include "core/history/BackgroundArchive.h"

#include <memory>

namespace torvik {
namespace {

// Lives on the archive's thread; the archive is made there at its first job.
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
      archive_->SetNoticeHandler([this](const QString& text) {
        QMetaObject::invokeMethod(&owner_, [owner = &owner_, text] { emit owner->notice(text); });
      });
    }
    return *archive_;
  }

 private:
  QString localPath_, clientName_, sharedUrl_;
  BackgroundArchive& owner_;
  std::unique_ptr<RunArchive> archive_;
};

}  // namespace

BackgroundArchive::BackgroundArchive(const QString& localPath, const QString& clientName, const QString& sharedUrl,
                                     QObject* parent)
    : QObject(parent), localPath_(localPath), sharedUrl_(sharedUrl) {
  auto* worker = new ArchiveWorker(localPath, clientName, sharedUrl, *this);
  worker->moveToThread(&thread_);
  connect(&thread_, &QThread::finished, worker, &QObject::deleteLater);
  worker_ = worker;
  thread_.setObjectName(QStringLiteral("torvik-archive"));
  thread_.start();
}

BackgroundArchive::~BackgroundArchive() {
  // Ended after every job asked before it: a run kept just before the
  // window closed is never dropped.
  QMetaObject::invokeMethod(worker_, [] { QThread::currentThread()->quit(); });
  thread_.wait();
}

void BackgroundArchive::Post(std::function<void(RunArchive&)> job) {
  QMetaObject::invokeMethod(worker_, [worker = static_cast<ArchiveWorker*>(worker_), job = std::move(job)] {
    job(worker->Archive());
  });
}

void BackgroundArchive::UseSharedStore(const QString& url) {
  sharedUrl_ = url;
  Post([url](RunArchive& archive) { archive.UseSharedStore(url); });
}

void BackgroundArchive::KeepAndSend(const RunRecord& run) {
  Post([this, run](RunArchive& archive) {
    if (archive.Keep(run)) archive.SendWaiting();
    QMetaObject::invokeMethod(this, [this] { emit roundEnded(); });
  });
}

}  // namespace torvik
