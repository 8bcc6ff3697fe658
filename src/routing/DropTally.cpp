#include "routing/DropTally.h"

#include <algorithm>
#include <numeric>

namespace {

constexpr std::int64_t Minute = 60;

} // namespace

CDropTally::CDropTally(std::string noun, Output output)
    : m_noun(std::move(noun)), m_output(std::move(output)) {}

void CDropTally::Count(std::string_view reason, std::int64_t now) {
    auto found = std::find_if(m_reasons.begin(), m_reasons.end(),
                              [reason](const Reason& r) { return r.Text == reason; });
    if (found == m_reasons.end()) {
        m_reasons.push_back({std::string(reason)});
        found = m_reasons.end() - 1;
    }
    ++found->Total;
    if (found->Untold == 0 && now >= found->QuietUntil) {
        std::string line = m_noun;
        if (!line.empty()) {
            line.front() = static_cast<char>(line.front() - 'a' + 'A');
        }
        m_output(line + " dropped: " + found->Text + " (more in this minute are counted)");
        found->QuietUntil = now + Minute;
        return;
    }
    ++found->Untold;
    Tell(*found, now);
}

void CDropTally::Tick(std::int64_t now) {
    for (Reason& reason : m_reasons) {
        Tell(reason, now);
    }
}

void CDropTally::Tell(Reason& reason, std::int64_t now) {
    if (reason.Untold == 0 || now < reason.QuietUntil) {
        return;
    }
    m_output(std::to_string(reason.Untold) + " " + m_noun + (reason.Untold == 1 ? "" : "s") +
             " dropped in the last minute: " + reason.Text);
    reason.Untold = 0;
    reason.QuietUntil = now + Minute;
}

std::uint64_t CDropTally::Total(std::string_view reason) const {
    const auto found = std::find_if(m_reasons.begin(), m_reasons.end(),
                                    [reason](const Reason& r) { return r.Text == reason; });
    return found != m_reasons.end() ? found->Total : 0;
}

std::uint64_t CDropTally::Total() const {
    return std::accumulate(m_reasons.begin(), m_reasons.end(), std::uint64_t{0},
                           [](std::uint64_t sum, const Reason& r) { return sum + r.Total; });
}
