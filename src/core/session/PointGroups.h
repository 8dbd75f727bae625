// The groups that measure today's machine (cores, ram, drive), run for the
// session: each planned for this machine and the settings (the drive's
// folder and file size), checked before anything is allocated or made
// (the memory a plan needs against MemAvailable; the drive's folder, size
// and space), run through a sink, and what it found of the machine (its
// processors and what this program may use of them, its caches and the
// levels its latency curve shows, its drive) put in the record's facts.
// The session's thread (the GUI's or the command line's).
#pragma once

#include <QJsonObject>
#include <QString>

#include "core/machine/MachineNoise.h"
#include "core/results/MeasuredPoint.h"
#include "core/results/TestCatalogue.h"
#include "core/settings/SettingsStore.h"
#include "core/settings/TestPathRules.h"
#include "platform/FileSystem.h"

namespace torvik {

namespace settings {
// The drive group's test file: its size as the user wrote it ("1G", "512M").
inline const QString kDriveFileSize = QStringLiteral("Drive/FileSize");
}  // namespace settings

// What the groups run on; all must outlive the call.
struct PointGroupParts {
  SettingsStore& settings;
  TestPathRules& rules;
  platform::FileSystem& files;
  const MachineNoise& noise;
  QString testPath;  // the test folder the settings name, with its trailing "/"
};

// Why `group` cannot run here, in the words it would say; empty when it
// can. Nothing is allocated or made.
QString PointGroupRefusal(Group group, const PointGroupParts& parts);

// What a group's run gave beside its points.
struct PointGroupEnd {
  QJsonObject facts;     // what it found of the machine
  bool stopped = false;  // Stop ended it early, the points before kept
  // Why it measured fewer processors than the machine has (taskset, a
  // cgroup's cpuset or quota); empty when it had them all.
  QString fewerProcessors;
};

// Runs `group`, each point to `sink` as it is measured. A failure throws
// TorvikError (MeasureFailure, a drive's failure) with the user's words and
// reports no figure for the point under way; nothing is left on disk.
PointGroupEnd RunPointGroup(Group group, PointSink& sink, const PointGroupParts& parts);

}  // namespace torvik
