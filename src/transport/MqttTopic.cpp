#include "transport/MqttTopic.h"

#include "text/AsciiText.h"

#include <array>
#include <utility>

namespace {

void AppendLevelText(std::string_view value, std::string& topic) {
    if (value.empty()) {
        topic += "unknown";
        return;
    }
    for (const char c : value) {
        const bool safe = ascii::IsPrintable(c) && c != '/' && c != '+' && c != '#' && c != ' ';
        topic += safe ? c : '_';
    }
}

} // namespace

void ExpandMqttTopic(std::string_view pattern, const MqttTopicFields& fields, std::string& topic) {
    const std::array<std::pair<std::string_view, std::string_view>, 6> names = {{
        {"{band}", fields.Band},
        {"{mode}", fields.Mode},
        {"{dx}", fields.Dx},
        {"{spotter}", fields.Spotter},
        {"{dxcc}", fields.Dxcc},
        {"{cont}", fields.Cont},
    }};
    topic.clear();
    std::size_t at = 0;
    while (at < pattern.size()) {
        bool replaced = false;
        if (pattern[at] == '{') {
            for (const auto& [name, value] : names) {
                if (pattern.substr(at, name.size()) == name) {
                    AppendLevelText(value, topic);
                    at += name.size();
                    replaced = true;
                    break;
                }
            }
        }
        if (!replaced) {
            topic += pattern[at++];
        }
    }
}
