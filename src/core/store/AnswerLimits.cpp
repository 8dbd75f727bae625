#include "core/store/AnswerLimits.h"

#include <QRegularExpression>
#include <QUrl>
#include <QUrlQuery>
#include <algorithm>

namespace torvik {
namespace {

// TORVIK's own statement_timeout (StoreLocation), and the margin for the link.
constexpr int64_t kDefaultStatementMs = 10'000;
constexpr int64_t kLinkMarginMs = 5'000;
// Beyond a day no wait is worth bounding apart from "none".
constexpr int64_t kLongestMs = 86'400'000;

}  // namespace

std::optional<int64_t> StatementTimeoutMs(const QString& serverOptions) {
  // "-c statement_timeout=N", "-cstatement_timeout=N", "--statement_timeout=N";
  // the last one wins, as the server takes them.
  static const QRegularExpression setting(
      QStringLiteral("(?:^|\\s)(?:-c\\s*|--)statement[_-]timeout\\s*=\\s*'?(\\d+)\\s*(ms|s|min|h|d)?'?(?=\\s|$)"));
  std::optional<int64_t> found;
  for (QRegularExpressionMatchIterator i = setting.globalMatch(serverOptions); i.hasNext();) {
    const QRegularExpressionMatch m = i.next();
    bool number = false;
    const qlonglong value = m.captured(1).toLongLong(&number);
    if (!number) continue;
    const QString unit = m.captured(2);
    const int64_t scale = unit == u"s"     ? 1'000
                          : unit == u"min" ? 60'000
                          : unit == u"h"   ? 3'600'000
                          : unit == u"d"   ? 86'400'000
                                           : 1;
    found = std::min<int64_t>(value, kLongestMs) * scale;
  }
  if (!found || *found <= 0) return std::nullopt;
  return std::min(*found, kLongestMs);
}

AnswerLimits AnswerLimitsOf(const QString& url) {
  QString options;
  for (const auto& [key, value] : QUrlQuery(QUrl(url)).queryItems(QUrl::FullyDecoded)) {
    if (key == u"options") options = value;
  }
  const int64_t statement = StatementTimeoutMs(options).value_or(kDefaultStatementMs);
  const int64_t silence = std::min(statement + kLinkMarginMs, kLongestMs);
  return {.silenceMs = static_cast<int>(silence), .slowMs = static_cast<int>(std::min(4 * silence, kLongestMs))};
}

}  // namespace torvik
