#include "text/JsonReader.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(JsonReaderTest, Read_MembersOfEveryKindWithNestedValuesKeptRaw) {
    CJsonReader json;
    ASSERT_TRUE(json.Read(R"( {"sc":"JA1XYZ", "f":14074123,"rp":-12.5e0,"ok":true,)"
                          R"("dxcc":{"id":[1,"]"]},"n":null} )"));
    ASSERT_EQ(json.Members().size(), 6u);
    EXPECT_EQ(json.Text("sc"), "JA1XYZ");
    double f = 0;
    ASSERT_TRUE(json.Number("f", f));
    EXPECT_EQ(f, 14074123.0);
    double rp = 0;
    ASSERT_TRUE(json.Number("rp", rp));
    EXPECT_EQ(rp, -12.5);
    EXPECT_EQ(json.Find("ok")->value, "true");
    EXPECT_EQ(json.Find("dxcc")->value, R"({"id":[1,"]"]})");
    EXPECT_EQ(json.Find("dxcc")->kind, CJsonReader::Kind::Object);
    EXPECT_FALSE(json.Text("f"));
    EXPECT_FALSE(json.Number("sc", f));
    EXPECT_EQ(json.Find("missing"), nullptr);
}

TEST(JsonReaderTest, Read_EscapesBecomeUtf8IncludingSurrogatePairs) {
    CJsonReader json;
    ASSERT_TRUE(json.Read(R"({"m":"a\"b\\c\/d\n\u00e9\ud83d\ude00","k\u0041":"x"})"));
    EXPECT_EQ(json.Text("m"), "a\"b\\c/d\n\xC3\xA9\xF0\x9F\x98\x80");
    EXPECT_EQ(json.Text("kA"), "x");
}

struct BadRow {
    const char* name;
    std::string text;
};

class JsonReaderRefuses : public testing::TestWithParam<BadRow> {};

TEST_P(JsonReaderRefuses, TextThatIsNotOneObject) {
    CJsonReader json;
    EXPECT_FALSE(json.Read(GetParam().text));
}

INSTANTIATE_TEST_SUITE_P(
    Rows, JsonReaderRefuses,
    testing::Values(BadRow{"Empty", ""}, BadRow{"Array", "[1]"}, BadRow{"Unclosed", R"({"a":1)"},
                    BadRow{"TrailingComma", R"({"a":1,})"}, BadRow{"TextAfter", R"({"a":1} x)"},
                    BadRow{"BareWord", R"({"a":yes})"}, BadRow{"LeadingZero", R"({"a":01})"},
                    BadRow{"BadEscape", R"({"a":"\q"})"},
                    BadRow{"LoneSurrogate", R"({"a":"\udc00"})"},
                    BadRow{"ControlInString", "{\"a\":\"x\ny\"}"}, BadRow{"UnquotedName", "{a:1}"},
                    BadRow{"TooDeep",
                           "{\"a\":" + std::string(100, '[') + std::string(100, ']') + "}"},
                    BadRow{"UnbalancedNested", R"({"a":[1,2})"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(JsonReaderTest, IsNumber_JsonGrammarOnly) {
    for (const char* good : {"0", "-12", "14025.0", "1e3", "2.5E-2"}) {
        EXPECT_TRUE(CJsonReader::IsNumber(good)) << good;
    }
    for (const char* bad : {"", "-", "01", "14025.", ".5", "1e", "+1", "14025,0"}) {
        EXPECT_FALSE(CJsonReader::IsNumber(bad)) << bad;
    }
}

} // namespace
