// Design values (positions, sizes, font heights) are given at 120 pixels per
// inch. On another screen the window font's height is scaled first by
// (screen dpi) / 120, and every other design value then by the ratio of that
// new font height to the design height of 15 px: 12/15 = 0.8 at 96 dpi.
// Also registers the stand-ins for the Windows font faces. GUI thread only.
#pragma once

#include <QFont>
#include <QRect>
#include <QString>

namespace torvik {

class DesignScale {
 public:
  static constexpr int kDesignDpi = 120;
  static constexpr int kDesignFontHeight = 15;

  // Scale for a screen of `dpi` logical dots per inch.
  static DesignScale ForDpi(int dpi);
  // Scale for the primary screen.
  static DesignScale ForScreen();

  // v x new / 15, rounded to the nearest integer (halves away from zero).
  int operator()(int designValue) const;
  QRect Rect(int x, int y, int width, int height) const;
  // A font of `face` whose character height is `designPixels` at 120 dpi.
  QFont Font(const QString& face, int designPixels, bool bold = false, bool italic = false) const;

  int FontHeight() const { return fontHeight_; }

 private:
  explicit DesignScale(int fontHeight) : fontHeight_(fontHeight) {}
  int fontHeight_;
};

// Maps the Windows faces the program names (ＭＳ Ｐゴシック, Times New Roman, ...)
// to metric-compatible free fonts. Call once after the application object exists.
void RegisterFontSubstitutes();

}  // namespace torvik
