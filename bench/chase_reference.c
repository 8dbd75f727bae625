/* The reference for the ram group's latency rows: a bare pointer chase over
 * the same cycle the program walks, written here from its description: the
 * block 2 MiB-aligned with transparent huge pages asked for, its 64-byte
 * lines visited in the order SplitMix64 (seed SEED) shuffles them into
 * (Fisher-Yates from the last line, index = (random * i) >> 64), each line
 * holding the next one's address; one untimed walk (a round, or a quarter
 * of a timed one where that is shorter), then REPEATS timed
 * walks of MINLOADS loads (or, when that is a round or more, of whole rounds
 * and half a round more), the fastest kept. Run it pinned (taskset) to the program's processor.
 *
 *   chase_reference SEED MINLOADS REPEATS BYTES...
 *
 * Prints one line a size: its bytes and nanoseconds per load. */
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/mman.h>
#include <time.h>

static uint64_t state;
static uint64_t Next(void) {
  uint64_t z = (state += 0x9E3779B97F4A7C15ULL);
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
  return z ^ (z >> 31);
}

static int64_t Now(void) {
  struct timespec t;
  clock_gettime(CLOCK_MONOTONIC, &t);
  return (int64_t)t.tv_sec * 1000000000 + t.tv_nsec;
}

static void* __attribute__((noinline)) Walk(void* p, int64_t loads) {
  for (int64_t i = 0; i < loads; i++) p = *(void**)p;
  return p;
}

int main(int argc, char** argv) {
  if (argc < 5) {
    fprintf(stderr, "usage: chase_reference SEED MINLOADS REPEATS BYTES...\n");
    return 2;
  }
  const uint64_t seed = strtoull(argv[1], NULL, 0);
  const int64_t minLoads = atoll(argv[2]);
  const int repeats = atoi(argv[3]);
  const size_t huge = (size_t)2 << 20;
  for (int s = 4; s < argc; s++) {
    const int64_t bytes = atoll(argv[s]);
    const int64_t lines = bytes / 64;
    const size_t size = ((size_t)bytes + huge - 1) / huge * huge;
    char* raw = mmap(NULL, size + huge, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    uint32_t* order = malloc((size_t)lines * sizeof(uint32_t));
    if (raw == MAP_FAILED || order == NULL || lines < 2) {
      fprintf(stderr, "chase_reference: cannot make %lld bytes\n", (long long)bytes);
      return 1;
    }
    char* block = (char*)(((uintptr_t)raw + huge - 1) & ~(uintptr_t)(huge - 1));
    madvise(block, size, MADV_HUGEPAGE);
    for (int64_t i = 0; i < lines; i++) order[i] = (uint32_t)i;
    state = seed;
    for (int64_t i = lines; i > 1; i--) {
      const int64_t j = (int64_t)(((unsigned __int128)Next() * (uint64_t)i) >> 64);
      const uint32_t t = order[i - 1];
      order[i - 1] = order[j];
      order[j] = t;
    }
    for (int64_t k = 0; k < lines; k++)
      *(void**)(block + (int64_t)order[k] * 64) = block + (int64_t)order[(k + 1) % lines] * 64;
    void* start = block + (int64_t)order[0] * 64;
    const int64_t rest = lines / 2;
    const int64_t loads = minLoads < lines ? minLoads : (minLoads - rest + lines - 1) / lines * lines + rest;
    Walk(start, loads / 4 < lines ? loads / 4 : lines);
    int64_t best = INT64_MAX;
    for (int r = 0; r < repeats; r++) {
      const int64_t t = Now();
      void* end = Walk(start, loads);
      const int64_t elapsed = Now() - t;
      if (end != block + (int64_t)order[loads % lines] * 64) {
        fprintf(stderr, "chase_reference: the walk ended on the wrong line\n");
        return 1;
      }
      if (elapsed < best) best = elapsed;
    }
    printf("%lld %.4f\n", (long long)bytes, (double)best / (double)loads);
    fflush(stdout);
    free(order);
    munmap(raw, size + huge);
  }
  return 0;
}
