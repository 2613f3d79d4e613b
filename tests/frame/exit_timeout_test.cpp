#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdio>
#include <string>

#ifndef SPINE_CHILD
#error SPINE_CHILD names the child program
#endif

// Exit while the main function ignores stopRequested: the main thread waits
// about 2 s, closes the cameras itself and the process ends with 0.
TEST(ExitTimeout, ProcessEndsWithCamerasClosedByTheMainThread) {
    FILE* p = popen(SPINE_CHILD " 2>/dev/null", "r");
    ASSERT_NE(p, nullptr);
    std::string out;
    char buf[256];
    while (fgets(buf, sizeof buf, p)) out += buf;
    const int status = pclose(p);
    ASSERT_TRUE(WIFEXITED(status)) << out;
    EXPECT_EQ(WEXITSTATUS(status), 0) << out;
    int exitAt = 0, closedAt = 0;
    char who[16] = {};
    const size_t e = out.find("exit-at "), c = out.find("closed-by ");
    ASSERT_NE(e, std::string::npos) << out;
    ASSERT_NE(c, std::string::npos) << out;
    std::sscanf(out.c_str() + e, "exit-at %d", &exitAt);
    std::sscanf(out.c_str() + c, "closed-by %15s %d", who, &closedAt);
    EXPECT_STREQ(who, "main");
    EXPECT_GE(unsigned(closedAt - exitAt), 2000u);  // the full grace period was given
    EXPECT_EQ(out.find("returned"), std::string::npos);
    EXPECT_EQ(out.find("closed-by", c + 1), std::string::npos);  // closed once
}
