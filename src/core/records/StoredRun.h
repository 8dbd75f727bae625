// A run as the results database keeps it: one group's results (or a block
// imported from a result sheet) with the facts of the machine it ran on.
// Plain values; any thread.
#pragma once

#include <QString>
#include <cmath>
#include <optional>
#include <vector>

#include "core/records/StoredFacts.h"
#include "core/results/RunRecord.h"

namespace torvik {

inline const QString kOriginProgram = QStringLiteral("program");
inline const QString kOriginSheet = QStringLiteral("sheet");

// Whether `value` can be a time or a rate: finite and above zero. A stored
// NaN, infinity, zero or negative (a damaged file, a hand-made row) is no
// figure: it is never ranked, averaged, drawn or written as a number.
inline bool IsFigure(double value) { return std::isfinite(value) && value > 0; }
// A time no run can take is no figure either: from a nanosecond to a
// hundred million seconds (over three years, the longest a sheet shows).
inline bool IsTimeFigure(double seconds) { return IsFigure(seconds) && seconds >= 1e-9 && seconds <= 1e8; }

struct StoredTest {
  QString test;                   // "prime", "write40", ...
  int64_t tenths = 0;             // as the window showed it
  std::optional<double> seconds{};  // precise; none for an imported run
  std::optional<double> rate{};
  QString unit{};
  std::optional<TestNoise> noise{};  // none for an imported run and before the store kept it
  // A drive row's requests a second, completion latency percentiles in
  // microseconds, and the engine that measured it; none for the others.
  std::optional<double> iops{}, p50Us{}, p99Us{}, p999Us{};
  QString engine{};
  // The store held a seconds or a rate for it that is no figure (IsFigure),
  // or a negative time: read as none, the test is left out of every
  // comparison, with a note.
  bool notAFigure = false;

  // The precise seconds, or an imported run's tenths as seconds.
  double Seconds() const { return seconds ? *seconds : tenths / 10.0; }
  // Whether its figures may be compared: nothing it holds is no figure.
  bool Figures() const {
    return !notAFigure && tenths >= 0 && tenths <= 1'000'000'000 && (!seconds || IsTimeFigure(*seconds)) &&
           (!rate || IsFigure(*rate));
  }
};

struct StoredRun {
  int64_t id = 0;        // given by the store
  QString started;       // ISO 8601 with offset, or an imported sheet's date text
  int64_t sortTime = 0;  // seconds since 1970, for the order of the list
  QString group;         // a group's id; "mixed" for a sheet that matches none
  bool stopped = false;
  std::optional<int32_t> benchNo;
  int64_t totalTenths = 0;
  std::optional<double> totalSeconds;
  QString userName, pcName;
  QString hostName;   // the machine's own name; empty for a sheet and before the store kept it
  QString machineId;  // the machine's stable id (MachineIdentity); empty likewise
  QString os, processor, caches, memory, display, testDirectory;
  QString origin = kOriginProgram;
  QString sheetKey;     // an imported block's key: the hash of its text, its place among its likes
  QString platform;     // the Qt platform the figures were measured on ("xcb"); empty for a sheet
  QString series;       // the repetitions of one command share it; empty for a window's run and a sheet
  QString uuid;         // the run's identity in every store; made when it is first kept
  bool sent = false;    // kept here, it has reached the shared store (or was kept before there was one)
  QString sendProblem;  // kept here, the shared store would not take it: why (it is sent no more)
  // The TORVIK that made it: its version and the schema it knows (none for
  // a sheet, and for a run an older TORVIK made).
  QString torvikVersion;
  std::optional<int> torvikSchema;
  // On a shared store, what the server recorded: the role that sent it and
  // when it arrived (ISO 8601, UTC); empty elsewhere and before it did.
  QString sentBy, receivedAt;
  FactValues values;    // the facts above as values, as the store keeps them
  std::vector<StoredTest> tests;

  FactTexts Texts() const { return {started, processor, caches, memory, display}; }
  // An imported block whose date could not be placed (no form reads it, or
  // it names no moment: 29 February of a common year, 24:00, a leap second,
  // a time the clocks skipped): its date is unknown (no started_at), so it
  // stays out of date filters, of the latest series and of trends.
  bool Undated() const { return origin == kOriginSheet && values.startedAt.isEmpty(); }
  // Who ran it, as lists show it: the PC name, else the host name.
  const QString& MachineName() const { return pcName.isEmpty() ? hostName : pcName; }
};

// A finished group as a run to keep: every test with a result and every
// point (TestOfPoint), the total, the names and the machine's facts as text
// (the processor with the clock of the record) and as values.
StoredRun RunFromRecord(const RunRecord& record);

// A point as the archive keeps it, a test of its own (MeasuredPoint::StoreId):
// its seconds, its rate (a latency's as loads a second), a drive row's
// requests a second, percentiles and engine, and its noise.
StoredTest TestOfPoint(const MeasuredPoint& point);

// The id of the group whose tests are exactly `tests` ("all" for any set
// with the mix test, which only that group runs), else "mixed".
QString GroupOfTests(const std::vector<StoredTest>& tests);

}  // namespace torvik
