// Helpers of the window tests: a quick processor, the main window composed
// as the program composes it, finding controls by name, answering message
// boxes, reading times back from labels.
#pragma once

#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QtTest>
#include <memory>

#include "FakeProcessor.h"
#include "StorageFakes.h"
#include "ui/MainWindow.h"
#include "ui/ScreenSize.h"
#include "ui/StageDrawing.h"

namespace torvik::testing {

// A Pentium III without a time-stamp counter: the window builds at once
// instead of spending two seconds measuring the clock.
inline const FakeProcessor& QuickProcessor() {
  static const FakeProcessor processor = FakeProcessor::WithLeaf1("GenuineIntel", 0x683);
  return processor;
}

// The main window as the program composes it: the machine's components on
// `processor`, its run session with settings in memory and `rules` (by
// default any folder counts as a fixed disk), a results store in a folder
// of its own, and the drawing tests on the window's stage.
class ComposedWindow {
 public:
  explicit ComposedWindow(const platform::ProcessorProbe& processor = QuickProcessor(),
                          std::unique_ptr<TestPathRules> rules = std::make_unique<AnyDiskRules>())
      : ownSettings_(std::make_unique<MemorySettings>()),
        settings(*ownSettings_),
        store(storeFolder_.path() + QStringLiteral("/results.sqlite")),
        machine(processor, platform::SystemSources::Default(), ScreenFactsOf(QGuiApplication::primaryScreen()),
                QGuiApplication::platformName()),
        window(machine),
        session(window, std::move(ownSettings_), std::move(rules), machine, &store),
        drawing(window, session.State()) {
    session.SetDrawingWorkloads(&drawing);
    window.SetSession(session);
  }

 private:
  std::unique_ptr<MemorySettings> ownSettings_;
  QTemporaryDir storeFolder_;

 public:
  MemorySettings& settings;  // the session's
  ResultStore store;
  MachineComponents machine;
  MainWindow window;
  BenchSession session;
  StageDrawing drawing;
};

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
