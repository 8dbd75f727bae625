#include "ui/WindowCentring.h"

#include <QElapsedTimer>
#include <QEvent>
#include <QScreen>
#include <QTimer>
#include <algorithm>

namespace torvik {
namespace {

constexpr int kFrameWaitMs = 2'000;
// The window's size before and after it was fitted to its screen.
constexpr char kUnfittedSize[] = "torvikUnfittedSize";
constexpr char kFittedSize[] = "torvikFittedSize";

QSize FrameMargins(const QWidget& window) { return window.frameGeometry().size() - window.size(); }

class CentringWatch : public QObject {
 public:
  CentringWatch(QWidget& window, bool fit) : QObject(&window), window_(window), fit_(fit) {
    window.installEventFilter(this);
  }

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
    if (fit_) {
      FitOnScreen();
    } else {
      CentreOnScreen(window_);
    }
    margins_ = FrameMargins(window_);
  }
  // Only a change of the frame itself counts: the program's own resizing of
  // the window (the drawing stage) keeps the margins and is left alone.
  void CentreIfFramed() {
    if (!shown_.isValid() || shown_.elapsed() > kFrameWaitMs || !window_.isVisible()) return;
    if (FrameMargins(window_) != margins_) Centre();
  }

  void FitOnScreen() {
    const QScreen* screen = window_.screen();
    if (screen == nullptr) return;
    const QRect area = screen->availableGeometry();
    const QSize frame = FrameMargins(window_);
    const QSize before = window_.size();
    const QSize fitted = before.boundedTo(area.size() - frame).expandedTo(window_.minimumSizeHint());
    if (fitted != before) {
      // The size before the first of several fits is the one to remember.
      if (before != window_.property(kFittedSize).toSize()) window_.setProperty(kUnfittedSize, before);
      window_.setProperty(kFittedSize, fitted);
      window_.resize(fitted);
    }
    const QSize outer = window_.size() + frame;
    window_.move(area.x() + std::max(0, (area.width() - outer.width()) / 2),
                 area.y() + std::max(0, (area.height() - outer.height()) / 2));
  }

  QWidget& window_;
  const bool fit_;
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

void KeepCentredWhenShown(QWidget& window) { new CentringWatch(window, false); }

void KeepFittedAndCentredWhenShown(QWidget& window) { new CentringWatch(window, true); }

QSize SizeToRemember(const QWidget& window) {
  const QSize unfitted = window.property(kUnfittedSize).toSize();
  return unfitted.isValid() && window.size() == window.property(kFittedSize).toSize() ? unfitted : window.size();
}

}  // namespace torvik
