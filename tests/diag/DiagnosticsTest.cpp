#include "diag/Diagnostics.h"
#include "tests/support/CapturedOutput.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

// Then, with the capture gone, the sink is the standard streams again.
TEST(Diagnostics, EachChannelReachesTheSinkAsFormattedAndResettingRestoresStdout) {
    {
        test::CapturedOutput captured;
        const std::string name(5000, 'x'); // long messages are not cut
        diag::out("\nWARNING: line type not known:\n(%.*s)", 3, "abcdef");
        diag::log("already ends\n");
        diag::log("OBJ File Open: %s", name.c_str());
        diag::warning("%d %s\n", 2, name.c_str()); // one message after its prefix
        EXPECT_EQ(captured.out(),
                  "\nWARNING: line type not known:\n(abc)WARNING: 2 " + name + "\n");
        EXPECT_EQ(captured.log(), "already ends\nOBJ File Open: " + name + "\n");
    }
    testing::internal::CaptureStdout();
    diag::out("to stdout %d\n", 1);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "to stdout 1\n");
}

TEST(Diagnostics, LinesFromManyThreadsStayWhole) {
    test::CapturedOutput captured;
    std::vector<std::jthread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([t] {
            for (int i = 0; i < 200; ++i)
                diag::err("thread %d line %03d\n", t, i);
        });
    threads.clear(); // each joined as it goes
    std::string all = captured.err();
    EXPECT_EQ(all.size(), 4u * 200u * std::string("thread 0 line 000\n").size());
    for (size_t at = 0; at < all.size(); at += 18)
        EXPECT_EQ(all.compare(at, 7, "thread "), 0) << at;
}
