// What a group of today's machine found of the machine (RunRecord's
// pointFacts for its id), as lines for people in the user's language: for
// cores and ram the processors it may use of the machine's and why fewer,
// for ram also the levels its latency curve shows beside the caches the
// system reports and the huge-page setting, for the drive its model,
// transport, file system and the engine that measured it. Pure; any thread
// (the translations installed are read).
#pragma once

#include <QJsonObject>
#include <QString>

namespace torvik {

// The facts of the group `groupId` ("cores", "ram", "drive"), one fact a
// line; empty for facts it does not know.
QString PointFactsText(const QString& groupId, const QJsonObject& facts);

}  // namespace torvik
