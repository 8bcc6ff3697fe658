#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// The countries of a country file in the common "cty.dat" form, reduced to
// what the spot filters, skimmer merging and the topics of published spots
// need: the continent, the CQ zone and the ADIF entity number of a call.
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
// The ADIF entity numbers come from the "cty.csv" beside the file (else
// Debian's), one line per entity, led by the entity's main prefix as the
// record's eighth field names it ("*"-led for the entities that count only
// for the European award), its name and its number:
//
//   3A,Monaco,260,EU,14,27,43.73,-7.40,-1.0,3A =3A/4Z5KJ/LH;
//
// Without that file every number is unknown (0); a line it cannot use is
// skipped and told once, never a reason to refuse the countries.
//
// Prefixes go into a prefix tree whose edges are kept in an open-addressing
// hash table; the places of its first two levels are also kept in a dense
// table by the call's first two characters, which most look-ups end in or
// just below. Whole calls are kept in a hash table of their own, and the
// dense table knows the lengths of the whole calls under each pair of first
// characters, so a call that no whole-call entry can equal is never hashed.
class CCountryFile {
  public:
    static constexpr int NoContinent = -1;
    static constexpr int ContinentCount = 7;
    static constexpr int NoZone = 0;
    static constexpr int MaxCqZone = 40;
    static constexpr int NoDxcc = 0;
    // ADIF numbers run to a few hundred; far larger ones are no numbers.
    static constexpr int MaxDxcc = 9999;
    static constexpr const char* SystemNumbers = "/usr/share/hamradio-files/cty.csv";

    // One record of the file.
    struct Entity {
        std::string Name;
        std::string Prefix;
        int Continent = NoContinent;
        int CqZone = NoZone;
        int Dxcc = NoDxcc;
    };

    // Replaces the contents; false, with a message naming the line, when the
    // text is not a complete country file (nothing is kept then).
    bool Parse(std::string_view text, std::string& error);
    // Parse of a file's contents, then ReadNumbers of the "cty.csv" in its
    // folder, else of SystemNumbers; a missing or unreadable country file
    // says why.
    bool Read(const std::string& path, std::string& error);
    // Gives the entities of the parsed records their ADIF numbers from the
    // text of a "cty.csv"; lines it cannot use are skipped, and NumbersNote
    // says how many and why the first was.
    void ParseNumbers(std::string_view csv, std::string_view name);
    // Empty, or "cty.csv: 2 lines skipped, the first (line 7) has no ADIF
    // number".
    const std::string& NumbersNote() const { return m_numbersNote; }

    // The continent of a call as a logger resolves it: a whole-call entry
    // first; then, of the parts between "/", the prefix part decides (the
    // shorter of two; "VP2E/K1ABC", "EA8/DL1ABC/P", "MM/DL1ABC"); /P, /M, /A
    // and /QRP keep the country; a call-area digit moves the call to the
    // prefix with that digit ("UA3ABC/9" is worked as UA9) when the file
    // knows it; a trailing /MM or /AM has none. A "-" ends the call
    // ("DL1ABC-#" is DL1ABC). An entry listed twice counts where it is
    // listed first.
    int ContinentOf(std::string_view call) const;
    // The continents a call may have, by the first two characters of the
    // call and of its parts alone:
    // bit continent + 1 for each (bit 0 for none), so that a caller that
    // needs to know only whether the continent is one of a few may not need
    // ContinentOf. A call with a "/" may have the places of its parts.
    // AnyPlace when the characters cannot tell (a call-area digit, a part
    // of one character, fewer than two characters).
    static constexpr std::uint8_t AnyPlace = 0xFF;
    std::uint8_t PlacesOf(std::string_view call) const;
    // The bit of a continent (or NoContinent) in what PlacesOf gives.
    static std::uint8_t PlaceBit(int continent);
    // The CQ zone (1 to 40) of a call, resolved as ContinentOf resolves its
    // continent; NoZone when the file does not place it.
    int CqZoneOf(std::string_view call) const;
    // The ADIF entity number of a call, resolved as ContinentOf resolves
    // its continent; NoDxcc when unknown.
    int DxccOf(std::string_view call) const;
    // The entity of an ADIF number, the one that counts for the number when
    // several share it ("IT9" Sicily and "I" Italy); null when unknown.
    const Entity* EntityOf(int dxcc) const;

    // "AF", "AN", "AS", "EU", "NA", "OC", "SA" (case-insensitive), or -1.
    static int FindContinent(std::string_view name);
    static std::string_view ContinentName(int continent);

  private:
    // Where an entry puts a call; an entry always has a continent, so one
    // without is no entry.
    static constexpr std::uint16_t NoEntity = 0xFFFF;
    struct Place {
        std::int8_t continent = NoContinent;
        std::uint8_t zone = NoZone;
        std::uint16_t entity = NoEntity;
    };
    struct Node {
        Place prefix;
    };
    // A pair of first characters: its node in the tree (-1 for none or a
    // leaf), the place of the longer of its prefix and its first
    // character's, and the lengths (a bit each; the top bit for 31 and
    // longer) of the whole calls it leads.
    struct Pair {
        std::int32_t node = -1;
        Place found;
        std::uint32_t lengths = 0;
        // The continents its calls may have (see PlacesOf).
        std::uint8_t places = 0;
    };
    // A whole call, upper case, in m_wholeChars.
    struct WholeCall {
        std::uint32_t offset = 0;
        std::uint32_t length = 0;
        Place place;
    };
    struct WholeSlot {
        std::uint32_t hash = 0;
        std::int32_t call = -1;
    };

    void Clear();
    static std::array<std::int32_t, 128> MakeNoRootChildren() {
        std::array<std::int32_t, 128> none{};
        none.fill(-1);
        return none;
    }
    bool ParseRecords(std::string_view text, std::string& error);
    // Why a line of a "cty.csv" is of no use; empty when it gave a number.
    std::string TakeNumberLine(std::string_view line);
    int Child(int node, char c) const;
    int AddChild(int node, char c);
    void Grow();
    void Insert(std::string_view entry, bool wholeCall, Place place);
    void InsertWhole(std::string_view call, Place place);
    void GrowWholes();
    // Fills m_pairs from the tree and the whole calls once they are parsed.
    void MakePairs();
    void MakePairPlaces();
    // PlacesOf a call that may hold a "/" or "-".
    [[gnu::noinline]] std::uint8_t PlacesOfParts(std::string_view call) const;
    // The place of a call, as ContinentOf describes.
    Place Locate(std::string_view call) const;
    // Locate of a call with a "/" in it.
    Place LocatePortable(std::string_view call) const;
    // The place of the whole call when the file lists it, else that of its
    // longest listed prefix; the call holds no "-".
    Place Walk(std::string_view call) const;
    // The place of the call as a whole-call entry lists it.
    Place Whole(std::string_view call) const;
    // The place of the call's longest listed prefix, walked from the root.
    Place Longest(std::string_view call) const;
    // Walk below a pair whose node leads further; kept out of Walk, whose
    // common end at the pair then costs few instructions.
    [[gnu::noinline]] Place Below(const Pair& pair, std::string_view call) const;

    std::vector<Node> m_nodes;
    // Edge table: key (parent node × 128 + character + 1, 0 for a free
    // slot) and child node; never more than half full.
    std::vector<std::uint32_t> m_edgeKeys;
    std::vector<std::int32_t> m_edgeChildren;
    int m_edges = 0;
    // The children of the root by character, as every look-up starts there;
    // -1 for none.
    std::array<std::int32_t, 128> m_rootChildren = MakeNoRootChildren();
    // By the codes of the first two characters (PairIndex); empty until a
    // file is parsed.
    std::vector<Pair> m_pairs;
    std::vector<WholeCall> m_wholes;
    std::string m_wholeChars;
    // Never more than half full.
    std::vector<WholeSlot> m_wholeSlots;
    std::vector<Entity> m_entities;
    // Entity index by ADIF number, -1 for none.
    std::vector<std::int32_t> m_byDxcc;
    std::string m_numbersNote;
};
