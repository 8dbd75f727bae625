// The error types that end a running handler. GUI thread.
#pragma once

#include <QString>
#include <stdexcept>

namespace torvik {

// A failure that ends the running handler and is shown in the error box with
// its message (an I/O failure, a settings value of the wrong type).
class TorvikError : public std::runtime_error {
 public:
  explicit TorvikError(const QString& message) : std::runtime_error(message.toStdString()), message_(message) {}
  const QString& Message() const { return message_; }

 private:
  QString message_;
};

// Thrown at a message-pumping point when the user closed the window during a
// run: it unwinds the running group so the program can end at once.
struct ExitRequested {};

}  // namespace torvik
