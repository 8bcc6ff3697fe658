#include "transport/OperatorNotice.h"

#include "platform/IPortView.h"
#include "platform/IUiServices.h"
#include "port/IPortHost.h"
#include "port/PortHandler.h"

void TellOperator(CPortHandler& port, const std::string& text) {
    port.PrintMessage(text);
    port.Host().Ui().MainView().AppendText(port.PortName + ": " + text + "\n");
}
