#include "core/page/SvgElements.h"

#include <algorithm>
#include <cmath>
#include <initializer_list>

#include "core/base/PrintableText.h"

namespace torvik {
namespace {

// Whether every coordinate is a number: an element with one that is not
// (NaN, an infinity) is left out rather than written as x="nan".
bool AllFinite(std::initializer_list<double> values) {
  return std::all_of(values.begin(), values.end(), [](double v) { return std::isfinite(v); });
}

}  // namespace

QString SvgOpen(int height, const QString& title) {
  return QStringLiteral(
             "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"%1\" height=\"%2\" viewBox=\"0 0 %1 %2\" "
             "font-family=\"sans-serif\" font-size=\"11\" role=\"img\" aria-label=\"%3\">")
      .arg(kChartWidth)
      .arg(height)
      .arg(PrintableText(title).toHtmlEscaped());
}

QString SvgClose() { return QStringLiteral("</svg>"); }

QString SvgText(double x, double y, const QString& text, const QString& extra) {
  if (!AllFinite({x, y})) return {};
  return QStringLiteral("<text x=\"%1\" y=\"%2\"%3>%4</text>")
      .arg(std::lround(x))
      .arg(std::lround(y))
      .arg(extra.isEmpty() ? QString() : u' ' + extra, PrintableText(text).toHtmlEscaped());
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

QString Elided(const QString& text, int most) {
  return text.size() <= most ? text : text.left(most - 1) + QChar(0x2026);
}

double AxisEnd(double value) {
  if (!(value > 0) || !std::isfinite(value)) return 1;
  const double power = std::pow(10.0, std::floor(std::log10(value)));
  for (double step : {1.0, 2.0, 5.0, 10.0}) {
    if (step * power >= value) return step * power;
  }
  return 10 * power;
}

double TextWidth(const QString& text) {
  double width = 0;
  for (QChar c : text) width += c.unicode() >= 0x2e80 ? 11 : 6.3;
  return width;
}

}  // namespace torvik
