#include "transport/HostResolver.h"

#include <QHostInfo>
#include <QObject>

CHostResolver::CHostResolver(QObject& context) : m_context(context) {}

CHostResolver::~CHostResolver() {
    Cancel();
}

std::optional<QHostAddress> CHostResolver::Dotted(const std::string& text) {
    QHostAddress address;
    if (!address.setAddress(QString::fromStdString(text)) ||
        address.protocol() != QAbstractSocket::IPv4Protocol) {
        return std::nullopt;
    }
    return address;
}

std::string CHostResolver::Endpoint(const QHostAddress& address, quint16 port) {
    bool isV4 = false;
    const quint32 v4 = address.toIPv4Address(&isV4);
    const std::string text =
        isV4 ? QHostAddress(v4).toString().toStdString() : address.toString().toStdString();
    return (isV4 ? text : "[" + text + "]") + ":" + std::to_string(port);
}

void CHostResolver::Resolve(const std::string& host, Done done) {
    Cancel();
    if (host.size() > MaxHostName) {
        done(std::nullopt);
        return;
    }
    if (std::optional<QHostAddress> dotted = Dotted(host)) {
        done(dotted);
        return;
    }
    m_lookupId = QHostInfo::lookupHost(
        QString::fromStdString(host), &m_context,
        [this, done = std::move(done)](const QHostInfo& info) { Answer(info, done); });
}

void CHostResolver::Answer(const QHostInfo& info, const Done& done) {
    if (info.lookupId() != m_lookupId) {
        return;
    }
    m_lookupId = NoLookup;
    if (info.error() == QHostInfo::NoError) {
        for (const QHostAddress& address : info.addresses()) {
            if (address.protocol() == QAbstractSocket::IPv4Protocol) {
                done(address);
                return;
            }
        }
    }
    done(std::nullopt);
}

void CHostResolver::Cancel() {
    if (m_lookupId != NoLookup) {
        QHostInfo::abortHostLookup(m_lookupId);
        m_lookupId = NoLookup;
    }
}
