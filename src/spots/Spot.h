#pragma once

#include "spots/SourceKind.h"
#include "spots/SpotFacts.h"
#include "spots/SpotFields.h"

#include <string_view>

class CDupeKey;

// One received line on its way from the router of the port it came in on to
// every destination, parsed once where it entered. Destinations only filter,
// dedupe and format it; each applies its own spotter options to the fields
// (see SpotterOptions).
//
// The views stay valid until the source router takes its next line.
struct Spot {
    // The kind of port the line came from.
    SourceKind source = SourceKind::Direct;
    // The line as the source hands it on: the text after a TNC stream
    // prefix, a packet without its checksum byte, a PassThru port's bytes
    // as they came.
    std::string_view line;
    // True when the line is a spot of the source's layout; fields then hold
    // it as sent, before any destination's options.
    bool isSpot = false;
    SpotFields fields;
    // What the destinations' filters worked out of the spot so far, shared
    // by all of them; null when the spot comes without (each filter then
    // works out its own).
    SpotFacts* facts = nullptr;
    // The dupe key of the fields' frequency and call, made by the first
    // router whose table needed it and used by the others; null when the
    // spot comes without (each router then makes its own).
    CDupeKey* dupeKey = nullptr;
};
