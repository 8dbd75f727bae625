#include "core/store/RunQuery.h"

#include <QStringList>

#include "core/store/SchemaSteps.h"

namespace torvik {
namespace {

// A LIKE pattern matching `part` anywhere, its wildcards taken as text
// (escaped with '!').
QString ContainsPattern(QString part) {
  part.replace(u'!', QStringLiteral("!!")).replace(u'%', QStringLiteral("!%")).replace(u'_', QStringLiteral("!_"));
  return u'%' + part + u'%';
}

}  // namespace

QString IdList(const std::vector<int64_t>& ids) {
  QStringList list;
  for (int64_t id : ids) list << QString::number(id);
  return list.join(u',');
}

QString MachineNameExpression(int version) {
  return version >= kHostNameStep
             ? QStringLiteral("CASE WHEN coalesce(pc_name, '') = '' THEN coalesce(host_name, '') ELSE pc_name END")
             : QStringLiteral("coalesce(pc_name, '')");
}

QString ProcessorModelExpression() {
  return QStringLiteral(
      "CASE WHEN coalesce(processor_name, '') = '' THEN coalesce(processor, '') ELSE processor_name END");
}

QString NewestFirst() { return QStringLiteral("ORDER BY sort_time DESC, id DESC"); }

QString DatedExpression() {
  return QStringLiteral("CASE WHEN origin = 'sheet' AND coalesce(started_at, '') = '' THEN 0 ELSE 1 END");
}

RunCondition RunConditionOf(const RunFilter& filter, const std::optional<RunKey>& after, int version) {
  RunCondition condition;
  QVariantList& values = condition.values;
  QStringList conditions;
  if (filter.pcName) {
    conditions << QStringLiteral("lower(pc_name) = lower(?)");
    values << (filter.pcName->isNull() ? QStringLiteral("") : *filter.pcName);
  }
  if (!filter.processor.isEmpty()) {
    conditions << QStringLiteral("lower(processor) LIKE lower(?) ESCAPE '!'");
    values << ContainsPattern(filter.processor);
  }
  if (!filter.processorName.isEmpty()) {
    conditions << QStringLiteral("processor_name = ?");
    values << filter.processorName;
  }
  if (!filter.machineId.isEmpty()) {
    conditions << QStringLiteral("machine_id = ?");
    values << filter.machineId;
  }
  if (!filter.group.isEmpty()) {
    conditions << QStringLiteral("group_name = ?");
    values << filter.group;
  }
  if (filter.machine) {
    conditions << QStringLiteral("lower(%1) = lower(?)").arg(MachineNameExpression(version));
    values << (filter.machine->isNull() ? QStringLiteral("") : *filter.machine);
  }
  if (filter.from || filter.to) conditions << DatedExpression() + QStringLiteral(" = 1");
  if (filter.from) {
    conditions << QStringLiteral("sort_time >= ?");
    values << qlonglong(*filter.from);
  }
  if (filter.to) {
    conditions << QStringLiteral("sort_time <= ?");
    values << qlonglong(*filter.to);
  }
  if (after) {
    conditions << QStringLiteral("(sort_time, id) < (?, ?)");
    values << qlonglong(after->sortTime) << qlonglong(after->id);
  }
  if (!conditions.isEmpty()) condition.where = QStringLiteral("WHERE ") + conditions.join(QStringLiteral(" AND "));
  return condition;
}

}  // namespace torvik
