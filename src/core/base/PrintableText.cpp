#include "core/base/PrintableText.h"

namespace torvik {
namespace {

bool PrintsAsIs(char32_t point) {
  // The joiners of emoji sequences and of scripts that need them.
  if (point == 0x200C || point == 0x200D) return true;
  switch (QChar::category(point)) {
    case QChar::Other_Control:
    case QChar::Other_Format:
    case QChar::Other_Surrogate:
    case QChar::Separator_Line:
    case QChar::Separator_Paragraph: return false;
    default: return true;
  }
}

}  // namespace

QString PrintableText(const QString& text) {
  QString printable = text;
  const qsizetype size = printable.size();
  for (qsizetype i = 0; i < size; ++i) {
    const QChar c = printable.at(i);
    if (c.isHighSurrogate() && i + 1 < size && printable.at(i + 1).isLowSurrogate()) {
      const char32_t point = QChar::surrogateToUcs4(c, printable.at(i + 1));
      if (!PrintsAsIs(point)) printable[i] = printable[i + 1] = u' ';
      ++i;
      continue;
    }
    // A lone surrogate's category is Other_Surrogate: a blank.
    if (!PrintsAsIs(c.unicode())) printable[i] = u' ';
  }
  return printable;
}

}  // namespace torvik
