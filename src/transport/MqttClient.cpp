#include "transport/MqttClient.h"

#include "port/OutputBatch.h"

#include <QSocketNotifier>
#include <QTimer>

#include <mosquitto.h>

#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace {

// Packets read in one turn of the loop before other ports get theirs.
constexpr int PacketsPerTurn = 64;
// A turn that read this many met a flood: the feed's real peak brings a
// message or two a turn, 10,000 a second several.
constexpr int BurstPackets = 4;
// Long enough for a flood of 10,000 messages a second to gather a batch,
// short beside anything a spot is waited for.
constexpr int BurstPauseMs = 5;
constexpr int MiscIntervalMs = 1000;
// The library holds back QoS 1 messages beyond this many unconfirmed; the
// byte cap of the owner is what limits them.
constexpr int InflightLimit = 65535;

void InitLibrary() {
    static const int once = mosquitto_lib_init();
    (void)once;
}

// The library's texts end with a period; the port's lines go on after them.
std::string Clause(const char* text) {
    std::string clause = text != nullptr ? text : "unknown reason";
    if (!clause.empty() && clause.back() == '.') {
        clause.pop_back();
    }
    return clause;
}

// While on, what is written waits in the socket for more (at most a fifth
// of a second); off sends it.
bool SetCork(int fd, bool on) {
    const int value = on ? 1 : 0;
    return ::setsockopt(fd, IPPROTO_TCP, TCP_CORK, &value, sizeof value) == 0;
}

std::string ErrorText(int rc) {
    return Clause(rc == MOSQ_ERR_ERRNO ? std::strerror(errno) : mosquitto_strerror(rc));
}

} // namespace

CMqttClient::CMqttClient(IMqttEvents& events) : m_events(events) {}

CMqttClient::~CMqttClient() {
    Close();
}

std::string CMqttClient::Endpoint() const {
    return m_settings.Host + ":" + std::to_string(m_settings.Port);
}

bool CMqttClient::Open(const MqttSettings& settings, std::string& error) {
    Close();
    InitLibrary();
    m_settings = settings;
    const char* id = settings.ClientId.empty() ? nullptr : settings.ClientId.c_str();
    if (id == nullptr && settings.KeepSession) {
        error = "a kept session needs a client id";
        return false;
    }
    m_mosq = mosquitto_new(id, !settings.KeepSession, this);
    if (m_mosq == nullptr) {
        error = std::string("cannot start the MQTT client: ") + std::strerror(errno);
        return false;
    }
    mosquitto_int_option(m_mosq, MOSQ_OPT_SEND_MAXIMUM, InflightLimit);
    mosquitto_int_option(m_mosq, MOSQ_OPT_TCP_NODELAY, 1);
    if (!settings.User.empty()) {
        mosquitto_username_pw_set(m_mosq, settings.User.c_str(),
                                  settings.Password.empty() ? nullptr : settings.Password.c_str());
    }
    if (!settings.CaFile.empty()) {
        const int rc =
            mosquitto_tls_set(m_mosq, settings.CaFile.c_str(), nullptr, nullptr, nullptr, nullptr);
        if (rc != MOSQ_ERR_SUCCESS) {
            error = "CA file " + settings.CaFile + " cannot be used: " + ErrorText(rc);
            Close();
            return false;
        }
    }
    mosquitto_connect_callback_set(m_mosq, &CMqttClient::OnConnect);
    mosquitto_disconnect_callback_set(m_mosq, &CMqttClient::OnDisconnect);
    mosquitto_publish_callback_set(m_mosq, &CMqttClient::OnPublish);
    mosquitto_message_callback_set(m_mosq, &CMqttClient::OnMessage);
    mosquitto_subscribe_callback_set(m_mosq, &CMqttClient::OnSubscribe);

    m_context = std::make_unique<QObject>();
    m_misc = new QTimer(m_context.get());
    QObject::connect(m_misc, &QTimer::timeout, m_context.get(), [this] { Misc(); });
    m_misc->start(MiscIntervalMs);
    m_readPause = new QTimer(m_context.get());
    m_readPause->setSingleShot(true);
    QObject::connect(m_readPause, &QTimer::timeout, m_context.get(), [this] {
        if (m_reader != nullptr) {
            m_reader->setEnabled(true);
        }
    });
    m_retry = new QTimer(m_context.get());
    m_retry->setSingleShot(true);
    QObject::connect(m_retry, &QTimer::timeout, m_context.get(), [this] {
        m_refused = false;
        m_resolver.Resolve(m_settings.Host,
                           [this](std::vector<QHostAddress> found) { Resolved(found); });
    });
    m_nextDelay = FirstRetrySeconds;
    m_nextRefusedDelay = RefusedRetrySeconds;
    m_down = false;
    m_refused = false;
    m_resolver.Resolve(m_settings.Host,
                       [this](std::vector<QHostAddress> found) { Resolved(found); });
    return true;
}

void CMqttClient::Close() {
    m_resolver.Cancel();
    Unwatch();
    m_context.reset();
    m_misc = nullptr;
    m_readPause = nullptr;
    m_retry = nullptr;
    if (m_mosq != nullptr) {
        mosquitto_disconnect(m_mosq);
        mosquitto_destroy(m_mosq);
        m_mosq = nullptr;
    }
    m_up = false;
    m_subscribing.clear();
    m_retrySeconds = 0;
    m_pending.clear();
    m_held.clear();
    m_pendingBytes = 0;
}

void CMqttClient::Restart() {
    if (m_mosq == nullptr) {
        return;
    }
    m_up = false;
    Unwatch();
    // The library drops the packets it had not written; of QoS 0 nothing
    // comes back.
    if (m_settings.Qos == 0) {
        m_pending.clear();
        m_pendingBytes = 0;
    }
    Attempt();
}

void CMqttClient::Resolved(const std::vector<QHostAddress>& addresses) {
    if (addresses.empty()) {
        Lost("Error getting host address from name");
        return;
    }
    // With TLS the library checks the certificate against the name.
    m_connectHost =
        m_settings.CaFile.empty() ? addresses.front().toString().toStdString() : m_settings.Host;
    Attempt();
}

void CMqttClient::Attempt() {
    m_down = false;
    m_retrySeconds = 0;
    const int rc = mosquitto_connect_async(m_mosq, m_connectHost.c_str(), m_settings.Port,
                                           m_settings.KeepAliveSeconds);
    if (rc != MOSQ_ERR_SUCCESS) {
        Lost(ErrorText(rc));
        return;
    }
    Watch();
}

void CMqttClient::Watch() {
    Unwatch();
    m_fd = mosquitto_socket(m_mosq);
    if (m_fd < 0) {
        Lost("no socket");
        return;
    }
    m_reader = new QSocketNotifier(m_fd, QSocketNotifier::Read, m_context.get());
    QObject::connect(m_reader, &QSocketNotifier::activated, m_context.get(),
                     [this] { Readable(); });
    m_writer = new QSocketNotifier(m_fd, QSocketNotifier::Write, m_context.get());
    QObject::connect(m_writer, &QSocketNotifier::activated, m_context.get(),
                     [this] { Writable(); });
}

// The notifiers may be the sender of the call under way, so they go later.
void CMqttClient::Unwatch() {
    for (QSocketNotifier** notifier : {&m_reader, &m_writer}) {
        if (*notifier != nullptr) {
            (*notifier)->setEnabled(false);
            QObject::disconnect(*notifier, nullptr, nullptr, nullptr);
            (*notifier)->deleteLater();
            *notifier = nullptr;
        }
    }
    m_fd = -1;
}

// A flood arrives as many messages a turn: what they make the outputs write
// goes out once at the end of the turn, and their acknowledgements (QoS 1)
// leave in one segment instead of one each while the cork is on.
//
// The library reads a packet a call. A call that gave us no packet (no
// data, half a packet, or a ping answer) ends the turn; the notifier tells
// us of what is left. A turn that read several packets met a flood:
// reading pauses a few milliseconds so that the next turn finds a batch
// instead of a few messages a wake-up.
void CMqttClient::Readable() {
    COutputBatch::Scope batch;
    int corked = -1;
    int packets = 0;
    while (packets < PacketsPerTurn && m_mosq != nullptr && m_fd >= 0) {
        const std::uint64_t before = m_packetsIn;
        if (mosquitto_loop_read(m_mosq, 1) != MOSQ_ERR_SUCCESS || m_packetsIn == before) {
            break;
        }
        packets += static_cast<int>(m_packetsIn - before);
        if (corked < 0 && m_fd >= 0 && SetCork(m_fd, true)) {
            corked = m_fd;
        }
    }
    // A reconnect under way has a socket of its own, never corked.
    if (corked >= 0 && corked == m_fd) {
        SetCork(corked, false);
    }
    if (packets >= BurstPackets && m_reader != nullptr && m_readPause != nullptr) {
        m_reader->setEnabled(false);
        m_readPause->start(BurstPauseMs);
    }
    UpdateWriteWatch();
}

void CMqttClient::Writable() {
    if (m_mosq != nullptr) {
        mosquitto_loop_write(m_mosq, 1);
    }
    UpdateWriteWatch();
}

void CMqttClient::Misc() {
    if (m_mosq == nullptr) {
        return;
    }
    if (m_fd >= 0) {
        mosquitto_loop_misc(m_mosq);
    }
    UpdateWriteWatch();
}

void CMqttClient::UpdateWriteWatch() {
    if (m_mosq == nullptr || m_fd < 0) {
        return;
    }
    // The library closed its socket without a word (it tells of most
    // closes through the disconnect callback).
    if (mosquitto_socket(m_mosq) != m_fd) {
        Lost("connection closed");
        return;
    }
    if (m_writer != nullptr) {
        m_writer->setEnabled(mosquitto_want_write(m_mosq));
    }
}

void CMqttClient::Lost(const std::string& why) {
    if (m_down || m_mosq == nullptr) {
        return;
    }
    m_down = true;
    const bool wasUp = m_up;
    m_up = false;
    Unwatch();
    // Unsent QoS 0 messages are gone with the connection.
    if (m_settings.Qos == 0) {
        m_pending.clear();
        m_pendingBytes = 0;
    }
    const int delay = m_refused ? m_nextRefusedDelay : m_nextDelay;
    if (m_refused) {
        m_nextRefusedDelay = std::min(m_nextRefusedDelay * 2, LongestRefusedRetrySeconds);
    } else {
        m_nextDelay = std::min(m_nextDelay * 2, LongestRetrySeconds);
    }
    m_retrySeconds = delay;
    if (!m_refused) {
        m_events.MqttLine((wasUp ? "Connection to broker " + Endpoint() + " lost: "
                                 : "Cannot connect to broker " + Endpoint() + ": ") +
                          why + "; retrying in " + std::to_string(delay) + " s");
    } else {
        m_events.MqttLine("Retrying in " + std::to_string(delay) + " s");
    }
    if (m_retry != nullptr) {
        m_retry->start(delay * 1000);
    }
    m_events.MqttDown();
}

void CMqttClient::OnConnect(mosquitto*, void* self, int rc) {
    auto& client = *static_cast<CMqttClient*>(self);
    ++client.m_packetsIn;
    if (rc != 0) {
        client.m_refused = true;
        client.m_events.MqttLine("Broker " + client.Endpoint() + " refused the connection: " +
                                 Clause(mosquitto_connack_string(rc)));
        return;
    }
    client.m_up = true;
    client.m_nextDelay = FirstRetrySeconds;
    client.m_nextRefusedDelay = RefusedRetrySeconds;
    client.m_events.MqttLine("Connected to broker " + client.Endpoint());
    // What waited for the connection goes first, in order.
    std::deque<std::pair<std::string, std::string>> held;
    held.swap(client.m_held);
    for (const auto& [topic, payload] : held) {
        client.m_pendingBytes -= payload.size();
        client.Send(topic, payload);
    }
    client.m_subscribing.clear();
    client.m_granted.assign(client.m_settings.Subscriptions.size(), false);
    for (std::size_t i = 0; i < client.m_settings.Subscriptions.size(); ++i) {
        const std::string& filter = client.m_settings.Subscriptions[i];
        int mid = 0;
        const int sub =
            mosquitto_subscribe(client.m_mosq, &mid, filter.c_str(), client.m_settings.Qos);
        if (sub != MOSQ_ERR_SUCCESS) {
            client.m_events.MqttLine("Cannot subscribe to " + filter + ": " + ErrorText(sub));
        } else {
            client.m_subscribing.emplace(mid, i);
        }
    }
    if (client.m_subscribing.empty()) {
        client.m_events.MqttUp();
    }
}

// A refused filter is 0x80 in place of its QoS.
void CMqttClient::OnSubscribe(mosquitto*, void* self, int mid, int count, const int* granted) {
    auto& client = *static_cast<CMqttClient*>(self);
    ++client.m_packetsIn;
    const auto found = client.m_subscribing.find(mid);
    if (found == client.m_subscribing.end()) {
        return;
    }
    const std::size_t index = found->second;
    client.m_subscribing.erase(found);
    if (count < 1 || granted[0] > 2) {
        client.m_events.MqttLine("Broker refused the subscription to " +
                                 client.m_settings.Subscriptions[index] +
                                 " (not allowed, or no topic filter it takes)");
    } else {
        client.m_granted[index] = true;
    }
    if (!client.m_subscribing.empty()) {
        return;
    }
    // One line for the whole list, in the order the setup names it.
    std::string accepted;
    for (std::size_t i = 0; i < client.m_granted.size(); ++i) {
        if (client.m_granted[i]) {
            accepted += (accepted.empty() ? "" : ", ") + client.m_settings.Subscriptions[i];
        }
    }
    if (!accepted.empty()) {
        client.m_events.MqttLine("Subscribed to " + accepted);
    }
    client.m_events.MqttUp();
}

void CMqttClient::OnDisconnect(mosquitto*, void* self, int rc) {
    auto& client = *static_cast<CMqttClient*>(self);
    client.Lost(rc == MOSQ_ERR_SUCCESS ? "closed by the broker" : ErrorText(rc));
}

void CMqttClient::OnPublish(mosquitto*, void* self, int mid) {
    auto& client = *static_cast<CMqttClient*>(self);
    ++client.m_packetsIn;
    if (client.m_publishing && mid == client.m_publishingMid) {
        client.m_publishedEarly = true;
        return;
    }
    const auto found = client.m_pending.find(mid);
    if (found != client.m_pending.end()) {
        client.m_pendingBytes -= found->second;
        client.m_pending.erase(found);
    }
}

void CMqttClient::OnMessage(mosquitto*, void* self, const mosquitto_message* message) {
    auto& client = *static_cast<CMqttClient*>(self);
    ++client.m_packetsIn;
    const std::string_view payload(
        static_cast<const char*>(message->payload),
        message->payload != nullptr ? static_cast<std::size_t>(message->payloadlen) : 0);
    client.m_events.MqttMessage(message->topic != nullptr ? message->topic : "", payload);
}

CMqttClient::Sent CMqttClient::Publish(const std::string& topic, std::string_view payload) {
    if (m_mosq == nullptr) {
        return Sent::Failed;
    }
    if (!m_up) {
        if (m_settings.Qos == 0) {
            return Sent::NotConnected;
        }
        m_held.emplace_back(topic, payload);
        m_pendingBytes += payload.size();
        return Sent::Queued;
    }
    return Send(topic, payload);
}

CMqttClient::Sent CMqttClient::Send(const std::string& topic, std::string_view payload) {
    // A QoS 0 message may be written, and its callback come, before the
    // call returns; the library names the message id before it writes.
    m_publishing = true;
    m_publishedEarly = false;
    m_publishingMid = 0;
    const int rc =
        mosquitto_publish(m_mosq, &m_publishingMid, topic.c_str(), static_cast<int>(payload.size()),
                          payload.data(), m_settings.Qos, false);
    m_publishing = false;
    if (rc == MOSQ_ERR_NO_CONN) {
        return Sent::NotConnected;
    }
    if (rc != MOSQ_ERR_SUCCESS) {
        return Sent::Failed;
    }
    if (!m_publishedEarly) {
        m_pending[m_publishingMid] = payload.size();
        m_pendingBytes += payload.size();
    }
    UpdateWriteWatch();
    return Sent::Queued;
}
