#include "ui/DrawingPlatform.h"

#include <QCoreApplication>
#include <QGuiApplication>

namespace torvik {

QString DrawingFiguresNote() {
  if (!QGuiApplication::platformName().startsWith(QLatin1String("wayland"))) return {};
  return QCoreApplication::translate(
      "DrawingPlatform",
      "ネイティブ Wayland では図形ごとに周りが白く塗られ、コンポジタも待つため、描画テストの結果は X での結果と比べられません。");
}

}  // namespace torvik
