#include "transport/HostResolver.h"

#include "platform/qt/QtHostLookup.h"

namespace {

IHostLookup* g_lookup = nullptr;

IHostLookup& Lookup() {
    static QtHostLookup system;
    return g_lookup != nullptr ? *g_lookup : system;
}

} // namespace

CHostResolver::CHostResolver() = default;

CHostResolver::~CHostResolver() {
    Cancel();
}

void CHostResolver::UseLookup(IHostLookup* lookup) {
    g_lookup = lookup;
}

std::optional<QHostAddress> CHostResolver::Dotted(const std::string& text) {
    QHostAddress address;
    if (!address.setAddress(QString::fromStdString(text)) ||
        address.protocol() != QAbstractSocket::IPv4Protocol) {
        return std::nullopt;
    }
    return address;
}

std::optional<QHostAddress> CHostResolver::Literal(const std::string& text) {
    if (text.find(':') == std::string::npos) {
        return Dotted(text);
    }
    QHostAddress address;
    if (!address.setAddress(QString::fromStdString(text))) {
        return std::nullopt;
    }
    // Every interface, so that IPv4 callers reach a port set to "::" too.
    return address == QHostAddress(QHostAddress::AnyIPv6) ? QHostAddress(QHostAddress::Any)
                                                          : address;
}

std::string CHostResolver::Endpoint(const QHostAddress& address, quint16 port) {
    const std::string number = ":" + std::to_string(port);
    if (address == QHostAddress(QHostAddress::Any)) {
        return "[::]" + number;
    }
    bool isV4 = false;
    const quint32 v4 = address.toIPv4Address(&isV4);
    if (isV4) {
        return QHostAddress(v4).toString().toStdString() + number;
    }
    return "[" + address.toString().toStdString() + "]" + number;
}

void CHostResolver::Resolve(const std::string& host, Done done) {
    Cancel();
    if (host.size() > MaxHostName) {
        done({});
        return;
    }
    if (std::optional<QHostAddress> literal = Literal(host)) {
        done({*literal});
        return;
    }
    m_lookupId =
        Lookup().Start(host, [this, done = std::move(done)](std::vector<std::string> texts) {
            m_lookupId = NoLookup;
            std::vector<QHostAddress> addresses;
            for (const std::string& text : texts) {
                QHostAddress address;
                if (address.setAddress(QString::fromStdString(text))) {
                    addresses.push_back(address);
                }
            }
            done(std::move(addresses));
        });
}

void CHostResolver::Cancel() {
    if (m_lookupId != NoLookup) {
        Lookup().Abort(m_lookupId);
        m_lookupId = NoLookup;
    }
}
