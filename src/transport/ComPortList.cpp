#include "transport/ComPortList.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string_view>
#include <system_error>

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kUsbFamilies[] = {"ttyUSB", "ttyACM"};

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

// A UART line answers when sysfs names a type other than 0 ("unknown").
bool HasUart(const fs::path& ttyClass, const std::string& name) {
    std::ifstream type(ttyClass / name / "type");
    int code = 0;
    return static_cast<bool>(type >> code) && code != 0;
}

// prefix followed by a number, in number order (ttyS2 before ttyS10), that
// keep passes.
template <typename Keep>
void AddFamily(std::vector<std::string>& choices, const fs::path& dir,
               const std::vector<std::string>& names, std::string_view prefix, Keep keep) {
    std::vector<std::pair<unsigned long, std::string>> family;
    for (const std::string& name : names) {
        const std::string_view view(name);
        if (view.substr(0, prefix.size()) == prefix && IsDigits(view.substr(prefix.size())) &&
            keep(name)) {
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

std::vector<std::string> ComPortList::Choices(const std::string& devRoot,
                                              const std::string& ttyClass) {
    std::vector<std::string> choices;
    const fs::path root(devRoot);
    const fs::path byId = root / "serial" / "by-id";
    for (const std::string& name : NamesIn(byId)) {
        choices.push_back((byId / name).string());
    }
    const std::vector<std::string> names = NamesIn(root);
    for (std::string_view prefix : kUsbFamilies) {
        AddFamily(choices, root, names, prefix, [](const std::string&) { return true; });
    }
    AddFamily(choices, root, names, "ttyS",
              [&](const std::string& name) { return HasUart(ttyClass, name); });
    return choices;
}

std::string ComPortList::NewPortDevice(const std::string& devRoot, const std::string& ttyClass) {
    const std::vector<std::string> choices = Choices(devRoot, ttyClass);
    return choices.empty() ? "/dev/ttyUSB0" : choices.front();
}
