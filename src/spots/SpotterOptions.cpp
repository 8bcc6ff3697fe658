#include "spots/SpotterOptions.h"

namespace SpotterOptions {

// The parser has checked the spotter: at least three characters.
bool Apply(SpotFields& spot, const RouterOptions& options) {
    if (spot.Spotter.empty()) {
        return true;
    }
    const char last = spot.Spotter.back();
    if (options.BlockDashAtOption == 1 && last == '@') {
        return false;
    }
    if (options.StripAtPoundOption == 1 && (last == '@' || last == '#')) {
        spot.StrippedMark = last;
        spot.Spotter.remove_suffix(2);
    }
    return true;
}

} // namespace SpotterOptions
