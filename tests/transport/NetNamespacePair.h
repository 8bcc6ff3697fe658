#pragma once

#include <string>

// Two hosts for one test: network namespaces "A" and "B" joined by a veth
// pair, with one IPv4 address each on a /24 with its broadcast address.
//
// The calling thread can step into either namespace: a socket made there
// stays there when the thread steps back, so one test can hold stations on
// both hosts. Everything is removed again on destruction. Making the pair
// needs the right to create namespaces; Ok() tells, Error() says why not.
class NetNamespacePair {
  public:
    NetNamespacePair(const std::string& addressA, const std::string& addressB);
    ~NetNamespacePair();

    NetNamespacePair(const NetNamespacePair&) = delete;
    NetNamespacePair& operator=(const NetNamespacePair&) = delete;

    bool Ok() const { return m_error.empty(); }
    const std::string& Error() const { return m_error; }

    bool EnterA() { return Enter(m_nameA); }
    bool EnterB() { return Enter(m_nameB); }
    // Back to the namespace the thread started in.
    bool Leave();

  private:
    bool Run(const std::string& command);
    bool Enter(const std::string& name);

    std::string m_nameA;
    std::string m_nameB;
    int m_home = -1;
    bool m_madeA = false;
    bool m_madeB = false;
    std::string m_error;
};
