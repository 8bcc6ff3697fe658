#pragma once

#include <QHostAddress>

#include <functional>
#include <optional>
#include <string>

class QHostInfo;
class QObject;

// Turns a port's host text into one IPv4 address without blocking the loop.
//
// A dotted address is used as it stands and answered at once; anything else
// is looked up by name in the background and answered with the first IPv4
// address found, later, on the loop. A text longer than a host name may be
// (127 characters) or one that yields no IPv4 address is answered with none.
// Only the latest request is answered; Cancel or the context's destruction
// drops a pending one.
class CHostResolver {
public:
    static constexpr std::size_t MaxHostName = 127;
    using Done = std::function<void(std::optional<QHostAddress>)>;

    // Answers are delivered on context's thread; none after it is destroyed.
    explicit CHostResolver(QObject& context);
    ~CHostResolver();

    CHostResolver(const CHostResolver&) = delete;
    CHostResolver& operator=(const CHostResolver&) = delete;

    void Resolve(const std::string& host, Done done);
    void Cancel();
    bool IsPending() const { return m_lookupId != NoLookup; }

    // The IPv4 address of a dotted text ("10.0.0.100"), or none.
    static std::optional<QHostAddress> Dotted(const std::string& text);
    // "10.0.0.100:7300", "[2001:db8::1]:7300"; an IPv4 caller seen on an
    // IPv6 socket in the IPv4 form.
    static std::string Endpoint(const QHostAddress& address, quint16 port);

private:
    static constexpr int NoLookup = -1;

    void Answer(const QHostInfo& info, const Done& done);

    QObject& m_context;
    int m_lookupId = NoLookup;
};
