#include "port/ConnectScript.h"

#include "setup/SetupFile.h"
#include "support/RecordingUi.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace {

using Steps = std::vector<std::pair<std::string, std::string>>;

CConnectScript MakeScript(const Steps& steps, bool autoReconnect) {
    ConnectScriptValues values;
    for (std::size_t i = 0; i < steps.size(); ++i) {
        values.prompts[i] = steps[i].first;
        values.responses[i] = steps[i].second;
    }
    values.autoReconnect = autoReconnect;
    CConnectScript script;
    script.ApplyDialog(values);
    return script;
}

const Steps LoginSteps{{"login:", "G0ABC"}, {"password:", "secret"}};

std::vector<std::string> ScriptBlock(const std::string& steps, int pairs) {
    std::vector<std::string> lines{"ScriptSteps=" + steps};
    for (int i = 0; i < pairs; ++i) {
        lines.push_back("Prompt=p" + std::to_string(i));
        lines.push_back("Response=r" + std::to_string(i));
    }
    return lines;
}

} // namespace

TEST(ConnectScriptTest, NewPort_HasAutoReconnectOffAndSixtySeconds) {
    CConnectScript script;
    EXPECT_FALSE(script.AutoReConnect());
    EXPECT_FALSE(script.AutoReconnectArmed());
    EXPECT_EQ(script.AutoTime(), 60);
    EXPECT_FALSE(script.IsRunning());
    EXPECT_EQ(script.Step(), 0);
    EXPECT_EQ(script.StatusStep(), -1);
}

TEST(ConnectScriptTest, SectionWithoutScriptBlock_ReconnectsAfterSixtySeconds) {
    RecordingUi ui;
    const std::vector<std::string> lines{"PortName=NODE"};
    CSetupFile setup(lines, ui);
    CConnectScript script(setup);
    EXPECT_TRUE(script.AutoReConnect());
    EXPECT_TRUE(script.AutoReconnectArmed());
    EXPECT_EQ(script.AutoTime(), 60);
    EXPECT_EQ(script.StatusStep(), -1);
    EXPECT_EQ(setup.GetString("PortName"), "NODE");
    EXPECT_TRUE(ui.messages.empty());
}

TEST(ConnectScriptTest, SetupBlock_ReadsPairsAutoReConnectAndAutoTime) {
    RecordingUi ui;
    std::vector<std::string> lines = ScriptBlock("10", 10);
    lines[1] = "Prompt=login:";
    lines[2] = "Response=\\%\\M";
    lines.insert(lines.end(), {"AutoReConnect=0", "AutoTime=120", "PortName=NODE"});
    CSetupFile setup(lines, ui);
    CConnectScript script(setup);

    const ConnectScriptValues values = script.Values();
    EXPECT_EQ(values.prompts[0], "login:");
    EXPECT_EQ(values.responses[0], "\\%\\M");
    for (std::size_t i = 1; i < 10; ++i) {
        EXPECT_EQ(values.prompts[i], "p" + std::to_string(i));
        EXPECT_EQ(values.responses[i], "r" + std::to_string(i));
    }
    EXPECT_FALSE(values.autoReconnect);
    EXPECT_EQ(values.autoTime, 120);
    EXPECT_FALSE(script.AutoReconnectArmed());
    EXPECT_EQ(setup.GetString("PortName"), "NODE");
    EXPECT_TRUE(ui.messages.empty());
}

TEST(ConnectScriptTest, SetupBlock_AutoReConnectArmsTheScript) {
    RecordingUi ui;
    std::vector<std::string> lines = ScriptBlock("2", 2);
    lines.insert(lines.end(), {"AutoReConnect=1", "AutoTime=30"});
    CSetupFile setup(lines, ui);
    CConnectScript script(setup);
    EXPECT_TRUE(script.AutoReConnect());
    EXPECT_TRUE(script.AutoReconnectArmed());
    EXPECT_EQ(script.AutoTime(), 30);
    EXPECT_EQ(script.Values().prompts[1], "p1");
    EXPECT_EQ(script.Values().prompts[2], "");
    EXPECT_TRUE(ui.messages.empty());
}

// Steps past the tenth are read and dropped, so that the lines after the
// block are read under their own keys.
TEST(ConnectScriptTest, SetupBlock_MoreThanTenStepsKeepsTenAndStaysInStep) {
    RecordingUi ui;
    std::vector<std::string> lines = ScriptBlock("1000", 1000);
    lines.insert(lines.end(), {"AutoReConnect=1", "AutoTime=30"});
    CSetupFile setup(lines, ui);
    CConnectScript script(setup);
    EXPECT_EQ(script.StepsInFile(), 1000);
    EXPECT_EQ(script.Values().prompts[9], "p9");
    EXPECT_EQ(script.Values().responses[9], "r9");
    EXPECT_TRUE(script.AutoReConnect());
    EXPECT_EQ(script.AutoTime(), 30);
    EXPECT_TRUE(ui.messages.empty());
}

TEST(ConnectScriptTest, SetupBlock_SurplusStepsEndWhereThePairsEnd) {
    RecordingUi ui;
    std::vector<std::string> lines = ScriptBlock("1000", 12);
    lines.insert(lines.end(), {"AutoReConnect=0", "AutoTime=90"});
    CSetupFile setup(lines, ui);
    CConnectScript script(setup);
    EXPECT_EQ(script.Values().responses[9], "r9");
    EXPECT_FALSE(script.AutoReConnect());
    EXPECT_EQ(script.AutoTime(), 90);
    EXPECT_TRUE(ui.messages.empty());
}

TEST(ConnectScriptTest, SetupBlock_NegativeStepsReadsNoPairs) {
    RecordingUi ui;
    const std::vector<std::string> lines{"ScriptSteps=-3", "AutoReConnect=1", "AutoTime=45"};
    CSetupFile setup(lines, ui);
    CConnectScript script(setup);
    EXPECT_TRUE(script.AutoReConnect());
    EXPECT_EQ(script.AutoTime(), 45);
    EXPECT_EQ(script.Values().responses[0], "");
    EXPECT_TRUE(ui.messages.empty());
}

TEST(ConnectScriptTest, SetupBlock_AutoTimeOutsideRangeIsClamped) {
    for (const auto& [text, expected] :
         std::vector<std::pair<std::string, int>>{{"AutoTime=20000", 9999}, {"AutoTime=-5", 0}}) {
        SCOPED_TRACE(text);
        RecordingUi ui;
        const std::vector<std::string> lines{"ScriptSteps=0", "AutoReConnect=1", text};
        CSetupFile setup(lines, ui);
        CConnectScript script(setup);
        EXPECT_EQ(script.AutoTime(), expected);
    }
}

TEST(ConnectScriptTest, Save_WritesTenPairsAndTheSettings) {
    std::string written;
    CSetupFile setup([&](std::string_view line) { written += line; });
    CConnectScript script = MakeScript(LoginSteps, true);
    script.Save(setup);

    std::string expected = "ScriptSteps=10\nPrompt=login:\nResponse=G0ABC\nPrompt=password:\n"
                           "Response=secret\n";
    for (int i = 2; i < 10; ++i) {
        expected += "Prompt=\nResponse=\n";
    }
    expected += "AutoReConnect=1\nAutoTime=60\n";
    EXPECT_EQ(written, expected);
}

TEST(ConnectScriptTest, Save_ThenLoadGivesSameValues) {
    std::vector<std::string> lines;
    CSetupFile writer(
        [&](std::string_view line) { lines.emplace_back(line.substr(0, line.size() - 1)); });
    CConnectScript original = MakeScript({{"Call:", "\\%"}, {"", "SH/DX"}}, false);
    ConnectScriptValues edited = original.Values();
    edited.autoTime = 300;
    original.ApplyDialog(edited);
    original.Save(writer);

    RecordingUi ui;
    CSetupFile reader(lines, ui);
    CConnectScript loaded(reader);
    const ConnectScriptValues values = loaded.Values();
    EXPECT_EQ(values.prompts, edited.prompts);
    EXPECT_EQ(values.responses, edited.responses);
    EXPECT_FALSE(values.autoReconnect);
    EXPECT_EQ(values.autoTime, 300);
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_FALSE(reader.PastEnd());
}

TEST(ConnectScriptTest, Check_NotRunningGivesNothing) {
    CConnectScript script = MakeScript(LoginSteps, true);
    EXPECT_EQ(script.Check("login:"), std::nullopt);
    EXPECT_EQ(script.Step(), 0);
}

TEST(ConnectScriptTest, Check_TwoPromptsInOneChunkAnswersOnlyTheFirst) {
    CConnectScript script = MakeScript(LoginSteps, false);
    script.Start();
    EXPECT_EQ(script.Check("login: password:"), "G0ABC");
    EXPECT_EQ(script.Step(), 1);
    EXPECT_EQ(script.StatusStep(), 2);
    EXPECT_EQ(script.Check(""), std::nullopt);
    EXPECT_TRUE(script.IsRunning());
}

TEST(ConnectScriptTest, Check_PromptsInSeparateChunksAreBothAnsweredAndScriptEnds) {
    CConnectScript script = MakeScript(LoginSteps, false);
    script.Start();
    EXPECT_EQ(script.StatusStep(), 1);
    EXPECT_EQ(script.Check("Welcome\r\nlogin: "), "G0ABC");
    EXPECT_EQ(script.Check("password: "), "secret");
    EXPECT_FALSE(script.IsRunning());
    EXPECT_EQ(script.Step(), 2);
    EXPECT_EQ(script.StatusStep(), -1);
}

TEST(ConnectScriptTest, Check_PromptIsCaseSensitive) {
    CConnectScript script = MakeScript(LoginSteps, false);
    script.Start();
    EXPECT_EQ(script.Check("LOGIN:"), std::nullopt);
    EXPECT_EQ(script.Step(), 0);
}

TEST(ConnectScriptTest, Check_EmptyFirstPromptIsAnsweredOnFirstPoll) {
    CConnectScript script = MakeScript({{"", "\\M"}, {"call:", "G0ABC"}}, false);
    script.Start();
    EXPECT_EQ(script.Check(""), "\r");
    EXPECT_EQ(script.Check(""), std::nullopt);
    EXPECT_EQ(script.Check("call:"), "G0ABC");
    EXPECT_FALSE(script.IsRunning());
}

TEST(ConnectScriptTest, Check_RePromptWhileArmedAnswersEarlierStepAgainAndGoesOn) {
    CConnectScript script = MakeScript(LoginSteps, true);
    script.Start();
    EXPECT_EQ(script.Check("login:"), "G0ABC");
    EXPECT_EQ(script.Check("password:"), "secret");
    EXPECT_TRUE(script.IsRunning());
    EXPECT_EQ(script.StatusStep(), -1);
    EXPECT_EQ(script.Check("no prompt here"), std::nullopt);

    EXPECT_EQ(script.Check("node restarted\r\nlogin:"), "G0ABC");
    EXPECT_EQ(script.Step(), 1);
    EXPECT_EQ(script.Check("password:"), "secret");
    EXPECT_EQ(script.Step(), 2);
}

TEST(ConnectScriptTest, Check_RePromptWhileArmedAtMiddleStep) {
    CConnectScript script =
        MakeScript({{"login:", "G0ABC"}, {"password:", "secret"}, {"motd", "SH/DX"}}, true);
    script.Start();
    EXPECT_EQ(script.Check("login:"), "G0ABC");
    EXPECT_EQ(script.Check("password:"), "secret");
    EXPECT_EQ(script.Check("login:"), "G0ABC");
    EXPECT_EQ(script.Step(), 1);
}

TEST(ConnectScriptTest, Check_WithoutArmedNoEarlierStepIsAnsweredAgain) {
    CConnectScript script = MakeScript(LoginSteps, false);
    script.Start();
    EXPECT_EQ(script.Check("login:"), "G0ABC");
    EXPECT_EQ(script.Check("login:"), std::nullopt);
    EXPECT_EQ(script.Step(), 1);
    EXPECT_EQ(script.Check("password:"), "secret");
    EXPECT_FALSE(script.IsRunning());
    EXPECT_EQ(script.Check("login:"), std::nullopt);
}

TEST(ConnectScriptTest, Check_EmptyPromptIsNotReMatchedWhileArmed) {
    CConnectScript script = MakeScript({{"", "hello"}, {"login:", "G0ABC"}}, true);
    script.Start();
    EXPECT_EQ(script.Check(""), "hello");
    EXPECT_EQ(script.Check("login:"), "G0ABC");
    EXPECT_EQ(script.Check("anything"), std::nullopt);
    EXPECT_EQ(script.Check(""), std::nullopt);
    EXPECT_EQ(script.Step(), 2);
}

TEST(ConnectScriptTest, Check_AllTenStepsThenEnds) {
    Steps steps;
    for (int i = 0; i < 10; ++i) {
        steps.emplace_back("P" + std::to_string(i) + ">", "R" + std::to_string(i));
    }
    for (bool armed : {false, true}) {
        SCOPED_TRACE(armed);
        CConnectScript script = MakeScript(steps, armed);
        script.Start();
        for (int i = 0; i < 10; ++i) {
            EXPECT_EQ(script.StatusStep(), i + 1);
            EXPECT_EQ(script.Check("P" + std::to_string(i) + ">"), "R" + std::to_string(i));
        }
        EXPECT_EQ(script.Step(), 10);
        EXPECT_EQ(script.StatusStep(), -1);
        EXPECT_EQ(script.IsRunning(), armed);
        EXPECT_EQ(script.Check("P3>"), armed ? std::optional<std::string>("R3") : std::nullopt);
        EXPECT_EQ(script.Step(), armed ? 4 : 10);
    }
}

TEST(ConnectScriptTest, Check_SubstitutionBeforeAndAfterReport) {
    CConnectScript script = MakeScript({{"*** CONNECTED TO ", "\\%\\M"}}, false);
    script.Start();
    EXPECT_EQ(script.Check("*** CONNECTED TO G4XYZ\r"), "\r");

    script.SetSubstitution("G4XYZ");
    script.Start();
    EXPECT_EQ(script.Check("*** CONNECTED TO G4XYZ\r"), "G4XYZ\r");
}

TEST(ConnectScriptTest, SetSubstitution_KeepsAtMost31Characters) {
    CConnectScript script = MakeScript({{"", "\\%"}}, false);
    script.SetSubstitution(std::string(40, 'K'));
    script.Start();
    EXPECT_EQ(script.Check(""), std::string(31, 'K'));
}

TEST(ConnectScriptTest, Start_ClearsManualDisconnectAndRearmsFromSetting) {
    CConnectScript script = MakeScript(LoginSteps, true);
    script.Start();
    script.SetManualDisconnect();
    EXPECT_TRUE(script.ManualDisconnect());
    EXPECT_FALSE(script.AutoReconnectArmed());

    script.Stop();
    EXPECT_FALSE(script.IsRunning());
    EXPECT_EQ(script.Check("login:"), std::nullopt);

    script.Start();
    EXPECT_FALSE(script.ManualDisconnect());
    EXPECT_TRUE(script.AutoReconnectArmed());
    EXPECT_TRUE(script.IsRunning());
    EXPECT_EQ(script.Step(), 0);
}

TEST(ConnectScriptTest, Stop_DisarmsUntilNextStart) {
    CConnectScript script = MakeScript(LoginSteps, true);
    script.Start();
    script.Stop();
    EXPECT_FALSE(script.AutoReconnectArmed());
    EXPECT_TRUE(script.AutoReConnect());
}

TEST(ConnectScriptTest, ApplyDialog_StoresValuesClampsSecondsAndStopsScript) {
    CConnectScript script = MakeScript(LoginSteps, false);
    script.Start();
    script.Check("login:");
    ASSERT_EQ(script.Step(), 1);

    ConnectScriptValues values = script.Values();
    values.prompts[9] = "last>";
    values.responses[9] = "BYE";
    values.autoReconnect = true;
    values.autoTime = 10000;
    script.ApplyDialog(values);
    EXPECT_FALSE(script.IsRunning());
    EXPECT_EQ(script.Step(), 0);
    EXPECT_TRUE(script.AutoReConnect());
    EXPECT_TRUE(script.AutoReconnectArmed());
    EXPECT_EQ(script.AutoTime(), 9999);
    EXPECT_EQ(script.Values().prompts[9], "last>");
    EXPECT_EQ(script.Values().responses[9], "BYE");

    values.autoReconnect = false;
    values.autoTime = -1;
    script.ApplyDialog(values);
    EXPECT_FALSE(script.AutoReconnectArmed());
    EXPECT_EQ(script.AutoTime(), 0);
}

TEST(ConnectScriptTest, EditDialog_OkAppliesTheEditedValues) {
    CConnectScript script = MakeScript(LoginSteps, false);
    RecordingUi ui;
    ConnectScriptValues shown;
    ui.scriptDialog = [&](ConnectScriptValues& values) {
        shown = values;
        values.responses[1] = "hunter2";
        values.autoReconnect = true;
        values.autoTime = 90;
        return true;
    };
    EXPECT_TRUE(script.EditDialog(ui));
    EXPECT_EQ(shown.prompts[0], "login:");
    EXPECT_EQ(shown.responses[1], "secret");
    EXPECT_FALSE(shown.autoReconnect);
    EXPECT_EQ(shown.autoTime, 60);
    EXPECT_EQ(script.Values().responses[1], "hunter2");
    EXPECT_TRUE(script.AutoReconnectArmed());
    EXPECT_EQ(script.AutoTime(), 90);
}

TEST(ConnectScriptTest, EditDialog_CancelChangesNothing) {
    CConnectScript script = MakeScript(LoginSteps, false);
    script.Start();
    script.Check("login:");
    RecordingUi ui;
    ui.scriptDialog = [](ConnectScriptValues& values) {
        values.responses[0] = "changed";
        values.autoReconnect = true;
        return false;
    };
    EXPECT_FALSE(script.EditDialog(ui));
    EXPECT_EQ(script.Values().responses[0], "G0ABC");
    EXPECT_FALSE(script.AutoReConnect());
    EXPECT_TRUE(script.IsRunning());
    EXPECT_EQ(script.Step(), 1);
}

struct ExpandRow {
    const char* name;
    std::string prompt;
    std::string response;
    std::string substitution;
    std::string received;
    std::string expected;
};

class ConnectScriptExpandTest : public testing::TestWithParam<ExpandRow> {};

TEST_P(ConnectScriptExpandTest, Check_ExpandsResponseEscapes) {
    const ExpandRow& row = GetParam();
    CConnectScript script = MakeScript({{row.prompt, row.response}}, false);
    script.SetSubstitution(row.substitution);
    script.Start();
    EXPECT_EQ(script.Check(row.received), row.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Escapes, ConnectScriptExpandTest,
    testing::Values(
        ExpandRow{"PlainText", "login:", "G0ABC", "", "login: ", "G0ABC"},
        ExpandRow{"Substitution", "Call:", "\\%", "DL1ABC", "Call:", "DL1ABC"},
        ExpandRow{"SubstitutionAndCr", "Call:", "C \\%\\M", "DL1ABC", "Call:", "C DL1ABC\r"},
        ExpandRow{"EmptySubstitution", "Call:", "[\\%]", "", "Call:", "[]"},
        ExpandRow{"DoubleBackslash", "x", "a\\\\b", "", "x", "a\\b"},
        ExpandRow{"ControlLetters", "x", "\\M\\J\\C", "", "x", "\r\n\x03"},
        ExpandRow{"AtSignGivesNul", "x", "a\\@b", "", "x", std::string("a\0b", 3)},
        ExpandRow{"TrailingBackslash", "x", "end\\", "", "x", "end\\"},
        ExpandRow{"DigitsSixAfterPrompt", "Code", "PIN \\#", "", "xxCode: 4711 ok", "PIN 4711"},
        ExpandRow{"DigitsOfFirstOccurrence", "Code", "\\#", "", "Code: 11 Code: 22", "11"},
        ExpandRow{"NoDigitThere", "Code", "[\\#]", "", "Code: none", "[]"},
        ExpandRow{"TextEndsBeforeDigits", "Code", "[\\#]", "", "Code:", "[]"},
        ExpandRow{"DigitsWithEmptyPrompt", "", "\\#", "", "Port: 42\r", "42"},
        ExpandRow{"OnlyFirst255CharactersExpanded", "x", std::string(254, 'a') + "\\M", "", "x",
                  std::string(254, 'a') + "\\"}),
    [](const testing::TestParamInfo<ExpandRow>& info) { return std::string(info.param.name); });
