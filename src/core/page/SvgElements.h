// The pieces every chart of the report page is written with, as SVG text:
// the opening tag of a chart 640 px wide with its viewBox, the generic
// "sans-serif" family and its title for a screen reader; a text, a
// rectangle and a line at coordinates rounded as the charts round them;
// a text cut short; a round number for an axis's end; about how wide a
// text is; and the inks. Every text escaped. Pure; any thread.
#pragma once

#include <QString>

namespace torvik {

// Every chart's width in px (96 to the inch, as browsers count them).
inline constexpr int kChartWidth = 640;

inline constexpr const char* kInk = "#222";
inline constexpr const char* kFaint = "#999";
inline constexpr const char* kNoiseInk = "#b35900";
inline constexpr const char* kFasterInk = "#1a7f37";
inline constexpr const char* kSlowerInk = "#c62828";

// The opening tag of a chart `height` px high named `title` (role="img",
// its aria-label), and its closing tag.
QString SvgOpen(int height, const QString& title);
QString SvgClose();

// `text` at (x, y) in whole px, with `extra` attributes.
QString SvgText(double x, double y, const QString& text, const QString& extra = {});
QString SvgRect(double x, double y, double width, double height, const QString& paint);
QString SvgLine(double x1, double y1, double x2, double y2, const QString& paint);

// `text` cut to `most` characters, an ellipsis marking the cut.
QString Elided(const QString& text, int most);

// A round number at or above `value` for an axis's end: 1, 2 or 5 times a
// power of ten.
double AxisEnd(double value);

// About how wide `text` is at 11 px in a sans-serif face: the layout of a
// legend, which no font is measured for.
double TextWidth(const QString& text);

}  // namespace torvik
