#include "filters/BandTable.h"

#include "text/AsciiText.h"
#include "text/ByteWords.h"

#include <algorithm>
#include <array>
#include <bit>
#include <charconv>
#include <cstdint>

namespace {

struct Band {
    std::string_view name;
    std::string_view spoken;
    double low;
    double high;
};

constexpr std::array<Band, CBandTable::Other> Bands = {{
    {"2200m", "2200 m", 135.7, 137.8},
    {"630m", "630 m", 472.0, 479.0},
    {"160m", "160 m", 1800.0, 2000.0},
    {"80m", "80 m", 3500.0, 4000.0},
    {"60m", "60 m", 5060.0, 5450.0},
    {"40m", "40 m", 7000.0, 7300.0},
    {"30m", "30 m", 10100.0, 10150.0},
    {"20m", "20 m", 14000.0, 14350.0},
    {"17m", "17 m", 18068.0, 18168.0},
    {"15m", "15 m", 21000.0, 21450.0},
    {"12m", "12 m", 24890.0, 24990.0},
    {"10m", "10 m", 28000.0, 29700.0},
    {"6m", "6 m", 50000.0, 54000.0},
    {"4m", "4 m", 70000.0, 70500.0},
    {"2m", "2 m", 144000.0, 148000.0},
    {"70cm", "70 cm", 420000.0, 450000.0},
    {"23cm", "23 cm", 1240000.0, 1300000.0},
}};

// Every spot's band is looked for: by whole MHz up to the 6 m band, the
// first band that ends at or above the MHz's start.
constexpr std::size_t TableMhz = 60;
constexpr std::array<std::uint8_t, TableMhz> FirstByMhz = [] {
    std::array<std::uint8_t, TableMhz> first{};
    std::size_t band = 0;
    for (std::size_t mhz = 0; mhz < TableMhz; ++mhz) {
        while (band < Bands.size() && Bands[band].high < static_cast<double>(mhz) * 1000.0) {
            ++band;
        }
        first[mhz] = static_cast<std::uint8_t>(band);
    }
    return first;
}();

// The edges in whole Hz, for frequencies read as integers.
constexpr std::uint64_t HzOf(double kHz) {
    return static_cast<std::uint64_t>(kHz * 1000.0 + 0.5);
}
constexpr std::array<std::uint64_t, Bands.size()> LowHz = [] {
    std::array<std::uint64_t, Bands.size()> low{};
    for (std::size_t band = 0; band < Bands.size(); ++band) {
        low[band] = HzOf(Bands[band].low);
    }
    return low;
}();
constexpr std::array<std::uint64_t, Bands.size()> HighHz = [] {
    std::array<std::uint64_t, Bands.size()> high{};
    for (std::size_t band = 0; band < Bands.size(); ++band) {
        high[band] = HzOf(Bands[band].high);
    }
    return high;
}();

// BandOf for a frequency in whole Hz.
int BandOfHz(std::uint64_t hz) {
    constexpr std::uint64_t mhz = 1'000'000;
    std::size_t band =
        hz < TableMhz * mhz ? FirstByMhz[static_cast<std::size_t>(hz / mhz)] : FirstByMhz.back();
    while (band < Bands.size() && HighHz[band] < hz) {
        ++band;
    }
    return band < Bands.size() && hz >= LowHz[band] ? static_cast<int>(band) : CBandTable::Other;
}

} // namespace

int CBandTable::BandOf(double kHz) {
    // The bands lie apart in rising order: only the first one that ends at
    // or above kHz can hold it, and the table of whole MHz says where to
    // start looking for it. A NaN or negative number lies in none.
    if (!(kHz >= 0.0)) {
        return Other;
    }
    std::size_t band = kHz < static_cast<double>(TableMhz) * 1000.0
                           ? FirstByMhz[static_cast<std::size_t>(kHz / 1000.0)]
                           : FirstByMhz.back();
    while (band < Bands.size() && Bands[band].high < kHz) {
        ++band;
    }
    return band < Bands.size() && kHz >= Bands[band].low ? static_cast<int>(band) : Other;
}

int CBandTable::Find(std::string_view name) {
    return ascii::FindNamed(name, Count, &Name);
}

std::string_view CBandTable::Name(int band) {
    return band >= 0 && band < Other ? Bands[static_cast<std::size_t>(band)].name : "other";
}

std::string_view CBandTable::Spoken(int band) {
    return band >= 0 && band < Other ? Bands[static_cast<std::size_t>(band)].spoken : "other";
}

double CBandTable::LowEdge(int band) {
    return Bands.at(static_cast<std::size_t>(band)).low;
}

double CBandTable::HighEdge(int band) {
    return Bands.at(static_cast<std::size_t>(band)).high;
}

bool CBandTable::ParseKhz(std::string_view text, double& kHz) {
    // Every spot's frequency comes here: the usual "14025.0" is read as
    // digits, then one division of two exact doubles, which rounds as the
    // general reading does; anything else takes the general way. The powers
    // of ten are static: as a local the table is copied onto the stack on
    // every call.
    static constexpr std::array<double, 16> Tens = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                                    1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
    constexpr std::size_t MaxDigits = 15;
    const std::size_t size = text.size();
    // Up to MaxDigits digits and a point the digits cannot outgrow the
    // doubles' exact range; longer texts take the general way.
    if (size > 0 && size <= MaxDigits) {
        std::int64_t digits = 0;
        std::size_t i = 0;
        unsigned digit = 0;
        for (; i < size && (digit = static_cast<unsigned char>(text[i]) - unsigned{'0'}) <= 9;
             ++i) {
            digits = digits * 10 + digit;
        }
        std::size_t point = size;
        if (i < size && text[i] == '.') {
            point = i;
            for (++i;
                 i < size && (digit = static_cast<unsigned char>(text[i]) - unsigned{'0'}) <= 9;
                 ++i) {
                digits = digits * 10 + digit;
            }
        }
        // A lone "." holds no digit.
        if (i == size && size > (point < size ? 1u : 0u)) {
            kHz = static_cast<double>(digits) / Tens[point < size ? size - point - 1 : 0];
            return true;
        }
    }
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, kHz, std::chars_format::fixed);
    return ec == std::errc() && ptr == end;
}

namespace {

// The whole Hz of a frequency text of 4 to 8 bytes made of digits and one
// point with at most three decimals ("14025.0"), read a word at a time;
// -1 for any other text. The digits are lined up without the point and
// turned into a number in three multiplications, the most significant
// first in the lowest byte.
std::int64_t ShortHz(const char* text, std::size_t size) {
    static_assert(std::endian::native == std::endian::little);
    constexpr std::uint64_t Ones = 0x0101010101010101u;
    constexpr std::uint64_t Highs = Ones * 0x80;
    const std::uint64_t word = bytewords::LoadShort(text, size);
    // Nearly every spot has one decimal; else the first "." byte, as its
    // zero after the exclusive or. A second point fails as no digit.
    std::size_t point = size - 2;
    if (text[point] != '.') {
        const std::uint64_t dots = word ^ (Ones * '.');
        const std::uint64_t zero = (dots - Ones) & ~dots & Highs;
        point = zero != 0 ? static_cast<std::size_t>(std::countr_zero(zero) / 8) : size;
    }
    std::size_t digits = size;
    std::size_t decimals = 0;
    std::uint64_t number = word;
    if (point < size) {
        decimals = size - point - 1;
        if (decimals > 3) {
            return -1;
        }
        const std::uint64_t below = (std::uint64_t{1} << (8 * point)) - 1;
        number = (word & below) | ((word >> 8) & ~below);
        digits = size - 1;
    }
    // Every byte a digit: none below "0" (its borrow shows) nor above "9"
    // (its carry shows), nor with the top bit set.
    const std::uint64_t mask = ~std::uint64_t{0} >> (8 * (8 - digits));
    if ((((number - Ones * '0') | (number + Ones * 0x46) | number) & Highs & mask) != 0) {
        return -1;
    }
    std::uint64_t value = ((number - Ones * '0') & mask) << (8 * (8 - digits));
    value = (value * 10 + (value >> 8)) & 0x00FF00FF00FF00FFu;
    value = (value * 100 + (value >> 16)) & 0x0000FFFF0000FFFFu;
    value = (value * 10000 + (value >> 32)) & 0xFFFFFFFFu;
    static constexpr std::array<std::int64_t, 4> HzPerUnit = {1000, 100, 10, 1};
    return static_cast<std::int64_t>(value) * HzPerUnit[decimals];
}

} // namespace

int CBandTable::BandOfText(std::string_view text, double& kHz) {
    // Every filtered spot's frequency comes here: the usual "14025.0" is
    // read as whole Hz in integers, so that finding its band compares
    // integers. Its kHz is one division of two exact doubles, the same
    // quotient as ParseKhz divides, so it rounds the same. Anything else
    // (more than three decimals, a longer text, no number) takes ParseKhz
    // and BandOf.
    if (text.size() >= 4 && text.size() <= 8) {
        if (const std::int64_t hz = ShortHz(text.data(), text.size()); hz >= 0) {
            kHz = static_cast<double>(hz) / 1000.0;
            return BandOfHz(static_cast<std::uint64_t>(hz));
        }
    }
    if (!ParseKhz(text, kHz)) {
        kHz = -1.0;
    }
    return BandOf(kHz);
}
