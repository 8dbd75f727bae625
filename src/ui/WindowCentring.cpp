#include "ui/WindowCentring.h"

#include <QElapsedTimer>
#include <QEvent>
#include <QScreen>
#include <QTimer>
#include <algorithm>

namespace torvik {
namespace {

constexpr int kFrameWaitMs = 2'000;

QSize FrameMargins(const QWidget& window) { return window.frameGeometry().size() - window.size(); }

class CentringWatch : public QObject {
 public:
  explicit CentringWatch(QWidget& window) : QObject(&window), window_(window) { window.installEventFilter(this); }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (watched != &window_) return false;
    switch (event->type()) {
      case QEvent::Show:
        Centre();
        shown_.start();
        // Some window managers send no event of their own for the frame.
        for (int delay : {100, 500, kFrameWaitMs}) QTimer::singleShot(delay, this, [this] { CentreIfFramed(); });
        break;
      case QEvent::Move:
      case QEvent::Resize: CentreIfFramed(); break;
      default: break;
    }
    return false;
  }

 private:
  void Centre() {
    CentreOnScreen(window_);
    margins_ = FrameMargins(window_);
  }
  // Only a change of the frame itself counts: the program's own resizing of
  // the window (the drawing stage) keeps the margins and is left alone.
  void CentreIfFramed() {
    if (!shown_.isValid() || shown_.elapsed() > kFrameWaitMs || !window_.isVisible()) return;
    if (FrameMargins(window_) != margins_) Centre();
  }

  QWidget& window_;
  QElapsedTimer shown_;
  QSize margins_;
};

}  // namespace

void CentreOnScreen(QWidget& window) {
  const QScreen* screen = window.screen();
  if (screen == nullptr) return;
  const QRect area = screen->geometry();
  const QSize outer = window.frameGeometry().size();
  window.move(area.x() + std::max(0, (area.width() - outer.width()) / 2),
              area.y() + std::max(0, (area.height() - outer.height()) / 2));
}

void KeepCentredWhenShown(QWidget& window) { new CentringWatch(window); }

}  // namespace torvik
