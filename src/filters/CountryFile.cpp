#include "filters/CountryFile.h"

#include "setup/NamedFile.h"
#include "text/AsciiText.h"
#include "text/ByteWords.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// A real file is about 400 kB; anything far larger is not one.
constexpr off_t MaxFileSize = 16 * 1024 * 1024;
constexpr int HeaderFields = 8;
constexpr int ZoneField = 1;
constexpr int ContinentField = 3;
constexpr int PrefixField = 7;
// Longer than any call's prefix up to its call-area digit.
constexpr std::size_t MaxAreaPrefix = 16;

bool IsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

std::string_view Trim(std::string_view text) {
    while (!text.empty() && IsSpace(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && IsSpace(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

bool IsCallChar(char c) {
    return ascii::IsLetter(c) || ascii::IsDigit(c) || c == '/';
}

// Walks a text by lines, so that messages can name the line.
class Cursor {
  public:
    explicit Cursor(std::string_view text) : m_text(text) {}
    bool AtEnd() const { return m_pos >= m_text.size(); }
    int Line() const { return m_line; }
    void SkipSpace() {
        while (!AtEnd() && IsSpace(m_text[m_pos])) {
            Step();
        }
    }
    // The text up to the next stop character, which is consumed; false at
    // the end of the text or, when oneLine, at the end of the line.
    bool Until(char stop, bool oneLine, std::string_view& field) {
        const std::size_t start = m_pos;
        while (!AtEnd() && m_text[m_pos] != stop) {
            if (oneLine && m_text[m_pos] == '\n') {
                return false;
            }
            Step();
        }
        if (AtEnd()) {
            return false;
        }
        field = m_text.substr(start, m_pos - start);
        Step();
        return true;
    }

  private:
    void Step() {
        if (m_text[m_pos++] == '\n') {
            ++m_line;
        }
    }
    std::string_view m_text;
    std::size_t m_pos = 0;
    int m_line = 1;
};

// "14" or " 05": the zone, NoZone when it is no zone number.
int ReadZone(std::string_view text) {
    text = Trim(text);
    if (text.empty() || text.size() > 2) {
        return CCountryFile::NoZone;
    }
    int zone = 0;
    for (const char c : text) {
        if (!ascii::IsDigit(c)) {
            return CCountryFile::NoZone;
        }
        zone = zone * 10 + (c - '0');
    }
    return zone <= CCountryFile::MaxCqZone ? zone : CCountryFile::NoZone;
}

std::string AtLine(int line, std::string_view what) {
    return "line " + std::to_string(line) + ": " + std::string(what);
}

// Splits "=K1ABC(5)[8]{NA}" into the call and its CQ zone and continent
// overrides; the ITU zone in "[]" is not kept.
bool SplitEntry(std::string_view entry, std::string_view& call, int& zone, int& continent) {
    std::size_t i = 0;
    while (i < entry.size() && IsCallChar(entry[i])) {
        ++i;
    }
    call = entry.substr(0, i);
    if (call.empty()) {
        return false;
    }
    while (i < entry.size()) {
        static constexpr std::string_view Open = "([<{~";
        static constexpr std::string_view Close = ")]>}~";
        const std::size_t kind = Open.find(entry[i]);
        if (kind == std::string_view::npos) {
            return false;
        }
        const std::size_t end = entry.find(Close[kind], i + 1);
        if (end == std::string_view::npos) {
            return false;
        }
        if (entry[i] == '(') {
            zone = ReadZone(entry.substr(i + 1, end - i - 1));
        } else if (entry[i] == '{') {
            continent = CCountryFile::FindContinent(entry.substr(i + 1, end - i - 1));
            if (continent < 0) {
                return false;
            }
        }
        i = end + 1;
    }
    return true;
}

} // namespace

bool CCountryFile::Parse(std::string_view text, std::string& error) {
    Clear();
    if (!ParseRecords(text, error)) {
        Clear();
        return false;
    }
    MakePairs();
    return true;
}

bool CCountryFile::ParseRecords(std::string_view text, std::string& error) {
    Cursor cursor(text);
    for (cursor.SkipSpace(); !cursor.AtEnd(); cursor.SkipSpace()) {
        const int recordLine = cursor.Line();
        std::array<std::string_view, HeaderFields> fields;
        for (std::string_view& field : fields) {
            if (!cursor.Until(':', true, field)) {
                error = AtLine(recordLine, "not a country record");
                return false;
            }
        }
        const int continent = FindContinent(Trim(fields[ContinentField]));
        if (continent < 0) {
            error = AtLine(recordLine, "unknown continent \"" +
                                           std::string(Trim(fields[ContinentField])) + "\"");
            return false;
        }
        const int zone = ReadZone(fields[ZoneField]);
        const auto entity =
            static_cast<std::uint16_t>(std::min<std::size_t>(m_entities.size(), NoEntity));
        m_entities.push_back(Entity{std::string(Trim(fields[0])),
                                    std::string(Trim(fields[PrefixField])), continent, zone,
                                    NoDxcc});
        std::string_view list;
        if (!cursor.Until(';', false, list)) {
            error = AtLine(recordLine, "the record of " + std::string(Trim(fields[0])) +
                                           " has no \";\" (is the file cut short?)");
            return false;
        }
        std::size_t start = 0;
        while (start <= list.size()) {
            std::size_t comma = list.find(',', start);
            if (comma == std::string_view::npos) {
                comma = list.size();
            }
            std::string_view entry = Trim(list.substr(start, comma - start));
            start = comma + 1;
            if (entry.empty()) {
                continue;
            }
            const bool wholeCall = entry.front() == '=';
            if (wholeCall) {
                entry.remove_prefix(1);
            }
            std::string_view call;
            int entryZone = zone;
            int entryContinent = continent;
            if (!SplitEntry(entry, call, entryZone, entryContinent)) {
                error =
                    AtLine(recordLine, "bad entry \"" + std::string(entry) +
                                           "\" in the record of " + std::string(Trim(fields[0])));
                return false;
            }
            Insert(call, wholeCall,
                   Place{static_cast<std::int8_t>(entryContinent),
                         static_cast<std::uint8_t>(entryZone), entity});
        }
    }
    if (m_entities.empty()) {
        error = "holds no countries";
        return false;
    }
    return true;
}

namespace {

// The whole of a regular file no larger than MaxFileSize; false with the
// reason ("cannot be read", "too large") otherwise.
bool ReadText(const std::string& path, std::string& text, std::string& why) {
    const NamedFile::Opened opened = NamedFile::Open(path, O_RDONLY, NamedFile::Kind::Regular);
    if (opened.fd < 0) {
        why = opened.why;
        return false;
    }
    const int fd = opened.fd;
    struct stat info {};
    bool read = ::fstat(fd, &info) == 0;
    if (read && info.st_size > MaxFileSize) {
        ::close(fd);
        why = "too large";
        return false;
    }
    if (read) {
        text.resize(static_cast<std::size_t>(info.st_size));
        std::size_t got = 0;
        while (read && got < text.size()) {
            const ssize_t n = ::read(fd, text.data() + got, text.size() - got);
            if (n < 0 && errno == EINTR) {
                continue;
            }
            read = n > 0;
            got += read ? static_cast<std::size_t>(n) : 0;
        }
    }
    ::close(fd);
    if (!read) {
        why = "cannot be read";
    }
    return read;
}

bool IsRegularFile(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

} // namespace

bool CCountryFile::Read(const std::string& path, std::string& error) {
    std::string text;
    std::string why;
    if (!ReadText(path, text, why)) {
        error = path + ": " + (why == "too large" ? "not a country file (too large)" : why);
        return false;
    }
    if (!Parse(text, error)) {
        error = path + ": not a country file, " + error;
        return false;
    }
    const std::size_t slash = path.rfind('/');
    std::string numbers =
        (slash == std::string::npos ? std::string() : path.substr(0, slash + 1)) + "cty.csv";
    if (!IsRegularFile(numbers)) {
        numbers = SystemNumbers;
    }
    if (!IsRegularFile(numbers)) {
        return true;
    }
    if (!ReadText(numbers, text, why)) {
        m_numbersNote = numbers + ": " + why + ", ADIF numbers unknown";
        return true;
    }
    ParseNumbers(text, numbers);
    return true;
}

void CCountryFile::ParseNumbers(std::string_view csv, std::string_view name) {
    m_numbersNote.clear();
    int line = 0;
    int skipped = 0;
    std::string first;
    while (!csv.empty()) {
        const std::size_t end = csv.find('\n');
        const std::string_view text = Trim(csv.substr(0, end));
        csv.remove_prefix(end == std::string_view::npos ? csv.size() : end + 1);
        ++line;
        if (text.empty()) {
            continue;
        }
        std::string why = TakeNumberLine(text);
        if (!why.empty() && skipped++ == 0) {
            first = "(line " + std::to_string(line) + ") " + why;
        }
    }
    if (skipped > 0) {
        m_numbersNote = std::string(name) + ": " + std::to_string(skipped) +
                        (skipped == 1 ? " line" : " lines") + " skipped, the first " + first;
    }
}

std::string CCountryFile::TakeNumberLine(std::string_view line) {
    std::array<std::string_view, 3> fields;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        const std::size_t comma = line.find(',');
        if (comma == std::string_view::npos) {
            return "is no entity line";
        }
        fields[i] = Trim(line.substr(0, comma));
        line.remove_prefix(comma + 1);
    }
    const std::string_view number = fields[2];
    int dxcc = 0;
    if (number.size() <= 4 && std::all_of(number.begin(), number.end(), ascii::IsDigit)) {
        for (const char c : number) {
            dxcc = dxcc * 10 + (c - '0');
        }
    }
    if (dxcc < 1) {
        return "has no ADIF number but \"" + std::string(number) + "\"";
    }
    const auto found = std::find_if(m_entities.begin(), m_entities.end(), [&](const Entity& e) {
        return ascii::EqualsIgnoringCase(e.Prefix, fields[0]);
    });
    if (found == m_entities.end()) {
        return "names \"" + std::string(fields[0]) + "\", which the country file lacks";
    }
    found->Dxcc = dxcc;
    if (m_byDxcc.size() <= static_cast<std::size_t>(dxcc)) {
        m_byDxcc.resize(static_cast<std::size_t>(dxcc) + 1, -1);
    }
    // Of the entities that share a number, the one not led by "*" counts.
    std::int32_t& slot = m_byDxcc[static_cast<std::size_t>(dxcc)];
    if (slot < 0 || m_entities[static_cast<std::size_t>(slot)].Prefix.starts_with('*')) {
        slot = static_cast<std::int32_t>(found - m_entities.begin());
    }
    return {};
}

namespace {

bool KeepsCountry(std::string_view part) {
    return part.empty() || ascii::EqualsIgnoringCase(part, "P") ||
           ascii::EqualsIgnoringCase(part, "M") || ascii::EqualsIgnoringCase(part, "A") ||
           ascii::EqualsIgnoringCase(part, "QRP");
}

// "UA3ABC" and "9": "UA9", the call's prefix up to its call-area digit with
// that digit replaced, in buffer (a look-up builds no string); empty for a
// call without such a digit.
std::string_view AreaPrefix(std::string_view call, char digit,
                            std::array<char, MaxAreaPrefix>& buffer) {
    std::size_t i = 1;
    while (i < call.size() && !ascii::IsDigit(call[i])) {
        ++i;
    }
    if (i >= call.size()) {
        return {};
    }
    while (i + 1 < call.size() && ascii::IsDigit(call[i + 1])) {
        ++i;
    }
    if (i + 1 > buffer.size()) {
        return {};
    }
    std::copy_n(call.begin(), i, buffer.begin());
    buffer[i] = digit;
    return {buffer.data(), i + 1};
}

// Whether a word holds a "-" or "/" byte: with bit 1 set both are "/",
// and the exclusive or makes that byte zero, which the carry test finds
// without a false alarm.
template <class Word> bool HasStop(Word word) {
    constexpr Word Ones = ~Word{0} / 255;
    const Word y = (word | Ones * 2) ^ (Ones * '/');
    return ((y - Ones) & ~y & (Ones * 0x80)) != 0;
}

// False when the call surely holds no "-" nor "/": a call of 4 to 16
// characters is read as two words that may overlap, rather than byte by
// byte; true otherwise.
bool MayHoldStop(std::string_view call) {
    const char* const at = call.data();
    const std::size_t size = call.size();
    // Most calls are 4 to 7 characters long: one word.
    if (size >= 4 && size < 8) {
        return HasStop(bytewords::LoadShort(at, size));
    }
    if (size >= 8 && size <= 16) {
        return HasStop(bytewords::Load<std::uint64_t>(at)) ||
               HasStop(bytewords::Load<std::uint64_t>(at + size - 8));
    }
    return true;
}

} // namespace

int CCountryFile::ContinentOf(std::string_view call) const {
    return Locate(call).continent;
}

int CCountryFile::CqZoneOf(std::string_view call) const {
    return Locate(call).zone;
}

int CCountryFile::DxccOf(std::string_view call) const {
    const std::uint16_t entity = Locate(call).entity;
    return entity < m_entities.size() ? m_entities[entity].Dxcc : NoDxcc;
}

const CCountryFile::Entity* CCountryFile::EntityOf(int dxcc) const {
    if (dxcc <= 0 || static_cast<std::size_t>(dxcc) >= m_byDxcc.size()) {
        return nullptr;
    }
    const std::int32_t entity = m_byDxcc[static_cast<std::size_t>(dxcc)];
    return entity >= 0 ? &m_entities[static_cast<std::size_t>(entity)] : nullptr;
}

CCountryFile::Place CCountryFile::Locate(std::string_view call) const {
    // Empty until a file is parsed whole.
    if (m_pairs.empty()) {
        return {};
    }
    // Most calls name no other place: one pass finds where a "-" ends them.
    if (!MayHoldStop(call)) {
        return Walk(call);
    }
    // "-" and "/" differ in one bit only, so one compare finds either.
    std::size_t end = 0;
    while (end < call.size() && (call[end] | 2) != '/') {
        ++end;
    }
    if (end < call.size() && call[end] == '/') {
        return LocatePortable(call);
    }
    return Walk(call.substr(0, end));
}

CCountryFile::Place CCountryFile::LocatePortable(std::string_view call) const {
    call = call.substr(0, call.find('-'));
    if (const Place whole = Whole(call); whole.continent != NoContinent) {
        return whole;
    }
    std::string_view chosen;
    char areaDigit = 0;
    std::size_t start = 0;
    while (start <= call.size()) {
        std::size_t slash = call.find('/', start);
        if (slash == std::string_view::npos) {
            slash = call.size();
        }
        const std::string_view part = call.substr(start, slash - start);
        start = slash + 1;
        // Only at the end: as a prefix, MM and AM are Scotland and Spain.
        if (slash == call.size() &&
            (ascii::EqualsIgnoringCase(part, "MM") || ascii::EqualsIgnoringCase(part, "AM"))) {
            return {};
        }
        if (part.size() == 1 && ascii::IsDigit(part[0])) {
            areaDigit = part[0];
        } else if (!KeepsCountry(part) && (chosen.empty() || part.size() < chosen.size())) {
            chosen = part;
        }
    }
    if (chosen.empty()) {
        return {};
    }
    const Place home = Walk(chosen);
    if (areaDigit == 0) {
        return home;
    }
    // A station signing in another call area ("UA3ABC/9") is where that
    // area's prefix is, when the file knows the prefix.
    std::array<char, MaxAreaPrefix> buffer{};
    const std::string_view moved = AreaPrefix(chosen, areaDigit, buffer);
    const Place there = moved.empty() ? Place{} : Walk(moved);
    return there.continent != NoContinent ? there : home;
}

int CCountryFile::FindContinent(std::string_view name) {
    return ascii::FindNamed(name, ContinentCount, &ContinentName);
}

std::string_view CCountryFile::ContinentName(int continent) {
    constexpr std::array<std::string_view, ContinentCount> Names = {"AF", "AN", "AS", "EU",
                                                                    "NA", "OC", "SA"};
    return continent >= 0 && continent < ContinentCount ? Names[static_cast<std::size_t>(continent)]
                                                        : "";
}

void CCountryFile::Clear() {
    m_nodes.assign(1, Node{});
    m_edgeKeys.assign(1024, 0);
    m_edgeChildren.assign(1024, -1);
    m_edges = 0;
    m_rootChildren.fill(-1);
    m_pairs.clear();
    m_wholes.clear();
    m_wholeChars.clear();
    m_wholeSlots.assign(256, WholeSlot{});
    m_entities.clear();
    m_byDxcc.clear();
    m_numbersNote.clear();
}

namespace {

std::uint32_t EdgeKey(int node, char c) {
    return static_cast<std::uint32_t>(node) * 128u + (static_cast<std::uint32_t>(c) & 127u) + 1u;
}

// The high bits of the product: its low bits would follow the key's low
// bits, the character, and crowd a parent's children into a few slots.
std::size_t FirstSlot(std::uint32_t key, std::size_t size) {
    return (key * 2654435761u) >> (32 - std::countr_zero(size));
}

// A character as the tree and the whole calls key it: upper case, low 7 bits.
unsigned Key(char c) {
    return static_cast<unsigned char>(ascii::Upper(c)) & 127u;
}

// The characters of entries (letters, digits, "/") numbered from 1, by
// byte as Key keys it, so that a look-up reads a code without working the
// key out; 0 for any other, which the dense table of pairs leaves to the
// tree.
constexpr int PairCodes = 38;
constexpr std::array<std::uint8_t, 256> MakePairCodes() {
    std::array<std::uint8_t, 256> codes{};
    for (unsigned byte = 0; byte < codes.size(); ++byte) {
        const unsigned key = (byte >= 'a' && byte <= 'z' ? byte - 'a' + 'A' : byte) & 127u;
        if (key >= 'A' && key <= 'Z') {
            codes[byte] = static_cast<std::uint8_t>(key - 'A' + 1);
        } else if (key >= '0' && key <= '9') {
            codes[byte] = static_cast<std::uint8_t>(key - '0' + 27);
        } else if (key == '/') {
            codes[byte] = PairCodes - 1;
        }
    }
    return codes;
}
constexpr std::array<std::uint8_t, 256> PairCode = MakePairCodes();

// The place in the dense table of a call's first two characters; -1 when
// either has no code.
int PairIndex(char first, char second) {
    const int a = PairCode[static_cast<unsigned char>(first)];
    const int b = PairCode[static_cast<unsigned char>(second)];
    return a != 0 && b != 0 ? a * PairCodes + b : -1;
}

std::uint32_t LengthBit(std::size_t length) {
    return 1u << std::min<std::size_t>(length, 31);
}

std::uint32_t WholeHash(std::string_view call) {
    std::uint32_t hash = 2166136261u;
    for (const char c : call) {
        hash = (hash ^ Key(c)) * 16777619u;
    }
    return hash;
}

} // namespace

int CCountryFile::Child(int node, char c) const {
    if (m_edgeKeys.empty()) {
        return -1;
    }
    const std::uint32_t key = EdgeKey(node, c);
    const std::size_t mask = m_edgeKeys.size() - 1;
    for (std::size_t slot = FirstSlot(key, m_edgeKeys.size());; slot = (slot + 1) & mask) {
        if (m_edgeKeys[slot] == key) {
            return m_edgeChildren[slot];
        }
        if (m_edgeKeys[slot] == 0) {
            return -1;
        }
    }
}

int CCountryFile::AddChild(int node, char c) {
    const int found = Child(node, c);
    if (found >= 0) {
        return found;
    }
    if (2 * (m_edges + 1) > static_cast<int>(m_edgeKeys.size())) {
        Grow();
    }
    m_nodes.push_back(Node{});
    const int child = static_cast<int>(m_nodes.size()) - 1;
    const std::uint32_t key = EdgeKey(node, c);
    const std::size_t mask = m_edgeKeys.size() - 1;
    std::size_t slot = FirstSlot(key, m_edgeKeys.size());
    while (m_edgeKeys[slot] != 0) {
        slot = (slot + 1) & mask;
    }
    m_edgeKeys[slot] = key;
    m_edgeChildren[slot] = child;
    ++m_edges;
    if (node == 0) {
        m_rootChildren[static_cast<unsigned char>(c) & 127u] = child;
    }
    return child;
}

void CCountryFile::Grow() {
    std::vector<std::uint32_t> keys(m_edgeKeys.size() * 2, 0);
    std::vector<std::int32_t> children(keys.size(), -1);
    const std::size_t mask = keys.size() - 1;
    for (std::size_t i = 0; i < m_edgeKeys.size(); ++i) {
        if (m_edgeKeys[i] == 0) {
            continue;
        }
        std::size_t slot = FirstSlot(m_edgeKeys[i], keys.size());
        while (keys[slot] != 0) {
            slot = (slot + 1) & mask;
        }
        keys[slot] = m_edgeKeys[i];
        children[slot] = m_edgeChildren[i];
    }
    m_edgeKeys = std::move(keys);
    m_edgeChildren = std::move(children);
}

void CCountryFile::Insert(std::string_view entry, bool wholeCall, Place place) {
    if (wholeCall) {
        InsertWhole(entry, place);
        return;
    }
    int node = 0;
    for (char c : entry) {
        node = AddChild(node, ascii::Upper(c));
    }
    Place& slot = m_nodes[static_cast<std::size_t>(node)].prefix;
    // An entry listed twice counts where it is listed first.
    if (slot.continent == NoContinent) {
        slot = place;
    }
}

void CCountryFile::InsertWhole(std::string_view call, Place place) {
    // An entry listed twice counts where it is listed first.
    if (Whole(call).continent != NoContinent) {
        return;
    }
    if (2 * (m_wholes.size() + 1) > m_wholeSlots.size()) {
        GrowWholes();
    }
    WholeCall whole{static_cast<std::uint32_t>(m_wholeChars.size()),
                    static_cast<std::uint32_t>(call.size()), place};
    for (const char c : call) {
        m_wholeChars.push_back(static_cast<char>(Key(c)));
    }
    m_wholes.push_back(whole);
    const std::uint32_t hash = WholeHash(call);
    const std::size_t mask = m_wholeSlots.size() - 1;
    std::size_t slot = FirstSlot(hash, m_wholeSlots.size());
    while (m_wholeSlots[slot].call >= 0) {
        slot = (slot + 1) & mask;
    }
    m_wholeSlots[slot] = WholeSlot{hash, static_cast<std::int32_t>(m_wholes.size() - 1)};
}

void CCountryFile::GrowWholes() {
    std::vector<WholeSlot> slots(m_wholeSlots.size() * 2);
    const std::size_t mask = slots.size() - 1;
    for (const WholeSlot& old : m_wholeSlots) {
        if (old.call < 0) {
            continue;
        }
        std::size_t slot = FirstSlot(old.hash, slots.size());
        while (slots[slot].call >= 0) {
            slot = (slot + 1) & mask;
        }
        slots[slot] = old;
    }
    m_wholeSlots = std::move(slots);
}

void CCountryFile::MakePairs() {
    m_pairs.assign(PairCodes * PairCodes, Pair{});
    // A pair whose node leads nowhere keeps no node, so that a look-up
    // ending there probes nothing more.
    std::vector<bool> parents(m_nodes.size(), false);
    for (const std::uint32_t key : m_edgeKeys) {
        if (key != 0) {
            parents[(key - 1) / 128] = true;
        }
    }
    for (unsigned a = 0; a < 128; ++a) {
        for (unsigned b = 0; b < 128; ++b) {
            // Lower case shares its place with upper case; the tree keys
            // upper case.
            const int index = PairIndex(static_cast<char>(a), static_cast<char>(b));
            const int first = m_rootChildren[a];
            if (index < 0 || first < 0 || Key(static_cast<char>(b)) != b) {
                continue;
            }
            Pair& pair = m_pairs[static_cast<std::size_t>(index)];
            pair.found = m_nodes[static_cast<std::size_t>(first)].prefix;
            const int second = Child(first, static_cast<char>(b));
            if (second < 0) {
                continue;
            }
            if (m_nodes[static_cast<std::size_t>(second)].prefix.continent != NoContinent) {
                pair.found = m_nodes[static_cast<std::size_t>(second)].prefix;
            }
            pair.node = parents[static_cast<std::size_t>(second)] ? second : -1;
        }
    }
    for (const WholeCall& whole : m_wholes) {
        if (whole.length < 2) {
            continue;
        }
        const char* const call = m_wholeChars.data() + whole.offset;
        Pair& pair = m_pairs[static_cast<std::size_t>(PairIndex(call[0], call[1]))];
        pair.lengths |= LengthBit(whole.length);
        pair.places |= PlaceBit(whole.place.continent);
    }
    MakePairPlaces();
}

std::uint8_t CCountryFile::PlaceBit(int continent) {
    return static_cast<std::uint8_t>(1u << static_cast<unsigned>(continent + 1));
}

void CCountryFile::MakePairPlaces() {
    // A call of a pair ends at the pair's own place, or at a longer prefix
    // that begins with the pair, or is a whole call (added above).
    for (Pair& pair : m_pairs) {
        pair.places |= PlaceBit(pair.found.continent);
    }
    std::vector<std::int32_t> parent(m_nodes.size(), -1);
    std::vector<char> character(m_nodes.size(), 0);
    for (std::size_t slot = 0; slot < m_edgeKeys.size(); ++slot) {
        if (m_edgeKeys[slot] != 0) {
            const std::size_t child = static_cast<std::size_t>(m_edgeChildren[slot]);
            parent[child] = static_cast<std::int32_t>((m_edgeKeys[slot] - 1) / 128);
            character[child] = static_cast<char>((m_edgeKeys[slot] - 1) % 128);
        }
    }
    std::vector<std::size_t> chain;
    for (std::size_t node = 1; node < m_nodes.size(); ++node) {
        const int continent = m_nodes[node].prefix.continent;
        if (continent == NoContinent) {
            continue;
        }
        // Up to the nodes of the prefix's first two characters; prefixes of
        // one or two characters are the pairs' own places.
        chain.clear();
        for (std::int32_t up = static_cast<std::int32_t>(node); up > 0;
             up = parent[static_cast<std::size_t>(up)]) {
            chain.push_back(static_cast<std::size_t>(up));
        }
        if (chain.size() < 3) {
            continue;
        }
        const std::size_t first = chain.back();
        const std::size_t second = chain[chain.size() - 2];
        const int index = PairIndex(character[first], character[second]);
        if (index >= 0) {
            m_pairs[static_cast<std::size_t>(index)].places |= PlaceBit(continent);
        }
    }
}

std::uint8_t CCountryFile::PlacesOf(std::string_view call) const {
    if (m_pairs.empty()) {
        return PlaceBit(NoContinent);
    }
    const int index = call.size() >= 2 ? PairIndex(call[0], call[1]) : -1;
    if (index < 0) {
        return AnyPlace;
    }
    return MayHoldStop(call) ? PlacesOfParts(call)
                             : m_pairs[static_cast<std::size_t>(index)].places;
}

std::uint8_t CCountryFile::PlacesOfParts(std::string_view call) const {
    // Locate reads a whole-call entry of the call (under its first two
    // characters), else one of its parts other than /P, /M, /A and /QRP, or
    // no place at all (a trailing /MM or /AM, no such part): the places of
    // those parts' pairs hold it. A call-area digit may move the call to
    // another pair; such calls are few and may have any place.
    call = call.substr(0, call.find('-'));
    const int whole = call.size() >= 2 ? PairIndex(call[0], call[1]) : -1;
    if (whole < 0) {
        return AnyPlace;
    }
    auto places = static_cast<std::uint8_t>(m_pairs[static_cast<std::size_t>(whole)].places |
                                            PlaceBit(NoContinent));
    std::size_t start = 0;
    while (start <= call.size()) {
        const std::size_t slash = std::min(call.find('/', start), call.size());
        const std::string_view part = call.substr(start, slash - start);
        start = slash + 1;
        if (part.size() == 1 && ascii::IsDigit(part[0])) {
            return AnyPlace;
        }
        if (KeepsCountry(part)) {
            continue;
        }
        const int index = part.size() >= 2 ? PairIndex(part[0], part[1]) : -1;
        if (index < 0) {
            return AnyPlace;
        }
        places |= m_pairs[static_cast<std::size_t>(index)].places;
    }
    return places;
}

CCountryFile::Place CCountryFile::Whole(std::string_view call) const {
    const std::uint32_t hash = WholeHash(call);
    const std::size_t mask = m_wholeSlots.size() - 1;
    for (std::size_t slot = FirstSlot(hash, m_wholeSlots.size());; slot = (slot + 1) & mask) {
        const WholeSlot& at = m_wholeSlots[slot];
        if (at.call < 0) {
            return {};
        }
        const WholeCall& whole = m_wholes[static_cast<std::size_t>(at.call)];
        if (at.hash == hash && whole.length == call.size() &&
            std::equal(
                call.begin(), call.end(), m_wholeChars.begin() + whole.offset,
                [](char c, char stored) { return Key(c) == static_cast<unsigned>(stored); })) {
            return whole.place;
        }
    }
}

CCountryFile::Place CCountryFile::Longest(std::string_view call) const {
    Place found;
    int node = 0;
    for (const char c : call) {
        node = Child(node, ascii::Upper(c));
        if (node < 0) {
            break;
        }
        if (m_nodes[static_cast<std::size_t>(node)].prefix.continent != NoContinent) {
            found = m_nodes[static_cast<std::size_t>(node)].prefix;
        }
    }
    return found;
}

CCountryFile::Place CCountryFile::Walk(std::string_view call) const {
    const int index = call.size() >= 2 ? PairIndex(call[0], call[1]) : -1;
    if (index < 0) {
        const Place whole = call.empty() ? Place{} : Whole(call);
        return whole.continent != NoContinent ? whole : Longest(call);
    }
    const Pair& pair = m_pairs[static_cast<std::size_t>(index)];
    if ((pair.lengths & LengthBit(call.size())) != 0) {
        if (const Place whole = Whole(call); whole.continent != NoContinent) {
            return whole;
        }
    }
    return pair.node < 0 || call.size() == 2 ? pair.found : Below(pair, call);
}

CCountryFile::Place CCountryFile::Below(const Pair& pair, std::string_view call) const {
    // One probe of the edge table a character, with the table's place and
    // size held in locals.
    Place found = pair.found;
    const std::uint32_t* const keys = m_edgeKeys.data();
    const std::int32_t* const children = m_edgeChildren.data();
    const std::size_t mask = m_edgeKeys.size() - 1;
    int node = pair.node;
    for (std::size_t i = 2; node >= 0 && i < call.size(); ++i) {
        const std::uint32_t key = EdgeKey(node, ascii::Upper(call[i]));
        std::size_t slot = FirstSlot(key, mask + 1);
        while (keys[slot] != key && keys[slot] != 0) {
            slot = (slot + 1) & mask;
        }
        node = keys[slot] == key ? children[slot] : -1;
        if (node >= 0 && m_nodes[static_cast<std::size_t>(node)].prefix.continent != NoContinent) {
            found = m_nodes[static_cast<std::size_t>(node)].prefix;
        }
    }
    return found;
}
