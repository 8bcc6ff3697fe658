#pragma once

#include "routing/DataType.h"

#include <cstddef>
#include <span>
#include <string_view>

struct PortSetupValues;

// The port kinds built into this program, in the order their rows stand:
// the order a stored "PortType" is tried in and Setup > Add New lists them.
enum class PortKindCode { Console, Com, Telnet, Broadcast, RxTelnet, LogFile, Wsjtx, Web, Mqtt };

// One port kind: what the document, the menus, the setup dialog and the
// transports share about it. Only its transport class (built by the
// transport factory) and its dialog page (the transport controls) live
// elsewhere, on the floors that own them.
struct PortKind {
    PortKindCode code;
    // The "PortType" line that opens its port section; a stored value is
    // recognised by its first `compared` characters. The factory and the
    // dialog know the kind by this text.
    const char* portType;
    std::size_t compared;
    // Setup > Add New: the kind's name with its mnemonic, the prompt and the
    // command.
    const char* menuItem;
    const char* prompt;
    int command;
    // What a new port of the kind is called and routes as.
    const char* newName;
    DataTypeCode newDataType;
    // The keys every section of the kind holds after the common block, in
    // the order the transport reads and writes them. Optional keys that it
    // writes only when they differ from their defaults follow them.
    std::span<const char* const> keys;

    // The dialog's values for a port of this kind; for a new port also its
    // name (newName, or LOG2, LOG3 ... when the existing ports have it) and
    // data type.
    void Describe(PortSetupValues& values) const;
    void DescribeNew(PortSetupValues& values) const;
};

namespace PortKinds {

// The row of a code; every code has one.
const PortKind& Of(PortKindCode code);
std::span<const PortKind> All();
// The kind whose "PortType" is exactly this text; null for none.
const PortKind* Named(std::string_view portType);
// The first kind whose prefix a stored "PortType" starts with; null for
// none.
const PortKind* OfPortType(std::string_view portType);
// The kind that a Setup > Add New command adds; null for other commands.
const PortKind* OfCommand(int id);

} // namespace PortKinds
