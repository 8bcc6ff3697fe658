#include "transport/MqttHandler.h"

#include "EventSpin.h"
#include "MosquittoBroker.h"
#include "NetTestHost.h"
#include "SetupText.h"
#include "routing/Router.h"
#include "setup/SetupFile.h"
#include "support/FakePortHost.h"
#include "support/RecordingPortView.h"
#include "support/ScratchFolder.h"
#include "transport/PortFactory.h"
#include "transport/WriteQueue.h"

#include <gtest/gtest.h>

#include <QTcpServer>
#include <QTcpSocket>

#include <deque>
#include <filesystem>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

namespace {

struct KeyRow {
    const char* name;
    std::string read;
    std::string saved;
};

class MqttHandlerSetupTest : public ::testing::TestWithParam<KeyRow> {};

TEST_P(MqttHandlerSetupTest, KindKeys_LoadAndSaveAsWritten) {
    FakePortHost host;
    RecordingPortView view;
    std::vector<std::string> lines = SetupText::Lines(
        SetupText::Common("MQTT", 32000, "") +
        "HostName=broker.example.net\nPortNumber=1884\nMqttClientId=g4abc-shack\n" +
        GetParam().read + "InputType=1\n");
    CSetupFile setup(lines, host.ui);
    CPortFactory factory;
    std::unique_ptr<CPortHandler> port = factory.CreateFromSetup("MQTT", setup, host, view);
    ASSERT_NE(port, nullptr);
    EXPECT_TRUE(setup.IsNextKey("InputType"));

    std::string saved;
    CSetupFile writer([&saved](std::string_view line) { saved += line; });
    port->SaveKindSettings(writer);
    EXPECT_EQ(saved, "HostName=broker.example.net\nPortNumber=1884\nMqttClientId=g4abc-shack\n" +
                         GetParam().saved);
}

const std::string AllOptional = "MqttUser=g4abc\nMqttPassword=s3cret\nMqttTls=/etc/ssl/ca.pem\n"
                                "MqttSubscribe=pskr/filter/v2/20m/FT8/#,spotweaver/spots/#\n"
                                "MqttPublish=club/{cont}/{band}\nMqttQos=1\n";

INSTANTIATE_TEST_SUITE_P(
    Rows, MqttHandlerSetupTest,
    ::testing::Values(KeyRow{"WithoutOptionalKeys", "", ""},
                      KeyRow{"AllOptionalKeys", AllOptional, AllOptional},
                      KeyRow{"DefaultsNotWritten",
                             "MqttPublish=spotweaver/spots/{band}/{mode}\nMqttQos=0\n", ""},
                      KeyRow{"QosOutOfRangeIsOne", "MqttQos=7\n", "MqttQos=1\n"}),
    [](const ::testing::TestParamInfo<KeyRow>& info) { return info.param.name; });

// Two MQTT ports on one broker of the test's own: the subscriber routes what
// it receives to a log file port, whose writes are recorded.
class MqttHandlerTest : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!MosquittoBroker::Available()) {
            GTEST_SKIP() << MosquittoBroker::Program << " is not installed";
        }
        host.clock.seconds = 1796770800; // 2026-12-08 23:00:00 UTC
    }

    std::unique_ptr<CMqttHandler> Port(const std::string& name, const std::string& dataType) {
        auto port = std::make_unique<CMqttHandler>(host, views.emplace_back());
        port->PortName = name;
        port->SetInstanceId("test-" + name);
        port->PortNumber = broker.Port();
        port->CreateRouter(dataType, RouterSetup{}, false);
        host.Add(*port);
        return port;
    }

    // The subscriber of the topics, routed to the log.
    std::unique_ptr<CMqttHandler> Subscriber(const std::string& dataType,
                                             const std::string& filter) {
        auto port = Port("IN", dataType);
        port->MqttSubscribe = filter;
        log.CreateRouter("CT User", RouterSetup{}, false);
        port->Router()->AddRoute(log.Router());
        return port;
    }

    static bool Up(const CMqttHandler& port) {
        return SpinUntil([&] { return port.Client().IsReady(); }, 10000);
    }

    MosquittoBroker broker;
    NetTestHost host;
    std::deque<RecordingPortView> views;
    RecordingPortView logView;
    FakePort log{host, logView};
};

TEST_F(MqttHandlerTest, PlainLine_PublishedByOnePortIsRoutedByTheOther) {
    ASSERT_TRUE(broker.Start());
    auto in = Subscriber("Cluster User", "spots/#, other/+");
    auto out = Port("OUT", "Cluster User");
    out->MqttPublish = "spots/{band}";
    in->Connect();
    out->Connect();
    ASSERT_TRUE(Up(*in));
    ASSERT_TRUE(Up(*out));
    EXPECT_NE(views[0].Text().find("IN: Connected to broker " + broker.Endpoint() +
                                   "\nIN: Subscribed to spots/#, other/+\n"),
              std::string::npos);

    out->SendText(
        "DX de K1ABC:     14025.0  DL1XYZ       cq cq                          1234Z\r\n");
    ASSERT_TRUE(SpinUntil([&] { return !log.written.empty(); }));
    EXPECT_EQ(log.written,
              "DX de K1ABC:     14025.0  DL1XYZ       cq cq                          1234Z\r\n");
}

TEST_F(MqttHandlerTest, Qos1_WhatIsPublishedWhileTheBrokerIsDownArrivesAfterItsRestart) {
    ASSERT_TRUE(broker.Start());
    auto in = Subscriber("Cluster User", "spots/#");
    in->MqttClientId = "test-in";
    in->MqttQos = 1;
    auto out = Port("OUT", "Cluster User");
    out->MqttClientId = "test-out";
    out->MqttQos = 1;
    out->MqttPublish = "spots/{band}";
    in->Connect();
    out->Connect();
    ASSERT_TRUE(Up(*in));
    ASSERT_TRUE(Up(*out));

    broker.Stop();
    ASSERT_TRUE(SpinUntil([&] { return !in->Client().IsUp() && !out->Client().IsUp(); }));
    out->SendText(
        "DX de K1ABC:     14025.0  DL1XYZ       first                          1234Z\r\n"
        "DX de K1ABC:      7025.0  DL1XYZ       second                         1235Z\r\n");
    EXPECT_EQ(out->Published(), 2U);
    ASSERT_TRUE(broker.Start());

    ASSERT_TRUE(SpinUntil([&] { return log.written.find("second") != std::string::npos; }, 20000));
    EXPECT_EQ(log.written,
              "DX de K1ABC:     14025.0  DL1XYZ       first                          1234Z\r\n"
              "DX de K1ABC:      7025.0  DL1XYZ       second                         1235Z\r\n");
    EXPECT_NE(views[0].Text().find("IN: Connection to broker " + broker.Endpoint() + " lost: "),
              std::string::npos);
}

TEST_F(MqttHandlerTest, BadPassword_RefusalInWordsAndASlowerRetry) {
    broker.RequireUser("g4abc", "right");
    ASSERT_TRUE(broker.Start());
    auto port = Port("IN", "Cluster User");
    port->MqttUser = "g4abc";
    port->MqttPassword = "wrong";
    port->Connect();
    ASSERT_TRUE(SpinUntil([&] { return port->Client().RetrySeconds() > 0; }));
    EXPECT_EQ(views[0].Text(), "IN: Broker " + broker.Endpoint() +
                                   " refused the connection: Connection Refused: not authorised\n"
                                   "IN: Retrying in 60 s\n");
    EXPECT_EQ(port->Client().RetrySeconds(), CMqttClient::RefusedRetrySeconds);
}

TEST_F(MqttHandlerTest, BrokerThatStopsReading_FillsTheCapAndIsReconnected) {
    ASSERT_TRUE(broker.Start());
    auto out = Port("OUT", "Cluster User");
    out->Connect();
    ASSERT_TRUE(Up(*out));
    broker.Pause();

    const std::string line(60000, 'x');
    for (int i = 0; i < 1000 && out->Drops().Total() == 0; ++i) {
        out->SendText(line + "\n");
    }
    broker.Resume();
    EXPECT_GT(out->Drops().Total(), 0U);
    EXPECT_LE(out->Client().PendingBytes(), CWriteQueue::MaxPending);
    EXPECT_NE(views[0].Text().find("OUT: broker stopped reading: "), std::string::npos);
    EXPECT_NE(views[0].Text().find(" bytes waiting, reconnecting\n"), std::string::npos);
}

TEST_F(MqttHandlerTest, OversizedTopicAndPayload_AreCountedAndDropped) {
    ASSERT_TRUE(broker.Start());
    auto in = Subscriber("Cluster User", "#");
    auto out = Port("OUT", "Cluster User");
    in->Connect();
    out->Connect();
    ASSERT_TRUE(Up(*in));
    ASSERT_TRUE(Up(*out));

    out->SendText(std::string(CMqttHandler::MaxPayload + 1, 'x') + "\n");
    out->MqttPublish = "long/" + std::string(60000, 't');
    out->SendText("DX de K1ABC:     14025.0  DL1XYZ       cq                             1234Z\n");
    ASSERT_TRUE(SpinUntil([&] { return in->Drops().Total() == 2; }));
    EXPECT_EQ(log.written, "");
    EXPECT_NE(views[0].Text().find("IN: Payload dropped: longer than 65536 bytes"),
              std::string::npos);
}

// A broker that grants no filter under "secret/": Mosquitto takes every
// subscription and checks its ACL only on delivery, so the refusal comes
// from a peer of the test's own, MQTT 3.1.1 on loopback.
class RefusingBroker {
  public:
    RefusingBroker() {
        m_server.listen(QHostAddress::LocalHost, 0);
        QObject::connect(&m_server, &QTcpServer::newConnection, [this] {
            QTcpSocket* peer = m_server.nextPendingConnection();
            QObject::connect(peer, &QTcpSocket::readyRead, [this, peer] { Answer(*peer); });
        });
    }
    std::uint16_t Port() const { return m_server.serverPort(); }

  private:
    // CONNECT gets CONNACK 0; SUBSCRIBE a SUBACK of QoS 0 or 0x80 per filter.
    void Answer(QTcpSocket& peer) {
        m_in += peer.readAll().toStdString();
        while (m_in.size() >= 2 && static_cast<unsigned char>(m_in[1]) < 0x80 &&
               m_in.size() >= 2 + static_cast<std::size_t>(m_in[1])) {
            const std::string body = m_in.substr(2, static_cast<std::size_t>(m_in[1]));
            const auto type = static_cast<unsigned char>(m_in[0]) >> 4;
            m_in.erase(0, 2 + body.size());
            if (type == 1) {
                peer.write(QByteArray("\x20\x02\x00\x00", 4));
            } else if (type == 8) {
                std::string granted;
                for (std::size_t at = 2; at + 2 <= body.size();) {
                    const std::size_t length = static_cast<unsigned char>(body[at]) * 256u +
                                               static_cast<unsigned char>(body[at + 1]);
                    granted += body.compare(at + 2, 7, "secret/") == 0 ? '\x80' : '\x00';
                    at += 2 + length + 1;
                }
                const std::string suback = std::string(1, '\x90') +
                                           static_cast<char>(2 + granted.size()) +
                                           body.substr(0, 2) + granted;
                peer.write(suback.data(), static_cast<qint64>(suback.size()));
            }
        }
    }

    QTcpServer m_server;
    std::string m_in;
};

TEST_F(MqttHandlerTest, SubscriptionTheBrokerRefuses_ToldInWordsTheOthersStand) {
    RefusingBroker refusing;
    auto in = Subscriber("Cluster User", "secret/#, spots/#");
    in->PortNumber = refusing.Port();
    in->Connect();
    ASSERT_TRUE(Up(*in));
    EXPECT_EQ(views[0].Text(),
              "IN: Connected to broker 127.0.0.1:" + std::to_string(refusing.Port()) +
                  "\nIN: Broker refused the subscription to secret/# (not "
                  "allowed, or no topic filter it takes)\n"
                  "IN: Subscribed to spots/#\n");
}

} // namespace

namespace {

const std::string JsonSpot =
    R"({"spotter":"DL1ABC","spotted":"K1ABC","frequency":14025.2,"message":"CW 24 dB 22 WPM CQ",)"
    R"("when":"2026-12-08T22:59:00Z","mode":"CW","band":"20m"})";

TEST_F(MqttHandlerTest, JsonSpot_PublishedToTheTopicTemplateWithOriginAndHop) {
    ASSERT_TRUE(broker.Start());
    ScratchFolder scratch;
    WriteFileBytes(scratch.Path() / "cty.dat",
                   "United States: 05: 08: NA: 37.53: 91.67: 5.0: K:\n K,W;\n");
    WriteFileBytes(scratch.Path() / "cty.csv", "K,United States,291,NA,5,8,37.53,91.67,5.0,K W;\n");
    // A plain line port shows the payload as it came; a call the country
    // file does not know has an "unknown" continent and country.
    auto in =
        Subscriber("Cluster User", "club/20m/CW/K1ABC/NA/291,club/20m/CW/DL1XYZ/unknown/unknown");
    auto out = Port("OUT", "JSON Spots");
    out->MqttPublish = "club/{band}/{mode}/{dx}/{cont}/{dxcc}";
    out->Router()->SetFilter((scratch.Path() / "cty.dat").string(), {});
    in->Connect();
    out->Connect();
    ASSERT_TRUE(Up(*in));
    ASSERT_TRUE(Up(*out));

    std::string other = JsonSpot;
    other.replace(other.find("K1ABC"), 5, "DL1XYZ");
    out->SendText(JsonSpot + "\n" + other + "\n");
    ASSERT_TRUE(SpinUntil([&] { return log.written.find("DL1XYZ") != std::string::npos; }));
    EXPECT_EQ(log.written, JsonSpot.substr(0, JsonSpot.size() - 1) +
                               R"(,"origin":"test-OUT","hops":1})" + "\r\n" +
                               other.substr(0, other.size() - 1) +
                               R"(,"origin":"test-OUT","hops":1})" + "\r\n");
}

// A filter that names another country file while the port is connected
// (the port dialog) changes {cont} and {dxcc} from the next spot on.
TEST_F(MqttHandlerTest, JsonSpot_TopicFollowsTheCountryFileTheFilterNamesNow) {
    ASSERT_TRUE(broker.Start());
    ScratchFolder scratch;
    for (const auto& [folder, continent, number] :
         {std::tuple{"a", "NA", "291"}, std::tuple{"b", "EU", "230"}}) {
        std::filesystem::create_directories(scratch.Path() / folder);
        WriteFileBytes(scratch.Path() / folder / "cty.dat",
                       std::string("Here: 05: 08: ") + continent + ": 1.0: 1.0: 0.0: K:\n K;\n");
        WriteFileBytes(scratch.Path() / folder / "cty.csv",
                       std::string("K,Here,") + number + "," + continent + ",5,8,1,1,0,K;\n");
    }
    auto in = Subscriber("Cluster User", "club/EU/230");
    auto out = Port("OUT", "JSON Spots");
    out->MqttPublish = "club/{cont}/{dxcc}";
    out->Router()->SetFilter((scratch.Path() / "a" / "cty.dat").string(), {});
    in->Connect();
    out->Connect();
    ASSERT_TRUE(Up(*in));
    ASSERT_TRUE(Up(*out));

    out->SendText(JsonSpot + "\n");
    out->Router()->SetFilter((scratch.Path() / "b" / "cty.dat").string(), {});
    std::string second = JsonSpot;
    second.replace(second.find("CQ"), 2, "TEST");
    out->SendText(second + "\n");
    ASSERT_TRUE(SpinUntil([&] { return !log.written.empty(); }));
    EXPECT_NE(log.written.find("TEST"), std::string::npos);
    EXPECT_EQ(log.written.find("CQ"), std::string::npos);
}

TEST_F(MqttHandlerTest, JsonSpot_ReachesTheOtherInstanceAndNeverComesBack) {
    ASSERT_TRUE(broker.Start());
    auto a = Subscriber("JSON Spots", "spots/#");
    RecordingPortView otherLogView;
    FakePort otherLog{host, otherLogView};
    otherLog.CreateRouter("CT User", RouterSetup{}, false);
    auto b = Port("B", "JSON Spots");
    b->MqttSubscribe = "spots/#";
    b->Router()->AddRoute(otherLog.Router());
    for (CMqttHandler* port : {a.get(), b.get()}) {
        port->MqttPublish = "spots/{band}";
        port->Connect();
        ASSERT_TRUE(Up(*port));
    }

    a->SendText(JsonSpot + "\n");
    ASSERT_TRUE(SpinUntil([&] { return !otherLog.written.empty() && a->Drops().Total() == 1; }));
    EXPECT_EQ(otherLog.written,
              "DX de DL1ABC:    14025.2  K1ABC        CW 24 dB 22 WPM CQ             2259Z\r\n");
    EXPECT_EQ(log.written, "");
    EXPECT_EQ(a->Drops().Total("our own spot came back"), 1U);
}

TEST_F(MqttHandlerTest, PskReporterPayload_BecomesASkimmerSpot) {
    ASSERT_TRUE(broker.Start());
    auto in = Subscriber("PSK Reporter", "pskr/filter/v2/20m/FT8/#");
    auto feed = Port("FEED", "Cluster User");
    feed->MqttPublish = "pskr/filter/v2/20m/FT8/JA1XYZ/W3OA/PM95/FN20/339/291";
    in->Connect();
    feed->Connect();
    ASSERT_TRUE(Up(*in));
    ASSERT_TRUE(Up(*feed));

    feed->SendText(R"({"sq":30142870791,"f":14074123,"md":"FT8","rp":-12,"t":1796767140,)"
                   R"("sc":"JA1XYZ","sl":"PM95","rc":"W3OA","rl":"FN20","sa":339,"ra":291,)"
                   R"("b":"20m"})"
                   "\n");
    ASSERT_TRUE(SpinUntil([&] { return !log.written.empty(); }));
    EXPECT_EQ(log.written,
              "DX de W3OA-#:    14074.1  JA1XYZ       FT8 -12 dB PM95                2159Z\r\n");
}

} // namespace
