#pragma once

#include <functional>
#include <string>
#include <vector>

class CPortHandler;
class CRouter;
class IPortHost;

// What the Route Setup dialog does, without its widgets: adds and removes
// routes (one way or both ways) and traces between ports named in its two
// lists, and shows the route table as text:
//
//   CON=>TEL1 NODE  \r\n
//   TEL1=>[Trace=LOG]CON   \r\n
//
// Ports are found by exact name over the whole port list; when two ports
// share a name the last one wins. A failed look-up is reported in a message
// box and changes nothing. Every change (and every trace command, even a
// failed one) marks the document modified through the given callback.
//
// Collaborators: the document through IPortHost (port list, message boxes),
// the routers of the ports.
class CRouteSetupModel {
  public:
    explicit CRouteSetupModel(IPortHost& host, std::function<void()> markModified = {});

    // Every port's name in port order, as both lists show them.
    std::vector<std::string> PortNames() const;

    // One route or trace of the table: spots of from go to to.
    struct Row {
        std::string from;
        std::string to;
        bool trace = false;
        bool operator==(const Row&) const = default;
    };
    // The table one route per row, in port order: each port's trace first,
    // then its routes.
    std::vector<Row> Rows() const;

    // Each returns true when the display must be rebuilt (the document was
    // marked modified). A route from a port to itself is refused: it would
    // send every line back where it came from.
    bool AddRoute(const std::string& from, const std::string& to, bool twoWay);
    bool RemoveRoute(const std::string& from, const std::string& to, bool twoWay);
    bool AddTrace(const std::string& from, const std::string& to);
    bool RemoveTrace(const std::string& from);

    std::string DisplayText() const;
    bool IsModified() const { return m_modified; }

  private:
    CPortHandler* FindPort(const std::string& name) const;
    CRouter* FindRouter(const std::string& name) const;
    void MarkModified();

    IPortHost& m_host;
    std::function<void()> m_markModified;
    bool m_modified = false;
};
