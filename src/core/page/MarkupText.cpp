#include "core/page/MarkupText.h"

#include "core/base/PrintableText.h"

namespace torvik {

QString MarkupText(const QString& shown) {
  // Controls, separators and lone surrogates blank, as everywhere else.
  const QString text = PrintableText(shown);
  QString out;
  out.reserve(text.size() + text.size() / 8);
  for (qsizetype i = 0; i < text.size(); ++i) {
    const char16_t c = text[i].unicode();
    if (QChar::isHighSurrogate(c) && i + 1 < text.size() && QChar::isLowSurrogate(text[i + 1].unicode())) {
      out += text[i];
      out += text[++i];
      continue;
    }
    switch (c) {
      case u'&': out += QStringLiteral("&amp;"); continue;
      case u'<': out += QStringLiteral("&lt;"); continue;
      case u'>': out += QStringLiteral("&gt;"); continue;
      case u'"': out += QStringLiteral("&quot;"); continue;
      case u'\'': out += QStringLiteral("&#39;"); continue;
      case u'\t':
      case u'\n':
      case u'\r': out += u' '; continue;
      default: break;
    }
    const bool control = c < 0x20 || (c >= 0x7f && c <= 0x9f);
    const bool forbidden = QChar::isSurrogate(c) || c == 0xfffe || c == 0xffff;
    out += control || forbidden ? QChar(kNotShown) : QChar(c);
  }
  return out;
}

}  // namespace torvik
