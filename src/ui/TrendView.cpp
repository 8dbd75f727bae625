#include "ui/TrendView.h"

#include <QScrollArea>
#include <QVBoxLayout>
#include <algorithm>

#include "core/analysis/ChartPalette.h"
#include "core/analysis/MachineTrend.h"
#include "core/archive/ArchiveReads.h"
#include "ui/ReadingTexts.h"
#include "ui/TrendChart.h"

namespace torvik {
namespace {

using TrendRead = ArchiveResult<std::vector<MachineTrend>>;

QString Hint() { return TrendView::tr("計測を選択すると、その PC の推移 (系列ごとの平均とばらつき) を表示します。"); }

}  // namespace

TrendView::TrendView(BackgroundArchive& archive, QWidget* parent) : QWidget(parent), archive_(archive) {
  message_ = new QLabel(Hint());
  message_->setObjectName(QStringLiteral("TrendMessage"));
  message_->setWordWrap(true);
  charts_ = new QWidget;
  new QVBoxLayout(charts_);
  charts_->layout()->setContentsMargins(0, 0, 0, 0);
  auto* scroll = new QScrollArea;
  scroll->setWidgetResizable(true);
  scroll->setWidget(charts_);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(message_);
  layout->addWidget(scroll, 1);
}

void TrendView::Replace(QWidget* charts) {
  qDeleteAll(charts_->findChildren<QWidget*>(Qt::FindDirectChildrenOnly));
  if (charts != nullptr) charts_->layout()->addWidget(charts);
}

void TrendView::Show(const std::vector<std::vector<StoredRun>>& ticked, const RunFilter& filter) {
  // The machines and groups of the ticked runs, at most a chart's colours.
  std::vector<std::pair<MachineOf, QString>> machines;
  for (const std::vector<StoredRun>& series : ticked) {
    if (series.empty()) continue;
    const std::pair<MachineOf, QString> machine{MachineOf(series.front()), series.front().group};
    if (std::find(machines.begin(), machines.end(), machine) == machines.end() &&
        machines.size() < kChartColours.size()) {
      machines.push_back(machine);
    }
  }
  const int asked = ++asked_;
  if (machines.empty()) {
    message_->setText(Hint());
    return Replace(nullptr);
  }
  message_->setText(texts::Loading());
  archive_.Ask<TrendRead>(
      this, [machines, days = filter](RunArchive& archive) { return TrendOfMachines(archive, machines, days); },
      [this, asked](const TrendRead& read) {
        if (asked != asked_) return;  // ticks changed meanwhile: another read follows
        message_->setText(
            read.Ok() ? tr("選択した計測の PC ごとに、系列 (同じコマンドの繰り返し) の平均と、帯で ±1 標準偏差。"
                           "緑の三角: 前の系列より速く、赤いひし形: 遅く、その差がノイズを超える (ウェルチの t 検定、"
                           "95 %)。赤い輪: 計測中にほかの処理かクロックの変化あり。")
                      : texts::CannotRead() + read.Text());
        Replace(MakeTrendCharts(read.ValueOr({})));
      });
}

}  // namespace torvik
