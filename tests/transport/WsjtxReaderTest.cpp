#include "transport/WsjtxReader.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// The datagrams are written out byte for byte; blanks only group them.
// Every one starts with the magic number, the schema and the type.
QByteArray Datagram(int schema, const char* typeAndBody) {
    return QByteArray::fromHex(QByteArray("adbccbda 0000000") + char('0' + schema) + " " +
                               typeAndBody);
}

// id "WSJT-X"
#define ID "00000006 57534a542d58 "

// max schema 3, version "2.6.1", revision "abc123"
const char* const Heartbeat = "00000000 " ID "00000003 00000005 322e362e31 00000006 616263313233";
// dial 14074000 Hz, mode "FT8", DX call "", report "-12", Tx mode "FT8",
// Tx enabled, not transmitting, decoding, Rx DF 1500, Tx DF 1500, DE call
// "G4ABC", DE grid "IO91", DX grid "", watchdog off, sub-mode null, fast
// off, special mode 0, tolerance n/a, T/R period 15, configuration
// "Default", Tx message ""
const char* const Status =
    "00000001 " ID "0000000000d6c090 00000003 465438 00000000 00000003 2d3132 "
    "00000003 465438 01 00 01 000005dc 000005dc 00000005 4734414243 "
    "00000004 494f3931 00000000 00 ffffffff 00 00 ffffffff 0000000f "
    "00000007 44656661756c74 00000000";
// new, 13:08:45, -12 dB, 0.2 s, 1234 Hz, mode "~", "CQ DX K1ABC FN42",
// low confidence, not off air
const char* const Decode =
    "00000002 " ID "01 02d21f48 fffffff4 3fc999999999999a 000004d2 00000001 7e "
    "00000010 4351204458204b3141424320464e3432 01 00";
// window 0 (sent only to a client, but harmless from one)
const char* const Clear = "00000003 " ID "00";

class WsjtxReaderSchemaTest : public ::testing::TestWithParam<int> {
  protected:
    WsjtxRefusal Read(const char* body) {
        return CWsjtxReader::Read(Datagram(GetParam(), body), m);
    }
    WsjtxMessage m;
};

TEST_P(WsjtxReaderSchemaTest, Read_HeartbeatGivesVersion) {
    ASSERT_EQ(Read(Heartbeat), WsjtxRefusal::None);
    EXPECT_EQ(m.Kind, WsjtxKind::Heartbeat);
    EXPECT_EQ(m.Schema, static_cast<std::uint32_t>(GetParam()));
    EXPECT_EQ(m.Id, "WSJT-X");
    EXPECT_EQ(m.Heartbeat.MaxSchema, 3U);
    EXPECT_EQ(m.Heartbeat.Version, "2.6.1");
    EXPECT_EQ(m.Heartbeat.Revision, "abc123");
}

TEST_P(WsjtxReaderSchemaTest, Read_StatusGivesDialModeAndStation) {
    ASSERT_EQ(Read(Status), WsjtxRefusal::None);
    EXPECT_EQ(m.Kind, WsjtxKind::Status);
    EXPECT_EQ(m.Status.DialFrequencyHz, 14074000U);
    EXPECT_EQ(m.Status.Mode, "FT8");
    EXPECT_EQ(m.Status.DxCall, "");
    EXPECT_TRUE(m.Status.TxEnabled);
    EXPECT_FALSE(m.Status.Transmitting);
    EXPECT_TRUE(m.Status.Decoding);
    EXPECT_EQ(m.Status.DeCall, "G4ABC");
    EXPECT_EQ(m.Status.DeGrid, "IO91");
}

TEST_P(WsjtxReaderSchemaTest, Read_DecodeGivesEveryField) {
    ASSERT_EQ(Read(Decode), WsjtxRefusal::None);
    EXPECT_EQ(m.Kind, WsjtxKind::Decode);
    EXPECT_TRUE(m.Decode.New);
    EXPECT_EQ(m.Decode.TimeMs, 47325000U);
    EXPECT_EQ(m.Decode.Snr, -12);
    EXPECT_DOUBLE_EQ(m.Decode.DeltaTime, 0.2);
    EXPECT_EQ(m.Decode.DeltaFrequencyHz, 1234U);
    EXPECT_EQ(m.Decode.Mode, "~");
    EXPECT_EQ(m.Decode.Message, "CQ DX K1ABC FN42");
    EXPECT_TRUE(m.Decode.LowConfidence);
    EXPECT_FALSE(m.Decode.OffAir);
}

TEST_P(WsjtxReaderSchemaTest, Read_ClearAndCloseGiveTheirKinds) {
    ASSERT_EQ(Read(Clear), WsjtxRefusal::None);
    EXPECT_EQ(m.Kind, WsjtxKind::Clear);
    ASSERT_EQ(Read("00000006 " ID), WsjtxRefusal::None);
    EXPECT_EQ(m.Kind, WsjtxKind::Close);
    EXPECT_EQ(m.Id, "WSJT-X");
}

INSTANTIATE_TEST_SUITE_P(Schemas, WsjtxReaderSchemaTest, ::testing::Values(2, 3),
                         [](const auto& info) { return "Schema" + std::to_string(info.param); });

// Clients older than a field end the message before it.
TEST(WsjtxReaderTest, Read_MessagesWithoutTheLaterFieldsTakeTheirDefaults) {
    WsjtxMessage m;
    ASSERT_EQ(CWsjtxReader::Read(Datagram(2, "00000000 " ID), m), WsjtxRefusal::None);
    EXPECT_EQ(m.Heartbeat.MaxSchema, 2U);
    EXPECT_EQ(m.Heartbeat.Version, "");

    m.Status.DeCall = "OLD";
    const char* status = "00000001 " ID "0000000000d6c090 00000003 465438 ffffffff ffffffff "
                         "ffffffff 00 01 00";
    ASSERT_EQ(CWsjtxReader::Read(Datagram(2, status), m), WsjtxRefusal::None);
    EXPECT_TRUE(m.Status.Transmitting);
    EXPECT_EQ(m.Status.DeCall, "");

    m.Decode.OffAir = true;
    const char* decode = "00000002 " ID "00 ffffffff 00000003 bfb999999999999a 000005dc "
                         "00000001 2b 0000000d 4351204b3141424320464e3432";
    ASSERT_EQ(CWsjtxReader::Read(Datagram(3, decode), m), WsjtxRefusal::None);
    EXPECT_FALSE(m.Decode.New);
    EXPECT_EQ(m.Decode.TimeMs, WsjtxDecode::TimeUnknown);
    EXPECT_EQ(m.Decode.Snr, 3);
    EXPECT_EQ(m.Decode.Message, "CQ K1ABC FN42");
    EXPECT_FALSE(m.Decode.LowConfidence);
    EXPECT_FALSE(m.Decode.OffAir);
}

struct RefusedRow {
    const char* name;
    QByteArray datagram;
    WsjtxRefusal refusal;
};

class WsjtxReaderRefusalTest : public ::testing::TestWithParam<RefusedRow> {};

TEST_P(WsjtxReaderRefusalTest, Read_RefusesWithTheReason) {
    WsjtxMessage m;
    EXPECT_EQ(CWsjtxReader::Read(GetParam().datagram, m), GetParam().refusal);
}

// The decode above, cut inside its last text.
QByteArray CutDecode() {
    QByteArray d = Datagram(2, Decode);
    d.chop(6);
    return d;
}

INSTANTIATE_TEST_SUITE_P(
    Datagrams, WsjtxReaderRefusalTest,
    ::testing::Values(
        RefusedRow{"Empty", QByteArray(), WsjtxRefusal::Empty},
        RefusedRow{"SixtyFourKilobytes", Datagram(2, Decode) + QByteArray(65536 - 100, '\0'),
                   WsjtxRefusal::TooLong},
        RefusedRow{"OtherMagic", QByteArray::fromHex("adbccbdb 00000002 00000000"),
                   WsjtxRefusal::NotProtocol},
        RefusedRow{"ThreeBytes", QByteArray::fromHex("adbccb"), WsjtxRefusal::NotProtocol},
        RefusedRow{"SchemaOne", Datagram(1, Heartbeat), WsjtxRefusal::Schema},
        RefusedRow{"SchemaFour", Datagram(4, Heartbeat), WsjtxRefusal::Schema},
        RefusedRow{"NoType", QByteArray::fromHex("adbccbda 00000002 0000"),
                   WsjtxRefusal::Truncated},
        RefusedRow{"CutInsideAText", CutDecode(), WsjtxRefusal::BadLength},
        RefusedRow{"CutInsideANumber", Datagram(2, "00000002 " ID "01 02d21f"),
                   WsjtxRefusal::Truncated},
        RefusedRow{"CutInsideTheStatusFlags",
                   Datagram(2, "00000001 " ID "0000000000d6c090 00000000 00000000 00000000 "
                               "00000000 01"),
                   WsjtxRefusal::Truncated},
        RefusedRow{"IdLongerThanTheDatagram", Datagram(3, "00000000 00010000 57534a54"),
                   WsjtxRefusal::BadLength},
        RefusedRow{"NegativeLength", Datagram(3, "00000000 fffffff0 57534a54"),
                   WsjtxRefusal::BadLength},
        RefusedRow{"MessageLengthPastTheEnd",
                   Datagram(2, "00000002 " ID "01 02d21f48 fffffff4 3fc999999999999a 000004d2 "
                               "00000001 7e 7ffffff0 4351"),
                   WsjtxRefusal::BadLength}),
    [](const auto& info) { return std::string(info.param.name); });

// Types the listener does not use, known (QSO logged) or not, are read no
// further than their type.
TEST(WsjtxReaderTest, Read_OtherTypesAreIgnoredUnread) {
    WsjtxMessage m;
    ASSERT_EQ(CWsjtxReader::Read(Datagram(2, "00000005 ffff"), m), WsjtxRefusal::None);
    EXPECT_EQ(m.Kind, WsjtxKind::Ignored);
    ASSERT_EQ(CWsjtxReader::Read(Datagram(3, "000000ff"), m), WsjtxRefusal::None);
    EXPECT_EQ(m.Kind, WsjtxKind::Ignored);
    EXPECT_EQ(m.Type, 255U);
}

} // namespace
