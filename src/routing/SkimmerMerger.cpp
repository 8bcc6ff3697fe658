#include "routing/SkimmerMerger.h"

#include "filters/BandTable.h"
#include "platform/IClock.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace {

constexpr std::size_t MaxCount = 9;
constexpr std::size_t MaxCommentLength = 30;
constexpr std::int64_t BustedSpread = 20; // ±0.2 kHz, in kHz × 100
constexpr std::int64_t HundredthsPerKhz = 100;
constexpr int MaxZone = 40;
constexpr std::int64_t DropMessageSeconds = 60;

// "14025.2" in kHz as kHz × 100; false unless a number above 0 (and below
// any radio's range, which keeps the product in range).
bool ReadFrequency(std::string_view text, std::int64_t& value) {
    constexpr double MaxKhz = 1e9;
    double kHz = 0;
    if (!CBandTable::ParseKhz(text, kHz) || !(kHz > 0 && kHz < MaxKhz)) {
        return false;
    }
    value = std::llround(kHz * HundredthsPerKhz);
    return true;
}

// kHz × 100 rounded to 0.1 kHz, as "14025.2".
std::string FrequencyText(std::int64_t hundredths) {
    const std::int64_t tenths = (hundredths + 5) / 10;
    return std::to_string(tenths / 10) + '.' + static_cast<char>('0' + tenths % 10);
}

// One character changed, added or left out.
bool OneEditApart(std::string_view a, std::string_view b) {
    if (a.size() > b.size()) {
        std::swap(a, b);
    }
    if (b.size() - a.size() > 1) {
        return false;
    }
    std::size_t i = 0;
    while (i < a.size() && a[i] == b[i]) {
        ++i;
    }
    if (a.size() == b.size()) {
        return i < a.size() && a.substr(i + 1) == b.substr(i + 1);
    }
    return a.substr(i) == b.substr(i + 1);
}

std::int64_t KhzOf(std::int64_t hundredths) {
    return hundredths / HundredthsPerKhz;
}

} // namespace

template <std::size_t N> void CSkimmerMerger::ShortText<N>::Assign(std::string_view value) {
    size = static_cast<unsigned char>(std::min(value.size(), N));
    std::copy_n(value.begin(), size, text.begin());
}

CSkimmerMerger::CSkimmerMerger(const IClock& clock, Output output, Message message)
    : m_clock(clock), m_output(std::move(output)), m_message(std::move(message)) {}

void CSkimmerMerger::SetSettings(const SkimmerMergeSettings& settings) {
    m_settings = settings;
    m_settings.minimumSkimmers = std::max(m_settings.minimumSkimmers, 1);
    m_settings.maxCandidates = std::max<std::size_t>(m_settings.maxCandidates, 1);
    while (m_live > m_settings.maxCandidates) {
        DropOldest(m_clock.NowSeconds());
    }
}

void CSkimmerMerger::SetZoneLookup(ZoneOf zoneOf) {
    m_zoneOf = std::move(zoneOf);
}

void CSkimmerMerger::Offer(const SpotFields& spot) {
    if (!IsSkimmerSpot(spot)) {
        m_output(spot);
        return;
    }
    SkimmerComment comment;
    const bool read = ParseSkimmerComment(spot.Comment, comment);
    Offer(spot, read ? &comment : nullptr);
}

void CSkimmerMerger::Offer(const SpotFields& spot, const SkimmerComment* comment) {
    std::int64_t frequency = 0;
    if (!IsSkimmerSpot(spot)) {
        m_output(spot);
        return;
    }
    if (comment == nullptr || spot.DxCall.empty() || !ReadFrequency(spot.Frequency, frequency)) {
        ++m_counts.unmerged;
        m_output(spot);
        return;
    }
    ++m_counts.reportsIn;
    Merge(spot, *comment, frequency);
}

void CSkimmerMerger::Tick() {
    RunDue(m_clock.NowSeconds());
}

void CSkimmerMerger::Merge(const SpotFields& spot, const SkimmerComment& comment,
                           std::int64_t frequency) {
    const std::int64_t now = m_clock.NowSeconds();
    RunDue(now);
    bool qsy = false;
    std::uint32_t slot = Find(spot.DxCall, frequency, qsy);
    if (slot == None) {
        slot = Create(spot.DxCall, frequency, now);
        m_slots[slot].qsy = qsy;
    }
    Candidate& candidate = m_slots[slot];
    candidate.lastReport = now;
    AddReport(candidate, spot, comment, frequency);
    const std::size_t heard = candidate.round.size();
    const auto minimum = static_cast<std::size_t>(m_settings.minimumSkimmers);
    if (!candidate.validated && heard >= std::max<std::size_t>(minimum, 2)) {
        candidate.validated = true;
        Index(slot);
    }
    if (candidate.phase != Phase::Spotted) {
        if (heard >= MaxCount ||
            (heard >= minimum && now >= candidate.firstSeen + m_settings.dwellSeconds)) {
            Emit(slot, now, false);
        }
    } else if (heard >= minimum &&
               now - candidate.lastSpot >= std::int64_t{m_settings.respotMinutes} * 60) {
        Emit(slot, now, false);
    }
}

std::uint32_t CSkimmerMerger::Find(std::string_view call, std::int64_t frequency, bool& qsy) const {
    qsy = false;
    const auto it = m_byCall.find(call);
    if (it == m_byCall.end()) {
        return None;
    }
    std::uint32_t best = None;
    std::int64_t bestDistance = WindowOf() + 1;
    for (std::uint32_t slot = it->second; slot != None; slot = m_slots[slot].nextOfCall) {
        const Candidate& candidate = m_slots[slot];
        const std::int64_t distance = std::llabs(frequency - candidate.reference);
        if (distance < bestDistance) {
            best = slot;
            bestDistance = distance;
        }
        qsy = qsy || candidate.phase == Phase::Spotted;
    }
    if (best != None) {
        qsy = false;
    }
    return best;
}

std::uint32_t CSkimmerMerger::Create(std::string_view call, std::int64_t frequency,
                                     std::int64_t now) {
    if (m_live >= m_settings.maxCandidates) {
        DropOldest(now);
    }
    std::uint32_t slot = 0;
    if (m_free.empty()) {
        slot = static_cast<std::uint32_t>(m_slots.size());
        m_slots.emplace_back();
    } else {
        slot = m_free.back();
        m_free.pop_back();
    }
    Candidate& candidate = m_slots[slot];
    candidate.call.assign(call);
    candidate.round.clear();
    candidate.reference = frequency;
    candidate.firstSeen = now;
    candidate.lastReport = now;
    candidate.lastSpot = now;
    candidate.serial = m_nextSerial;
    m_nextSerial = m_nextSerial == UINT32_MAX ? 1 : m_nextSerial + 1;
    candidate.phase = Phase::Dwell;
    candidate.validated = false;
    candidate.indexed = false;
    candidate.qsy = false;

    candidate.older = m_newest;
    candidate.newer = None;
    (m_newest == None ? m_oldest : m_slots[m_newest].newer) = slot;
    m_newest = slot;

    const auto [it, added] = m_byCall.try_emplace(candidate.call, slot);
    candidate.nextOfCall = added ? None : it->second;
    it->second = slot;
    ++m_live;
    Schedule(slot, now + m_settings.dwellSeconds);
    return slot;
}

void CSkimmerMerger::AddReport(Candidate& candidate, const SpotFields& spot,
                               const SkimmerComment& comment, std::int64_t frequency) {
    auto report = std::find_if(candidate.round.begin(), candidate.round.end(),
                               [&](const Report& r) { return r.spotter.View() == spot.Spotter; });
    if (report == candidate.round.end()) {
        if (candidate.round.size() >= MaxReports) {
            return;
        }
        report = candidate.round.emplace(candidate.round.end());
    }
    report->spotter.Assign(spot.Spotter);
    report->mode.Assign(comment.Mode);
    report->speedUnit.Assign(comment.SpeedUnit);
    report->strippedMark = spot.StrippedMark;
    report->type = comment.Type;
    report->strength = static_cast<std::int16_t>(comment.Strength);
    report->speed = static_cast<std::int16_t>(comment.Speed);
    report->frequency = frequency;
    candidate.time.assign(spot.Time.substr(0, 4));
}

void CSkimmerMerger::RunDue(std::int64_t now) {
    while (!m_due.empty() && m_due.top().time <= now) {
        const Due due = m_due.top();
        m_due.pop();
        Candidate& candidate = m_slots[due.slot];
        if (candidate.serial != due.serial || candidate.due != due.time) {
            continue;
        }
        candidate.due = INT64_MIN;
        Decide(due.slot, now);
    }
    SayDrops(now);
}

void CSkimmerMerger::Decide(std::uint32_t slot, std::int64_t now) {
    Candidate& candidate = m_slots[slot];
    const std::size_t heard = candidate.round.size();
    switch (candidate.phase) {
    case Phase::Dwell:
        if (now < candidate.firstSeen + m_settings.dwellSeconds) {
            Schedule(slot, candidate.firstSeen + m_settings.dwellSeconds);
        } else if (heard == 1 && IsBusted(candidate)) {
            ++m_counts.busted;
            if (m_settings.markBusted) {
                Emit(slot, now, true);
            } else {
                Remove(slot);
            }
        } else if (heard >= static_cast<std::size_t>(m_settings.minimumSkimmers)) {
            Emit(slot, now, false);
        } else {
            candidate.phase = Phase::Limbo;
            Schedule(slot, candidate.firstSeen + m_settings.limboSeconds);
        }
        return;
    case Phase::Limbo:
        if (now < candidate.firstSeen + m_settings.limboSeconds) {
            Schedule(slot, candidate.firstSeen + m_settings.limboSeconds);
        } else {
            ++m_counts.heldBack;
            Remove(slot);
        }
        return;
    case Phase::Spotted:
        if (now < candidate.lastReport + m_settings.limboSeconds) {
            Schedule(slot, candidate.lastReport + m_settings.limboSeconds);
        } else {
            Remove(slot);
        }
        return;
    }
}

bool CSkimmerMerger::IsBusted(const Candidate& candidate) const {
    const std::int64_t frequency = candidate.round.front().frequency;
    for (std::int64_t khz = KhzOf(frequency - BustedSpread); khz <= KhzOf(frequency + BustedSpread);
         ++khz) {
        const auto it = m_byKhz.find(khz);
        if (it == m_byKhz.end()) {
            continue;
        }
        for (const std::uint32_t slot : it->second) {
            const Candidate& other = m_slots[slot];
            if (std::llabs(other.reference - frequency) <= BustedSpread &&
                other.lastReport >= candidate.firstSeen - m_settings.dwellSeconds &&
                OneEditApart(candidate.call, other.call)) {
                return true;
            }
        }
    }
    return false;
}

void CSkimmerMerger::Emit(std::uint32_t slot, std::int64_t now, bool busted) {
    Candidate& candidate = m_slots[slot];
    const std::size_t heard = candidate.round.size();
    std::array<std::int64_t, MaxReports> frequencies{};
    std::size_t strongest = 0;
    for (std::size_t i = 0; i < heard; ++i) {
        frequencies[i] = candidate.round[i].frequency;
        if (candidate.round[i].strength > candidate.round[strongest].strength) {
            strongest = i;
        }
    }
    std::sort(frequencies.begin(), frequencies.begin() + static_cast<std::ptrdiff_t>(heard));
    const std::int64_t median = (frequencies[(heard - 1) / 2] + frequencies[heard / 2]) / 2;

    m_frequency = FrequencyText(median);
    m_spotter = candidate.round.front().spotter.View();
    m_call = candidate.call;
    m_time = candidate.time;
    BuildComment(candidate, candidate.round[strongest], heard, busted);
    SpotFields spot{m_spotter, m_frequency, m_call, m_comment, m_time};
    spot.StrippedMark = candidate.round.front().strippedMark;

    ++m_counts.spotsOut;
    if (candidate.phase == Phase::Spotted) {
        ++m_counts.respots;
    }
    candidate.phase = Phase::Spotted;
    candidate.lastSpot = now;
    candidate.qsy = false;
    candidate.round.clear();
    Unindex(slot);
    candidate.reference = median;
    if (candidate.validated) {
        Index(slot);
    }
    Schedule(slot, candidate.lastReport + m_settings.limboSeconds);
    m_output(spot);
}

void CSkimmerMerger::BuildComment(const Candidate& candidate, const Report& strongest,
                                  std::size_t heard, bool busted) {
    m_comment.assign(strongest.mode.View());
    m_comment += ' ';
    m_comment += std::to_string(strongest.strength);
    m_comment += " dB";
    if (strongest.speed > 0) {
        m_comment += ' ';
        m_comment += std::to_string(strongest.speed);
        m_comment += ' ';
        m_comment += strongest.speedUnit.View();
    }
    if (strongest.type != SkimmerSpotType::None) {
        m_comment += ' ';
        m_comment += SkimmerTypeText(strongest.type);
    }
    m_comment += " Q:";
    m_comment += static_cast<char>('0' + std::min(heard, MaxCount));
    if (candidate.qsy) {
        m_comment += " QSY";
    }
    if (busted) {
        m_comment += " B";
    }
    if (!m_zoneOf) {
        return;
    }
    std::uint64_t zones = 0;
    for (std::size_t i = 1; i < heard; ++i) {
        const int zone = m_zoneOf(candidate.round[i].spotter.View());
        if (zone > 0 && zone <= MaxZone) {
            zones |= std::uint64_t{1} << zone;
        }
    }
    std::string_view separator = " Z:";
    for (int zone = 1; zone <= MaxZone; ++zone) {
        if ((zones >> zone & 1) == 0) {
            continue;
        }
        std::array<char, 5> text{};
        std::size_t size = separator.copy(text.data(), separator.size());
        if (zone >= 10) {
            text[size++] = static_cast<char>('0' + zone / 10);
        }
        text[size++] = static_cast<char>('0' + zone % 10);
        if (m_comment.size() + size > MaxCommentLength) {
            return;
        }
        m_comment.append(text.data(), size);
        separator = ",";
    }
}

void CSkimmerMerger::Schedule(std::uint32_t slot, std::int64_t time) {
    Candidate& candidate = m_slots[slot];
    candidate.due = time;
    m_due.push(Due{time, slot, candidate.serial});
}

void CSkimmerMerger::Index(std::uint32_t slot) {
    Candidate& candidate = m_slots[slot];
    candidate.bucket = KhzOf(candidate.reference);
    candidate.indexed = true;
    m_byKhz[candidate.bucket].push_back(slot);
}

void CSkimmerMerger::Unindex(std::uint32_t slot) {
    Candidate& candidate = m_slots[slot];
    if (!candidate.indexed) {
        return;
    }
    candidate.indexed = false;
    const auto it = m_byKhz.find(candidate.bucket);
    std::vector<std::uint32_t>& slots = it->second;
    *std::find(slots.begin(), slots.end(), slot) = slots.back();
    slots.pop_back();
    if (slots.empty()) {
        m_byKhz.erase(it);
    }
}

void CSkimmerMerger::Remove(std::uint32_t slot) {
    Candidate& candidate = m_slots[slot];
    Unindex(slot);

    const auto it = m_byCall.find(candidate.call);
    if (it->second == slot) {
        if (candidate.nextOfCall == None) {
            m_byCall.erase(it);
        } else {
            it->second = candidate.nextOfCall;
        }
    } else {
        std::uint32_t before = it->second;
        while (m_slots[before].nextOfCall != slot) {
            before = m_slots[before].nextOfCall;
        }
        m_slots[before].nextOfCall = candidate.nextOfCall;
    }

    (candidate.older == None ? m_oldest : m_slots[candidate.older].newer) = candidate.newer;
    (candidate.newer == None ? m_newest : m_slots[candidate.newer].older) = candidate.older;

    candidate.serial = 0;
    candidate.round.clear();
    m_free.push_back(slot);
    --m_live;
}

void CSkimmerMerger::DropOldest(std::int64_t now) {
    if (m_live > 0 && m_live >= m_settings.maxCandidates) {
        Remove(m_oldest);
        ++m_counts.tableDrops;
        ++m_dropsUnsaid;
    }
    SayDrops(now);
}

void CSkimmerMerger::SayDrops(std::int64_t now) {
    if (m_dropsUnsaid > 0 && (!m_dropsSaid || now - m_lastDropMessage >= DropMessageSeconds)) {
        m_message("Skimmer merging: more than " + std::to_string(m_settings.maxCandidates) +
                  " stations at once, dropped the oldest " + std::to_string(m_dropsUnsaid));
        m_dropsUnsaid = 0;
        m_lastDropMessage = now;
        m_dropsSaid = true;
    }
}

std::string CSkimmerMerger::ReductionText() const {
    if (m_counts.spotsOut == 0) {
        return "-";
    }
    const std::uint64_t tenths =
        (m_counts.reportsIn * 10 + m_counts.spotsOut / 2) / m_counts.spotsOut;
    return std::to_string(tenths / 10) + '.' + std::to_string(tenths % 10) + ":1";
}

std::string CSkimmerMerger::CountsText() const {
    return "skimmer reports " + std::to_string(m_counts.reportsIn) + ", merged " +
           std::to_string(m_counts.spotsOut) + ", held back " + std::to_string(m_counts.heldBack) +
           ", busted " + std::to_string(m_counts.busted) + ", re-spots " +
           std::to_string(m_counts.respots) + ", reduction " + ReductionText();
}
