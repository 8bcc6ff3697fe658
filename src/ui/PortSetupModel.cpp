#include "ui/PortSetupModel.h"

#include "port/PortKind.h"
#include "routing/DataType.h"
#include "routing/PskReporterRouter.h"
#include "routing/SkimmerMergeSetup.h"
#include "transport/ComPortList.h"
#include "ui/FieldCheck.h"

#include <algorithm>

namespace {

constexpr int NameChars = 31;

SetupField Edit(std::string key, std::string label, int id, std::string tip, int maxChars = 0) {
    SetupField f;
    f.key = std::move(key);
    f.label = std::move(label);
    f.controlId = id;
    f.tip = std::move(tip);
    f.maxChars = maxChars;
    return f;
}

SetupField Integer(std::string key, std::string label, int id, std::string tip,
                   std::string unit = {}) {
    SetupField f = Edit(std::move(key), std::move(label), id, std::move(tip));
    f.integer = true;
    f.unit = std::move(unit);
    return f;
}

SetupField List(std::string key, std::string label, int id, std::vector<std::string> choices,
                std::string tip) {
    SetupField f = Edit(std::move(key), std::move(label), id, std::move(tip));
    f.kind = SetupField::Kind::List;
    f.choices = std::move(choices);
    return f;
}

SetupField Check(std::string key, std::string label, int id, bool checked, std::string tip) {
    SetupField f = Edit(std::move(key), std::move(label), id, std::move(tip));
    f.kind = SetupField::Kind::Check;
    f.checked = checked;
    return f;
}

// "CR/LF" offers the line endings by name; the setup keeps their codes
// 0 to 3. Another stored code shows as its number and is kept.
const std::vector<std::string> kLineEndings = {"none", "CR", "LF", "CR LF"};

std::string LineEndingText(int code) {
    return code >= 0 && code < static_cast<int>(kLineEndings.size())
               ? kLineEndings[static_cast<std::size_t>(code)]
               : std::to_string(code);
}

int LineEndingCode(const std::string& text) {
    const auto at = std::find(kLineEndings.begin(), kLineEndings.end(), text);
    if (at != kLineEndings.end()) {
        return static_cast<int>(at - kLineEndings.begin());
    }
    int code = 0;
    CFieldCheck::Integer(text, code);
    return code;
}

// A list shows the value it was given even when it is not one of its
// entries (a log file stored as MASTER, a serial device path).
void ShowInList(SetupField& f) {
    if (f.kind == SetupField::Kind::List &&
        std::find(f.choices.begin(), f.choices.end(), f.text) == f.choices.end()) {
        f.choices.push_back(f.text);
    }
}

bool Contains(const std::vector<std::string>& names, const std::string& name) {
    return std::find(names.begin(), names.end(), name) != names.end();
}

} // namespace

const std::vector<std::string>& CPortSetupModel::DataTypes() {
    return ::DataTypes::DialogNames();
}

CPortSetupModel::CPortSetupModel(const PortSetupValues& values)
    : m_form(CPortKindForm::Of(values.kind)), m_mode(values.mode),
      m_existingNames(values.existingPortNames) {
    Build(values);
    ApplyOpeningRules(Contains(m_existingNames, "CON"));
}

void CPortSetupModel::Build(const PortSetupValues& v) {
    const bool isNew = m_mode == PortSetupMode::NewPort;

    m_fields = m_form.transportFields;
    for (auto& f : m_fields) {
        if (const std::string* given = v.Field(f.key)) {
            if (!isNew || !given->empty()) {
                f.text = *given;
            }
        }
    }

    SetupField name = Edit("Name", "Name", 1007,
                           "How the port is called in routes, menus and the status bar; each "
                           "port has its own name.",
                           NameChars);
    name.text = v.name.empty() && isNew ? m_form.kind->newName : v.name;
    SetupField tnc = List("IsTNC", "Is TNC", 1008, m_form.tncChoices,
                          "MASTER for a TNC with several streams, SLAVE for one of its streams, "
                          "FALSE for any other port.");
    tnc.text = v.isTnc.empty() ? "FALSE" : v.isTnc;
    SetupField sw = Edit("StreamSW", "Stream Switch/ID", 1009,
                         "The character that switches streams on a MASTER TNC.", 1);
    sw.text = v.streamSw;
    SetupField id = Edit("StreamID", "", 1012, "The stream of the TNC this SLAVE port is.", 2);
    id.text = v.streamId;
    SetupField buffer = Integer("BufferSize", "Buffer Size", 1010,
                                "Room for received bytes that wait to be routed; a line longer "
                                "than this is cut.",
                                "bytes");
    buffer.text = std::to_string(v.bufferSize);
    SetupField keepAlive = Integer("KeepAlive", "Keep Alive Time", 1011,
                                   "An empty line is sent after this many minutes without "
                                   "traffic, so that the peer keeps the link; 0 for never.",
                                   "minutes");
    keepAlive.text = std::to_string(v.keepAlive);
    SetupField dataType = List("DataType", "Port Data Type", 1018, DataTypes(),
                               "What the peer at the other end is: how lines are read from it "
                               "and written to it.");
    dataType.text =
        isNew && v.dataType.empty() ? ::DataTypes::Of(m_form.kind->newDataType).name : v.dataType;
    SetupField myCall =
        Edit("MyCall", "MyCall", 1017, "Your call, where the data type sends or checks one.", 16);
    myCall.text = v.myCall;
    SetupField hops = Edit("Hops", "Hops", 1016,
                           "The hop count put on what a node link passes on; greyed for data "
                           "types without one.");
    hops.text = v.hops;
    SetupField antiLoop = Edit("AntiLoopPx", "AntiLoop Px", 1027,
                               "A mark added to spots passed on, so that they are not taken "
                               "back in a loop.",
                               8);
    antiLoop.text = v.antiLoopPrefix;
    SetupField dupes = Integer("Dupes", "Dupes", 1028,
                               "How many recent spots are remembered to drop repeats (0 to "
                               "1000; 0 for no check).",
                               "spots");
    dupes.ranged = true;
    dupes.low = 0;
    dupes.high = 1000;
    dupes.text = std::to_string(v.dupes);
    SetupField repeat = Integer("PskRepeat", "Repeat After", 1029,
                                "A sender already spotted on the same band within this many "
                                "minutes is not spotted again (0 spots every report).",
                                "minutes");
    repeat.ranged = true;
    repeat.low = 0;
    repeat.high = CPskReporterRouter::MaxRepeatMinutes;
    repeat.text = std::to_string(v.pskRepeat);
    SetupField crlf = List("CRLF", "CR/LF", 1000, kLineEndings,
                           "What ends each line sent to the peer: nothing, CR, LF or CR LF.");
    crlf.text = LineEndingText(v.crlf);

    for (SetupField* f : {&name, &tnc, &sw, &id, &buffer, &keepAlive, &dataType, &myCall, &hops,
                          &antiLoop, &dupes, &repeat, &crlf}) {
        m_fields.push_back(std::move(*f));
    }
    m_fields.push_back(Check("BlockDashAt", "Block -@ spotters", 1065, v.blockDashAt,
                             "Drop spots whose spotter call ends in -@."));
    m_fields.push_back(Check("StripAtPound", "Strip -@ and -# from spotter call", 1064,
                             v.stripAtPound,
                             "Pass spots on with -@ and -# cut from the spotter's call."));
    m_fields.push_back(Check("OnlySkimmerCQ", "Only pass skimmer CQ spots", 1066, v.onlySkimmerCQ,
                             "Of the spots of skimmers, pass on only those that say CQ."));
    m_fields.push_back(Check("NodeHandshake", "Node handshake (answer the link's init frames)",
                             1067, v.nodeHandshake,
                             "Answer the init frames of a cluster node link, as a node does."));
    // Skimmer merging: the check box turns it on, the edit holds the key's
    // values (the defaults until the port has its own).
    m_fields.push_back(Check("SkimmerMerge", "Merge skimmer spots", 1068, !v.skimmerMerge.empty(),
                             "Hold spots of the same station from several skimmers and pass "
                             "them on as one."));
    SetupField merge = Edit("SkimmerMergeValues",
                            "Dwell s, window kHz, minimum, re-spot min, "
                            "hold|mark",
                            1069,
                            "Seconds to wait for more skimmers, the kHz that count as the same "
                            "frequency, the skimmers needed, the minutes before a re-spot, and "
                            "hold or mark for spots below the minimum.",
                            40);
    merge.text = v.skimmerMerge.empty() ? CSkimmerMergeSetup::Format({}) : v.skimmerMerge;
    m_fields.push_back(std::move(merge));
    // A log file only writes: a route from the console into it would put
    // every typed command into the log, so a new one starts without.
    const bool logFile = m_form.kind->code == PortKindCode::LogFile;
    m_fields.push_back(Check("AddConsoleRoutes", "Add Console Routes Automatically", 1020,
                             v.addConsoleRoutes && !(isNew && logFile),
                             "Route this port and CON both ways, so that what you type reaches "
                             "the port and what it receives shows at the console."));

    for (auto& f : m_fields) {
        if (f.key == "ComPort") {
            f.choices = ComPortList::Choices();
        }
    }
    for (auto& f : m_fields) {
        ShowInList(f);
    }
}

void CPortSetupModel::ApplyOpeningRules(bool consolePresent) {
    if (m_form.fixedName) {
        SetEnabled("Name", false);
    }
    if (!consolePresent) {
        SetEnabled("AddConsoleRoutes", false);
        Mutable("AddConsoleRoutes").checked = false;
    }
    if (m_mode == PortSetupMode::DisconnectedEdit) {
        SetEnabled("AddConsoleRoutes", false);
    }
    if (m_mode == PortSetupMode::ConnectedEdit) {
        SetEnabled("DataType", false);
        SetEnabled("AddConsoleRoutes", false);
        SetEnabled("IsTNC", false);
        SetReadOnly("Name", true);
        SetReadOnly("BufferSize", true);
        for (auto& f : m_fields) {
            if (f.transport) {
                if (m_form.lockByDisabling || f.kind != SetupField::Kind::Edit) {
                    f.enabled = false;
                } else {
                    f.readOnly = true;
                }
            }
        }
    }
    ApplyDataTypeRule();
    ApplyTncRule();
}

void CPortSetupModel::ApplyDataTypeRule() {
    // A name that is no data type (a damaged setup) leaves the router
    // fields as a type without options of its own has them.
    const DataType* type = ::DataTypes::Named(Field("DataType").text);
    const unsigned editable = type != nullptr ? type->dialog.editable : 0;
    const bool lineOptions = type == nullptr || type->dialog.lineOptions;
    SetReadOnly("Hops", (editable & RouterKey::HopsOut) == 0);
    SetReadOnly("MyCall", (editable & RouterKey::MyCall) == 0);
    SetReadOnly("AntiLoopPx", (editable & RouterKey::AntiLoopPrefix) == 0);
    const bool sends = type == nullptr || type->dialog.sends;
    SetReadOnly("Dupes", !lineOptions);
    SetEnabled("CRLF", lineOptions && sends);
    SetReadOnly("KeepAlive", !lineOptions);
    for (const char* key : {"Dupes", "KeepAlive", "BlockDashAt", "StripAtPound", "OnlySkimmerCQ"}) {
        SetEnabled(key, sends);
    }
    SetEnabled("NodeHandshake", (editable & RouterKey::NodeHandshake) != 0);
    SetEnabled("PskRepeat", type != nullptr && (type->keys & RouterKey::PskRepeat) != 0);
    m_filtersApply = type != nullptr && sends && (type->keys & RouterKey::Filter) != 0;
    const bool merges = type != nullptr && sends && (type->keys & RouterKey::SkimmerMerge) != 0;
    SetEnabled("SkimmerMerge", merges);
    SetEnabled("SkimmerMergeValues", merges);
}

void CPortSetupModel::ApplyTncRule() {
    const std::string& role = Field("IsTNC").text;
    SetReadOnly("StreamSW", true);
    SetReadOnly("StreamID", true);
    if (m_mode == PortSetupMode::NewPort) {
        SetEnabled("DataType", true);
    }
    if (role == "MASTER") {
        SetReadOnly("StreamSW", false);
        SetEnabled("DataType", false);
    } else if (role == "SLAVE") {
        SetReadOnly("StreamID", false);
        SetEnabled("DataType", false);
    }
}

void CPortSetupModel::ChooseDataType(const std::string& dataType) {
    Mutable("DataType").text = dataType;
    if (const DataType* type = ::DataTypes::Named(dataType)) {
        if (type->dialog.setsLineEnding) {
            Mutable("CRLF").text = LineEndingText(type->initialCrlf);
        }
        if (!type->dialog.lineOptions) {
            Mutable("KeepAlive").text = "0";
            Mutable("Dupes").text = "0";
            Mutable("IsTNC").text = "FALSE";
        }
    }
    ApplyDataTypeRule();
}

void CPortSetupModel::ChooseTnc(const std::string& role) {
    Mutable("IsTNC").text = role;
    if (role == "MASTER") {
        Mutable("DataType").text = ::DataTypes::Of(DataTypeCode::Direct).name;
        Mutable("CRLF").text = LineEndingText(1);
        ApplyDataTypeRule();
    } else if (role == "SLAVE") {
        Mutable("DataType").text = ::DataTypes::Of(DataTypeCode::Direct).name;
    }
    ApplyTncRule();
}

std::optional<CPortSetupModel::Refusal> CPortSetupModel::Accept(PortSetupValues& values) const {
    // Transfer and check every field in the order the dialog lists them:
    // General Port Setup, then the kind's own group.
    std::vector<const SetupField*> order;
    for (const auto& f : m_fields) {
        if (!f.transport) {
            order.push_back(&f);
        }
    }
    for (const auto& f : m_fields) {
        if (f.transport) {
            order.push_back(&f);
        }
    }
    for (const SetupField* f : order) {
        if (f->kind != SetupField::Kind::Edit) {
            continue;
        }
        if (auto problem = Refused(*f)) {
            return Refusal{f->key, *problem};
        }
    }
    const std::string& name = Field("Name").text;
    if (m_mode == PortSetupMode::NewPort && Contains(m_existingNames, name)) {
        return Refusal{"Name", "Duplicate port name.  Change the 'Name' in the 'General Port "
                               "Setup' setup and try again."};
    }
    if (Field("MyCall").text.empty()) {
        return Refusal{"MyCall", "MyCall must not be empty try again."};
    }
    std::string mergeProblem;
    if (Field("SkimmerMerge").checked && Field("SkimmerMerge").enabled &&
        !CSkimmerMergeSetup::Parse(Field("SkimmerMergeValues").text, "",
                                   [&mergeProblem](std::string_view line) {
                                       if (mergeProblem.empty()) {
                                           mergeProblem = line;
                                       }
                                   })) {
        return Refusal{"SkimmerMergeValues", mergeProblem};
    }

    auto integer = [this](const std::string& key) {
        int value = 0;
        CFieldCheck::Integer(Field(key).text, value);
        return value;
    };
    values.name = name;
    values.isTnc = Field("IsTNC").text;
    values.streamSw = Field("StreamSW").text;
    values.streamId = Field("StreamID").text;
    values.bufferSize = integer("BufferSize");
    values.keepAlive = integer("KeepAlive");
    values.dataType = Field("DataType").text;
    values.myCall = Field("MyCall").text;
    values.hops = Field("Hops").text;
    values.antiLoopPrefix = Field("AntiLoopPx").text;
    values.dupes = integer("Dupes");
    values.crlf = LineEndingCode(Field("CRLF").text);
    values.blockDashAt = Field("BlockDashAt").checked;
    values.stripAtPound = Field("StripAtPound").checked;
    values.onlySkimmerCQ = Field("OnlySkimmerCQ").checked;
    values.nodeHandshake = Field("NodeHandshake").checked;
    values.pskRepeat = integer("PskRepeat");
    values.skimmerMerge = Field("SkimmerMerge").checked && Field("SkimmerMerge").enabled
                              ? Field("SkimmerMergeValues").text
                              : std::string();
    values.addConsoleRoutes = Field("AddConsoleRoutes").checked;
    values.kindFields.clear();
    for (const auto& f : m_fields) {
        if (f.transport) {
            values.kindFields.emplace_back(f.key, f.text);
        }
    }
    return std::nullopt;
}

std::optional<std::string> CPortSetupModel::Refused(const SetupField& f) {
    // The framework's words first, as the program has always said them,
    // then which field and what it takes.
    const std::string& label = f.label;
    const std::string unit = f.unit.empty() ? std::string() : " of " + f.unit;
    int value = 0;
    if (f.ranged) {
        if (auto problem = CFieldCheck::IntegerInRange(f.text, f.low, f.high, value)) {
            return *problem + " " + label + " must be a whole number" + unit + " from " +
                   std::to_string(f.low) + " to " + std::to_string(f.high) + ".";
        }
    } else if (f.integer) {
        if (auto problem = CFieldCheck::Integer(f.text, value)) {
            return *problem + " " + label + " must be a whole number" + unit + ".";
        }
    } else if (f.maxChars > 0) {
        if (auto problem = CFieldCheck::MaxChars(f.text, f.maxChars)) {
            return problem->substr(0, problem->size() - 1) + " for " + label + ".";
        }
    }
    if (f.required && f.text.find_first_not_of(" \t") == std::string::npos) {
        return label + " must not be empty.";
    }
    return std::nullopt;
}

const SetupField& CPortSetupModel::Field(const std::string& key) const {
    for (const auto& f : m_fields) {
        if (f.key == key) {
            return f;
        }
    }
    return m_none;
}

SetupField& CPortSetupModel::Mutable(const std::string& key) {
    return const_cast<SetupField&>(Field(key));
}

void CPortSetupModel::SetText(const std::string& key, const std::string& text) {
    Mutable(key).text = text;
}

void CPortSetupModel::SetChecked(const std::string& key, bool checked) {
    Mutable(key).checked = checked;
}

void CPortSetupModel::SetReadOnly(const std::string& key, bool readOnly) {
    Mutable(key).readOnly = readOnly;
}

void CPortSetupModel::SetEnabled(const std::string& key, bool enabled) {
    Mutable(key).enabled = enabled;
}
