// A run's machine facts as values: a finished run's from its record
// (RunFromRecord), an imported sheet's and an old row's read from the texts
// the store has kept since its first version: the
// processor's name without the clock it measured and that clock, memory in
// MB, caches in KB, the screen in pixels, and the date in ISO 8601 (an
// imported sheet's date converted; empty when its format is not known, the
// text staying beside it). Pure; any thread.
#pragma once

#include <QDateTime>
#include <QString>
#include <optional>

#include "core/records/SheetDate.h"

namespace torvik {

// The texts the store has kept since its first version.
struct FactTexts {
  QString started, processor, caches, memory, display;
};

struct FactValues {
  QString startedAt;  // ISO 8601; empty for a date that could not be read
  QString processorName;
  std::optional<double> clockMhz;
  std::optional<int64_t> memoryMb;
  std::optional<int> l1DataKb, l1InstructionKb, l2Kb, l2LineBytes, l2Ways;
  std::optional<int> screenWidth, screenHeight, screenDepth;  // none without a display
  QString displayAdapter;

  // Whether any value is known (a run made by hand, or kept before the
  // store had the values, has none).
  bool Known() const {
    return !startedAt.isEmpty() || !processorName.isEmpty() || clockMhz || memoryMb || l1DataKb || l2Kb ||
           screenWidth || !displayAdapter.isEmpty();
  }
};

FactValues ValuesFromText(const FactTexts& run);

}  // namespace torvik
