#include "routing/PskReporterRouter.h"

#include "RouterRig.h"
#include "support/ScratchFolder.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using namespace rig;

// 2026-12-08 21:59:00 UTC.
constexpr const char* At2159 = "1796767140";

std::string Report(const std::string& sender, long long hz, int snr = -12) {
    return R"({"sq":30142870791,"f":)" + std::to_string(hz) + R"(,"md":"FT8","rp":)" +
           std::to_string(snr) + R"(,"t":)" + At2159 + R"(,"sc":")" + sender +
           R"(","sl":"PM95","rc":"W3OA","rl":"FN20","sa":339,"ra":291,"b":"20m"})";
}

TEST(PskReporterRouterTest, AsSource_ReportBecomesASkimmerSpotLine) {
    Rig r("PSK Reporter", "CT User");
    r.Feed(Report("JA1XYZ", 14074123));
    EXPECT_EQ(r.dst.written,
              "DX de W3OA-#:    14074.1  JA1XYZ       FT8 -12 dB PM95                2159Z\r\n");
    EXPECT_EQ(r.dstRouter.Counts().passed, 1);
}

// A destination that notes what the spot says of its spotter.
class SpotterRecorder : public CRouter {
  public:
    explicit SpotterRecorder(CRouterPort& port) : CRouter(port, DataTypeCode::Direct) {}
    void SaveSettings(CSetupFile&) const override {}
    std::string seen;

  protected:
    void Convert(const Spot& in, const CRouterPort&) override {
        seen += std::string(in.fields.SpotterGrid) + " " + std::to_string(in.fields.SpotterDxcc) +
                " " + std::to_string(in.fields.SpotterContinent) + ";";
    }
};

// The receiver's locator and country come from the report, its continent
// from the country of "ra" in the port's country file.
TEST(PskReporterRouterTest, AsSource_SpotCarriesTheReceiversLocatorCountryAndContinent) {
    ScratchFolder scratch;
    WriteFileBytes(scratch.Path() / "cty.dat",
                   "United States: 05: 08: NA: 37.53: 91.67: 5.0: K:\n K,W;\n");
    WriteFileBytes(scratch.Path() / "cty.csv", "K,United States,291,NA,5,8,37.53,91.67,5.0,K W;\n");
    Rig r("PSK Reporter", "CT User");
    SpotterRecorder recorder(r.host.AddPort("REC"));
    r.srcRouter.AddRoute(&recorder);
    r.srcRouter.SetFilter((scratch.Path() / "cty.dat").string(), {});
    r.Feed(Report("JA1XYZ", 14074123));
    r.Feed(R"({"f":7074000,"md":"FT8","t":1796767140,"sc":"JA1XYZ","rc":"W3OA"})");
    EXPECT_EQ(recorder.seen, "FN20 291 4; 0 -1;");
}

TEST(PskReporterRouterTest, AsSource_SenderOnTheSameBandWithinTheIntervalIsCounted) {
    Rig r("PSK Reporter", "CT User");
    auto& psk = static_cast<CPskReporterRouter&>(r.srcRouter);
    r.Feed(Report("JA1XYZ", 14074123));
    r.Feed(Report("JA1XYZ", 14075000, -3)); // same band, other receiver audio
    r.Feed(Report("JA1XYZ", 7074000));      // another band
    r.host.clock.seconds += 10 * 60;
    r.Feed(Report("JA1XYZ", 14074123)); // the interval is over
    EXPECT_EQ(psk.SpotsMade(), 3U);
    EXPECT_EQ(psk.Drops().Total("sender spotted on the band within 10 min"), 1U);
    EXPECT_EQ(r.dst.written.find("JA1XYZ       FT8 -3 dB"), std::string::npos);
}

TEST(PskReporterRouterTest, AsSource_BadReportsAreToldOncePerReasonAMinute) {
    Rig r("PSK Reporter", "CT User");
    auto& psk = static_cast<CPskReporterRouter&>(r.srcRouter);
    for (int i = 0; i < 3; ++i) {
        r.Feed("not json at all");
    }
    r.Feed(R"({"f":0,"md":"FT8","t":1733695140,"sc":"JA1XYZ","rc":"W3OA"})");
    r.host.clock.seconds += 60;
    r.src.OnTimer();
    EXPECT_EQ(r.dst.written, "");
    EXPECT_EQ(psk.Drops().Total(), 4U);
    EXPECT_EQ(r.host.ViewOf(0).Text(),
              "SRC: Report dropped: not JSON (more in this minute are counted)\n"
              "SRC: Report dropped: frequency out of range (more in this minute are counted)\n"
              "SRC: 2 reports dropped in the last minute: not JSON\n");
}

TEST(PskReporterRouterTest, AsDestination_RefusesEveryLine) {
    Rig r("Cluster User", "PSK Reporter");
    r.Feed(UserSpot);
    EXPECT_EQ(r.dst.written, "");
    EXPECT_NE(r.Shown().find("Can't route to PSK Reporter, it takes no input."), std::string::npos);
}

TEST(PskReporterRouterTest, SaveAndLoad_RoundTripWithCode11AndTheRepeatInterval) {
    FakePortHost host;
    FakePort& port = host.AddPort("PSKR");
    const std::vector<std::string> lines = {"DupeLength=7",
                                            "CRLFOption=3",
                                            "BlockDashAtOption=0",
                                            "StripAtPoundOption=0",
                                            "OnlyPassSkimmerCQOption=0",
                                            "Filter=reject band=60m",
                                            "PskRepeat=5"};
    CSetupFile setup(lines, host.ui);
    const auto loaded = Load(DataTypeCode::PskReporter, setup, port);
    ASSERT_NE(loaded, nullptr);
    EXPECT_EQ(loaded->InputType, "PSK Reporter");
    EXPECT_EQ(loaded->PskRepeat, 5);
    EXPECT_EQ(Saved(*loaded), "InputType=11\nDupeLength=7\nCRLFOption=3\nBlockDashAtOption=0\n"
                              "StripAtPoundOption=0\nOnlyPassSkimmerCQOption=0\n"
                              "Filter=reject band=60m\nPskRepeat=5\n");
    EXPECT_EQ(setup.ErrorCount(), 0);
}

} // namespace
