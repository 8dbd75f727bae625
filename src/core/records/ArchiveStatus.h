// What a job of the results archive gives back: its value, or why it
// failed, as a kind the caller decides by and a text in the user's words.
// The stores, the archive and its jobs all answer this way; nobody keeps a
// failure on an object for a later question, and nobody tells failures
// apart by their words. Plain values; any thread.
#pragma once

#include <QString>
#include <optional>
#include <utility>

namespace torvik {

enum class FailureKind {
  None,         // it worked
  Busy,         // another copy holds the store beyond the wait; tried again later
  Unreachable,  // the server could not be reached, or went away
  NoRights,     // this role may not do it (a shared store's member asked to delete)
  NotTorvik,    // not TORVIK's store, a newer one's, or a location that cannot be used
  TooOld,       // this TORVIK is older than the oldest the shared store takes: it must be updated
  Cancelled,    // the program is ending: the wait was given up
  NotFound,     // a run asked for is not in the store
  File,         // a file to read or write failed
  Failed,       // any other failure of the store or its connection
};

class ArchiveStatus {
 public:
  ArchiveStatus() = default;  // it worked
  static ArchiveStatus Failure(FailureKind kind, QString text) { return ArchiveStatus(kind, std::move(text)); }

  bool Ok() const { return kind_ == FailureKind::None; }
  FailureKind Kind() const { return kind_; }
  // Why, in the user's words (with the store's location); empty when it worked.
  const QString& Text() const { return text_; }

 private:
  ArchiveStatus(FailureKind kind, QString text) : kind_(kind), text_(std::move(text)) {}

  FailureKind kind_ = FailureKind::None;
  QString text_;
};

// A value, or the status of its failure.
template <typename T>
class ArchiveResult {
 public:
  ArchiveResult(T value) : value_(std::move(value)) {}                   // NOLINT: a value converts
  ArchiveResult(ArchiveStatus failure) : status_(std::move(failure)) {}  // NOLINT: so does a failure

  bool Ok() const { return status_.Ok(); }
  const ArchiveStatus& Status() const { return status_; }
  FailureKind Kind() const { return status_.Kind(); }
  const QString& Text() const { return status_.Text(); }
  // The value; only when Ok().
  const T& Value() const& { return *value_; }
  T& Value() & { return *value_; }
  T&& Value() && { return std::move(*value_); }
  // The value, or `fallback` after a failure.
  T ValueOr(T fallback) const { return value_ ? *value_ : std::move(fallback); }

 private:
  std::optional<T> value_;
  ArchiveStatus status_;
};

}  // namespace torvik
