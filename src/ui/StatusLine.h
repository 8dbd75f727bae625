// StatusLine: the main window's status line `LFill`, a label of fixed size.
// Its text stays whole (text() and a screen reader get all of it); a text
// wider than the label is shown with its middle elided, so that both ends
// (a processor's brand and its measured clock) stay visible, and the whole
// text is its tooltip. GUI thread only.
#pragma once

#include <QLabel>

namespace torvik {

class StatusLine : public QLabel {
 public:
  explicit StatusLine(QWidget* parent = nullptr) : QLabel(parent) {}

  void SetText(const QString& text);
  // What the label shows now: the text, or the text elided in its middle.
  QString ShownText() const;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  void UpdateToolTip();
};

}  // namespace torvik
