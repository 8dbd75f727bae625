// What opening a results store found: the schema it had and has, and what
// the user should know of it. Plain values; any thread.
#pragma once

#include <QString>

namespace torvik {

struct OpenedStore {
  // The version it had before this program upgraded or made it (0: made),
  // and the version it has now (an older server's, for a member).
  int foundVersion = 0;
  int version = 0;
  // What the user should know of it (a schema only its owner may upgrade);
  // empty when nothing.
  QString advice;
};

}  // namespace torvik
