#include "transport/LineBacklog.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::vector<std::string> Held(const CLineBacklog& backlog) {
    std::vector<std::string> lines;
    backlog.ForEach([&](std::string_view line) { lines.emplace_back(line); });
    return lines;
}

TEST(LineBacklogTest, ForEach_NotYetFullGivesOnlyTheLinesHeld) {
    CLineBacklog backlog;
    backlog.SetLength(3);
    backlog.Record("DX de K1ABC:     14025.0  W1AW         spot 1\n");
    backlog.Record("DX de K1ABC:     14025.0  W1AW         spot 2\n");

    EXPECT_EQ(Held(backlog),
              (std::vector<std::string>{"DX de K1ABC:     14025.0  W1AW         spot 1\n",
                                        "DX de K1ABC:     14025.0  W1AW         spot 2\n"}));
}

} // namespace
