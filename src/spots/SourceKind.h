#pragma once

// The kinds of source a destination tells apart. A destination asks a
// routed line's kind only where the kind changes what it does; a new kind
// that brings spots is one value here and one case in CarriesSpots.
enum class SourceKind {
    MircUser,
    ClusterUser,
    ClusseUser,
    ClusterNode,
    Command,
    Direct,
    CTNetwork,
    CTUser,
    PassThru,
    // One JSON spot object a line (web, broker and file feeds).
    JsonSpots,
};

// True for the kinds whose lines may be spots: the source parses each line
// once, and the lines that are no spots are its own talk.
constexpr bool CarriesSpots(SourceKind kind) {
    switch (kind) {
    case SourceKind::MircUser:
    case SourceKind::ClusterUser:
    case SourceKind::ClusseUser:
    case SourceKind::ClusterNode:
    case SourceKind::JsonSpots:
        return true;
    default:
        return false;
    }
}
