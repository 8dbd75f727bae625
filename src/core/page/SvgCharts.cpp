#include "core/page/SvgCharts.h"

#include <QCoreApplication>
#include <QDateTime>
#include <algorithm>
#include <cmath>

#include "core/analysis/ChartPalette.h"
#include "core/page/PageTexts.h"
#include "core/page/SvgElements.h"

namespace torvik {
namespace {

// The pieces' short names here.
QString Text(double x, double y, const QString& text, const QString& extra = {}) { return SvgText(x, y, text, extra); }
QString Rect(double x, double y, double width, double height, const QString& paint) {
  return SvgRect(x, y, width, height, paint);
}
QString Line(double x1, double y1, double x2, double y2, const QString& paint) {
  return SvgLine(x1, y1, x2, y2, paint);
}
const QString kSvgClose = SvgClose();

// ---- the comparison's bars ----

constexpr double kLabelRight = 176;  // run labels end here
constexpr double kBarLeft = 182, kBarRight = 420;
constexpr double kValueLeft = 426;
constexpr double kRowHeight = 15, kBarHeight = 10;

QString LegendOfMarks(double y) {
  QString svg;
  double x = 0;
  const QString pale = Tr(QT_TRANSLATE_NOOP("ReportPage", "薄い棒: 誤差の範囲 (差があるとは言えない)"));
  svg += Rect(x, y - 9, 14, 10, QStringLiteral("fill=\"%1\" fill-opacity=\"0.3\" stroke=\"%1\"").arg(kFaint));
  svg += Text(x + 18, y, pale);
  x += 18 + TextWidth(pale) + 16;
  const QString ink = QStringLiteral("stroke=\"%1\"").arg(kInk);
  svg += Line(x, y - 4, x + 20, y - 4, ink) + Line(x, y - 8, x, y, ink) + Line(x + 20, y - 8, x + 20, y, ink);
  const QString spread = Tr(QT_TRANSLATE_NOOP("ReportPage", "±1 標準偏差"));
  svg += Text(x + 26, y, spread);
  x += 26 + TextWidth(spread) + 16;
  svg += Text(x, y, QStringLiteral("!"), QStringLiteral("fill=\"%1\" font-weight=\"bold\"").arg(kNoiseInk));
  svg += Text(x + 8, y, Tr(QT_TRANSLATE_NOOP("ReportPage", "ノイズあり (計測中に他の処理)")));
  return svg;
}

// What the comparison draws, in sentences: per test its fastest and its
// slowest run with their values.
QString ComparisonDesc(const PlannedChart& chart, bool rates) {
  QString desc = Tr(QT_TRANSLATE_NOOP("ReportPage", "%1 の比較: %2 件の計測をテストごとに基準の %3 と比べた棒グラフ。"))
                     .arg(chart.title)
                     .arg(chart.rows.size())
                     .arg(chart.labels.empty() ? QStringLiteral("-") : chart.labels[chart.baseline]);
  for (size_t t = 0; t < chart.tests.size(); ++t) {
    std::optional<size_t> best, worst;
    for (size_t r : chart.rows) {
      const PlannedBar& bar = chart.bars[r][t];
      if (!bar.present) continue;
      // In rates a longer bar is faster; in seconds a shorter one.
      const auto faster = [&](size_t other, double sign) {
        return sign * (rates ? bar.value - chart.bars[other][t].value : chart.bars[other][t].value - bar.value) > 0;
      };
      if (!best || faster(*best, 1)) best = r;
      if (!worst || faster(*worst, -1)) worst = r;
    }
    const TestInfo test = InfoOf(chart.tests[t]);
    if (!best) {
      desc += Tr(QT_TRANSLATE_NOOP("ReportPage", "%1: 値なし。")).arg(test.displayName);
      continue;
    }
    const auto value = [&](size_t r) { return BarValueText(chart.bars[r][t].value, chart.bars[r][t].precise, rates); };
    desc += Tr(QT_TRANSLATE_NOOP("ReportPage", "%1 (%2): 最も速いのは %3 (%4)、最も遅いのは %5 (%6)。"))
                .arg(test.displayName,
                     rates ? Tr(QT_TRANSLATE_NOOP("ReportPage", "基準の速度に対する %"))
                           : Tr(QT_TRANSLATE_NOOP("ReportPage", "秒")),
                     chart.labels[*best], value(*best), chart.labels[*worst], value(*worst));
  }
  return desc;
}

}  // namespace

QString ComparisonSvg(const PlannedChart& chart, bool rates) {
  const std::vector<size_t>& shown = chart.rows;
  const size_t runs = shown.size();
  const double top = AxisEnd(std::max(chart.top, rates ? 100.0 : 0.0) * 1.02);
  const auto x = [top](double value) {
    return kBarLeft + (kBarRight - kBarLeft) * (std::isfinite(value) ? std::clamp(value / top, 0.0, 1.0) : 0.0);
  };
  const double legendBottom = 16;
  const double blockHeight = 18 + kRowHeight * static_cast<double>(runs) + 6;
  const double axisTop = legendBottom + 8;
  const int height = static_cast<int>(std::ceil(axisTop + blockHeight * static_cast<double>(chart.tests.size()) + 18));

  QString svg = SvgOpen(height, chart.title, ComparisonDesc(chart, rates));
  svg += LegendOfMarks(legendBottom - 4);
  double y = axisTop;
  for (size_t t = 0; t < chart.tests.size(); ++t) {
    const TestInfo test = InfoOf(chart.tests[t]);
    const QString heading =
        rates ? Tr(QT_TRANSLATE_NOOP("ReportPage", "%1 (%2, 基準に対する %)")).arg(test.displayName, test.unit)
              : Tr(QT_TRANSLATE_NOOP("ReportPage", "%1 (秒)")).arg(test.displayName);
    svg += Text(0, y + 12, heading, QStringLiteral("font-weight=\"bold\""));
    double row = y + 18 - kRowHeight;
    for (size_t r : shown) {
      row += kRowHeight;
      const PlannedBar& bar = chart.bars[r][t];
      const PlannedCell& cell = chart.cells[r][t];
      const QString colour = QLatin1String(ChartColour(r));
      svg += SvgLabel(kLabelRight, row + 9, chart.labels[r], kLabelRight, 10,
                      QStringLiteral("text-anchor=\"end\" font-size=\"10\""));
      if (!bar.present) {
        svg += Text(kValueLeft, row + 9, Tr(QT_TRANSLATE_NOOP("ReportPage", "なし")),
                    QStringLiteral("fill=\"%1\"").arg(kFaint));
        continue;
      }
      const bool pale = cell.verdict == Verdict::WithinNoise;
      svg += Rect(kBarLeft, row, x(bar.value) - kBarLeft, kBarHeight,
                  pale ? QStringLiteral("fill=\"%1\" fill-opacity=\"0.3\" stroke=\"%1\"").arg(colour)
                       : QStringLiteral("fill=\"%1\"").arg(colour));
      if (bar.precise && bar.spread > 0) {
        const double mid = row + kBarHeight / 2, low = x(bar.value - bar.spread), high = x(bar.value + bar.spread);
        const QString ink = QStringLiteral("stroke=\"%1\"").arg(kInk);
        svg += Line(low, mid, high, mid, ink) + Line(low, mid - 3, low, mid + 3, ink) +
               Line(high, mid - 3, high, mid + 3, ink);
      }
      QString words = BarValueText(bar.value, bar.precise, rates);
      if (r == chart.baseline) {
        words += QStringLiteral("  ") + Tr(QT_TRANSLATE_NOOP("ReportPage", "基準"));
      } else if (cell.percent) {
        words += QStringLiteral("  ") + DifferenceText(*cell.percent, cell.verdict);
      }
      if (!bar.precise) words += QStringLiteral("  ") + Tr(QT_TRANSLATE_NOOP("ReportPage", "0.1秒単位のみ"));
      svg += Text(kValueLeft, row + 9, words, pale ? QStringLiteral("fill=\"#666\"") : QString());
      if (bar.noisy) {
        svg += Text(kBarLeft - 2 + (x(bar.value) - kBarLeft), row + 9, QStringLiteral("!"),
                    QStringLiteral("fill=\"%1\" font-weight=\"bold\" text-anchor=\"end\"").arg(kNoiseInk));
      }
    }
    if (rates) {
      svg += Line(x(100), y + 16, x(100), row + kBarHeight + 2,
                  QStringLiteral("stroke=\"%1\" stroke-dasharray=\"3 2\"").arg(kInk));
    }
    y += blockHeight;
  }
  // The scale under the last block.
  svg += Line(kBarLeft, y, kBarRight, y, QStringLiteral("stroke=\"%1\"").arg(kFaint));
  for (double tick : {0.0, top / 2, top}) {
    svg += Text(x(tick), y + 12,
                rates ? QStringLiteral("%1 %").arg(tick, 0, 'g', 4) : QStringLiteral("%1 s").arg(tick, 0, 'g', 4),
                QStringLiteral("text-anchor=\"middle\" font-size=\"10\" fill=\"#555\""));
  }
  return svg + kSvgClose;
}

// ---- the ranking ----

QString RankingSvg(const MachineRanking& ranking) {
  constexpr double kLeft = 186, kRight = 500, kRow = 16;
  double low = 0, high = 0;
  for (const RankedMachine& machine : ranking.machines) {
    if (machine.overall) low = std::min(low, *machine.overall), high = std::max(high, *machine.overall);
  }
  const double span = std::max(high - low, 1.0);
  low -= span * 0.02, high += span * 0.02;
  const auto x = [&](double value) { return kLeft + (kRight - kLeft) * (value - low) / (high - low); };
  const double top = 20;
  const int height = static_cast<int>(top + kRow * static_cast<double>(ranking.machines.size()) + 20);
  // The fastest and the slowest by the overall figure, for the words.
  const RankedMachine* best = nullptr;
  const RankedMachine* worst = nullptr;
  for (const RankedMachine& machine : ranking.machines) {
    if (!machine.overall) continue;
    if (best == nullptr || *machine.overall > *best->overall) best = &machine;
    if (worst == nullptr || *machine.overall < *worst->overall) worst = &machine;
  }
  const QString baseName =
      ranking.machines.empty() ? QStringLiteral("-") : MachineName(ranking.machines[ranking.baseline].machine);
  QString desc =
      Tr(QT_TRANSLATE_NOOP(
             "ReportPage",
             "%1 のランキング: %2 台のマシンの総合の値を基準の %3 と比べた棒グラフ (何 % 速いか、+ が速い)。"))
          .arg(ranking.group)
          .arg(ranking.machines.size())
          .arg(baseName);
  if (best != nullptr) {
    desc += Tr(QT_TRANSLATE_NOOP("ReportPage", "最も速いのは %1 (%2)、最も遅いのは %3 (%4)。"))
                .arg(MachineName(best->machine), FasterText(*best->overall), MachineName(worst->machine),
                     FasterText(*worst->overall));
  }
  QString svg = SvgOpen(height, ranking.group, desc);
  svg += Text(0, 12, Tr(QT_TRANSLATE_NOOP("ReportPage", "総合: 基準のマシンに対して何 % 速いか (+ が速い)")),
              QStringLiteral("font-weight=\"bold\""));
  double y = top;
  for (size_t place = 0; place < ranking.machines.size(); ++place, y += kRow) {
    const RankedMachine& machine = ranking.machines[place];
    const bool baseline = place == ranking.baseline;
    // Bold is a little wider: the baseline's name gets a little less room.
    const QString name = QStringLiteral("%1. %2").arg(place + 1).arg(MachineName(machine.machine));
    svg += SvgLabel(
        kLeft - 6, y + 11, name, baseline ? kLeft - 18 : kLeft - 8, kChartFontSize,
        QStringLiteral("text-anchor=\"end\"%1").arg(baseline ? QStringLiteral(" font-weight=\"bold\"") : QString()));
    QString words;
    if (baseline) {
      svg += Rect(x(0) - 2, y + 2, 4, 11, QStringLiteral("fill=\"%1\"").arg(kInk));
      words = Tr(QT_TRANSLATE_NOOP("ReportPage", "基準"));
    } else if (machine.overall) {
      const double value = *machine.overall;
      svg += Rect(std::min(x(0), x(value)), y + 2, std::abs(x(value) - x(0)), 11,
                  QStringLiteral("fill=\"%1\"").arg(value >= 0 ? ChartColour(0) : ChartColour(1)));
      words = FasterText(value);
    } else {
      words = Tr(QT_TRANSLATE_NOOP("ReportPage", "共通のテストなし"));
    }
    if (!machine.figures.Precise())
      words += QStringLiteral("  ") + Tr(QT_TRANSLATE_NOOP("ReportPage", "0.1秒単位のみ"));
    svg += Text(kRight + 6, y + 11, words);
  }
  svg += Line(x(0), top - 2, x(0), y + 2, QStringLiteral("stroke=\"%1\"").arg(kInk));
  // The ends of the scale, where they are apart from the zero line.
  for (double tick : {low, high}) {
    if (std::abs(tick) < 0.05) continue;
    svg += Text(x(tick), y + 14, FasterText(tick),
                QStringLiteral("text-anchor=\"middle\" font-size=\"10\" fill=\"#555\""));
  }
  return svg + kSvgClose;
}

// ---- the trend ----

namespace {

constexpr double kPanelWidth = 310, kPanelGap = 20, kPanelHeight = 134;
constexpr double kPlotLeft = 48, kPlotTop = 18, kPlotHeight = 84;

QString Day(int64_t time) { return QDateTime::fromSecsSinceEpoch(time).toString(QStringLiteral("yyyy-MM-dd")); }

// A path through `points` in whole px: the first absolute, the rest as
// steps from the one before ("M48 97l4-28 5 16"), which keeps a page of
// many trends small.
QString PathThrough(const std::vector<std::pair<double, double>>& points, bool closed) {
  QString path;
  path.reserve(static_cast<qsizetype>(points.size() * 7 + 8));
  long lastX = 0, lastY = 0;
  for (size_t i = 0; i < points.size(); ++i) {
    const long px = std::lround(points[i].first), py = std::lround(points[i].second);
    if (i == 0) {
      path += u'M' + QString::number(px) + u' ' + QString::number(py) + u'l';
    } else {
      const long dx = px - lastX, dy = py - lastY;
      if (i > 1 && dx >= 0) path += u' ';
      path += QString::number(dx);
      if (dy >= 0) path += u' ';
      path += QString::number(dy);
    }
    lastX = px, lastY = py;
  }
  if (closed) path += u'z';
  return path;
}

// One test's panel with its top left corner at (left, top).
QString TrendPanel(const TrendLine& line, double left, double top) {
  const size_t folded = FoldedPoints(line);
  const std::vector<TrendPoint> points(line.points.begin() + static_cast<std::ptrdiff_t>(folded), line.points.end());
  const auto spread = [](const TrendPoint& p) { return p.precise && p.seconds.count > 1 ? p.seconds.stdev : 0.0; };
  double low = points.front().seconds.mean, high = low;
  for (const TrendPoint& p : points) {
    low = std::min(low, p.seconds.mean - spread(p));
    high = std::max(high, p.seconds.mean + spread(p));
  }
  const double pad = std::max((high - low) * 0.08, std::max(std::abs(high) * 0.005, 1e-6));
  low = std::max(0.0, low - pad), high += pad;
  const double plotRight = left + kPanelWidth - 6, plotLeft = left + kPlotLeft;
  const double plotTop = top + kPlotTop, plotBottom = plotTop + kPlotHeight;
  const auto x = [&](size_t i) {
    return points.size() == 1
               ? (plotLeft + plotRight) / 2
               : plotLeft + (plotRight - plotLeft) * static_cast<double>(i) / static_cast<double>(points.size() - 1);
  };
  const auto y = [&](double seconds) { return plotBottom - kPlotHeight * (seconds - low) / (high - low); };

  QString svg;
  svg += Text(left, top + 11,
              Tr(QT_TRANSLATE_NOOP("ReportPage", "%1 (秒、下ほど速い)")).arg(InfoOf(line.test).displayName),
              QStringLiteral("font-weight=\"bold\""));
  svg += Rect(plotLeft, plotTop, plotRight - plotLeft, kPlotHeight, QStringLiteral("fill=\"none\" stroke=\"#ccc\""));
  const int decimals = high - low < 0.05 ? 4 : high - low < 1 ? 3 : 2;
  svg += QStringLiteral("<g text-anchor=\"end\" font-size=\"10\">") +
         Text(plotLeft - 4, plotTop + 9, QString::number(high, 'f', decimals)) +
         Text(plotLeft - 4, plotBottom, QString::number(low, 'f', decimals)) + QStringLiteral("</g>");
  // The band of one standard deviation, then the means.
  std::vector<std::pair<double, double>> band, means;
  for (size_t i = 0; i < points.size(); ++i) band.emplace_back(x(i), y(points[i].seconds.mean + spread(points[i])));
  for (size_t i = points.size(); i-- > 0;) band.emplace_back(x(i), y(points[i].seconds.mean - spread(points[i])));
  for (size_t i = 0; i < points.size(); ++i) means.emplace_back(x(i), y(points[i].seconds.mean));
  const QString colour = QLatin1String(ChartColour(0));
  if (std::any_of(points.begin(), points.end(), [&](const TrendPoint& p) { return spread(p) > 0; })) {
    svg += QStringLiteral("<path d=\"%1\" fill=\"%2\" fill-opacity=\"0.2\"/>").arg(PathThrough(band, true), colour);
  }
  if (points.size() > 1) {
    svg += QStringLiteral("<path d=\"%1\" fill=\"none\" stroke=\"%2\" stroke-width=\"1.5\"/>")
               .arg(PathThrough(means, false), colour);
  }
  // The marks of each kind in one path: up for less time, down for more,
  // a ring round a noisy series, a grey square on an imported one.
  QString faster, slower, noisy, tenths;
  for (size_t i = 0; i < points.size(); ++i) {
    const TrendPoint& p = points[i];
    const long px = std::lround(x(i)), py = std::lround(y(p.seconds.mean));
    const QString at = u'M' + QString::number(px) + u' ';
    if (points.size() == 1)
      svg += QStringLiteral("<circle cx=\"%1\" cy=\"%2\" r=\"3\" fill=\"%3\"/>").arg(px).arg(py).arg(colour);
    if (p.change == Verdict::Faster) faster += at + QString::number(py - 9) + QStringLiteral("l-4 7h8z");
    if (p.change == Verdict::Slower) slower += at + QString::number(py + 9) + QStringLiteral("l-4-7h8z");
    if (p.noisy)
      noisy +=
          u'M' + QString::number(px - 4) + u' ' + QString::number(py) + QStringLiteral("a4 4 0 1 0 8 0a4 4 0 1 0-8 0");
    if (!p.precise)
      tenths += u'M' + QString::number(px - 2) + u' ' + QString::number(py - 2) + QStringLiteral("h5v5h-5z");
  }
  if (!faster.isEmpty()) svg += QStringLiteral("<path d=\"%1\" fill=\"%2\"/>").arg(faster, QLatin1String(kFasterInk));
  if (!slower.isEmpty()) svg += QStringLiteral("<path d=\"%1\" fill=\"%2\"/>").arg(slower, QLatin1String(kSlowerInk));
  if (!noisy.isEmpty()) {
    svg += QStringLiteral("<path d=\"%1\" fill=\"none\" stroke=\"%2\" stroke-width=\"1.5\"/>")
               .arg(noisy, QLatin1String(kNoiseInk));
  }
  if (!tenths.isEmpty()) svg += QStringLiteral("<path d=\"%1\" fill=\"%2\"/>").arg(tenths, QLatin1String(kFaint));
  svg +=
      QStringLiteral("<g font-size=\"10\" fill=\"#555\">") + Text(plotLeft, plotBottom + 12, Day(points.front().time));
  if (points.size() > 1)
    svg += Text(plotRight, plotBottom + 12, Day(points.back().time), QStringLiteral("text-anchor=\"end\""));
  QString note = Tr(QT_TRANSLATE_NOOP("ReportPage", "%1 シリーズ")).arg(points.size());
  if (folded > 0) {
    note += QStringLiteral(", ") + Tr(QT_TRANSLATE_NOOP("ReportPage", "古い %1 シリーズは省略")).arg(folded);
  }
  svg += Text(plotLeft, plotBottom + 25, note) + QStringLiteral("</g>");
  return svg;
}

}  // namespace

QString TrendSvg(const MachineTrend& trend) {
  std::vector<const TrendLine*> lines;
  for (const TrendLine& line : trend.lines) {
    if (!line.points.empty()) lines.push_back(&line);
  }
  const size_t rows = (lines.size() + 1) / 2;
  const double legend = 18;
  const int height = static_cast<int>(legend + kPanelHeight * static_cast<double>(std::max<size_t>(rows, 1)));
  const QString name = MachineName(MachineOf(trend.machine, trend.processor));
  QString desc = Tr(QT_TRANSLATE_NOOP("ReportPage",
                                      "%1 の %2 の推移: テストごとに、最新のシリーズの平均秒を古い順に結んだ折れ線 "
                                      "(下ほど速い)。"))
                     .arg(name, trend.group);
  for (const TrendLine* line : lines) {
    const size_t folded = FoldedPoints(*line);
    const TrendPoint& first = line->points[folded];
    const TrendPoint& last = line->points.back();
    const auto seconds = [](const TrendPoint& p) { return QString::number(p.seconds.mean, 'f', p.precise ? 4 : 1); };
    desc += Tr(QT_TRANSLATE_NOOP("ReportPage", "%1: %2 シリーズ、%3 秒から %4 秒、最も速い %5 秒、最も遅い %6 秒。"))
                .arg(InfoOf(line->test).displayName, QString::number(line->points.size() - folded), seconds(first),
                     seconds(last),
                     seconds(*std::min_element(
                         line->points.begin() + static_cast<std::ptrdiff_t>(folded), line->points.end(),
                         [](const TrendPoint& a, const TrendPoint& b) { return a.seconds.mean < b.seconds.mean; })),
                     seconds(*std::max_element(
                         line->points.begin() + static_cast<std::ptrdiff_t>(folded), line->points.end(),
                         [](const TrendPoint& a, const TrendPoint& b) { return a.seconds.mean < b.seconds.mean; })));
  }
  QString svg = SvgOpen(height, name + QStringLiteral(", ") + trend.group, desc);
  // The marks, explained once above the panels.
  const QString faster = Tr(QT_TRANSLATE_NOOP("ReportPage", "誤差を超えて速くなった"));
  const QString slower = Tr(QT_TRANSLATE_NOOP("ReportPage", "誤差を超えて遅くなった"));
  const QString noisy = Tr(QT_TRANSLATE_NOOP("ReportPage", "ノイズあり"));
  double x = 4;
  svg += QStringLiteral("<path d=\"M%1 3l-4 7h8z\" fill=\"%2\"/>").arg(x).arg(kFasterInk) + Text(x + 8, 11, faster);
  x += 8 + TextWidth(faster) + 20;
  svg += QStringLiteral("<path d=\"M%1 11l-4-7h8z\" fill=\"%2\"/>").arg(std::lround(x)).arg(kSlowerInk) +
         Text(x + 8, 11, slower);
  x += 8 + TextWidth(slower) + 20;
  svg += QStringLiteral("<circle cx=\"%1\" cy=\"7\" r=\"4\" fill=\"none\" stroke=\"%2\" stroke-width=\"1.5\"/>")
             .arg(std::lround(x))
             .arg(kNoiseInk) +
         Text(x + 8, 11, noisy);
  x += 8 + TextWidth(noisy) + 20;
  svg += Rect(x - 4, 4, 14, 8, QStringLiteral("fill=\"%1\" fill-opacity=\"0.2\"").arg(ChartColour(0))) +
         Text(x + 14, 11, Tr(QT_TRANSLATE_NOOP("ReportPage", "±1 標準偏差")));
  for (size_t i = 0; i < lines.size(); ++i) {
    svg += TrendPanel(*lines[i], static_cast<double>(i % 2) * (kPanelWidth + kPanelGap),
                      legend + static_cast<double>(i / 2) * kPanelHeight);
  }
  return svg + kSvgClose;
}

}  // namespace torvik
