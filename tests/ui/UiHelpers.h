// Helpers of the window tests: a quick processor, finding controls by name,
// answering message boxes, reading times back from labels.
#pragma once

#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QtTest>

#include "FakeProcessor.h"
#include "ui/MainWindow.h"

namespace torvik::testing {

// A Pentium III without a time-stamp counter: the window builds at once
// instead of spending two seconds measuring the clock.
inline const FakeProcessor& QuickProcessor() {
  static const FakeProcessor processor = FakeProcessor::WithLeaf1("GenuineIntel", 0x683);
  return processor;
}

template <typename T = QWidget>
inline T* Find(const QWidget& window, const char* name) {
  return window.findChild<T*>(QLatin1String(name));
}

inline QString Text(const QWidget& window, const char* name) { return Find<QLabel>(window, name)->text(); }

// Answers every message box with OK while it lives, and remembers what
// each said (the last one's title and icon).
class MessageBoxAnswer {
 public:
  MessageBoxAnswer() {
    QObject::connect(&timer_, &QTimer::timeout, [this] {
      if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
        texts << box->text();
        text = box->text();
        title = box->windowTitle();
        icon = box->icon();
        ++seen;
        box->button(QMessageBox::Ok)->click();
      }
    });
    timer_.start(20);
  }

  QStringList texts;
  QString text;
  QString title;
  QMessageBox::Icon icon = QMessageBox::NoIcon;
  int seen = 0;

 private:
  QTimer timer_;
};

// Tenths shown by a result label (" 12.3sec" gives 123).
inline int Tenths(const QString& shown) {
  QString digits = shown.trimmed();
  digits.chop(3);
  return qRound(digits.toDouble() * 10);
}

}  // namespace torvik::testing
