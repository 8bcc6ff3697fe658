#pragma once

#include <string>
#include <utility>
#include <vector>

// Port sections as the setup file holds them, for the reading constructors.
namespace SetupText {

using Steps = std::vector<std::pair<std::string, std::string>>;

// The connect script block: the given prompt/response steps, the rest empty.
inline std::string Script(const Steps& steps, int autoReConnect, int autoTime) {
    std::string text = "ScriptSteps=10\n";
    for (std::size_t i = 0; i < 10; ++i) {
        const bool used = i < steps.size();
        text += "Prompt=" + (used ? steps[i].first : std::string()) + "\n";
        text += "Response=" + (used ? steps[i].second : std::string()) + "\n";
    }
    text += "AutoReConnect=" + std::to_string(autoReConnect) + "\n";
    text += "AutoTime=" + std::to_string(autoTime) + "\n";
    return text;
}

// The common block of a port section (after "PortType").
inline std::string Common(const std::string& name, int bufferSize, const std::string& script) {
    return "BufferSize=" + std::to_string(bufferSize) + "\nKeepAlive=0\n" + script +
           "PortName=" + name + "\nIsTNCPort=0\nStreamSW=|\nPortStreamID=A\n";
}

inline std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::string line;
    for (char c : text) {
        if (c == '\n') {
            lines.push_back(line);
            line.clear();
        } else {
            line += c;
        }
    }
    return lines;
}

} // namespace SetupText
