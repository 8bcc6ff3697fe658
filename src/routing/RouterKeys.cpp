#include "routing/RouterKeys.h"

#include "filters/FilterKeys.h"
#include "routing/DataType.h"
#include "routing/PskReporterRouter.h"
#include "routing/Router.h"
#include "routing/RouterPort.h"
#include "routing/SkimmerMergeSetup.h"
#include "setup/SetupFile.h"

#include <algorithm>
#include <string>

namespace {

constexpr std::size_t MaxTextOption = 31;
constexpr std::size_t MaxHops = 2;

// One key. An int option that is read only when it is the next key needs
// just its field; the others bring their own steps.
struct KeyRow {
    unsigned key;
    const char* name;
    int RouterOptions::*field;
    void (*read)(CRouter& router, CSetupFile& setup);
    void (*write)(const CRouter& router, CSetupFile& setup);
    void (*apply)(CRouter& router, const RouterSetup& values);
};

constexpr KeyRow IntRow(unsigned key, const char* name, int RouterOptions::*field) {
    return {key, name, field, nullptr, nullptr, nullptr};
}

constexpr KeyRow Keys[] = {
    {RouterKey::MyCall, "MyCall", nullptr,
     [](CRouter& r, CSetupFile& s) { r.MyCall = s.GetString("MyCall").substr(0, MaxTextOption); },
     [](const CRouter& r, CSetupFile& s) { s.PutString("MyCall", r.MyCall); },
     [](CRouter& r, const RouterSetup& v) {
         r.MyCall = v.options.MyCall.substr(0, MaxTextOption);
     }},
    {RouterKey::HopsOut, "HopsOut", nullptr,
     [](CRouter& r, CSetupFile& s) { r.HopsOut = s.GetString("HopsOut").substr(0, MaxHops); },
     [](const CRouter& r, CSetupFile& s) { s.PutString("HopsOut", r.HopsOut); },
     [](CRouter& r, const RouterSetup& v) { r.HopsOut = v.options.HopsOut.substr(0, MaxHops); }},
    {RouterKey::AntiLoopPrefix, "AntiLoopPrefix", nullptr,
     [](CRouter& r, CSetupFile& s) {
         if (s.IsNextKey("AntiLoopPrefix")) {
             r.AntiLoopPrefix = s.GetString("AntiLoopPrefix").substr(0, MaxTextOption);
         }
     },
     [](const CRouter& r, CSetupFile& s) { s.PutString("AntiLoopPrefix", r.AntiLoopPrefix); },
     [](CRouter& r, const RouterSetup& v) {
         r.AntiLoopPrefix = v.options.AntiLoopPrefix.substr(0, MaxTextOption);
     }},
    {RouterKey::DupeLength, "DupeLength", nullptr,
     [](CRouter& r, CSetupFile& s) {
         if (s.IsNextKey("DupeLength")) {
             r.SetDupeLength(s.GetInt("DupeLength"));
         }
     },
     [](const CRouter& r, CSetupFile& s) { s.PutInt("DupeLength", r.DupeLength()); },
     [](CRouter& r, const RouterSetup& v) { r.SetDupeLength(v.dupeLength); }},
    // A MASTER TNC port without the key ends its lines with CR.
    {RouterKey::CRLFOption, "CRLFOption", &RouterOptions::CRLFOption,
     [](CRouter& r, CSetupFile& s) {
         if (s.IsNextKey("CRLFOption")) {
             r.CRLFOption = s.GetInt("CRLFOption");
         } else if (r.Port().IsTNCPort == CRouterPort::TncMaster) {
             r.CRLFOption = 1;
         }
     },
     nullptr, nullptr},
    IntRow(RouterKey::BlockDashAtOption, "BlockDashAtOption", &RouterOptions::BlockDashAtOption),
    IntRow(RouterKey::StripAtPoundOption, "StripAtPoundOption", &RouterOptions::StripAtPoundOption),
    IntRow(RouterKey::OnlyPassSkimmerCQOption, "OnlyPassSkimmerCQOption",
           &RouterOptions::OnlyPassSkimmerCQOption),
    // Added to existing setups: read with look-ahead, written only when on.
    {RouterKey::NodeHandshake, "NodeHandshake", &RouterOptions::NodeHandshake,
     [](CRouter& r, CSetupFile& s) {
         if (!s.IsNextKey("NodeHandshake")) {
             return;
         }
         const int value = s.GetInt("NodeHandshake");
         r.NodeHandshake = std::clamp(value, 0, 1);
         if (r.NodeHandshake != value) {
             r.Port().PrintMessage("NodeHandshake " + std::to_string(value) +
                                   " is out of range, using " + std::to_string(r.NodeHandshake));
         }
     },
     [](const CRouter& r, CSetupFile& s) {
         if (r.NodeHandshake != 0) {
             s.PutInt("NodeHandshake", r.NodeHandshake);
         }
     },
     nullptr},
    // Both written only when a port has them; the dialog hands over the
    // country file with the rules (the "Filter" row).
    {RouterKey::CountryFile, "CountryFile", nullptr,
     [](CRouter& r, CSetupFile& s) { CFilterKeys::ReadCountryFile(s, r.Filter()); },
     [](const CRouter& r, CSetupFile& s) { CFilterKeys::WriteCountryFile(s, r.Filter()); },
     [](CRouter&, const RouterSetup&) {}},
    {RouterKey::Filter, "Filter", nullptr,
     [](CRouter& r, CSetupFile& s) {
         CFilterKeys::ReadRules(s, r.Filter(),
                                [&r](std::string_view line) { r.Port().PrintMessage(line); });
     },
     [](const CRouter& r, CSetupFile& s) { CFilterKeys::WriteRules(s, r.Filter()); },
     [](CRouter& r, const RouterSetup& v) { r.SetFilter(v.countryFile, v.filterRules); }},
    {RouterKey::SkimmerMerge, "SkimmerMerge", nullptr,
     [](CRouter& r, CSetupFile& s) {
         r.SetSkimmerMerge(CSkimmerMergeSetup::Read(
             s, [&r](std::string_view line) { r.Port().PrintMessage(line); }));
     },
     [](const CRouter& r, CSetupFile& s) { CSkimmerMergeSetup::Write(s, r.SkimmerMerge()); },
     [](CRouter& r, const RouterSetup& v) { r.SetSkimmerMerge(v.skimmerMerge); }},
    // Read with look-ahead, written only when not 10.
    {RouterKey::PskRepeat, "PskRepeat", &RouterOptions::PskRepeat,
     [](CRouter& r, CSetupFile& s) {
         if (!s.IsNextKey("PskRepeat")) {
             return;
         }
         const int value = s.GetInt("PskRepeat");
         r.PskRepeat = std::clamp(value, 0, CPskReporterRouter::MaxRepeatMinutes);
         if (r.PskRepeat != value) {
             r.Port().PrintMessage("PskRepeat " + std::to_string(value) +
                                   " is out of range, using " + std::to_string(r.PskRepeat));
         }
     },
     [](const CRouter& r, CSetupFile& s) {
         if (r.PskRepeat != RouterOptions{}.PskRepeat) {
             s.PutInt("PskRepeat", r.PskRepeat);
         }
     },
     [](CRouter& r, const RouterSetup& v) {
         r.PskRepeat = std::clamp(v.options.PskRepeat, 0, CPskReporterRouter::MaxRepeatMinutes);
     }},
};

} // namespace

namespace RouterKeys {

void Read(CRouter& router, CSetupFile& setup, unsigned keys) {
    for (const KeyRow& row : Keys) {
        if ((keys & row.key) != 0) {
            if (row.read != nullptr) {
                row.read(router, setup);
            } else if (setup.IsNextKey(row.name)) {
                router.*row.field = setup.GetInt(row.name);
            }
        }
    }
}

void Write(const CRouter& router, CSetupFile& setup, unsigned keys) {
    for (const KeyRow& row : Keys) {
        if ((keys & row.key) != 0) {
            if (row.write != nullptr) {
                row.write(router, setup);
            } else {
                setup.PutInt(row.name, router.*row.field);
            }
        }
    }
}

void Apply(CRouter& router, const RouterSetup& values, unsigned keys) {
    for (const KeyRow& row : Keys) {
        if ((keys & row.key) != 0) {
            if (row.apply != nullptr) {
                row.apply(router, values);
            } else {
                router.*row.field = values.options.*row.field;
            }
        }
    }
}

} // namespace RouterKeys
