// The error types that end a running handler, and the texts they show.
// GUI thread.
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
  // What the error box shows: the message with a full stop added when its
  // last character sorts above "." ("ﾃﾞｨｽｸがいっぱいです" gets one,
  // "I/O ｴﾗｰ (5)" does not).
  virtual QString BoxText() const;

 private:
  QString message_;
};

// The program's own refusal to run (an unusable test directory): its box
// shows the text exactly as worded, like the drive check's messages.
class RefusalError : public TorvikError {
 public:
  using TorvikError::TorvikError;
  QString BoxText() const override { return Message(); }
};

// The runtime's input/output error codes that have a text of their own.
inline constexpr int kIoFileNotFound = 2;
inline constexpr int kIoInvalidName = 3;
inline constexpr int kIoTooManyFiles = 4;
inline constexpr int kIoAccessDenied = 5;
inline constexpr int kIoSharingViolation = 32;
inline constexpr int kIoIsAFolder = 21;  // the system's EISDIR, given a text of its own
inline constexpr int kIoFileExists = 80;
inline constexpr int kIoReadPastEnd = 100;
inline constexpr int kIoDiskFull = 101;

// A file that could not be created, opened, written, read or closed.
class IoError : public TorvikError {
 public:
  // `afterOpen`: the file was open (so this program made or held it) when
  // the transfer or the close failed.
  explicit IoError(int code, bool afterOpen = false);
  int Code() const { return code_; }
  bool AfterOpen() const { return afterOpen_; }

 private:
  int code_;
  bool afterOpen_;
};

// The runtime's code for a system error number (ENOSPC gives 101, EACCES
// 5, ...); a number without a code of its own passes through.
int IoCodeOfErrno(int error);
// The message of a runtime code, without the box's full stop: "ﾃﾞｨｽｸが
// いっぱいです", and "I/O ｴﾗｰ (%d)" for a code without a text of its own.
QString IoErrorText(int code);
// "'<name>' のﾃﾞｰﾀ型が不正です": a stored value that is not text.
QString WrongDataTypeText(const QString& name);
// The default error box's rule on any text.
QString WithFullStop(const QString& message);

// Thrown at a message-pumping point when the user closed the window during a
// run: it unwinds the running group so the program can end at once.
struct ExitRequested {};

}  // namespace torvik
