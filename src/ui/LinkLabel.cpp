#include "ui/LinkLabel.h"

#include <QMouseEvent>

#include "ui/ShellOpen.h"

namespace torvik {

LinkLabel::LinkLabel(const QString& text, QWidget* parent) : QLabel(text, parent) {
  setCursor(Qt::PointingHandCursor);
  remembered_ = FontColor();
}

void LinkLabel::SetHotTrack(bool on) {
  if (hotTrack_ == on) return;
  hotTrack_ = on;
  update();
}

void LinkLabel::SetHotColor(const QColor& colour) {
  if (hotColor_ == colour) return;
  hotColor_ = colour;
  update();
}

void LinkLabel::SetPushedColor(const QColor& colour) {
  if (pushedColor_ == colour) return;
  pushedColor_ = colour;
  update();
}

void LinkLabel::SetFontColor(const QColor& colour) {
  QPalette p = palette();
  p.setColor(QPalette::WindowText, colour);
  setPalette(p);
  update();
}

void LinkLabel::enterEvent(QEnterEvent* event) {
  QLabel::enterEvent(event);
  if (!hotTrack_) return;
  // A repeated entry without a leave must not take the hot colour for the own one.
  if (!inside_) remembered_ = FontColor();
  inside_ = true;
  SetFontColor(hotColor_);
}

void LinkLabel::leaveEvent(QEvent* event) {
  QLabel::leaveEvent(event);
  inside_ = false;
  if (hotTrack_) SetFontColor(remembered_);
}

// Any button opens the caption, on the press.
void LinkLabel::mousePressEvent(QMouseEvent* event) {
  QLabel::mousePressEvent(event);
  if (hotTrack_) SetFontColor(pushedColor_);
  if (executable_) ShellOpen(text());
}

void LinkLabel::mouseReleaseEvent(QMouseEvent* event) {
  QLabel::mouseReleaseEvent(event);
  if (!hotTrack_) return;
  // Where the button came up: over the label, or outside it.
  SetFontColor(rect().contains(event->position().toPoint()) ? hotColor_ : remembered_);
}

}  // namespace torvik
