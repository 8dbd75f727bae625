// A named label with its font, text colour and place: the common make of the
// dialogs' labels. GUI thread.
#pragma once

#include <QColor>
#include <QFont>
#include <QLabel>
#include <QRect>

namespace torvik {

inline QLabel* MakeColouredLabel(QWidget* parent, const char* name, const QString& text, const QRect& geometry,
                                 const QFont& font, const QColor& colour) {
  auto* label = new QLabel(text, parent);
  label->setObjectName(QLatin1String(name));
  label->setFont(font);
  QPalette palette = label->palette();
  palette.setColor(QPalette::WindowText, colour);
  label->setPalette(palette);
  label->setGeometry(geometry);
  return label;
}

}  // namespace torvik
