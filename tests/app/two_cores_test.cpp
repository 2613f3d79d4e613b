#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "app/two_cores.h"

TEST(TwoCores, EveryIndexOnceSplitAtTheGrain) {
    struct Case {
        int count, grain;
    } cases[] = {{0, 1}, {1, 1}, {2, 1}, {7, 4}, {8, 4}, {240, 8}, {241, 8}, {320, 16}, {5, 0}};
    for (const Case& c : cases) {
        std::vector<std::atomic<int>> seen(size_t(std::max(c.count, 1)));
        std::vector<int> begins;
        std::atomic<int> parts{0};
        SplitOverTwoCores(c.count, c.grain, [&](int b, int e) {
            ++parts;
            if (b != 0 && c.grain > 0) {
                EXPECT_EQ(b % c.grain, 0) << c.count << " / " << c.grain;
            }
            for (int i = b; i < e; ++i) ++seen[size_t(i)];
        });
        for (int i = 0; i < c.count; ++i) EXPECT_EQ(seen[size_t(i)], 1) << c.count << " / " << c.grain << " at " << i;
        EXPECT_LE(parts, 2);
    }
}

TEST(TwoCores, NestedAndConcurrentCallsFinish) {
    // A part that splits again, and two threads splitting at once: whoever
    // finds the helper busy does its work alone.
    std::atomic<int> total{0};
    auto nested = [&] {
        for (int round = 0; round < 200; ++round)
            SplitOverTwoCores(64, 1, [&](int b, int e) {
                SplitOverTwoCores(e - b, 1, [&](int b2, int e2) { total += e2 - b2; });
            });
    };
    std::thread other(nested);
    nested();
    other.join();
    EXPECT_EQ(total, 2 * 200 * 64);
}
