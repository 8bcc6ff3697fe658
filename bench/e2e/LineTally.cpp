#include "LineTally.h"

#include "BenchIo.h"

#include <utility>

CLineTally::CLineTally(std::size_t sequenceCount, std::vector<std::uint8_t> dupeMarks,
                       bool keepTimes)
    : m_dupeMarks(std::move(dupeMarks)), m_seen(sequenceCount, 0),
      m_times(keepTimes ? sequenceCount : 0, 0) {}

void CLineTally::Count(std::string_view line, std::int64_t arrivalNs) {
    ++m_lines;
    if (m_firstNs == 0)
        m_firstNs = arrivalNs;
    m_lastNs = arrivalNs;
    const std::int64_t seq = bench::ExtractSeq(line);
    if (seq < 0 || static_cast<std::size_t>(seq) >= m_seen.size()) {
        ++m_unnumbered;
        return;
    }
    const auto i = static_cast<std::size_t>(seq);
    if (m_seen[i]) {
        ++m_repeats;
        return;
    }
    m_seen[i] = 1;
    if (seq < m_highest)
        ++m_outOfOrder;
    else
        m_highest = seq;
    if (!m_times.empty())
        m_times[i] = arrivalNs;
    if (i < m_dupeMarks.size() && m_dupeMarks[i])
        ++m_dupes;
    else
        ++m_unique;
}

void CLineTally::CountStream(std::string_view chunk, std::int64_t arrivalNs) {
    std::size_t start = 0;
    for (;;) {
        const std::size_t lf = chunk.find('\n', start);
        if (lf == std::string_view::npos)
            break;
        std::string_view piece = chunk.substr(start, lf - start);
        start = lf + 1;
        if (!m_partial.empty()) {
            m_partial.append(piece);
            piece = m_partial;
        }
        while (!piece.empty() && piece.back() == '\r')
            piece.remove_suffix(1);
        while (!piece.empty() && piece.front() == '\r')
            piece.remove_prefix(1);
        if (!piece.empty())
            Count(piece, arrivalNs);
        m_partial.clear();
    }
    m_partial.append(chunk.substr(start));
}

std::string CLineTally::Summary() const {
    return "lines=" + std::to_string(m_lines) + " unique=" + std::to_string(m_unique) +
           " dupes=" + std::to_string(m_dupes) + " repeats=" + std::to_string(m_repeats) +
           " unnumbered=" + std::to_string(m_unnumbered) +
           " out_of_order=" + std::to_string(m_outOfOrder) +
           " first_ns=" + std::to_string(m_firstNs) + " last_ns=" + std::to_string(m_lastNs);
}
