// The SQL that picks runs, built from a filter without a database: the
// WHERE clause of a RunFilter (and of the key a page of a list goes on
// after) with its values in the order they bind, a list of ids, and the
// expressions that name a run's machine and its processor's model as the
// lists do. The same words serve both dialects. Pure; any thread.
#pragma once

#include <QString>
#include <QVariantList>
#include <cstdint>
#include <optional>
#include <vector>

#include "core/records/RunFilter.h"

namespace torvik {

struct RunCondition {
  QString where;        // "WHERE ... AND ..."; empty for a filter that picks every run
  QVariantList values;  // bound in order
};

// The conditions of `filter`, and `after`, on a store of schema `version`
// (an older one has no host name: its machine is the PC name).
RunCondition RunConditionOf(const RunFilter& filter, const std::optional<RunKey>& after, int version);

// "1,2,3": ids for an IN list (numbers only, nothing from a user's text).
QString IdList(const std::vector<int64_t>& ids);

// A run's machine as lists name it: the PC name, else the host name; and
// its processor's model, else the processor's text.
QString MachineNameExpression(int version);
QString ProcessorModelExpression();

// The newest first, by time and then id: every list's order.
QString NewestFirst();

// 1 for a run whose date is known, 0 for an imported block whose date
// could not be placed (a sheet's run without started_at, whatever its
// sort_time: an older TORVIK gave it the moment of its import): such a
// block is in no date filter and never taken for the latest series while
// its machine has a dated one.
QString DatedExpression();

}  // namespace torvik
