#pragma once

#include <array>
#include <string>

// The values the Connect Script Setup dialog shows and returns.
struct ConnectScriptValues {
    std::array<std::string, 10> prompts;
    std::array<std::string, 10> responses;
    bool autoReconnect = false;
    int autoTime = 60; // 0..9999 seconds
};
