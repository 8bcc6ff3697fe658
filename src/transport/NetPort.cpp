#include "transport/NetPort.h"

#include "platform/IUiServices.h"
#include "port/IPortHost.h"
#include "port/PortSetupValues.h"
#include "setup/SetupFile.h"

bool CNetPort::SetupNewPort() {
    PortSetupValues values;
    FillNewPortValues(values);
    Kind().DescribeNew(values);
    values.kindFields = KindFields();
    if (!Host().Ui().RunPortSetupDialog(values)) {
        return false;
    }
    ApplyKindFields(values);
    ApplyNewPortValues(values);
    return true;
}

bool CNetPort::EditSetup() {
    PortSetupValues values;
    FillSetupValues(values);
    Kind().Describe(values);
    values.kindFields = KindFields();
    if (!Host().Ui().RunPortSetupDialog(values)) {
        return false;
    }
    // The transport fields are read-only while connected; the port may also
    // have come up while the dialog was open.
    if (values.mode == PortSetupMode::DisconnectedEdit && !IsConnected()) {
        ApplyKindFields(values);
    }
    ApplyEditValues(values);
    return true;
}

void CNetPort::SavePortType(CSetupFile& setup) const {
    setup.PutString("PortType", Kind().portType);
}

std::uint16_t CNetPort::PortNumberOf(std::string_view text) {
    return PortNumberOf(CSetupFile::ToInt(text));
}

std::string CNetPort::FieldOf(const PortSetupValues& values, const std::string& key,
                              const std::string& fallback) {
    const std::string* field = values.Field(key);
    return field != nullptr ? *field : fallback;
}
