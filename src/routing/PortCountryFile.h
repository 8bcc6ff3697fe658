#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

class CCountryFile;

// The country file a port's filter names ("" the program's default), read
// when first asked for and again when the filter names another, so that a
// changed setup takes effect without a reconnect.
//
// What reading it has to say is told once a file: the note of a file
// without entity numbers, or that it cannot be read and what that leaves
// unknown.
//
// Collaborators: the country file cache, the port's window (tell).
class CPortCountryFile {
  public:
    using Tell = std::function<void(std::string_view)>;

    // unknown: what a file that cannot be read leaves unknown, opening the
    // line that says so ("Spotter continents unknown").
    CPortCountryFile(std::string unknown, Tell tell);

    // The file at path; null when it cannot be read.
    const CCountryFile* Get(const std::string& path);

  private:
    std::string m_unknown;
    Tell m_tell;
    std::shared_ptr<const CCountryFile> m_file;
    // The path m_file was asked for; none before the first.
    std::optional<std::string> m_path;
};
