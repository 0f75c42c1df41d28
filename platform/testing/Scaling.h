#pragma once
// How the cost of an operation grows with the size of what it works on, for
// the tests that keep an operation linear (or O(n log n)) in its size.
//
// GrowthPerUnit runs run(n), which does n units of work, at a small and at a
// large size and answers how many times the time per unit grew from the
// small size to the large one: about 1 for linear work, large / small for
// quadratic work. The time is the process's processor time (other processes
// and waits for the disk do not count), each size is timed several times,
// alternating, and the fastest run counts, so that a busy machine inflates
// neither size much.

#include <functional>

double GrowthPerUnit(int small, int large, const std::function<void(int)>& run, int rounds = 3);
