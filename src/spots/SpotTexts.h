#pragma once

#include <cstdint>
#include <string>

// The field texts of a spot that a source makes from numbers.
namespace SpotTexts {

// "14074.1" from 14074123 Hz: kHz, rounded to 0.1 kHz.
std::string Khz(std::uint64_t hz);
// "2159" from a Unix time (or seconds of the day), UTC.
std::string Hhmm(std::int64_t seconds);

} // namespace SpotTexts
