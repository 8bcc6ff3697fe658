#pragma once

#include <string>
#include <utility>
#include <vector>

// Pieces of setup files as the document writes them, for document tests.
namespace SetupText {

inline std::string Line(const std::string& key, const std::string& value) {
    return key + "=" + value + "\n";
}

inline std::string Header(int ports, int size = 20, int weight = 400,
                          const std::string& face = "Courier New") {
    return Line("NumberOfPorts", std::to_string(ports)) + Line("FontSize", std::to_string(size)) +
           Line("FontWeight", std::to_string(weight)) + Line("FontFace", face);
}

inline std::string Placement(int show, int left, int top, int right, int bottom) {
    return Line("showCmd", std::to_string(show)) +
           "ptMinPosition.x=-1\nptMinPosition.y=-1\n"
           "ptMaxPosition.x=-1\nptMaxPosition.y=-1\n" +
           Line("rcNormalPosition.left", std::to_string(left)) +
           Line("rcNormalPosition.top", std::to_string(top)) +
           Line("rcNormalPosition.right", std::to_string(right)) +
           Line("rcNormalPosition.bottom", std::to_string(bottom));
}

inline std::string Script(const std::vector<std::pair<std::string, std::string>>& steps = {},
                          int autoReConnect = 0, int autoTime = 60) {
    std::string text = "ScriptSteps=10\n";
    for (std::size_t i = 0; i < 10; ++i) {
        text += Line("Prompt", i < steps.size() ? steps[i].first : "");
        text += Line("Response", i < steps.size() ? steps[i].second : "");
    }
    return text + Line("AutoReConnect", std::to_string(autoReConnect)) +
           Line("AutoTime", std::to_string(autoTime));
}

// A port section up to and including the window placement.
inline std::string Port(const std::string& type, const std::string& name, int tnc = 0,
                        const std::string& streamId = "A", const std::string& script = Script(),
                        int keepAlive = 0) {
    return Line("PortType", type) + "BufferSize=32000\n" +
           Line("KeepAlive", std::to_string(keepAlive)) + script + Line("PortName", name) +
           Line("IsTNCPort", std::to_string(tnc)) + "StreamSW=|\n" +
           Line("PortStreamID", streamId) + Placement(1, 10, 20, 610, 420);
}

// Router blocks: "InputType" and the type's keys.
inline std::string CommandRouter(int crlf = 3) {
    return "InputType=0\n" + Line("CRLFOption", std::to_string(crlf)) +
           "BlockDashAtOption=0\nStripAtPoundOption=0\nOnlyPassSkimmerCQOption=0\n";
}
inline std::string DirectRouter(int crlf) {
    return "InputType=3\n" + Line("CRLFOption", std::to_string(crlf)) +
           "BlockDashAtOption=0\nStripAtPoundOption=0\nOnlyPassSkimmerCQOption=0\n";
}
inline std::string UserRouter(int code, const std::string& call) {
    return Line("InputType", std::to_string(code)) + Line("MyCall", call) +
           "AntiLoopPrefix= <\nDupeLength=0\nCRLFOption=2\n"
           "BlockDashAtOption=0\nStripAtPoundOption=0\nOnlyPassSkimmerCQOption=0\n";
}
inline std::string NodeRouter(const std::string& call) {
    return "InputType=2\n" + Line("MyCall", call) +
           "HopsOut=99\nAntiLoopPrefix= <\nDupeLength=100\nCRLFOption=2\n"
           "BlockDashAtOption=0\nStripAtPoundOption=1\nOnlyPassSkimmerCQOption=0\n";
}
inline std::string CtRouter(int code, int crlf) {
    return Line("InputType", std::to_string(code)) + "DupeLength=0\n" +
           Line("CRLFOption", std::to_string(crlf)) +
           "BlockDashAtOption=0\nStripAtPoundOption=0\nOnlyPassSkimmerCQOption=1\n";
}

// A route section: the trace port's number and one "Port" line per entry.
inline std::string Routes(int trace, const std::vector<int>& ports) {
    std::string text = Line("Trace", std::to_string(trace));
    for (int p : ports) {
        text += Line("Port", std::to_string(p));
    }
    return text;
}

inline std::string Layout() {
    return Placement(3, 0, 0, 800, 600) + Placement(1, 5, 6, 1205, 906) +
           Placement(1, 0, 0, 300, 30) + Placement(1, 0, 880, 1200, 900) +
           Placement(1, 0, 30, 400, 60) +
           "MainFrameToolbar.showwindow=0\n"
           "m_wndStatusBar.showwindow=268435456\nm_wndToolBar.showwindow=268435456\n";
}

// One console port (data type Command) with no routes.
inline std::string OneConsole() {
    return Header(1) + Port("CON", "CON") + CommandRouter() + Routes(0, {0}) + Layout();
}

} // namespace SetupText
