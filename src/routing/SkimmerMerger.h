#pragma once

#include "spots/SkimmerComment.h"
#include "spots/SpotFields.h"

#include <array>
#include <cstdint>
#include <functional>
#include <queue>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

class IClock;

// The settings of one port's merging; the first five are its setup key.
struct SkimmerMergeSettings {
    int dwellSeconds = 10;
    int windowHundredths = 50; // ± kHz × 100 around the first report
    int minimumSkimmers = 2;
    int respotMinutes = 3;
    bool markBusted = false; // pass a busted call with "B" instead of holding it
    // How long a call heard by too few skimmers may wait, and how long a
    // spotted station is remembered after its last report.
    int limboSeconds = 300;
    std::size_t maxCandidates = 100'000;

    bool operator==(const SkimmerMergeSettings&) const = default;
};

struct SkimmerMergeCounts {
    std::uint64_t reportsIn = 0;  // skimmer reports taken into merging
    std::uint64_t spotsOut = 0;   // merged spots sent, re-spots included
    std::uint64_t heldBack = 0;   // calls heard by too few skimmers
    std::uint64_t busted = 0;     // busted calls, held back or marked
    std::uint64_t respots = 0;    // stations spotted again
    std::uint64_t unmerged = 0;   // skimmer spots passed as they came (unreadable)
    std::uint64_t tableDrops = 0; // candidates dropped from a full table
};

// Turns the many reports skimmers send of one station into one spot, for
// one output port. It sits after the port's filters (a filtered spot never
// counts) and before its dupe table.
//
// Human spots (spotter without "-#") and skimmer spots whose frequency or
// comment cannot be read pass at once, unchanged. Skimmer reports of one
// call within ±window of the first are collected for the dwell time; then
// one spot leaves, as soon as the minimum of distinct skimmers heard it, or
// at once when nine did. The spot has the median frequency rounded to
// 0.1 kHz, the spotter of the first skimmer (its "-#" kept), the time of
// the newest report, and this comment:
//
//   <mode> <dB> dB[ <speed> WPM|BPS][ <type>] Q:<n>[ QSY][ B][ Z:<zones>]
//
//   "CW 24 dB 22 WPM CQ Q:6 Z:5,14"   six skimmers, the other five in zones 5 and 14
//   "FT8 -12 dB CQ Q:9"                nine or more skimmers, no zone look-up
//   "CW 31 dB 28 WPM CQ Q:3 QSY Z:5"   three skimmers, more than the window from its last spot
//   "CW 8 dB 24 WPM CQ Q:1 B"          a busted call, passed because the port marks them
//
// Mode, dB, speed and type are those of the strongest report. Q is the
// number of distinct skimmers, at most 9. Z lists the CQ zones of the
// skimmers other than the spotter, ascending, without repeats, as many as
// keep the comment within 30 characters, all a "DX de" line shows; the
// marks before them are never left off.
//
// A station spotted is remembered: its further reports within the window
// only refresh it, and it goes out again (a re-spot, with the skimmers
// heard since) at the first report after the re-spot interval once the
// minimum heard it again. A report more than the window from its last spot
// starts a new spot marked QSY. A call that only one skimmer heard, one
// character (changed, added or left out) from a call at most 0.2 kHz away
// that at least the minimum (and at least two) skimmers heard at the same
// time, is busted: counted and held back, or with markBusted passed as
// "B". A call still short of the minimum after the limbo time is dropped
// and counted as held back.
//
// Time comes from the clock; Tick, called about once a second, sends what
// waited out its dwell and forgets what is over. Memory is bounded: a
// station is forgotten once not heard for the limbo time, a candidate keeps
// at most 16 skimmers' reports, and past maxCandidates the oldest is
// dropped, said through the message callback at most once a minute.
//
// The output and message callbacks must not call back into the merger.
class CSkimmerMerger {
  public:
    // The fields view the merger's own storage, valid during the call.
    using Output = std::function<void(const SpotFields&)>;
    using Message = std::function<void(std::string_view)>;
    // The CQ zone of a call, 0 when not known.
    using ZoneOf = std::function<int(std::string_view)>;

    CSkimmerMerger(const IClock& clock, Output output, Message message);

    // Applies to what is decided from now on; nothing held is lost.
    void SetSettings(const SkimmerMergeSettings& settings);
    const SkimmerMergeSettings& Settings() const { return m_settings; }
    // An empty function leaves Z off.
    void SetZoneLookup(ZoneOf zoneOf);

    // Every spot that passed the port's filters, in order of arrival.
    void Offer(const SpotFields& spot);
    // As Offer, with the comment already read at the source; nullptr when it
    // was no skimmer comment.
    void Offer(const SpotFields& spot, const SkimmerComment* comment);
    void Tick();

    const SkimmerMergeCounts& Counts() const { return m_counts; }
    // Reports in over spots out, "9.8:1"; "-" before the first spot out.
    std::string ReductionText() const;
    // "skimmer reports 230000, merged 23456, held back 812, busted 95,
    // re-spots 3012, reduction 9.8:1"
    std::string CountsText() const;
    std::size_t CandidateCount() const { return m_live; }

  private:
    static constexpr std::uint32_t None = UINT32_MAX;
    static constexpr std::size_t MaxReports = 16;

    template <std::size_t N> struct ShortText {
        std::array<char, N> text{};
        unsigned char size = 0;
        void Assign(std::string_view value);
        std::string_view View() const { return {text.data(), size}; }
    };
    struct Report {
        ShortText<15> spotter;
        ShortText<7> mode;
        ShortText<3> speedUnit;
        char strippedMark = '\0';
        SkimmerSpotType type = SkimmerSpotType::None;
        std::int16_t strength = 0;
        std::int16_t speed = 0;
        std::int64_t frequency = 0; // kHz × 100
    };
    enum class Phase : unsigned char { Dwell, Limbo, Spotted };
    struct Candidate {
        std::string call;
        std::vector<Report> round;  // distinct skimmers since the last spot
        std::string time;           // of the newest report
        std::int64_t reference = 0; // first report's frequency, then the last spot's
        std::int64_t firstSeen = 0;
        std::int64_t lastReport = 0;
        std::int64_t lastSpot = 0;
        std::int64_t due = 0;
        std::int64_t bucket = 0;
        std::uint32_t serial = 0; // 0: a free slot
        std::uint32_t nextOfCall = None;
        std::uint32_t older = None;
        std::uint32_t newer = None;
        Phase phase = Phase::Dwell;
        bool validated = false;
        bool indexed = false;
        bool qsy = false;
    };
    struct Due {
        std::int64_t time;
        std::uint32_t slot;
        std::uint32_t serial;
        bool operator>(const Due& other) const { return time > other.time; }
    };
    struct CallHash {
        using is_transparent = void;
        std::size_t operator()(std::string_view call) const {
            return std::hash<std::string_view>{}(call);
        }
    };

    void Merge(const SpotFields& spot, const SkimmerComment& comment, std::int64_t frequency);
    std::uint32_t Find(std::string_view call, std::int64_t frequency, bool& qsy) const;
    std::uint32_t Create(std::string_view call, std::int64_t frequency, std::int64_t now);
    void AddReport(Candidate& candidate, const SpotFields& spot, const SkimmerComment& comment,
                   std::int64_t frequency);
    void RunDue(std::int64_t now);
    void Decide(std::uint32_t slot, std::int64_t now);
    bool IsBusted(const Candidate& candidate) const;
    void Emit(std::uint32_t slot, std::int64_t now, bool busted);
    void BuildComment(const Candidate& candidate, const Report& strongest, std::size_t heard,
                      bool busted);
    void Schedule(std::uint32_t slot, std::int64_t time);
    void Index(std::uint32_t slot);
    void Unindex(std::uint32_t slot);
    void Remove(std::uint32_t slot);
    void DropOldest(std::int64_t now);
    void SayDrops(std::int64_t now);
    std::int64_t WindowOf() const { return m_settings.windowHundredths; }

    const IClock& m_clock;
    Output m_output;
    Message m_message;
    ZoneOf m_zoneOf;
    SkimmerMergeSettings m_settings;
    SkimmerMergeCounts m_counts;

    std::vector<Candidate> m_slots;
    std::vector<std::uint32_t> m_free;
    std::unordered_map<std::string, std::uint32_t, CallHash, std::equal_to<>> m_byCall;
    // Validated candidates by whole kHz, for the busted-call check.
    std::unordered_map<std::int64_t, std::vector<std::uint32_t>> m_byKhz;
    std::priority_queue<Due, std::vector<Due>, std::greater<Due>> m_due;
    std::uint32_t m_oldest = None;
    std::uint32_t m_newest = None;
    std::uint32_t m_nextSerial = 1;
    std::size_t m_live = 0;
    std::int64_t m_lastDropMessage = 0;
    bool m_dropsSaid = false;
    std::uint64_t m_dropsUnsaid = 0;

    // The spot being sent.
    std::string m_frequency;
    std::string m_comment;
    std::string m_spotter;
    std::string m_call;
    std::string m_time;
};
