// The one table every TORVIK bench prints: what was measured, how the
// reference did the same work, the program's figure, the reference's, and
// their ratio (about 1 when the program times exactly the work it claims).
#pragma once

#include <cstdio>
#include <cstring>

namespace torvik::bench {

inline void PrintHeader() {
  std::printf("%-26s %-62s %12s %12s %7s\n", "measured", "method (reference)", "program", "reference", "ratio");
}

inline void PrintRow(const char* what, const char* method, double program, double reference, const char* unit) {
  std::printf("%-26s %-62s %9.3f %-2s %9.3f %-2s %7.2f\n", what, method, program, unit, reference, unit,
              program / reference);
  std::fflush(stdout);
}

// "--rows": print rows only (bench/run prints the header once).
inline bool RowsOnly(int& argc, char** argv) {
  if (argc > 1 && std::strcmp(argv[1], "--rows") == 0) {
    for (int i = 1; i + 1 < argc; ++i) argv[i] = argv[i + 1];
    --argc;
    return true;
  }
  return false;
}

}  // namespace torvik::bench
