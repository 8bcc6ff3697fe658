#include "text/JsonText.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string Json(std::string_view text) {
    std::string out;
    AppendJsonString(out, text);
    return out;
}

TEST(JsonTextTest, AppendJsonString_EscapesQuotesBackslashesAndControls) {
    EXPECT_EQ(Json("cq \"up\" 5\\10\r\n\t\x01\x7f"), R"("cq \"up\" 5\\10\r\n\t\u0001\u007f")");
}

TEST(JsonTextTest, AppendJsonString_KeepsUtf8AndWritesStrayBytesAsLatin1) {
    EXPECT_EQ(Json("\xC3\xA9 \xF0\x9F\x98\x80"), "\"\xC3\xA9 \xF0\x9F\x98\x80\"");
    // A lone 8-bit byte, a cut sequence, an overlong form and a surrogate.
    EXPECT_EQ(Json("\xE9 \xC3"), R"("\u00e9 \u00c3")");
    EXPECT_EQ(Json("\xC0\xAF"), R"("\u00c0\u00af")");
    EXPECT_EQ(Json("\xED\xA0\x80"), R"("\u00ed\u00a0\u0080")");
}

} // namespace
