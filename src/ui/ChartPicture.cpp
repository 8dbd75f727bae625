#include "ui/ChartPicture.h"

#include <QBuffer>
#include <QPainter>
#include <QRegularExpression>
#include <QSvgGenerator>

#include "core/report/OutputFile.h"

namespace torvik {
namespace {

// Qt's SVG as a browser should show it: its size in CSS pixels (Qt gives
// millimetres), and every font family followed by a generic one, so that a
// machine without the window's font draws a sans-serif, not a serif.
QByteArray ForBrowsers(QByteArray svg, const QSize& size) {
  QString text = QString::fromUtf8(svg);
  static const QRegularExpression millimetres(QStringLiteral("(<svg[^>]*?) width=\"[0-9.]+mm\" height=\"[0-9.]+mm\""));
  text.replace(millimetres, QStringLiteral("\\1 width=\"%1px\" height=\"%2px\"").arg(size.width()).arg(size.height()));
  static const QRegularExpression family(QStringLiteral("font-family=\"([^\"]*)\""));
  text.replace(family, QStringLiteral("font-family=\"\\1, sans-serif\""));
  return text.toUtf8();
}

}  // namespace

QString SaveChartPicture(QWidget& area, const QString& path, const QString& title) {
  const bool svg = path.endsWith(QStringLiteral(".svg"), Qt::CaseInsensitive);
  QBuffer bytes;
  bytes.open(QIODevice::WriteOnly);
  if (svg) {
    QSvgGenerator generator;
    generator.setOutputDevice(&bytes);
    generator.setSize(area.size());
    generator.setViewBox(area.rect());
    generator.setResolution(96);
    generator.setTitle(title);
    QPainter painter(&generator);  // ends the picture as the branch ends
    area.render(&painter);
  } else {
    area.grab().toImage().save(&bytes, "PNG");
  }
  return WriteOutput(path, svg ? ForBrowsers(bytes.data(), area.size()) : bytes.data());
}

}  // namespace torvik
