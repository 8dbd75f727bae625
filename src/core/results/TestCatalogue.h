// The catalogue of the tests and of the groups that run them: one row per
// test with every fact the program keeps about it (its storage id, the step
// that runs it, its result label, its sheet line, its names for people, its
// status text, the unit and fixed amount of its work), and one row per
// group (its id, its tests, whether it draws on the screen, whether it uses
// the test directory). The window, the sequencer, the sheet, the JSON, the
// results store and the command line all read these rows; adding a test
// means a row here, its workload and its place in the sequencer's order.
// Constant data; any thread.
#pragma once

#include <QString>
#include <QStringView>
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

namespace torvik {

// The tests, in the order of their result slots.
enum class Test : std::size_t {
  Calc,
  Trig,
  Square,
  Circle,
  Triangle,
  Text,
  Scroll,
  Memory,
  Write1,
  Write2,
  Write3,
  Read1,
  Read2,
  Read3,
  Mix,
};
inline constexpr std::size_t kTestCount = 15;

// The result labels: one per test, in the tests' order, then the total.
enum class ResultLabel : std::size_t {
  KCalc,
  KTrig,
  KSquare,
  KCircle,
  KTriangle,
  KText,
  KScroll,
  KMemory,
  KWrite1,
  KWrite2,
  KWrite3,
  KRead1,
  KRead2,
  KRead3,
  KMix,
  KAll,
};
inline constexpr std::size_t kResultLabelCount = kTestCount + 1;

struct TestEntry {
  Test test;
  const char* id;           // in JSON, CSV and the results store: "prime", "write40", ...
  const char* operation;    // the step that runs it: "PrimeTest", "DiskWrite40", ...
  const char* labelName;    // its result label in the window: "KCalc", ...
  const char* displayName;  // for people, in charts: "Prime calculation", ...
  // Its line on the result sheet, or null for the disk tests, whose times
  // share the "HDD Write" and "HDD Read" lines.
  const char* sheetLine;
  const char* status;  // the status line while it runs in the ALL group
  bool accumulated;    // a disk test: its slot sums the passes of a group
  // Its work and rate: divisions, x87 evaluations, shapes, lines or bytes;
  // the rate's unit and the work in one of it (1e9 bytes to a GB, 1e6 to
  // an MB, else 1: GB and MB are decimal).
  const char* unit;
  double perUnit;
  // The work of one full run (a disk test's three passes): what an imported
  // result, which has only its tenths, is taken to have done.
  int64_t standardWork;
};

namespace catalogue_detail {
inline constexpr int64_t kBlock = 8'192;
}  // namespace catalogue_detail

inline constexpr std::array<TestEntry, kTestCount> kTests = {{
    {.test = Test::Calc,
     .id = "prime",
     .operation = "PrimeTest",
     .labelName = "KCalc",
     .displayName = "Prime calculation",
     .sheetLine = "   Prime  Calc   : ",
     .status = QT_TRANSLATE_NOOP("TestCatalogue", "CPU整数演算能力 計測中！（素数算出）"),
     .accumulated = false,
     .unit = "ops/s",
     .perUnit = 1,
     .standardWork = 455'189'150},
    {.test = Test::Trig,
     .id = "trig",
     .operation = "TrigTest",
     .labelName = "KTrig",
     .displayName = "Trigonometric",
     .sheetLine = "   Trigonometric : ",
     .status = QT_TRANSLATE_NOOP("TestCatalogue", "CPU浮動小数演算能力 計測中！（三角関数算出）"),
     .accumulated = false,
     .unit = "ops/s",
     .perUnit = 1,
     .standardWork = 120'000'000},
    {.test = Test::Square,
     .id = "square",
     .operation = "SquareTest",
     .labelName = "KSquare",
     .displayName = "Square",
     .sheetLine = "   Square        : ",
     .status = QT_TRANSLATE_NOOP("TestCatalogue", "２Ｄグラフィック能力 計測中！（四角形描画）"),
     .accumulated = false,
     .unit = "shapes/s",
     .perUnit = 1,
     .standardWork = 200'000},
    {.test = Test::Circle,
     .id = "circle",
     .operation = "CircleTest",
     .labelName = "KCircle",
     .displayName = "Circle",
     .sheetLine = "   Circle        : ",
     .status = QT_TRANSLATE_NOOP("TestCatalogue", "２Ｄグラフィック能力 計測中！（円描画）"),
     .accumulated = false,
     .unit = "shapes/s",
     .perUnit = 1,
     .standardWork = 200'000},
    {.test = Test::Triangle,
     .id = "triangle",
     .operation = "TriangleTest",
     .labelName = "KTriangle",
     .displayName = "Triangle",
     .sheetLine = "   Triangle      : ",
     .status = QT_TRANSLATE_NOOP("TestCatalogue", "２Ｄグラフィック能力 計測中！（三角形描画）"),
     .accumulated = false,
     .unit = "shapes/s",
     .perUnit = 1,
     .standardWork = 200'000},
    {.test = Test::Text,
     .id = "text",
     .operation = "TextTest",
     .labelName = "KText",
     .displayName = "Text",
     .sheetLine = "   Text          : ",
     .status = QT_TRANSLATE_NOOP("TestCatalogue", "２Ｄグラフィック能力 計測中！（テキスト描画）"),
     .accumulated = false,
     .unit = "shapes/s",
     .perUnit = 1,
     .standardWork = 200'000},
    {.test = Test::Scroll,
     .id = "scroll",
     .operation = "ScrollTest",
     .labelName = "KScroll",
     .displayName = "Scroll",
     .sheetLine = "   Scroll        : ",
     .status = QT_TRANSLATE_NOOP("TestCatalogue", "２Ｄグラフィック能力 計測中！（スクロール描画）"),
     .accumulated = false,
     .unit = "lines/s",
     .perUnit = 1,
     .standardWork = 10'000},
    {.test = Test::Memory,
     .id = "memory",
     .operation = "MemoryCopyTest",
     .labelName = "KMemory",
     .displayName = "Memory copy",
     .sheetLine = "   Memory Copy   : ",
     .status = QT_TRANSLATE_NOOP("TestCatalogue", "メモリ転送能力 計測中！（１ＭＢを２ＧＢ分転送）"),
     .accumulated = false,
     .unit = "GB/s",
     .perUnit = 1e9,
     .standardWork = int64_t{2'048} * 1'044'480},
    {.test = Test::Write1,
     .id = "write40",
     .operation = "DiskWrite40",
     .labelName = "KWrite1",
     .displayName = "HDD write 40 MB",
     .sheetLine = nullptr,
     .status = QT_TRANSLATE_NOOP("TestCatalogue", "ＨＤＤ書き込み能力 計測中！（８ＫＢを４０ＭＢ分）"),
     .accumulated = true,
     .unit = "MB/s",
     .perUnit = 1e6,
     .standardWork = 3 * 5'120 * catalogue_detail::kBlock},
    {.test = Test::Write2,
     .id = "write50",
     .operation = "DiskWrite50",
     .labelName = "KWrite2",
     .displayName = "HDD write 50 MB",
     .sheetLine = nullptr,
     .status = QT_TRANSLATE_NOOP("TestCatalogue", "ＨＤＤ書き込み能力 計測中！（８ＫＢを５０ＭＢ分）"),
     .accumulated = true,
     .unit = "MB/s",
     .perUnit = 1e6,
     .standardWork = 3 * 6'400 * catalogue_detail::kBlock},
    {.test = Test::Write3,
     .id = "write60",
     .operation = "DiskWrite60",
     .labelName = "KWrite3",
     .displayName = "HDD write 60 MB",
     .sheetLine = nullptr,
     .status = QT_TRANSLATE_NOOP("TestCatalogue", "ＨＤＤ書き込み能力 計測中！（８ＫＢを６０ＭＢ分）"),
     .accumulated = true,
     .unit = "MB/s",
     .perUnit = 1e6,
     .standardWork = 3 * 7'680 * catalogue_detail::kBlock},
    {.test = Test::Read1,
     .id = "read40",
     .operation = "DiskRead40",
     .labelName = "KRead1",
     .displayName = "HDD read 40 MB",
     .sheetLine = nullptr,
     .status = QT_TRANSLATE_NOOP("TestCatalogue", "ＨＤＤ読み込み能力 計測中！（８ＫＢを４０ＭＢ分）"),
     .accumulated = true,
     .unit = "MB/s",
     .perUnit = 1e6,
     .standardWork = 3 * 5'120 * catalogue_detail::kBlock},
    {.test = Test::Read2,
     .id = "read50",
     .operation = "DiskRead50",
     .labelName = "KRead2",
     .displayName = "HDD read 50 MB",
     .sheetLine = nullptr,
     .status = QT_TRANSLATE_NOOP("TestCatalogue", "ＨＤＤ読み込み能力 計測中！（８ＫＢを５０ＭＢ分）"),
     .accumulated = true,
     .unit = "MB/s",
     .perUnit = 1e6,
     .standardWork = 3 * 6'400 * catalogue_detail::kBlock},
    {.test = Test::Read3,
     .id = "read60",
     .operation = "DiskRead60",
     .labelName = "KRead3",
     .displayName = "HDD read 60 MB",
     .sheetLine = nullptr,
     .status = QT_TRANSLATE_NOOP("TestCatalogue", "ＨＤＤ読み込み能力 計測中！（８ＫＢを６０ＭＢ分）"),
     .accumulated = true,
     .unit = "MB/s",
     .perUnit = 1e6,
     .standardWork = 3 * 7'680 * catalogue_detail::kBlock},
    {.test = Test::Mix,
     .id = "mix",
     .operation = "MixModeTest",
     .labelName = "KMix",
     .displayName = "Mix mode",
     .sheetLine = "   Mix    Mode   : ",
     .status = QT_TRANSLATE_NOOP("TestCatalogue", "ＭｉｘＭｏｄｅ 計測中！"),
     .accumulated = false,
     .unit = "MB/s",
     .perUnit = 1e6,
     .standardWork = 2 * 15'872 * catalogue_detail::kBlock},
}};

// Every row stands at its test's place, so a test's row is found by index.
constexpr bool RowsFollowTheEnum() {
  for (std::size_t i = 0; i < kTestCount; ++i) {
    if (kTests[i].test != static_cast<Test>(i)) return false;
  }
  return true;
}
static_assert(RowsFollowTheEnum(), "kTests must list the tests in the order of the Test enum");
static_assert(static_cast<std::size_t>(ResultLabel::KMix) == static_cast<std::size_t>(Test::Mix),
              "a test's result label shares its number");

constexpr const TestEntry& EntryOf(Test test) { return kTests[static_cast<std::size_t>(test)]; }
constexpr ResultLabel LabelOf(Test test) { return static_cast<ResultLabel>(static_cast<std::size_t>(test)); }
// The label's name in the window: its test's labelName, or "KAll".
constexpr const char* NameOf(ResultLabel label) {
  return label == ResultLabel::KAll ? "KAll" : kTests[static_cast<std::size_t>(label)].labelName;
}
// The test `id` names ("prime", ...), or none.
std::optional<Test> TestOfId(QStringView id);
// The status line while `test` runs in the ALL group.
QString StatusText(Test test);

// The five groups behind the CPU, Graphic, Memory, HDD and ALL buttons, then
// the three that measure today's machine as points (MeasuredPoint): a
// workload at every thread count, memory bandwidth and latency, the drive
// at queue depth. Those have no fixed tests, no result labels and no block
// on the result sheet.
enum class Group { Cpu, Graphic, Memory, Hdd, All, Cores, Ram, Drive };
inline constexpr std::size_t kGroupCount = 8;

struct GroupEntry {
  Group group;
  const char* id;       // on the command line and in the results store: "cpu", ...
  const char* caption;  // its button's caption, the same in every language: "CPU", ...
  std::span<const Test> tests;
  bool needsScreen;        // draws on a full-screen stage
  bool usesTestDirectory;  // writes files there (the memory data file, the disk files)
  bool needsFixedDisk;     // times the drive: the test directory must be on a fixed local disk
  bool points = false;     // measures points (TestInfo) instead of the catalogue's tests
};

namespace catalogue_detail {
inline constexpr Test kCpuTests[] = {Test::Calc, Test::Trig};
inline constexpr Test kGraphicTests[] = {Test::Square, Test::Circle, Test::Triangle, Test::Text, Test::Scroll};
inline constexpr Test kMemoryTests[] = {Test::Memory};
inline constexpr Test kHddTests[] = {Test::Write1, Test::Write2, Test::Write3, Test::Read1, Test::Read2, Test::Read3};
inline constexpr Test kAllTests[] = {Test::Calc,   Test::Trig,   Test::Square, Test::Circle, Test::Triangle,
                                     Test::Text,   Test::Scroll, Test::Memory, Test::Write1, Test::Write2,
                                     Test::Write3, Test::Read1,  Test::Read2,  Test::Read3,  Test::Mix};
}  // namespace catalogue_detail

inline constexpr std::array<GroupEntry, kGroupCount> kGroups = {{
    {.group = Group::Cpu,
     .id = "cpu",
     .caption = "CPU",
     .tests = catalogue_detail::kCpuTests,
     .needsScreen = false,
     .usesTestDirectory = false,
     .needsFixedDisk = false},
    {.group = Group::Graphic,
     .id = "graphic",
     .caption = "Graphic",
     .tests = catalogue_detail::kGraphicTests,
     .needsScreen = true,
     .usesTestDirectory = false,
     .needsFixedDisk = false},
    {.group = Group::Memory,
     .id = "memory",
     .caption = "Memory",
     .tests = catalogue_detail::kMemoryTests,
     .needsScreen = false,
     .usesTestDirectory = true,
     .needsFixedDisk = false},
    {.group = Group::Hdd,
     .id = "hdd",
     .caption = "HDD",
     .tests = catalogue_detail::kHddTests,
     .needsScreen = false,
     .usesTestDirectory = true,
     .needsFixedDisk = true},
    {.group = Group::All,
     .id = "all",
     .caption = "ALL",
     .tests = catalogue_detail::kAllTests,
     .needsScreen = true,
     .usesTestDirectory = true,
     .needsFixedDisk = true},
    {.group = Group::Cores,
     .id = "cores",
     .caption = "Cores",
     .tests = {},
     .needsScreen = false,
     .usesTestDirectory = false,
     .needsFixedDisk = false,
     .points = true},
    {.group = Group::Ram,
     .id = "ram",
     .caption = "RAM",
     .tests = {},
     .needsScreen = false,
     .usesTestDirectory = false,
     .needsFixedDisk = false,
     .points = true},
    {.group = Group::Drive,
     .id = "drive",
     .caption = "Drive",
     .tests = {},
     .needsScreen = false,
     .usesTestDirectory = true,
     .needsFixedDisk = true,
     .points = true},
}};

constexpr bool GroupRowsFollowTheEnum() {
  for (std::size_t i = 0; i < kGroupCount; ++i) {
    if (kGroups[i].group != static_cast<Group>(i)) return false;
  }
  return true;
}
static_assert(GroupRowsFollowTheEnum(), "kGroups must list the groups in the order of the Group enum");

constexpr const GroupEntry& EntryOf(Group group) { return kGroups[static_cast<std::size_t>(group)]; }
// The group `id` names ("cpu", ...), or none.
std::optional<Group> GroupOfId(QStringView id);
// A group's place in the catalogue's order by its id; a group it does not
// know (a sheet's "mixed") after every group it does.
std::size_t GroupOrderOf(QStringView id);
// Whether `group` runs `test`.
bool Runs(Group group, Test test);
// Whether any of `groups` is a classic one (its tests timed, summed into a
// bench number and written to the sheet), not a group of points.
bool AnyClassicGroup(std::span<const Group> groups);
// The ids of every group, in the catalogue's order ("cpu, graphic, ...").
QString GroupIds(const QString& separator);

}  // namespace torvik
