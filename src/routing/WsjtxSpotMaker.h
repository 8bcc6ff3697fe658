#pragma once

#include "platform/IClock.h"
#include "routing/WsjtxRepeatTable.h"
#include "spots/SpotFields.h"
#include "spots/WsjtxMessage.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// What a digital-mode port is set to; the setup keys carry these meanings:
// WsjtxSpotAll=1, WsjtxRepeat=<minutes>, WsjtxOffAir=1.
struct WsjtxOptions {
    std::string MyCall;     // the spotter until a client has sent its Status
    bool SpotAll = false;   // spot any message naming a caller, not only CQs
    int RepeatMinutes = 10; // a station is spotted once per band and mode in this time
    bool OffAir = false;    // spot played-back and low-confidence decodes too
};

// Where the spot maker's results go. Collaborators: the port that owns the
// maker routes the spots and shows the lines in its window.
class IWsjtxOutput {
  public:
    virtual ~IWsjtxOutput() = default;
    // A new spot. The fields view the maker's own buffers and stay valid
    // until this call returns.
    virtual void WsjtxSpot(const SpotFields& spot) = 0;
    // A line for the port's window, without a line end.
    virtual void WsjtxLine(std::string_view line) = 0;
};

// Turns the messages of the decoders on one UDP port into spots. It keeps
// each client's last Status (dial frequency, mode, own call and grid) by
// the client's id, and makes a spot of a Decode whose message is a CQ (or,
// with SpotAll, names a caller in its second word):
//
//   Status "WSJT-X radio 1": dial 14074000 Hz, FT8, DE G4ABC IO91
//   Decode "WSJT-X radio 1": 13:08:45, -12 dB, 1234 Hz, "~", "CQ DX K1ABC FN42"
//   spot:  G4ABC-#  14075.2  K1ABC  "FT8 -12 dB FN42 CQ DX"  1308
//
// Decodes played back from a recording, sent again on request or flagged
// low confidence are not spotted unless OffAir is set; a station already
// spotted on the band and mode within RepeatMinutes is counted as a
// repeat. The window gets one line per client when its first Status comes
// and a line of counts each minute (Tick) in which anything was counted.
// The options are read at every message, so later changes take effect.
class CWsjtxSpotMaker {
  public:
    struct Counts {
        std::uint64_t Decodes = 0;
        std::uint64_t Cqs = 0;
        std::uint64_t Spots = 0;
        std::uint64_t Repeats = 0;
        std::uint64_t NotSpotted = 0; // off air, low confidence, or no dial frequency known
        std::uint64_t Refused = 0;    // datagrams the reader refused
    };

    // One radio's decoder each; more are forgotten, least recently heard first.
    static constexpr std::size_t MaxClients = 32;
    static constexpr std::size_t MaxRepeats = 20000;

    CWsjtxSpotMaker(const WsjtxOptions& options, const IClock& clock, IWsjtxOutput& output);

    void Take(const WsjtxMessage& message);
    // A datagram the reader refused: counted, and the first of each reason shown.
    void Refused(WsjtxRefusal why);
    // Called every few seconds: the counts line once a minute has passed.
    void Tick();

    const Counts& GetCounts() const { return m_counts; }
    std::size_t ClientCount() const { return m_clients.size(); }

  private:
    struct Client {
        std::string Id;
        std::string Version;
        WsjtxStatus Status;
        bool HasStatus = false;
        bool Announced = false;
        bool ToldNoStatus = false;
        std::int64_t LastHeard = 0;
    };

    Client& ClientOf(const std::string& id);
    void Forget(const std::string& id);
    void TakeStatus(Client& client, const WsjtxStatus& status);
    void TakeDecode(Client& client, const WsjtxDecode& decode);
    // Fills the spot buffers; false when the decode cannot be spotted.
    bool MakeSpot(Client& client, const WsjtxDecode& decode, bool cq);
    std::string_view ModeName(const Client& client, const WsjtxDecode& decode) const;
    std::string CountsLine() const;

    const WsjtxOptions& m_options;
    const IClock& m_clock;
    IWsjtxOutput& m_output;
    std::vector<Client> m_clients;
    CWsjtxRepeatTable m_repeats{MaxRepeats};
    Counts m_counts;
    std::uint64_t m_countsShown = 0; // the sum of the counts at the last counts line
    std::int64_t m_nextCountsLine = -1;
    std::uint64_t m_forgottenShown = 0;
    std::vector<WsjtxRefusal> m_refusalsShown;

    // The spot's own text, viewed by the fields handed out.
    std::string m_spotter;
    std::string m_frequency;
    std::string m_dxCall;
    std::string m_comment;
    std::string m_time;
    std::string m_repeatKey;
};
