#pragma once

#include "document/PortEntry.h"

#include <string>
#include <vector>

class CPortHandler;
class CSetupFile;
class IPortFactory;
class IPortHost;
class IUiServices;

// Builds the ports, routers, routes and window layout of a setup from the
// lines of its file, loading what it can; no port is connected.
//
// The reader is strictly sequential, so what cannot be loaded is skipped in
// whole sections, each rejection said once in the main window and in a
// message box:
// - a negative NumberOfPorts loads no ports;
// - a port section whose PortType is of no known kind, a section past the
//   32nd, and a port whose InputType is no data type are skipped from their
//   first line up to the next "PortType" or "Trace" line; the other ports
//   keep their numbers, and routes or traces naming a skipped port are
//   dropped;
// - a file that ends inside a port section keeps the ports before it and
//   loads no routes; a port is never built from part of its section;
// - route sections are read while "Trace" and "Port" lines follow, so a
//   section with a line too few or too many is reported and the reader stays
//   in step; numbers outside 0..N are dropped;
// - a layout block cut short is not applied; lines left after the layout are
//   reported.
//
// Collaborators: the UI services (port windows, main window placement and
// layout, messages); the port factory of the transports; the router factory;
// the document, which hosts the ports built and owns the list they join.
class CSetupLoader {
  public:
    // Each port joins ports as soon as its section is loaded, so the
    // document's running tick sees every port built so far.
    CSetupLoader(IUiServices& ui, IPortFactory& factory, IPortHost& host,
                 std::vector<PortEntry>& ports);

    // The font lines, where the file has them, set the three font values.
    void Load(const std::vector<std::string>& lines, int& fontSize, int& fontWeight,
              std::string& fontFace);

    // The kind of a stored "PortType" by its leading characters, or empty.
    static std::string KindOfPortType(const std::string& portType);

  private:
    // One port section; false when the file ended inside it. sections gets
    // the port built, or null for a section that was skipped.
    bool LoadPortSection(CSetupFile& setup, int number, std::vector<CPortHandler*>& sections);
    void SkipPortSection(CSetupFile& setup);
    // False when the rest of the file is not to be read.
    bool LoadRoutes(CSetupFile& setup, const std::vector<CPortHandler*>& sections);
    // How route sections number the ports of a setup of count sections,
    // of which only the first MaxPorts load.
    static std::string Numbering(int count);
    void LoadWindowLayout(CSetupFile& setup);
    void RejectUnreadLines(CSetupFile& setup);
    // A port built from a section that is then not loaded after all.
    void Discard(PortEntry entry);
    void Print(const std::string& text);
    // A part of the setup file that could not be loaded: said in the main
    // window and in a message box.
    void Reject(const std::string& text);

    IUiServices& m_ui;
    IPortFactory& m_factory;
    IPortHost& m_host;
    std::vector<PortEntry>& m_ports;
};
