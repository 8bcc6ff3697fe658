#pragma once

#include "routing/DropTally.h"
#include "routing/JsonSpotWriter.h"
#include "routing/PortCountryFile.h"
#include "spots/JsonSpotReader.h"
#include "transport/MqttClient.h"
#include "transport/MqttTopic.h"
#include "transport/NetPort.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

// The port of an MQTT broker ("MQTT"): payloads of its subscriptions come
// in, the spots routed to it go out as publications.
//
// In: each payload goes to the router as one line (a line data type takes
// each of its lines, as a socket's). Out: each line the router sends is
// published, not retained, to the topic template, and a JSON spot gets
// this installation's id and its hop count first, so that instances
// subscribed to each other never take their own spots back.
//
// Connect opens the client, which connects and retries on its own until
// Disconnect; the window shows "Connected to broker host:port", losses and
// refusals in words. Publications the broker has not taken are capped at
// the socket ports' write-queue cap: past it a broker that is connected
// has stopped reading and is reconnected (once a link), and what does not
// fit is dropped and counted, as are oversized topics and payloads (one
// line per reason a minute).
//
// Collaborators: the MQTT client, the router, the topic template, the
// instance id, the drop tally.
class CMqttHandler : public CNetPort, private IMqttEvents {
  public:
    static constexpr std::uint16_t DefaultPort = 1883;
    static constexpr const char* DefaultPublish = "spotweaver/spots/{band}/{mode}";
    // Real topics are a few dozen characters, real payloads a few hundred.
    static constexpr std::size_t MaxTopic = 1024;
    static constexpr std::size_t MaxPayload = 64 * 1024;
    // A spot that has crossed this many brokers is going round in circles.
    static constexpr int MaxHops = 8;

    CMqttHandler(IPortHost& host, IPortView& view);
    // Reads the common block, "HostName", "PortNumber", "MqttClientId", then
    // the optional "MqttUser", "MqttPassword", "MqttTls", "MqttSubscribe",
    // "MqttPublish" and "MqttQos".
    CMqttHandler(CSetupFile& setup, IPortHost& host, IPortView& view);
    ~CMqttHandler() override;

    void Write(const char* data, int len) override;
    void SaveKindSettings(CSetupFile& setup) const override;

    std::string HostName = "127.0.0.1";
    std::uint16_t PortNumber = DefaultPort;
    std::string MqttClientId;
    std::string MqttUser;
    std::string MqttPassword;
    std::string MqttTls;
    std::string MqttSubscribe;
    std::string MqttPublish = DefaultPublish;
    int MqttQos = 0;

    // The id put on published spots; the installation's unless a test sets
    // its own.
    void SetInstanceId(std::string id) { m_instanceId = std::move(id); }
    const CMqttClient& Client() const { return m_client; }
    const CDropTally& Drops() const { return m_drops; }
    std::uint64_t Published() const { return m_published; }

  protected:
    const PortKind& Kind() const override { return PortKinds::Of(PortKindCode::Mqtt); }
    Fields KindFields() const override;
    void ApplyKindFields(const PortSetupValues& values) override;

    void DoConnect() override;
    LinkEnd DoDisconnect() override;

  private:
    void MqttUp() override;
    void MqttDown() override {}
    void MqttLine(std::string_view line) override;
    void MqttMessage(std::string_view topic, std::string_view payload) override;

    void SetQos(int qos);
    MqttSettings Settings() const;
    // Publishes one line of the router's text.
    void PublishLine(std::string_view line);
    // A JSON spot: its topic fields, and the object again with our origin
    // and its hop count.
    bool PrepareSpot(std::string_view line, MqttTopicFields& fields, std::string_view& payload);
    // False for a JSON spot of our own or one that went round too often.
    bool Welcome(std::string_view payload);
    bool CarriesJson() const;
    const CCountryFile* Countries();
    void Drop(std::string_view reason);
    void Tick();

    CMqttClient m_client;
    CDropTally m_drops;
    std::string m_instanceId;
    int m_tickTimer = 0;
    bool m_restartedThisLink = false;
    std::uint64_t m_published = 0;
    std::string m_topic;
    std::string m_dxcc;
    CJsonSpotReader m_reader;
    CJsonSpotWriter m_writer;
    CPortCountryFile m_countries;
};
