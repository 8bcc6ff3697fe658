#include "spots/SpotTexts.h"

namespace {

constexpr std::int64_t SecondsPerDay = 86400;

} // namespace

namespace SpotTexts {

std::string Khz(std::uint64_t hz) {
    const std::uint64_t tenths = (hz + 50) / 100;
    return std::to_string(tenths / 10) + "." + std::to_string(tenths % 10);
}

std::string Hhmm(std::int64_t seconds) {
    const std::int64_t ofDay = ((seconds % SecondsPerDay) + SecondsPerDay) % SecondsPerDay;
    const int hours = static_cast<int>(ofDay / 3600);
    const int minutes = static_cast<int>(ofDay / 60 % 60);
    // Made by hand: a feed makes thousands a second, and a formatted print
    // costs more than the rest of the line.
    return {static_cast<char>('0' + hours / 10), static_cast<char>('0' + hours % 10),
            static_cast<char>('0' + minutes / 10), static_cast<char>('0' + minutes % 10)};
}

} // namespace SpotTexts
