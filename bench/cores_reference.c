/* The bare reference of the cores group's division workload: trial
 * division of first..last written out plainly in C, stopping at the first
 * zero remainder, the divisor kept opaque so that every remainder is a real
 * 32-bit idiv (as in the program). Returns the composites it found. */
long long torvik_reference_division(int first, int last) {
  long long composites = 0;
  for (int n = first; n <= last; ++n) {
    for (int d = 2; d < n; ++d) {
      int divisor = d;
      __asm__ volatile("" : "+r"(divisor));
      if (n % divisor == 0) {
        ++composites;
        break;
      }
    }
  }
  return composites;
}
