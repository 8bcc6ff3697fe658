#pragma once

struct RouterSetup;
class CRouter;
class CSetupFile;

// The router option keys of a port section, after "InputType", in the
// order they are stored:
//
//   MyCall=G4ABC
//   HopsOut=99
//   AntiLoopPrefix=  <
//   DupeLength=100
//   CRLFOption=3
//   BlockDashAtOption=0
//   StripAtPoundOption=0
//   OnlyPassSkimmerCQOption=0
//   NodeHandshake=1            (Cluster Node; only when on)
//   CountryFile=/usr/share/tlf/cty.dat
//   Filter=reject band=60m,30m mode=DIGI
//   SkimmerMerge=10,0.5,2,3,hold  (only when the port merges skimmer spots)
//   PskRepeat=5                (PSK Reporter; only when not 10)
//
// A data type stores the subset its row in the data type table names
// (RouterKey bits). "MyCall" and "HopsOut" are always present when the type
// has them; the others are read only when they are the next key, so a
// section without them loads with the initial values.
//
// A new key is one row in RouterKeys.cpp at its place in that order, one
// RouterKey bit, and the bit in the data type rows (DataType.cpp) of the
// types that store it; its value lives in RouterOptions, so the dialog
// hands it over in RouterSetup. A key added to existing setups is read with
// look-ahead and written only when it differs from its initial value, so
// its row brings its own read and write steps.
namespace RouterKeys {

void Read(CRouter& router, CSetupFile& setup, unsigned keys);
void Write(const CRouter& router, CSetupFile& setup, unsigned keys);
// Takes the dialog's values of those keys.
void Apply(CRouter& router, const RouterSetup& values, unsigned keys);

} // namespace RouterKeys
