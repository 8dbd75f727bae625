// The hint for a thread that spins waiting for another, on processors
// without an instruction of their own for it here: a compiler barrier, so
// the loop around it reads memory again. Any thread.
#pragma once

namespace torvik::arch {

inline void SpinPause() { asm volatile("" ::: "memory"); }

}  // namespace torvik::arch
