// Helpers of the window tests: a quick processor, the main window composed
// as the program composes it, finding controls by name, answering message
// boxes, reading times back from labels.
#pragma once

#include <QAccessible>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QtTest>
#include <functional>
#include <memory>

#include "FakeProcessor.h"
#include "StorageFakes.h"
#include "StoreAnswers.h"
#include "app/WindowProgram.h"

namespace torvik::testing {

// A Pentium III without a time-stamp counter: the window builds at once
// instead of spending two seconds measuring the clock.
inline const FakeProcessor& QuickProcessor() {
  static const FakeProcessor processor = FakeProcessor::WithLeaf1("GenuineIntel", 0x683);
  return processor;
}

// The main window as the program composes it (WindowProgram), on
// `processor`, with settings in memory and `rules` (by default any folder
// counts as a fixed disk), a results store in a folder of its own, and a
// reader of that store for the test's own questions.
class ComposedWindow {
 public:
  explicit ComposedWindow(const platform::ProcessorProbe& processor = QuickProcessor(),
                          std::unique_ptr<TestPathRules> rules = std::make_unique<AnyDiskRules>(),
                          const QString& sharedUrl = QString())
      : ownSettings_(std::make_unique<MemorySettings>()),
        settings(*ownSettings_),
        program(processor, WindowInputs{std::move(ownSettings_), std::move(rules),
                                        storeFolder_.path() + QStringLiteral("/results.sqlite"), sharedUrl}),
        window(program.window),
        session(program.session),
        archive(program.archive),
        bench(program.bench),
        drawing(program.drawing),
        machine(program.machine),
        store(storeFolder_.path() + QStringLiteral("/results.sqlite")) {}

 private:
  std::unique_ptr<MemorySettings> ownSettings_;
  QTemporaryDir storeFolder_;

 public:
  MemorySettings& settings;  // the program's
  WindowProgram program;
  MainWindow& window;
  BenchSession& session;
  BackgroundArchive& archive;
  BenchParts& bench;
  StageDrawing& drawing;
  MachineComponents& machine;
  ResultStore store;  // this PC's store, read on the test's thread
};

template <typename T = QWidget>
inline T* Find(const QWidget& window, const char* name) {
  return window.findChild<T*>(QLatin1String(name));
}

inline QString Text(const QWidget& window, const char* name) { return Find<QLabel>(window, name)->text(); }

// The controls of `window` that Tab reaches but a screen reader cannot name
// (their object or class names).
inline QStringList UnnamedFocusable(const QWidget& window) {
  QStringList unnamed;
  for (QWidget* widget : window.findChildren<QWidget*>()) {
    // A widget whose focus goes to another (a scroll area's viewport) is no stop of its own.
    if (!(widget->focusPolicy() & Qt::TabFocus) || widget->focusProxy() || !widget->isVisibleTo(&window)) continue;
    QAccessibleInterface* node = QAccessible::queryAccessibleInterface(widget);
    if (node == nullptr || node->text(QAccessible::Name).trimmed().isEmpty()) {
      unnamed << (widget->objectName().isEmpty() ? QLatin1String(widget->metaObject()->className())
                                                 : widget->objectName());
    }
  }
  return unnamed;
}

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

// The status line's texts as the group's pumps show them: looked at on
// every pump (a zero timer runs at each), each change kept in its order and
// told to `onText` in the same look. A wait is made of pumps, so a text shown
// while the group waits is always seen, and acted on, before the wait ends.
class StatusAtPumps {
 public:
  explicit StatusAtPumps(const QLabel& line) : line_(line), last_(line.text()) {
    QObject::connect(&look_, &QTimer::timeout, [this] { Look(); });
    look_.start(0);
  }
  // A look of the test's own, once the group is done.
  void Look() {
    const QString text = line_.text();
    if (text == last_) return;
    last_ = text;
    texts << text;
    if (onText) onText(text);
  }

  QStringList texts;  // the changes since it began, or since cleared
  std::function<void(const QString&)> onText;

 private:
  const QLabel& line_;
  QString last_;
  QTimer look_;
};

// Tenths shown by a result label (" 12.3sec" gives 123).
inline int Tenths(const QString& shown) {
  QString digits = shown.trimmed();
  digits.chop(3);
  return qRound(digits.toDouble() * 10);
}

}  // namespace torvik::testing
