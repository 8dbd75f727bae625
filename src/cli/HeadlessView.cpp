#include "cli/HeadlessView.h"

#include <unistd.h>

#include <QCoreApplication>

namespace torvik {

HeadlessView::HeadlessView(std::FILE* progress)
    : progress_(progress), terminal_(progress != nullptr && isatty(fileno(progress)) == 1) {}

void HeadlessView::SetStage(const QString& stage) {
  stage_ = stage;
  gauge_ = 0;
  status_.clear();
}

void HeadlessView::SetStatusText(const QString& text) {
  status_ = text;
  Draw();
}

void HeadlessView::SetGauge(int progress) {
  gauge_ = progress;
  Draw();
}

void HeadlessView::PumpMessages() { QCoreApplication::processEvents(QEventLoop::AllEvents); }

void HeadlessView::ShowMessage(const QString& text, MessageIcon icon) {
  if (icon == MessageIcon::Error) errors_ << text;
}

void HeadlessView::ShowNotice(const QString& text) {
  EndProgress();
  std::fprintf(stderr, "torvik: %s\n", text.toLocal8Bit().constData());
}

QStringList HeadlessView::TakeErrors() {
  QStringList errors;
  errors.swap(errors_);
  return errors;
}

void HeadlessView::Draw() {
  if (progress_ == nullptr || status_.isEmpty()) return;
  const QString line = QStringLiteral("%1 [%2%] %3").arg(stage_).arg(gauge_, 3).arg(status_);
  if (line == lastLine_) return;
  lastLine_ = line;
  if (terminal_) {
    std::fprintf(progress_, "\r\033[K%s", line.toLocal8Bit().constData());
    lineOpen_ = true;
  } else {
    std::fprintf(progress_, "%s\n", line.toLocal8Bit().constData());
  }
  std::fflush(progress_);
}

void HeadlessView::EndProgress() {
  if (progress_ != nullptr && lineOpen_) {
    std::fputc('\n', progress_);
    std::fflush(progress_);
  }
  lineOpen_ = false;
}

}  // namespace torvik
