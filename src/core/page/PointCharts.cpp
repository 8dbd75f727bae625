#include "core/page/PointCharts.h"

#include <QCoreApplication>
#include <algorithm>
#include <cmath>
#include <functional>
#include <map>
#include <optional>

#include "core/analysis/ChartPalette.h"
#include "core/page/PageTexts.h"
#include "core/page/SvgElements.h"

namespace torvik {
namespace {

// ---- axes ----

enum class Scale { Linear, Log2, Log10 };

const char* ScaleName(Scale scale) {
  switch (scale) {
    case Scale::Linear: return "linear";
    case Scale::Log2: return "log2";
    case Scale::Log10: break;
  }
  return "log10";
}

struct Axis {
  double low = 0, high = 1;  // the values at the ends
  Scale scale = Scale::Linear;
  std::vector<std::pair<double, QString>> ticks{};

  // Where `value` lies between the ends, 0 to 1 (clamped).
  double Place(double value) const {
    if (!std::isfinite(value)) return 0;
    const double t = scale == Scale::Linear
                         ? (value - low) / (high - low)
                         : (std::log(std::max(value, 1e-300)) - std::log(low)) / (std::log(high) - std::log(low));
    return std::clamp(t, 0.0, 1.0);
  }
};

// Powers of two from `low` to `high` (rounded out), every `step`th labelled by `label`.
Axis PowersOfTwo(double low, double high, int step, const std::function<QString(double)>& label) {
  Axis axis{.scale = Scale::Log2};
  // A figure a hair off a power (a mean of repetitions) takes that power.
  int first = static_cast<int>(std::floor(std::log2(std::max(low, 1e-300)) + 1e-3));
  int last = static_cast<int>(std::ceil(std::log2(std::max(high, 1e-300)) - 1e-3));
  if (last <= first) last = first + 1;
  first -= ((first % step) + step) % step;  // a labelled power at each end
  last += (step - ((last - first) % step)) % step;
  axis.low = std::ldexp(1.0, first), axis.high = std::ldexp(1.0, last);
  for (int power = first; power <= last; power += step) {
    axis.ticks.emplace_back(std::ldexp(1.0, power), label(std::ldexp(1.0, power)));
  }
  return axis;
}

// Powers of ten around `low` to `high`.
Axis PowersOfTen(double low, double high, const std::function<QString(double)>& label) {
  Axis axis{.scale = Scale::Log10};
  int first = static_cast<int>(std::floor(std::log10(std::max(low, 1e-300)) + 1e-3));
  int last = static_cast<int>(std::ceil(std::log10(std::max(high, 1e-300)) - 1e-3));
  if (last <= first) last = first + 1;
  axis.low = std::pow(10.0, first), axis.high = std::pow(10.0, last);
  for (int power = first; power <= last; ++power)
    axis.ticks.emplace_back(std::pow(10.0, power), label(std::pow(10.0, power)));
  return axis;
}

// From zero to a round number at or above `high`, in halves.
Axis FromZero(double high, const std::function<QString(double)>& label) {
  Axis axis{.low = 0, .high = AxisEnd(std::max(high, 1e-9) * 1.02), .scale = Scale::Linear};
  for (double tick : {0.0, axis.high / 2, axis.high}) axis.ticks.emplace_back(tick, label(tick));
  return axis;
}

// A tick's number: whole ones as they are ("10000"), others to four places.
QString Number(double value) {
  return value == std::floor(value) && std::abs(value) < 1e12 ? QString::number(value, 'f', 0)
                                                              : QString::number(value, 'g', 4);
}

// A plot's frame: its box in px and its two axes.
struct Plot {
  double left, top, width, height;
  Axis x, y;
  double X(double value) const { return left + width * x.Place(value); }
  double Y(double value) const { return top + height * (1 - y.Place(value)); }

  // The frame, the grid at the ticks and the ticks' labels, each axis in a
  // group that names its scale.
  QString Frame(const QString& xTitle, const QString& yTitle) const {
    QString svg = SvgRect(left, top, width, height, QStringLiteral("fill=\"none\" stroke=\"#ccc\""));
    svg += QStringLiteral("<g class=\"x-axis %1\" font-size=\"10\" fill=\"#555\" text-anchor=\"middle\">")
               .arg(QLatin1String(ScaleName(x.scale)));
    for (const auto& [value, label] : x.ticks) {
      svg += SvgLine(X(value), top, X(value), top + height, QStringLiteral("stroke=\"#eee\""));
      svg += SvgText(X(value), top + height + 12, label);
    }
    if (!xTitle.isEmpty()) svg += SvgText(left + width / 2, top + height + 26, xTitle);
    svg += QStringLiteral("</g>");
    if (y.ticks.empty()) return svg;  // rows of bars: their names stand at the left
    svg += QStringLiteral("<g class=\"y-axis %1\" font-size=\"10\" fill=\"#555\" text-anchor=\"end\">")
               .arg(QLatin1String(ScaleName(y.scale)));
    for (const auto& [value, label] : y.ticks) {
      svg += SvgLine(left, Y(value), left + width, Y(value), QStringLiteral("stroke=\"#eee\""));
      svg += SvgText(left - 4, Y(value) + 3, label);
    }
    svg += SvgText(left, top - 6, yTitle, QStringLiteral("text-anchor=\"start\"")) + QStringLiteral("</g>");
    return svg;
  }
};

// A line through `points` (value pairs) in `colour`, with a dot at each.
QString Polyline(const Plot& plot, const std::vector<std::pair<double, double>>& points, const QString& paint,
                 const char* colour, bool dots) {
  QString line;
  for (const auto& [x, y] : points) {
    line += QStringLiteral("%1%2,%3")
                .arg(line.isEmpty() ? QString() : QStringLiteral(" "))
                .arg(plot.X(x), 0, 'f', 1)
                .arg(plot.Y(y), 0, 'f', 1);
  }
  QString svg;
  if (points.size() > 1) {
    svg += QStringLiteral("<polyline points=\"%1\" fill=\"none\" %2/>").arg(line, paint);
  }
  if (dots) {
    for (const auto& [x, y] : points) {
      svg += QStringLiteral("<circle cx=\"%1\" cy=\"%2\" r=\"2.5\" fill=\"%3\"/>")
                 .arg(plot.X(x), 0, 'f', 1)
                 .arg(plot.Y(y), 0, 'f', 1)
                 .arg(QLatin1String(colour));
    }
  }
  return svg;
}

// A legend of named colours from (x, y), wrapping at the chart's width;
// where it ends.
double Legend(QString& svg, const std::vector<std::pair<QString, QString>>& entries, double x, double y) {
  const double start = x;
  for (const auto& [whole, paint] : entries) {
    // A name longer than a line is cut to it, whole in its <title>.
    const double room = kChartWidth - start - 16 - 2;
    const QString name = ElidedToWidth(whole, room);
    const double width = 18 + TextWidth(name) + 14;
    if (x + width > kChartWidth && x > start) x = start, y += 15;
    svg += SvgRect(x, y - 8, 12, 8, paint) + SvgLabel(x + 16, y, whole, room, kChartFontSize);
    x += width;
  }
  return y;
}

QString Fill(size_t index) { return QStringLiteral("fill=\"%1\"").arg(QLatin1String(ChartColour(index))); }

// "zstd compress ×1" -> "zstd compress": a workload's name.
QString WorkloadName(const QString& workload) {
  return InfoOf(workload + QStringLiteral(".t1")).displayName.section(QStringLiteral(" ×"), 0, 0);
}

// The cores workloads of a run, in their order.
std::vector<QString> WorkloadsOf(const ComparedRun& run) {
  std::map<int64_t, QString> ordered;
  for (const auto& [test, figure] : run.figures) {
    const TestInfo info = InfoOf(test);
    if (info.group == u"cores" && info.threads > 0) ordered.emplace(info.order / 1'000'000, test.section(u'.', 0, 0));
  }
  std::vector<QString> workloads;
  for (const auto& [order, workload] : ordered) workloads.push_back(workload);
  return workloads;
}

std::vector<const RankedMachine*> Drawn(const MachineRanking& ranking) {
  std::vector<const RankedMachine*> machines;
  for (const RankedMachine& machine : ranking.machines) {
    if (machines.size() < kMostPointMachines) machines.push_back(&machine);
  }
  return machines;
}

QString ThreadsLabel(double threads) { return QString::number(std::lround(threads)); }

// The lowest and highest rate of `rows` among `machines`; (0, 0) for none.
std::pair<double, double> RatesOf(const std::vector<const RankedMachine*>& machines, const std::vector<QString>& rows) {
  double low = 0, high = 0;
  for (const RankedMachine* machine : machines) {
    for (const QString& test : rows) {
      const auto found = machine->figures.figures.find(test);
      if (found == machine->figures.figures.end() || found->second.rate <= 0) continue;
      const double rate = found->second.rate;
      low = low == 0 ? rate : std::min(low, rate), high = std::max(high, rate);
    }
  }
  return {low, high};
}

// A bar per machine for each of `rows`, its rate on `axis` with its value
// beside it, the row's name before it; the machines' colours under them.
QString BarsSvg(const QString& title, const QString& heading, const std::vector<const RankedMachine*>& machines,
                const std::vector<QString>& rows, const Axis& axis, const QString& unit) {
  constexpr double kLabelRight = 176, kBarLeft = 182, kBarWidth = 330, kRow = 12, kGap = 8;
  const double block = kRow * static_cast<double>(machines.size()) + kGap;
  const Plot plot{.left = kBarLeft,
                  .top = 24,
                  .width = kBarWidth,
                  .height = block * static_cast<double>(rows.size()),
                  .x = axis,
                  .y = Axis{}};  // rows, not values
  // The fastest and the slowest bar, for the words.
  struct Bar {
    const RankedMachine* machine = nullptr;
    QString test;
    double rate = 0;
  } best, worst;
  for (const RankedMachine* machine : machines) {
    for (const QString& test : rows) {
      const auto found = machine->figures.figures.find(test);
      if (found == machine->figures.figures.end() || found->second.rate <= 0) continue;
      const double rate = found->second.rate;
      if (best.machine == nullptr || rate > best.rate) best = {machine, test, rate};
      if (worst.machine == nullptr || rate < worst.rate) worst = {machine, test, rate};
    }
  }
  QString desc = Tr(QT_TRANSLATE_NOOP("ReportPage", "%1: %2 台のマシンの %3 行を描いた棒グラフ (%4、長いほど速い)。"))
                     .arg(title)
                     .arg(machines.size())
                     .arg(rows.size())
                     .arg(unit);
  if (best.machine != nullptr) {
    desc +=
        Tr(QT_TRANSLATE_NOOP("ReportPage", "最も速いのは %1 の %2 (%3)、最も遅いのは %4 の %5 (%6)。"))
            .arg(MachineName(best.machine->machine), InfoOf(best.test).displayName, RateInUnitText(best.rate, unit),
                 MachineName(worst.machine->machine), InfoOf(worst.test).displayName, RateInUnitText(worst.rate, unit));
  }
  QString svg = SvgText(0, 12, heading, QStringLiteral("font-weight=\"bold\""));
  svg += plot.Frame({}, {});
  double y = plot.top + kGap / 2;
  for (const QString& test : rows) {
    svg += SvgText(kLabelRight, y + block / 2 - kGap / 2 + 3, InfoOf(test).displayName,
                   QStringLiteral("text-anchor=\"end\" font-size=\"10\""));
    for (size_t m = 0; m < machines.size(); ++m, y += kRow) {
      const auto found = machines[m]->figures.figures.find(test);
      if (found == machines[m]->figures.figures.end() || found->second.rate <= 0) continue;
      const double rate = found->second.rate;
      svg += SvgRect(kBarLeft, y, plot.X(rate) - kBarLeft, kRow - 2, Fill(m));
      svg += SvgText(plot.X(rate) + 4, y + 9, RateInUnitText(rate, unit), QStringLiteral("font-size=\"10\""));
    }
    y += kGap;
  }
  std::vector<std::pair<QString, QString>> legend;
  for (size_t m = 0; m < machines.size(); ++m) legend.emplace_back(MachineName(machines[m]->machine), Fill(m));
  const double end = Legend(svg, legend, 0, plot.top + plot.height + 30);
  return SvgOpen(static_cast<int>(end + 8), title, desc) + svg + SvgClose();
}

}  // namespace

std::vector<std::pair<int, double>> ScalingOf(const ComparedRun& run, const QString& workload) {
  std::vector<std::pair<int, double>> points;
  for (const auto& [test, figure] : run.figures) {
    if (!test.startsWith(workload + u'.')) continue;
    const TestInfo info = InfoOf(test);
    if (info.threads > 0 && figure.rate > 0) points.emplace_back(info.threads, figure.rate);
  }
  std::sort(points.begin(), points.end());
  return points;
}

std::vector<LatencyPoint> LatencyCurveOf(const ComparedRun& run) {
  std::vector<LatencyPoint> curve;
  for (const auto& [test, figure] : run.figures) {
    const TestInfo info = InfoOf(test);
    if (info.group == u"ram" && info.bytes > 0 && figure.rate > 0) curve.push_back({info.bytes, 1e9 / figure.rate});
  }
  std::sort(curve.begin(), curve.end(), [](const LatencyPoint& a, const LatencyPoint& b) { return a.bytes < b.bytes; });
  return curve;
}

std::vector<LatencyLevel> LevelsOf(const ComparedRun& run) { return DetectLatencyLevels(LatencyCurveOf(run)); }

QString ScalingSvg(const ComparedRun& run, const QString& title) {
  std::vector<std::pair<QString, std::vector<std::pair<double, double>>>> lines;
  int most = 2;
  double highest = 2, lowest = 1;  // a workload slower on more threads goes below one
  for (const QString& workload : WorkloadsOf(run)) {
    const std::vector<std::pair<int, double>> points = ScalingOf(run, workload);
    if (points.empty() || points.front().first != 1) continue;  // no rate at one thread to scale by
    std::vector<std::pair<double, double>> relative;
    for (const auto& [threads, rate] : points) {
      relative.emplace_back(threads, rate / points.front().second);
      most = std::max(most, threads);
      highest = std::max(highest, rate / points.front().second);
      lowest = std::min(lowest, rate / points.front().second);
    }
    lines.emplace_back(WorkloadName(workload), std::move(relative));
  }
  const Plot plot{.left = 48,
                  .top = 36,
                  .width = 440,
                  .height = 220,
                  .x = PowersOfTwo(1, most, 1, ThreadsLabel),
                  .y = PowersOfTwo(lowest, std::max<double>(most, highest), 1,
                                   [](double v) { return QStringLiteral("×") + Number(v); })};
  const int height = static_cast<int>(plot.top + plot.height + 40);
  QString desc =
      Tr(QT_TRANSLATE_NOOP("ReportPage",
                           "%1: 各ワークロードの 1 スレッドに対する速度の倍率を 1 から %2 スレッドまで結んだ折れ線 "
                           "(両軸とも対数、理想は ×%2)。"))
          .arg(title)
          .arg(most);
  if (!lines.empty()) {
    const auto gain = [](const auto& line) { return line.second.back().second; };
    const auto [low, high] = std::minmax_element(lines.begin(), lines.end(),
                                                 [&](const auto& a, const auto& b) { return gain(a) < gain(b); });
    desc +=
        Tr(QT_TRANSLATE_NOOP("ReportPage", "最も伸びたのは %1 (×%2)、最も伸びなかったのは %3 (×%4)。"))
            .arg(high->first, QString::number(gain(*high), 'f', 2), low->first, QString::number(gain(*low), 'f', 2));
  }
  QString svg = SvgOpen(height, title, desc);
  svg += SvgText(0, 12, Tr(QT_TRANSLATE_NOOP("ReportPage", "スケーリング: 1 スレッドに対する速度 (両軸とも対数)")),
                 QStringLiteral("font-weight=\"bold\""));
  svg +=
      plot.Frame(Tr(QT_TRANSLATE_NOOP("ReportPage", "スレッド数")), Tr(QT_TRANSLATE_NOOP("ReportPage", "速度の倍率")));
  // The ideal: n threads, n times the rate.
  svg += Polyline(plot, {{1.0, 1.0}, {double(most), double(most)}},
                  QStringLiteral("stroke=\"%1\" stroke-dasharray=\"4 3\"").arg(QLatin1String(kFaint)), kFaint, false);
  std::vector<std::pair<QString, QString>> legend = {{Tr(QT_TRANSLATE_NOOP("ReportPage", "理想 (スレッド数に比例)")),
                                                      QStringLiteral("fill=\"%1\"").arg(QLatin1String(kFaint))}};
  for (size_t i = 0; i < lines.size(); ++i) {
    svg += Polyline(plot, lines[i].second,
                    QStringLiteral("stroke=\"%1\" stroke-width=\"1.5\"").arg(QLatin1String(ChartColour(i))),
                    ChartColour(i), true);
    legend.emplace_back(lines[i].first, Fill(i));
  }
  // The legend at the plot's right, one entry a line.
  double y = plot.top + 8;
  for (const auto& [name, paint] : legend) {
    svg +=
        SvgRect(plot.left + plot.width + 12, y - 8, 12, 8, paint) +
        SvgLabel(plot.left + plot.width + 28, y, name, kChartWidth - (plot.left + plot.width + 28) - 2, kChartFontSize);
    y += 15;
  }
  return svg + SvgClose();
}

QString BandwidthSvg(const MachineRanking& ranking) {
  const std::vector<const RankedMachine*> machines = Drawn(ranking);
  // The kernels at one thread and at all threads, in their order.
  std::map<int64_t, QString> ordered;
  for (const RankedMachine* machine : machines) {
    for (const auto& [test, figure] : machine->figures.figures) {
      const TestInfo info = InfoOf(test);
      if (info.group == u"ram" && info.bytes == 0 && (info.threads == 1 || test.endsWith(u".all")))
        ordered.emplace(info.order, test);
    }
  }
  std::vector<QString> rows;
  for (const auto& [order, test] : ordered) rows.push_back(test);
  const auto [low, high] = RatesOf(machines, rows);
  return BarsSvg(Tr(QT_TRANSLATE_NOOP("ReportPage", "RAM の帯域")),
                 Tr(QT_TRANSLATE_NOOP("ReportPage", "帯域 (STREAM、GB/s、長いほど速い)")), machines, rows,
                 FromZero(high, [](double v) { return Number(v) + QStringLiteral(" GB/s"); }), QStringLiteral("GB/s"));
}

QString LatencySvg(const MachineRanking& ranking) {
  const std::vector<const RankedMachine*> machines = Drawn(ranking);
  double smallest = 4096, largest = 1 << 20, fastest = 10, slowest = 10;
  std::vector<std::vector<LatencyPoint>> curves;
  for (const RankedMachine* machine : machines) {
    curves.push_back(LatencyCurveOf(machine->figures));
    for (const LatencyPoint& p : curves.back()) {
      smallest = std::min<double>(smallest, p.bytes), largest = std::max<double>(largest, p.bytes);
      fastest = std::min(fastest, p.nanoseconds), slowest = std::max(slowest, p.nanoseconds);
    }
  }
  const Plot plot{
      .left = 56,
      .top = 36,
      .width = 560,
      .height = 240,
      .x = PowersOfTwo(smallest, largest, 4, [](double bytes) { return WorkingSetName(static_cast<int64_t>(bytes)); }),
      .y = PowersOfTen(fastest, slowest, [](double ns) { return Number(ns) + QStringLiteral(" ns"); })};
  QString svg;
  svg += SvgText(
      0, 12, Tr(QT_TRANSLATE_NOOP("ReportPage", "レイテンシ: 1 回のロードの時間と作業領域 (両軸とも対数、下ほど速い)")),
      QStringLiteral("font-weight=\"bold\""));
  svg += plot.Frame(Tr(QT_TRANSLATE_NOOP("ReportPage", "作業領域")), Tr(QT_TRANSLATE_NOOP("ReportPage", "ナノ秒")));
  std::vector<std::pair<QString, QString>> legend;
  for (size_t m = 0; m < machines.size(); ++m) {
    std::vector<std::pair<double, double>> points;
    for (const LatencyPoint& p : curves[m]) points.emplace_back(static_cast<double>(p.bytes), p.nanoseconds);
    const QString colour = QLatin1String(ChartColour(m));
    svg +=
        Polyline(plot, points, QStringLiteral("stroke=\"%1\" stroke-width=\"1.5\"").arg(colour), ChartColour(m), false);
    // Each level: its plateau as a band, its size (where the step after
    // it shows it) as a mark with its time.
    svg += QStringLiteral("<g class=\"levels\">");
    for (const LatencyLevel& level : DetectLatencyLevels(curves[m])) {
      const double y = plot.Y(level.nanoseconds);
      svg += SvgLine(plot.X(static_cast<double>(level.firstBytes)), y, plot.X(static_cast<double>(level.lastBytes)), y,
                     QStringLiteral("stroke=\"%1\" stroke-width=\"5\" stroke-opacity=\"0.3\"").arg(colour));
      if (level.sizeBytes) {
        const double at = plot.X(static_cast<double>(*level.sizeBytes));
        svg += SvgLine(at, y - 6, at, y + 6, QStringLiteral("stroke=\"%1\"").arg(colour));
      }
      // Its time at its start, each machine's a line above the one before.
      svg += SvgText(plot.X(static_cast<double>(level.firstBytes)) + 2, y - 5 - 10 * static_cast<double>(m),
                     RateInUnitText(1e9 / level.nanoseconds, QStringLiteral("loads/s")),
                     QStringLiteral("font-size=\"9\" fill=\"%1\"").arg(colour));
    }
    svg += QStringLiteral("</g>");
    legend.emplace_back(MachineName(machines[m]->machine), Fill(m));
  }
  legend.emplace_back(Tr(QT_TRANSLATE_NOOP("ReportPage", "帯: 曲線に見えるレベル、縦線: その大きさ")),
                      QStringLiteral("fill=\"%1\" fill-opacity=\"0.3\"").arg(QLatin1String(kInk)));
  const double end = Legend(svg, legend, 0, plot.top + plot.height + 44);
  // The fastest and the slowest load, for the words.
  struct Load {
    size_t machine = 0;
    LatencyPoint point{};
  };
  std::optional<Load> best, worst;
  for (size_t m = 0; m < curves.size(); ++m) {
    for (const LatencyPoint& p : curves[m]) {
      if (!best || p.nanoseconds < best->point.nanoseconds) best = Load{m, p};
      if (!worst || p.nanoseconds > worst->point.nanoseconds) worst = Load{m, p};
    }
  }
  const QString title = Tr(QT_TRANSLATE_NOOP("ReportPage", "RAM のレイテンシ"));
  QString desc = Tr(QT_TRANSLATE_NOOP("ReportPage",
                                      "%1: %2 台のマシンの 1 回のロードの時間 (ナノ秒) を作業領域ごとに結んだ折れ線 "
                                      "(両軸とも対数、下ほど速い)。"))
                     .arg(title)
                     .arg(machines.size());
  if (best) {
    const auto load = [](double ns) { return RateInUnitText(1e9 / ns, QStringLiteral("loads/s")); };
    desc += Tr(QT_TRANSLATE_NOOP("ReportPage", "最も速いのは %1 の %2 (%3)、最も遅いのは %4 の %5 (%6)。"))
                .arg(MachineName(machines[best->machine]->machine), WorkingSetName(best->point.bytes),
                     load(best->point.nanoseconds), MachineName(machines[worst->machine]->machine),
                     WorkingSetName(worst->point.bytes), load(worst->point.nanoseconds));
  }
  return SvgOpen(static_cast<int>(end + 8), title, desc) + svg + SvgClose();
}

QString DriveSvg(const MachineRanking& ranking) {
  const std::vector<const RankedMachine*> machines = Drawn(ranking);
  std::vector<QString> rows;
  for (const QString& test : ranking.tests) {
    if (InfoOf(test).group == u"drive") rows.push_back(test);
  }
  auto [low, high] = RatesOf(machines, rows);
  if (high <= 0) low = 1, high = 1000;
  return BarsSvg(
      Tr(QT_TRANSLATE_NOOP("ReportPage", "ドライブ")),
      Tr(QT_TRANSLATE_NOOP("ReportPage", "ドライブ (MB/s、対数軸、長いほど速い)")), machines, rows,
      PowersOfTen(std::min(low, high / 10), high, [](double v) { return Number(v) + QStringLiteral(" MB/s"); }),
      QStringLiteral("MB/s"));
}

}  // namespace torvik
