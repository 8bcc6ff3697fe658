#include "filters/CountryFileCache.h"

#include "filters/CountryFile.h"

#include <array>
#include <cstdlib>
#include <map>
#include <sys/stat.h>

namespace {

// Debian's call sign data package, and the link to it that its contest
// logger package installs.
constexpr std::array<const char*, 2> SystemFiles = {"/usr/share/hamradio-files/cty.dat",
                                                    "/usr/share/tlf/cty.dat"};

bool Exists(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

} // namespace

std::shared_ptr<const CCountryFile> CCountryFileCache::Get(const std::string& path,
                                                           std::string& error) {
    // One thread uses the routers, so the table needs no lock.
    static std::map<std::string, std::weak_ptr<const CCountryFile>> inUse;
    const std::string used = path.empty() ? DefaultPath() : path;
    if (auto shared = inUse[used].lock()) {
        return shared;
    }
    auto file = std::make_shared<CCountryFile>();
    if (!file->Read(used, error)) {
        return nullptr;
    }
    inUse[used] = file;
    return file;
}

std::string CCountryFileCache::DefaultPath() {
    const char* home = std::getenv("HOME");
    if (home != nullptr && *home != '\0') {
        const std::string own = std::string(home) + "/.local/share/spotweaver/cty.dat";
        if (Exists(own)) {
            return own;
        }
    }
    for (const char* system : SystemFiles) {
        if (Exists(system)) {
            return system;
        }
    }
    return SystemFiles.front();
}
