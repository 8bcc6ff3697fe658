#pragma once

#include "spots/RouterOptions.h"
#include "spots/SpotFields.h"

// The options a destination applies to the spotter of a parsed spot before
// it filters, dedupes and formats it:
//   BlockDashAtOption 1   refuses a spotter ending in "-@" ("K1ABC-@")
//   StripAtPoundOption 1  takes "-@" or "-#" off the spotter and keeps the
//                         mark in StrippedMark ("K1ABC-#" becomes "K1ABC")
namespace SpotterOptions {

// False when the options refuse the spot.
bool Apply(SpotFields& spot, const RouterOptions& options);

} // namespace SpotterOptions
