#include "ui/RankingView.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QVBoxLayout>
#include <algorithm>

#include "core/analysis/MachineRanking.h"
#include "core/archive/ArchiveReads.h"
#include "ui/ComparisonChart.h"
#include "ui/RankingTable.h"
#include "ui/ReadingTexts.h"

namespace torvik {
namespace {

using RankingRead = ArchiveResult<MachineRanking>;

// Every machine ranked, by name, for the baseline's choice.
std::vector<MachineOf> MachinesOf(const MachineRanking& ranking) {
  std::vector<MachineOf> machines;
  for (const RankedMachine& machine : ranking.machines) machines.push_back(machine.machine);
  std::sort(machines.begin(), machines.end());
  return machines;
}

}  // namespace

RankingView::RankingView(BackgroundArchive& archive, QWidget* parent) : QWidget(parent), archive_(archive) {
  group_ = new QComboBox;
  group_->setObjectName(QStringLiteral("RankingGroup"));
  for (const GroupEntry& group : kGroups) group_->addItem(QLatin1String(group.caption), QLatin1String(group.id));
  auto* groupLabel = new QLabel(tr("グループ(&J):"));
  groupLabel->setBuddy(group_);
  baseline_ = new QComboBox;
  baseline_->setObjectName(QStringLiteral("RankingBaseline"));
  baseline_->setSizeAdjustPolicy(QComboBox::AdjustToContents);
  auto* baselineLabel = new QLabel(tr("基準マシン(&K):"));
  baselineLabel->setBuddy(baseline_);
  table_ = new QTableWidget;
  table_->setObjectName(QStringLiteral("Ranking"));
  table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  table_->setSelectionBehavior(QAbstractItemView::SelectRows);
  table_->verticalHeader()->hide();
  table_->setAccessibleName(tr("ランキング"));
  message_ = new QLabel;
  message_->setObjectName(QStringLiteral("RankingMessage"));
  message_->setWordWrap(true);
  auto* row = new QHBoxLayout;
  for (QWidget* widget : std::initializer_list<QWidget*>{groupLabel, group_, baselineLabel, baseline_}) {
    row->addWidget(widget);
  }
  row->addStretch();
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addLayout(row);
  layout->addWidget(message_);
  layout->addWidget(table_, 1);
  connect(group_, &QComboBox::activated, this, [this] {
    groupChosen_ = true;
    baseline_->clear();  // another group's machines
    Read();
  });
  connect(baseline_, &QComboBox::activated, this, &RankingView::Read);
}

void RankingView::Show(const RunFilter& filter, const QString& group) {
  filter_ = filter;
  if (!groupChosen_) {
    if (const int index = group_->findData(group); index >= 0) group_->setCurrentIndex(index);
  }
  Read();
}

void RankingView::Read() {
  RunFilter filter = filter_;
  filter.group = group_->currentData().toString();
  const QVariant chosen = baseline_->currentData();
  std::optional<MachineOf> baseline;
  if (chosen.isValid()) baseline = MachineOf(chosen.toStringList().value(0), chosen.toStringList().value(1));
  const int asked = ++asked_;
  message_->setText(texts::Loading());
  archive_.Ask<RankingRead>(
      this, [filter, baseline](RunArchive& archive) { return RankingOf(archive, filter, baseline); },
      [this, asked](const RankingRead& read) {
        if (asked != asked_) return;  // a later choice's read follows
        const MachineRanking ranking = read.ValueOr({});
        ShowRanking(*table_, ranking);
        baseline_->clear();
        for (const MachineOf& machine : MachinesOf(ranking)) {
          baseline_->addItem(QStringLiteral("%1 (%2)").arg(machine.name, machine.processor),
                             QStringList{machine.name, machine.processor});
        }
        if (!ranking.machines.empty()) {
          const MachineOf& base = ranking.machines[ranking.baseline].machine;
          baseline_->setCurrentIndex(baseline_->findData(QStringList{base.name, base.processor}));
        }
        message_->setText(!read.Ok() ? texts::CannotRead() + read.Text()
                          : ranking.unrankedMachines > 0
                              ? tr("承認されたマシンの計測はありません。承認待ち・退役・マシン ID なしのマシン %1 "
                                   "台の計測は、所有者が承認するまで順位に入りません (torvik --machines、--approve)。")
                                    .arg(ranking.unrankedMachines)
                          : ranking.machines.empty() ? tr("このグループの計測はありません。")
                                                     : tr("各マシンの最新の系列を基準マシンと比べ、総合 "
                                                          "(速度の幾何平均) の速い順に並べています。%1")
                                                           .arg(ChartKey()));
      });
}

}  // namespace torvik
