#include "ui/StatusLine.h"

#include <QEvent>
#include <QPainter>
#include <QStyle>

namespace torvik {

void StatusLine::SetText(const QString& text) {
  setText(text);
  UpdateToolTip();
}

QString StatusLine::ShownText() const {
  return fontMetrics().elidedText(text(), Qt::ElideMiddle, contentsRect().width());
}

void StatusLine::UpdateToolTip() { setToolTip(ShownText() == text() ? QString() : text()); }

void StatusLine::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  style()->drawItemText(&painter, contentsRect(), QStyle::visualAlignment(layoutDirection(), alignment()), palette(),
                        isEnabled(), ShownText(), foregroundRole());
}

void StatusLine::resizeEvent(QResizeEvent* event) {
  QLabel::resizeEvent(event);
  UpdateToolTip();
}

void StatusLine::changeEvent(QEvent* event) {
  QLabel::changeEvent(event);
  if (event->type() == QEvent::FontChange) UpdateToolTip();
}

}  // namespace torvik
