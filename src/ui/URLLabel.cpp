#include "ui/URLLabel.h"

#include <QMouseEvent>

#include "ui/ShellOpen.h"

namespace torvik {

TURLLabel::TURLLabel(const QString& text, QWidget* parent) : QLabel(text, parent) {
  setCursor(Qt::PointingHandCursor);
  remembered_ = FontColor();
}

void TURLLabel::SetHotTrack(bool on) {
  if (hotTrack_ == on) return;
  hotTrack_ = on;
  update();
}

void TURLLabel::SetHotColor(const QColor& colour) {
  if (hotColor_ == colour) return;
  hotColor_ = colour;
  update();
}

void TURLLabel::SetPushedColor(const QColor& colour) {
  if (pushedColor_ == colour) return;
  pushedColor_ = colour;
  update();
}

void TURLLabel::SetFontColor(const QColor& colour) {
  QPalette p = palette();
  p.setColor(QPalette::WindowText, colour);
  setPalette(p);
  update();
}

void TURLLabel::enterEvent(QEnterEvent* event) {
  QLabel::enterEvent(event);
  if (!hotTrack_) return;
  // A repeated entry without a leave must not take the hot colour for the own one.
  if (!inside_) remembered_ = FontColor();
  inside_ = true;
  SetFontColor(hotColor_);
}

void TURLLabel::leaveEvent(QEvent* event) {
  QLabel::leaveEvent(event);
  inside_ = false;
  if (hotTrack_) SetFontColor(remembered_);
}

// Any button opens the caption, on the press.
void TURLLabel::mousePressEvent(QMouseEvent* event) {
  QLabel::mousePressEvent(event);
  if (hotTrack_) SetFontColor(pushedColor_);
  if (executable_) ShellOpen(text());
}

void TURLLabel::mouseReleaseEvent(QMouseEvent* event) {
  QLabel::mouseReleaseEvent(event);
  if (!hotTrack_) return;
  // Where the button came up: over the label, or outside it.
  SetFontColor(rect().contains(event->position().toPoint()) ? hotColor_ : remembered_);
}

}  // namespace torvik
