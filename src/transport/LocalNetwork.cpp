#include "transport/LocalNetwork.h"

#include <QNetworkInterface>

std::optional<LocalNetwork::Broadcast> LocalNetwork::FirstBroadcast() {
    for (const QNetworkInterface& interface : QNetworkInterface::allInterfaces()) {
        const QNetworkInterface::InterfaceFlags flags = interface.flags();
        if (!flags.testFlag(QNetworkInterface::IsUp) ||
            !flags.testFlag(QNetworkInterface::IsRunning) ||
            flags.testFlag(QNetworkInterface::IsLoopBack) ||
            !flags.testFlag(QNetworkInterface::CanBroadcast)) {
            continue;
        }
        for (const QNetworkAddressEntry& entry : interface.addressEntries()) {
            if (entry.ip().protocol() == QAbstractSocket::IPv4Protocol &&
                !entry.broadcast().isNull()) {
                return Broadcast{entry.ip().toString().toStdString(),
                                 entry.broadcast().toString().toStdString()};
            }
        }
    }
    return std::nullopt;
}
