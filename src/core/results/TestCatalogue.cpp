#include "core/results/TestCatalogue.h"

#include <QCoreApplication>
#include <QStringList>
#include <algorithm>

namespace torvik {

std::optional<Test> TestOfId(QStringView id) {
  for (const TestEntry& entry : kTests) {
    if (id == QLatin1String(entry.id)) return entry.test;
  }
  return std::nullopt;
}

QString StatusText(Test test) { return QCoreApplication::translate("TestCatalogue", EntryOf(test).status); }

std::optional<Group> GroupOfId(QStringView id) {
  for (const GroupEntry& entry : kGroups) {
    if (id == QLatin1String(entry.id)) return entry.group;
  }
  return std::nullopt;
}

bool Runs(Group group, Test test) {
  const std::span<const Test> tests = EntryOf(group).tests;
  return std::find(tests.begin(), tests.end(), test) != tests.end();
}

bool AnyClassicGroup(std::span<const Group> groups) {
  return std::any_of(groups.begin(), groups.end(), [](Group group) { return !EntryOf(group).points; });
}

std::size_t GroupOrderOf(QStringView id) {
  const std::optional<Group> known = GroupOfId(id);
  return known ? static_cast<std::size_t>(*known) : kGroupCount;
}

QString GroupIds(const QString& separator) {
  QStringList ids;
  for (const GroupEntry& entry : kGroups) ids << QLatin1String(entry.id);
  return ids.join(separator);
}

}  // namespace torvik
