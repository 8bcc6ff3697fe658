#include "transport/ComPortList.h"

#include <algorithm>
#include <filesystem>
#include <string_view>
#include <system_error>

namespace fs = std::filesystem;

namespace {

constexpr int ComNames = 8;
constexpr std::string_view kNumberedFamilies[] = {"ttyS", "ttyUSB", "ttyACM"};

bool IsDigits(std::string_view text) {
    return !text.empty() &&
           std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// The names in dir, sorted by name.
std::vector<std::string> NamesIn(const fs::path& dir) {
    std::vector<std::string> names;
    std::error_code ec;
    for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
        names.push_back(it->path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

// prefix followed by a number, in number order (ttyS2 before ttyS10).
void AddFamily(std::vector<std::string>& choices, const fs::path& dir,
               const std::vector<std::string>& names, std::string_view prefix) {
    std::vector<std::pair<unsigned long, std::string>> family;
    for (const std::string& name : names) {
        const std::string_view view(name);
        if (view.substr(0, prefix.size()) == prefix && IsDigits(view.substr(prefix.size()))) {
            const std::string_view digits = view.substr(prefix.size());
            family.emplace_back(digits.size() > 9 ? ~0UL : std::stoul(std::string(digits)), name);
        }
    }
    std::sort(family.begin(), family.end());
    for (const auto& [number, name] : family) {
        choices.push_back((dir / name).string());
    }
}

} // namespace

std::vector<std::string> ComPortList::Choices(const std::string& devRoot) {
    std::vector<std::string> choices;
    for (int i = 1; i <= ComNames; ++i) {
        choices.push_back("COM" + std::to_string(i));
    }
    const fs::path root(devRoot);
    const std::vector<std::string> names = NamesIn(root);
    for (std::string_view prefix : kNumberedFamilies) {
        AddFamily(choices, root, names, prefix);
    }
    const fs::path byId = root / "serial" / "by-id";
    for (const std::string& name : NamesIn(byId)) {
        choices.push_back((byId / name).string());
    }
    return choices;
}
