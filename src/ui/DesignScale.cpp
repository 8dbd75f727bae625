#include "ui/DesignScale.h"

#include <QGuiApplication>
#include <QScreen>

namespace torvik {
namespace {

int MulDivRounded(int value, int numerator, int denominator) {
  const int64_t product = int64_t{value} * numerator;
  const int64_t half = denominator / 2;
  return static_cast<int>(product >= 0 ? (product + half) / denominator : (product - half) / denominator);
}

}  // namespace

DesignScale DesignScale::ForDpi(int dpi) { return DesignScale(MulDivRounded(kDesignFontHeight, dpi, kDesignDpi)); }

DesignScale DesignScale::ForScreen() {
  const QScreen* screen = QGuiApplication::primaryScreen();
  const int dpi = screen ? static_cast<int>(std::lround(screen->logicalDotsPerInch())) : 96;
  return ForDpi(dpi);
}

int DesignScale::operator()(int designValue) const {
  return MulDivRounded(designValue, fontHeight_, kDesignFontHeight);
}

QRect DesignScale::Rect(int x, int y, int width, int height) const {
  return QRect((*this)(x), (*this)(y), (*this)(width), (*this)(height));
}

QFont DesignScale::Font(const QString& face, int designPixels, bool bold, bool italic) const {
  QFont font(face);
  font.setPixelSize(std::max(1, (*this)(designPixels)));
  font.setBold(bold);
  font.setItalic(italic);
  return font;
}

void RegisterFontSubstitutes() {
  struct Substitute {
    const char16_t* windowsFace;
    const char* standIn;
  };
  static const Substitute kSubstitutes[] = {
      {u"ＭＳ Ｐゴシック", "IPAPGothic"}, {u"ＭＳ ゴシック", "IPAGothic"},          {u"ＭＳ Ｐ明朝", "IPAPMincho"},
      {u"ＭＳ 明朝", "IPAMincho"},        {u"Times New Roman", "Liberation Serif"}, {u"Arial", "Liberation Sans"},
  };
  for (const Substitute& s : kSubstitutes) {
    QFont::insertSubstitution(QString::fromUtf16(s.windowsFace), QString::fromLatin1(s.standIn));
  }
}

}  // namespace torvik
