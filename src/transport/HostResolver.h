#pragma once

#include <QHostAddress>

#include <functional>
#include <optional>
#include <string>
#include <vector>

class IHostLookup;

// Turns a port's host text into the addresses to try, without blocking the
// loop.
//
// An address literal (dotted IPv4, or IPv6 such as "::1") is used as it
// stands and answered at once; "::" stands for every interface, IPv6 and
// IPv4. Anything else is looked up by name in the background and answered
// with every address found, IPv6 and IPv4, in the system's order, later, on
// the loop. A text longer than a host name may be (127 characters) or a
// name that yields no address is answered with none. Only the latest
// request is answered; Cancel or the resolver's destruction drops a pending
// one.
class CHostResolver {
  public:
    static constexpr std::size_t MaxHostName = 127;
    using Done = std::function<void(std::vector<QHostAddress>)>;

    CHostResolver();
    ~CHostResolver();

    CHostResolver(const CHostResolver&) = delete;
    CHostResolver& operator=(const CHostResolver&) = delete;

    void Resolve(const std::string& host, Done done);
    void Cancel();
    bool IsPending() const { return m_lookupId != NoLookup; }

    // The IPv4 address of a dotted text ("10.0.0.100"), or none.
    static std::optional<QHostAddress> Dotted(const std::string& text);
    // A dotted IPv4 or an IPv6 literal, or none.
    static std::optional<QHostAddress> Literal(const std::string& text);
    // "10.0.0.100:7300", "[2001:db8::1]:7300"; an IPv4 caller seen on an
    // IPv6 socket in the IPv4 form.
    static std::string Endpoint(const QHostAddress& address, quint16 port);

    // The look-up every resolver uses from now on; null restores the
    // system's. Tests answer names from a table this way.
    static void UseLookup(IHostLookup* lookup);

  private:
    static constexpr int NoLookup = -1;

    int m_lookupId = NoLookup;
};
