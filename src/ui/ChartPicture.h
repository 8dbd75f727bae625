// The comparison's charts as a picture: a PNG of the chart area as it is
// on the screen, or an SVG a browser shows at the same size (in CSS pixels,
// every font family followed by a generic one), written whole to a file.
// GUI thread only.
#pragma once

#include <QString>
#include <QWidget>

namespace torvik {

// `area` drawn into `path` (SVG for a name ending in .svg, else PNG) with
// `title`; empty, or why it could not be written.
QString SaveChartPicture(QWidget& area, const QString& path, const QString& title);

}  // namespace torvik
