#include "platform/qt/QtHostLookup.h"

#include <QHostInfo>

QtHostLookup::QtHostLookup() = default;

QtHostLookup::~QtHostLookup() {
    for (const auto& [id, done] : m_pending) {
        QHostInfo::abortHostLookup(id);
    }
}

IHostLookup::Id QtHostLookup::Start(const std::string& name, Done done) {
    const int id = QHostInfo::lookupHost(QString::fromStdString(name), &m_context,
                                         [this](const QHostInfo& info) { Answer(info); });
    m_pending.emplace(id, std::move(done));
    return id;
}

void QtHostLookup::Abort(Id id) {
    if (m_pending.erase(id) != 0) {
        QHostInfo::abortHostLookup(id);
    }
}

void QtHostLookup::Answer(const QHostInfo& info) {
    const auto it = m_pending.find(info.lookupId());
    if (it == m_pending.end()) {
        return;
    }
    const Done done = std::move(it->second);
    m_pending.erase(it);
    std::vector<std::string> addresses;
    if (info.error() == QHostInfo::NoError) {
        for (const QHostAddress& address : info.addresses()) {
            addresses.push_back(address.toString().toStdString());
        }
    }
    done(std::move(addresses));
}
