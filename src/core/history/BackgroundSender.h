// Sending waiting runs to the shared store away from the GUI thread: the
// window must not stand still while libpq waits for a server that is away
// (up to its connect timeout) or slow. A thread of its own holds its own
// connections to the local and the shared store (Qt SQL connections belong
// to the thread that made them); Send() asks for one round, rounds run one
// after another (each sends everything waiting). sent() and failed() come on
// the thread that made the sender. GUI thread.
#pragma once

#include <QObject>
#include <QString>
#include <QThread>

namespace torvik {

class BackgroundSender : public QObject {
  Q_OBJECT

 public:
  BackgroundSender(const QString& localPath, const QString& sharedUrl, QObject* parent = nullptr);
  // Waits for a round under way to end (its transactions end whole).
  ~BackgroundSender() override;

  void Send();

 signals:
  // A round that left runs waiting: how many, and why.
  void failed(int waiting, const QString& error);
  // A round that left nothing waiting.
  void sent(int runs);

 private:
  QThread thread_;
  QObject* worker_ = nullptr;  // lives on thread_
};

}  // namespace torvik
