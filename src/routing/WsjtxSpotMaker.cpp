#include "routing/WsjtxSpotMaker.h"

#include "filters/BandTable.h"
#include "routing/WsjtxDecodeText.h"
#include "spots/SpotTexts.h"
#include "text/AsciiText.h"

#include <algorithm>
#include <array>
#include <cstdio>

namespace {

constexpr std::int64_t SecondsPerMinute = 60;
constexpr std::uint32_t MsPerDay = 86'400'000;
constexpr std::size_t LongestShownText = 64;

struct ModeSymbol {
    std::string_view symbol;
    std::string_view name;
};

// A Decode names its mode by the symbol the decoders show in their band
// activity window; the protocol description does not list them, so these
// are the decoders' own, and an unknown one falls back to the Status mode.
constexpr std::array<ModeSymbol, 8> ModeSymbols = {{{"~", "FT8"},
                                                    {"+", "FT4"},
                                                    {"#", "JT65"},
                                                    {"@", "JT9"},
                                                    {"&", "MSK144"},
                                                    {":", "Q65"},
                                                    {"`", "FST4"},
                                                    {"$", "JT4"}}};

// Texts from a datagram, fit for a line in the window: printable ASCII,
// at most LongestShownText characters.
std::string Shown(std::string_view text) {
    std::string shown(text.substr(0, std::min(text.size(), LongestShownText)));
    std::replace_if(
        shown.begin(), shown.end(), [](char c) { return !ascii::IsPrintable(c); }, '?');
    return shown;
}

bool IsWord(std::string_view text) {
    return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) {
        return ascii::IsLetter(c) || ascii::IsDigit(c);
    });
}

std::string_view RefusalText(WsjtxRefusal why) {
    switch (why) {
    case WsjtxRefusal::Empty:
        return "Empty datagram dropped";
    case WsjtxRefusal::TooLong:
        return "Datagram dropped: longer than any client sends";
    case WsjtxRefusal::NotProtocol:
        return "Datagram dropped: not a WSJT-X message";
    case WsjtxRefusal::Schema:
        return "Datagram dropped: schema other than 2 or 3";
    case WsjtxRefusal::Truncated:
        return "Datagram dropped: it ends inside a field";
    case WsjtxRefusal::BadLength:
        return "Datagram dropped: a text length is negative or runs past the end";
    case WsjtxRefusal::None:
        break;
    }
    return "Datagram dropped";
}

// "14.074" from 14074000 Hz.
std::string Megahertz(std::uint64_t hz) {
    const std::uint64_t kHz = (hz + 500) / 1000;
    char text[32];
    std::snprintf(text, sizeof text, "%llu.%03llu", static_cast<unsigned long long>(kHz / 1000),
                  static_cast<unsigned long long>(kHz % 1000));
    return text;
}

} // namespace

CWsjtxSpotMaker::CWsjtxSpotMaker(const WsjtxOptions& options, const IClock& clock,
                                 IWsjtxOutput& output)
    : m_options(options), m_clock(clock), m_output(output) {
    m_clients.reserve(MaxClients);
}

CWsjtxSpotMaker::Client& CWsjtxSpotMaker::ClientOf(const std::string& id) {
    const std::int64_t now = m_clock.NowSeconds();
    auto found = std::find_if(m_clients.begin(), m_clients.end(),
                              [&](const Client& c) { return c.Id == id; });
    if (found == m_clients.end()) {
        if (m_clients.size() >= MaxClients) {
            const auto quietest = std::min_element(
                m_clients.begin(), m_clients.end(),
                [](const Client& a, const Client& b) { return a.LastHeard < b.LastHeard; });
            m_output.WsjtxLine(Shown(quietest->Id) + " forgotten: more than " +
                               std::to_string(MaxClients) + " clients");
            m_clients.erase(quietest);
        }
        Client client;
        client.Id = id;
        m_clients.push_back(std::move(client));
        found = m_clients.end() - 1;
    }
    found->LastHeard = now;
    return *found;
}

void CWsjtxSpotMaker::Forget(const std::string& id) {
    const auto found = std::find_if(m_clients.begin(), m_clients.end(),
                                    [&](const Client& c) { return c.Id == id; });
    if (found != m_clients.end()) {
        m_output.WsjtxLine(Shown(id) + " closed");
        m_clients.erase(found);
    }
}

void CWsjtxSpotMaker::Take(const WsjtxMessage& message) {
    switch (message.Kind) {
    case WsjtxKind::Heartbeat:
        ClientOf(message.Id).Version = message.Heartbeat.Version;
        break;
    case WsjtxKind::Status:
        TakeStatus(ClientOf(message.Id), message.Status);
        break;
    case WsjtxKind::Decode:
        TakeDecode(ClientOf(message.Id), message.Decode);
        break;
    case WsjtxKind::Close:
        Forget(message.Id);
        break;
    case WsjtxKind::Clear:
        // The client's window was erased; the spots sent from it stand.
    case WsjtxKind::Ignored:
        break;
    }
}

// "WSJT-X radio 1 (2.6.1), 14.074 MHz FT8, DE G4ABC IO91"
void CWsjtxSpotMaker::TakeStatus(Client& client, const WsjtxStatus& status) {
    client.Status = status;
    client.HasStatus = true;
    if (client.Announced) {
        return;
    }
    client.Announced = true;
    std::string line = Shown(client.Id);
    if (!client.Version.empty()) {
        line += " (" + Shown(client.Version) + ")";
    }
    line += ", " + Megahertz(status.DialFrequencyHz) + " MHz " + Shown(status.Mode);
    if (!status.DeCall.empty()) {
        line += ", DE " + Shown(status.DeCall);
        if (!status.DeGrid.empty()) {
            line += " " + Shown(status.DeGrid);
        }
    }
    m_output.WsjtxLine(line);
}

void CWsjtxSpotMaker::TakeDecode(Client& client, const WsjtxDecode& decode) {
    ++m_counts.Decodes;
    WsjtxCaller caller;
    const bool cq = CWsjtxDecodeText::ReadCq(decode.Message, caller);
    if (cq) {
        ++m_counts.Cqs;
    } else if (!m_options.SpotAll || !CWsjtxDecodeText::ReadSecondWord(decode.Message, caller)) {
        return;
    }
    const bool doubtful = !decode.New || decode.OffAir || decode.LowConfidence;
    if ((doubtful && !m_options.OffAir) || !client.HasStatus) {
        if (!client.HasStatus && !client.ToldNoStatus) {
            client.ToldNoStatus = true;
            m_output.WsjtxLine(Shown(client.Id) +
                               ": no Status yet, so no dial frequency; decodes not spotted");
        }
        ++m_counts.NotSpotted;
        return;
    }

    const std::string_view mode = ModeName(client, decode);
    const std::uint64_t hz = client.Status.DialFrequencyHz + decode.DeltaFrequencyHz;
    const std::uint64_t tenths = (hz + 50) / 100;
    m_frequency = SpotTexts::Khz(hz);

    // Repeats are told apart by band; outside the bands by the MHz.
    const int band = CBandTable::BandOf(static_cast<double>(tenths) / 10.0);
    m_repeatKey.assign(caller.Call);
    m_repeatKey += ' ';
    m_repeatKey += band == CBandTable::Other ? std::to_string(hz / 1'000'000) + "MHz"
                                             : std::string(CBandTable::Name(band));
    m_repeatKey += ' ';
    m_repeatKey += mode;
    const std::int64_t interval =
        static_cast<std::int64_t>(std::max(m_options.RepeatMinutes, 0)) * SecondsPerMinute;
    if (m_repeats.IsRepeat(m_repeatKey, m_clock.NowSeconds(), interval)) {
        ++m_counts.Repeats;
        return;
    }
    if (m_repeats.Forgotten() != m_forgottenShown) {
        if (m_forgottenShown == 0) {
            m_output.WsjtxLine("More than " + std::to_string(MaxRepeats) +
                               " stations spotted within the repeat interval; the oldest are "
                               "forgotten early");
        }
        m_forgottenShown = m_repeats.Forgotten();
    }

    m_spotter = client.Status.DeCall.empty() ? m_options.MyCall : client.Status.DeCall;
    m_spotter += "-#";
    m_dxCall.assign(caller.Call);
    m_comment.assign(mode);
    m_comment += ' ';
    m_comment += std::to_string(decode.Snr);
    m_comment += " dB";
    if (!caller.Grid.empty()) {
        m_comment += ' ';
        m_comment += caller.Grid;
    }
    if (cq) {
        m_comment += " CQ";
        if (!caller.Target.empty()) {
            m_comment += ' ';
            m_comment += caller.Target;
        }
    }
    m_time =
        SpotTexts::Hhmm(decode.TimeMs < MsPerDay ? decode.TimeMs / 1000 : m_clock.NowSeconds());

    SpotFields spot;
    spot.Spotter = m_spotter;
    spot.Frequency = m_frequency;
    spot.DxCall = m_dxCall;
    spot.Comment = m_comment;
    spot.Time = m_time;
    ++m_counts.Spots;
    m_output.WsjtxSpot(spot);
}

std::string_view CWsjtxSpotMaker::ModeName(const Client& client, const WsjtxDecode& decode) const {
    for (const ModeSymbol& known : ModeSymbols) {
        if (decode.Mode == known.symbol) {
            return known.name;
        }
    }
    if (IsWord(decode.Mode) && decode.Mode.size() <= 8) {
        return decode.Mode;
    }
    return IsWord(client.Status.Mode) ? std::string_view(client.Status.Mode) : "DATA";
}

void CWsjtxSpotMaker::Refused(WsjtxRefusal why) {
    ++m_counts.Refused;
    if (std::find(m_refusalsShown.begin(), m_refusalsShown.end(), why) == m_refusalsShown.end()) {
        m_refusalsShown.push_back(why);
        m_output.WsjtxLine(std::string(RefusalText(why)) + " (more are only counted)");
    }
}

// "120 decodes, 30 CQs, 25 spots sent, 5 repeats, 2 not spotted, 1 datagram refused"
std::string CWsjtxSpotMaker::CountsLine() const {
    std::string line = std::to_string(m_counts.Decodes) + " decodes, " +
                       std::to_string(m_counts.Cqs) + " CQs, " + std::to_string(m_counts.Spots) +
                       " spots sent, " + std::to_string(m_counts.Repeats) + " repeats";
    if (m_counts.NotSpotted != 0) {
        line += ", " + std::to_string(m_counts.NotSpotted) + " not spotted";
    }
    if (m_counts.Refused != 0) {
        line += ", " + std::to_string(m_counts.Refused) + " datagrams refused";
    }
    return line;
}

void CWsjtxSpotMaker::Tick() {
    const std::int64_t now = m_clock.NowSeconds();
    if (m_nextCountsLine < 0) {
        m_nextCountsLine = now + SecondsPerMinute;
        return;
    }
    if (now < m_nextCountsLine) {
        return;
    }
    m_nextCountsLine = now + SecondsPerMinute;
    const std::uint64_t sum = m_counts.Decodes + m_counts.Refused;
    if (sum != m_countsShown) {
        m_countsShown = sum;
        m_output.WsjtxLine(CountsLine());
    }
}
