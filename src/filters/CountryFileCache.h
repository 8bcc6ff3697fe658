#pragma once

#include <memory>
#include <string>

class CCountryFile;

// The country files in use, each read once however many ports filter with
// it; a file is read again after every port has let go of it (a setup
// loaded anew sees an updated file).
//
// Ports without a "CountryFile" of their own use the default: the user's
// ~/.local/share/spotweaver/cty.dat when it exists, else the file of
// Debian's call sign data package, /usr/share/hamradio-files/cty.dat, or
// the contest logger's /usr/share/tlf/cty.dat.
class CCountryFileCache {
  public:
    // The file at path (the default when path is empty); null with a message
    // when it cannot be read or is not a country file.
    static std::shared_ptr<const CCountryFile> Get(const std::string& path, std::string& error);
    static std::string DefaultPath();
};
