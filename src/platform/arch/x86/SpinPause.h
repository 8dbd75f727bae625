// The processor's hint for a thread that spins waiting for another: the
// x86 pause instruction (it saves power and frees the core's shared
// resources for its SMT sibling while the wait lasts). Any thread.
#pragma once

namespace torvik::arch {

inline void SpinPause() { __builtin_ia32_pause(); }

}  // namespace torvik::arch
