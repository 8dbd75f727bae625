#include "ui/DrawingPlatform.h"

#include <QCoreApplication>
#include <QGuiApplication>

namespace torvik {

QString DrawingFiguresNote() {
  if (!QGuiApplication::platformName().startsWith(QLatin1String("wayland"))) return {};
  return QCoreApplication::translate("DrawingPlatform",
                                     "ネイティブ Wayland "
                                     "では図形ごとにコンポジタがバッファを受け取って返すのを待つため、描画テストの結果"
                                     "はコンポジタによって変わり、X での結果と比べられません。");
}

}  // namespace torvik
