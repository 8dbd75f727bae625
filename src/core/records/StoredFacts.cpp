#include "core/records/StoredFacts.h"

#include <QLocale>
#include <QRegularExpression>

#include "core/machine/MachineFacts.h"

namespace torvik {
namespace {

// The numbers `pattern` captures in `text`, or nothing when it does not match.
std::optional<QRegularExpressionMatch> Match(const QString& pattern, const QString& text) {
  const QRegularExpression expression(pattern);
  const QRegularExpressionMatch match = expression.match(text);
  return match.hasMatch() ? std::optional(match) : std::nullopt;
}

std::optional<int> Int(const QRegularExpressionMatch& match, int group) {
  bool ok = false;
  const int value = match.captured(group).toInt(&ok);
  return ok ? std::optional(value) : std::nullopt;
}

}  // namespace

FactValues ValuesFromText(const FactTexts& run) {
  FactValues v;
  // A run's date is ISO 8601 already; a sheet's in one of the formats the
  // sheets have been written in.
  if (QDateTime::fromString(run.started, Qt::ISODate).isValid()) {
    v.startedAt = run.started;
  } else if (const std::optional<QDateTime> date = SheetDate(run.started)) {
    v.startedAt = date->toString(Qt::ISODate);
  }
  // "AuthenticAMD AMD EPYC 2596.47MHz": the clock is the measurement's.
  if (const auto m = Match(QStringLiteral("^(.*\\S)\\s+(\\d+(?:\\.\\d+)?)MHz$"), run.processor.trimmed())) {
    v.processorName = m->captured(1);
    v.clockMhz = m->captured(2).toDouble();
  } else {
    v.processorName = run.processor.trimmed();
  }
  // "24105MB" (a run), "Free:128MB  Total:3073MB" (a sheet).
  if (const auto m = Match(QStringLiteral("(?:Total:|^)(\\d+)MB$"), run.memory.trimmed())) {
    v.memoryMb = m->captured(1).toLongLong();
  }
  // "L1 32KB/32KB, L2 512KB 64byte 8Way" (a run) or the sheet's lines
  // "On Chip L1  : Data Cache 16KB / Inst Cache 16KB, On Chip L2  : Size
  // 512KB / LineSize 32byte / Associativity 4Way".
  if (const auto m =
          Match(QStringLiteral("L1 (\\d+)KB/(\\d+)KB|Data Cache (\\d+)KB / Inst Cache (\\d+)KB"), run.caches)) {
    const int first = m->captured(1).isEmpty() ? 3 : 1;
    v.l1DataKb = Int(*m, first);
    v.l1InstructionKb = Int(*m, first + 1);
  }
  if (const auto m = Match(QStringLiteral("L2 (\\d+)KB (\\d+)byte (\\d+)Way|"
                                          "Size (\\d+)KB / LineSize (\\d+)byte / Associativity (\\d+)Way"),
                           run.caches)) {
    const int first = m->captured(1).isEmpty() ? 4 : 1;
    v.l2Kb = Int(*m, first);
    v.l2LineBytes = Int(*m, first + 1);
    v.l2Ways = Int(*m, first + 2);
  }
  // "Matrox G400(1920x1200 24BitColor)"; "?(no display)" without a
  // display ("(0x0 0BitColor)" before TORVIK said so).
  if (run.display.trimmed().endsWith(QLatin1String(kNoScreen))) {
    v.displayAdapter = run.display.trimmed().chopped(qsizetype(sizeof kNoScreen) - 1).trimmed();
  } else if (const auto m = Match(QStringLiteral("^(.*)\\((\\d+)x(\\d+) (\\d+)BitColor\\)$"), run.display.trimmed())) {
    v.displayAdapter = m->captured(1).trimmed();
    if (Int(*m, 2).value_or(0) > 0) {
      v.screenWidth = Int(*m, 2);
      v.screenHeight = Int(*m, 3);
      v.screenDepth = Int(*m, 4);
    }
  }
  return v;
}

}  // namespace torvik
