#include "NetNamespacePair.h"

#include <fcntl.h>
#include <sched.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

NetNamespacePair::NetNamespacePair(const std::string& addressA, const std::string& addressB) {
    const std::string id = std::to_string(::getpid());
    m_nameA = "swtestA" + id;
    m_nameB = "swtestB" + id;
    const std::string vethA = "swa" + id;
    const std::string vethB = "swb" + id;

    m_home = ::open("/proc/thread-self/ns/net", O_RDONLY | O_CLOEXEC);
    if (m_home < 0) {
        m_error = "cannot open the thread's own network namespace";
        return;
    }
    m_madeA = Run("ip netns add " + m_nameA);
    m_madeB = m_madeA && Run("ip netns add " + m_nameB);
    if (!m_madeB) {
        m_error = "'ip netns add' refused";
        return;
    }
    const bool linked =
        Run("ip link add " + vethA + " netns " + m_nameA + " type veth peer name " + vethB +
            " netns " + m_nameB) &&
        Run("ip -n " + m_nameA + " addr add " + addressA + "/24 brd + dev " + vethA) &&
        Run("ip -n " + m_nameB + " addr add " + addressB + "/24 brd + dev " + vethB) &&
        Run("ip -n " + m_nameA + " link set " + vethA + " up") &&
        Run("ip -n " + m_nameB + " link set " + vethB + " up") &&
        Run("ip -n " + m_nameA + " link set lo up") && Run("ip -n " + m_nameB + " link set lo up");
    if (!linked) {
        m_error = "cannot join the namespaces with a veth pair";
    }
}

NetNamespacePair::~NetNamespacePair() {
    Leave();
    if (m_madeB) {
        Run("ip netns del " + m_nameB);
    }
    if (m_madeA) {
        Run("ip netns del " + m_nameA);
    }
    if (m_home >= 0) {
        ::close(m_home);
    }
}

bool NetNamespacePair::Run(const std::string& command) {
    const std::string quiet = command + " >/dev/null 2>&1";
    return std::system(quiet.c_str()) == 0;
}

bool NetNamespacePair::Enter(const std::string& name) {
    const std::string path = "/var/run/netns/" + name;
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    const bool entered = ::setns(fd, CLONE_NEWNET) == 0;
    ::close(fd);
    return entered;
}

bool NetNamespacePair::Leave() {
    return m_home >= 0 && ::setns(m_home, CLONE_NEWNET) == 0;
}
