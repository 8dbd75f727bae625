#include "core/machine/MachineFacts.h"

namespace torvik {

int64_t MemoryMegabytes(int64_t bytes) { return bytes / 1'048'576 + 1; }

}  // namespace torvik
