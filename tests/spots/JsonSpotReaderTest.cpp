#include "spots/JsonSpotReader.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(JsonSpotReaderTest, Read_EveryFieldAndExtra) {
    CJsonSpotReader reader;
    SpotFields spot;
    ASSERT_TRUE(reader.Read(R"({"spotter":"dl1abc-#","spotted":"k1abc","frequency":14025.2,)"
                            R"("message":"CW 24 dB","when":"2026-12-08T22:59:00Z","mode":"CW",)"
                            R"("band":"20m","origin":"a1b2","hops":2})",
                            spot));
    EXPECT_EQ(spot.Spotter, "DL1ABC-#");
    EXPECT_EQ(spot.DxCall, "K1ABC");
    EXPECT_EQ(spot.Frequency, "14025.2");
    EXPECT_EQ(spot.Comment, "CW 24 dB");
    EXPECT_EQ(spot.Time, "2259");
    EXPECT_EQ(reader.Khz(), 14025.2);
    EXPECT_EQ(reader.When(), "2026-12-08T22:59:00Z");
    EXPECT_EQ(reader.Mode(), "CW");
    EXPECT_EQ(reader.Band(), "20m");
    EXPECT_EQ(reader.Origin(), "a1b2");
    EXPECT_EQ(reader.Hops(), 2);
}

TEST(JsonSpotReaderTest, Read_WholeKilohertzGetOneDecimalAndExtrasMayBeMissing) {
    CJsonSpotReader reader;
    SpotFields spot;
    ASSERT_TRUE(reader.Read(R"({"spotter":"K1ABC","spotted":"DL1XYZ","frequency":14025,)"
                            R"("when":"2026-12-08T00:01:30Z"})",
                            spot));
    EXPECT_EQ(spot.Frequency, "14025.0");
    EXPECT_EQ(spot.Comment, "");
    EXPECT_EQ(spot.Time, "0001");
    EXPECT_EQ(reader.Mode(), "");
    EXPECT_EQ(reader.Hops(), -1);
}

struct BadRow {
    const char* name;
    const char* text;
};

class JsonSpotReaderRefuses : public testing::TestWithParam<BadRow> {};

TEST_P(JsonSpotReaderRefuses, ObjectsThatAreNoSpot) {
    CJsonSpotReader reader;
    SpotFields spot;
    EXPECT_FALSE(reader.Read(GetParam().text, spot));
    EXPECT_EQ(spot.Spotter, "");
    EXPECT_EQ(reader.Origin(), "");
}

INSTANTIATE_TEST_SUITE_P(
    Rows, JsonSpotReaderRefuses,
    testing::Values(
        BadRow{"NotJson", "DX de K1ABC: 14025.0 DL1XYZ cq 1234Z"},
        BadRow{"NoWhen", R"({"spotter":"K1ABC","spotted":"DL1XYZ","frequency":14025.0})"},
        BadRow{"FrequencyAsText", R"({"spotter":"K1ABC","spotted":"DL1XYZ","frequency":"14025.0",)"
                                  R"("when":"2026-12-08T12:34:00Z","origin":"x"})"},
        BadRow{"BadCall", R"({"spotter":"K1ABC","spotted":"DL1 XYZ","frequency":14025.0,)"
                          R"("when":"2026-12-08T12:34:00Z"})"},
        BadRow{"HourOutOfRange", R"({"spotter":"K1ABC","spotted":"DL1XYZ","frequency":14025.0,)"
                                 R"("when":"2026-12-08T25:34:00Z"})"}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
