#include "routing/PortCountryFile.h"

#include "filters/CountryFile.h"
#include "filters/CountryFileCache.h"

#include <utility>

CPortCountryFile::CPortCountryFile(std::string unknown, Tell tell)
    : m_unknown(std::move(unknown)), m_tell(std::move(tell)) {}

const CCountryFile* CPortCountryFile::Get(const std::string& path) {
    if (m_path != path) {
        m_path = path;
        std::string error;
        m_file = CCountryFileCache::Get(path, error);
        if (m_file == nullptr) {
            m_tell(m_unknown + ", " + error);
        } else if (!m_file->NumbersNote().empty()) {
            m_tell(m_file->NumbersNote());
        }
    }
    return m_file.get();
}
