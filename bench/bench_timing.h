// Timing shared by the comparison benchmarks.
#pragma once

#include <algorithm>
#include <chrono>
#include <cstddef>

namespace zq::benchtiming {

using Clock = std::chrono::steady_clock;

// Results are added here so that the measured work cannot be optimised away.
inline volatile std::size_t gSink = 0;

// Best time of `reps` runs (at least one), in seconds.
template <class F>
double Best(int reps, F&& f) {
  double best = 1e100;
  for (int i = 0; i < reps || i == 0; ++i) {
    auto t0 = Clock::now();
    f();
    best = std::min(best, std::chrono::duration<double>(Clock::now() - t0).count());
  }
  return best;
}

}  // namespace zq::benchtiming
