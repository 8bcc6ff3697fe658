#pragma once

#include "transport/HostResolver.h"

#include <QObject>

#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

class QSocketNotifier;
class QTimer;
struct mosquitto;
struct mosquitto_message;

// How to reach a broker and what to ask of it.
struct MqttSettings {
    std::string Host = "127.0.0.1";
    std::uint16_t Port = 1883;
    std::string ClientId;
    std::string User;
    std::string Password;
    // A CA file turns TLS on.
    std::string CaFile;
    std::vector<std::string> Subscriptions;
    int Qos = 0;
    // A session the broker keeps while we are away: QoS 1 messages for us
    // wait there, and ours are sent again after a reconnect.
    bool KeepSession = false;
    int KeepAliveSeconds = 60;
};

// What the client tells its owner, always from the event loop, never from
// inside a call the owner made.
class IMqttEvents {
  public:
    virtual ~IMqttEvents() = default;
    // The broker accepted us and answered every subscription.
    virtual void MqttUp() = 0;
    // The connection is gone (refused, lost or never made); a retry is due.
    virtual void MqttDown() = 0;
    // A line for the port's window, without a line end.
    virtual void MqttLine(std::string_view line) = 0;
    virtual void MqttMessage(std::string_view topic, std::string_view payload) = 0;
};

// A client of one broker on the program's event loop.
//
// The library's socket is watched by notifiers (read always, write while
// the library has bytes to send) and its keep-alive and resend work runs on
// a timer, so no call ever blocks and there is no second thread. The host
// is looked up in the background first; the library gets the address (or,
// with TLS, the name, which it needs for the certificate check and looks
// up again).
//
// A lost connection is retried after 1 s, doubling to at most a minute; a
// broker that refuses us (bad password, client id) is asked again after a
// minute, doubling to at most ten, since asking sooner would not change
// its answer. Messages of QoS 1 that the broker has not confirmed stay in
// the library and are sent again after a reconnect; the client counts
// their bytes so that its owner can cap them.
//
// Collaborators: libmosquitto 2.0, Qt's notifiers and timers, the host
// resolver, the owner (IMqttEvents).
class CMqttClient {
  public:
    static constexpr int FirstRetrySeconds = 1;
    static constexpr int LongestRetrySeconds = 60;
    static constexpr int RefusedRetrySeconds = 60;
    static constexpr int LongestRefusedRetrySeconds = 600;

    explicit CMqttClient(IMqttEvents& events);
    ~CMqttClient();
    CMqttClient(const CMqttClient&) = delete;
    CMqttClient& operator=(const CMqttClient&) = delete;

    // Starts connecting; false, with the reason in error, when the settings
    // cannot be used at all (client id, CA file).
    bool Open(const MqttSettings& settings, std::string& error);
    // Drops the connection and everything unsent, without a word.
    void Close();
    // Drops the connection and connects again at once, keeping the
    // unconfirmed messages (a broker that stopped reading).
    void Restart();

    enum class Sent { Queued, NotConnected, Failed };
    // Publishes payload, not retained, at the settings' QoS. NotConnected:
    // QoS 0 while no connection stands (QoS 1 waits here for the next one).
    Sent Publish(const std::string& topic, std::string_view payload);

    bool IsOpen() const { return m_mosq != nullptr; }
    bool IsUp() const { return m_up; }
    // Up, and every subscription answered.
    bool IsReady() const { return m_up && m_subscribing.empty(); }
    // Bytes of payload published and not yet confirmed (QoS 1) or sent (QoS 0).
    std::size_t PendingBytes() const { return m_pendingBytes; }
    // Seconds until the next attempt while down; 0 while up or trying.
    int RetrySeconds() const { return m_retrySeconds; }
    // "host:port" as the settings name it.
    std::string Endpoint() const;

  private:
    static void OnConnect(mosquitto*, void* self, int rc);
    static void OnDisconnect(mosquitto*, void* self, int rc);
    static void OnPublish(mosquitto*, void* self, int mid);
    static void OnSubscribe(mosquitto*, void* self, int mid, int count, const int* granted);
    static void OnMessage(mosquitto*, void* self, const mosquitto_message* message);

    void Resolved(const std::vector<QHostAddress>& addresses);
    void Attempt();
    void Watch();
    void Unwatch();
    void Readable();
    void Writable();
    void Misc();
    // Connection gone: a line, the owner told, the next attempt timed.
    void Lost(const std::string& why);
    void ScheduleRetry();
    void UpdateWriteWatch();
    Sent Send(const std::string& topic, std::string_view payload);

    IMqttEvents& m_events;
    MqttSettings m_settings;
    mosquitto* m_mosq = nullptr;
    CHostResolver m_resolver;
    std::string m_connectHost;
    bool m_everConnected = false;
    bool m_up = false;
    bool m_refused = false;
    bool m_down = false;
    int m_retrySeconds = 0;
    int m_nextDelay = FirstRetrySeconds;
    int m_nextRefusedDelay = RefusedRetrySeconds;
    int m_fd = -1;
    std::unique_ptr<QObject> m_context;
    QSocketNotifier* m_reader = nullptr;
    QSocketNotifier* m_writer = nullptr;
    QTimer* m_misc = nullptr;
    QTimer* m_readPause = nullptr;
    QTimer* m_retry = nullptr;
    std::unordered_map<int, std::size_t> m_pending;
    // QoS 1 messages published while no connection stands (the library
    // takes none then), sent in order once the broker has accepted us.
    std::deque<std::pair<std::string, std::string>> m_held;
    // The subscriptions asked for and not yet answered (their place in the
    // settings' list) by message id, and which of the list were granted.
    std::unordered_map<int, std::size_t> m_subscribing;
    std::vector<bool> m_granted;
    std::size_t m_pendingBytes = 0;
    // Packets the library handed us (through a callback) so far.
    std::uint64_t m_packetsIn = 0;
    bool m_publishing = false;
    bool m_publishedEarly = false;
    int m_publishingMid = 0;
};
