// LinkLabel: a text label that changes colour under the mouse (HotColor),
// while pressed (PushedColor), and, when Executable, hands its own caption
// to the desktop to open on the press: a web address opens in the browser,
// a "mailto:" link in the mail program. GUI thread only.
#pragma once

#include <QColor>
#include <QLabel>

namespace torvik {

class LinkLabel : public QLabel {
 public:
  explicit LinkLabel(const QString& text = QString(), QWidget* parent = nullptr);

  bool Executable() const { return executable_; }
  void SetExecutable(bool executable) { executable_ = executable; }
  bool HotTrack() const { return hotTrack_; }
  void SetHotTrack(bool on);
  QColor HotColor() const { return hotColor_; }
  void SetHotColor(const QColor& colour);
  QColor PushedColor() const { return pushedColor_; }
  void SetPushedColor(const QColor& colour);
  QColor FontColor() const { return palette().color(QPalette::WindowText); }

 protected:
  void enterEvent(QEnterEvent* event) override;
  void leaveEvent(QEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  void SetFontColor(const QColor& colour);

  bool executable_ = false;
  bool hotTrack_ = true;
  bool inside_ = false;
  QColor remembered_;
  QColor hotColor_ = QColor(0, 255, 255);  // aqua
  QColor pushedColor_ = QColor(255, 0, 0);
};

}  // namespace torvik
