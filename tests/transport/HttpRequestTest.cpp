#include "transport/HttpRequest.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using State = HttpRequest::State;

struct HeadRow {
    const char* name;
    std::string wire;
    State state;
    std::string method;
    std::string path;
    std::string mode; // the "mode" parameter
    std::string token;
};

class HttpRequestParseTest : public ::testing::TestWithParam<HeadRow> {};

TEST_P(HttpRequestParseTest, ReadsHeadAsSent) {
    const HeadRow& row = GetParam();
    HttpRequest request;
    ASSERT_EQ(request.Parse(row.wire), row.state);
    if (row.state != State::Done) {
        return;
    }
    EXPECT_EQ(request.method, row.method);
    EXPECT_EQ(request.path, row.path);
    EXPECT_EQ(request.Param("mode"), row.mode);
    EXPECT_EQ(request.Token(), row.token);
    EXPECT_EQ(request.headLength, row.wire.find("\r\n\r\n") + 4);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, HttpRequestParseTest,
    ::testing::Values(
        HeadRow{"BandWithQuery",
                "GET /spots/20m?limit=10&mode=CW HTTP/1.1\r\nHost: shack:8073\r\n\r\n", State::Done,
                "GET", "/spots/20m", "CW", ""},
        HeadRow{"EscapesDecoded", "GET /ports/CLUSTER%201/connect?mode=FT+8 HTTP/1.1\r\n\r\n",
                State::Done, "GET", "/ports/CLUSTER 1/connect", "FT 8", ""},
        HeadRow{"BearerToken",
                "POST /ports/CON/connect HTTP/1.1\r\nAUTHORIZATION: bearer s3cret \r\n"
                "Content-Length: 0\r\n\r\n",
                State::Done, "POST", "/ports/CON/connect", "", "s3cret"},
        HeadRow{"QueryToken", "GET /ws?token=a%26b HTTP/1.1\r\n\r\n", State::Done, "GET", "/ws", "",
                "a&b"},
        HeadRow{"PipelinedNextRequestLeftAlone",
                "GET /health HTTP/1.1\r\n\r\nGET /spots HTTP/1.1\r\n\r\n", State::Done, "GET",
                "/health", "", ""},
        HeadRow{"HeadNotEndedYet", "GET /spots HTTP/1.1\r\nHost: x\r\n", State::More, "", "", "",
                ""},
        HeadRow{"NoVersion", "GET /spots\r\n\r\n", State::Bad, "", "", "", ""},
        HeadRow{"TargetNotAPath", "GET spots HTTP/1.1\r\n\r\n", State::Bad, "", "", "", ""},
        HeadRow{"HeaderWithoutColon", "GET / HTTP/1.1\r\nHost shack\r\n\r\n", State::Bad, "", "",
                "", ""},
        HeadRow{"BrokenEscape", "GET /spot/%2 HTTP/1.1\r\n\r\n", State::Bad, "", "", "", ""},
        HeadRow{"EscapedNul", "GET /spot/%00 HTTP/1.1\r\n\r\n", State::Bad, "", "", "", ""},
        HeadRow{"BodyRefused", "POST /ports/CON/connect HTTP/1.1\r\nContent-Length: 5\r\n\r\n",
                State::TooLarge, "", "", "", ""},
        HeadRow{"ChunkedRefused",
                "POST /ports/CON/connect HTTP/1.1\r\nTransfer-Encoding: chunked\r\n\r\n",
                State::TooLarge, "", "", "", ""}),
    [](const ::testing::TestParamInfo<HeadRow>& info) { return info.param.name; });

TEST(HttpRequestTest, Parse_HeadPastLimitIsTooLargeBeforeItEnds) {
    HttpRequest request;
    const std::string line(HttpRequest::MaxHead, 'a');
    EXPECT_EQ(request.Parse("GET /" + line), State::TooLarge);
    EXPECT_EQ(request.Parse("GET / HTTP/1.1\r\nX: " + line + "\r\n\r\n"), State::TooLarge);
    EXPECT_EQ(request.Parse("GET /" + line.substr(0, 100)), State::More);
}

} // namespace
