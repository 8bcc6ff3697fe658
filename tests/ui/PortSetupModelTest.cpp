#include "ui/PortSetupModel.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace {

using Fields = std::vector<std::pair<std::string, std::string>>;

PortSetupValues NewPort(const std::string& kind, std::vector<std::string> names = {"CON"}) {
    PortSetupValues v;
    v.kind = kind;
    v.existingPortNames = std::move(names);
    return v;
}

PortSetupValues ConnectedTelnet() {
    PortSetupValues v;
    v.kind = "TEL";
    v.mode = PortSetupMode::ConnectedEdit;
    v.existingPortNames = {"CON", "GB7XX"};
    v.name = "GB7XX";
    v.dataType = "Cluster Node";
    v.myCall = "G4ABC";
    v.kindFields = {{"HostName", "gb7xx.example.org"}, {"PortNumber", "7300"}};
    return v;
}

bool Editable(const SetupField& f) {
    return f.enabled && !f.readOnly;
}

} // namespace

TEST(PortSetupModelTest, NewComPort_OkAtOnceGivesTheDefaults) {
    CPortSetupModel model(NewPort("COM"));
    PortSetupValues out = NewPort("COM");

    ASSERT_FALSE(model.Accept(out).has_value());

    EXPECT_EQ(model.Form().title, "Com Port Setup");
    EXPECT_EQ(model.Form().group, "Com Port Setup");
    EXPECT_EQ(out.name, "COM");
    EXPECT_EQ(out.dataType, "Cluster User");
    EXPECT_EQ(out.isTnc, "FALSE");
    EXPECT_EQ(out.streamSw, "|");
    EXPECT_EQ(out.streamId, "A");
    EXPECT_EQ(out.bufferSize, 32000);
    EXPECT_EQ(out.keepAlive, 0);
    EXPECT_EQ(out.myCall, "INET");
    EXPECT_EQ(out.hops, "99");
    EXPECT_EQ(out.antiLoopPrefix, " <");
    EXPECT_EQ(out.dupes, 0);
    EXPECT_EQ(out.crlf, 2);
    EXPECT_FALSE(out.blockDashAt);
    EXPECT_FALSE(out.stripAtPound);
    EXPECT_FALSE(out.onlySkimmerCQ);
    EXPECT_TRUE(out.addConsoleRoutes);
    EXPECT_EQ(out.kindFields, (Fields{{"ComPort", "/dev/ttyUSB0"},
                                      {"BaudRate", "1200"},
                                      {"Bits", "8"},
                                      {"Parity", "NONE"},
                                      {"StopBits", "1"},
                                      {"FlowControl", "NONE"}}));
}

TEST(PortSetupModelTest, NewPort_TransportDefaultsOfEveryKind) {
    struct Row {
        std::string kind, title, name, dataType;
        Fields fields;
    };
    const std::vector<Row> rows = {
        {"CON", "Console Window Setup", "CON", "Command", {}},
        {"TEL",
         "Network - Connect (telnet client) Setup",
         "TEL",
         "Cluster User",
         {{"HostName", "127.0.0.1"}, {"PortNumber", "23"}}},
        {"CTE",
         "Network - Broadcast Setup",
         "CTE",
         "CT Network",
         {{"MyIP", "10.0.0.100"}, {"PortNumber", "9870"}, {"BroadcastIP", "10.0.0.255"}}},
        {"RXTEL",
         "RX Network Connect (telnet server) Setup",
         "RXTEL",
         "Cluster User",
         {{"HostName", "127.0.0.1"},
          {"PortNumber", "7300"},
          {"MaxCallers", "1"},
          {"Backlog", "0"},
          {"LoginTimeout", "60"}}},
        {"FILE", "Log File Setup", "LOG", "CT User", {{"FileName", "Default.txt"}}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.kind);
        CPortSetupModel model(NewPort(row.kind, {}));
        PortSetupValues out;
        ASSERT_FALSE(model.Accept(out).has_value());
        EXPECT_EQ(model.Form().title, row.title);
        EXPECT_EQ(out.name, row.name);
        EXPECT_EQ(out.dataType, row.dataType);
        EXPECT_EQ(out.kindFields, row.fields);
    }
}

TEST(PortSetupModelTest, NewPort_ValuesTheKindAlreadySetWinOverDefaults) {
    PortSetupValues in = NewPort("TEL");
    in.name = "GB7MBC";
    in.kindFields = {{"HostName", "dx.example.net"}};
    CPortSetupModel model(in);
    PortSetupValues out;
    ASSERT_FALSE(model.Accept(out).has_value());
    EXPECT_EQ(out.name, "GB7MBC");
    EXPECT_EQ(out.kindFields, (Fields{{"HostName", "dx.example.net"}, {"PortNumber", "23"}}));
}

TEST(PortSetupModelTest, SecondComPort_IsRefusedAsDuplicateName) {
    CPortSetupModel model(NewPort("COM", {"CON", "COM"}));
    PortSetupValues out;
    auto refusal = model.Accept(out);
    ASSERT_TRUE(refusal.has_value());
    EXPECT_EQ(refusal->key, "Name");
    EXPECT_EQ(refusal->message, "Duplicate port name.  Change the 'Name' in the 'General Port "
                                "Setup' setup and try again.");
    EXPECT_EQ(out.name, "");
}

TEST(PortSetupModelTest, NameCompare_IsCaseSensitiveAndSkippedWhenEditing) {
    PortSetupValues differentCase = NewPort("COM", {"Com"});
    PortSetupValues out;
    EXPECT_FALSE(CPortSetupModel(differentCase).Accept(out).has_value());

    PortSetupValues edit = NewPort("COM", {"CON", "COM"});
    edit.mode = PortSetupMode::DisconnectedEdit;
    edit.name = "COM";
    edit.dataType = "Cluster User";
    EXPECT_FALSE(CPortSetupModel(edit).Accept(out).has_value());
}

TEST(PortSetupModelTest, EmptyMyCall_IsRefusedForEveryDataType) {
    for (const std::string& type : {std::string("Cluster User"), std::string("Direct")}) {
        CPortSetupModel model(NewPort("COM"));
        model.ChooseDataType(type);
        model.SetText("MyCall", "");
        PortSetupValues out;
        auto refusal = model.Accept(out);
        ASSERT_TRUE(refusal.has_value()) << type;
        EXPECT_EQ(refusal->key, "MyCall");
        EXPECT_EQ(refusal->message, "MyCall must not be empty try again.");
    }
}

TEST(PortSetupModelTest, FieldChecks_RefuseWithTheFrameworkWordsThenTheFieldsName) {
    struct Row {
        const char* name;
        std::string kind, key, text, message;
    };
    const std::vector<Row> rows = {
        {"DupesAboveRange", "TEL", "Dupes", "1001",
         "Please enter an integer between 0 and 1000. Dupes must be a whole number of spots "
         "from 0 to 1000."},
        {"DupesNegative", "TEL", "Dupes", "-1",
         "Please enter an integer between 0 and 1000. Dupes must be a whole number of spots "
         "from 0 to 1000."},
        {"BufferNotNumber", "TEL", "BufferSize", "32k",
         "Please enter an integer. Buffer Size must be a whole number of bytes."},
        {"KeepAliveEmpty", "TEL", "KeepAlive", "",
         "Please enter an integer. Keep Alive Time must be a whole number of minutes."},
        {"NameTooLong", "TEL", "Name", std::string(32, 'N'),
         "Please enter no more than 31 characters for Name."},
        {"SwitchTooLong", "TEL", "StreamSW", "||",
         "Please enter no more than 1 characters for Stream Switch/ID."},
        {"MyCallTooLong", "TEL", "MyCall", "G4ABCDEFGHIJKLMNO",
         "Please enter no more than 16 characters for MyCall."},
        {"AntiLoopTooLong", "TEL", "AntiLoopPx", " <1234567",
         "Please enter no more than 8 characters for AntiLoop Px."},
        {"PortNumberAbove16Bits", "TEL", "PortNumber", "65536",
         "Please enter an integer between 1 and 65535. Port Number must be a whole number from "
         "1 to 65535."},
        {"PortNumberZero", "RXTEL", "PortNumber", "0",
         "Please enter an integer between 1 and 65535. Port Number must be a whole number from "
         "1 to 65535."},
        {"EmptyHost", "TEL", "HostName", "", "Host Name or IP must not be empty."},
        {"BlankBroadcast", "CTE", "BroadcastIP", "  ", "Broadcast IP must not be empty."},
        {"EmptyLogFile", "FILE", "FileName", "", "File Name must not be empty."},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        CPortSetupModel model(NewPort(row.kind));
        model.SetText(row.key, row.text);
        PortSetupValues out;
        auto refusal = model.Accept(out);
        ASSERT_TRUE(refusal.has_value());
        EXPECT_EQ(refusal->key, row.key);
        EXPECT_EQ(refusal->message, row.message);
    }
}

TEST(PortSetupModelTest, CrLf_ListNamesTheEndingsAndKeepsTheStoredCodes) {
    EXPECT_EQ(CPortSetupModel(NewPort("TEL")).Field("CRLF").choices,
              (std::vector<std::string>{"none", "CR", "LF", "CR LF"}));
    for (int code : {0, 1, 2, 3, 7}) {
        SCOPED_TRACE(code);
        PortSetupValues in = ConnectedTelnet();
        in.crlf = code;
        CPortSetupModel model(in);
        PortSetupValues out;
        ASSERT_FALSE(model.Accept(out).has_value());
        EXPECT_EQ(out.crlf, code);
    }
    CPortSetupModel model(NewPort("TEL"));
    model.SetText("CRLF", "CR LF");
    PortSetupValues out;
    ASSERT_FALSE(model.Accept(out).has_value());
    EXPECT_EQ(out.crlf, 3);
}

TEST(PortSetupModelTest, NewLogFile_AddsNoConsoleRoutesUnlessAskedOtherKindsDo) {
    EXPECT_FALSE(CPortSetupModel(NewPort("FILE")).Field("AddConsoleRoutes").checked);
    EXPECT_TRUE(CPortSetupModel(NewPort("FILE")).Field("AddConsoleRoutes").enabled);
    EXPECT_TRUE(CPortSetupModel(NewPort("TEL")).Field("AddConsoleRoutes").checked);
}

TEST(PortSetupModelTest, ServerPort_MaxCallersAndBacklogCheckedOnOk) {
    const std::vector<std::pair<std::string, std::string>> refused = {
        {"MaxCallers", "0"}, {"MaxCallers", "65"}, {"Backlog", "-1"}, {"Backlog", "1001"}};
    for (const auto& [key, text] : refused) {
        SCOPED_TRACE(key + "=" + text);
        CPortSetupModel model(NewPort("RXTEL"));
        model.SetText(key, text);
        PortSetupValues out;
        auto refusal = model.Accept(out);
        ASSERT_TRUE(refusal.has_value());
        EXPECT_EQ(refusal->key, key);
        EXPECT_EQ(refusal->message.rfind(
                      key == "MaxCallers" ? "Please enter an integer between 1 and 64. Max "
                                          : "Please enter an integer between 0 and 1000. Backlog",
                      0),
                  0u);
    }
    CPortSetupModel model(NewPort("RXTEL"));
    model.SetText("HostName", "2001:db8::1");
    model.SetText("MaxCallers", "64");
    model.SetText("Backlog", "1000");
    PortSetupValues out;
    ASSERT_FALSE(model.Accept(out).has_value());
    EXPECT_EQ(out.kindFields, (Fields{{"HostName", "2001:db8::1"},
                                      {"PortNumber", "7300"},
                                      {"MaxCallers", "64"},
                                      {"Backlog", "1000"},
                                      {"LoginTimeout", "60"}}));
}

TEST(PortSetupModelTest, FieldChecks_AcceptLimitsAndAnyCrLfValue) {
    CPortSetupModel model(NewPort("TEL"));
    model.SetText("Dupes", "1000");
    model.SetText("CRLF", " 7 ");
    model.SetText("Name", std::string(31, 'N'));
    model.SetText("MyCall", "G4ABCDEFGHIJKLMN");
    model.SetText("PortNumber", "65535");
    PortSetupValues out;
    ASSERT_FALSE(model.Accept(out).has_value());
    EXPECT_EQ(out.dupes, 1000);
    EXPECT_EQ(out.crlf, 7);
    EXPECT_EQ(out.name, std::string(31, 'N'));
    EXPECT_EQ(out.myCall, "G4ABCDEFGHIJKLMN");
    EXPECT_EQ(out.kindFields[1], (std::pair<std::string, std::string>{"PortNumber", "65535"}));
}

TEST(PortSetupModelTest, NoConsole_AddConsoleRoutesDisabledAndUnchecked) {
    for (const char* kind : {"CON", "COM", "TEL", "CTE", "RXTEL", "FILE"}) {
        SCOPED_TRACE(kind);
        CPortSetupModel model(NewPort(kind, {"TEL1"}));
        const SetupField& f = model.Field("AddConsoleRoutes");
        EXPECT_FALSE(f.enabled);
        EXPECT_FALSE(f.checked);
        PortSetupValues out;
        ASSERT_FALSE(model.Accept(out).has_value());
        EXPECT_FALSE(out.addConsoleRoutes);
    }
    CPortSetupModel withConsole(NewPort("COM", {"CON"}));
    EXPECT_TRUE(withConsole.Field("AddConsoleRoutes").enabled);
    EXPECT_TRUE(withConsole.Field("AddConsoleRoutes").checked);
}

TEST(PortSetupModelTest, Console_NameAlwaysDisabled) {
    CPortSetupModel model(NewPort("CON", {}));
    EXPECT_EQ(model.Field("Name").text, "CON");
    EXPECT_FALSE(model.Field("Name").enabled);
    EXPECT_TRUE(model.Form().transportFields.empty());
}

TEST(PortSetupModelTest, DataTypeRule_FieldStatesPerType) {
    // Editable: Hops, MyCall, AntiLoop Px, Dupes, CR/LF, Keep Alive Time,
    // Node handshake.
    struct Row {
        std::string type;
        std::vector<bool> editable;
    };
    const std::vector<Row> rows = {
        {"Command", {false, false, false, true, true, true, false}},
        {"Cluster User", {false, true, true, true, true, true, false}},
        {"Spider User", {false, true, true, true, true, true, false}},
        {"Cluster Node", {true, true, true, true, true, true, true}},
        {"MIRC User", {false, true, false, true, true, true, false}},
        {"PassThru", {false, false, false, false, false, false, false}},
        {"CT User", {false, false, false, true, true, true, false}},
    };
    const std::vector<std::string> keys = {"Hops", "MyCall",    "AntiLoopPx",   "Dupes",
                                           "CRLF", "KeepAlive", "NodeHandshake"};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.type);
        CPortSetupModel model(NewPort("COM"));
        model.ChooseDataType(row.type);
        for (std::size_t i = 0; i < keys.size(); ++i) {
            EXPECT_EQ(Editable(model.Field(keys[i])), row.editable[i]) << keys[i];
        }
    }
}

TEST(PortSetupModelTest, ChooseMaster_SwitchesToDirectAndLocksTheList) {
    CPortSetupModel model(NewPort("COM"));
    EXPECT_FALSE(Editable(model.Field("StreamSW")));
    EXPECT_FALSE(Editable(model.Field("StreamID")));

    model.ChooseTnc("MASTER");
    EXPECT_EQ(model.Field("IsTNC").text, "MASTER");
    EXPECT_EQ(model.Field("DataType").text, "Direct");
    EXPECT_EQ(model.Field("CRLF").text, "CR");
    EXPECT_FALSE(model.Field("DataType").enabled);
    EXPECT_TRUE(Editable(model.Field("StreamSW")));
    EXPECT_FALSE(Editable(model.Field("StreamID")));
    EXPECT_FALSE(Editable(model.Field("MyCall")));

    model.ChooseTnc("FALSE");
    EXPECT_TRUE(model.Field("DataType").enabled);
    EXPECT_FALSE(Editable(model.Field("StreamSW")));
    EXPECT_EQ(model.Field("DataType").text, "Direct");

    PortSetupValues out;
    ASSERT_FALSE(model.Accept(out).has_value());
    EXPECT_EQ(out.isTnc, "FALSE");
    EXPECT_EQ(out.dataType, "Direct");
    EXPECT_EQ(out.crlf, 1);
}

TEST(PortSetupModelTest, ChooseSlave_DirectWithStreamIdEditableCrLfKept) {
    CPortSetupModel model(NewPort("COM"));
    model.ChooseTnc("SLAVE");
    EXPECT_EQ(model.Field("DataType").text, "Direct");
    EXPECT_EQ(model.Field("CRLF").text, "LF");
    EXPECT_FALSE(model.Field("DataType").enabled);
    EXPECT_FALSE(Editable(model.Field("StreamSW")));
    EXPECT_TRUE(Editable(model.Field("StreamID")));
}

TEST(PortSetupModelTest, ChooseFalseInDisconnectedEdit_KeepsTheListLocked) {
    PortSetupValues in = NewPort("COM");
    in.mode = PortSetupMode::DisconnectedEdit;
    in.name = "COM";
    in.dataType = "Cluster User";
    CPortSetupModel model(in);
    EXPECT_TRUE(model.Field("DataType").enabled);
    EXPECT_FALSE(model.Field("AddConsoleRoutes").enabled);
    model.ChooseTnc("MASTER");
    model.ChooseTnc("FALSE");
    EXPECT_FALSE(model.Field("DataType").enabled);
}

TEST(PortSetupModelTest, ChoosePassThru_ZeroesKeepAliveDupesAndTnc) {
    CPortSetupModel model(NewPort("COM"));
    model.SetText("KeepAlive", "10");
    model.SetText("Dupes", "300");
    model.ChooseTnc("MASTER");
    model.ChooseTnc("FALSE");
    model.SetText("IsTNC", "SLAVE");
    model.ChooseDataType("PassThru");
    EXPECT_EQ(model.Field("KeepAlive").text, "0");
    EXPECT_EQ(model.Field("Dupes").text, "0");
    EXPECT_EQ(model.Field("IsTNC").text, "FALSE");
    for (const char* key : {"Hops", "MyCall", "AntiLoopPx", "Dupes", "KeepAlive"}) {
        EXPECT_TRUE(model.Field(key).readOnly) << key;
    }
    EXPECT_FALSE(model.Field("CRLF").enabled);
}

TEST(PortSetupModelTest, ChooseCtNetwork_SetsCrLfToZero) {
    CPortSetupModel model(NewPort("COM"));
    model.ChooseDataType("CT Network");
    EXPECT_EQ(model.Field("CRLF").text, "none");
    EXPECT_EQ(model.Field("DataType").text, "CT Network");
}

TEST(PortSetupModelTest, ConnectedEdit_LocksNameBufferTncDataTypeAndTransport) {
    CPortSetupModel model(ConnectedTelnet());
    EXPECT_TRUE(model.Field("Name").readOnly);
    EXPECT_TRUE(model.Field("BufferSize").readOnly);
    EXPECT_FALSE(model.Field("IsTNC").enabled);
    EXPECT_FALSE(model.Field("DataType").enabled);
    EXPECT_FALSE(model.Field("AddConsoleRoutes").enabled);
    EXPECT_TRUE(model.Field("HostName").readOnly);
    EXPECT_TRUE(model.Field("PortNumber").readOnly);
    EXPECT_TRUE(Editable(model.Field("Hops")));
    EXPECT_TRUE(Editable(model.Field("KeepAlive")));

    PortSetupValues out = ConnectedTelnet();
    ASSERT_FALSE(model.Accept(out).has_value());
    EXPECT_EQ(out.name, "GB7XX");
    EXPECT_EQ(out.dataType, "Cluster Node");
    EXPECT_EQ(out.myCall, "G4ABC");
    EXPECT_EQ(out.mode, PortSetupMode::ConnectedEdit);
    EXPECT_EQ(out.kindFields, (Fields{{"HostName", "gb7xx.example.org"}, {"PortNumber", "7300"}}));
}

TEST(PortSetupModelTest, ConnectedEdit_ComListsAndFileNameAreDisabled) {
    PortSetupValues com = ConnectedTelnet();
    com.kind = "COM";
    com.kindFields = {{"ComPort", "/dev/ttyUSB0"}, {"BaudRate", "9600"}};
    CPortSetupModel comModel(com);
    for (const SetupField& f : comModel.Fields()) {
        if (f.transport) {
            EXPECT_FALSE(f.enabled) << f.key;
        }
    }
    EXPECT_EQ(comModel.Field("ComPort").text, "/dev/ttyUSB0");
    EXPECT_EQ(comModel.Field("ComPort").choices.back(), "/dev/ttyUSB0");

    PortSetupValues file = ConnectedTelnet();
    file.kind = "FILE";
    file.isTnc = "SLAVE";
    file.kindFields = {{"FileName", "spots.txt"}};
    CPortSetupModel fileModel(file);
    EXPECT_FALSE(fileModel.Field("FileName").enabled);
    EXPECT_EQ(fileModel.Field("IsTNC").choices,
              (std::vector<std::string>{"FALSE", "TRUE", "SLAVE"}));
}

TEST(PortSetupModelTest, DataTypeList_InDialogOrder) {
    EXPECT_EQ(CPortSetupModel::DataTypes(),
              (std::vector<std::string>{"Command", "Cluster User", "Cluster Node", "CT Network",
                                        "CT User", "Direct", "MIRC User", "Clusse User", "PassThru",
                                        "Spider User", "WSJT-X", "JSON Spots", "PSK Reporter"}));
}

TEST(PortSetupModelTest, SkimmerMerging_KeyTextWhenCheckedRefusedWhenMalformedOffForDirect) {
    PortSetupValues edited = ConnectedTelnet();
    edited.skimmerMerge = "5,0.25,1,10,mark";
    CPortSetupModel model(edited);
    EXPECT_TRUE(model.Field("SkimmerMerge").checked);
    EXPECT_EQ(model.Field("SkimmerMergeValues").text, "5,0.25,1,10,mark");
    PortSetupValues out;
    EXPECT_FALSE(model.Accept(out).has_value());
    EXPECT_EQ(out.skimmerMerge, "5,0.25,1,10,mark");

    CPortSetupModel fresh(NewPort("COM"));
    EXPECT_FALSE(fresh.Field("SkimmerMerge").checked);
    EXPECT_EQ(fresh.Field("SkimmerMergeValues").text, "10,0.5,2,3,hold");
    fresh.ChooseDataType("Cluster User");
    fresh.SetChecked("SkimmerMerge", true);
    fresh.SetText("SkimmerMergeValues", "10,wide,2,3,hold");
    const auto refusal = fresh.Accept(out);
    ASSERT_TRUE(refusal.has_value());
    EXPECT_EQ(refusal->key, "SkimmerMergeValues");
    EXPECT_EQ(refusal->message, "SkimmerMerge dropped, window kHz not a number: 10,wide,2,3,hold");
    fresh.ChooseDataType("Direct");
    EXPECT_FALSE(fresh.Field("SkimmerMerge").enabled);
    EXPECT_FALSE(fresh.Accept(out).has_value());
    EXPECT_EQ(out.skimmerMerge, "");
}
