#include "text/FlatJsonReader.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

namespace {

struct FlatRow {
    const char* name;
    std::string payload;
    // False: the payload is left to the full reader.
    bool taken;
};

class FlatJsonReaderTest : public ::testing::TestWithParam<FlatRow> {};

// What the flat reader takes, the full reader reads to the same members
// (the first of a name); what it declines is an odd layout or no JSON.
TEST_P(FlatJsonReaderTest, Read_TakesThePlainLayoutAsTheFullReaderDoes) {
    const std::vector<std::string_view> names = {"sc", "f", "rp", "ok", "b"};
    CFlatJsonReader flat(names);
    CJsonReader json;
    const bool taken = flat.Read(GetParam().payload);
    ASSERT_EQ(taken, GetParam().taken);
    if (!taken) {
        return;
    }
    ASSERT_TRUE(json.Read(GetParam().payload));
    for (std::size_t i = 0; i < names.size(); ++i) {
        const CJsonReader::Member* ours = flat.Value(i);
        const CJsonReader::Member* full = json.Find(names[i]);
        ASSERT_EQ(ours == nullptr, full == nullptr) << i;
        if (ours != nullptr) {
            EXPECT_EQ(ours->value, full->value) << i;
            EXPECT_EQ(ours->kind, full->kind) << i;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Rows, FlatJsonReaderTest,
    ::testing::Values(
        FlatRow{"Report",
                R"({"sq":30142870791,"f":14074123,"md":"FT8","rp":-12,"sc":"JA1XYZ","b":"20m"})",
                true},
        FlatRow{"BlanksEverywhere", " \t{ \"sc\" : \"W3OA\" ,\r\n\"ok\":true , \"rp\":-1.5e2 }\n",
                true},
        FlatRow{"FirstOfTwoNames", R"({"sc":"JA1XYZ","sc":"W3OA","ok":null})", true},
        FlatRow{"Empty", "{}", true},
        FlatRow{"NonAsciiKept", "{\"sc\":\"\xC3\xA9t\xC3\xA9\"}", true},
        FlatRow{"EscapedName", R"({"s\u0063":"JA1XYZ"})", false},
        FlatRow{"EscapedValue", R"({"sc":"JA\/1"})", false},
        FlatRow{"Nested", R"({"f":1,"x":{"y":[1]}})", false},
        FlatRow{"LeadingZero", R"({"f":014074123})", false},
        FlatRow{"PlusSign", R"({"f":+1})", false},
        FlatRow{"ControlInString", "{\"sc\":\"A\tB\"}", false},
        FlatRow{"TrailingComma", R"({"f":1,})", false},
        FlatRow{"TwoObjects", R"({"f":1}{"f":2})", false},
        FlatRow{"CutShort", R"({"sc":"JA1)", false}, FlatRow{"BadLiteral", R"({"ok":tru})", false}),
    [](const ::testing::TestParamInfo<FlatRow>& info) { return info.param.name; });

} // namespace
