#include "transport/ReadPump.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

TEST(ReadPumpTest, Run_RequestDuringStepRunsOnceMoreInsteadOfNesting) {
    std::vector<int> depths;
    int depth = 0;
    int runs = 0;
    CReadPump* self = nullptr;
    CReadPump pump([&] {
        ++depth;
        depths.push_back(depth);
        if (++runs < 3) {
            self->Run();
            self->Run();
        }
        --depth;
    });
    self = &pump;

    pump.Run();

    EXPECT_EQ(depths, (std::vector<int>{1, 1, 1}));
}

} // namespace
