#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// One HTTP/1.1 request head as the web port reads it:
//
//   GET /spots/20m?limit=10&mode=CW HTTP/1.1\r\n
//   Host: shack:8073\r\n
//   If-None-Match: "42"\r\n
//   \r\n
//
// The head must arrive whole within MaxHead bytes; a longer one is refused
// (413) before it is held. A request with a body is refused too: no
// endpoint takes one. Header names are kept in lower case.
struct HttpRequest {
    enum class State { More, Done, TooLarge, Bad };
    static constexpr std::size_t MaxHead = 8192;

    std::string method;
    std::string path;  // percent-decoded, without the query
    std::string query; // as sent, after '?'
    std::vector<std::pair<std::string, std::string>> headers;
    // Bytes of the head, the blank line included.
    std::size_t headLength = 0;

    // Reads a head from the start of buffered. More: the blank line has not
    // come yet and the head may still fit.
    State Parse(std::string_view buffered);

    // The value of a header (name in lower case); empty when absent.
    std::string_view Header(std::string_view name) const;
    // A query parameter, percent-decoded; empty when absent.
    std::string Param(std::string_view name) const;
    bool HasParam(std::string_view name) const;
    // The token the request carries: "Authorization: Bearer t" or
    // "?token=t"; empty when none.
    std::string Token() const;

  private:
    bool FindParam(std::string_view name, std::string_view& value) const;
};
