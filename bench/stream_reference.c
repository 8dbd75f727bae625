/* The reference for the ram group's bandwidth rows: STREAM's four kernels
 * as the textbook program has them, plain C loops under OpenMP, written here
 * from STREAM's description: three arrays of doubles set by the threads that
 * use them (the same static schedule as the kernels), one warm-up trial and
 * TRIALS timed ones, each kernel timed by the master thread around its
 * parallel loop, the best time kept, Copy and Scale counted as 16 bytes an
 * element, Add and Triad as 24. Threads and their processors come from
 * OpenMP's environment (OMP_NUM_THREADS, OMP_PLACES, OMP_PROC_BIND).
 *
 *   stream_reference ELEMENTS TRIALS
 *
 * Prints one line a kernel: its name, the best nanoseconds, GB/s (1e9). */
#include <math.h>
#include <stdio.h>
#include <stdlib.h>
#include <time.h>

static double Now(void) {
  struct timespec t;
  clock_gettime(CLOCK_MONOTONIC, &t);
  return (double)t.tv_sec * 1e9 + (double)t.tv_nsec;
}

int main(int argc, char** argv) {
  if (argc != 3) {
    fprintf(stderr, "usage: stream_reference ELEMENTS TRIALS\n");
    return 2;
  }
  const long n = atol(argv[1]);
  const int trials = atoi(argv[2]);
  double *a, *b, *c;
  if (n <= 0 || trials < 1 || posix_memalign((void**)&a, 64, n * sizeof(double)) != 0 ||
      posix_memalign((void**)&b, 64, n * sizeof(double)) != 0 ||
      posix_memalign((void**)&c, 64, n * sizeof(double)) != 0) {
    fprintf(stderr, "stream_reference: no memory for %ld elements\n", n);
    return 1;
  }
  const double scalar = 3.0;
  long j;
#pragma omp parallel for schedule(static)
  for (j = 0; j < n; j++) {
    a[j] = 1.0;
    b[j] = 2.0;
    c[j] = 0.0;
  }

  double best[4] = {INFINITY, INFINITY, INFINITY, INFINITY};
  for (int k = 0; k <= trials; k++) {
    double t[4];
    t[0] = Now();
#pragma omp parallel for schedule(static)
    for (j = 0; j < n; j++) c[j] = a[j];
    t[0] = Now() - t[0];
    t[1] = Now();
#pragma omp parallel for schedule(static)
    for (j = 0; j < n; j++) b[j] = scalar * c[j];
    t[1] = Now() - t[1];
    t[2] = Now();
#pragma omp parallel for schedule(static)
    for (j = 0; j < n; j++) c[j] = a[j] + b[j];
    t[2] = Now() - t[2];
    t[3] = Now();
#pragma omp parallel for schedule(static)
    for (j = 0; j < n; j++) a[j] = b[j] + scalar * c[j];
    t[3] = Now() - t[3];
    if (k > 0) {
      for (int i = 0; i < 4; i++) best[i] = t[i] < best[i] ? t[i] : best[i];
    }
  }

  /* The check: every element follows the same recurrence. */
  double ea = 1.0, eb = 2.0, ec = 0.0;
  for (int k = 0; k <= trials; k++) {
    ec = ea;
    eb = scalar * ec;
    ec = ea + eb;
    ea = eb + scalar * ec;
  }
  for (j = 0; j < n; j++) {
    if (fabs(a[j] - ea) > ea * 1e-13 || fabs(b[j] - eb) > eb * 1e-13 || fabs(c[j] - ec) > ec * 1e-13) {
      fprintf(stderr, "stream_reference: wrong result at element %ld\n", j);
      return 1;
    }
  }
  static const char* const names[4] = {"copy", "scale", "add", "triad"};
  static const double bytes[4] = {16, 16, 24, 24};
  for (int i = 0; i < 4; i++) printf("%s %.0f %.4f\n", names[i], best[i], bytes[i] * (double)n / best[i]);
  free(a);
  free(b);
  free(c);
  return 0;
}
