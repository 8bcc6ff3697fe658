#include "transport/WebApi.h"

#include "platform/CommandIds.h"
#include "platform/IClock.h"
#include "port/IPortHost.h"
#include "port/PortHandler.h"
#include "routing/Router.h"
#include "routing/SkimmerMerger.h"
#include "setup/SetupFile.h"
#include "text/AsciiText.h"
#include "text/JsonText.h"
#include "transport/WebSpotStore.h"

#include <algorithm>
#include <charconv>
#include <cstddef>
#include <vector>

namespace {

// The token compared in a time that does not tell how much of it matched.
bool SameToken(std::string_view given, std::string_view token) {
    unsigned char differ = given.size() == token.size() ? 0 : 1;
    for (std::size_t i = 0; i < given.size(); ++i) {
        differ |= static_cast<unsigned char>(given[i] ^ token[i % token.size()]);
    }
    return differ == 0;
}

bool ParseCount(std::string_view text, std::size_t& value) {
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc() && end == text.data() + text.size();
}

std::string KindOf(const CPortHandler& port) {
    std::string line;
    CSetupFile writer([&line](std::string_view text) { line += text; });
    port.SavePortType(writer);
    // "PortType=TEL\n"
    const std::size_t equals = line.find('=');
    const std::size_t end = line.find_first_of("\r\n");
    return equals == std::string::npos ? std::string() : line.substr(equals + 1, end - equals - 1);
}

struct PortFigures {
    std::string name;
    std::string kind;
    std::string type;
    bool connected = false;
    int callers = 0;
    std::uint64_t linesIn = 0;
    std::uint64_t linesOut = 0;
    long long passed = 0;
    long long filtered = 0;
    long long dupes = 0;
    std::uint64_t merged = 0;
    std::size_t queued = 0;
};

PortFigures FiguresOf(const CPortHandler& port) {
    PortFigures f;
    f.name = port.PortName;
    f.kind = KindOf(port);
    f.connected = port.IsConnected();
    f.callers = port.Callers();
    f.linesIn = port.LinesIn();
    f.linesOut = port.LinesOut();
    f.queued = port.QueuedBytes();
    if (const CRouter* router = port.Router(); router != nullptr) {
        f.type = router->Type().name;
        f.passed = router->Counts().passed;
        f.filtered = router->Counts().filtered;
        f.dupes = router->Counts().dupes;
        if (const CSkimmerMerger* merger = router->Merger(); merger != nullptr) {
            f.merged = merger->Counts().spotsOut;
        }
    }
    return f;
}

// A label value of the text format: backslash, quote and line feed escaped.
std::string LabelValue(std::string_view text) {
    std::string out;
    for (char c : text) {
        if (c == '\\' || c == '"') {
            out += '\\';
            out += c;
        } else if (c == '\n') {
            out += "\\n";
        } else {
            out += c;
        }
    }
    return out;
}

} // namespace

CWebApi::CWebApi(CWebSpotStore& store, IPortHost& host, const Access& access)
    : m_store(store), m_host(host), m_access(access), m_started(host.Clock().NowSeconds()) {}

bool CWebApi::Allowed(const HttpRequest& request, bool loopback, bool control,
                      HttpResponse& response) const {
    const std::string given = request.Token();
    const bool tokenSet = !m_access.token.empty();
    const bool holds = tokenSet && SameToken(given, m_access.token);
    bool allowed = false;
    if (tokenSet && !given.empty() && !holds) {
        allowed = false;
    } else if (control) {
        allowed = holds || loopback;
    } else {
        allowed = !tokenSet || holds || m_access.publicRead;
    }
    if (!allowed) {
        response.Set(401, "{\"error\":\"a valid token is needed\"}");
        response.headers.emplace_back("WWW-Authenticate", "Bearer");
    }
    return allowed;
}

void CWebApi::Answer(const HttpRequest& request, bool loopback, HttpResponse& response) {
    const std::string_view path = request.path;
    const bool read = request.method == "GET" || request.method == "HEAD";
    constexpr std::string_view PortsPrefix = "/ports/";
    if (request.method == "POST" && path.substr(0, PortsPrefix.size()) == PortsPrefix) {
        if (Allowed(request, loopback, true, response)) {
            Command(path.substr(PortsPrefix.size()), response);
        }
        return;
    }
    if (!read) {
        response.Set(405, "{\"error\":\"method not allowed\"}");
        response.headers.emplace_back("Allow", "GET, HEAD");
        return;
    }
    if (!Allowed(request, loopback, false, response)) {
        return;
    }
    m_store.Expire(m_host.Clock().NowSeconds());
    if (path == "/" || path == "/index.html") {
        response.Set(200, std::string(WebPageHtml()), "text/html; charset=utf-8");
        response.headers.emplace_back("Cache-Control", "no-cache");
    } else if (path == "/spots" || path == "/spots/") {
        Spots(request, {}, response);
    } else if (path.find("..") != std::string_view::npos ||
               std::count(path.begin(), path.end(), '/') > 2) {
        // No endpoint has a ".." or more than two steps; no file is served.
        response.Set(404, "{\"error\":\"not found\"}");
    } else if (path.substr(0, 7) == "/spots/") {
        Spots(request, path.substr(7), response);
    } else if (path.substr(0, 6) == "/spot/") {
        OneSpot(request, path.substr(6), response);
    } else if (path == "/ws") {
        if (ascii::EqualsIgnoringCase(request.Header("upgrade"), "websocket")) {
            response.status = 101;
        } else {
            response.Set(400, "{\"error\":\"a WebSocket upgrade is expected\"}");
        }
    } else if (path == "/ports") {
        response.Set(200, PortsJson(m_host));
        response.headers.emplace_back("Cache-Control", "no-store");
    } else if (path == "/health") {
        response.Set(200, HealthJson(m_store, m_host.Clock().NowSeconds() - m_started));
        response.headers.emplace_back("Cache-Control", "no-store");
    } else if (path == "/metrics") {
        response.Set(200, Metrics(m_host), "text/plain; version=0.0.4");
    } else {
        response.Set(404, "{\"error\":\"not found\"}");
    }
}

bool CWebApi::NotModified(const HttpRequest& request, HttpResponse& response) const {
    const std::string tag = "\"" + std::to_string(m_store.Version()) + "\"";
    response.headers.emplace_back("ETag", tag);
    response.headers.emplace_back("Cache-Control", "no-cache");
    if (request.Header("if-none-match") == tag) {
        response.status = 304;
        return true;
    }
    return false;
}

void CWebApi::Spots(const HttpRequest& request, std::string_view band, HttpResponse& response) {
    CWebSpotStore::Query query;
    if (!ascii::EqualsIgnoringCase(band, "all")) {
        query.band = band;
    }
    query.mode = request.Param("mode");
    query.since = request.Param("since");
    if (request.HasParam("limit") && !ParseCount(request.Param("limit"), query.limit)) {
        response.Set(400, "{\"error\":\"limit is not a number\"}");
        return;
    }
    if (!NotModified(request, response)) {
        response.body = m_store.Array(query);
    }
}

void CWebApi::OneSpot(const HttpRequest& request, std::string_view kHz, HttpResponse& response) {
    double value = 0;
    const auto [end, error] = std::from_chars(kHz.data(), kHz.data() + kHz.size(), value);
    if (error != std::errc() || end != kHz.data() + kHz.size()) {
        response.Set(400, "{\"error\":\"the frequency is not a number of kHz\"}");
        return;
    }
    if (NotModified(request, response)) {
        return;
    }
    if (const CWebSpotStore::Entry* entry = m_store.Nearest(value); entry != nullptr) {
        response.body = entry->json;
    } else {
        response.Set(404, "{}");
    }
}

// "<name>/connect" or "<name>/disconnect"
void CWebApi::Command(std::string_view rest, HttpResponse& response) {
    const std::size_t slash = rest.rfind('/');
    const std::string_view name = rest.substr(0, slash);
    const std::string_view verb = slash == std::string_view::npos ? "" : rest.substr(slash + 1);
    if (verb != "connect" && verb != "disconnect") {
        response.Set(404, "{\"error\":\"not found\"}");
        return;
    }
    for (CPortHandler* port : m_host.PortList()) {
        if (port->PortName == name) {
            m_host.PostPortCommand(*port, verb == "connect" ? PortCommand::Connect
                                                            : PortCommand::Disconnect);
            response.Set(204, "");
            return;
        }
    }
    response.Set(404, "{\"error\":\"no such port\"}");
}

std::string CWebApi::HealthJson(const CWebSpotStore& store, std::int64_t uptimeSeconds) {
    return "{\"status\":\"ok\",\"uptime\":" + std::to_string(uptimeSeconds) +
           ",\"spots\":" + std::to_string(store.Size()) + "}";
}

// [{"name":"CON","kind":"CON","type":"Command","connected":true,"callers":0,
//   "linesIn":0,"linesOut":0,"passed":0,"filtered":0,"dupes":0,"merged":0,
//   "queued":0,"lines":["CON: Port connected"]}]
std::string CWebApi::PortsJson(const IPortHost& host) {
    std::string out = "[";
    for (const CPortHandler* port : host.PortList()) {
        const PortFigures f = FiguresOf(*port);
        if (out.size() > 1) {
            out += ',';
        }
        out += "{\"name\":";
        AppendJsonString(out, f.name);
        out += ",\"kind\":";
        AppendJsonString(out, f.kind);
        out += ",\"type\":";
        AppendJsonString(out, f.type);
        out += ",\"connected\":";
        out += f.connected ? "true" : "false";
        out += ",\"callers\":" + std::to_string(f.callers);
        out += ",\"linesIn\":" + std::to_string(f.linesIn);
        out += ",\"linesOut\":" + std::to_string(f.linesOut);
        out += ",\"passed\":" + std::to_string(f.passed);
        out += ",\"filtered\":" + std::to_string(f.filtered);
        out += ",\"dupes\":" + std::to_string(f.dupes);
        out += ",\"merged\":" + std::to_string(f.merged);
        out += ",\"queued\":" + std::to_string(f.queued);
        out += ",\"lines\":[";
        bool first = true;
        for (const std::string& line : port->WindowTail()) {
            if (!first) {
                out += ',';
            }
            first = false;
            AppendJsonString(out, line);
        }
        out += "]}";
    }
    out += ']';
    return out;
}

// # TYPE spotweaver_lines_in_total counter
// spotweaver_lines_in_total{port="CLUSTER",kind="TEL"} 1234
std::string CWebApi::Metrics(const IPortHost& host) {
    struct Metric {
        const char* name;
        const char* type;
        const char* help;
        long long (*value)(const PortFigures&);
    };
    static constexpr Metric Metrics[] = {
        {"spotweaver_lines_in_total", "counter", "Lines the port handed to its router.",
         [](const PortFigures& f) { return static_cast<long long>(f.linesIn); }},
        {"spotweaver_lines_out_total", "counter", "Texts the port sent.",
         [](const PortFigures& f) { return static_cast<long long>(f.linesOut); }},
        {"spotweaver_spots_passed_total", "counter", "Spots that went out on the port.",
         [](const PortFigures& f) { return static_cast<long long>(f.passed); }},
        {"spotweaver_spots_filtered_total", "counter", "Spots the port's filter held back.",
         [](const PortFigures& f) { return static_cast<long long>(f.filtered); }},
        {"spotweaver_spots_dupes_total", "counter", "Spots the port's dupe table dropped.",
         [](const PortFigures& f) { return static_cast<long long>(f.dupes); }},
        {"spotweaver_spots_merged_total", "counter", "Merged skimmer spots the port sent.",
         [](const PortFigures& f) { return static_cast<long long>(f.merged); }},
        {"spotweaver_callers", "gauge", "Callers or streams connected to the port.",
         [](const PortFigures& f) { return static_cast<long long>(f.callers); }},
        {"spotweaver_write_queue_bytes", "gauge", "Bytes the port's peers have not taken.",
         [](const PortFigures& f) { return static_cast<long long>(f.queued); }},
        {"spotweaver_connected", "gauge", "1 while the port is connected.",
         [](const PortFigures& f) { return f.connected ? 1LL : 0LL; }},
    };
    std::vector<PortFigures> figures;
    for (const CPortHandler* port : host.PortList()) {
        figures.push_back(FiguresOf(*port));
    }
    std::string out;
    for (const Metric& metric : Metrics) {
        out += std::string("# HELP ") + metric.name + " " + metric.help + "\n";
        out += std::string("# TYPE ") + metric.name + " " + metric.type + "\n";
        for (const PortFigures& f : figures) {
            out += std::string(metric.name) + "{port=\"" + LabelValue(f.name) + "\",kind=\"" +
                   LabelValue(f.kind) + "\"} " + std::to_string(metric.value(f)) + "\n";
        }
    }
    return out;
}
