#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

// One answer of the web port, written as HTTP/1.1:
//
//   HTTP/1.1 200 OK\r\n
//   Content-Type: application/json\r\n
//   Content-Length: 2\r\n
//   Cache-Control: no-cache\r\n
//   \r\n
//   []
struct HttpResponse {
    int status = 200;
    std::string contentType = "application/json";
    std::string body;
    std::vector<std::pair<std::string, std::string>> headers;
    // The connection ends after this answer.
    bool close = false;

    void Set(int code, std::string text, std::string type = "application/json");
    // The whole answer; a HEAD request gets it without the body.
    std::string Text(bool withBody = true) const;
    static std::string_view Reason(int status);
};
