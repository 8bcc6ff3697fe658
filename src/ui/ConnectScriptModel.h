#pragma once

#include "port/ConnectScriptValues.h"

#include <array>
#include <optional>
#include <string>

// The Connect Script Setup dialog without widgets: ten prompt/response
// rows, "Enable automatic reconnect" and the seconds to wait, with the check
// made on OK ("Seconds" 0 to 9999).
class CConnectScriptModel {
  public:
    static constexpr int Rows = 10;
    static constexpr int MaxSeconds = 9999;
    // Control ids of each row's prompt and response edits.
    static constexpr std::array<int, Rows> PromptIds = {1046, 1048, 1050, 1052, 1054,
                                                        1056, 1026, 1058, 1060, 1062};
    static constexpr std::array<int, Rows> ResponseIds = {1047, 1049, 1051, 1053, 1055,
                                                          1057, 1027, 1059, 1061, 1063};

    explicit CConnectScriptModel(const ConnectScriptValues& values);

    std::array<std::string, Rows> prompts;
    std::array<std::string, Rows> responses;
    bool autoReconnect = false;
    std::string seconds;

    // The message of a failed check, or nothing after writing the values.
    std::optional<std::string> Accept(ConnectScriptValues& values) const;
};
