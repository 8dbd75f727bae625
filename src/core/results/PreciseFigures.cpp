#include "core/results/PreciseFigures.h"

#include <cmath>

namespace torvik {
namespace {

constexpr TestMeasure kMeasures[kTestCount] = {
    {"prime", "ops/s", 1},       {"trig", "ops/s", 1},     {"square", "shapes/s", 1}, {"circle", "shapes/s", 1},
    {"triangle", "shapes/s", 1}, {"text", "shapes/s", 1},  {"scroll", "lines/s", 1},  {"memory", "GB/s", 1e9},
    {"write40", "MB/s", 1e6},    {"write50", "MB/s", 1e6}, {"write60", "MB/s", 1e6},  {"read40", "MB/s", 1e6},
    {"read50", "MB/s", 1e6},     {"read60", "MB/s", 1e6},  {"mix", "MB/s", 1e6},
};

QString ThreeDigits(double value, QChar decimalPoint) {
  const int decimals = value >= 100 ? 0 : value >= 10 ? 1 : 2;
  return QString::number(value, 'f', decimals).replace(u'.', decimalPoint);
}

}  // namespace

const TestMeasure& MeasureOf(Test test) { return kMeasures[static_cast<size_t>(test)]; }

int64_t StandardWork(Test test) {
  constexpr int64_t kBlock = 8'192;
  switch (test) {
    case Test::Calc: return 455'189'150;
    case Test::Trig: return 120'000'000;
    case Test::Square:
    case Test::Circle:
    case Test::Triangle:
    case Test::Text: return 200'000;
    case Test::Scroll: return 10'000;
    case Test::Memory: return int64_t{2'048} * 1'044'480;
    case Test::Write1:
    case Test::Read1: return 3 * 5'120 * kBlock;
    case Test::Write2:
    case Test::Read2: return 3 * 6'400 * kBlock;
    case Test::Write3:
    case Test::Read3: return 3 * 7'680 * kBlock;
    case Test::Mix: return 2 * 15'872 * kBlock;
  }
  return 0;
}

std::optional<Test> TestOfId(const QString& id) {
  for (size_t i = 0; i < kTestCount; ++i) {
    if (id == QLatin1String(kMeasures[i].id)) return static_cast<Test>(i);
  }
  return std::nullopt;
}

double RateOf(Test test, const TimingSlot& slot) {
  if (slot.elapsedNs <= 0 || slot.work <= 0) return 0;
  return slot.work / Seconds(slot) / MeasureOf(test).perUnit;
}

QString PreciseSeconds(int64_t nanoseconds, QChar decimalPoint) {
  return QString::number(nanoseconds / 1e9, 'f', 4).replace(u'.', decimalPoint) + QStringLiteral(" s");
}

QString RateText(double rate, const char* unit, QChar decimalPoint) {
  const QString name = QLatin1String(unit);
  if (name.endsWith(QLatin1String("B/s"))) return ThreeDigits(rate, decimalPoint) + u' ' + name;
  const std::pair<double, const char*> prefixes[] = {{1e9, "G "}, {1e6, "M "}, {1e3, "k "}};
  for (const auto& [scale, prefix] : prefixes) {
    if (rate >= scale) return ThreeDigits(rate / scale, decimalPoint) + u' ' + QLatin1String(prefix) + name;
  }
  return ThreeDigits(rate, decimalPoint) + u' ' + name;
}

QString PreciseText(Test test, const TimingSlot& slot, QChar decimalPoint) {
  if (slot.elapsedNs <= 0) return {};
  const QString seconds = PreciseSeconds(slot.elapsedNs, decimalPoint);
  const double rate = RateOf(test, slot);
  if (rate <= 0) return seconds;
  return seconds + QStringLiteral(", ") + RateText(rate, MeasureOf(test).unit, decimalPoint);
}

}  // namespace torvik
