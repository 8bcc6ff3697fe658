#pragma once

// Shared pieces of the router tests: real wire lines of every source kind,
// and a rig of two fake ports (SRC routed to DST) whose routers are built by
// the factory, so that a line received on SRC can be followed to the bytes
// written on DST.

#include "port/PortHandler.h"
#include "routing/Router.h"
#include "routing/RouterFactory.h"
#include "setup/SetupFile.h"
#include "support/FakePortHost.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace rig {

using namespace std::string_literals;

// One spot (K1ABC spots DL1XYZ on 14025.0 at 1234, "cq cq") in every format.
inline const std::string UserSpot =
    "DX de K1ABC:     14025.0  DL1XYZ       cq cq                          1234Z";
inline const std::string ClusseSpot = "DX de K1ABC:     14025.0  DL1XYZ       1234Z cq cq";
inline const std::string NodeSpot = "PC11^14025.0^DL1XYZ^7-Dec-2026^1234Z^cq cq^K1ABC^NODE1^H5^~";
inline const std::string IrcSpotText =
    "K1ABC        14025.0 DL1XYZ       cq cq                       1234";
inline const std::string IrcSpot = ":K1ABC!k@irc.example PRIVMSG #CQDX :\x03"
                                   "1,15 " +
                                   IrcSpotText;
// A spot command typed at a console or a logger.
inline const std::string TypedSpot = "DX 14025.0 DL1XYZ up 2";

// Other traffic of each kind.
inline const std::string Talk = "G3XYZ de K1ABC: hello";
inline const std::string IrcTalk = ":K1ABC!k@irc.example PRIVMSG #CQDX :hello all";
inline const std::string NodeFrame = "PC51^NODE2^NODE1^1^";

// What DST (MyCall G4AAA, default prefix "  <", hops 99, CR LF) makes of the spot.
inline const std::string SpotterCommand = "DX/K1ABC 14025.0 DL1XYZ cq cq  <G4AAA\r\n";
inline const std::string PlainCommand = "DX 14025.0 DL1XYZ cq cq  <G4AAA\r\n";
inline const std::string Pc11 =
    "PC11^14025.0^DL1XYZ^7-Dec-2026^1234Z^cq cq  <G4AAA^K1ABC^G4AAA^H99^~\r\n";
inline const std::string IrcPost = "privmsg #CQDX :\x03"
                                   "1,15 " +
                                   IrcSpotText + "\r\n";

inline std::string Shown(const std::string& message) {
    return "DST: " + message + "\n";
}
inline const std::string FromPassThruRefused =
    Shown("Can't route to anything from PassThru except PassThru.");

// One row of a destination's matrix: what SRC (of the given data type)
// receives, and what DST writes on its link and shows in its window.
struct MatrixRow {
    const char* name;
    const char* source;
    std::string line;
    std::string written;
    std::string shown;
};

inline std::string RowName(const testing::TestParamInfo<MatrixRow>& info) {
    return info.param.name;
}

// A line of a Direct port as its router hands it to a destination.
inline Spot DirectLine(std::string_view line) {
    Spot spot;
    spot.source = SourceKind::Direct;
    spot.line = line;
    return spot;
}

// Builds the router of a data type for a port and returns it.
inline CRouter& Give(CPortHandler& port, const std::string& dataType) {
    port.SetRouter(RouterFactory::Create(dataType, port));
    EXPECT_NE(port.Router(), nullptr) << dataType;
    return *port.Router();
}

// The router of a data type read from a setup section, as the document
// loads it.
inline std::unique_ptr<CRouter> Load(DataTypeCode type, CSetupFile& setup, CPortHandler& port) {
    return RouterFactory::CreateFromSetup(static_cast<int>(type), setup, port);
}

class Rig {
  public:
    Rig(const std::string& source, const std::string& destinationType)
        : sourceType(source), src(host.AddPort("SRC")), dst(host.AddPort("DST")),
          srcRouter(Give(src, source)), dstRouter(Give(dst, destinationType)) {
        dstRouter.MyCall = destinationType == "MIRC User" ? "#CQDX" : "G4AAA";
        srcRouter.AddRoute(&dstRouter);
        src.ComeUp();
        dst.ComeUp();
        host.RouteAll();
    }

    // The line as SRC's transport would deliver it: a text line with CR, a
    // CT network packet with a checksum byte and LF, pass-through bytes as
    // they are. A line led by CR cannot come out of a ring buffer, and no
    // bytes make no pass-through input; SRC's router hands those on directly.
    void Feed(const std::string& line) {
        const bool passThru = sourceType == "PassThru";
        if ((!passThru && !line.empty() && line.front() == '\r') || (passThru && line.empty())) {
            srcRouter.Route(line);
            return;
        }
        std::string bytes = line;
        if (sourceType == "CT Network") {
            bytes += "\x80\n";
        } else if (!passThru) {
            bytes += "\r";
        }
        src.OnReceive(bytes.data(), static_cast<int>(bytes.size()));
        host.RouteAll();
    }

    const std::string& Shown() { return host.ViewOf(1).Text(); }

    FakePortHost host;
    std::string sourceType;
    FakePort& src;
    FakePort& dst;
    CRouter& srcRouter;
    CRouter& dstRouter;
};

inline void ExpectRow(const std::string& destinationType, const MatrixRow& row) {
    Rig r(row.source, destinationType);
    r.Feed(row.line);
    EXPECT_EQ(r.dst.written, row.written);
    EXPECT_EQ(r.Shown(), row.shown);
    EXPECT_EQ(r.src.written, "");
}

// Setup-file lines: a writer into a string, and a reader over text.
inline std::string Saved(const CRouter& router) {
    std::string text;
    CSetupFile writer([&text](std::string_view line) { text += line; });
    router.Save(writer);
    return text;
}

inline std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::string line;
    for (const char c : text) {
        if (c == '\n') {
            lines.push_back(line);
            line.clear();
        } else {
            line += c;
        }
    }
    return lines;
}

} // namespace rig
