#include "transport/HttpResponse.h"

void HttpResponse::Set(int code, std::string text, std::string type) {
    status = code;
    body = std::move(text);
    contentType = std::move(type);
}

std::string_view HttpResponse::Reason(int status) {
    switch (status) {
    case 101:
        return "Switching Protocols";
    case 200:
        return "OK";
    case 204:
        return "No Content";
    case 304:
        return "Not Modified";
    case 400:
        return "Bad Request";
    case 401:
        return "Unauthorized";
    case 403:
        return "Forbidden";
    case 404:
        return "Not Found";
    case 405:
        return "Method Not Allowed";
    case 408:
        return "Request Timeout";
    case 413:
        return "Content Too Large";
    case 426:
        return "Upgrade Required";
    case 503:
        return "Service Unavailable";
    default:
        return "Error";
    }
}

std::string HttpResponse::Text(bool withBody) const {
    std::string out = "HTTP/1.1 " + std::to_string(status) + " ";
    out += Reason(status);
    out += "\r\n";
    const bool hasBody = status != 101 && status != 204 && status != 304;
    if (hasBody) {
        out += "Content-Type: " + contentType + "\r\n";
        out += "Content-Length: " + std::to_string(body.size()) + "\r\n";
    }
    for (const auto& [name, value] : headers) {
        out += name + ": " + value + "\r\n";
    }
    if (close) {
        out += "Connection: close\r\n";
    }
    out += "\r\n";
    if (hasBody && withBody) {
        out += body;
    }
    return out;
}
