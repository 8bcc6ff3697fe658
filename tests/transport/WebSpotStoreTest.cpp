#include "transport/WebSpotStore.h"

#include <gtest/gtest.h>

#include <string>

namespace {

CWebSpotStore::Entry Spot(const std::string& call, double kHz, const std::string& band,
                          const std::string& mode, const std::string& when, std::int64_t arrived) {
    return {"{\"spotted\":\"" + call + "\"}", band, mode, when, kHz, arrived};
}

CWebSpotStore::Query Select(std::string band, std::string mode = "", std::string since = "",
                            std::size_t limit = 0) {
    return {std::move(band), std::move(mode), std::move(since), limit};
}

class WebSpotStoreTest : public ::testing::Test {
  protected:
    void SetUp() override {
        store.Add(Spot("K1A", 14025.2, "20m", "CW", "2026-12-08T22:59:00Z", 100), 100);
        store.Add(Spot("K1B", 7074.0, "40m", "FT8", "2026-12-08T23:00:00Z", 160), 160);
        store.Add(Spot("K1C", 14025.6, "20m", "CW", "2026-12-08T23:01:00Z", 220), 220);
    }
    CWebSpotStore store;
};

TEST_F(WebSpotStoreTest, Array_NewestFirstSelectedByBandModeSinceLimit) {
    EXPECT_EQ(store.Array({}),
              "[{\"spotted\":\"K1C\"},{\"spotted\":\"K1B\"},{\"spotted\":\"K1A\"}]");
    EXPECT_EQ(store.Array(Select("20M")), "[{\"spotted\":\"K1C\"},{\"spotted\":\"K1A\"}]");
    EXPECT_EQ(store.Array(Select("", "ft8")), "[{\"spotted\":\"K1B\"}]");
    EXPECT_EQ(store.Array(Select("", "", "2026-12-08T23:00:00Z")),
              "[{\"spotted\":\"K1C\"},{\"spotted\":\"K1B\"}]");
    EXPECT_EQ(store.Array(Select("20m", "", "", 1)), "[{\"spotted\":\"K1C\"}]");
    EXPECT_EQ(store.Array(Select("6m")), "[]");
}

TEST_F(WebSpotStoreTest, Nearest_NewestWithinHalfAKilohertz) {
    ASSERT_NE(store.Nearest(14025.3), nullptr);
    EXPECT_EQ(store.Nearest(14025.3)->json, "{\"spotted\":\"K1C\"}");
    ASSERT_NE(store.Nearest(14024.8), nullptr);
    EXPECT_EQ(store.Nearest(14024.8)->json, "{\"spotted\":\"K1A\"}");
    EXPECT_EQ(store.Nearest(14026.2), nullptr);
}

TEST_F(WebSpotStoreTest, Keep_OldestGoFirstByCountAndByAge) {
    const std::uint64_t version = store.Version();
    store.SetKeep(2, 60);
    EXPECT_EQ(store.Array({}), "[{\"spotted\":\"K1C\"},{\"spotted\":\"K1B\"}]");
    EXPECT_GT(store.Version(), version);

    store.SetKeep(10, 1);
    store.Expire(220);
    EXPECT_EQ(store.Size(), 2U);
    store.Expire(221); // K1B came at 160, now more than a minute ago
    EXPECT_EQ(store.Array({}), "[{\"spotted\":\"K1C\"}]");
}

} // namespace
