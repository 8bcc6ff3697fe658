#include "support/RecordingUi.h"

#include <algorithm>

bool RecordingUi::AskYesNo(const std::string& text) {
    questions.push_back(text);
    if (answers.empty()) {
        return true;
    }
    const bool answer = answers.front();
    answers.pop_front();
    return answer;
}

void RecordingUi::RemovePortSelectorItem(const std::string& name) {
    auto it = std::find(selectorItems.begin(), selectorItems.end(), name);
    if (it != selectorItems.end()) {
        selectorItems.erase(it);
    }
}

void RecordingUi::SelectFirstPortSelectorItem() {
    selectorText = selectorItems.empty() ? std::string() : selectorItems.front();
}

IPortView* RecordingUi::NewPortWindow() {
    if (refuseNewWindow) {
        return nullptr;
    }
    windows.push_back(std::make_unique<RecordingPortView>());
    windows.back()->SetTitleParts("Temp", "");
    return windows.back().get();
}

void RecordingUi::ClosePortWindow(IPortView* window) {
    for (auto& w : windows) {
        if (w.get() == window) {
            w->closed = true;
            ++closedWindows;
        }
    }
}

bool RecordingUi::RunConnectScriptDialog(ConnectScriptValues& values) {
    return scriptDialog ? scriptDialog(values) : false;
}

bool RecordingUi::RunPortSetupDialog(PortSetupValues& values) {
    portDialogsShown.push_back(values);
    return portDialog ? portDialog(values) : true;
}

void RecordingUi::RunRouteSetupDialog(CRouteSetupModel& model) {
    ++routeDialogsShown;
    if (routeDialog) {
        routeDialog(model);
    }
}

bool RecordingUi::RunFontDialog(int& size, int& weight, std::string& face) {
    return fontDialog ? fontDialog(size, weight, face) : false;
}

void RecordingUi::ApplyFont(int size, int weight, const std::string& face) {
    appliedFont = Font{size, weight, face};
    ++fontApplications;
}
