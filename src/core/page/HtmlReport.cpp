#include "core/page/HtmlReport.h"

#include <algorithm>

#include "core/analysis/ChartPalette.h"
#include "core/analysis/FigureWords.h"
#include "core/base/Version.h"
#include "core/page/MarkupText.h"
#include "core/page/PageTexts.h"
#include "core/page/PointSections.h"
#include "core/page/SvgCharts.h"
#include "core/records/RunDate.h"

namespace torvik {
namespace {

const char kStyle[] =
    "body{font-family:sans-serif;color:#222;line-height:1.4;max-width:1000px;margin:16px auto;padding:0 12px}"
    "h1{font-size:1.5em;margin:0 0 4px}h2{font-size:1.25em;border-bottom:1px solid #ccc;margin-top:1.6em}"
    "h3{font-size:1.05em;margin:1.2em 0 4px}"
    "table{border-collapse:collapse;margin:6px 0 12px;font-size:.85em}"
    "th,td{border:1px solid #ccc;padding:2px 6px;text-align:left;vertical-align:top}th{background:#f2f2f2}"
    "caption{text-align:left;color:#555;padding:2px 0}"
    "td.n{text-align:right;white-space:nowrap}.wide{overflow-x:auto}"
    "h1,h2,h3,h4,p,li,caption{overflow-wrap:anywhere}"
    // A table as wide as its cells want, scrolled in its block; a cell of
    // a long name wraps at its width.
    ".wide table{width:max-content}td{max-width:22em;overflow-wrap:anywhere}"
    // A chart keeps its size, and so its text's, and scrolls sideways in
    // its block where the screen is narrower.
    ".chart{overflow-x:auto;margin:6px 0}.chart svg{display:block;max-width:none;height:auto}"
    ".faster{color:#1a7f37}.slower{color:#c62828}.within,.note{color:#666}.noisy{color:#b35900;font-weight:bold}"
    ".sw{display:inline-block;width:10px;height:10px;margin-right:4px}"
    "nav{display:flex;flex-wrap:wrap;gap:4px 14px}"
    "@media (max-width:480px){body{margin:8px auto;padding:0 8px}table{font-size:.8em}}"
    "@media print{*{-webkit-print-color-adjust:exact;print-color-adjust:exact}"
    "body{max-width:none;margin:0;font-size:10pt}nav{display:none}h2,h3{break-after:avoid}"
    "svg,tr{break-inside:avoid}.wide,.chart{overflow:visible}.chart svg{max-width:100%}}";

QString When(int64_t time) { return QDateTime::fromSecsSinceEpoch(time).toString(QStringLiteral("yyyy-MM-dd HH:mm")); }
// A run's time, or "date unknown" for a block whose date could not be placed.
QString WhenOf(const StoredRun& run) { return run.Undated() ? MarkupText(DateUnknownText()) : When(run.sortTime); }
// "値ではないため除外: Prime Calc, ...": a note of the tests left out; nothing without one.
QString NotFiguresNote(const std::vector<QString>& tests) {
  if (tests.empty()) return {};
  QStringList names;
  for (const QString& test : tests) names << InfoOf(test).displayName;
  return QStringLiteral("<br><span class=\"note\">%1</span>")
      .arg(MarkupText(Tr(QT_TRANSLATE_NOOP("ReportPage", "値ではないため除外: %1")).arg(names.join(QStringLiteral(", ")))));
}

// A verdict as words in its colour ("+4.2 % 速い").
QString VerdictCell(const std::optional<double>& percent, Verdict verdict) {
  if (!percent) return QStringLiteral("-");
  const char* kind = verdict == Verdict::Faster        ? "faster"
                     : verdict == Verdict::Slower      ? "slower"
                     : verdict == Verdict::WithinNoise ? "within"
                                                       : "";
  return QStringLiteral("<span class=\"%1\">%2 %3</span>")
      .arg(QLatin1String(kind), FasterText(*percent), MarkupText(VerdictCaption(verdict)));
}

QString NoisyMark(bool noisy) {
  return noisy ? QStringLiteral(" <span class=\"noisy\" title=\"%1\">!</span>")
                     .arg(MarkupText(Tr(QT_TRANSLATE_NOOP("ReportPage", "ノイズあり"))))
               : QString();
}

// A figure in its unit: the rate with its spread, the seconds under it.
QString FigureCell(const Figure& figure, const QString& test) {
  const QString seconds = MarkupText(SecondsText(figure));
  QString cell = figure.rate > 0
                     ? MarkupText(RateWithSpreadText(figure, InfoOf(test).unit)) + QStringLiteral("<br>") + seconds
                     : seconds;
  if (figure.repetitions > 1) cell += QStringLiteral(" (n=%1)").arg(figure.repetitions);
  if (!figure.precise)
    cell += QStringLiteral("<br><span class=\"note\">%1</span>")
                .arg(MarkupText(Tr(QT_TRANSLATE_NOOP("ReportPage", "0.1秒単位のみ"))));
  return cell + NoisyMark(figure.noisy);
}

QString HowToRead() {
  QString html = QStringLiteral("<section id=\"how\"><h2>%1</h2><ul>")
                     .arg(MarkupText(Tr(QT_TRANSLATE_NOOP("ReportPage", "読み方"))));
  for (const char* line : {
           QT_TRANSLATE_NOOP(
               "ReportPage",
               "差はすべて「何 % 速いか」で示します。+ は速い、- は遅いことを表します (秒でも速度でも同じ)。"),
           QT_TRANSLATE_NOOP("ReportPage",
                             "判定は、繰り返し計測したシリーズどうしのウェルチの t 検定 (有意水準 95 %) "
                             "です。「速い」「遅い」は差が誤差を超えていること、「誤差の範囲」は差があるとは言えないこ"
                             "とを表します。"),
           QT_TRANSLATE_NOOP("ReportPage", "1 回だけの計測には散らばりがないため、判定は「未検定」です。"),
           QT_TRANSLATE_NOOP("ReportPage", "± は 1 標準偏差です。n は繰り返しの回数です。"),
           QT_TRANSLATE_NOOP("ReportPage",
                             "「ノイズあり」(!) "
                             "の値は、計測中にほかの処理がプロセッサを使ったか、クロックが変わったもので、遅く出ている"
                             "可能性があります。"),
           QT_TRANSLATE_NOOP(
               "ReportPage",
               "「0.1秒単位のみ」は、結果シートから取り込んだ 0.1 秒単位の値で、散らばりはわかりません。"),
       }) {
    html += QStringLiteral("<li>%1</li>").arg(MarkupText(Tr(line)));
  }
  return html + QStringLiteral("</ul></section>\n");
}

QString Machines(const std::vector<ReportMachine>& machines) {
  QString html = QStringLiteral("<section id=\"machines\"><h2>%1</h2>")
                     .arg(MarkupText(Tr(QT_TRANSLATE_NOOP("ReportPage", "計測したマシン"))));
  if (machines.empty())
    return html + QStringLiteral("<p>%1</p></section>\n")
                      .arg(MarkupText(Tr(QT_TRANSLATE_NOOP("ReportPage", "計測結果はありません。"))));
  html += QStringLiteral("<div class=\"wide\"><table><caption>%1</caption><tr>")
              .arg(MarkupText(Tr(QT_TRANSLATE_NOOP("ReportPage", "計測したマシン"))));
  for (const char* head :
       {QT_TRANSLATE_NOOP("ReportPage", "マシン"), QT_TRANSLATE_NOOP("ReportPage", "プロセッサ"),
        QT_TRANSLATE_NOOP("ReportPage", "メモリ"), QT_TRANSLATE_NOOP("ReportPage", "OS"),
        QT_TRANSLATE_NOOP("ReportPage", "画面"), QT_TRANSLATE_NOOP("ReportPage", "ホスト名"),
        QT_TRANSLATE_NOOP("ReportPage", "計測回数"), QT_TRANSLATE_NOOP("ReportPage", "最新の計測")}) {
    html += QStringLiteral("<th scope=\"col\">%1</th>").arg(MarkupText(Tr(head)));
  }
  html += QStringLiteral("</tr>\n");
  for (const ReportMachine& m : machines) {
    html += QStringLiteral(
                "<tr><td>%1</td><td>%2</td><td>%3</td><td>%4</td><td>%5</td><td>%6</td><td "
                "class=\"n\">%7</td><td>%8</td></tr>\n")
                .arg(MarkupText(m.machine.name.isEmpty() ? QStringLiteral("-") : m.machine.name),
                     MarkupText(m.machine.processor), MarkupText(m.memory), MarkupText(m.os), MarkupText(m.display),
                     MarkupText(m.hostName), QString::number(m.runs),
                     m.dated ? When(m.newest) : MarkupText(DateUnknownText()));
  }
  return html + QStringLiteral("</table></div></section>\n");
}

QString Ranking(const MachineRanking& ranking) {
  const RankedMachine& base = ranking.machines[ranking.baseline];
  QString html =
      QStringLiteral("<h3>%1</h3><p>%2</p>")
          .arg(MarkupText(ranking.group),
               MarkupText(Tr(QT_TRANSLATE_NOOP("ReportPage", "各マシンの最新のシリーズを %1 と比べた結果。速い順。"))
                              .arg(MachineName(base.machine))));
  html += ChartBlock(RankingSvg(ranking));
  if (!ranking.summaries.empty()) {
    html += QStringLiteral("<p>%1</p>")
                .arg(MarkupText(Tr(QT_TRANSLATE_NOOP("ReportPage", "総合は %1 の値です。"))
                                    .arg(SummaryCaption(HeadlineOf(ranking.group)))));
  }
  html +=
      QStringLiteral(
          "<div class=\"wide\"><table><caption>%3</caption><tr><th scope=\"col\">#</th><th scope=\"col\">%1</th><th "
          "scope=\"col\">n</th><th scope=\"col\">%2</th>")
          .arg(MarkupText(Tr(QT_TRANSLATE_NOOP("ReportPage", "マシン"))),
               MarkupText(Tr(QT_TRANSLATE_NOOP("ReportPage", "総合"))),
               MarkupText(Tr(QT_TRANSLATE_NOOP("ReportPage", "%1: 各マシンの最新のシリーズの値")).arg(ranking.group)));
  for (SummaryKind kind : ranking.summaries)
    html += QStringLiteral("<th scope=\"col\">%1</th>").arg(MarkupText(SummaryCaption(kind)));
  for (const QString& test : ranking.tests) {
    html += QStringLiteral("<th scope=\"col\">%1</th>").arg(MarkupText(InfoOf(test).displayName));
  }
  html += QStringLiteral("</tr>\n");
  for (size_t place = 0; place < ranking.machines.size(); ++place) {
    const RankedMachine& machine = ranking.machines[place];
    const bool baseline = place == ranking.baseline;
    html += QStringLiteral(
                "<tr><td class=\"n\">%1</td><td>%2<br><span class=\"note\">%3</span>%6</td><td class=\"n\">%4</td><td "
                "class=\"n\">%5</td>")
                .arg(QString::number(place + 1),
                     MarkupText(machine.machine.name.isEmpty() ? QStringLiteral("-") : machine.machine.name),
                     MarkupText(machine.machine.processor), QString::number(machine.repetitions),
                     baseline          ? MarkupText(Tr(QT_TRANSLATE_NOOP("ReportPage", "基準")))
                     : machine.overall ? FasterText(*machine.overall)
                                       : QStringLiteral("-"),
                     NotFiguresNote(machine.notFigures));
    for (const std::optional<double>& summary : machine.summaries) {
      html += QStringLiteral("<td class=\"n\">%1</td>")
                  .arg(baseline  ? MarkupText(Tr(QT_TRANSLATE_NOOP("ReportPage", "基準")))
                       : summary ? FasterText(*summary)
                                 : QStringLiteral("-"));
    }
    for (size_t j = 0; j < ranking.tests.size(); ++j) {
      const auto found = machine.figures.figures.find(ranking.tests[j]);
      if (found == machine.figures.figures.end()) {
        html += QStringLiteral("<td>-</td>");
        continue;
      }
      const QString verdict = baseline ? MarkupText(Tr(QT_TRANSLATE_NOOP("ReportPage", "基準")))
                                       : VerdictCell(machine.tests[j].fasterPercent, machine.tests[j].verdict);
      html += QStringLiteral("<td class=\"n\">%1<br>%2</td>").arg(FigureCell(found->second, ranking.tests[j]), verdict);
    }
    html += QStringLiteral("</tr>\n");
  }
  return html + QStringLiteral("</table></div>\n");
}

QString Comparison(const ComparisonPlan& plan) {
  QString html = QStringLiteral("<section id=\"comparison\"><h2>%1</h2>")
                     .arg(MarkupText(Tr(QT_TRANSLATE_NOOP("ReportPage", "比較"))));
  if (plan.runs.empty())
    return html + QStringLiteral("<p>%1</p></section>\n")
                      .arg(MarkupText(Tr(QT_TRANSLATE_NOOP("ReportPage", "比べる計測結果はありません。"))));
  html += QStringLiteral("<p>%1</p>")
              .arg(MarkupText(
                  Tr(QT_TRANSLATE_NOOP("ReportPage", "基準: %1。棒は基準の速度に対する割合 (%)、長いほど速い。"))
                      .arg(plan.labels[plan.baseline])));
  if (plan.folded > 0) {
    html += QStringLiteral("<p class=\"note\">%1</p>")
                .arg(MarkupText(
                    Tr(QT_TRANSLATE_NOOP("ReportPage", "ほかの %1 シリーズは省略 (ランキングと推移にあります)。"))
                        .arg(plan.folded)));
  }
  for (const PlannedChart& chart : plan.charts) {
    html += QStringLiteral("<h3>%1</h3>").arg(MarkupText(chart.title));
    html += ChartBlock(ComparisonSvg(chart, plan.rates));
    html += QStringLiteral("<div class=\"wide\"><table><caption>%2</caption><tr><th scope=\"col\">%1</th>")
                .arg(MarkupText(Tr(QT_TRANSLATE_NOOP("ReportPage", "計測"))),
                     MarkupText(Tr(QT_TRANSLATE_NOOP("ReportPage", "%1: 計測ごとの値と判定")).arg(chart.title)));
    for (const QString& test : chart.tests)
      html += QStringLiteral("<th scope=\"col\">%1</th>").arg(MarkupText(InfoOf(test).displayName));
    html += QStringLiteral("</tr>\n");
    for (size_t r = 0; r < chart.cells.size(); ++r) {
      // A run with no figure in this group has no row (as in the chart).
      if (std::none_of(chart.cells[r].begin(), chart.cells[r].end(),
                       [](const PlannedCell& c) { return c.figure.has_value(); })) {
        continue;
      }
      html += QStringLiteral("<tr><td><span class=\"sw\" style=\"background:%1\"></span>%2</td>")
                  .arg(QLatin1String(ChartColour(r)), MarkupText(chart.labels[r]));
      for (size_t t = 0; t < chart.tests.size(); ++t) {
        const PlannedCell& cell = chart.cells[r][t];
        if (!cell.figure) {
          html += QStringLiteral("<td>-</td>");
          continue;
        }
        const QString verdict = r == chart.baseline ? MarkupText(Tr(QT_TRANSLATE_NOOP("ReportPage", "基準")))
                                                    : VerdictCell(cell.percent, cell.verdict);
        html += QStringLiteral("<td class=\"n\">%1<br>%2</td>").arg(FigureCell(*cell.figure, chart.tests[t]), verdict);
      }
      html += QStringLiteral("</tr>\n");
    }
    html += QStringLiteral("</table></div>\n");
  }
  return html + QStringLiteral("</section>\n");
}

QString Trend(const MachineTrend& trend) {
  QString html = QStringLiteral("<h3>%1, %2</h3>")
                     .arg(MarkupText(MachineName(MachineOf(trend.machine, trend.processor))), MarkupText(trend.group));
  html += ChartBlock(TrendSvg(trend));
  if (!trend.notFigures.empty()) html += QStringLiteral("<p>%1</p>").arg(NotFiguresNote(trend.notFigures).mid(4));
  if (trend.undatedRuns > 0) {
    html += QStringLiteral("<p class=\"note\">%1</p>")
                .arg(MarkupText(Tr(QT_TRANSLATE_NOOP("ReportPage", "日付不明の取り込み %1 件は推移に含めていません。"))
                                    .arg(trend.undatedRuns)));
  }
  html += QStringLiteral("<div class=\"wide\"><table><caption>%1</caption><tr>")
              .arg(MarkupText(Tr(QT_TRANSLATE_NOOP("ReportPage", "%1, %2: テストごとの推移"))
                                  .arg(MachineName(MachineOf(trend.machine, trend.processor)), trend.group)));
  for (const char* head :
       {QT_TRANSLATE_NOOP("ReportPage", "テスト"), QT_TRANSLATE_NOOP("ReportPage", "シリーズ"),
        QT_TRANSLATE_NOOP("ReportPage", "最初 (秒)"), QT_TRANSLATE_NOOP("ReportPage", "最新 (秒)"),
        QT_TRANSLATE_NOOP("ReportPage", "最初から"), QT_TRANSLATE_NOOP("ReportPage", "誤差を超えた変化"),
        QT_TRANSLATE_NOOP("ReportPage", "ノイズのあったシリーズ")}) {
    html += QStringLiteral("<th scope=\"col\">%1</th>").arg(MarkupText(Tr(head)));
  }
  html += QStringLiteral("</tr>\n");
  for (const TrendLine& line : trend.lines) {
    if (line.points.empty()) continue;
    const TrendPoint& first = line.points.front();
    const TrendPoint& last = line.points.back();
    const auto secondsOf = [](const TrendPoint& p) {
      QString text = QString::number(p.seconds.mean, 'f', p.precise ? 4 : 1);
      if (p.precise && p.seconds.count > 1) text += QStringLiteral(" ±") + QString::number(p.seconds.stdev, 'f', 4);
      return text + QStringLiteral("<br><span class=\"note\">%1</span>").arg(When(p.time));
    };
    int faster = 0, slower = 0, noisy = 0;
    for (const TrendPoint& p : line.points) {
      faster += p.change == Verdict::Faster;
      slower += p.change == Verdict::Slower;
      noisy += p.noisy;
    }
    const QString overall = line.fasterSinceFirst ? FasterText(*line.fasterSinceFirst) : QStringLiteral("-");
    html += QStringLiteral(
                "<tr><td>%1</td><td class=\"n\">%2</td><td class=\"n\">%3</td><td class=\"n\">%4</td><td "
                "class=\"n\">%5</td><td>%6</td><td class=\"n\">%7</td></tr>\n")
                .arg(MarkupText(InfoOf(line.test).displayName), QString::number(line.points.size()), secondsOf(first),
                     secondsOf(last), overall,
                     MarkupText(Tr(QT_TRANSLATE_NOOP("ReportPage", "速く %1、遅く %2")).arg(faster).arg(slower)),
                     QString::number(noisy));
  }
  return html + QStringLiteral("</table></div>\n");
}

// The noisy figures of the latest series, machine by machine.
QString Noise(const HtmlReportInput& input) {
  QString html =
      QStringLiteral("<section id=\"noise\"><h2>%1</h2><p>%2</p>")
          .arg(MarkupText(Tr(QT_TRANSLATE_NOOP("ReportPage", "ノイズ"))),
               MarkupText(Tr(QT_TRANSLATE_NOOP(
                   "ReportPage",
                   "計測の前後と最中に、ほかの処理がプロセッサを使ったか、クロックが変わったかを調べています。そうした"
                   "値 (!) は実力より遅く出ている可能性があるため、差を読むときは割り引いてください。"))));
  QString rows;
  size_t count = 0;
  for (const MachineRanking& ranking : input.rankings) {
    for (const RankedMachine& machine : ranking.machines) {
      QStringList tests;
      for (const QString& test : ranking.tests) {
        const auto found = machine.figures.figures.find(test);
        if (found != machine.figures.figures.end() && found->second.noisy) tests << InfoOf(test).displayName;
      }
      if (tests.isEmpty()) continue;
      count += static_cast<size_t>(tests.size());
      rows += QStringLiteral("<tr><td>%1</td><td>%2</td><td>%3</td><td>%4</td></tr>\n")
                  .arg(MarkupText(MachineName(machine.machine)), MarkupText(ranking.group),
                       WhenOf(machine.figures.run), MarkupText(tests.join(QStringLiteral(", "))));
    }
  }
  size_t noisyPoints = 0, points = 0;
  for (const MachineTrend& trend : input.trends) {
    for (const TrendLine& line : trend.lines) {
      points += line.points.size();
      for (const TrendPoint& p : line.points) noisyPoints += p.noisy;
    }
  }
  html +=
      QStringLiteral("<p>%1</p>")
          .arg(MarkupText(Tr(QT_TRANSLATE_NOOP("ReportPage",
                                               "最新のシリーズでノイズのあった値: %1。推移の全シリーズでは %2 / %3。"))
                              .arg(count)
                              .arg(noisyPoints)
                              .arg(points)));
  if (!rows.isEmpty()) {
    html += QStringLiteral(
                "<div class=\"wide\"><table><caption>%4</caption><tr><th scope=\"col\">%1</th><th "
                "scope=\"col\">%2</th><th scope=\"col\">%3</th><th scope=\"col\">%4</th></tr>\n")
                .arg(MarkupText(Tr(QT_TRANSLATE_NOOP("ReportPage", "マシン"))),
                     MarkupText(Tr(QT_TRANSLATE_NOOP("ReportPage", "グループ"))),
                     MarkupText(Tr(QT_TRANSLATE_NOOP("ReportPage", "最新の計測"))),
                     MarkupText(Tr(QT_TRANSLATE_NOOP("ReportPage", "ノイズのあったテスト"))));
    html += rows + QStringLiteral("</table></div>\n");
  }
  return html + QStringLiteral("</section>\n");
}

}  // namespace

QByteArray HtmlReport(const HtmlReportInput& input) {
  const QString title = Tr(QT_TRANSLATE_NOOP("ReportPage", "TORVIK 計測結果のレポート"));
  QString html;
  html.reserve(1 << 20);
  html += QStringLiteral(
              "<!DOCTYPE html>\n<html lang=\"%1\">\n<head>\n<meta charset=\"utf-8\">\n"
              "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n"
              "<title>%2</title>\n<style>%3</style>\n</head>\n<body>\n")
              .arg(MarkupText(Tr(QT_TRANSLATE_NOOP("ReportPage", "ja"))), MarkupText(title), QLatin1String(kStyle));
  html += QStringLiteral("<header><h1>%1</h1><p>%2<br>%3<br>%4</p></header>\n")
              .arg(MarkupText(title),
                   MarkupText(Tr(QT_TRANSLATE_NOOP("ReportPage", "作成日時: %1"))
                                  .arg(input.made.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss t")))),
                   MarkupText(Tr(QT_TRANSLATE_NOOP("ReportPage", "計測結果の保存先: %1")).arg(input.store)),
                   MarkupText(
                       Tr(QT_TRANSLATE_NOOP("ReportPage", "対象: %1 (%2 回の計測、%3 台のマシン)"))
                           .arg(input.scope, QString::number(input.runCount), QString::number(input.machines.size()))));
  // The section on the groups of points only where the page has them.
  const bool points = HasPointRankings(input.rankings);
  html += QStringLiteral(
              "<nav><a href=\"#how\">%1</a><a href=\"#machines\">%2</a><a href=\"#ranking\">%3</a>%7"
              "<a href=\"#comparison\">%4</a><a href=\"#trends\">%5</a><a href=\"#noise\">%6</a></nav>\n")
              .arg(MarkupText(Tr(QT_TRANSLATE_NOOP("ReportPage", "読み方"))),
                   MarkupText(Tr(QT_TRANSLATE_NOOP("ReportPage", "計測したマシン"))),
                   MarkupText(Tr(QT_TRANSLATE_NOOP("ReportPage", "ランキング"))),
                   MarkupText(Tr(QT_TRANSLATE_NOOP("ReportPage", "比較"))),
                   MarkupText(Tr(QT_TRANSLATE_NOOP("ReportPage", "推移"))),
                   MarkupText(Tr(QT_TRANSLATE_NOOP("ReportPage", "ノイズ"))),
                   points ? QStringLiteral("<a href=\"#points\">%1</a>")
                                .arg(MarkupText(Tr(QT_TRANSLATE_NOOP("ReportPage", "コア・メモリ・ドライブ"))))
                          : QString());
  html += HowToRead();
  html += Machines(input.machines);
  html += QStringLiteral("<section id=\"ranking\"><h2>%1</h2>\n")
              .arg(MarkupText(Tr(QT_TRANSLATE_NOOP("ReportPage", "ランキング"))));
  for (const MachineRanking& ranking : input.rankings) {
    if (!ranking.machines.empty()) html += Ranking(ranking);
  }
  if (input.rankings.empty()) html += QStringLiteral("<p>-</p>");
  html += QStringLiteral("</section>\n");
  html += PointSections(input.rankings);
  html += Comparison(input.comparison);
  html += QStringLiteral("<section id=\"trends\"><h2>%1</h2>\n")
              .arg(MarkupText(Tr(QT_TRANSLATE_NOOP("ReportPage", "推移"))));
  for (const MachineTrend& trend : input.trends) html += Trend(trend);
  if (input.trends.empty()) html += QStringLiteral("<p>-</p>");
  html += QStringLiteral("</section>\n");
  html += Noise(input);
  html += QStringLiteral("<footer><p class=\"note\">%1</p></footer>\n</body>\n</html>\n")
              .arg(MarkupText(Tr(QT_TRANSLATE_NOOP("ReportPage", "TORVIK %1 で作成")).arg(QLatin1String(kVersion))));
  return html.toUtf8();
}

}  // namespace torvik
