#include "spots/PskReportReader.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>

namespace {

TEST(PskReportReaderTest, Read_FullReportGivesEveryField) {
    CPskReportReader reader;
    PskReport report;
    ASSERT_EQ(reader.Read(R"({"sq":30142870791,"f":14074123,"md":"FT8","rp":-12,"t":1733695140,)"
                          R"("sc":"ja1xyz","sl":"PM95","rc":"W3OA","rl":"FN20","sa":339,)"
                          R"("ra":291,"b":"20m"})",
                          report),
              PskRefusal::None);
    EXPECT_EQ(report.Sender, "JA1XYZ");
    EXPECT_EQ(report.SenderLocator, "PM95");
    EXPECT_EQ(report.Receiver, "W3OA");
    EXPECT_EQ(report.ReceiverLocator, "FN20");
    EXPECT_EQ(report.Mode, "FT8");
    EXPECT_EQ(report.Band, "20m");
    EXPECT_EQ(report.Hz, 14074123U);
    EXPECT_TRUE(report.HasSnr);
    EXPECT_EQ(report.Snr, -12);
    EXPECT_EQ(report.Time, 1733695140);
    EXPECT_EQ(report.SenderDxcc, 339);
    EXPECT_EQ(report.ReceiverDxcc, 291);
}

TEST(PskReportReaderTest, Read_OnlyTheNeededMembersLeaveTheRestUnknown) {
    CPskReportReader reader;
    PskReport report;
    ASSERT_EQ(reader.Read(R"( {"f":7074000,"md":"FT4","t":1733695140,"sc":"DL1ABC/P",)"
                          R"("rc":"G4ABC","extra":{"nested":[1,2]}} )",
                          report),
              PskRefusal::None);
    EXPECT_EQ(report.Sender, "DL1ABC/P");
    EXPECT_FALSE(report.HasSnr);
    EXPECT_EQ(report.Band, "");
    EXPECT_EQ(report.SenderLocator, "");
    EXPECT_EQ(report.SenderDxcc, -1);
}

// The flat layout and any other give the same report, or the same refusal.
TEST(PskReportReaderTest, Read_AgreesWithTheFullJsonReaderOnEveryLayout) {
    const std::string payloads[] = {
        R"({"f":14074123,"md":"FT8","rp":-12,"t":1733695140,"sc":"ja1xyz","sl":"PM95",)"
        R"("rc":"W3OA","rl":"FN20","sa":339,"ra":291,"b":"20m"})",
        R"({"f":14074123.4,"md":"FT8","rp":-0,"t":1733695140e0,"sc":"JA1XYZ","rc":"W3OA",)"
        R"("sc":"K1ABC","ra":1000})",
        R"({"s\u0063":"JA1XYZ","f":7074000,"md":"FT4","t":1,"rc":"W3OA","x":[{}]})",
        R"({"f":1e400,"md":"FT8","t":1,"sc":"JA1XYZ","rc":"W3OA"})",
        R"({"f":999,"md":"FT8","t":1,"sc":"JA1XYZ","rc":"W3OA"})",
        R"({"f":14074123,"md":"FT8","t":1.5,"sc":"JA1XYZ","rc":"W3OA"})",
        R"({"f":14074123,"md":"F T8","t":1,"sc":"JA1XYZ","rc":"W3OA"})",
        R"({"f":1407412300000000000000,"md":"FT8","t":1,"sc":"JA1XYZ","rc":"W3OA"})",
    };
    for (const std::string& payload : payloads) {
        CPskReportReader flat;
        CPskReportReader full;
        PskReport a;
        PskReport b;
        ASSERT_EQ(flat.Read(payload, a), full.ReadAnyLayout(payload, b)) << payload;
        EXPECT_EQ(std::tie(a.Sender, a.Receiver, a.Mode, a.Band, a.SenderLocator, a.ReceiverLocator,
                           a.Hz, a.Snr, a.HasSnr, a.Time, a.SenderDxcc, a.ReceiverDxcc),
                  std::tie(b.Sender, b.Receiver, b.Mode, b.Band, b.SenderLocator, b.ReceiverLocator,
                           b.Hz, b.Snr, b.HasSnr, b.Time, b.SenderDxcc, b.ReceiverDxcc))
            << payload;
    }
}

struct RefusalRow {
    const char* name;
    std::string payload;
    PskRefusal refusal;
};

class PskReportReaderRefusalTest : public ::testing::TestWithParam<RefusalRow> {};

TEST_P(PskReportReaderRefusalTest, Read_RefusesWithItsReason) {
    CPskReportReader reader;
    PskReport report;
    EXPECT_EQ(reader.Read(GetParam().payload, report), GetParam().refusal);
}

const std::string Tail = R"(,"md":"FT8","t":1733695140,"sc":"JA1XYZ","rc":"W3OA"})";

INSTANTIATE_TEST_SUITE_P(
    Rows, PskReportReaderRefusalTest,
    ::testing::Values(
        RefusalRow{"PlainText", "DX de W3OA-#: 14074.1 JA1XYZ", PskRefusal::NotJson},
        RefusalRow{"Array", R"([{"f":14074123}])", PskRefusal::NotJson},
        RefusalRow{"CutShort", R"({"f":14074123,"md":"FT8")", PskRefusal::NotJson},
        RefusalRow{"TwoObjects", R"({"f":1}{"f":2})", PskRefusal::NotJson},
        RefusalRow{"NoSender", R"({"f":14074123,"md":"FT8","t":1733695140,"rc":"W3OA"})",
                   PskRefusal::Shape},
        RefusalRow{"FrequencyAsText", R"({"f":"14074123")" + Tail, PskRefusal::Shape},
        RefusalRow{"CallWithMarkup",
                   R"({"f":14074123,"md":"FT8","t":1733695140,)"
                   R"("sc":"<b>JA1XYZ","rc":"W3OA"})",
                   PskRefusal::Shape},
        RefusalRow{"CallWithoutDigit",
                   R"({"f":14074123,"md":"FT8","t":1733695140,)"
                   R"("sc":"HELLO","rc":"W3OA"})",
                   PskRefusal::Shape},
        RefusalRow{"NegativeTime",
                   R"({"f":14074123,"md":"FT8","t":-5,"sc":"JA1XYZ",)"
                   R"("rc":"W3OA"})",
                   PskRefusal::Shape},
        RefusalRow{"ZeroFrequency", R"({"f":0)" + Tail, PskRefusal::Frequency},
        RefusalRow{"NegativeFrequency", R"({"f":-14074123)" + Tail, PskRefusal::Frequency},
        RefusalRow{"HugeFrequency", R"({"f":1e300)" + Tail, PskRefusal::Frequency}),
    [](const ::testing::TestParamInfo<RefusalRow>& info) { return info.param.name; });

} // namespace
