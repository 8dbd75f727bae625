#include "ui/RunFilterBar.h"

#include <QCoreApplication>
#include <QHBoxLayout>
#include <QLabel>

#include "core/results/TestCatalogue.h"
#include "ui/PeriodDateEdit.h"

namespace torvik {
namespace {

// The comparison window's texts: the row is part of it.
QString Tr(const char* text) { return QCoreApplication::translate("torvik::ComparisonWindow", text); }

}  // namespace

RunFilterBar::RunFilterBar(QWidget* parent) : QWidget(parent) {
  group_ = new QComboBox;
  group_->setObjectName(QStringLiteral("GroupFilter"));
  group_->addItem(Tr(QT_TRANSLATE_NOOP("torvik::ComparisonWindow", "すべて")), QString());
  for (const GroupEntry& group : kGroups) group_->addItem(QLatin1String(group.caption), QLatin1String(group.id));
  auto* groupLabel = new QLabel(Tr(QT_TRANSLATE_NOOP("torvik::ComparisonWindow", "グループ(&U):")));
  groupLabel->setBuddy(group_);
  machine_ = new QLineEdit;
  machine_->setObjectName(QStringLiteral("MachineFilter"));
  machine_->setPlaceholderText(Tr(QT_TRANSLATE_NOOP("torvik::ComparisonWindow", "すべての PC")));
  machine_->setClearButtonEnabled(true);
  auto* machineLabel = new QLabel(Tr(QT_TRANSLATE_NOOP("torvik::ComparisonWindow", "PC 名(&N):")));
  machineLabel->setBuddy(machine_);
  since_ = new PeriodDateEdit;
  until_ = new PeriodDateEdit;
  auto* sinceLabel = new QLabel(Tr(QT_TRANSLATE_NOOP("torvik::ComparisonWindow", "期間(&F):")));
  sinceLabel->setBuddy(since_);
  for (QDateEdit* day : {since_, until_}) {
    day->setCalendarPopup(true);
    day->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
    day->setMinimumDate(QDate(2000, 1, 1));
    day->setSpecialValueText(Tr(QT_TRANSLATE_NOOP("torvik::ComparisonWindow", "指定なし")));  // the minimum: no bound
    day->setDate(day->minimumDate());
    connect(day, &QDateEdit::editingFinished, this, &RunFilterBar::edited);
  }
  since_->setObjectName(QStringLiteral("Since"));
  until_->setObjectName(QStringLiteral("Until"));
  until_->setAccessibleName(Tr(QT_TRANSLATE_NOOP("torvik::ComparisonWindow", "期間の終わり")));
  auto* row = new QHBoxLayout(this);
  row->setContentsMargins(0, 0, 0, 0);
  for (QWidget* widget : std::initializer_list<QWidget*>{groupLabel, group_, machineLabel, machine_, sinceLabel, since_,
                                                         new QLabel(QStringLiteral("–")), until_}) {
    row->addWidget(widget);
  }
  row->addStretch();
  connect(group_, &QComboBox::activated, this, &RunFilterBar::edited);
  connect(machine_, &QLineEdit::editingFinished, this, &RunFilterBar::edited);
}

RunFilter RunFilterBar::Filter() const {
  RunFilter filter;
  filter.group = group_->currentData().toString();
  if (!machine_->text().trimmed().isEmpty()) filter.machine = machine_->text().trimmed();
  if (since_->date() != since_->minimumDate()) filter.from = since_->date().startOfDay().toSecsSinceEpoch();
  if (until_->date() != until_->minimumDate()) {
    filter.to = until_->date().addDays(1).startOfDay().toSecsSinceEpoch() - 1;
  }
  return filter;
}

}  // namespace torvik
