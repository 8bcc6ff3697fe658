// Any text through the skimmer comment reader, and its lines as "DX de"
// spots through a skimmer merger that keeps only a few candidates, with the
// clock moving by the first byte of every line.
#include "routing/SkimmerMerger.h"
#include "spots/RouterOptions.h"
#include "spots/SkimmerComment.h"
#include "spots/SpotParser.h"
#include "support/SettableClock.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) {
        return 0;
    }
    const std::string_view text(reinterpret_cast<const char*>(data + 1), size - 1);
    SkimmerComment fields;
    ParseSkimmerComment(text, fields);

    RouterOptions options;
    options.StripAtPoundOption = data[0] & 1;
    SettableClock clock;
    CSkimmerMerger merger(
        clock, [](const SpotFields&) {}, [](std::string_view) {});
    SkimmerMergeSettings settings;
    settings.minimumSkimmers = 1 + (data[0] >> 1) % 3;
    settings.markBusted = (data[0] & 0x10) != 0;
    settings.maxCandidates = 8;
    merger.SetSettings(settings);
    CSpotParser parser(options);
    SpotFields spot;
    for (std::size_t start = 0; start < text.size();) {
        std::size_t end = text.find('\n', start);
        end = end == std::string_view::npos ? text.size() : end;
        const std::string_view line = text.substr(start, end - start);
        clock.seconds += line.empty() ? 0 : static_cast<unsigned char>(line.front()) % 64;
        if (parser.ParseUserSpot(line, spot)) {
            merger.Offer(spot);
        }
        merger.Tick();
        start = end + 1;
    }
    clock.seconds += 3600;
    merger.Tick();
    return 0;
}
