#include "net/url_parts.h"

#include <gtest/gtest.h>

#include <string>

namespace lumaru {
namespace {

TEST(UrlParts, SplitAddressesIntoHostPortAndPath) {
    struct Case {
        std::string address;
        std::string host;
        std::string hostWithPort;
        int port;
        std::string path;
    };
    const Case cases[] = {
        {"https://Example.COM:81/a/B?x=Y", "example.com", "example.com:81", 81, "/a/B?x=Y"},
        {"http://example.com", "example.com", "example.com", 80, "/"},
        {"https://example.com", "example.com", "example.com", 443, "/"},
        {"HTTPS://EXAMPLE.COM/", "example.com", "example.com", 443, "/"},
        {"example.com/path?q", "example.com", "example.com", 80, "/path?q"},
        {"http://a.com:8080", "a.com", "a.com:8080", 8080, "/"},
        {"http://127.0.0.1:5000/list_2.html", "127.0.0.1", "127.0.0.1:5000", 5000, "/list_2.html"},
        // The host ends at the first slash, so a query straight after it belongs to the host.
        {"http://host?q=/x", "host?q=", "host?q=", 80, "/x"},
        {"http://host:abc/", "host", "host:abc", 0, "/"},
        {"http://host:/", "host", "host:", 0, "/"},
        {"", "", "", 80, "/"},
        // An IPv6 literal keeps its brackets; its own colons are no port separators.
        {"http://[::1]:8080/x", "[::1]", "[::1]:8080", 8080, "/x"},
        {"https://[::1]/x", "[::1]", "[::1]", 443, "/x"},
        // An address of another scheme that carries an http address reads that one, path included.
        {"ftp://a/?u=http://b.com/c", "b.com", "b.com", 80, "/c"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(UrlHost(c.address), c.host) << c.address;
        EXPECT_EQ(UrlHost(c.address, true), c.hostWithPort) << c.address;
        EXPECT_EQ(UrlPort(c.address), c.port) << c.address;
        EXPECT_EQ(UrlPath(c.address), c.path) << c.address;
    }
}

}  // namespace
}  // namespace lumaru
