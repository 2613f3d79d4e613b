// Work split over the machine's two cores. The caller does the first part
// itself; a helper thread, started on first use and kept for the life of
// the process, does the second, so a pass starts no thread and each core
// keeps its thread-local working storage from pass to pass.
#pragma once

#include <functional>

// Calls work(begin, end) on [0, split) here and [split, count) on the helper,
// where split is count / 2 rounded up to a multiple of `grain`, and returns
// when both are done. Runs everything here on a one-core machine, when
// count is below 2 * grain, or while another thread has the helper.
void SplitOverTwoCores(int count, int grain, const std::function<void(int begin, int end)>& work);
