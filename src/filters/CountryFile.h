#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// The countries of a country file in the common "cty.dat" form, reduced to
// what the spot filters and skimmer merging need: the continent and the CQ
// zone of a call.
//
//   Canary Islands:  33:  36:  AF:   28.32:    15.85:     0.0:  EA8:
//       AM8,AN8,AO8,EA8,EB8,EC8,ED8,EE8,EF8,EG8,EH8,=EA8URE(33)[36]{AF};
//
// A record is a line of eight ":"-ended fields (name, CQ zone, ITU zone,
// continent, latitude, longitude, UTC offset, main prefix), then the list of
// prefixes and "="-led whole calls up to ";". An entry may carry overrides:
// (CQ zone) [ITU zone] <lat/lon> {continent} ~UTC offset~; only (CQ zone)
// and {continent} are kept. A CQ zone that is no number from 1 to 40 is
// taken as unknown rather than refusing a file the continents can use.
//
// Prefixes and whole calls go into one prefix tree whose edges are kept in
// an open-addressing hash table, so a look-up walks the call once, one probe
// a character, whatever the size of the file.
class CCountryFile {
  public:
    static constexpr int NoContinent = -1;
    static constexpr int ContinentCount = 7;
    static constexpr int NoZone = 0;
    static constexpr int MaxCqZone = 40;

    // Replaces the contents; false, with a message naming the line, when the
    // text is not a complete country file (nothing is kept then).
    bool Parse(std::string_view text, std::string& error);
    // Parse of a file's contents; a missing or unreadable file says why.
    bool Read(const std::string& path, std::string& error);

    // The continent of a call as a logger resolves it: a whole-call entry
    // first; then, of the parts between "/", the prefix part decides (the
    // shorter of two; "VP2E/K1ABC", "EA8/DL1ABC/P", "MM/DL1ABC"); /P, /M, /A
    // and /QRP keep the country; a call-area digit moves the call to the
    // prefix with that digit ("UA3ABC/9" is worked as UA9) when the file
    // knows it; a trailing /MM or /AM has none. A "-" ends the call
    // ("DL1ABC-#" is DL1ABC). An entry listed twice counts where it is
    // listed first.
    int ContinentOf(std::string_view call) const;
    // The CQ zone (1 to 40) of a call, resolved as ContinentOf resolves its
    // continent; NoZone when the file does not place it.
    int CqZoneOf(std::string_view call) const;

    // "AF", "AN", "AS", "EU", "NA", "OC", "SA" (case-insensitive), or -1.
    static int FindContinent(std::string_view name);
    static std::string_view ContinentName(int continent);

  private:
    // Where an entry puts a call; an entry always has a continent, so one
    // without is no entry.
    struct Place {
        std::int8_t continent = NoContinent;
        std::uint8_t zone = NoZone;
    };
    struct Node {
        Place prefix;
        Place call;
    };

    void Clear();
    bool ParseRecords(std::string_view text, std::string& error);
    int Child(int node, char c) const;
    int AddChild(int node, char c);
    void Grow();
    void Insert(std::string_view entry, bool wholeCall, Place place);
    // The place of a call, as ContinentOf describes.
    Place Locate(std::string_view call) const;
    // The place of the whole call when the file lists it, else that of its
    // longest listed prefix; wholeOnly asks for the first only.
    Place Walk(std::string_view call, bool wholeOnly) const;

    std::vector<Node> m_nodes;
    // Edge table: key (parent node × 128 + character + 1, 0 for a free
    // slot) and child node; never more than half full.
    std::vector<std::uint32_t> m_edgeKeys;
    std::vector<std::int32_t> m_edgeChildren;
    int m_edges = 0;
    int m_countries = 0;
};
