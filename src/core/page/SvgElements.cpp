#include "core/page/SvgElements.h"

#include <QCryptographicHash>
#include <algorithm>
#include <cmath>
#include <initializer_list>

#include "core/page/MarkupText.h"

namespace torvik {
namespace {

// The width of a character that is neither wide nor a mark, in ems.
constexpr double kNarrowEm = 0.573;

// Whether every coordinate is a number: an element with one that is not
// (NaN, an infinity) is left out rather than written as x="nan".
bool AllFinite(std::initializer_list<double> values) {
  return std::all_of(values.begin(), values.end(), [](double v) { return std::isfinite(v); });
}

bool CombiningMark(char32_t c) {
  return (c >= 0x0300 && c <= 0x036f) || (c >= 0x200b && c <= 0x200f) || (c >= 0xfe00 && c <= 0xfe0f) || c == 0x3099 ||
         c == 0x309a || (c >= 0x1f3fb && c <= 0x1f3ff) || (c >= 0xe0100 && c <= 0xe01ef);
}

// Each code point of `text` with where it starts.
template <typename Visit>
void EachCodePoint(const QString& text, Visit visit) {
  for (qsizetype i = 0; i < text.size();) {
    const qsizetype start = i;
    char32_t c = text[i].unicode();
    if (QChar::isHighSurrogate(c) && i + 1 < text.size() && QChar::isLowSurrogate(text[i + 1].unicode())) {
      c = QChar::surrogateToUcs4(text[i], text[i + 1]);
      i += 2;
    } else {
      ++i;
    }
    if (!visit(c, start)) return;
  }
}

double Width(char32_t c, double fontSize) {
  if (CombiningMark(c)) return 0;
  return WideCharacter(c) ? fontSize : fontSize * kNarrowEm;
}

}  // namespace

QString SvgOpen(int height, const QString& title, const QString& desc) {
  // The ids from what the chart says: unique on a page of different
  // charts, and the same for the same chart.
  const QByteArray digest =
      QCryptographicHash::hash((title + QChar(0) + desc).toUtf8(), QCryptographicHash::Sha1).toHex().left(10);
  const QString id = QStringLiteral("chart-") + QLatin1String(digest);
  return QStringLiteral(
             "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"%1\" height=\"%2\" viewBox=\"0 0 %1 %2\" "
             "font-family=\"sans-serif\" font-size=\"11\" role=\"img\" aria-labelledby=\"%3-title %3-desc\">"
             "<title id=\"%3-title\">%4</title><desc id=\"%3-desc\">%5</desc>")
      .arg(kChartWidth)
      .arg(height)
      .arg(id, MarkupText(title), MarkupText(desc));
}

QString SvgClose() { return QStringLiteral("</svg>"); }

QString SvgText(double x, double y, const QString& text, const QString& extra) {
  if (!AllFinite({x, y})) return {};
  return QStringLiteral("<text x=\"%1\" y=\"%2\"%3>%4</text>")
      .arg(std::lround(x))
      .arg(std::lround(y))
      .arg(extra.isEmpty() ? QString() : u' ' + extra, MarkupText(text));
}

QString SvgLabel(double x, double y, const QString& text, double width, double fontSize, const QString& extra) {
  if (!AllFinite({x, y})) return {};
  const QString shown = ElidedToWidth(text, width, fontSize);
  if (shown == text) return SvgText(x, y, text, extra);
  return QStringLiteral("<text x=\"%1\" y=\"%2\"%3><title>%4</title>%5</text>")
      .arg(std::lround(x))
      .arg(std::lround(y))
      .arg(extra.isEmpty() ? QString() : u' ' + extra, MarkupText(text), MarkupText(shown));
}

QString SvgRect(double x, double y, double width, double height, const QString& paint) {
  if (!AllFinite({x, y, width, height})) return {};
  return QStringLiteral("<rect x=\"%1\" y=\"%2\" width=\"%3\" height=\"%4\" %5/>")
      .arg(x, 0, 'f', 1)
      .arg(y, 0, 'f', 1)
      .arg(std::max(width, 0.0), 0, 'f', 1)
      .arg(height, 0, 'f', 1)
      .arg(paint);
}

QString SvgLine(double x1, double y1, double x2, double y2, const QString& paint) {
  if (!AllFinite({x1, y1, x2, y2})) return {};
  return QStringLiteral("<line x1=\"%1\" y1=\"%2\" x2=\"%3\" y2=\"%4\" %5/>")
      .arg(x1, 0, 'f', 1)
      .arg(y1, 0, 'f', 1)
      .arg(x2, 0, 'f', 1)
      .arg(y2, 0, 'f', 1)
      .arg(paint);
}

QString ElidedToWidth(const QString& text, double width, double fontSize) {
  if (TextWidth(text, fontSize) <= width) return text;
  const double room = width - Width(0x2026, fontSize);
  double used = 0;
  qsizetype cut = 0;
  EachCodePoint(text, [&](char32_t c, qsizetype start) {
    used += Width(c, fontSize);
    if (used > room) return false;
    cut = start + (c > 0xffff ? 2 : 1);
    return true;
  });
  return text.left(cut) + QChar(0x2026);
}

double AxisEnd(double value) {
  if (!(value > 0) || !std::isfinite(value)) return 1;
  const double power = std::pow(10.0, std::floor(std::log10(value)));
  for (double step : {1.0, 2.0, 5.0, 10.0}) {
    if (step * power >= value) return step * power;
  }
  return 10 * power;
}

bool WideCharacter(char32_t c) {
  return (c >= 0x1100 && c <= 0x115f) ||    // Hangul jamo
         (c >= 0x2e80 && c <= 0x303e) ||    // CJK radicals, symbols and punctuation
         (c >= 0x3041 && c <= 0x33ff) ||    // kana, CJK compatibility
         (c >= 0x3400 && c <= 0x4dbf) ||    // CJK extension A
         (c >= 0x4e00 && c <= 0x9fff) ||    // CJK ideographs
         (c >= 0xa000 && c <= 0xa4cf) ||    // Yi
         (c >= 0xac00 && c <= 0xd7a3) ||    // Hangul syllables
         (c >= 0xf900 && c <= 0xfaff) ||    // CJK compatibility ideographs
         (c >= 0xfe30 && c <= 0xfe4f) ||    // CJK compatibility forms
         (c >= 0xff00 && c <= 0xff60) ||    // full-width forms
         (c >= 0xffe0 && c <= 0xffe6) ||    // full-width signs
         (c >= 0x2600 && c <= 0x27bf) ||    // symbols and dingbats shown as emoji
         (c >= 0x1f000 && c <= 0x1faff) ||  // emoji, pictographs, playing cards
         (c >= 0x20000 && c <= 0x3fffd);    // CJK extensions B on
}

double TextWidth(const QString& text, double fontSize) {
  double width = 0;
  EachCodePoint(text, [&](char32_t c, qsizetype) {
    width += Width(c, fontSize);
    return true;
  });
  return width;
}

QString ChartBlock(const QString& svg) {
  return QStringLiteral("<div class=\"chart\">") + svg + QStringLiteral("</div>");
}

}  // namespace torvik
