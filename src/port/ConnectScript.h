#pragma once

#include "port/ConnectScriptValues.h"

#include <array>
#include <optional>
#include <string>
#include <string_view>

class CSetupFile;
class IUiServices;

// A port's login script and automatic-reconnect setting.
//
// Up to ten prompt/response steps answered in order: when the current step's
// prompt appears in a received chunk, Check returns the expanded response for
// the port to send. With auto-reconnect armed, a prompt of an earlier step
// seen again (a node that restarted) is answered again and the script goes on
// from there. Response escapes: "\#" digits found six characters after the
// prompt's start, "\%" the substitution text, "\\" a backslash, "\c" the byte
// c - 64 (so "\M" is CR), a trailing backslash itself.
class CConnectScript {
  public:
    static constexpr int Steps = 10;

    CConnectScript(); // a port made in the user interface: AutoReConnect 0
    // Reads the block when "ScriptSteps" is next; otherwise AutoReConnect 1,
    // armed, AutoTime 60, empty steps.
    explicit CConnectScript(CSetupFile& setup);

    void Save(CSetupFile& setup) const;

    void Start();
    void Stop();
    // Stops answering prompts; automatic reconnection stays as it is (a
    // server port whose callers each run their own copy of the steps).
    void StopSteps() { m_running = false; }
    bool IsRunning() const { return m_running; }
    bool AutoReconnectArmed() const { return m_armed && !m_manualDisconnect; }
    void SetManualDisconnect() { m_manualDisconnect = true; }
    bool ManualDisconnect() const { return m_manualDisconnect; }
    void SetSubstitution(std::string_view text);
    // -1 when the current step's response is empty, else step + 1.
    int StatusStep() const;
    // The login is over: no step is left to answer, or the script stopped.
    bool Finished() const { return !m_running || StatusStep() < 0; }

    // The response to send for a received chunk (empty text when polled), or none.
    std::optional<std::string> Check(std::string_view text);

    // Dialog model: the current values, and OK with new ones.
    ConnectScriptValues Values() const;
    void ApplyDialog(const ConnectScriptValues& values);
    // Runs the Connect Script Setup dialog through the UI; true on OK.
    bool EditDialog(IUiServices& ui);

    // The "ScriptSteps" a setup file stated; only the first Steps are kept.
    int StepsInFile() const { return m_stepsInFile; }
    int AutoTime() const { return m_autoTime; }
    bool AutoReConnect() const { return m_autoReConnect; }
    int Step() const { return m_step; }

  private:
    std::optional<std::string> MatchStep(int i, std::string_view text, bool strict) const;
    std::string Expand(const std::string& response, std::string_view text,
                       std::size_t promptPos) const;
    bool StepInUse(int i) const;

    std::string m_substitution;
    int m_autoTime = 60;
    bool m_manualDisconnect = false;
    std::array<std::string, Steps> m_prompt;
    std::array<std::string, Steps> m_response;
    bool m_running = false;
    int m_step = 0;
    bool m_autoReConnect = false;
    bool m_armed = false;
    int m_stepsInFile = 0;
};
