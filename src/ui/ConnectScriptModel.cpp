#include "ui/ConnectScriptModel.h"

#include "ui/FieldCheck.h"

CConnectScriptModel::CConnectScriptModel(const ConnectScriptValues& values)
    : prompts(values.prompts), responses(values.responses), autoReconnect(values.autoReconnect),
      seconds(std::to_string(values.autoTime)) {}

std::optional<std::string> CConnectScriptModel::Accept(ConnectScriptValues& values) const {
    int time = 0;
    if (auto problem = CFieldCheck::IntegerInRange(seconds, 0, MaxSeconds, time)) {
        return problem;
    }
    values.prompts = prompts;
    values.responses = responses;
    values.autoReconnect = autoReconnect;
    values.autoTime = time;
    return std::nullopt;
}
