// The texts that begin the result sheet's lines: the report builder writes a
// block with them, the sheet parser finds a block's facts and times by them.
// Each label is 19 characters, the value starts right after it. A test's own
// line is its catalogue row's sheetLine.
#pragma once

namespace torvik::sheet {

inline constexpr char kHeader[] = "<> TORVIK Time Trial Result <>";
inline constexpr char kDate[] = "   Date          : ";
inline constexpr char kYourName[] = "   Your Name     : ";
inline constexpr char kPcName[] = "   PC-Name       : ";
inline constexpr char kBenchNo[] = "   Bench No      : ";
inline constexpr char kUseOs[] = "   USE OS        : ";
inline constexpr char kCpu[] = "   CPU           : ";
inline constexpr char kHddInfo[] = "   HDD Info      : ";
inline constexpr char kMemoryInfo[] = "   Memory Info   : ";
inline constexpr char kDisplayDev[] = "   Display Dev   : ";
inline constexpr char kWriteAverage[] = "   Write Average : ";
inline constexpr char kReadAverage[] = "   Read  Average : ";
inline constexpr char kHddWrite[] = "     HDD  Write  : ";
inline constexpr char kHddRead[] = "     HDD  Read   : ";
inline constexpr char kSumTotal[] = "   Sum    Total  : ";
inline constexpr char kFooterStart[] = "//______  TORVIK ";
inline constexpr char kFooterEnd[] = "  ______//";

}  // namespace torvik::sheet
