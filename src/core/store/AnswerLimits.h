// How long TORVIK waits on a shared store's server, from the store's URL:
// a statement's silence (no byte for this long: the server or the link is
// gone) is the statement_timeout the server is told (the URL's, in its
// `options`, else TORVIK's 10 s) and a margin for the link, since a server
// may work on a statement that long before its first byte; a slow answer
// (bytes keep coming, the statement has not ended) is given four times
// that. Pure; any thread.
#pragma once

#include <QString>
#include <optional>

namespace torvik {

struct AnswerLimits {
  int silenceMs = 15'000;
  int slowMs = 60'000;
};

// The statement_timeout set in a server's `options` ("-c
// statement_timeout=60000", "-c statement_timeout=1min"), in ms; none when
// it sets none, or sets 0 (no limit), or a value that is no time.
std::optional<int64_t> StatementTimeoutMs(const QString& serverOptions);

// The limits of the store at `url` (a postgresql:// URL).
AnswerLimits AnswerLimitsOf(const QString& url);

}  // namespace torvik
