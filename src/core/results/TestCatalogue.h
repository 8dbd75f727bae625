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
    {Test::Calc, "prime", "PrimeTest", "KCalc", "Prime calculation", "   Prime  Calc   : ",
     QT_TRANSLATE_NOOP("TestCatalogue", "CPU整数演算能力 計測中！（素数算出）"), false, "ops/s", 1, 455'189'150},
    {Test::Trig, "trig", "TrigTest", "KTrig", "Trigonometric",
     "   Trigonometric : ", QT_TRANSLATE_NOOP("TestCatalogue", "CPU浮動小数演算能力 計測中！（三角関数算出）"), false,
     "ops/s", 1, 120'000'000},
    {Test::Square, "square", "SquareTest", "KSquare", "Square", "   Square        : ",
     QT_TRANSLATE_NOOP("TestCatalogue", "２Ｄグラフィック能力 計測中！（四角形描画）"), false, "shapes/s", 1, 200'000},
    {Test::Circle, "circle", "CircleTest", "KCircle", "Circle", "   Circle        : ",
     QT_TRANSLATE_NOOP("TestCatalogue", "２Ｄグラフィック能力 計測中！（円描画）"), false, "shapes/s", 1, 200'000},
    {Test::Triangle, "triangle", "TriangleTest", "KTriangle", "Triangle", "   Triangle      : ",
     QT_TRANSLATE_NOOP("TestCatalogue", "２Ｄグラフィック能力 計測中！（三角形描画）"), false, "shapes/s", 1, 200'000},
    {Test::Text, "text", "TextTest", "KText", "Text",
     "   Text          : ", QT_TRANSLATE_NOOP("TestCatalogue", "２Ｄグラフィック能力 計測中！（テキスト描画）"), false,
     "shapes/s", 1, 200'000},
    {Test::Scroll, "scroll", "ScrollTest", "KScroll", "Scroll",
     "   Scroll        : ", QT_TRANSLATE_NOOP("TestCatalogue", "２Ｄグラフィック能力 計測中！（スクロール描画）"),
     false, "lines/s", 1, 10'000},
    {Test::Memory, "memory", "MemoryCopyTest", "KMemory", "Memory copy",
     "   Memory Copy   : ", QT_TRANSLATE_NOOP("TestCatalogue", "メモリ転送能力 計測中！（１ＭＢを２ＧＢ分転送）"),
     false, "GB/s", 1e9, int64_t{2'048} * 1'044'480},
    {Test::Write1, "write40", "DiskWrite40", "KWrite1", "HDD write 40 MB", nullptr,
     QT_TRANSLATE_NOOP("TestCatalogue", "ＨＤＤ書き込み能力 計測中！（８ＫＢを４０ＭＢ分）"), true, "MB/s", 1e6,
     3 * 5'120 * catalogue_detail::kBlock},
    {Test::Write2, "write50", "DiskWrite50", "KWrite2", "HDD write 50 MB", nullptr,
     QT_TRANSLATE_NOOP("TestCatalogue", "ＨＤＤ書き込み能力 計測中！（８ＫＢを５０ＭＢ分）"), true, "MB/s", 1e6,
     3 * 6'400 * catalogue_detail::kBlock},
    {Test::Write3, "write60", "DiskWrite60", "KWrite3", "HDD write 60 MB", nullptr,
     QT_TRANSLATE_NOOP("TestCatalogue", "ＨＤＤ書き込み能力 計測中！（８ＫＢを６０ＭＢ分）"), true, "MB/s", 1e6,
     3 * 7'680 * catalogue_detail::kBlock},
    {Test::Read1, "read40", "DiskRead40", "KRead1", "HDD read 40 MB", nullptr,
     QT_TRANSLATE_NOOP("TestCatalogue", "ＨＤＤ読み込み能力 計測中！（８ＫＢを４０ＭＢ分）"), true, "MB/s", 1e6,
     3 * 5'120 * catalogue_detail::kBlock},
    {Test::Read2, "read50", "DiskRead50", "KRead2", "HDD read 50 MB", nullptr,
     QT_TRANSLATE_NOOP("TestCatalogue", "ＨＤＤ読み込み能力 計測中！（８ＫＢを５０ＭＢ分）"), true, "MB/s", 1e6,
     3 * 6'400 * catalogue_detail::kBlock},
    {Test::Read3, "read60", "DiskRead60", "KRead3", "HDD read 60 MB", nullptr,
     QT_TRANSLATE_NOOP("TestCatalogue", "ＨＤＤ読み込み能力 計測中！（８ＫＢを６０ＭＢ分）"), true, "MB/s", 1e6,
     3 * 7'680 * catalogue_detail::kBlock},
    {Test::Mix, "mix", "MixModeTest", "KMix", "Mix mode",
     "   Mix    Mode   : ", QT_TRANSLATE_NOOP("TestCatalogue", "ＭｉｘＭｏｄｅ 計測中！"), false, "MB/s", 1e6,
     2 * 15'872 * catalogue_detail::kBlock},
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

// The five groups behind the CPU, Graphic, Memory, HDD and ALL buttons.
enum class Group { Cpu, Graphic, Memory, Hdd, All };
inline constexpr std::size_t kGroupCount = 5;

struct GroupEntry {
  Group group;
  const char* id;  // on the command line and in the results store: "cpu", ...
  std::span<const Test> tests;
  bool needsScreen;        // draws on a full-screen stage
  bool usesTestDirectory;  // writes files there (the memory data file, the disk files)
  bool needsFixedDisk;     // times the drive: the test directory must be on a fixed local disk
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
    {Group::Cpu, "cpu", catalogue_detail::kCpuTests, false, false, false},
    {Group::Graphic, "graphic", catalogue_detail::kGraphicTests, true, false, false},
    {Group::Memory, "memory", catalogue_detail::kMemoryTests, false, true, false},
    {Group::Hdd, "hdd", catalogue_detail::kHddTests, false, true, true},
    {Group::All, "all", catalogue_detail::kAllTests, true, true, true},
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
// Whether `group` runs `test`.
bool Runs(Group group, Test test);
// The ids of every group, in the catalogue's order ("cpu, graphic, ...").
QString GroupIds(const QString& separator);

}  // namespace torvik
