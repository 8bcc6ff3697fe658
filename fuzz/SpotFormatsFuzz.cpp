// Any line through every spot parser, and every parsed spot through every
// formatter, the JSON writer and the loop mark.
#include "routing/JsonSpotWriter.h"
#include "spots/LoopMark.h"
#include "spots/RouterOptions.h"
#include "spots/SpotFields.h"
#include "spots/SpotFormatter.h"
#include "spots/SpotParser.h"
#include "spots/SpotterOptions.h"
#include "support/SettableClock.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) {
        return 0;
    }
    RouterOptions options;
    options.MyCall = "N0CALL";
    options.AntiLoopPrefix = " <";
    options.BlockDashAtOption = data[0] & 1;
    options.StripAtPoundOption = (data[0] >> 1) & 1;
    SettableClock clock;
    CSpotParser parser;
    CSpotFormatter formatter(options, clock);
    CJsonSpotWriter json(clock);
    const std::string_view line(reinterpret_cast<const char*>(data + 1), size - 1);

    SpotFields spot;
    using Parse = bool (CSpotParser::*)(std::string_view, SpotFields&);
    for (Parse parse : {&CSpotParser::ParseClusseSpot, &CSpotParser::ParseUserSpot,
                        &CSpotParser::ParseNodeSpot, &CSpotParser::ParseIrcSpot}) {
        if (!(parser.*parse)(line, spot) || !SpotterOptions::Apply(spot, options)) {
            continue;
        }
        formatter.FormatPC11(spot);
        formatter.FormatClusseCommand(spot);
        formatter.FormatDxCommand(spot);
        formatter.FormatDxDe(spot);
        formatter.FormatIrcSpot(spot);
        json.Format(spot, "origin", 1);
        std::string comment(spot.Comment);
        HasLoopMark(comment, options);
        AddLoopMark(comment, options);
    }
    formatter.FormatSolarFrame(line);
    if (parser.Parse(SourceKind::JsonSpots, line, spot)) {
        json.Format(spot);
    }
    return 0;
}
