#include "core/history/BackgroundSender.h"

#include <memory>

#include "core/history/ResultStore.h"
#include "core/history/StoreSync.h"

namespace torvik {
namespace {

// The stores are made on the sending thread, at its first round.
class SendingWorker : public QObject {
 public:
  SendingWorker(QString localPath, QString sharedUrl)
      : localPath_(std::move(localPath)), sharedUrl_(std::move(sharedUrl)) {}

  SyncResult Round() {
    if (!local_) {
      local_ = std::make_unique<ResultStore>(localPath_);
      shared_ = std::make_unique<ResultStore>(sharedUrl_);
    }
    return SendWaitingRuns(*local_, *shared_);
  }

 private:
  QString localPath_, sharedUrl_;
  std::unique_ptr<ResultStore> local_, shared_;
};

}  // namespace

BackgroundSender::BackgroundSender(const QString& localPath, const QString& sharedUrl, QObject* parent)
    : QObject(parent) {
  auto* worker = new SendingWorker(localPath, sharedUrl);
  worker->moveToThread(&thread_);
  connect(&thread_, &QThread::finished, worker, &QObject::deleteLater);
  worker_ = worker;
  thread_.setObjectName(QStringLiteral("torvik-sender"));
  thread_.start();
}

BackgroundSender::~BackgroundSender() {
  thread_.quit();
  thread_.wait();
}

void BackgroundSender::Send() {
  // Queued on the worker's thread: rounds run one after another, in order.
  QMetaObject::invokeMethod(worker_, [this, worker = static_cast<SendingWorker*>(worker_)] {
    const SyncResult result = worker->Round();
    if (result.error.isEmpty()) {
      QMetaObject::invokeMethod(this, [this, n = result.sent] { emit sent(n); });
    } else {
      QMetaObject::invokeMethod(this, [this, result] { emit failed(result.waiting, result.error); });
    }
  });
}

}  // namespace torvik
