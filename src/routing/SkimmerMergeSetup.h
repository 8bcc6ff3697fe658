#pragma once

#include "routing/SkimmerMerger.h"

#include <functional>
#include <optional>
#include <string>
#include <string_view>

class CSetupFile;

// The optional merging key after a router's filter lines, written only when
// the port merges skimmer spots:
//
//   SkimmerMerge=10,0.5,2,3,hold
//
// dwell seconds (1-60), window ± kHz (0.1-3, two decimals at most), minimum
// skimmers (1-9), re-spot minutes (1-60), and "hold" or "mark" for busted
// calls. A value out of range is clamped and a line that is not of this
// form is refused (the port then does not merge); either is reported as a
// line for the port's window naming, from a setup, its line. The window is
// written back in its shortest form ("0.50" is saved as "0.5").
class CSkimmerMergeSetup {
  public:
    using Report = std::function<void(std::string_view)>;

    static std::optional<SkimmerMergeSettings> Read(CSetupFile& setup, const Report& report);
    static void Write(CSetupFile& setup, const std::optional<SkimmerMergeSettings>& settings);

    // where is " on line 12" from a setup, empty from the port dialog.
    static std::optional<SkimmerMergeSettings>
    Parse(std::string_view text, const std::string& where, const Report& report);
    static std::string Format(const SkimmerMergeSettings& settings);
};
