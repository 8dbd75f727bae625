// The three machine lines of the about box: the operating system, the
// physical memory in KB with thousands separators, and the processor with
// its measured clock. Pure builders; GUI thread.
#pragma once

#include <QChar>
#include <QString>
#include <cstdint>

#include "core/machine/OsDescription.h"

namespace torvik {

// "Windows 98 4.10 (Build 2222)", "Windows NT 4.0 (Build 1381: Service Pack 6)",
// "Linux 6.18 (Build 44: Debian GNU/Linux 12 (bookworm))", "Windows 3.10".
QString AboutOsLine(const VersionRecord& record);
// Bytes / 1024 with thousands separators, then " KB": 3 GB gives "3,145,728 KB".
QString AboutMemoryLine(int64_t totalBytes, QChar groupSeparator);
// Vendor, name and the clock as "%6.2f" (with the locale's decimal point)
// then "MHz": "GenuineIntel Pentium III 498.67MHz".
QString AboutProcessorLine(const QString& vendor, const QString& name, double mhz, QChar decimalPoint);

}  // namespace torvik
