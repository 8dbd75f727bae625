// The numbers of the results store's schema: its version now, and the
// steps that other parts of the store read columns by (a column a step
// added is read only from a store that has had it). Constants; any thread.
#pragma once

namespace torvik {

inline constexpr int kStoreSchemaVersion = 13;
// The oldest schema runs can be sent to as it is (a run's uuid, by which the
// store keeps it once, came with step 5).
inline constexpr int kOldestWorkableSchema = 5;
// The step that added a run's host name and machine id.
inline constexpr int kHostNameStep = 8;
// The step after which the server records who sent each run and when it
// arrived, and which machines are whose.
inline constexpr int kSenderStep = 11;
// TORVIKs of schema 10 and before read the server's version alone and refuse
// any above their own: while they may still write, the server's `version`
// says at most this, and the real one is in `schema_version`.
inline constexpr int kLastVersionOnlySchema = 10;

}  // namespace torvik
