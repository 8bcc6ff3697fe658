// Datagrams of the decoders' UDP protocol through the reader, and what it
// reads through the spot maker and the "DX de" formatter. The input is the
// options byte, then datagrams each led by a two-byte big-endian length.
#include "routing/WsjtxSpotMaker.h"
#include "spots/SpotFormatter.h"
#include "support/SettableClock.h"
#include "transport/WsjtxReader.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace {

class FormattingOutput : public IWsjtxOutput {
  public:
    explicit FormattingOutput(const IClock& clock) : m_formatter(m_options, clock) {}
    void WsjtxSpot(const SpotFields& spot) override { m_formatter.FormatDxDe(spot); }
    void WsjtxLine(std::string_view) override {}

  private:
    RouterOptions m_options;
    CSpotFormatter m_formatter;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) {
        return 0;
    }
    WsjtxOptions options;
    options.MyCall = "N0CALL";
    options.SpotAll = data[0] & 1;
    options.OffAir = (data[0] >> 1) & 1;
    options.RepeatMinutes = (data[0] >> 2) & 3;
    SettableClock clock;
    FormattingOutput output(clock);
    CWsjtxSpotMaker maker(options, clock, output);
    WsjtxMessage message;

    std::size_t pos = 1;
    while (pos + 2 <= size) {
        const std::size_t length = std::min<std::size_t>(
            size - pos - 2, (static_cast<std::size_t>(data[pos]) << 8) | data[pos + 1]);
        pos += 2;
        const QByteArray datagram = QByteArray::fromRawData(
            reinterpret_cast<const char*>(data + pos), static_cast<qsizetype>(length));
        pos += length;
        const WsjtxRefusal refusal = CWsjtxReader::Read(datagram, message);
        if (refusal == WsjtxRefusal::None) {
            maker.Take(message);
        } else {
            maker.Refused(refusal);
        }
        clock.seconds += 61;
        maker.Tick();
    }
    return 0;
}
