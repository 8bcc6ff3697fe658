#include "routing/PskReporterRouter.h"

#include "filters/BandTable.h"
#include "filters/CountryFile.h"
#include "routing/RouterPort.h"
#include "spots/SpotTexts.h"

#include <algorithm>

CPskReporterRouter::CPskReporterRouter(CRouterPort& port)
    : CRouter(port, DataTypeCode::PskReporter), m_formatter(*this, port.Clock()),
      m_drops("report", [this](std::string_view line) { Port().PrintMessage(line); }),
      m_countries("Spotter continents unknown",
                  [this](std::string_view line) { Port().PrintMessage(line); }) {}

void CPskReporterRouter::Convert(const Spot& in, const CRouterPort&) {
    Refuse(in.line, "Can't route to PSK Reporter, it takes no input.");
}

std::string_view CPskReporterRouter::TakeIn(std::string_view line) {
    const std::int64_t now = Port().Clock().NowSeconds();
    PskReport report;
    const PskRefusal refusal = m_reader.Read(line, report);
    if (refusal != PskRefusal::None) {
        m_drops.Count(PskRefusalText(refusal), now);
        return {};
    }
    const std::uint64_t tenths = (report.Hz + 50) / 100;
    if (!IsNew(report, static_cast<double>(tenths) / 10.0)) {
        return {};
    }
    m_spotter.assign(report.Receiver);
    m_spotter += "-#";
    m_frequency = SpotTexts::Khz(report.Hz);
    m_comment.assign(report.Mode);
    if (report.HasSnr) {
        m_comment += ' ';
        m_comment += std::to_string(report.Snr);
        m_comment += " dB";
    }
    if (!report.SenderLocator.empty()) {
        m_comment += ' ';
        m_comment += report.SenderLocator;
    }
    m_time = SpotTexts::Hhmm(report.Time);
    m_spotterGrid.assign(report.ReceiverLocator);
    m_spotterDxcc = std::max(report.ReceiverDxcc, 0);
    m_spotterContinent = ContinentOfDxcc(m_spotterDxcc);

    SpotFields spot;
    spot.Spotter = m_spotter;
    spot.Frequency = m_frequency;
    spot.DxCall = report.Sender;
    spot.Comment = m_comment;
    spot.Time = m_time;
    if (!m_formatter.FormatDxDe(spot)) {
        return {};
    }
    ++m_spots;
    return m_formatter.Text();
}

bool CPskReporterRouter::IsNew(const PskReport& report, double kHz) {
    // The band table names the band where it knows it, so reports with and
    // without "b" meet; outside it the report's band, else the MHz.
    m_key.assign(report.Sender);
    m_key += ' ';
    const int band = CBandTable::BandOf(kHz);
    if (band != CBandTable::Other) {
        m_key += CBandTable::Name(band);
    } else if (!report.Band.empty()) {
        m_key += report.Band;
    } else {
        m_key += std::to_string(report.Hz / 1'000'000) + "MHz";
    }
    const int minutes = std::clamp(PskRepeat, 0, MaxRepeatMinutes);
    if (!m_repeats.IsRepeat(m_key, Port().Clock().NowSeconds(),
                            static_cast<std::int64_t>(minutes) * 60)) {
        return true;
    }
    m_drops.Count("sender spotted on the band within " + std::to_string(minutes) + " min",
                  Port().Clock().NowSeconds());
    return false;
}

void CPskReporterRouter::AddReported(SpotFields& spot) const {
    spot.SpotterGrid = m_spotterGrid;
    spot.SpotterDxcc = m_spotterDxcc;
    spot.SpotterContinent = m_spotterContinent;
}

int CPskReporterRouter::ContinentOfDxcc(int dxcc) {
    if (dxcc <= CCountryFile::NoDxcc) {
        return CCountryFile::NoContinent;
    }
    const CCountryFile* countries = m_countries.Get(Filter().CountryFile());
    const CCountryFile::Entity* entity = countries != nullptr ? countries->EntityOf(dxcc) : nullptr;
    return entity != nullptr ? entity->Continent : CCountryFile::NoContinent;
}

void CPskReporterRouter::OnTick() {
    m_drops.Tick(Port().Clock().NowSeconds());
}
