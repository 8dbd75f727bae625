// The pieces every chart of the report page is written with, as SVG text:
// the opening tag of a chart 640 px wide with its viewBox, the generic
// "sans-serif" family, and its <title> and <desc> for a screen reader
// (role="img", aria-labelledby naming both); a text, a rectangle and a
// line at coordinates rounded as the charts round them; a text cut to the
// width it may take, its whole in a <title> of its own; a round number for
// an axis's end; about how wide a text is; the block a chart stands in on
// the page; and the inks. Every text passes MarkupText. Pure; any thread.
#pragma once

#include <QString>

namespace torvik {

// Every chart's width in px (96 to the inch, as browsers count them).
inline constexpr int kChartWidth = 640;
// The charts' own font size in px (a text says when it is smaller).
inline constexpr double kChartFontSize = 11;

inline constexpr const char* kInk = "#222";
inline constexpr const char* kFaint = "#999";
inline constexpr const char* kNoiseInk = "#b35900";
inline constexpr const char* kFasterInk = "#1a7f37";
inline constexpr const char* kSlowerInk = "#c62828";

// The opening tag of a chart `height` px high named `title`, `desc` saying
// in a sentence what it shows (role="img", aria-labelledby its <title> and
// <desc>, their ids made from what they say: the same chart, the same
// bytes), and its closing tag.
QString SvgOpen(int height, const QString& title, const QString& desc);
QString SvgClose();

// `text` at (x, y) in whole px, with `extra` attributes.
QString SvgText(double x, double y, const QString& text, const QString& extra = {});
// The same, cut to `width` px at `fontSize` (ElidedToWidth); when it was
// cut, the whole text is the element's <title> (a browser's tooltip, a
// screen reader's name).
QString SvgLabel(double x, double y, const QString& text, double width, double fontSize, const QString& extra = {});
QString SvgRect(double x, double y, double width, double height, const QString& paint);
QString SvgLine(double x1, double y1, double x2, double y2, const QString& paint);

// `text` cut to about `width` px at `fontSize` (TextWidth), an ellipsis
// marking the cut; never inside a surrogate pair.
QString ElidedToWidth(const QString& text, double width, double fontSize = kChartFontSize);

// A round number at or above `value` for an axis's end: 1, 2 or 5 times a
// power of ten.
double AxisEnd(double value);

// Whether the code point `c` takes two columns (East Asian wide and
// full-width characters, emoji); a combining mark takes none.
bool WideCharacter(char32_t c);
// About how wide `text` is at `fontSize` px in a sans-serif face: a wide
// character a full em, another about 0.57 em, a combining mark nothing.
// The layout of a legend and of a label, which no font is measured for.
double TextWidth(const QString& text, double fontSize = kChartFontSize);

// A chart as the page holds it: in a block of its own that keeps the
// chart at its size and scrolls sideways on a narrow screen.
QString ChartBlock(const QString& svg);

}  // namespace torvik
