#include "ui/StageWindow.h"

#include <QScreen>
#include <QWindow>

#include "core/base/Version.h"
#include "ui/WindowCentring.h"

namespace torvik {
namespace {

const QString kWindowFace = QStringLiteral("ＭＳ Ｐゴシック");
const QString kStageFace = QStringLiteral("ＭＳ ゴシック");

}  // namespace

StageWindow::StageWindow(QWidget* parent) : QMainWindow(parent), scale_(DesignScale::ForScreen()) {
  setWindowTitle(QLatin1String(kWindowCaption));
  // Single fixed border: system menu and minimise, no maximise.
  setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                 Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
  setFont(scale_.Font(kWindowFace, 15));

  client_ = new QWidget(this);
  client_->setObjectName(QStringLiteral("ClientArea"));
  clientSize_ = QSize(scale_(649), scale_(414));
  client_->setFixedSize(clientSize_);
  setCentralWidget(client_);

  // The drawing stage's surfaces, hidden until a drawing or scroll test.
  Paint = new StageSurface(client_);
  Paint->setObjectName(QStringLiteral("Paint"));
  Paint->setFont(scale_.Font(kStageFace, 27));
  Paint->setGeometry(client_->rect());
  Paint->hide();
  Memo = new QPlainTextEdit(client_);
  Memo->setObjectName(QStringLiteral("Memo"));
  Memo->setFont(scale_.Font(kStageFace, 15));
  Memo->setLineWrapMode(QPlainTextEdit::NoWrap);
  Memo->setGeometry(client_->rect());
  Memo->setEnabled(false);
  Memo->hide();
  KeepCentredWhenShown(*this);
}

void StageWindow::FixSizeAndCentre() {
  adjustSize();
  setFixedSize(size());
  Centre();
}

void StageWindow::RaiseStageSurfaces() {
  Paint->raise();
  Memo->raise();
}

void StageWindow::Centre() { CentreOnScreen(*this); }

void StageWindow::CoverScreen() {
  const QScreen* screen = this->screen();
  if (screen == nullptr) return;
  // The border stays fixed for the user; the program itself may resize.
  setMinimumSize(0, 0);
  setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
  client_->setMinimumSize(0, 0);
  client_->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
  const QSize frame = frameGeometry().size() - size();
  const QRect area = screen->geometry();
  // Set explicitly: without a window manager a full-screen request alone
  // would leave the window where it was.
  move(area.topLeft());
  resize(area.size() - frame);
}

void StageWindow::RestoreSize(QSize saved) {
  resize(width(), saved.height());
  resize(saved.width(), saved.height());
  client_->setFixedSize(clientSize_);
  setFixedSize(saved);
}

void StageWindow::SetStaysOnTop(bool on) {
  if (StaysOnTop() == on) return;
  Qt::WindowFlags flags = windowFlags();
  flags.setFlag(Qt::WindowStaysOnTopHint, on);
  if (QWindow* native = windowHandle()) {
    // Changed in place: recreating the native window would unmap it, and an
    // unmapped window cannot be drawn on until the window system maps it again.
    overrideWindowFlags(flags);
    native->setFlags(flags);
  } else {
    setWindowFlags(flags);
  }
}

// The native window's exposure is told to the native window, not the widget:
// watched from the moment it exists (it is made when the window is shown).
void StageWindow::WatchNativeWindow() {
  QWindow* native = windowHandle();
  if (native == nullptr || native == watched_) return;
  native->installEventFilter(this);
  watched_ = native;
}

bool StageWindow::event(QEvent* event) {
  switch (event->type()) {
    case QEvent::Show: WatchNativeWindow(); break;
    case QEvent::Hide: ++timesOffScreen_; break;
    case QEvent::WindowStateChange:
      if (isMinimized()) ++timesOffScreen_;
      break;
    default: break;
  }
  return QMainWindow::event(event);
}

bool StageWindow::eventFilter(QObject* watched, QEvent* event) {
  // An exposure that takes the window off the screen (unmapped, obscured
  // whole) comes with the window no longer exposed.
  if (watched == watched_ && event->type() == QEvent::Expose && !watched_->isExposed()) ++timesOffScreen_;
  return QMainWindow::eventFilter(watched, event);
}

bool StageWindow::OnScreen() const {
  const QWindow* native = windowHandle();
  return isVisible() && !isMinimized() && native != nullptr && native->isExposed();
}

void StageWindow::BringOnScreen() {
  if (isMinimized()) {
    showNormal();
  } else if (!isVisible()) {
    show();
  }
  raise();
}

}  // namespace torvik
