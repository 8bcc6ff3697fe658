#include "spots/SpotTexts.h"

#include <cstdio>

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
    char text[8];
    std::snprintf(text, sizeof text, "%02d%02d", static_cast<int>(ofDay / 3600),
                  static_cast<int>(ofDay / 60 % 60));
    return text;
}

} // namespace SpotTexts
