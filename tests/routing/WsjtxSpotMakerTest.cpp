#include "routing/WsjtxSpotMaker.h"

#include "support/RecordingWsjtxOutput.h"
#include "support/SettableClock.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

constexpr std::uint32_t At1308 = (13 * 3600 + 8 * 60 + 45) * 1000;

class WsjtxSpotMakerTest : public ::testing::Test {
  protected:
    WsjtxSpotMakerTest() { options.MyCall = "G0OWN"; }

    void Heartbeat(const std::string& id, const std::string& version) {
        WsjtxMessage m;
        m.Kind = WsjtxKind::Heartbeat;
        m.Id = id;
        m.Heartbeat.Version = version;
        maker.Take(m);
    }
    void Status(const std::string& id, std::uint64_t dialHz, const std::string& deCall = "G4ABC",
                const std::string& deGrid = "IO91") {
        WsjtxMessage m;
        m.Kind = WsjtxKind::Status;
        m.Id = id;
        m.Status.DialFrequencyHz = dialHz;
        m.Status.Mode = "FT8";
        m.Status.DeCall = deCall;
        m.Status.DeGrid = deGrid;
        maker.Take(m);
    }
    WsjtxMessage DecodeOf(const std::string& id, const std::string& message, int snr = -12,
                          std::uint32_t offsetHz = 1234) {
        WsjtxMessage m;
        m.Kind = WsjtxKind::Decode;
        m.Id = id;
        m.Decode.TimeMs = At1308;
        m.Decode.Snr = snr;
        m.Decode.DeltaFrequencyHz = offsetHz;
        m.Decode.Mode = "~";
        m.Decode.Message = message;
        return m;
    }
    void Decode(const std::string& id, const std::string& message, int snr = -12,
                std::uint32_t offsetHz = 1234) {
        maker.Take(DecodeOf(id, message, snr, offsetHz));
    }

    WsjtxOptions options;
    SettableClock clock;
    RecordingWsjtxOutput output{clock};
    CWsjtxSpotMaker maker{options, clock, output};
};

TEST_F(WsjtxSpotMakerTest, Decode_CqBecomesSpotFromTheClientsStation) {
    Heartbeat("WSJT-X radio 1", "2.6.1");
    Status("WSJT-X radio 1", 14074000);
    Decode("WSJT-X radio 1", "CQ DX K1ABC FN42");
    Decode("WSJT-X radio 1", "CQ NA W1AW", 3, 2450);

    EXPECT_EQ(output.lines,
              std::vector<std::string>{"WSJT-X radio 1 (2.6.1), 14.074 MHz FT8, DE G4ABC IO91"});
    EXPECT_EQ(output.spots,
              (std::vector<std::string>{
                  "DX de G4ABC-#:   14075.2  K1ABC        FT8 -12 dB FN42 CQ DX          1308Z",
                  "DX de G4ABC-#:   14076.5  W1AW         FT8 3 dB CQ NA                 1308Z"}));
    EXPECT_EQ(maker.GetCounts().Cqs, 2U);
    EXPECT_EQ(maker.GetCounts().Spots, 2U);
}

TEST_F(WsjtxSpotMakerTest, Decode_ModeFromItsSymbolTimeFromTheClockWhenUnknown) {
    Status("JTDX", 7047500, "");
    WsjtxMessage m = DecodeOf("JTDX", "CQ K1ABC FN42", -5, 2449);
    m.Decode.Mode = "+";
    m.Decode.TimeMs = WsjtxDecode::TimeUnknown;
    clock.seconds = 86400 * 3 + 9 * 3600 + 59 * 60 + 59;
    maker.Take(m);
    m.Decode.Mode = "?";
    m.Decode.Message = "CQ W1AW";
    maker.Take(m);

    // Without a DE call the port's own call is the spotter.
    EXPECT_EQ(output.spots,
              (std::vector<std::string>{
                  "DX de G0OWN-#:    7049.9  K1ABC        FT4 -5 dB FN42 CQ              0959Z",
                  "DX de G0OWN-#:    7049.9  W1AW         FT8 -5 dB CQ                   0959Z"}));
}

TEST_F(WsjtxSpotMakerTest, Decode_OffAirLowConfidenceAndReplayedOnlyWhenSetTo) {
    Status("WSJT-X", 14074000);
    WsjtxMessage offAir = DecodeOf("WSJT-X", "CQ K1ABC FN42");
    offAir.Decode.OffAir = true;
    WsjtxMessage doubtful = DecodeOf("WSJT-X", "CQ W1AW FN31");
    doubtful.Decode.LowConfidence = true;
    WsjtxMessage replayed = DecodeOf("WSJT-X", "CQ K9XYZ EN52");
    replayed.Decode.New = false;
    for (const WsjtxMessage* m : {&offAir, &doubtful, &replayed}) {
        maker.Take(*m);
    }
    EXPECT_TRUE(output.spots.empty());
    EXPECT_EQ(maker.GetCounts().NotSpotted, 3U);

    options.OffAir = true;
    for (const WsjtxMessage* m : {&offAir, &doubtful, &replayed}) {
        maker.Take(*m);
    }
    EXPECT_EQ(output.spots.size(), 3U);
}

TEST_F(WsjtxSpotMakerTest, Decode_SameStationBandAndModeWithinTheIntervalIsARepeat) {
    Status("A", 14074000);
    Status("B", 7074000);
    Decode("A", "CQ K1ABC FN42");
    clock.seconds += 9 * 60 + 59;
    Decode("A", "CQ K1ABC FN42", -3, 300); // same band, other client offset
    Decode("B", "CQ K1ABC FN42");          // other band
    EXPECT_EQ(output.spots.size(), 2U);
    EXPECT_EQ(maker.GetCounts().Repeats, 1U);

    clock.seconds += 1; // ten minutes after the first
    Decode("A", "CQ K1ABC FN42");
    EXPECT_EQ(output.spots.size(), 3U);

    options.RepeatMinutes = 0;
    Decode("A", "CQ K1ABC FN42");
    EXPECT_EQ(output.spots.size(), 4U);
}

TEST_F(WsjtxSpotMakerTest, Decode_OtherMessagesOnlyWithSpotAll) {
    Status("WSJT-X", 14074000);
    Decode("WSJT-X", "G4XYZ K1ABC -12");
    EXPECT_TRUE(output.spots.empty());
    EXPECT_EQ(maker.GetCounts().Decodes, 1U);

    options.SpotAll = true;
    Decode("WSJT-X", "G4XYZ K1ABC R-12");
    Decode("WSJT-X", "TNX BOB 73 GL");
    Decode("WSJT-X", "K1ABC W1AW FN31");
    EXPECT_EQ(output.spots,
              (std::vector<std::string>{
                  "DX de G4ABC-#:   14075.2  K1ABC        FT8 -12 dB                     1308Z",
                  "DX de G4ABC-#:   14075.2  W1AW         FT8 -12 dB FN31                1308Z"}));
}

TEST_F(WsjtxSpotMakerTest, Decode_BeforeAnyStatusIsCountedAndSaidOnce) {
    Decode("WSJT-X", "CQ K1ABC FN42");
    Decode("WSJT-X", "CQ W1AW FN31");
    EXPECT_TRUE(output.spots.empty());
    EXPECT_EQ(output.lines,
              std::vector<std::string>{
                  "WSJT-X: no Status yet, so no dial frequency; decodes not spotted"});
    EXPECT_EQ(maker.GetCounts().NotSpotted, 2U);
}

TEST_F(WsjtxSpotMakerTest, Tick_CountsLineEachMinuteWithSomethingCounted) {
    maker.Tick();
    Status("WSJT-X", 14074000);
    Decode("WSJT-X", "CQ K1ABC FN42");
    Decode("WSJT-X", "CQ K1ABC FN42");
    Decode("WSJT-X", "G4XYZ K1ABC -12");
    maker.Refused(WsjtxRefusal::BadLength);
    maker.Refused(WsjtxRefusal::BadLength);
    clock.seconds += 59;
    maker.Tick();
    clock.seconds += 1;
    maker.Tick();
    clock.seconds += 60; // a quiet minute
    maker.Tick();

    EXPECT_EQ(output.lines,
              (std::vector<std::string>{
                  "WSJT-X, 14.074 MHz FT8, DE G4ABC IO91",
                  "Datagram dropped: a text length is negative or runs past the end (more are "
                  "only counted)",
                  "3 decodes, 2 CQs, 1 spots sent, 1 repeats, 2 datagrams refused"}));
}

TEST_F(WsjtxSpotMakerTest, Clients_CloseAndTheCapForgetThem) {
    for (int i = 0; i <= static_cast<int>(CWsjtxSpotMaker::MaxClients); ++i) {
        clock.seconds += 1;
        Heartbeat("radio " + std::to_string(i), "2.7.0");
    }
    EXPECT_EQ(maker.ClientCount(), CWsjtxSpotMaker::MaxClients);
    EXPECT_EQ(output.lines.back(), "radio 0 forgotten: more than 32 clients");

    WsjtxMessage close;
    close.Kind = WsjtxKind::Close;
    close.Id = "radio 1";
    maker.Take(close);
    EXPECT_EQ(output.lines.back(), "radio 1 closed");
    EXPECT_EQ(maker.ClientCount(), CWsjtxSpotMaker::MaxClients - 1);
}

} // namespace
